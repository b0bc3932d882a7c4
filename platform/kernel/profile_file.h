// Parsed private-profile (INI) text: sections of key=value lines, looked up as the platform does
// (case-insensitive names, first section and first key of a name win, values trimmed and unquoted).
// Pure: parsing and lookups only; reading the file is the caller's.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace zplatform::kernel {

class ProfileFile {
 public:
  // Parses the raw file bytes: UTF-16LE with BOM, else UTF-8 (BOM optional).
  static ProfileFile Parse(std::string_view bytes);

  std::vector<std::u16string> SectionNames() const;
  // Keys of the first section of that name; empty when the section is absent.
  std::vector<std::u16string> KeyNames(std::u16string_view section) const;
  std::optional<std::u16string> Value(std::u16string_view section, std::u16string_view key) const;

 private:
  struct Section {
    std::u16string name;
    std::vector<std::pair<std::u16string, std::u16string>> entries;  // key, value (file order)
  };
  const Section* Find(std::u16string_view section) const;
  void ParseLine(std::u16string_view line);

  std::vector<Section> sections_;
};

}  // namespace zplatform::kernel
