// Shared helpers of the slide-library tests (see SlideTestSupport.h).
#include "SlideTestSupport.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <unistd.h>

namespace slidetest {

namespace fs = std::filesystem;

std::string RealSlideDir(const std::string& folder) {
  const fs::path dir = fs::path(ZORVEL_TESTDATA_DIR) / "highdicom" / folder;
  return fs::is_directory(dir) ? dir.string() : std::string();
}

std::string Run(const std::string& command, int* status) {
  std::string output;
  FILE* pipe = ::popen(command.c_str(), "r");
  if (!pipe) return output;
  char buffer[4096];
  size_t got;
  while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) output.append(buffer, got);
  const int rc = ::pclose(pipe);
  if (status) *status = rc;
  return output;
}

std::string ScratchDir(const std::string& name) {
  const fs::path dir = fs::path(ZORVEL_BINARY_DIR) / "tests" / "dicominterop" / "scratch" / name;
  fs::remove_all(dir);
  fs::create_directories(dir);
  return dir.string();
}

std::string GeneratedSlide(const std::string& name, const std::string& options) {
  const fs::path dir = fs::path(ZORVEL_BINARY_DIR) / "tests" / "dicominterop" / "slides" / name;
  if (fs::exists(dir / "manifest.json")) return dir.string();
  // CTest runs test cases as parallel processes that may ask for the same slide: each writes
  // its own copy and renames it into place; a loser of that race uses the winner's copy.
  const fs::path staging = dir.string() + ".tmp" + std::to_string(::getpid());
  fs::remove_all(staging);
  int status = 0;
  Run(std::string(ZORVEL_PYTHON) + " " + ZORVEL_SOURCE_DIR + "/tools/make_test_slide.py " + staging.string() + " " +
          options + " >/dev/null 2>&1",
      &status);
  std::error_code ec;
  if (status == 0 && fs::exists(staging / "manifest.json")) fs::rename(staging, dir, ec);
  fs::remove_all(staging, ec);
  return fs::exists(dir / "manifest.json") ? dir.string() : std::string();
}

Bytes ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteBytes(const std::string& path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

static std::string DumpScript() { return std::string(ZORVEL_SOURCE_DIR) + "/tests/dicominterop/dump_frames.py"; }

std::vector<Bytes> PydicomFrames(const std::string& file) {
  const std::string out = ScratchDir("frames_" + fs::path(file).filename().string());
  const std::string count = Run(std::string(ZORVEL_PYTHON) + " " + DumpScript() + " '" + file + "' '" + out + "'");
  std::vector<Bytes> frames;
  for (int i = 0; i < std::atoi(count.c_str()); ++i) frames.push_back(ReadBytes(out + "/frame_" + std::to_string(i) + ".bin"));
  return frames;
}

std::vector<ReferenceFrame> PydicomSlideFrames(const std::string& slideDir) {
  const std::string out = ScratchDir("slide_frames_" + fs::path(slideDir).filename().string());
  std::istringstream lines(Run(std::string(ZORVEL_PYTHON) + " " + DumpScript() + " --slide '" + slideDir + "' '" + out + "'"));
  std::vector<ReferenceFrame> frames;
  ReferenceFrame f;
  while (lines >> f.binFile >> f.level >> f.extended >> f.plane >> f.channel >> f.row >> f.column) frames.push_back(f);
  return frames;
}

std::unique_ptr<CDirectorySource> OpenSource(const std::string& dir, long* count, long* result, bool search) {
  std::u16string path(dir.begin(), dir.end());
  return std::make_unique<CDirectorySource>(path, 256, 256, count, search, result, true, false);
}

TileRead ReadTile(const CWSIZoomImage& image, uint32_t plane, uint32_t x, uint32_t y, uint32_t channel,
                  bool extended) {
  TileRead read;
  uint8_t* data = nullptr;
  uint64_t size = 0;
  std::u16string text;
  read.result = extended ? image.ReadEncodedTileFromExtendedFocus(x, y, channel, &data, &size, &read.exists,
                                                                  &read.errorCode, &text)
                         : image.ReadEncodedTile(plane, x, y, channel, &data, &size, &read.exists,
                                                 &read.errorCode, &text);
  read.nullData = data == nullptr;
  if (data) read.bytes.assign(data, data + size);
  CDicomInteropBase::Free(data);
  return read;
}

}  // namespace slidetest
