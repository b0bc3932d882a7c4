// The slides under a served root directory, found once at start: each subdirectory that holds
// DICOM files is a slide named by its directory name, or the root itself is one slide. A slide
// is addressed by its name only; directories reached through symbolic links that lead outside the
// root are left out, so no name a client sends reaches the file system.
#pragma once

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace zorvel_serve {

class SlideCatalog {
 public:
  explicit SlideCatalog(const std::filesystem::path& root);

  std::vector<std::string> Names() const;
  std::optional<std::filesystem::path> Find(const std::string& name) const;

 private:
  std::map<std::string, std::filesystem::path> m_slides;
};

}  // namespace zorvel_serve
