// The dependency file of a project (".kde"): the include dependencies of
// every source for every target, so that opening a project does not have
// to scan its sources again.
//
// Profile syntax, lines ended by CR LF. One section per source, named by
// the source's path relative to the project directory, in project order;
// in it one counted list per target (see storage/counted_list.h): the
// number of dependencies, one numbered line per dependency whose value is
// the form, "|" and the path (just the path when there is no form), and
// the stamp line with the time the list was computed:
//
//   [src\main.c]
//   Debug=2
//   Debug0=1|inc\main.h
//   Debug1=0|C:\kova\include\stdio.h
//   Debugstamp=2024-03-09 14:05:00
//   Release=0
//   Releasestamp=2024-03-09 14:05:01
//   [src\util.c]
//
// Reading is tolerant: a section named "SYSTEM" (any case) is no source;
// lines outside a source's section, and lines in it that are no count line
// ("<target>=<decimal count>"), are skipped; a count line takes the next
// count lines as its values whatever their keys, then the stamp line when
// it follows (any other line is left for the next record). A record whose
// value lines run out, or that could not be written back (a line break in
// a value or stamp, a zero byte in the target name), is dropped: its source
// is then stale and is scanned again. Whatever was read is written back as
// it was read (a value "\0|x" is read as the path "\0|x" without form).
//
// A large workspace's file holds millions of lines, so both directions work
// on path ids (model/dependency_record.h), go over the text once, and may
// use a second thread for the second half of the file.
//
// Beside the file stands its index (".kdx"): what reading the text gave,
// in a compact form that is read without parsing, with the size and
// modification time of the text it was read from. The text stays the file
// of record: the index is used only while the text is that one and the
// index is whole, and it is made again from the text otherwise. Layout
// (native byte order; n32 is a 32-bit count, a text is n32 and its bytes):
//
//   "ZKDX", version n32 (1), text size (64 bits), text time (64 bits, ns),
//   body size (64 bits), HashText of the body (64 bits), then the body:
//   n32 paths, each a text; n32 sections, each a name (text) and n32
//   records, each a target and a stamp (texts), n32 dependencies, their
//   path numbers (n32 each), then their form bytes.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "model/dependency_record.h"
#include "platform/file_system.h"

namespace zelvan {

struct DependencySection {
  std::string source;  // relative path, as written
  std::vector<DependencyRecord> records;

  bool operator==(const DependencySection&) const = default;
};

// The sections to write: the records where they are kept (a project's
// source files), not copied.
struct DependencySectionView {
  std::string_view source;
  const std::vector<DependencyRecord>* records;
};

// The text of a file, in one block that is not cleared before it is filled.
struct DependencyFileText {
  std::unique_ptr<char[]> bytes;
  size_t size = 0;
  std::string_view view() const { return {bytes.get(), size}; }
};

// The whole file, lines ended by CR LF. Sections whose name holds a line
// feed, and records that cannot be written whole (see above), are left out.
// With `threads` 2 a large file is measured in two halves at once.
DependencyFileText FormatDependencySections(const std::vector<DependencySectionView>& sections,
                                            int threads = 1);
// The same, and its index from the same work: IndexBody (the index with
// its header left to fill) may run on another thread while the text is
// written; DependencyIndex fills the header with the written text's status.
class DependencyFileWriter {
 public:
  // `sections` must outlive the writer.
  explicit DependencyFileWriter(const std::vector<DependencySectionView>& sections);
  ~DependencyFileWriter();
  DependencyFileWriter(const DependencyFileWriter&) = delete;
  DependencyFileWriter& operator=(const DependencyFileWriter&) = delete;
  // Works out the text's size and which records it holds; Format, Write
  // and IndexBody do it when it is not done. Once it is, IndexBody may run
  // on another thread beside Format or Write.
  size_t Measure(int threads = 1);
  DependencyFileText Format(int threads = 1);
  // The same text handed to `append` in pieces of about `piece_bytes` (a
  // large file is never whole in memory); false from `append` stops it and
  // is the result. With `threads` 2 a piece is formatted while the one
  // before is handed over.
  bool Write(int threads, const std::function<bool(std::string_view)>& append,
             size_t piece_bytes = size_t{4} << 20);
  std::string IndexBody();

 private:
  class Impl;
  std::unique_ptr<Impl> impl_;
  bool placed_ = false;  // Measure is done
};
std::string DependencyIndex(std::string index, const FileStatus& text);
std::string WriteDependencyFile(const std::vector<DependencySection>& sections);

// The sections of a file's text, in file order (a source may appear twice),
// their paths added to `paths`. With `threads` 2 a large text is read in two
// halves at once.
std::vector<DependencySection> ReadDependencyFile(std::string_view text, TextTable& paths,
                                                  int threads = 1);

// The index of the file that FormatDependencySections makes of `sections`,
// once that file is written and has the status `text`.
std::string FormatDependencyIndex(const std::vector<DependencySectionView>& sections,
                                  const FileStatus& text);
// The sections of an index, paths added to `paths`; false (and no
// sections) when the index is not whole or is not that of the text whose
// status is `text`.
bool ReadDependencyIndex(std::string_view index, const FileStatus& text, TextTable& paths,
                         std::vector<DependencySection>* sections);

// Hands the records of each section to the source it names: `find_source`
// receives the section name lower-cased and returns the source's record
// list, or null for a source the project no longer holds. The records of
// a section replace the source's records of the same target (compared
// without regard to case) and are added otherwise. Returns the names of
// the sections without source, as written, in file order.
std::vector<std::string> DistributeDependencySections(
    std::vector<DependencySection> sections,
    const std::function<std::vector<DependencyRecord>*(std::string_view)>& find_source);

}  // namespace zelvan
