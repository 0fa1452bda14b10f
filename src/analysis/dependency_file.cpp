#include "analysis/dependency_file.h"

#include <climits>
#include <cstdint>
#include <cstring>

#include "platform/ansi_text.h"
#include "storage/counted_list.h"
#include "storage/line_reader.h"

namespace zelvan {

namespace {

bool IsSectionLine(std::string_view line) {
  return line.size() >= 2 && line.front() == '[' && line.back() == ']';
}

// "<name>=<decimal count>"; false for anything else.
bool ParseCountLine(std::string_view line, std::string_view* name, int* count) {
  size_t eq = line.find('=');
  if (eq == std::string_view::npos || eq == 0) return false;
  std::string_view digits = line.substr(eq + 1);
  if (digits.empty()) return false;
  long long value = 0;
  for (char c : digits) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + (c - '0');
    if (value > INT_MAX) return false;
  }
  *name = line.substr(0, eq);
  *count = static_cast<int>(value);
  return true;
}

// The counted list of a record, or false when a line of it could not be
// written and read back as it is.
bool ToCountedList(const CDependencyRecord& record, CCountedList* list) {
  // A target name is text: a zero byte would end it early in the count line.
  if (HasLineBreak(record.target()) || HasLineBreak(record.stamp()) ||
      record.target().find('\0') != std::string::npos) {
    return false;
  }
  list->set_name(record.target());
  list->set_stamp(record.stamp());
  for (size_t i = 0; i < record.paths().size(); ++i) {
    if (!list->Add(record.paths()[i], record.forms()[i])) return false;
  }
  return true;
}

}  // namespace

std::string WriteDependencyFile(const std::vector<DependencySection>& sections) {
  std::vector<DependencySectionView> views;
  views.reserve(sections.size());
  for (const DependencySection& section : sections)
    views.push_back({section.source, &section.records});
  return WriteDependencySections(views);
}

namespace {

// Whether a record reads back as it is written: what ToCountedList and
// CCountedList::WriteList accept, checked without copying the record.
bool IsWritable(const CDependencyRecord& record) {
  const std::string& target = record.target();
  if (target.empty() || target.find('=') != std::string::npos || HasLineBreak(target) ||
      target.find('\0') != std::string::npos || HasLineBreak(record.stamp())) {
    return false;
  }
  for (size_t i = 0; i < record.paths().size(); ++i) {
    const std::string& path = record.paths()[i];
    const std::string& form = record.forms()[i];
    if (form.size() > 1 || HasLineBreak(path) || HasLineBreak(form)) return false;
    if (form.empty() && path.size() >= 2 && path[1] == '|') return false;
  }
  return true;
}

size_t DecimalDigits(uint64_t value) {
  size_t digits = 1;
  while (value >= 10) {
    value /= 10;
    ++digits;
  }
  return digits;
}

char* Put(char* out, std::string_view text) {
  std::memcpy(out, text.data(), text.size());
  return out + text.size();
}

char* PutNumber(char* out, uint64_t value, size_t digits) {
  for (size_t i = digits; i > 0; --i) {
    out[i - 1] = static_cast<char>('0' + value % 10);
    value /= 10;
  }
  return out + digits;
}

// The lines of CCountedList::WriteList, appended directly: a large
// workspace's file has over a million of them, so the record's size is
// worked out first and its text copied into place.
void AppendRecord(const CDependencyRecord& record, std::string* out) {
  const std::string& target = record.target();
  const std::vector<std::string>& paths = record.paths();
  const std::vector<std::string>& forms = record.forms();
  size_t size = target.size() + 1 + DecimalDigits(paths.size()) + 2;
  for (size_t i = 0; i < paths.size(); ++i) {
    size += target.size() + DecimalDigits(i) + 1 + paths[i].size() + 2;
    if (!forms[i].empty()) size += forms[i].size() + 1;
  }
  size += target.size() + 6 + record.stamp().size() + 2;
  size_t at = out->size();
  out->resize(at + size);
  char* p = out->data() + at;
  p = Put(p, target);
  *p++ = '=';
  p = PutNumber(p, paths.size(), DecimalDigits(paths.size()));
  p = Put(p, "\r\n");
  for (size_t i = 0; i < paths.size(); ++i) {
    p = Put(p, target);
    p = PutNumber(p, i, DecimalDigits(i));
    *p++ = '=';
    if (!forms[i].empty()) {
      p = Put(p, forms[i]);
      *p++ = '|';
    }
    p = Put(p, paths[i]);
    p = Put(p, "\r\n");
  }
  p = Put(p, target);
  p = Put(p, "stamp=");
  p = Put(p, record.stamp());
  Put(p, "\r\n");
}

}  // namespace

std::string WriteDependencySections(const std::vector<DependencySectionView>& sections) {
  size_t size = 0;
  for (const DependencySectionView& section : sections) {
    size += section.source.size() + 4;
    for (const CDependencyRecord& record : *section.records) {
      size += 2 * record.target().size() + record.stamp().size() + 24;
      for (const std::string& path : record.paths())
        size += record.target().size() + path.size() + 10;
    }
  }
  std::string text;
  text.reserve(size);
  for (const DependencySectionView& section : sections) {
    // A name with a line break would not read back; a carriage return
    // inside it does, as it is.
    if (section.source.find('\n') != std::string::npos) continue;
    text += '[';
    text += section.source;
    text += "]\r\n";
    for (const CDependencyRecord& record : *section.records) {
      if (IsWritable(record)) AppendRecord(record, &text);
    }
  }
  return text;
}

std::vector<DependencySection> ReadDependencyFile(std::string_view text) {
  std::vector<DependencySection> sections;
  LineReader reader(text);
  std::string_view line;
  bool in_source = false;
  while (reader.ReadLine(&line)) {
    if (IsSectionLine(line)) {
      std::string_view name = line.substr(1, line.size() - 2);
      in_source = !EqualsNoCase(name, "SYSTEM");
      if (in_source) sections.push_back(DependencySection{std::string(name), {}});
      continue;
    }
    std::string_view target;
    int count = 0;
    if (!in_source || !ParseCountLine(line, &target, &count)) continue;
    CCountedList list{std::string(target)};
    if (!list.ReadList(reader, count)) continue;
    CDependencyRecord record(list.name());
    record.set_stamp(list.stamp());
    std::vector<std::string> forms;
    for (size_t i = 0; i < list.values().size(); ++i)
      forms.emplace_back(list.MarkAt(i));
    record.SetDependencies(list.values(), std::move(forms));
    CCountedList check;
    if (!ToCountedList(record, &check)) continue;  // it would not be written back
    sections.back().records.push_back(std::move(record));
  }
  return sections;
}

std::vector<std::string> DistributeDependencySections(
    std::vector<DependencySection> sections,
    const std::function<std::vector<CDependencyRecord>*(std::string_view)>& find_source) {
  std::vector<std::string> unknown;
  for (DependencySection& section : sections) {
    std::vector<CDependencyRecord>* records = find_source(ToLowerAscii(section.source));
    if (records == nullptr) {
      unknown.push_back(std::move(section.source));
      continue;
    }
    for (CDependencyRecord& record : section.records) {
      CDependencyRecord* existing = FindDependencyRecord(*records, record.target());
      if (existing != nullptr) {
        *existing = std::move(record);
      } else {
        records->push_back(std::move(record));
      }
    }
  }
  return unknown;
}

}  // namespace zelvan
