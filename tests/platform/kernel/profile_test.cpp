// Private-profile reading: lookup rules, defaults, return values and truncation of the W calls.
#include <gtest/gtest.h>

#include "kernel_test_support.h"

using kerneltest::ScratchDir;
using kerneltest::Wide;

namespace {

const char kIni[] =
    "; leading comment\r\n"
    "orphan=before any section\r\n"
    "[Debug]\r\n"
    "  APPLOG =  Yes  \r\n"
    "Directory=%TEMP%\\logs\\\\\r\n"
    "dup=first\r\n"
    "dup=second\r\n"
    ";commented=1\r\n"
    "quoted=\"  padded  \"\r\n"
    "inline=a ; not a comment\r\n"
    "empty=\r\n"
    "CutOff=5000000\r\n"
    "Hex=0x1F\r\n"
    "Negative=-3\r\n"
    "Trailing=12abc\r\n"
    "[ Settings ]\r\n"
    "HTTPEngine=7\r\n"
    "[debug]\r\n"
    "onlyInSecond=x\r\n";

class ProfileTest : public ::testing::Test {
 protected:
  void SetUp() override { dir_.Write("ModuleSettings.ini", kIni); }
  std::u16string Read(const char16_t* section, const char16_t* key, const char16_t* def = u"DEF", DWORD size = 260) {
    std::u16string buffer(size, u'#');
    const DWORD n = GetPrivateProfileStringW(section, key, def, buffer.data(), size, file_.c_str());
    return buffer.substr(0, n);
  }
  ScratchDir dir_;
  std::u16string file_ = Wide(dir_.File("ModuleSettings.ini"));
};

struct LookupCase {
  const char16_t* section;
  const char16_t* key;
  const char16_t* expected;
};

TEST_F(ProfileTest, LookupsFollowThePlatformRules) {
  const LookupCase cases[] = {
      {u"DEBUG", u"applog", u"Yes"},                     // names without case, value trimmed
      {u"Debug", u"Directory", u"%TEMP%\\logs\\\\"},     // no expansion, backslashes kept
      {u"Debug", u"dup", u"first"},                      // first of duplicate keys
      {u"Debug", u"commented", u"DEF"},                  // ';' line is a comment
      {u"Debug", u"quoted", u"  padded  "},              // quotes removed, inside kept
      {u"Debug", u"inline", u"a ; not a comment"},       // ';' inside a value is text
      {u"Debug", u"empty", u""},                         // present but empty: not the default
      {u"Settings", u"HTTPEngine", u"7"},                // blanks inside the brackets ignored
      {u"Debug", u"onlyInSecond", u"DEF"},               // the first section of a name is used
      {u"Missing", u"APPLOG", u"DEF"},                   // missing section
      {u"Debug", u"orphan", u"DEF"},                     // lines before any section are ignored
  };
  for (const auto& c : cases) EXPECT_EQ(Read(c.section, c.key), c.expected) << std::string(c.key, c.key + 3);
}

TEST_F(ProfileTest, MissingFileGivesTheDefaultWithTrailingBlanksRemoved) {
  std::u16string buffer(64, u'#');
  const std::u16string missing = Wide(dir_.File("absent.ini"));
  const DWORD n = GetPrivateProfileStringW(u"DEBUG", u"APPLOG", u"dflt  ", buffer.data(), 64, missing.c_str());
  EXPECT_EQ(buffer.substr(0, n + 1), std::u16string(u"dflt\0", 5));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  EXPECT_EQ(GetPrivateProfileIntW(u"DEBUG", u"APPLOG", 42, missing.c_str()), 42u);
  EXPECT_EQ(GetPrivateProfileStringW(u"DEBUG", u"APPLOG", nullptr, buffer.data(), 64, missing.c_str()), 0u);
  EXPECT_EQ(buffer[0], u'\0');
}

TEST_F(ProfileTest, LongValuesAreCutToTheBufferWithMoreData) {
  std::u16string buffer(4, u'#');
  EXPECT_EQ(GetPrivateProfileStringW(u"Debug", u"Directory", u"", buffer.data(), 4, file_.c_str()), 3u);
  EXPECT_EQ(buffer, std::u16string(u"%TE\0", 4));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MORE_DATA));
}

TEST_F(ProfileTest, NullSectionOrKeyListsNamesDoubleTerminated) {
  std::u16string buffer(64, u'#');
  const DWORD n = GetPrivateProfileStringW(nullptr, nullptr, u"", buffer.data(), 64, file_.c_str());
  EXPECT_EQ(buffer.substr(0, n + 1), std::u16string(u"Debug\0Settings\0debug\0\0", 22));
  const DWORD cut = GetPrivateProfileStringW(nullptr, nullptr, u"", buffer.data(), 8, file_.c_str());
  EXPECT_EQ(cut, 6u);
  EXPECT_EQ(buffer.substr(0, 8), std::u16string(u"Debug\0\0\0", 8));
  const DWORD keys = GetPrivateProfileStringW(u"settings", nullptr, u"", buffer.data(), 64, file_.c_str());
  EXPECT_EQ(buffer.substr(0, keys + 1), std::u16string(u"HTTPEngine\0\0", 12));
}

TEST_F(ProfileTest, IntegersReadLikeThePlatform) {
  EXPECT_EQ(GetPrivateProfileIntW(u"Debug", u"CutOff", 1, file_.c_str()), 5000000u);
  EXPECT_EQ(GetPrivateProfileIntW(u"Debug", u"Hex", 1, file_.c_str()), 31u);
  EXPECT_EQ(static_cast<INT>(GetPrivateProfileIntW(u"Debug", u"Negative", 1, file_.c_str())), -3);
  EXPECT_EQ(GetPrivateProfileIntW(u"Debug", u"Trailing", 1, file_.c_str()), 12u);
  EXPECT_EQ(GetPrivateProfileIntW(u"Debug", u"APPLOG", 1, file_.c_str()), 0u);  // present, not a number
  EXPECT_EQ(GetPrivateProfileIntW(u"Debug", u"nothing", 9, file_.c_str()), 9u);
}

TEST(ProfileEncoding, Utf16WithBomAndUtf8WithBomAreRead) {
  ScratchDir dir;
  dir.Write("u8.ini", "\xEF\xBB\xBF[S]\nK=\xC3\xA9t\xC3\xA9\n");
  std::string utf16 = "\xFF\xFE";
  for (char c : std::string("[S]\r\nK=v\r\n")) utf16 += {c, '\0'};
  dir.Write("u16.ini", utf16);
  char16_t buffer[16];
  const std::u16string u8 = Wide(dir.File("u8.ini")), u16 = Wide(dir.File("u16.ini"));
  GetPrivateProfileStringW(u"s", u"k", u"", buffer, 16, u8.c_str());
  EXPECT_EQ(std::u16string(buffer), u"\u00e9t\u00e9");
  GetPrivateProfileStringW(u"s", u"k", u"", buffer, 16, u16.c_str());
  EXPECT_EQ(std::u16string(buffer), u"v");
}

}  // namespace
