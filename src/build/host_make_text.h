// Paths of a makefile in the forms GNU make reads: the GNU path form of the
// stored (Windows) paths, and the host form that this machine's GNU make
// can build with.
//
// GNU path form: every `\` becomes "/" and every blank "\ ".
//
//   .\Debug\my obj          ./Debug/my\ obj
//
// Host form: a file is named by its full host path, through the file
// system's drive map, with blanks and "#" escaped for make (the escape
// holds in shell commands too):
//
//   main.c                  /home/ann/ws/Motor/main.c
//   K:\Shared\include       /opt/kova/Shared/include
//   ..\MathLib\fix math.h   /home/ann/ws/MathLib/fix\ math.h
//
// Options and commands keep their words; a word that names a path gets
// "/" separators, and a full one its host path. A relative one stays
// relative: commands run in their project's directory. A "$" that starts
// no make reference (the option "-$") is written "$$".
//
//   -I..\include -DX=1      -I../include -DX=1
//   cp C:\ws\a.lst "C:\ws\out dir\a.lst"
//                           cp /srv/c/ws/a.lst "/srv/c/ws/out dir/a.lst"
#pragma once

#include <string>
#include <string_view>
#include <unordered_map>

namespace zelvan {

class CCPUTools;
class FileSystem;

std::string ToGnuPath(std::string_view path);
// `\` before each blank, tab and "#".
std::string EscapeForMake(std::string_view host_path);

class HostPathMapper {
 public:
  // `fs` maps the paths; it must outlive the mapper.
  explicit HostPathMapper(FileSystem& fs) : fs_(fs) {}

  // The host form of a full system path (or one that names a make
  // variable, which keeps its place with "/" separators). Double quotes
  // around it are dropped. A path the host has no place for (an unmapped
  // drive) is given in GNU path form.
  const std::string& File(std::string_view full_path);
  // The words of options or of a command, each path among them mapped.
  std::string Words(std::string_view text);
  // Recipe lines ("\t<command>\n"): each command mapped and, unless it is
  // an echo, put behind `prefix`; other lines as they are.
  std::string Recipe(std::string_view lines, std::string_view prefix);
  // The tool of a TOOLS line: the file of that name in the CPU family's
  // executable directories, in host form; the name itself when there is none.
  std::string Tool(const CCPUTools* cpus, std::string_view cpu, std::string_view name);

 private:
  std::string Word(std::string_view word);
  std::string PathPart(std::string_view path);

  FileSystem& fs_;
  struct TextHash {
    using is_transparent = void;
    size_t operator()(std::string_view text) const { return std::hash<std::string_view>{}(text); }
  };
  std::unordered_map<std::string, std::string, TextHash, std::equal_to<>> files_;
};

}  // namespace zelvan
