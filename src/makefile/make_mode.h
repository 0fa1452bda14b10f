// The generation modes of a makefile, and names that several rules share.
#pragma once

#include <cstdint>
#include <string_view>

namespace zelvan {

// How a makefile is generated:
//   NormalMode      the outermost makefile: it makes the projects it links first
//   SubProjectMode  the makefile of a project another project links
//   FalMode         objects go to OUTPUT, side files to kFalDirectory, and
//                   the link step runs the FAL tool
enum MakeMode : uint32_t { NormalMode = 0, SubProjectMode = 1, FalMode = 2 };

// The directory of the side files and the module in FalMode.
inline constexpr std::string_view kFalDirectory = "_FALTMP_";

// The make variables of the target tools (their definitions come from the
// TOOLS lines of the CPU family).
inline constexpr std::string_view kLinkTool = "LINK";
inline constexpr std::string_view kLibrarianTool = "AR";
inline constexpr std::string_view kConverterTool = "CONV";
inline constexpr std::string_view kFalTool = "FAL";
// The option variable every compile line uses, and the link line's.
inline constexpr std::string_view kSysIncludePath = "SysIncludePath";
inline constexpr std::string_view kSysLibraryPath = "SysLibraryPath";

}  // namespace zelvan
