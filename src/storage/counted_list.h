// The counted list record: a named list of strings, each with an optional
// one-character mark, and a time stamp. The dependency file keeps one per
// build target inside each source's section. Its lines, for a record named
// INC with two values, the first marked S:
//
//   INC=2
//   INC0=S|C:\kova\include\stdio.h
//   INC1=src\main.h
//   INCstamp=2024-03-09 14:05:00
//
// The count line is read by the caller (it decides which record a line
// starts); ReadList reads the value lines and the optional stamp line.
// Value lines are taken in order, their indices are not checked. A value
// text whose second character is `|` is read as a mark and a value, so an
// unmarked value of that shape cannot be stored (Add refuses it; paths
// never have one).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace zelvan {

class FileReader;
class LineReader;

class CountedList {
 public:
  CountedList() = default;
  explicit CountedList(std::string name) : name_(std::move(name)) {}
  // A copy records that it is one (kind 1).
  CountedList(const CountedList& other);
  CountedList& operator=(const CountedList& other);

  // 0 when created empty, 1 when created as a copy of another record.
  uint32_t kind() const { return kind_; }
  const std::string& name() const { return name_; }
  void set_name(std::string name) { name_ = std::move(name); }
  const std::string& stamp() const { return stamp_; }
  void set_stamp(std::string stamp) { stamp_ = std::move(stamp); }
  const std::vector<std::string>& values() const { return values_; }
  // Parallel to values(); may be shorter (a missing entry is no mark).
  const std::vector<std::string>& marks() const { return marks_; }
  // The mark of entry `i`, empty when it has none.
  std::string_view MarkAt(size_t i) const;

  // Appends an entry. False, with nothing added, for a mark longer than one
  // character, a CR or LF in value or mark, or an unmarked value whose second
  // character is `|` (it would read back as marked).
  bool Add(std::string_view value, std::string_view mark = {});
  void ClearValues();

  // Appends the record's lines, each ended by CR LF, to `out`. False, with
  // nothing appended, when the name is empty or holds `=`, or the name or
  // stamp holds a line break: such lines would not read back.
  bool WriteList(std::string* out) const;

  // Reads `count` value lines and the optional stamp line that follows them,
  // and appends the entries. A line after the values that is not this
  // record's stamp line is put back for the caller, as is the end of the
  // text. False, with the record unchanged, when the text ends among the
  // value lines or a value line has no `=` (that line is put back).
  bool ReadList(LineReader& reader, int count);

  // True when `name` is this record's (case ignored), it has values, and a
  // listed file is newer than the stamp. The files are checked in order; a
  // file whose status cannot be read ends the check with false.
  bool IsOutOfDate(FileReader& fs, std::string_view name) const;

 private:
  uint32_t kind_ = 0;
  std::string stamp_;
  std::string name_;
  std::vector<std::string> values_;
  std::vector<std::string> marks_;
};

}  // namespace zelvan
