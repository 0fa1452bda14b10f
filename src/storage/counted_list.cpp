#include "storage/counted_list.h"

#include "platform/ansi_text.h"
#include "platform/file_system.h"
#include "storage/line_reader.h"
#include "storage/time_stamp.h"

namespace zelvan {

CountedList::CountedList(const CountedList& other)
    : kind_(1),
      stamp_(other.stamp_),
      name_(other.name_),
      values_(other.values_),
      marks_(other.marks_) {}

CountedList& CountedList::operator=(const CountedList& other) {
  if (this != &other) {
    kind_ = 1;
    stamp_ = other.stamp_;
    name_ = other.name_;
    values_ = other.values_;
    marks_ = other.marks_;
  }
  return *this;
}

std::string_view CountedList::MarkAt(size_t i) const {
  return i < marks_.size() ? std::string_view(marks_[i]) : std::string_view();
}

bool CountedList::Add(std::string_view value, std::string_view mark) {
  if (mark.size() > 1 || HasLineBreak(value) || HasLineBreak(mark)) return false;
  if (mark.empty() && value.size() >= 2 && value[1] == '|') return false;
  marks_.resize(values_.size());  // keep the arrays parallel
  values_.emplace_back(value);
  marks_.emplace_back(mark);
  return true;
}

void CountedList::ClearValues() {
  values_.clear();
  marks_.clear();
}

bool CountedList::WriteList(std::string* out) const {
  if (name_.empty() || name_.find('=') != std::string::npos || HasLineBreak(name_) ||
      HasLineBreak(stamp_)) {
    return false;
  }
  *out += StringPrintf("%s=%d\r\n", name_.c_str(), static_cast<int>(values_.size()));
  for (size_t i = 0; i < values_.size(); ++i) {
    *out += name_;
    *out += std::to_string(i);
    *out += '=';
    std::string_view mark = MarkAt(i);
    if (!mark.empty()) {
      *out += mark;
      *out += '|';
    }
    *out += values_[i];
    *out += "\r\n";
  }
  *out += name_;
  *out += "stamp=";
  *out += stamp_;
  *out += "\r\n";
  return true;
}

bool CountedList::ReadList(LineReader& reader, int count) {
  std::vector<std::string> values;
  std::vector<std::string> marks;
  std::string_view line;
  for (int i = 0; i < count; ++i) {
    if (!reader.ReadLine(&line)) return false;
    size_t eq = line.find('=');
    if (eq == std::string_view::npos) {
      reader.PutBack();
      return false;
    }
    std::string_view text = line.substr(eq + 1);
    if (text.size() >= 2 && text[1] == '|') {
      marks.emplace_back(text.substr(0, 1));
      values.emplace_back(text.substr(2));
    } else {
      marks.emplace_back();
      values.emplace_back(text);
    }
  }
  if (reader.ReadLine(&line)) {
    size_t eq = line.find('=');
    if (eq != std::string_view::npos && EqualsNoCase(line.substr(0, eq), name_ + "stamp")) {
      stamp_.assign(line.substr(eq + 1));
    } else {
      reader.PutBack();
    }
  }
  marks_.resize(values_.size());
  values_.insert(values_.end(), values.begin(), values.end());
  marks_.insert(marks_.end(), marks.begin(), marks.end());
  return true;
}

bool CountedList::IsOutOfDate(FileReader& fs, std::string_view name) const {
  if (!EqualsNoCase(name, name_) || values_.empty()) return false;
  for (const std::string& value : values_) {
    FileStatus status;
    if (!fs.Stat(value, &status)) return false;
    if (FormatTimeStamp(status.mtime_local) > stamp_) return true;
  }
  return false;
}

}  // namespace zelvan
