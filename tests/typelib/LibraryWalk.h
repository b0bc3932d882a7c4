// Walks the ZORVELDICOMLib declarations for the tests: its interfaces in library order and each
// interface's members with those of its bases first, as they appear in the function table.
#pragma once

#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "TypeLibrary.h"

namespace typelib_test {

inline std::string Narrow(std::u16string_view text) { return std::string(text.begin(), text.end()); }

inline bool IsDual(const zplatform::automation::InterfaceDecl& decl) { return (decl.typeFlags & TYPEFLAG_FDUAL) != 0; }

inline std::vector<const zplatform::automation::InterfaceDecl*> LibraryInterfaces() {
  std::vector<const zplatform::automation::InterfaceDecl*> interfaces;
  for (const auto& type : ZorvelTypeLib::kZORVELDICOMLib.types) {
    if (auto* decl = std::get_if<const zplatform::automation::InterfaceDecl*>(&type)) interfaces.push_back(*decl);
  }
  return interfaces;
}

inline std::vector<const zplatform::automation::MemberDecl*> AllMembers(
    const zplatform::automation::InterfaceDecl& decl) {
  std::vector<const zplatform::automation::MemberDecl*> members;
  if (decl.base != nullptr) members = AllMembers(*decl.base);
  for (const auto& member : decl.members) members.push_back(&member);
  return members;
}

}  // namespace typelib_test
