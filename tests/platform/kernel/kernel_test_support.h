// Helpers of the kernel tests: a scratch directory removed afterwards and UTF-16 path text.
#pragma once

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "windows.h"

#include "../../support/scratch_dir.h"

namespace kerneltest {

inline std::u16string Wide(const std::string& text) { return std::u16string(text.begin(), text.end()); }

// Scratch directories named after this test program.
class ScratchDir : public zorveltest::ScratchDir {
 public:
  ScratchDir() : zorveltest::ScratchDir("zkernel") {}
};

}  // namespace kerneltest
