#include "platform/profile_text.h"

#include "platform/ansi_text.h"

namespace zelvan {

namespace {

enum Eol : unsigned char { kNoEol, kCrLf, kLf, kCr };

std::string_view EolText(unsigned char eol) {
  switch (eol) {
    case kCrLf:
      return "\r\n";
    case kLf:
      return "\n";
    case kCr:
      return "\r";
    default:
      return "";
  }
}

enum class LineKind { kOther, kComment, kSection, kKey };

struct LineInfo {
  LineKind kind = LineKind::kOther;
  std::string_view name;  // section name or key, trimmed
  size_t value_pos = 0;   // for a key: where the raw value starts
};

LineInfo Classify(std::string_view text) {
  LineInfo info;
  std::string_view rest = TrimLeftBlanks(text);
  if (rest.empty()) return info;
  if (rest[0] == ';') {
    info.kind = LineKind::kComment;
    return info;
  }
  if (rest[0] == '[') {
    size_t close = rest.find(']');
    if (close != std::string_view::npos) {
      info.kind = LineKind::kSection;
      info.name = TrimBlanks(rest.substr(1, close - 1));
      return info;
    }
  }
  size_t eq = text.find('=');
  if (eq == std::string_view::npos) return info;
  std::string_view key = TrimBlanks(text.substr(0, eq));
  if (key.empty()) return info;
  info.kind = LineKind::kKey;
  info.name = key;
  info.value_pos = eq + 1;
  return info;
}

}  // namespace

// A line's text is a view into the text parsed (which the ProfileText and
// its copies share and never change), or into a string of its own once it
// is made or changed by an edit: parsing then allocates nothing per line.
struct ProfileText::Line {
  std::string_view text;
  unsigned char eol = kCrLf;
  // Held through a pointer, so that `text` stays valid when lines move.
  std::unique_ptr<std::string> own;

  Line() = default;
  Line(std::string_view parsed, unsigned char line_end) : text(parsed), eol(line_end) {}
  Line(const Line& other) : text(other.text), eol(other.eol) {
    if (other.own != nullptr) SetText(*other.own);
  }
  Line& operator=(const Line& other) {
    if (this != &other) *this = Line(other);
    return *this;
  }
  Line(Line&&) noexcept = default;
  Line& operator=(Line&&) noexcept = default;

  static Line Made(std::string text, unsigned char line_end) {
    Line line;
    line.eol = line_end;
    line.SetText(std::move(text));
    return line;
  }
  void SetText(std::string changed) {
    own = std::make_unique<std::string>(std::move(changed));
    text = *own;
  }
};

struct ProfileText::Section {
  std::string name;  // trimmed, as written
  bool has_header = false;
  Line header;
  std::vector<Line> body;
  // Key -> position in body of its first line; built on first use.
  mutable bool keys_built = false;
  mutable std::unordered_map<std::string, size_t, NoCaseHash, NoCaseEqual> keys;

  void EnsureKeys() const {
    if (keys_built) return;
    keys.clear();
    keys.reserve(body.size());
    for (size_t i = 0; i < body.size(); ++i) {
      LineInfo info = Classify(body[i].text);
      if (info.kind == LineKind::kKey) keys.try_emplace(std::string(info.name), i);
    }
    keys_built = true;
  }

  const Line* FindKey(std::string_view key) const {
    EnsureKeys();
    auto it = keys.find(key);
    return it == keys.end() ? nullptr : &body[it->second];
  }
};

ProfileText::ProfileText() {
  sections_.push_back(std::make_unique<Section>());
}

ProfileText::ProfileText(std::string_view text) : ProfileText() {
  Parse(text);
}

ProfileText::~ProfileText() = default;
ProfileText::ProfileText(ProfileText&&) noexcept = default;
ProfileText& ProfileText::operator=(ProfileText&&) noexcept = default;

ProfileText::ProfileText(const ProfileText& other)
    : source_(other.source_), first_section_(other.first_section_) {
  sections_.reserve(other.sections_.size());
  for (const auto& section : other.sections_) {
    sections_.push_back(std::make_unique<Section>(*section));
  }
}

ProfileText& ProfileText::operator=(const ProfileText& other) {
  if (this != &other) {
    ProfileText copy(other);
    *this = std::move(copy);
  }
  return *this;
}

void ProfileText::Parse(std::string_view parsed) {
  // The lines are views into this copy.
  auto source = std::make_shared<const std::string>(parsed);
  std::string_view text = *source;
  // A first pass counts the lines of each section, so that each list of
  // lines is allocated once at its size rather than grown line by line.
  std::vector<size_t> body_sizes(1, 0);
  for (size_t pos = 0; pos < text.size();) {
    size_t next;
    size_t end = FindLineEnd(text, pos, &next);
    if (Classify(text.substr(pos, end - pos)).kind == LineKind::kSection) {
      body_sizes.push_back(0);
    } else {
      ++body_sizes.back();
    }
    pos = next;
  }
  sections_.reserve(sections_.size() + body_sizes.size() - 1);
  first_section_.reserve(first_section_.size() + body_sizes.size() - 1);
  size_t section_index = 0;
  Section* current = sections_.back().get();
  current->body.reserve(current->body.size() + body_sizes[0]);
  size_t pos = 0;
  while (pos < text.size()) {
    size_t next;
    size_t end = FindLineEnd(text, pos, &next);
    Line line;
    line.eol = next == end ? kNoEol : next == end + 2 ? kCrLf : text[end] == '\r' ? kCr : kLf;
    line.text = text.substr(pos, end - pos);
    pos = next;

    LineInfo info = Classify(line.text);
    if (info.kind == LineKind::kSection) {
      auto section = std::make_unique<Section>();
      section->name.assign(info.name);
      section->has_header = true;
      section->header = std::move(line);
      section->body.reserve(body_sizes[++section_index]);
      first_section_.try_emplace(section->name, sections_.size());
      current = section.get();
      sections_.push_back(std::move(section));
    } else {
      current->body.push_back(std::move(line));
    }
  }
  source_ = std::move(source);
}

const ProfileText::Section* ProfileText::FindSection(std::string_view trimmed_name) const {
  auto it = first_section_.find(trimmed_name);
  return it == first_section_.end() ? nullptr : sections_[it->second].get();
}

ProfileText::Section* ProfileText::FindSection(std::string_view trimmed_name) {
  auto it = first_section_.find(trimmed_name);
  return it == first_section_.end() ? nullptr : sections_[it->second].get();
}

void ProfileText::RebuildSectionIndex() {
  first_section_.clear();
  for (size_t i = 1; i < sections_.size(); ++i)
    first_section_.try_emplace(sections_[i]->name, i);
}

void ProfileText::EndLastLine() {
  for (size_t i = sections_.size(); i-- > 0;) {
    Section& section = *sections_[i];
    Line* last = !section.body.empty() ? &section.body.back()
                 : section.has_header  ? &section.header
                                       : nullptr;
    if (last == nullptr) continue;  // an empty preamble
    if (last->eol == kNoEol) last->eol = kCrLf;
    return;
  }
}

bool ProfileText::Lookup(std::string_view section, std::string_view key, std::string* value) const {
  const Section* found = FindSection(TrimBlanks(section));
  if (found == nullptr) return false;
  const Line* line = found->FindKey(TrimBlanks(key));
  if (line == nullptr) return false;
  LineInfo info = Classify(line->text);
  value->assign(ReadValue(std::string_view(line->text).substr(info.value_pos)));
  return true;
}

bool ProfileText::HasSection(std::string_view section) const {
  return FindSection(TrimBlanks(section)) != nullptr;
}

std::vector<std::string> ProfileText::KeyNames(std::string_view section) const {
  std::vector<std::string> names;
  const Section* found = FindSection(TrimBlanks(section));
  if (found == nullptr) return names;
  found->EnsureKeys();
  for (size_t i = 0; i < found->body.size(); ++i) {
    LineInfo info = Classify(found->body[i].text);
    if (info.kind != LineKind::kKey) continue;
    if (found->keys.find(info.name)->second == i) names.emplace_back(info.name);
  }
  return names;
}

std::vector<std::string> ProfileText::SectionNames() const {
  std::vector<std::string> names;
  for (size_t i = 1; i < sections_.size(); ++i) {
    if (first_section_.find(sections_[i]->name)->second == i) names.push_back(sections_[i]->name);
  }
  return names;
}

std::vector<std::pair<std::string, std::string>> ProfileText::SectionEntries(
    std::string_view section) const {
  std::vector<std::pair<std::string, std::string>> entries;
  const Section* found = FindSection(TrimBlanks(section));
  if (found == nullptr) return entries;
  for (const Line& line : found->body) {
    LineInfo info = Classify(line.text);
    if (info.kind != LineKind::kKey) continue;
    entries.emplace_back(
        std::string(info.name),
        std::string(ReadValue(std::string_view(line.text).substr(info.value_pos))));
  }
  return entries;
}

std::string ProfileText::WriteRefusal(std::string_view section, std::string_view key,
                                      std::string_view value) {
  if (HasLineBreak(section) || HasLineBreak(key) || HasLineBreak(value)) {
    return "a section, key or value may not hold a line break";
  }
  section = TrimBlanks(section);
  key = TrimBlanks(key);
  if (section.empty()) return "the section name is empty";
  if (section.find(']') != std::string_view::npos) return "a section name may not hold ']'";
  if (key.empty()) return "the key name is empty";
  if (key.find('=') != std::string_view::npos) return "a key name may not hold '='";
  if (key[0] == ';' || key[0] == '[') return "a key name may not start with ';' or '['";
  return std::string();
}

std::string_view ProfileText::ReadValue(std::string_view raw) {
  std::string_view value = TrimBlanks(raw);
  if (value.size() >= 2 && (value[0] == '"' || value[0] == '\'') && value.back() == value[0]) {
    value = value.substr(1, value.size() - 2);
  }
  return value;
}

ProfileText::Edit ProfileText::Set(std::string_view section, std::string_view key,
                                   std::string_view value) {
  if (!WriteRefusal(section, key, value).empty()) return Edit::kRefused;
  section = TrimBlanks(section);
  key = TrimBlanks(key);

  Section* found = FindSection(section);
  if (found == nullptr) {
    EndLastLine();
    auto added = std::make_unique<Section>();
    added->name.assign(section);
    added->has_header = true;
    added->header = Line::Made("[" + added->name + "]", kCrLf);
    added->body.push_back(Line::Made(std::string(key) + "=" + std::string(value), kCrLf));
    first_section_.try_emplace(added->name, sections_.size());
    sections_.push_back(std::move(added));
    return Edit::kChanged;
  }

  found->EnsureKeys();
  auto it = found->keys.find(key);
  if (it != found->keys.end()) {
    Line& line = found->body[it->second];
    LineInfo info = Classify(line.text);
    if (std::string_view(line.text).substr(info.value_pos) == value) return Edit::kUnchanged;
    EndLastLine();
    // Keeps the key as written and its `=`.
    std::string changed(line.text.substr(0, info.value_pos));
    changed.append(value);
    line.SetText(std::move(changed));
    return Edit::kChanged;
  }

  // After the last key line; lines after it (comments, blanks) stay after the new one.
  size_t pos = found->body.size();
  while (pos > 0 && Classify(found->body[pos - 1].text).kind != LineKind::kKey)
    --pos;
  EndLastLine();
  found->body.insert(found->body.begin() + static_cast<std::ptrdiff_t>(pos),
                     Line::Made(std::string(key) + "=" + std::string(value), kCrLf));
  // No key line follows `pos`, so no other index moves.
  found->keys.try_emplace(std::string(key), pos);
  return Edit::kChanged;
}

ProfileText::Edit ProfileText::DeleteKey(std::string_view section, std::string_view key) {
  key = TrimBlanks(key);
  Section* found = FindSection(TrimBlanks(section));
  if (found == nullptr || found->FindKey(key) == nullptr) return Edit::kUnchanged;
  std::vector<Line> kept;
  kept.reserve(found->body.size());
  for (Line& line : found->body) {
    LineInfo info = Classify(line.text);
    if (info.kind == LineKind::kKey && EqualsNoCase(info.name, key)) continue;
    kept.push_back(std::move(line));
  }
  found->body = std::move(kept);
  found->keys_built = false;
  EndLastLine();
  return Edit::kChanged;
}

ProfileText::Edit ProfileText::DeleteSection(std::string_view section) {
  section = TrimBlanks(section);
  if (FindSection(section) == nullptr) return Edit::kUnchanged;
  std::vector<std::unique_ptr<Section>> kept;
  kept.reserve(sections_.size());
  for (size_t i = 0; i < sections_.size(); ++i) {
    std::unique_ptr<Section>& current = sections_[i];
    if (i == 0 || !EqualsNoCase(current->name, section)) {
      kept.push_back(std::move(current));
      continue;
    }
    // Lines other than keys join the section before; they are appended after
    // its last key, so its key index stays valid.
    Section& previous = *kept.back();
    for (Line& line : current->body) {
      if (Classify(line.text).kind != LineKind::kKey) previous.body.push_back(std::move(line));
    }
  }
  sections_ = std::move(kept);
  RebuildSectionIndex();
  EndLastLine();
  return Edit::kChanged;
}

size_t ProfileText::RenderedSize() const {
  size_t size = 0;
  for (const auto& section : sections_) {
    if (section->has_header)
      size += section->header.text.size() + EolText(section->header.eol).size();
    for (const Line& line : section->body)
      size += line.text.size() + EolText(line.eol).size();
  }
  return size;
}

std::string ProfileText::Render() const {
  std::string out;
  out.reserve(RenderedSize());
  for (const auto& section : sections_) {
    if (section->has_header) {
      out += section->header.text;
      out += EolText(section->header.eol);
    }
    for (const Line& line : section->body) {
      out += line.text;
      out += EolText(line.eol);
    }
  }
  return out;
}

}  // namespace zelvan
