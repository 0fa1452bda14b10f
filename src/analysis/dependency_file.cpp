#include "analysis/dependency_file.h"

#include <cstdio>

#include <climits>

#include "platform/ansi_text.h"
#include "storage/counted_list.h"
#include "storage/line_reader.h"

namespace zelvan {

namespace {

bool HasLineBreak(std::string_view text) {
  return text.find_first_of("\r\n") != std::string_view::npos;
}

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

// The lines of CCountedList::WriteList, appended directly: a large
// workspace's file has over a million of them.
void AppendRecord(const CDependencyRecord& record, std::string* out) {
  std::string& text = *out;
  const std::string& target = record.target();
  char number[24];
  text += target;
  text += '=';
  text.append(number, static_cast<size_t>(std::snprintf(number, sizeof number, "%d",
                                                        static_cast<int>(record.paths().size()))));
  text += "\r\n";
  for (size_t i = 0; i < record.paths().size(); ++i) {
    text += target;
    text.append(number, static_cast<size_t>(std::snprintf(number, sizeof number, "%zu", i)));
    text += '=';
    const std::string& form = record.forms()[i];
    if (!form.empty()) {
      text += form;
      text += '|';
    }
    text += record.paths()[i];
    text += "\r\n";
  }
  text += target;
  text += "stamp=";
  text += record.stamp();
  text += "\r\n";
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
