// Files through handles: positional (overlapped) reads and their end-of-file rules, the file
// pointer, writes and truncation, directory enumeration, and bad handles.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "kernel_test_support.h"

using kerneltest::ScratchDir;
using kerneltest::Wide;

namespace {

class FileTest : public ::testing::Test {
 protected:
  void SetUp() override { dir_.Write("data.bin", "0123456789"); }
  HANDLE Open(DWORD flags = 0, const char* name = "data.bin") {
    return CreateFileW(Wide(dir_.File(name)).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, flags,
                       nullptr);
  }
  static OVERLAPPED At(DWORD offset, HANDLE event = nullptr) {
    OVERLAPPED ov{};
    ov.u.s.Offset = offset;
    ov.hEvent = event;
    return ov;
  }
  ScratchDir dir_;
};

struct PositionalCase {
  DWORD offset;
  DWORD asked;
  BOOL result;
  DWORD got;
  DWORD error;
};

TEST_F(FileTest, OverlappedReadsArePositionalWithEndOfFileRules) {
  HANDLE file = Open(FILE_FLAG_OVERLAPPED);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  const PositionalCase cases[] = {
      {2, 4, TRUE, 4, 0},                // inside the file
      {8, 5, TRUE, 2, 0},                // crosses the end: short read succeeds
      {10, 1, FALSE, 0, ERROR_HANDLE_EOF},  // at the end
      {99, 1, FALSE, 0, ERROR_HANDLE_EOF},  // beyond the end
  };
  for (const auto& c : cases) {
    HANDLE event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    OVERLAPPED ov = At(c.offset, event);
    char buffer[8] = {};
    DWORD got = 77;
    SetLastError(0);
    EXPECT_EQ(ReadFile(file, buffer, c.asked, &got, &ov), c.result) << c.offset;
    EXPECT_EQ(got, c.got);
    if (!c.result) {
      EXPECT_EQ(GetLastError(), c.error);
    }
    EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_OBJECT_0) << "completion must signal the event";
    DWORD transferred = 0;
    EXPECT_EQ(GetOverlappedResult(file, &ov, &transferred, TRUE), c.result);
    EXPECT_EQ(transferred, c.got);
    if (c.got) {
      EXPECT_EQ(std::string(buffer, c.got), std::string("0123456789").substr(c.offset, c.got));
    }
    CloseHandle(event);
  }
  char buffer[4];
  DWORD got = 0;
  EXPECT_FALSE(ReadFile(file, buffer, 4, &got, nullptr)) << "an overlapped handle has no file pointer";
  CloseHandle(file);
}

TEST_F(FileTest, PlainReadsFollowTheFilePointerAndReturnZeroAtTheEnd) {
  HANDLE file = Open();
  char buffer[8];
  DWORD got = 0;
  LARGE_INTEGER move{}, where{};
  move.QuadPart = -3;
  ASSERT_TRUE(SetFilePointerEx(file, move, &where, FILE_END));
  EXPECT_EQ(where.QuadPart, 7);
  EXPECT_TRUE(ReadFile(file, buffer, 8, &got, nullptr));
  EXPECT_EQ(std::string(buffer, got), "789");
  EXPECT_TRUE(ReadFile(file, buffer, 8, &got, nullptr));
  EXPECT_EQ(got, 0u);
  move.QuadPart = -20;
  EXPECT_FALSE(SetFilePointerEx(file, move, &where, FILE_CURRENT));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NEGATIVE_SEEK));
  LARGE_INTEGER size{};
  EXPECT_TRUE(GetFileSizeEx(file, &size));
  EXPECT_EQ(size.QuadPart, 10);
  CloseHandle(file);
}

TEST_F(FileTest, WriteAndTruncateAtThePointer) {
  const std::u16string path = Wide(dir_.File("out.log"));
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                            OPEN_ALWAYS, FILE_ATTRIBUTE_ARCHIVE, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));
  DWORD written = 0;
  EXPECT_TRUE(WriteFile(file, "abcdef", 6, &written, nullptr));
  OVERLAPPED ov = At(1);
  EXPECT_TRUE(WriteFile(file, "XY", 2, &written, &ov));
  LARGE_INTEGER move{};
  move.QuadPart = 4;
  EXPECT_TRUE(SetFilePointerEx(file, move, nullptr, FILE_BEGIN));
  EXPECT_TRUE(SetEndOfFile(file));
  CloseHandle(file);
  HANDLE again = CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_ALWAYS, 0, nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
  char buffer[8];
  DWORD got = 0;
  ReadFile(again, buffer, 8, &got, nullptr);
  EXPECT_EQ(std::string(buffer, got), "aXYd");
  CloseHandle(again);
}

TEST_F(FileTest, OpenFailuresAndBadHandlesSetWin32Errors) {
  EXPECT_EQ(Open(0, "missing.bin"), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  EXPECT_EQ(Open(0, "nodir/x.bin"), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
  EXPECT_EQ(CreateFileW(Wide(dir_.path()).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr),
            INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  char buffer[4];
  DWORD got = 0;
  int notAHandle = 0;
  EXPECT_FALSE(ReadFile(&notAHandle, buffer, 4, &got, nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  HANDLE event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  EXPECT_FALSE(ReadFile(event, buffer, 4, &got, nullptr)) << "an event is not a file";
  CloseHandle(event);
}

TEST_F(FileTest, BackslashesSeparatePathParts) {
  std::string path = dir_.File("data.bin");
  std::replace(path.begin(), path.end(), '/', '\\');
  HANDLE file = CreateFileW(Wide(path).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  EXPECT_NE(file, INVALID_HANDLE_VALUE);
  CloseHandle(file);
}

TEST_F(FileTest, FindEnumeratesMatchingEntries) {
  dir_.Write("a.DCM", "x");
  dir_.Write("b.dcm", "xyz");
  dir_.Write("c.txt", "x");
  std::filesystem::create_directory(dir_.File("sub.dcm"));
  auto names = [&](const std::string& pattern) {
    std::set<std::string> found;
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW(Wide(dir_.path() + "\\" + pattern).c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return found;
    do {
      std::u16string name(data.cFileName);
      found.insert(std::string(name.begin(), name.end()) +
                   ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? "/" : ":" + std::to_string(data.nFileSizeLow)));
    } while (FindNextFileW(find, &data));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_MORE_FILES));
    FindClose(find);
    return found;
  };
  EXPECT_EQ(names("*.dcm"), (std::set<std::string>{"a.DCM:1", "b.dcm:3", "sub.dcm/"}));
  EXPECT_EQ(names("?.txt"), (std::set<std::string>{"c.txt:1"}));
  EXPECT_EQ(names("*.*").size(), 7u);  // five entries plus "." and ".."
  EXPECT_TRUE(names("*.png").empty());
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  WIN32_FIND_DATAW data;
  EXPECT_EQ(FindFirstFileW(Wide(dir_.File("nodir/*")).c_str(), &data), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
}

}  // namespace
