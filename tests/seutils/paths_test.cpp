// Paths, boolean words and settings readers of the common library.
#include <gtest/gtest.h>
#include <unistd.h>

#include <climits>

#include "base/SeCArray.h"
#include "base/SeUtils.h"
#include "seutils_test_support.h"

using seutilstest::Narrow;
using seutilstest::ScopedEnv;
using seutilstest::ScratchDir;
using seutilstest::Wide;

namespace {

TEST(ModulePath, LongPathPrefixesAndSeparators) {
  const std::tuple<const char16_t*, const char16_t*, const char16_t*> cases[] = {
      {u"\\\\?\\UNC\\server\\share\\dir\\x.dll", u"\\\\server\\share\\dir", u"x.dll"},
      {u"\\\\?\\unc\\server\\share\\x.dll", u"\\\\server\\share", u"x.dll"},
      {u"\\\\?\\C:\\dir\\x.dll", u"C:\\dir", u"x.dll"},
      {u"/usr/lib/libZorvelDicom.so", u"/usr/lib", u"libZorvelDicom.so"},
      {u"x.dll", u"", u"x.dll"},
  };
  for (const auto& [path, directory, file] : cases) {
    std::u16string d = u"?", f = u"?";
    EXPECT_EQ(SeSplitModulePath(path, &d, &f), S_OK);
    EXPECT_EQ(d, directory) << Narrow(path);
    EXPECT_EQ(f, file) << Narrow(path);
  }
  std::u16string d = u"?";
  EXPECT_EQ(SeSplitModulePath(u"\\\\?\\", &d, nullptr), E_FAIL);
  EXPECT_EQ(d, u"");
}

TEST(ModulePath, ExecutableAndTempDirectory) {
  char exe[4096];
  const ssize_t n = readlink("/proc/self/exe", exe, sizeof exe);
  ASSERT_GT(n, 0);
  std::u16string directory, file;
  ASSERT_EQ(GetModuleDirAndFileName(&directory, &file), S_OK);
  EXPECT_EQ(directory + u"/" + file, Wide(std::string(exe, static_cast<size_t>(n))));

  ScopedEnv tmp("TMPDIR", "/scratch/area/");
  std::u16string temp = u"unchanged";
  EXPECT_EQ(SeGetTempPath(temp), S_OK);
  EXPECT_EQ(temp, u"/scratch/area");
}

TEST(BoolWords, WordFormRecognisesTheEightWords) {
  const std::pair<const char16_t*, int> cases[] = {
      {u"TRUE", 1}, {u" yes ", 1}, {u"\tOn", 1}, {u"1", 1}, {u"false", 0}, {u"No", 0}, {u"OFF ", 0}, {u"0", 0},
      {u"enabled", -1}, {u"", -1}, {u"2", -1}, {u"y", -1}, {u"0.0", -1},
  };
  for (const auto& [text, expected] : cases) {
    bool value = true;
    const bool recognised = SeStringToBool(std::u16string_view(text), value);
    EXPECT_EQ(recognised, expected != -1) << Narrow(text);
    EXPECT_EQ(value, expected == -1 ? true : expected == 1) << "untouched when not recognised";
  }
}

TEST(IniReaders, IntegerRule) {
  const std::tuple<const char16_t*, bool, INT> cases[] = {
      {u"42", true, 42},        {u"  -7", true, -7},     {u"9.99", true, 9},      {u"-9.99", true, -9},
      {u"3000000000", true, INT_MIN}, {u"-2147483648", true, INT_MIN}, {u"2147483647", true, INT_MAX},
      {u"", false, 0},          {u"12abc", false, 0},    {u"abc", false, 0},      {u"0x10", false, 0},
  };
  for (const auto& [text, ok, expected] : cases) {
    INT value = 0;
    EXPECT_EQ(SeParseIniInt(text, value), ok) << Narrow(text);
    if (ok) {
      EXPECT_EQ(value, expected) << Narrow(text);
    }
  }
}

TEST(IniReaders, ReadersFallBackToTheirDefaults) {
  ScratchDir dir;
  const std::string longValue(1000, 'v');
  dir.Write("s.ini", "[A]\nflag=maybe\nnum=17\ntext=" + longValue + "\n");
  const std::u16string file = Wide(dir.File("s.ini"));
  bool flag = false;
  EXPECT_FALSE(SeReadIniBool(file, u"A", u"flag", true, flag));
  EXPECT_TRUE(flag);
  INT number = 0;
  EXPECT_TRUE(SeReadIniInt(file, u"a", u"NUM", 5, number));
  EXPECT_EQ(number, 17);
  EXPECT_FALSE(SeReadIniInt(file, u"A", u"none", 5, number));
  EXPECT_EQ(number, 5);
  EXPECT_EQ(SeReadIniString(file, u"A", u"text", u""), Wide(longValue)) << "read whole, however long";
  EXPECT_EQ(SeReadIniString(file, u"A", u"none", u"dflt"), u"dflt");
}

TEST(CArray, IndexChecksReportInsteadOfThrowing) {
  CSeCArray<int> items;
  items.Add(1);
  items.Add(2);
  int value = 0;
  EXPECT_EQ(items.GetAt(1, value), S_OK);
  EXPECT_EQ(value, 2);
  EXPECT_EQ(items.GetAt(2, value), E_INVALIDARG);
  EXPECT_EQ(items.SetAt(-1, 5), E_INVALIDARG);
  EXPECT_EQ(items.RemoveAt(0), S_OK);
  EXPECT_EQ(items.GetSize(), 1);
}

}  // namespace
