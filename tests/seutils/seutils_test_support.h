// Helpers of the common-library tests: scratch directories, UTF-16 text and whole-file reads.
#pragma once

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "../support/scratch_dir.h"

namespace seutilstest {

inline std::u16string Wide(const std::string& text) { return std::u16string(text.begin(), text.end()); }
inline std::string Narrow(const std::u16string& text) { return std::string(text.begin(), text.end()); }

inline std::string ReadAll(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

// Scratch directories named after this test program.
class ScratchDir : public zorveltest::ScratchDir {
 public:
  ScratchDir() : zorveltest::ScratchDir("zseutils") {}
};

// Sets an environment variable for the scope, restoring the previous state.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value) : name_(name) {
    const char* old = getenv(name);
    had_ = old != nullptr;
    if (had_) old_ = old;
    value ? setenv(name, value, 1) : unsetenv(name);
  }
  ~ScopedEnv() { had_ ? setenv(name_.c_str(), old_.c_str(), 1) : unsetenv(name_.c_str()); }

 private:
  std::string name_, old_;
  bool had_ = false;
};

}  // namespace seutilstest
