// Helpers of the kernel tests: a scratch directory removed afterwards and UTF-16 path text.
#pragma once

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "windows.h"

namespace kerneltest {

inline std::u16string Wide(const std::string& text) { return std::u16string(text.begin(), text.end()); }

class ScratchDir {
 public:
  ScratchDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "zkernel-XXXXXX").string();
    path_ = mkdtemp(pattern.data());
  }
  ~ScratchDir() { std::filesystem::remove_all(path_); }
  std::string File(const std::string& name) const { return path_ + "/" + name; }
  void Write(const std::string& name, const std::string& bytes) const {
    std::ofstream(File(name), std::ios::binary) << bytes;
  }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

}  // namespace kerneltest
