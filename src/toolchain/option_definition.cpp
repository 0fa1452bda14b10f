#include "toolchain/option_definition.h"

#include "platform/ansi_text.h"

namespace zelvan {
namespace {

// Shorthands for the columns that are the same in most rows.
constexpr const char* kNone = nullptr;
constexpr int32_t kOnce = 1;
constexpr int32_t kAny = -1;

constexpr OptionDefinition Row(int32_t order, const char* name, int32_t type, const char* allowed,
                               int32_t blank, const char* default_value, int32_t limit,
                               const char* separator, int32_t mode, int32_t mask) {
  return OptionDefinition{order,         name,  type,      allowed, blank, 0,
                          default_value, limit, separator, mode,    mask,  0};
}

// clang-format off
constexpr OptionDefinition kCompilerRows[] = {
    //  order name             type allowed          blank default limit sep    mode mask
    Row(2,   "-w",             5, "0,1,2,3",         0, "0",   kOnce, kNone, 0, -1),
    Row(4,   "-O",             5, "0,1,2,3",         0, "0",   kOnce, kNone, 0, -1),
    Row(5,   "-g",             5, ",0,1",            0, "",    kOnce, kNone, 0, -1),
    Row(7,   "-Nr",            5, "16,32",           0, "16",  kOnce, kNone, 0, 6),
    Row(8,   "-R",             2, "be,le",           0, kNone, kOnce, kNone, 0, 6),
    Row(1,   "-H",             0, kNone,             0, kNone, kOnce, kNone, 0, -1),
    Row(9,   "-J",             0, kNone,             0, kNone, kOnce, kNone, 0, -1),
    Row(10,  "-Xub",           0, kNone,             0, kNone, kOnce, kNone, 0, -1),
    Row(11,  "-Xuc",           0, kNone,             0, kNone, kOnce, kNone, 0, -1),
    Row(12,  "-Xw",            0, kNone,             0, kNone, kOnce, kNone, 0, -1),
    Row(13,  "-A",             0, kNone,             0, kNone, kOnce, kNone, 0, -1),
    Row(14,  "-Xi",            0, kNone,             0, kNone, kOnce, kNone, 0, 3),
    Row(16,  "-Rei",           0, kNone,             0, kNone, kOnce, kNone, 0, 2),
    Row(17,  "-Rmi",           0, kNone,             0, kNone, kOnce, kNone, 0, 2),
    Row(18,  "-cpp",           0, kNone,             0, kNone, kOnce, kNone, 0, 2),
    Row(19,  "-zn",            0, kNone,             0, kNone, kOnce, kNone, 0, 2),
    Row(20,  "-X",             2, "c,r",             0, kNone, kOnce, kNone, 0, 1),
    Row(21,  "-Xp",            5, "1,2,4",           0, "2",   kOnce, kNone, 0, -1),
    Row(22,  "-Xs",            0, kNone,             0, kNone, kOnce, kNone, 0, -1),
    Row(23,  "-gn",            0, kNone,             0, kNone, kOnce, kNone, 0, 2),
    Row(24,  "-Ros",           0, kNone,             0, kNone, kOnce, kNone, 0, 6),
    Row(26,  "-isa16_lib",     0, kNone,             0, kNone, kOnce, kNone, 0, 4),
    Row(27,  "-put_rom",       0, kNone,             0, kNone, kOnce, kNone, 0, 4),
    Row(28,  "-use_div",       0, kNone,             0, kNone, kOnce, kNone, 0, 4),
    Row(30,  "-XD",            5, "1,2,4",           0, kNone, kOnce, kNone, 0, 25),
    Row(31,  "-XA",            5, "1,2,4",           0, kNone, kOnce, kNone, 0, 25),
    Row(32,  "-XC",            5, "1,2,4",           0, kNone, kOnce, kNone, 0, 25),
    Row(33,  "-ZT",            2, "near,far",        0, kNone, kOnce, kNone, 0, 25),
    Row(39,  "-ZD",            2, "tiny,near,far",   0, kNone, kOnce, kNone, 0, -1),
    Row(40,  "-ZA",            2, "tiny,near,far",   0, kNone, kOnce, kNone, 0, -1),
    Row(41,  "-ZC",            2, "tiny,near,far",   0, kNone, kOnce, kNone, 0, 6),
    Row(42,  "-ZC",            2, "near,far",        0, kNone, kOnce, kNone, 0, 25),
    Row(43,  "-Zt",            6, kNone,             0, kNone, kOnce, kNone, 0, -1),
    Row(44,  "-Zd",            6, kNone,             0, kNone, kOnce, kNone, 0, -1),
    Row(45,  "-Za",            6, kNone,             0, kNone, kOnce, kNone, 0, -1),
    Row(46,  "-Zc",            6, kNone,             0, kNone, kOnce, kNone, 0, -1),
    Row(47,  "-Zi",            6, kNone,             0, kNone, kOnce, kNone, 0, 27),
    Row(48,  "-Zx",            2, "tiny,near,far",   0, kNone, kOnce, kNone, 0, -1),
    Row(49,  "-XF",            0, kNone,             0, kNone, kOnce, kNone, 0, -1),
    Row(50,  "-l",             0, kNone,             0, kNone, kOnce, kNone, 0, -1),
    Row(51,  "-P",             0, kNone,             0, kNone, kOnce, kNone, 0, -1),
    Row(52,  "-lx",            0, kNone,             0, kNone, kOnce, kNone, 0, -1),
    Row(53,  "-C",             0, kNone,             0, kNone, kOnce, kNone, 0, -1),
    Row(54,  "-D",             1, kNone,             0, kNone, 255,   ",",   0, -1),
    Row(55,  "-U",             1, kNone,             0, kNone, 255,   ",",   0, -1),
    Row(56,  "-u",             0, kNone,             0, kNone, kOnce, kNone, 0, -1),
    Row(57,  "-I",             1, kNone,             1, kNone, kAny,  ";",   0, -1),
    Row(58,  "-M",             2, "k",               0, kNone, kOnce, kNone, 0, 4),
    Row(59,  "-Om",            0, kNone,             0, kNone, kOnce, kNone, 0, 4),
    Row(60,  "-Os",            0, kNone,             0, kNone, kOnce, kNone, 0, 4),
    Row(61,  "-Oa",            2, ",l",              0, kNone, kOnce, kNone, 0, 6),
    Row(62,  "-XS",            0, kNone,             0, kNone, kOnce, kNone, 0, 27),
    Row(63,  "-loop_unroll",   0, kNone,             0, kNone, kOnce, kNone, 0, 2),
    Row(64,  "-loop_rotation", 0, kNone,             0, kNone, kOnce, kNone, 0, 2),
    Row(65,  "-pc_relative",   0, kNone,             0, kNone, kOnce, kNone, 0, 6),
    Row(105, "-lf",            1, kNone,             1, kNone, kAny,  kNone, 0, -1),
    Row(106, "-Nb",            5, "0,1,2,3",         0, kNone, kOnce, kNone, 0, 1),
    Row(107, "-Nc",            5, "1,2,3",           0, kNone, kOnce, kNone, 0, 16),
    Row(108, "-Nc",            5, "0",               0, kNone, kOnce, kNone, 0, 8),
    Row(110, "-XE",            0, kNone,             0, kNone, kOnce, kNone, 0, 24),
    Row(111, "-Xec",           0, kNone,             0, kNone, kOnce, kNone, 0, 24),
    Row(112, "-Xns",           0, kNone,             0, kNone, kOnce, kNone, 0, 24),
    Row(120, "-f",             1, kNone,             1, kNone, kAny,  kNone, 1, -1),
    Row(999, "",               1, kNone,             0, kNone, kAny,  ";",   0, -1),
};

constexpr OptionDefinition kLinkerRows[] = {
    //  order name   type allowed      blank default limit sep    mode mask
    Row(1,  "-H",    0, kNone,         0, kNone, kOnce, kNone, 0, -1),
    Row(3,  "-o",    1, kNone,         0, kNone, kOnce, ";",   0, -1),
    Row(5,  "-la",   0, kNone,         0, kNone, kOnce, kNone, 0, -1),
    Row(6,  "-Mm",   0, kNone,         0, kNone, kOnce, kNone, 0, -1),
    Row(7,  "-k",    0, kNone,         0, kNone, kOnce, kNone, 0, -1),
    Row(8,  "-w",    5, "0,1,2,3",     0, "1",   kOnce, kNone, 0, -1),
    Row(9,  "-F",    4, "0000-ffff",   0, kNone, kOnce, kNone, 0, -1),
    Row(10, "-u",    1, kNone,         0, kNone, kAny,  ",",   0, -1),
    Row(11, "-L",    1, kNone,         0, kNone, kAny,  ";",   0, -1),
    Row(12, "-lp",   3, "33-65535",    0, "33",  kOnce, kNone, 0, -1),
    Row(13, "-T",    0, kNone,         0, kNone, kOnce, kNone, 0, -1),
    Row(14, "-ims",  0, kNone,         0, kNone, kOnce, kNone, 0, 6),
    Row(15, "-Oa",   2, "l",           0, "l",   kOnce, kNone, 0, 6),
    Row(16, "-R",    2, "be,le",       0, kNone, kOnce, kNone, 0, 6),
    Row(17, "-ga",   0, kNone,         0, kNone, kOnce, kNone, 0, -1),
    Row(18, "-e",    1, kNone,         1, kNone, kAny,  kNone, 0, -1),
    Row(19, "-lf",   1, kNone,         1, kNone, kAny,  kNone, 0, -1),
    Row(20, "-gm",   1, kNone,         1, kNone, kAny,  kNone, 0, -1),
    Row(21, "-Nc",   5, "0",           0, kNone, kOnce, kNone, 0, 8),
    Row(22, "-f",    6, kNone,         1, kNone, kAny,  kNone, 1, -1),
    Row(30, "-",     1, kNone,         0, kNone, kAny,  kNone, 0, -1),
    Row(40, "",      1, kNone,         0, kNone, kAny,  ";",   0, -1),
};

constexpr OptionDefinition kConverterRows[] = {
    //  order name  type allowed                 blank default limit sep    mode mask
    Row(1,  "-F",   2, "h16,h20,s16,s24,s32",    0, kNone, kOnce, kNone, 0, -1),
    Row(4,  "-cc",  1, kNone,                    1, kNone, kAny,  ";",   0, -1),
    Row(5,  "-cf",  1, kNone,                    1, kNone, kAny,  ";",   0, -1),
    Row(8,  "-ra",  6, kNone,                    1, kNone, kAny,  kNone, 0, -1),
    Row(8,  "-P",   6, kNone,                    1, kNone, kAny,  kNone, 0, -1),
    Row(10, "",     1, kNone,                    0, kNone, kAny,  ";",   0, -1),
};
// clang-format on

}  // namespace

std::span<const OptionDefinition> CompilerOptionTable() {
  return kCompilerRows;
}
std::span<const OptionDefinition> LinkerOptionTable() {
  return kLinkerRows;
}
std::span<const OptionDefinition> ConverterOptionTable() {
  return kConverterRows;
}

int32_t GetCpuMask(std::string_view cpu_name) {
  if (cpu_name == "MR44") return kCpuMaskMr44;
  if (cpu_name == "MR44A") return kCpuMaskMr44a;
  if (EqualsNoCase(cpu_name, "MX-310/P")) return kCpuMaskMx310P;
  if (EqualsNoCase(cpu_name, "MX-310/P1")) return kCpuMaskMx310P1;
  return kCpuMaskMx520;
}

}  // namespace zelvan
