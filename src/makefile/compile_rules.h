// The compile rules of a makefile block: one rule per built source file,
// in project order, with the steps that move the compiler's side files
// (listings, assembler output, preprocessor output) where they belong.
//
//   "$(TEMP)\main.rel" : main.c motor.h ..\include\board.h
//   	$(CC) -g -O0 -c  $(SysIncludePath) $< -o $@
//   	cp C:\work\Motor\main.lst C:\work\Motor\Debug\main.lst
//   	rm C:\work\Motor\main.lst
#pragma once

#include <string>
#include <string_view>

namespace zelvan {

class MakeContext;
struct FileState;
struct OptionFacts;

// The object path the rules name for a file; empty for an excluded file.
// With `create_dir` its directory is made when missing.
std::string GetObjectPath(MakeContext& context, const FileState& state, bool create_dir);
void AppendObjectPath(MakeContext& context, const FileState& state, bool create_dir,
                      std::string* out);
// Where the file's object is made: the "-o" argument of its options, else
// its TEMP directory and object name.
std::string ObjectLocation(const FileState& state);
// The steps that move the side files a compile with `options` leaves
// (`has_p`: "-P" was given, `has_oal`: "-Oal"); ".ims" moves go to the
// file's make_lists().ims_move_steps.
void WriteSideFileSteps(MakeContext& context, const FileState& state, std::string_view options,
                        bool has_p, bool has_oal, std::string* out);
// The same for the options as the file has them, from their facts.
void WriteSideFileSteps(MakeContext& context, const FileState& state, const OptionFacts& facts,
                        std::string* out);
// The rule of one file (its custom build rule when it has one); nothing for
// an excluded file.
void BuildCompileRule(MakeContext& context, const FileState& state, std::string* out);
// Every rule of the block.
void BuildCompileRules(MakeContext& context, std::string* out);

}  // namespace zelvan
