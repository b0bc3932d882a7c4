// CSeFileIO: positional and plain reads, the short-read rule, and calls without an open file.
#include <gtest/gtest.h>

#include "seutils_test_support.h"
#include "win/SeUtilFileIO.h"

using seutilstest::ScratchDir;
using seutilstest::Wide;

namespace {

class FileIOTest : public ::testing::TestWithParam<bool> {
 protected:
  void SetUp() override {
    dir_.Write("slide.dcm", std::string(128, '\0') + "DICM" + std::string(68, 'x'));  // 200 bytes
    ASSERT_EQ(file_.OpenFile(Wide(dir_.File("slide.dcm")).c_str(), GENERIC_READ, FILE_SHARE_READ, GetParam()), S_OK);
  }
  ScratchDir dir_;
  CSeFileIO file_;
};

TEST_P(FileIOTest, ReadsAtOffsetsAndReportsShortReads) {
  EXPECT_EQ(file_.IsOverlapped(), GetParam());
  char marker[4];
  const LONGLONG at128 = 128;
  ASSERT_EQ(file_.ReadFromFile(marker, 4, &at128), S_OK);
  EXPECT_EQ(std::string(marker, 4), "DICM");
  char window[2000];
  DWORD got = 0;
  const LONGLONG start = 0;
  EXPECT_EQ(file_.ReadFromFile(window, 2000, &start, &got), S_OK);
  EXPECT_EQ(got, 200u) << "a short read with a count is fine";
  EXPECT_EQ(file_.ReadFromFile(window, 2000, &start), HRESULT_FROM_WIN32(ERROR_HANDLE_EOF));
  const LONGLONG beyond = 5000;
  EXPECT_EQ(file_.ReadFromFile(window, 10, &beyond, &got), S_OK);
  EXPECT_EQ(got, 0u);
  LONGLONG size = 0;
  EXPECT_EQ(file_.GetFileSize(size), S_OK);
  EXPECT_EQ(size, 200);
}

TEST_P(FileIOTest, EventSuppliedByTheCallerIsSignalledAndRecordReturned) {
  HANDLE event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  OVERLAPPED record{};
  char buffer[8];
  DWORD got = 0;
  const LONGLONG offset = 130;
  ASSERT_EQ(file_.ReadFromFile(buffer, 8, &offset, &got, event, &record), S_OK);
  EXPECT_EQ(got, 8u);
  if (GetParam()) {
    EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_OBJECT_0);
    EXPECT_EQ(record.InternalHigh, 8u);
  }
  CloseHandle(event);
}

INSTANTIATE_TEST_SUITE_P(PlainAndOverlapped, FileIOTest, ::testing::Bool());

TEST(FileIO, FailuresCarryWin32Codes) {
  ScratchDir dir;
  CSeFileIO file;
  char buffer[4];
  LONGLONG value = 0;
  EXPECT_EQ(file.ReadFromFile(buffer, 4), E_HANDLE);
  EXPECT_EQ(file.GetFileSize(value), E_HANDLE);
  EXPECT_EQ(file.SeekFile(0, FILE_BEGIN), E_HANDLE);
  EXPECT_EQ(file.GetCurrentFilePointer(value), E_HANDLE);
  EXPECT_EQ(file.CloseFile(), E_HANDLE);
  EXPECT_EQ(file.OpenFile(Wide(dir.File("missing.dcm")).c_str(), GENERIC_READ, FILE_SHARE_READ),
            HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND));
  dir.Write("a.bin", "abcdef");
  ASSERT_EQ(file.OpenFile(Wide(dir.File("a.bin")).c_str(), GENERIC_READ, FILE_SHARE_READ, true), S_OK);
  EXPECT_EQ(file.ReadFromFile(buffer, 4), HRESULT_FROM_WIN32(ERROR_INVALID_FUNCTION)) << "overlapped needs an offset";
  ASSERT_EQ(file.OpenFile(Wide(dir.File("a.bin")).c_str(), GENERIC_READ, FILE_SHARE_READ), S_OK) << "reopens";
  EXPECT_EQ(file.SeekFile(2, FILE_BEGIN), S_OK);
  ASSERT_EQ(file.ReadFromFile(buffer, 3), S_OK);
  EXPECT_EQ(std::string(buffer, 3), "cde");
  EXPECT_EQ(file.GetCurrentFilePointer(value), S_OK);
  EXPECT_EQ(value, 5);
  EXPECT_EQ(file.CloseFile(), S_OK);
  EXPECT_FALSE(file.IsOpen());
}

}  // namespace
