// The log's texts byte for byte: entry lines with and without their optional parts, the run
// banner, and the wide printf formatting.
#include <gtest/gtest.h>

#include "base/SeLogFormat.h"
#include "base/SeLogLocation.h"

namespace {

SYSTEMTIME At(WORD y, WORD mo, WORD d, WORD h, WORD mi, WORD s, WORD ms) {
  SYSTEMTIME t{};
  t.wYear = y, t.wMonth = mo, t.wDay = d, t.wHour = h, t.wMinute = mi, t.wSecond = s, t.wMilliseconds = ms;
  return t;
}

struct EntryCase {
  LPCWSTR file;
  INT line;
  LPCWSTR function;
  LPCWSTR message;
  const char16_t* expected;
};

TEST(LogEntry, LineFormatByteForByte) {
  const SYSTEMTIME t = At(2025, 3, 5, 7, 8, 9, 12);
  const EntryCase cases[] = {
      {u"DicomZorvel", 51, u"CDicomZorvelImpl::FinalConstruct", u"Code=0x80004005",
       u"2025.03.05 07:08:09.012 Module=ZorvelDicom File=DicomZorvel Line=51 "
       u"Function=CDicomZorvelImpl::FinalConstruct ThreadID=4321 Code=0x80004005\r\n"},
      {u"C:\\src\\SeUtils.cpp", -1, u"SeGetTempPath", u"Code=0x1",
       u"2025.03.05 07:08:09.012 Module=ZorvelDicom File=C:\\src\\SeUtils.cpp Function=SeGetTempPath "
       u"ThreadID=4321 Code=0x1\r\n"},
      {nullptr, 0, u"F", nullptr, u"2025.03.05 07:08:09.012 Line=0 Function=F ThreadID=4321 \r\n"},
      {u"X", 7, nullptr, u"msg", u"2025.03.05 07:08:09.012 Module=ZorvelDicom File=X Line=7 ThreadID=4321 msg\r\n"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(SeFormatLogEntry(t, u"ZorvelDicom", c.file, c.line, c.function, 4321, c.message), c.expected);
  }
}

TEST(LogEntry, BannerWithAndWithoutCreationTime) {
  const std::u16string stars(144, u'*');
  const SYSTEMTIME created = At(2025, 12, 1, 9, 5, 3, 7);
  EXPECT_EQ(SeFormatRunBanner(u"/opt/m/libZorvelDicom.so", u"/usr/bin/viewer", &created, u"Dec 12 2025", u"13:53:25",
                              u"3.1.0.254167", u"rel"),
            stars + u"\r\nNEW RUN\r\nModule: (/opt/m/libZorvelDicom.so) \r\nProcess: (/usr/bin/viewer)\r\n"
                    u"Process created at:2025.12.01  09:05:03.007\r\n"
                    u"Module compiled at:Dec 12 2025  13:53:25   Version:3.1.0.254167 Branch:rel\r\n" +
                stars + u"\r\n");
  const std::u16string unknown = SeFormatRunBanner(u"m", u"p", nullptr, u"d", u"t", u"v", u"b");
  EXPECT_NE(unknown.find(u"Process: (p)\r\nProcess created at unknown time\r\nModule compiled at:d  t   Version:v"),
            std::u16string::npos);
}

TEST(WideFormat, ConversionsAsInC) {
  EXPECT_EQ(SeFormatWide(u"Code=0x%X", 0x80004005u), u"Code=0x80004005");
  EXPECT_EQ(SeFormatWide(u"Code=0x%X", 1u), u"Code=0x1");
  EXPECT_EQ(SeFormatWide(u"[%s|%5d|%-3d|%05.1f|%%|%c]", u"p\u00e4th", 42, -7, 2.25, u'Z'), u"[p\u00e4th|   42|-7 |002.2|%|Z]");
  EXPECT_EQ(SeFormatWide(u"%lld %I64u %hs %q", -5ll, 18446744073709551615ull, "narrow"),
            u"-5 18446744073709551615 narrow %q");
  EXPECT_EQ(SeFormatWide(u"%s", static_cast<LPCWSTR>(nullptr)), u"(null)");
}

TEST(LogNames, ModuleNameIsTheFileNameWithoutExtension) {
  EXPECT_EQ(SeModuleNameOf(u"/opt/z/libZorvelDicom.so"), u"libZorvelDicom");
  EXPECT_EQ(SeModuleNameOf(u"C:\\m\\ZorvelDicom.dll"), u"ZorvelDicom");
  EXPECT_EQ(SeModuleNameOf(u"/opt/z/.so"), u"UNKNOWN");
  EXPECT_EQ(SeModuleNameOf(u""), u"UNKNOWN");
}

}  // namespace
