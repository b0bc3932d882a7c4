// The annotations object: handed out by key 1009 for generated 2D slides (refused for 3D ones) and
// the real bulk annotations, flag records by kind, TMA markers walked by the cursor, GUID matching,
// and records shaped as a file may hold them (one point, no points, short TMA markers, bad GUIDs).
#include <cmath>
#include <sstream>

#include "Annotations/WSIAnnotations.h"
#include "annotations/AnnotationSet.h"
#include "singles_support.h"

namespace module_test {
namespace {

ComPtr<ISeSlideFlagProvider> AnnotationsOf(const SinglesSlide& slide, HRESULT expected = S_OK) {
  Variant value;
  EXPECT_EQ(slide->get_Properties(1009, &value), expected);
  ComPtr<ISeSlideFlagProvider> provider;
  if (value.v.vt == VT_DISPATCH && value.v.pdispVal != nullptr) {
    EXPECT_EQ(value.v.pdispVal->QueryInterface(IID_ISeSlideFlagProvider, provider.OutVoid()), S_OK);
  }
  return provider;
}

template <class T>
ComPtr<T> As(IUnknown* object, REFIID iid) {
  ComPtr<T> result;
  EXPECT_EQ(object->QueryInterface(iid, result.OutVoid()), S_OK);
  return result;
}

struct Attributes {
  HRESULT hr = E_UNEXPECTED;
  std::string type;
  std::vector<std::pair<std::string, LONG>> entries;  // name, integer value (0 for texts and empties)
};

Attributes AttributesOf(ISeSlideFlagProvider* provider, LONG index) {
  Attributes result;
  ComPtr<IUnknown> record;
  EXPECT_EQ(provider->get_Data(index, record.Out()), S_OK);
  auto flag = As<ISeSlideFlagDataRec>(record.Get(), IID_ISeSlideFlagDataRec);
  Variant array;
  BSTR type = nullptr;
  result.hr = flag->GetAttributes(&array, &type);
  if (FAILED(result.hr)) return result;
  result.type = Narrow(type);
  SysFreeString(type);
  LONG upper = -1;
  SafeArrayGetUBound(array.v.parray, 2, &upper);
  for (LONG i = 0; i <= upper; ++i) {
    Variant name, value;
    LONG nameAt[2] = {0, i}, valueAt[2] = {1, i};
    SafeArrayGetElement(array.v.parray, nameAt, &name.v);
    SafeArrayGetElement(array.v.parray, valueAt, &value.v);
    result.entries.emplace_back(name.v.vt == VT_BSTR ? Narrow(name.v.bstrVal) : "",
                                value.v.vt == VT_I4 ? value.v.lVal : 0);
  }
  return result;
}

std::filesystem::path AnnotatedSlide(const char* dimension) {
  return MakeSlide(std::string("annotated-") + dimension,
                   std::string("--width 1024 --height 768 --syntax explicit --annotations ") + dimension);
}

TEST(Annotations, FlagRecordsOfAGeneratedSlide) {
  const auto path = AnnotatedSlide("2d");
  ASSERT_FALSE(path.empty());
  auto slide = OpenSinglesSlide(path);
  auto provider = AnnotationsOf(slide);
  ASSERT_NE(provider.Get(), nullptr);
  LONG count = -1;
  provider->get_DataCount(&count);
  EXPECT_EQ(count, 0);  // nothing is loaded before the host connects
  ASSERT_EQ(provider->ConnectToSlide(nullptr, nullptr), S_OK);
  provider->get_DataCount(&count);
  struct Row { const char* type; size_t entries; };
  const Row rows[] = {{"SlideFlag", 8},           {"SlideFlag", 8},          {"SlideFlag", 8},
                      {"MeasureingBookmark", 11}, {"MeasureingBookmark", 11}, {"PolygonBookmark", 15},
                      {"PolygonBookmark", 13},    {"PolygonBookmark", 17},    {"PolygonBookmark", 15},
                      {"PolygonBookmark", 129},   {"PolygonBookmark", 17}};
  ASSERT_EQ(count, static_cast<LONG>(std::size(rows)));
  for (LONG i = 0; i < count; ++i) {
    const Attributes attributes = AttributesOf(provider.Get(), i);
    ASSERT_EQ(attributes.hr, S_OK) << i;
    EXPECT_EQ(attributes.type, rows[i].type) << i;
    EXPECT_EQ(attributes.entries.size(), rows[i].entries) << i;
  }
  const Attributes ellipse = AttributesOf(provider.Get(), 9);
  EXPECT_EQ(ellipse.entries[6], (std::pair<std::string, LONG>{"PolygonPointCount", 61}));
  EXPECT_EQ(ellipse.entries[128].first, "PolygonPointY60");
  // Axes 512 +- 153.6 and 384 +- 76.8: the polygon starts at the right end of the x axis.
  EXPECT_EQ(ellipse.entries[7].second, 665);
  EXPECT_EQ(ellipse.entries[8].second, 384);
  EXPECT_EQ(AttributesOf(provider.Get(), 9).entries, ellipse.entries);

  // The rectangle around the centre of the upper left quarter: 256 +- 76.8, 192 +- 76.8 pixels.
  ComPtr<IUnknown> record;
  provider->get_Data(10, record.Out());
  auto flag = As<ISeSlideFlagDataRec>(record.Get(), IID_ISeSlideFlagDataRec);
  LONG left = 0, top = 0, right = 0, bottom = 0;
  ASSERT_EQ(flag->GetBoundRect(&left, &top, &right, &bottom), S_OK);
  EXPECT_EQ(std::vector<LONG>({left, top, right, bottom}), std::vector<LONG>({179, 115, 332, 268}));
  BSTR guid = nullptr;
  ASSERT_EQ(flag->get_ObjectGUID(&guid), S_OK);
  EXPECT_EQ(SysStringLen(guid), 36u);
  SysFreeString(guid);
  EXPECT_EQ(flag->GetBoundRect(nullptr, &top, &right, &bottom), E_POINTER);

  ASSERT_EQ(provider->DisconnectFromSlide(VARIANT_FALSE), S_OK);
  provider->get_DataCount(&count);
  EXPECT_EQ(count, 0);
  provider->get_Data(0, record.Out());
  EXPECT_EQ(flag->GetBoundRect(&left, &top, &right, &bottom), E_FAIL);
}

TEST(Annotations, TmaMarkersWalkedByTheCursor) {
  const auto path = AnnotatedSlide("2d");
  ASSERT_FALSE(path.empty());
  auto slide = OpenSinglesSlide(path);
  auto provider = AnnotationsOf(slide);
  ASSERT_NE(provider.Get(), nullptr);
  auto attach = As<IKLVBinAnnotProviderSlideBase>(provider.Get(), IID_IKLVBinAnnotProviderSlideBase);
  auto collection = As<IKLVBinAnnotCollectionBase>(provider.Get(), IID_IKLVBinAnnotCollectionBase);
  auto marker = As<IKLVBinAnnotGetterTMAMarker1>(provider.Get(), IID_IKLVBinAnnotGetterTMAMarker1);
  auto point = As<IKLVBinAnnotGetterShapePoint1>(provider.Get(), IID_IKLVBinAnnotGetterShapePoint1);
  ASSERT_EQ(attach->AttachToSlide(nullptr), S_OK);
  LONG count = 0;
  collection->get_Count(&count);
  ASSERT_EQ(count, 3);
  const char* names[] = {"TMA A1", "TMA A2", "TMA B1"};
  for (int i = 0; i < 3; ++i) {
    VARIANT_BOOL more = VARIANT_FALSE, read = VARIANT_FALSE;
    collection->HasNext(&more);
    EXPECT_EQ(more, VARIANT_TRUE) << i;
    ComPtr<IKLVBinAnnotDataBase> data;
    ASSERT_EQ(collection->ReadNext(data.Out(), &read), S_OK);
    EXPECT_EQ(read, VARIANT_TRUE);
    EXPECT_NE(data.Get(), nullptr);
    BSTR name = nullptr;
    ASSERT_EQ(marker->get_Name(&name), S_OK);
    EXPECT_EQ(Narrow(name), names[i]);
    SysFreeString(name);
  }
  VARIANT_BOOL more = VARIANT_TRUE, read = VARIANT_TRUE;
  collection->HasNext(&more);
  ComPtr<IKLVBinAnnotDataBase> none;
  EXPECT_EQ(collection->ReadNext(none.Out(), &read), S_OK);
  EXPECT_EQ(more, VARIANT_FALSE);
  EXPECT_EQ(read, VARIANT_FALSE);
  EXPECT_EQ(none.Get(), nullptr);
  // Marker B1 at (256, 537.6): outer diameter 122.88 px, inner 46.08 px, 0.25 um per pixel.
  LONG outer = 0, inner = 0, x = 0, y = 0, colour = 0;
  ASSERT_EQ(marker->get_OuterDiameter(&outer), S_OK);
  ASSERT_EQ(marker->get_InnerDiameter(&inner), S_OK);
  ASSERT_EQ(point->GetPoint(&x, &y), S_OK);
  ASSERT_EQ(marker->get_LineColor(&colour), S_OK);
  EXPECT_EQ(std::vector<LONG>({outer, inner, x, y}), std::vector<LONG>({31, 12, 256, 538}));
  EXPECT_NEAR(colour & 0xFF, 255, 2);  // red in the low byte
  LONG readCount = 7;
  SAFEARRAY* array = nullptr;
  EXPECT_EQ(collection->ReadNextN(2, &array, &readCount), E_NOTIMPL);
  EXPECT_EQ(readCount, 0);
  ASSERT_EQ(collection->ResetPosition(), S_OK);
  ComPtr<IKLVBinAnnotCollectionBase> filtered;
  ASSERT_EQ(collection->Filter(nullptr, nullptr, filtered.Out()), S_OK);
  ComPtr<IKLVBinAnnotDataBase> first;
  ASSERT_EQ(filtered->ReadNext(first.Out(), &read), S_OK);
  BSTR name = nullptr;
  marker->get_Name(&name);
  EXPECT_EQ(Narrow(name), "TMA A1");
  SysFreeString(name);
}

TEST(Annotations, ThreeDimensionalAnnotationsAreRefused) {
  const auto path = AnnotatedSlide("3d");
  ASSERT_FALSE(path.empty());
  auto slide = OpenSinglesSlide(path);
  EXPECT_EQ(AnnotationsOf(slide, static_cast<HRESULT>(0x8103015Fu)).Get(), nullptr);
}

TEST(Annotations, RealBulkAnnotationsOfTheRgbSlide) {
  const auto dir = RealSlideDir("rgb");
  if (dir.empty()) GTEST_SKIP() << "real test files not present";
  auto slide = OpenSinglesSlide(dir);
  auto provider = AnnotationsOf(slide);
  ASSERT_NE(provider.Get(), nullptr);
  ASSERT_EQ(provider->ConnectToSlide(nullptr, nullptr), S_OK);
  LONG count = 0;
  provider->get_DataCount(&count);
  ASSERT_EQ(count, 2);
  std::istringstream file(PythonOutput(
      "import sys,pydicom,numpy; d=pydicom.dcmread(sys.argv[1]); g=d.AnnotationGroupSequence[0]; "
      "p=g.get('PointCoordinatesData'); "
      "print(*(numpy.frombuffer(p, '<f4') if p else numpy.frombuffer(g.DoublePointCoordinatesData, '<f8')))",
      (dir / "sm_annotations.dcm").string()));
  double x = 0, y = 0;
  for (LONG i = 0; i < count; ++i) {
    ASSERT_TRUE(file >> x >> y) << "coordinates of annotation " << i;
    const Attributes attributes = AttributesOf(provider.Get(), i);
    EXPECT_EQ(attributes.type, "SlideFlag");
    ASSERT_EQ(attributes.entries.size(), 8u);
    EXPECT_EQ(attributes.entries[0].first, "Caption");
    ComPtr<IUnknown> record;
    provider->get_Data(i, record.Out());
    LONG left = 0, top = 0, right = 0, bottom = 0;
    ASSERT_EQ(As<ISeSlideFlagDataRec>(record.Get(), IID_ISeSlideFlagDataRec)->GetBoundRect(&left, &top, &right, &bottom),
              S_OK);
    EXPECT_EQ(std::vector<LONG>({left, top, right, bottom}),
              std::vector<LONG>({LONG(x), LONG(y), LONG(x), LONG(y)}));
  }
  auto attach = As<IKLVBinAnnotProviderSlideBase>(provider.Get(), IID_IKLVBinAnnotProviderSlideBase);
  ASSERT_EQ(attach->AttachToSlide(nullptr), S_OK);
  LONG markers = -1;
  As<IKLVBinAnnotCollectionBase>(provider.Get(), IID_IKLVBinAnnotCollectionBase)->get_Count(&markers);
  EXPECT_EQ(markers, 0);
}

// An annotations object over hand-made records.
ComPtr<ISeSlideFlagProvider> Crafted(const dicominterop::AnnotationSet& set) {
  auto sets = std::make_shared<std::vector<std::shared_ptr<const dicominterop::AnnotationSet>>>();
  sets->push_back(std::make_shared<dicominterop::AnnotationSet>(set));
  CWSIAnnotations annotations;
  annotations.Assign(sets);
  ComPtr<ISeSlideFlagProvider> provider;
  EXPECT_EQ(ComWSIAnnotations::CreateBound(annotations, 0.5, 0.5, provider.Out()), S_OK);
  return provider;
}

void Add(dicominterop::AnnotationSet& set, const std::string& id, int32_t kind, std::vector<double> points) {
  set.hasIdentifier.push_back(!id.empty());
  set.identifiers.push_back(id);
  set.kinds.push_back(kind);
  set.colours.push_back(0x00FF8000);
  set.captions.push_back(u"c");
  set.descriptions.push_back(u"d");
  set.points.push_back(std::move(points));
  set.texts.emplace_back();
  set.appliesToAllPlanes.push_back(true);
  set.measurements.push_back(NAN);
  set.firstZ.push_back(0);
}

TEST(Annotations, RecordsShapedAsAFileMayHoldThem) {
  dicominterop::AnnotationSet set;
  Add(set, "", 3, {5, 6});                       // a polygon of one point
  Add(set, "", 4, {1, 2, 3, 4});                 // an ellipse with one axis only
  Add(set, "", 5, {});                           // an outline without points
  Add(set, "", 9, {1, 1});                       // a kind this object does not know
  Add(set, "0123ABCD-4567-89EF-0123-456789ABCDEF", 6, std::vector<double>(12, 1.0));
  Add(set, "0123abcd-4567-89ef-0123-456789abcdef", 6, {1, 2});  // lower case, too few points
  Add(set, "0123ABCD-4567", 6, {});                              // wrong length
  auto provider = Crafted(set);
  ASSERT_EQ(provider->ConnectToSlide(nullptr, nullptr), S_OK);
  const size_t expected[] = {9, 11, 7};
  for (LONG i = 0; i < 3; ++i) EXPECT_EQ(AttributesOf(provider.Get(), i).entries.size(), expected[i]) << i;
  EXPECT_EQ(AttributesOf(provider.Get(), 3).hr, E_FAIL);
  EXPECT_EQ(AttributesOf(provider.Get(), 4).hr, E_FAIL);  // past the last record
  EXPECT_EQ(AttributesOf(provider.Get(), -1).hr, E_FAIL);

  auto attach = As<IKLVBinAnnotProviderSlideBase>(provider.Get(), IID_IKLVBinAnnotProviderSlideBase);
  auto collection = As<IKLVBinAnnotCollectionBase>(provider.Get(), IID_IKLVBinAnnotCollectionBase);
  auto data = As<IKLVBinAnnotDataBase>(provider.Get(), IID_IKLVBinAnnotDataBase);
  auto marker = As<IKLVBinAnnotGetterTMAMarker1>(provider.Get(), IID_IKLVBinAnnotGetterTMAMarker1);
  ASSERT_EQ(attach->AttachToSlide(nullptr), S_OK);
  LONG outer = -1;
  EXPECT_EQ(marker->get_OuterDiameter(&outer), E_FAIL);  // cursor before the first record
  GUID guid{};
  const GUID wanted{0x0123ABCD, 0x4567, 0x89EF, {0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0xEF}};
  struct Row { LONG cursor; bool parsed; bool hasGeometry; };
  for (const Row& row : {Row{0, true, true}, Row{1, true, false}, Row{2, false, false}}) {
    ComPtr<IKLVBinAnnotDataBase> found;
    VARIANT_BOOL read = VARIANT_FALSE;
    ASSERT_EQ(collection->ReadNext(found.Out(), &read), S_OK);
    ASSERT_EQ(data->get_InstanceGUID(&guid), S_OK);
    EXPECT_EQ(IsEqualGUID(guid, wanted), row.parsed) << row.cursor;
    EXPECT_EQ(marker->get_OuterDiameter(&outer), row.hasGeometry ? S_OK : E_FAIL) << row.cursor;
  }
  // The lower-case text of record 1 does not match: the first upper-case one wins.
  ComPtr<IKLVBinAnnotDataBase> found;
  VARIANT_BOOL hit = VARIANT_FALSE;
  ASSERT_EQ(collection->FindByInstanceGUID(wanted, found.Out(), &hit), S_OK);
  EXPECT_EQ(hit, VARIANT_TRUE);
  EXPECT_EQ(marker->get_OuterDiameter(&outer), S_OK);
  ASSERT_EQ(collection->FindByInstanceGUID(GUID{}, found.Out(), &hit), S_OK);
  EXPECT_EQ(hit, VARIANT_FALSE);
}

}  // namespace
}  // namespace module_test
