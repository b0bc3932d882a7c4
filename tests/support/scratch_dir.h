// A temporary directory for one test, removed with everything in it when the test ends.
// Shared by the test programs of several layers; header-only.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace zorveltest {

class ScratchDir {
 public:
  explicit ScratchDir(const std::string& prefix = "zorvel-test") {
    std::string pattern = (std::filesystem::temp_directory_path() / (prefix + "-XXXXXX")).string();
    path_ = mkdtemp(pattern.data());
  }
  ~ScratchDir() { std::filesystem::remove_all(path_); }
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;

  std::string File(const std::string& name) const { return path_ + "/" + name; }
  void Write(const std::string& name, const std::string& bytes) const {
    std::ofstream(File(name), std::ios::binary) << bytes;
  }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

}  // namespace zorveltest
