// Writing the log file: the banner before a run's first entry only, the Code text, the cut of an
// oversized file to its last half before appending, "NO DATA", and two processes sharing a file.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <regex>
#include <thread>

#include "base/SeErrorHandler.h"
#include "seutils_test_support.h"

using seutilstest::ReadAll;
using seutilstest::ScratchDir;
using seutilstest::Wide;

namespace {

size_t Count(const std::string& text, const std::string& part) {
  size_t n = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

class LogWritingTest : public ::testing::Test {
 protected:
  // A log for a process "<scratch>/bin/viewer" whose settings say `ini`, logging into <scratch>.
  std::unique_ptr<CSeErrorLogFile> MakeLog(const std::string& ini) {
    std::filesystem::create_directories(dir_.File("bin"));
    dir_.Write("bin/ModuleSettings.ini", "[DEBUG]\nDirectory=" + dir_.path() + "\n" + ini);
    return OpenLog();
  }
  std::unique_ptr<CSeErrorLogFile> OpenLog() {
    SeLogProcessFacts facts;
    facts.processPath = Wide(dir_.File("bin/viewer"));
    facts.modulePath = Wide(dir_.File("lib/libZorvelDicom.so"));
    return std::make_unique<CSeErrorLogFile>(SeModuleBuildIdentity, facts);
  }
  std::string LogText() { return ReadAll(dir_.File("viewer.log")); }
  ScratchDir dir_;
};

TEST_F(LogWritingTest, NothingIsWrittenWithTheLogOff) {
  auto log = MakeLog("APPLOG=enabled\n");
  log->LogError(u"SeUtils", 1, E_FAIL, u"F");
  log->LogFormatted(u"SeUtils", 2, u"%d", 3);
  EXPECT_FALSE(std::filesystem::exists(dir_.File("viewer.log")));
}

TEST_F(LogWritingTest, BannerPrecedesTheFirstEntryOfEachRunOnly) {
  auto log = MakeLog("APPLOG=1\n");
  EXPECT_EQ(log->GetLogFilePath(), Wide(dir_.path()) + u"/viewer.log");
  EXPECT_EQ(log->GetModuleName(), u"libZorvelDicom");
  log->LogError(u"DicomZorvel", 51, E_FAIL, u"CDicomZorvelImpl::FinalConstruct");
  log->LogError(u"SeUtils", -1, 1, nullptr);
  const std::string text = LogText();
  EXPECT_EQ(text.rfind(std::string(144, '*') + "\r\nNEW RUN\r\nModule: (" + dir_.File("lib/libZorvelDicom.so") +
                           ") \r\nProcess: (" + dir_.File("bin/viewer") + ")\r\nProcess created at:",
                       0),
            0u);
  EXPECT_NE(text.find("Module compiled at:Dec 12 2025  13:53:25   Version:3.1.0.254167 Branch:release/3.1@254167\r\n"),
            std::string::npos);
  const std::regex entries(
      "\\*\\r\\n"
      "\\d{4}\\.\\d\\d\\.\\d\\d \\d\\d:\\d\\d:\\d\\d\\.\\d{3} Module=libZorvelDicom File=SeErrorHandler Line=484 "
      "Function=CSeErrorLogFile::Init ThreadID=\\d+ Module: libZorvelDicom,Logging started, logging switched on\\r\\n"
      "[0-9. :]{23} Module=libZorvelDicom File=DicomZorvel Line=51 Function=CDicomZorvelImpl::FinalConstruct "
      "ThreadID=\\d+ Code=0x80004005\\r\\n"
      "[0-9. :]{23} Module=libZorvelDicom File=SeUtils ThreadID=\\d+ Code=0x1\\r\\n$");
  EXPECT_TRUE(std::regex_search(text, entries)) << text;
  EXPECT_EQ(Count(text, "NEW RUN"), 1u);
  log.reset();
  MakeLog("APPLOG=1\n");
  EXPECT_EQ(Count(LogText(), "NEW RUN"), 2u) << "a new run starts with a new banner";
}

TEST_F(LogWritingTest, OversizedFileIsCutToItsLastHalfBeforeTheEntry) {
  constexpr size_t kLimit = 8192 * 1024;
  std::string old(kLimit + 1, '\0');
  for (size_t i = 0; i < old.size(); ++i) old[i] = static_cast<char>('a' + (i * 7919) % 26);
  dir_.Write("viewer.log", old);
  auto log = MakeLog("APPLOG=yes\n");
  const std::string text = LogText();
  ASSERT_GT(text.size(), kLimit / 2);
  EXPECT_EQ(text.substr(0, kLimit / 2), old.substr(old.size() - kLimit / 2)) << "the last 4 MB, moved to the start";
  EXPECT_EQ(text.find("NEW RUN"), kLimit / 2 + 146) << "the new entry follows the kept part";
  log->LogError(u"X", 1, E_FAIL, u"F");
  EXPECT_GT(ReadAll(dir_.File("viewer.log")).size(), text.size()) << "no further cut below the limit";
}

TEST_F(LogWritingTest, CutOffSwitchedOffKeepsTheFile) {
  const std::string old(8192 * 1024 + 1, 'x');
  dir_.Write("viewer.log", old);
  MakeLog("APPLOG=1\nAPPLOGCUTOFF=0\n");
  EXPECT_EQ(LogText().substr(0, old.size()), old);
}

TEST_F(LogWritingTest, UntranslatableTextIsWrittenAsNoData) {
  auto log = MakeLog("APPLOG=1\n");
  const char16_t broken[] = {u'a', 0xD800, u'\0'};
  log->WriteEntry(u"X", 1, u"F", broken);
  const std::string text = LogText();
  EXPECT_EQ(text.substr(text.size() - 7), "NO DATA");
}

TEST_F(LogWritingTest, MissingDirectoryLosesEntriesSilently) {
  std::filesystem::create_directories(dir_.File("bin"));
  dir_.Write("bin/ModuleSettings.ini", "[DEBUG]\nAPPLOG=1\nDirectory=" + dir_.File("no/such/dir") + "\n");
  SeLogProcessFacts facts;
  facts.processPath = Wide(dir_.File("bin/viewer"));
  CSeErrorLogFile log(SeModuleBuildIdentity, facts);
  log.LogError(u"X", 1, E_FAIL, u"F");
  EXPECT_FALSE(std::filesystem::exists(dir_.File("no")));
}

TEST_F(LogWritingTest, TwoProcessesAndThreadsNeverInterleaveInsideALine) {
  constexpr int kEntries = 150;
  const std::u16string longA(3000, u'A'), longB(3000, u'B');
  MakeLog("APPLOG=1\n").reset();  // settings written once, before the processes read them
  auto writeMany = [&](const std::u16string& message) {
    auto log = OpenLog();
    std::thread other([&] {
      for (int i = 0; i < kEntries; ++i) log->LogFormatted(u"T", i, u"%s", message.c_str());
    });
    for (int i = 0; i < kEntries; ++i) log->LogFormatted(u"M", i, u"%s", message.c_str());
    other.join();
  };
  const pid_t child = fork();
  if (child == 0) {
    writeMany(longB);
    _exit(0);
  }
  writeMany(longA);
  int status = 0;
  waitpid(child, &status, 0);
  ASSERT_TRUE(WIFEXITED(status));
  const std::string text = LogText();
  size_t a = 0, b = 0, start = 0;
  for (size_t end = text.find("\r\n"); end != std::string::npos; start = end + 2, end = text.find("\r\n", start)) {
    const std::string line = text.substr(start, end - start);
    if (line.find(" ThreadID=") == std::string::npos || line.find("Logging started") != std::string::npos) continue;
    const std::string message = line.substr(line.find(' ', line.find(" ThreadID=") + 1) + 1);
    if (message == std::string(3000, 'A')) ++a;
    else if (message == std::string(3000, 'B')) ++b;
    else ADD_FAILURE() << "mixed line: " << line.substr(0, 120);
  }
  EXPECT_EQ(a, 2u * kEntries);
  EXPECT_EQ(b, 2u * kEntries);
}

TEST(ModuleLog, OneLogPerModuleForEveryThread) {
  CSeErrorLogFile* first = SeGetErrorLogFile();
  CSeErrorLogFile* fromThread = nullptr;
  std::thread([&] { fromThread = SeGetErrorLogFile(); }).join();
  EXPECT_EQ(first, fromThread);
  EXPECT_EQ(first->GetModuleName(), u"seutils_log_tests") << "the test program is the module here";
  EXPECT_NE(first->GetProcessPath().find(u"seutils_log_tests"), std::u16string::npos);
}

}  // namespace
