// Where the log goes and what ModuleSettings.ini switches: host-process and IIS pool rules,
// APPLOG words, the size clamp, HTTPEngine correction, directory expansion and fall-backs.
#include <gtest/gtest.h>

#include "base/SeLogLocation.h"
#include "seutils_test_support.h"

using seutilstest::Narrow;
using seutilstest::ScopedEnv;
using seutilstest::ScratchDir;
using seutilstest::Wide;

namespace {

struct LocationCase {
  const char16_t* process;
  const char16_t* module;
  const char16_t* commandLine;
  const char16_t* settingsDirectory;
  const char16_t* logFileName;
};

TEST(LogLocation, HostProcessesAndApplicationPools) {
  const LocationCase cases[] = {
      {u"C:\\Tools\\viewer.exe", u"D:\\m\\ZorvelDicom.dll", u"", u"C:\\Tools", u"viewer.log"},
      {u"/opt/tools/viewer", u"/opt/lib/libZorvelDicom.so", u"", u"/opt/tools", u"viewer.log"},
      {u"C:\\Windows\\System32\\dllhost.exe", u"D:\\m\\ZorvelDicom.dll", u"", u"D:\\m", u"dllhost.log"},
      {u"C:\\Windows\\System32\\REGSVR32.EXE", u"/opt/lib/z.so", u"", u"/opt/lib", u"REGSVR32.log"},
      {u"C:\\Windows\\System32\\dllhost.exe", u"nodir.dll", u"", u"C:\\Windows\\System32", u"dllhost.log"},
      {u"C:\\iis\\w3wp.exe", u"D:\\m\\z.dll", u"c:\\iis\\w3wp.exe -ap \"My Pool\" -v 4", u"D:\\m", u"w3wp_My Pool.log"},
      {u"C:\\iis\\w3wp.exe", u"D:\\m\\z.dll", u"w3wp.exe /AP DefaultAppPool", u"D:\\m", u"w3wp_DefaultAppPool.log"},
      {u"C:\\iis\\w3wp.exe", u"D:\\m\\z.dll", u"w3wp.exe -v 4", u"D:\\m", u"w3wp.log"},
      {u"C:\\Tools\\viewer.exe", u"", u"x -ap Pool", u"C:\\Tools", u"viewer.log"},  // pools only for w3wp
      {u"/opt/.hidden", u"", u"", u"/opt", u"Application.log"},
      {u"viewer.exe", u"", u"", u"", u"viewer.log"},
      {u"", u"", u"", u"", u"Application.log"},
  };
  for (const auto& c : cases) {
    const SeLogLocation location = SeResolveLogLocation(c.process, c.module, c.commandLine);
    EXPECT_EQ(location.settingsDirectory, c.settingsDirectory) << Narrow(c.process);
    EXPECT_EQ(location.logFileName, c.logFileName) << Narrow(c.process);
  }
}

class LogSettingsTest : public ::testing::Test {
 protected:
  SeLogSettings Read(const std::string& ini) {
    dir_.Write("ModuleSettings.ini", ini);
    return SeReadLogSettings(Wide(dir_.path()));
  }
  std::u16string PathFor(const std::string& ini) {
    return SeResolveLogFilePath(Read(ini), SeLogLocation{Wide(dir_.path()), u"viewer.log"});
  }
  ScratchDir dir_;
};

TEST_F(LogSettingsTest, ApplogWords) {
  const std::pair<const char*, bool> cases[] = {
      {"", false},        {"[DEBUG]\nAPPLOG=0\n", false},   {"[DEBUG]\nAPPLOG=no\n", false},
      {"[DEBUG]\nAPPLOG=off\n", false}, {"[DEBUG]\nAPPLOG=enabled\n", false}, {"[DEBUG]\nAPPLOG= Yes \n", true},
      {"[debug]\napplog=TRUE\n", true}, {"[DEBUG]\nAPPLOG=1\n", true},
  };
  for (const auto& [ini, on] : cases) EXPECT_EQ(Read(ini).applicationLogOn, on) << ini;
  EXPECT_FALSE(SeReadLogSettings(u"").applicationLogOn) << "no settings directory: all defaults";
}

TEST_F(LogSettingsTest, DefaultsWithoutFile) {
  const SeLogSettings s = SeReadLogSettings(Wide(dir_.File("absent")));
  EXPECT_TRUE(s.cutOffOn);
  EXPECT_TRUE(s.useTempDirectory);
  EXPECT_EQ(s.cutOffSizeKB, 8192);
}

TEST_F(LogSettingsTest, CutOffSizeIsClamped) {
  const std::pair<const char*, INT> sizes[] = {{"100", 8192}, {"5000000", 1048576}, {"12abc", 8192},
                                               {"9000.7", 9000}, {"", 8192},       {"  20000", 20000}};
  for (const auto& [value, expected] : sizes) {
    EXPECT_EQ(Read(std::string("[DEBUG]\nAPPLOGCUTOFFSIZEINKBYTE=") + value + "\n").cutOffSizeKB, expected) << value;
  }
}

TEST_F(LogSettingsTest, DirectoryIsExpandedWithoutTrailingSeparators) {
  ScopedEnv temp("ZSE_LOGROOT", "/var/zse");
  EXPECT_EQ(PathFor("[DEBUG]\nDirectory=%ZSE_LOGROOT%\\logs\\\\\n"), u"/var/zse\\logs/viewer.log");
  EXPECT_EQ(PathFor("[DEBUG]\nDirectory=%ZSE_LOGROOT%/logs//\nAppendSoftwareVersionToLogDir=1\nVersionString=5.2\n"),
            u"/var/zse/logs_5.2/viewer.log");
  EXPECT_EQ(PathFor("[DEBUG]\nDirectory=/l\nAppendSoftwareVersionToLogDir=1\n"), u"/l/viewer.log")
      << "no version string: nothing appended";
  EXPECT_EQ(PathFor("[DEBUG]\nDirectory=%ZSE_UNSET_VARIABLE%\n"), u"%ZSE_UNSET_VARIABLE%/viewer.log");
  const std::string tooLong = "[DEBUG]\nDirectory=/" + std::string(300, 'd') + "\n";
  EXPECT_EQ(PathFor(tooLong), u"viewer.log") << "an expansion beyond 260 characters falls back to the bare name";
}

TEST_F(LogSettingsTest, EmptyDirectoryFallsBackToTempThenSettingsDirectory) {
  ScopedEnv tmp("TMPDIR", "/scratch/tmp/");
  EXPECT_EQ(PathFor("[DEBUG]\nAPPLOG=1\n"), u"/scratch/tmp/viewer.log");
  EXPECT_EQ(PathFor("[DEBUG]\nUseTempDirectory=0\n"), Wide(dir_.path()) + u"/viewer.log");
  const SeLogSettings noTemp = Read("[DEBUG]\nUseTempDirectory=0\n");
  char cwd[4096];
  ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
  EXPECT_EQ(SeResolveLogFilePath(noTemp, SeLogLocation{u"", u"x.log"}), Wide(cwd) + u"/x.log");
  EXPECT_EQ(SeResolveLogFilePath(noTemp, SeLogLocation{u"/d", u""}), u"") << "no file name: nothing is written";
}

}  // namespace
