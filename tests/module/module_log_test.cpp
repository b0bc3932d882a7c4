// The error log of the module with logging switched on (ModuleSettings.ini beside this program):
// the trail a failing class-object request, a failing synchronous opening and a slide whose
// widest level cannot be read leave, line by line.
#include <algorithm>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "module_host.h"

namespace module_test {
namespace {

std::vector<std::string> LogLines() {
  std::ifstream file(ZORVEL_LOG_FILE, std::ios::binary);
  std::vector<std::string> lines;
  for (std::string line; std::getline(file, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.find("Code=0x") != std::string::npos || line.find("largest level") != std::string::npos) {
      lines.push_back(line.substr(line.find(" Module=")));
    }
  }
  return lines;
}

// An entry without its time stamp and with the thread id blanked.
std::string WithoutThread(const std::string& entry) {
  const auto start = entry.find("ThreadID=");
  const auto end = entry.find(' ', start);
  return entry.substr(0, start) + "ThreadID=* " + entry.substr(end + 1);
}

// A generated two-level slide whose level-0 file states Number of Frames 0: unreadable, so the
// level below it would silently be served as full resolution.
std::filesystem::path SlideWithUnreadableLevel0() {
  const std::filesystem::path dir = MakeSlide("unreadable_level0", "--width 1024 --height 1024 --tile 256 --levels 0,1");
  const std::filesystem::path file = dir / "level0_z0_p1.dcm";
  std::ifstream in(file, std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const size_t at = bytes.find(std::string("\x28\x00\x08\x00IS", 6));
  if (dir.empty() || at == std::string::npos) return {};
  const size_t length = static_cast<uint8_t>(bytes[at + 6]);
  std::string zero(length, ' ');
  zero[0] = '0';
  bytes.replace(at + 8, length, zero);
  std::ofstream(file, std::ios::binary | std::ios::trunc) << bytes;
  return dir;
}

TEST(ModuleLog, FailurePathsLeaveTheirLines) {
  std::filesystem::remove(ZORVEL_LOG_FILE);
  ASSERT_NE(ModuleHost::Get().handle, nullptr) << dlerror();
  const GUID unknown = {0xABCDEF01, 0x2345, 0x6789, {0, 1, 2, 3, 4, 5, 6, 7}};
  void* out = nullptr;
  EXPECT_EQ(ModuleHost::Get().getClassObject(unknown, IID_IClassFactory, &out), CLASS_E_CLASSNOTAVAILABLE);

  const std::filesystem::path empty = ScratchDir() / "empty";
  std::filesystem::create_directories(empty);
  {
    auto slide = Create<IKLVZorvel>(CLSID_KLVZorvelDICOM, IID_IKLVZorvel);
    ASSERT_EQ(PutBool(slide.Get(), 50010, true), S_OK);
    EXPECT_EQ(Open(slide.Get(), empty), static_cast<HRESULT>(0x81030027u));
  }
  const std::filesystem::path damaged = SlideWithUnreadableLevel0();
  ASSERT_FALSE(damaged.empty());
  {
    auto slide = Create<IKLVZorvel>(CLSID_KLVZorvelDICOM, IID_IKLVZorvel);
    ASSERT_EQ(PutBool(slide.Get(), 50010, true), S_OK);
    EXPECT_EQ(Open(slide.Get(), damaged), S_OK);
  }

  std::vector<std::string> lines;
  for (const std::string& line : LogLines()) lines.push_back(WithoutThread(line));
  const std::vector<std::string> expected = {
      " Module=ZorvelDicom File=ZorvelDicom Line=26 Function=DllGetClassObject ThreadID=* Code=0x80040111",
      " Module=ZorvelDicom File=DicomZorvel Line=123 Function=CDicomZorvelImpl::CreateDicomSource ThreadID=* "
      "Code=0x81030027",
      " Module=ZorvelDicom File=DicomZorvel Line=126 ThreadID=* File not read: " +
          (damaged / "level0_z0_p1.dcm").string() + ", Code=0xB0000105",
      " Module=ZorvelDicom File=DicomZorvel Line=127 ThreadID=* The largest level of the slide cannot be read: the "
      "largest readable level is presented as full resolution",
  };
  EXPECT_EQ(lines, expected);
}

}  // namespace
}  // namespace module_test
