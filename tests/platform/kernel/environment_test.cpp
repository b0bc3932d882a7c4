// Environment expansion, temp and current directory, command line, module paths, machine facts.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <zplatform/text.h>

#include "kernel_test_support.h"

using kerneltest::Wide;

namespace {

std::u16string Expand(const char16_t* text) {
  const DWORD needed = ExpandEnvironmentStringsW(text, nullptr, 0);
  std::u16string out(needed, u'#');
  EXPECT_EQ(ExpandEnvironmentStringsW(text, out.data(), needed), needed);
  EXPECT_EQ(out.back(), u'\0');
  out.pop_back();
  return out;
}

TEST(Environment, ExpandsKnownVariablesAndKeepsTheRest) {
  setenv("ZK_DIR", "/var/tmp", 1);
  setenv("ZK_EMPTY", "", 1);
  unsetenv("ZK_UNKNOWN");
  const std::pair<const char16_t*, const char16_t*> cases[] = {
      {u"%ZK_DIR%\\logs", u"/var/tmp\\logs"},
      {u"%zk_dir%", u"/var/tmp"},                    // names without regard to case
      {u"a%ZK_EMPTY%b", u"ab"},
      {u"%ZK_UNKNOWN%", u"%ZK_UNKNOWN%"},
      {u"%ZK_UNKNOWN%x%ZK_DIR%", u"%ZK_UNKNOWN%x/var/tmp"},
      {u"100%", u"100%"},
      {u"%%", u"%%"},
      {u"", u""},
  };
  for (const auto& [in, out] : cases) EXPECT_EQ(Expand(in), out);
}

TEST(Environment, ExpansionReportsTheSizeIncludingTheTerminator) {
  setenv("ZK_DIR", "/var/tmp", 1);
  char16_t small[4] = {u'#', u'#', u'#', u'#'};
  EXPECT_EQ(ExpandEnvironmentStringsW(u"%ZK_DIR%", small, 4), 9u);
  EXPECT_EQ(small[0], u'#') << "nothing is written into a buffer that is too small";
}

TEST(Environment, TempPathComesFromTmpdirWithATrailingSeparator) {
  const char* saved = getenv("TMPDIR");
  const std::string restore = saved ? saved : "";
  char16_t buffer[MAX_PATH];
  setenv("TMPDIR", "/some/where", 1);
  EXPECT_EQ(GetTempPathW(MAX_PATH, buffer), 12u);
  EXPECT_EQ(std::u16string(buffer), u"/some/where/");
  EXPECT_EQ(GetTempPathW(5, buffer), 13u) << "too small: the size needed";
  setenv("TMPDIR", "/already/", 1);
  GetTempPathW(MAX_PATH, buffer);
  EXPECT_EQ(std::u16string(buffer), u"/already/");
  unsetenv("TMPDIR");
  GetTempPathW(MAX_PATH, buffer);
  EXPECT_EQ(std::u16string(buffer), u"/tmp/");
  if (saved) setenv("TMPDIR", restore.c_str(), 1);
}

TEST(Environment, CurrentDirectoryAndVariables) {
  char cwd[4096];
  ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
  char16_t buffer[4096];
  EXPECT_EQ(GetCurrentDirectoryW(4096, buffer), std::string(cwd).size());
  EXPECT_EQ(std::u16string(buffer), Wide(cwd));
  EXPECT_TRUE(SetEnvironmentVariableW(u"ZK_SET", u"v1"));
  EXPECT_EQ(GetEnvironmentVariableW(u"ZK_SET", buffer, 4096), 2u);
  EXPECT_TRUE(SetEnvironmentVariableW(u"ZK_SET", nullptr));
  EXPECT_EQ(GetEnvironmentVariableW(u"ZK_SET", buffer, 4096), 0u);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ENVVAR_NOT_FOUND));
}

TEST(Process, CommandLineStartsWithTheProgramAndQuotesBlanks) {
  const std::u16string line = GetCommandLineW();
  char exe[4096];
  const ssize_t n = readlink("/proc/self/exe", exe, sizeof exe);
  ASSERT_GT(n, 0);
  const std::string name = std::string(exe, static_cast<size_t>(n)).substr(std::string(exe, n).rfind('/') + 1);
  EXPECT_NE(line.find(Wide(name)), std::u16string::npos);
}

TEST(Process, ModulePathsOfExecutableAndLibrary) {
  char16_t buffer[4096];
  char exe[4096];
  const ssize_t n = readlink("/proc/self/exe", exe, sizeof exe);
  ASSERT_GT(n, 0);
  EXPECT_EQ(GetModuleFileNameW(nullptr, buffer, 4096), static_cast<DWORD>(n));
  EXPECT_EQ(std::u16string(buffer), Wide(std::string(exe, static_cast<size_t>(n))));
  EXPECT_EQ(GetModuleFileNameW(GetModuleHandleW(nullptr), buffer, 4096), static_cast<DWORD>(n));

  HMODULE platform = nullptr;
  ASSERT_TRUE(GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                                 reinterpret_cast<LPCWSTR>(&GetTempPathW), &platform));
  const DWORD length = GetModuleFileNameW(platform, buffer, 4096);
  const std::u16string path(buffer, length);
  EXPECT_EQ(path.front(), u'/');
  EXPECT_NE(path.find(u"libZorvelPlatform.so"), std::u16string::npos);
  EXPECT_EQ(GetModuleHandleW(u"LIBZORVELPLATFORM.SO"), platform) << "found by file name, case ignored";

  EXPECT_EQ(GetModuleFileNameW(platform, buffer, 5), 5u) << "cut to the buffer";
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
  EXPECT_EQ(buffer[4], u'\0');
}

TEST(Machine, FactsAreTheMachinesOwn) {
  SYSTEM_INFO info{};
  GetSystemInfo(&info);
  EXPECT_GE(info.dwNumberOfProcessors, 1u);
  EXPECT_LE(info.dwNumberOfProcessors, static_cast<DWORD>(sysconf(_SC_NPROCESSORS_CONF)));
  MEMORYSTATUSEX memory{};
  EXPECT_FALSE(GlobalMemoryStatusEx(&memory)) << "dwLength must be set";
  memory.dwLength = sizeof memory;
  ASSERT_TRUE(GlobalMemoryStatusEx(&memory));
  EXPECT_GT(memory.ullAvailPhys, 0u);
  EXPECT_LE(memory.ullAvailPhys, memory.ullTotalPhys);
}

TEST(Text, Utf8ConversionsRoundTripAndReportSizes) {
  const char16_t wide[] = u"a\u00e9\U0001F600";
  EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, wide, -1, nullptr, 0, nullptr, nullptr), 8);
  char utf8[8];
  EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, wide, -1, utf8, 8, nullptr, nullptr), 8);
  EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, wide, -1, utf8, 7, nullptr, nullptr), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
  char16_t back[8];
  EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, utf8, -1, back, 8), 5);
  EXPECT_EQ(std::u16string(back), wide);
  const char16_t lone[] = {0xD800, u'x'};
  EXPECT_EQ(WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, lone, 2, utf8, 8, nullptr, nullptr), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_UNICODE_TRANSLATION));
}


// The one converter every layer uses: ill-formed input replaced, or read as Latin-1 when asked.
TEST(Text, IllFormedUtf8IsReplacedOrReadAsLatin1) {
  struct Case {
    std::string_view utf8;
    std::u16string_view replaced, latin1;
  } const cases[] = {
      {"caf\xC3\xA9", u"caf\u00e9", u"caf\u00e9"},
      {"caf\xE9", u"caf\uFFFD", u"caf\u00e9"},          // a stray Latin-1 byte
      {"\xC0\xAF", u"\uFFFD\uFFFD", u"\u00C0\u00AF"},  // overlong
      {"\xE2\x82", u"\uFFFD", u"\u00E2\u0082"},         // cut short
  };
  for (const auto& c : cases) {
    bool valid = true;
    EXPECT_EQ(zplatform::Utf8ToUtf16(c.utf8, &valid), c.replaced);
    EXPECT_EQ(valid, c.replaced == c.latin1 && c.replaced.find(u'\uFFFD') == std::u16string_view::npos);
    EXPECT_EQ(zplatform::Utf8ToUtf16(c.utf8, nullptr, zplatform::BadUtf8::Latin1), c.latin1);
  }
  const char16_t lone[] = {0xDC00, u'x'};
  EXPECT_EQ(zplatform::Utf16ToUtf8(std::u16string_view(lone, 2)), "\xEF\xBF\xBDx");
  EXPECT_TRUE(zplatform::EqualsNoCase(u"Slide.INI", "SLIDE.ini"));
  EXPECT_FALSE(zplatform::EqualsNoCase(u"\u00e9", u"\u00c9"));  // ASCII only
  EXPECT_FALSE(zplatform::EqualsNoCase(u"abc", "ab"));
}

}  // namespace
