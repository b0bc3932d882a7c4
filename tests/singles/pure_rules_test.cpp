// The pure rules behind channel pseudo colours and annotation records: packing, table arrays,
// identifier texts, attribute lists per kind, bounding rectangles and TMA geometry, including
// records shaped in ways a file may hold (too few points, odd coordinate counts, huge values).
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numeric>

#include "Annotations/AnnotationRecords.h"
#include "Render/PseudoColorLut.h"

namespace {

using namespace AnnotationRecords;

TEST(PseudoColorLut, MaximumColourPacking) {
  struct Row { uint16_t a, b, c; int32_t packed; };
  const Row rows[] = {{255, 128, 0, 0x000080FF}, {0x1234, 0x00FF, 0xFFFF, 0x00FF0012}, {0, 0, 0, 0},
                      {0xFFFF, 0xFFFF, 0xFFFF, 0x00FFFFFF}, {256, 0, 0, 0x00000001}};
  for (const Row& r : rows) EXPECT_EQ(PackMaxPseudoColor(r.a, r.b, r.c), r.packed) << r.a << "," << r.b << "," << r.c;
}

TEST(PseudoColorLut, TableLengthChoosesTheElementWidth) {
  for (const uint32_t n : {256u, 65536u, 4096u, 255u}) {
    std::vector<uint16_t> entries(n);
    for (uint32_t i = 0; i < n; ++i) entries[i] = static_cast<uint16_t>(i % 2 == 0 ? 0x01FF : 0x0100 + i);
    VARIANT out;
    VariantInit(&out);
    ASSERT_EQ(CreateFinalPseudoColorLut(entries.data(), n, out), S_OK) << n;
    const bool eightBit = n == 256;
    EXPECT_EQ(out.vt, VT_ARRAY | (eightBit ? VT_UI1 : VT_UI2)) << n;
    LONG lower = -1, upper = -1;
    SafeArrayGetLBound(out.parray, 1, &lower);
    SafeArrayGetUBound(out.parray, 1, &upper);
    EXPECT_EQ(lower, 0);
    EXPECT_EQ(upper, static_cast<LONG>(n) - 1);
    void* data = nullptr;
    ASSERT_EQ(SafeArrayAccessData(out.parray, &data), S_OK);
    for (uint32_t i : {0u, 1u, n - 1}) {
      const uint32_t got = eightBit ? static_cast<uint8_t*>(data)[i] : static_cast<uint16_t*>(data)[i];
      EXPECT_EQ(got, eightBit ? entries[i] & 0xFFu : entries[i]) << n << " entry " << i;
    }
    SafeArrayUnaccessData(out.parray);
    VariantClear(&out);
  }
}

TEST(AnnotationRecords, GuidTextsRoundTripAndBadTextsAreRefused) {
  const GUID guid{0x0123ABCD, 0x4567, 0x89EF, {0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0xEF}};
  const std::string text = FormatGuid(guid);
  EXPECT_EQ(text, "0123ABCD-4567-89EF-0123-456789ABCDEF");
  GUID parsed{};
  ASSERT_TRUE(ParseGuid(text, parsed));
  EXPECT_TRUE(IsEqualGUID(parsed, guid));
  EXPECT_TRUE(ParseGuid("0123abcd-4567-89ef-0123-456789abcdef", parsed));
  EXPECT_TRUE(IsEqualGUID(parsed, guid));
  for (const char* bad : {"", "0123ABCD-4567-89EF-0123-456789ABCDE", "0123ABCD-4567-89EF-0123-456789ABCDEF0",
                          "{0123ABCD-4567-89EF-0123-456789ABCD}", "0123ABCD+4567-89EF-0123-456789ABCDEF",
                          "0123ABCD-4567-89EF-0123-456789ABCDEG", " 123ABCD-4567-89EF-0123-456789ABCDEF",
                          "+123ABCD-4567-89EF-0123-456789ABCDEF"}) {
    GUID untouched = guid;
    EXPECT_FALSE(ParseGuid(bad, untouched)) << bad;
    EXPECT_TRUE(IsEqualGUID(untouched, guid)) << bad;
  }
}

FlagRecord Record(int32_t kind, std::vector<double> points) {
  FlagRecord record;
  record.kind = kind;
  record.colour = 0x00123456;
  record.caption = u"cap";
  record.description = u"desc";
  record.points = std::move(points);
  return record;
}

TEST(AnnotationRecords, AttributeListsByKind) {
  struct Row {
    int32_t kind;
    std::vector<double> points;
    const char16_t* type;
    size_t entries;
    const char16_t* firstPointName;  // entry 7
  };
  const Row rows[] = {
      {kSlideFlag, {5, 6}, u"SlideFlag", 8, nullptr},
      {kPolyline, {1, 2, 3, 4}, u"MeasureingBookmark", 11, u"PointX0"},
      {kPolyline, {1, 2, 3, 4, 5, 6}, u"PolygonBookmark", 13, u"PolygonPointX0"},
      {kPolygon, {1, 2}, u"PolygonBookmark", 9, u"PolygonPointX0"},
      {kPolygon, {1, 2, 3}, u"PolygonBookmark", 9, u"PolygonPointX0"},  // odd count: the lone x is left out
      {kPolygon, {}, u"PolygonBookmark", 7, nullptr},
      {kClosedOutline, {0, 0, 10, 0, 10, 10, 0, 10}, u"PolygonBookmark", 17, u"PolygonPointX0"},
      {kClosedOutline, {}, u"PolygonBookmark", 7, nullptr},
      {kEllipse, {0, 50, 100, 50, 50, 30, 50, 70}, u"PolygonBookmark", 129, u"PolygonPointX0"},
      {kEllipse, {0, 50, 100, 50}, u"PolygonBookmark", 11, u"PolygonPointX0"},  // too few axis points
  };
  for (const Row& row : rows) {
    AttributeList list;
    ASSERT_TRUE(BuildAttributes(Record(row.kind, row.points), list)) << row.kind;
    EXPECT_EQ(list.type, row.type) << row.kind;
    ASSERT_EQ(list.entries.size(), row.entries) << row.kind << " " << row.points.size();
    EXPECT_EQ(list.entries[0].name, u"Caption");
    EXPECT_EQ(std::get<int32_t>(list.entries[2].value), 0x00123456);
    if (row.kind == kSlideFlag) {
      EXPECT_EQ(list.entries[6].name, u"Direction");
      EXPECT_TRUE(list.entries[7].name.empty());
      EXPECT_TRUE(std::holds_alternative<std::monostate>(list.entries[7].value));
      continue;
    }
    EXPECT_EQ(std::get<int32_t>(list.entries[6].value), static_cast<int32_t>((row.entries - 7) / 2));
    if (row.firstPointName != nullptr) {
      EXPECT_EQ(list.entries[7].name, row.firstPointName);
    }
  }
  for (const int32_t kind : {0, 6, 7, -1}) {
    AttributeList list;
    EXPECT_FALSE(BuildAttributes(Record(kind, {1, 2}), list)) << kind;
  }
}

TEST(AnnotationRecords, ClosedOutlineRepeatsItsFirstPoint) {
  AttributeList list;
  ASSERT_TRUE(BuildAttributes(Record(kClosedOutline, {3.9, -4.9, 10, 0, 10, 10, 0, 10}), list));
  EXPECT_EQ(list.entries[15].name, u"PolygonPointX4");
  EXPECT_EQ(std::get<int32_t>(list.entries[15].value), 3);
  EXPECT_EQ(std::get<int32_t>(list.entries[16].value), -4);
}

TEST(AnnotationRecords, EllipseIsAnAxisAlignedPolygonOf61Points) {
  const std::vector<double> axes{0, 50, 100, 50, 50, 30, 50, 70};
  const std::vector<double> polygon = EllipsePolygon(axes);
  ASSERT_EQ(polygon.size(), 122u);
  EXPECT_DOUBLE_EQ(polygon[0], 100);  // angle 0: centre + a
  EXPECT_DOUBLE_EQ(polygon[1], 50);
  EXPECT_NEAR(polygon[118], 100, 1e-9);  // the 60th point comes back to the first
  EXPECT_DOUBLE_EQ(polygon[120], polygon[0]);
  for (size_t k = 0; k < polygon.size(); k += 2) {
    const double dx = (polygon[k] - 50) / 50, dy = (polygon[k + 1] - 50) / 20;
    EXPECT_NEAR(dx * dx + dy * dy, 1.0, 1e-9) << k;
  }
  EXPECT_EQ(EllipsePolygon(axes), polygon);
  EXPECT_TRUE(EllipsePolygon({1, 2, 3, 4, 5, 6, 7}).empty());
}

TEST(AnnotationRecords, BoundingRectanglesAndTruncation) {
  const BoundRect empty = BoundingRectangle({});
  EXPECT_EQ(empty.left, 2147483647);
  EXPECT_EQ(empty.top, 2147483647);
  EXPECT_EQ(empty.right, -2147483647 - 1);
  EXPECT_EQ(empty.bottom, -2147483647 - 1);
  const BoundRect rect = BoundingRectangle({10.7, 20.2, -3.5, 40.9, 7, 5});
  EXPECT_EQ(rect.left, -3);
  EXPECT_EQ(rect.right, 10);
  EXPECT_EQ(rect.top, 5);
  EXPECT_EQ(rect.bottom, 40);
  EXPECT_EQ(TruncateToInt32(std::numeric_limits<double>::quiet_NaN()), 0);
  EXPECT_EQ(TruncateToInt32(1e300), std::numeric_limits<int32_t>::max());
  EXPECT_EQ(TruncateToInt32(-1e300), std::numeric_limits<int32_t>::min());
  EXPECT_EQ(TruncateToInt32(-2.9), -2);
}

TEST(AnnotationRecords, TmaGeometryNeedsSixPoints) {
  TmaRecord marker;
  marker.points = {100, 200, 140, 210, 0, 0, 0, 0, 110, 0, 125, 0};
  int32_t outer = 0, inner = 0, x = 0, y = 0;
  ASSERT_TRUE(TmaDiameters(marker, 0.5, outer, inner));
  EXPECT_EQ(outer, 20);  // |140 - 100| * 0.5 + 0.5
  EXPECT_EQ(inner, 8);   // |125 - 110| * 0.5 + 0.5 = 8.0
  ASSERT_TRUE(TmaCentre(marker, x, y));
  EXPECT_EQ(x, 120);
  EXPECT_EQ(y, 205);
  marker.points.pop_back();
  EXPECT_FALSE(TmaDiameters(marker, 0.5, outer, inner));
  EXPECT_FALSE(TmaCentre(marker, x, y));
}

}  // namespace
