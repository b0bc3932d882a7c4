// The fast series-UID scan on hand-made files: the DICOM marker, the whole-slide-image test of the
// first DICOM file, an element cut by the read window, foreign characters, the time limit.
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "Slide/SlideIdScan.h"

namespace {

namespace fs = std::filesystem;
constexpr auto kNoLimit = std::chrono::seconds(60);
const std::string kWsiClass = "1.2.840.10008.5.1.4.1.1.77.1.6";

std::string Element(char group0, char group1, char elem0, char elem1, const std::string& value) {
  std::string bytes{group0, group1, elem0, elem1, 'U', 'I', static_cast<char>(value.size() & 0xFF),
                    static_cast<char>(value.size() >> 8)};
  bytes.append(value);
  return bytes;
}

std::string SopClass(const std::string& uid) { return Element(2, 0, 2, 0, uid); }
std::string SeriesUid(const std::string& uid) { return Element(0x20, 0, 0x0E, 0, uid); }

// Preamble, marker and SOP class, then each element placed at its offset, padded to `size`.
std::string DicomFile(const std::string& sopClass, const std::vector<std::pair<size_t, std::string>>& elements,
                      size_t size = 3000) {
  std::string bytes(128, '\0');
  bytes.append("DICM");
  bytes.append(SopClass(sopClass));
  bytes.resize(size, '\x55');
  for (const auto& [offset, element] : elements) bytes.replace(offset, element.size(), element);
  bytes.resize(size);  // an element placed near the end is cut there
  return bytes;
}

class SlideIdScanTest : public testing::Test {
 protected:
  void SetUp() override {
    m_dir = fs::temp_directory_path() / ("zorvel-idscan-" + std::to_string(::getpid()) + "-" +
                                         testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(m_dir);
    fs::create_directories(m_dir);
  }
  void TearDown() override { fs::remove_all(m_dir); }

  void Write(const std::string& name, const std::string& bytes) {
    std::ofstream(m_dir / name, std::ios::binary) << bytes;
  }
  HRESULT Scan(std::u16string& id, std::chrono::nanoseconds limit = kNoLimit) {
    return SlideIdScan::Scan(m_dir.u16string(), limit, id);
  }

  fs::path m_dir;
};

// One file in the directory: the series UID found in it, or none.
TEST_F(SlideIdScanTest, OneFileGivesItsSeriesUidOrNone) {
  struct Case {
    const char* what;
    std::string sopClass;
    std::vector<std::pair<size_t, std::string>> elements;
    size_t size;
    std::u16string expected;
  };
  const std::string slideUid = "1.2.826.0.1.3680043.10.511.3.42";
  std::vector<Case> cases = {
      {"whole-slide image", kWsiClass, {{400, SeriesUid(slideUid)}}, 3000, u"1.2.826.0.1.3680043.10.511.3.42"},
      {"empty first value passed, padding NUL dropped", kWsiClass,
       {{300, SeriesUid("")}, {500, SeriesUid(std::string("1.22", 4) + '\0')}}, 3000, u"1.22"},
      {"not a slide", "1.2.840.10008.5.1.4.1.1.77.1.2", {{400, SeriesUid("1.2.3")}}, 3000, u""},
      {"foreign character skipped", kWsiClass, {{400, SeriesUid("1.2.3x4")}, {600, SeriesUid("1.2.3.4")}}, 3000,
       u"1.2.3.4"},
      {"last short window needs the whole value", kWsiClass, {{2990, SeriesUid("1.2.3.4.5.6.7.8.9")}}, 3000, u""},
  };
  for (size_t offset : {1925u, 1927u, 1928u, 1960u, 1995u, 3900u}) {  // cut by the first read window
    cases.push_back({"cut by the window", kWsiClass, {{offset, SeriesUid("1.2.840.99.7")}}, 4200, u"1.2.840.99.7"});
  }
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Write("a.dcm", DicomFile(c.sopClass, c.elements, c.size));
    std::u16string id = u"stale";
    ASSERT_EQ(Scan(id), S_OK);
    EXPECT_EQ(id, c.expected);
  }
}

TEST_F(SlideIdScanTest, FilesWithoutTheMarkerAreAllLookedAtAndGiveNoId) {
  for (int i = 0; i < 5; ++i) {
    std::string bytes = DicomFile(kWsiClass, {{400, SeriesUid("1.2.3")}});
    bytes.replace(128, 4, "DICN");
    Write(std::to_string(i) + ".bin", bytes);
  }
  Write("short.dcm", DicomFile(kWsiClass, {{140, SeriesUid("1.2")}}, 149));  // under 150 bytes: skipped
  std::u16string id;
  ASSERT_EQ(Scan(id), S_OK);
  EXPECT_TRUE(id.empty());
}

TEST_F(SlideIdScanTest, TheTimeLimitEndsTheScan) {
  for (int i = 0; i < 50; ++i) Write(std::to_string(i) + ".bin", std::string(200, 'x'));
  Write("z.dcm", DicomFile(kWsiClass, {{400, SeriesUid("1.2.3")}}));
  std::u16string id;
  EXPECT_EQ(Scan(id, std::chrono::nanoseconds(0)), E_FAIL);
  EXPECT_EQ(Scan(id, std::chrono::seconds(30)), S_OK);
  EXPECT_EQ(id, u"1.2.3");
}

TEST_F(SlideIdScanTest, AMissingDirectoryThrowsTheFileSystemError) {
  std::u16string id;
  EXPECT_THROW(SlideIdScan::Scan((m_dir / "absent").u16string(), kNoLimit, id), fs::filesystem_error);
}

}  // namespace
