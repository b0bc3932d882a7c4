// Slides that once aborted or stalled a host (the shared damaged corpus, plus a file-meta VR
// changed to one the standard does not define, built here): through the slide library and
// through the module via zorvel, each ends with an error code, quickly, never with a signal.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <filesystem>

#include "SlideTestSupport.h"

namespace {

using namespace slidetest;
using namespace DicomInteropDefines;
namespace fs = std::filesystem;

constexpr double kMaxSeconds = 5.0;

// A generated one-file slide whose (0002,0002) VR "UI" is changed to "rI".
std::string MetaVrCase() {
  const std::string base = GeneratedSlide("bad_base_jpeg", "--width 512 --height 512 --levels 0 --seed 5");
  Bytes file = ReadBytes(base + "/level0_z0_p1.dcm");
  const uint8_t tag[] = {0x02, 0x00, 0x02, 0x00, 'U', 'I'};
  auto it = std::search(file.begin(), file.end(), std::begin(tag), std::end(tag));
  if (it == file.end()) return {};
  it[4] = 'r';
  const std::string dir = ScratchDir("damaged_meta_vr");
  WriteBytes(dir + "/slide.dcm", file);
  return dir;
}

std::vector<std::string> DamagedDirs() {
  std::vector<std::string> dirs;
  const fs::path root = fs::path(ZORVEL_TESTDATA_DIR) / "damaged";
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(root, ec)) {
    if (entry.is_directory()) dirs.push_back(entry.path().string());
  }
  std::sort(dirs.begin(), dirs.end());
  return dirs;
}

double SecondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Library: no slide, or a level that does not open, or tiles that fail with codes.
void ExpectLibraryFails(const std::string& dir) {
  const auto start = std::chrono::steady_clock::now();
  long count = 0, result = 0;
  auto source = OpenSource(dir, &count, &result);
  if (count > 0) {
    CWSIZoomImage level;
    if (level.OpenZoomLevel(source.get(), false, 0, true) == WSI_OK) {
      const TileRead tile = ReadTile(level, 0, 0, 0, 0);
      EXPECT_LT(tile.result, 0) << dir;
      EXPECT_TRUE(tile.nullData) << dir;
    }
  }
  EXPECT_LT(SecondsSince(start), kMaxSeconds) << dir;
}

// Module through zorvel: a failure exit (1) within the time bound, never a signal.
void ExpectModuleFails(const std::string& dir, const std::string& arguments) {
  const auto start = std::chrono::steady_clock::now();
  int status = 0;
  slidetest::Run(std::string(ZORVEL_CLI) + " " + arguments + " '" + dir + "' >/dev/null 2>&1", &status);
  EXPECT_TRUE(WIFEXITED(status)) << dir << ": " << arguments;
  EXPECT_EQ(WEXITSTATUS(status), 1) << dir << ": " << arguments;
  EXPECT_LT(SecondsSince(start), kMaxSeconds) << dir << ": " << arguments;
}

TEST(DamagedFiles, EveryOneEndsWithACodeThroughLibraryAndModule) {
  std::vector<std::string> dirs = DamagedDirs();
  if (dirs.empty()) GTEST_SKIP() << "damaged test files not present: " << ZORVEL_TESTDATA_DIR;
  const std::string metaVr = MetaVrCase();
  ASSERT_FALSE(metaVr.empty());
  dirs.push_back(metaVr);
  const std::string tile = " --level 0 --x 0 --y 0 -o " + ScratchDir("damaged_tile") + "/tile.bin";
  for (const std::string& dir : dirs) {
    ExpectLibraryFails(dir);
    ExpectModuleFails(dir, "info");
    ExpectModuleFails(dir, "props");
    ExpectModuleFails(dir, "tile" + tile);
  }
}

}  // namespace
