// Pure rules behind slide property values: transfer-syntax texts and lossiness, ROI size in
// tiles, the software version number, objective texts and file times as dates.
#include <cmath>

#include <gtest/gtest.h>

#include "Properties/SlidePropertyRules.h"
#include "Properties/SlidePropertyTable.h"

namespace {

using namespace SlidePropertyRules;

TEST(SlidePropertyRulesTest, TransferSyntaxTable) {
  struct Row {
    long syntax;
    bool compressed, lossy;
    std::u16string name;
  };
  const Row rows[] = {
      {0, false, false, u"ILE_UNCOMPRESSED"}, {1, false, false, u"ELE_UNCOMPRESSED"},
      {2, false, false, u"EBE_UNCOMPRESSED"}, {3, true, true, u"JPEG"},          {4, true, true, u"JPEG"},
      {5, true, false, u"JPEG"},              {6, true, false, u"JPEG"},           {7, true, false, u"JPEGLS"},
      {8, true, true, u"JPEGLS"},             {9, true, true, u"JPEG2000"},        {10, true, false, u"JPEG2000"},
      {11, true, true, u"JPEG2000"},          {12, true, false, u"JPEG2000"},      {13, true, true, u"JPEG2000"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.syntax);
    EXPECT_EQ(IsCompressed(row.syntax), row.compressed);
    EXPECT_EQ(IsLossy(row.syntax), row.lossy);
    ASSERT_NE(CompressionTypeName(row.syntax), nullptr);
    EXPECT_EQ(std::u16string(CompressionTypeName(row.syntax)), row.name);
  }
  for (long outside : {-1L, 14L, 200L}) {
    EXPECT_FALSE(IsCompressed(outside));
    EXPECT_FALSE(IsLossy(outside));
    EXPECT_EQ(CompressionTypeName(outside), nullptr);
  }
}

TEST(SlidePropertyRulesTest, RoiSizeRoundsTilesUp) {
  EXPECT_EQ(RoiSizeInTiles(100000, 50000, 256, 256), 391 * 65536 + 196);
  EXPECT_EQ(RoiSizeInTiles(512, 256, 256, 256), 2 * 65536 + 1);
  EXPECT_EQ(RoiSizeInTiles(1, 1, 256, 512), 65536 + 1);
  EXPECT_EQ(RoiSizeInTiles(100, 100, 0, 256), std::nullopt);
}

TEST(SlidePropertyRulesTest, SoftwareVersionNumbers) {
  struct Row {
    std::u16string text;
    double value;
  };
  const Row rows[] = {
      {u"3.1.0.254167", 3.0100254167},   {u"V 2.4", 2.04},           {u"12", 12.0},
      {u"no digits", 0.0},               {u"1.2147483647.5", 1.0005}, {u"1.99999999999.3", 1.0003},
      {u"7-3_1/9", 7.0301000009},
  };
  for (const Row& row : rows) {
    double version = -1;
    ASSERT_EQ(ParseSoftwareVersion(row.text, version), S_OK);
    EXPECT_NEAR(version, row.value, 1e-12) << std::string(row.text.begin(), row.text.end());
  }
  double untouched = -1;
  EXPECT_EQ(ParseSoftwareVersion(u"", untouched), E_INVALIDARG);
  EXPECT_EQ(untouched, -1);
}

TEST(SlidePropertyRulesTest, ObjectiveTextIsTheShortestExactDecimal) {
  EXPECT_EQ(ShortestDecimalText(20.0), u"20");
  EXPECT_EQ(ShortestDecimalText(0.5), u"0.5");
  EXPECT_EQ(ShortestDecimalText(0.1), u"0.1");
  EXPECT_EQ(ShortestDecimalText(-2.25), u"-2.25");
}

TEST(SlidePropertyRulesTest, FileTimesBecomeDates) {
  constexpr int64_t kTicksPerDay = 864'000'000'000;
  constexpr int64_t k1900To1601Days = 109205;  // 1601-01-01 .. 1899-12-30
  DATE date = -1;
  ASSERT_EQ(FileTimeToDate(k1900To1601Days * kTicksPerDay, date), S_OK);
  EXPECT_DOUBLE_EQ(date, 0.0);
  ASSERT_EQ(FileTimeToDate((k1900To1601Days + 2) * kTicksPerDay + kTicksPerDay / 4, date), S_OK);
  EXPECT_NEAR(date, 2.25, 1e-9);
  EXPECT_EQ(FileTimeToDate(-1, date), E_INVALIDARG);
}

TEST(SlidePropertyTableTest, SeventyFourRowsInHostOrder) {
  const auto rows = SlidePropertyRows();
  ASSERT_EQ(rows.size(), 74u);
  std::vector<LONG> expected;
  for (LONG tag = 301; tag <= 373; ++tag) {
    expected.push_back(tag);
    if (tag == 330) expected.push_back(375);
  }
  for (size_t i = 0; i < rows.size(); ++i) EXPECT_EQ(rows[i].tag, expected[i]) << i;
}

}  // namespace
