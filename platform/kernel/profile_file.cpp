// Parsing of private-profile (INI) text and the lookups GetPrivateProfileStringW builds on.
// Lines before the first section, lines starting with ';' and blank lines are ignored.
#include "profile_file.h"

#include "wide_text.h"

namespace zplatform::kernel {
namespace {

bool IsBlank(char16_t c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\v' || c == u'\f'; }

std::u16string_view Trim(std::u16string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

// A value written in matching single or double quotes is given without them.
std::u16string_view Unquote(std::u16string_view value) {
  if (value.size() >= 2 && (value.front() == u'"' || value.front() == u'\'') && value.back() == value.front()) {
    return value.substr(1, value.size() - 2);
  }
  return value;
}

std::u16string DecodeText(std::string_view bytes) {
  if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF && static_cast<unsigned char>(bytes[1]) == 0xFE) {
    std::u16string text;
    for (size_t i = 2; i + 1 < bytes.size(); i += 2) {
      text.push_back(static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                           (static_cast<unsigned char>(bytes[i + 1]) << 8)));
    }
    return text;
  }
  if (bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
  return Utf8ToUtf16(bytes);
}

}  // namespace

ProfileFile ProfileFile::Parse(std::string_view bytes) {
  ProfileFile file;
  const std::u16string text = DecodeText(bytes);
  std::u16string_view rest(text);
  while (!rest.empty()) {
    const size_t end = rest.find(u'\n');
    file.ParseLine(rest.substr(0, end));
    rest = end == std::u16string_view::npos ? std::u16string_view() : rest.substr(end + 1);
  }
  return file;
}

void ProfileFile::ParseLine(std::u16string_view line) {
  line = Trim(line);
  if (line.empty() || line.front() == u';') return;
  if (line.front() == u'[') {
    const size_t close = line.find(u']');
    sections_.push_back(Section{std::u16string(Trim(line.substr(1, close == line.npos ? line.npos : close - 1))), {}});
    return;
  }
  if (sections_.empty()) return;
  const size_t equals = line.find(u'=');
  std::u16string_view key = Trim(line.substr(0, equals));
  std::u16string_view value = equals == line.npos ? std::u16string_view() : Unquote(Trim(line.substr(equals + 1)));
  sections_.back().entries.emplace_back(key, value);
}

const ProfileFile::Section* ProfileFile::Find(std::u16string_view section) const {
  for (const Section& candidate : sections_) {
    if (EqualsNoCase(candidate.name, section)) return &candidate;
  }
  return nullptr;
}

std::vector<std::u16string> ProfileFile::SectionNames() const {
  std::vector<std::u16string> names;
  for (const Section& section : sections_) names.push_back(section.name);
  return names;
}

std::vector<std::u16string> ProfileFile::KeyNames(std::u16string_view section) const {
  std::vector<std::u16string> names;
  if (const Section* found = Find(section)) {
    for (const auto& entry : found->entries) names.push_back(entry.first);
  }
  return names;
}

std::optional<std::u16string> ProfileFile::Value(std::u16string_view section, std::u16string_view key) const {
  const Section* found = Find(section);
  if (found == nullptr) return std::nullopt;
  for (const auto& entry : found->entries) {
    if (EqualsNoCase(entry.first, key)) return entry.second;
  }
  return std::nullopt;
}

}  // namespace zplatform::kernel
