// Finding the slide directories of a served root.
#include "SlideCatalog.h"

#include <fstream>

namespace zorvel_serve {
namespace {

bool IsDicomFile(const std::filesystem::directory_entry& entry) {
  std::error_code error;
  if (!entry.is_regular_file(error)) return false;
  if (entry.path().extension() == ".dcm") return true;
  std::ifstream in(entry.path(), std::ios::binary);
  char magic[132] = {};
  in.read(magic, sizeof magic);
  return in.gcount() == sizeof magic && std::string_view(magic + 128, 4) == "DICM";
}

bool HoldsDicomFiles(const std::filesystem::path& dir) {
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(dir, error)) {
    if (IsDicomFile(entry)) return true;
  }
  return false;
}

bool IsInside(const std::filesystem::path& path, const std::filesystem::path& root) {
  const auto [end, unused] = std::mismatch(root.begin(), root.end(), path.begin(), path.end());
  return end == root.end();
}

}  // namespace

SlideCatalog::SlideCatalog(const std::filesystem::path& root) {
  std::error_code error;
  const std::filesystem::path canonicalRoot = std::filesystem::canonical(root, error);
  if (error) return;
  if (HoldsDicomFiles(canonicalRoot)) {
    m_slides.emplace(canonicalRoot.filename().string(), canonicalRoot);
    return;
  }
  for (const auto& entry : std::filesystem::directory_iterator(canonicalRoot, error)) {
    const std::string name = entry.path().filename().string();
    if (name.empty() || name[0] == '.' || !entry.is_directory(error)) continue;
    const std::filesystem::path target = std::filesystem::canonical(entry.path(), error);
    if (error || !IsInside(target, canonicalRoot) || !HoldsDicomFiles(target)) continue;
    m_slides.emplace(name, target);
  }
}

std::vector<std::string> SlideCatalog::Names() const {
  std::vector<std::string> names;
  for (const auto& [name, path] : m_slides) names.push_back(name);
  return names;
}

std::optional<std::filesystem::path> SlideCatalog::Find(const std::string& name) const {
  const auto found = m_slides.find(name);
  if (found == m_slides.end()) return std::nullopt;
  return found->second;
}

}  // namespace zorvel_serve
