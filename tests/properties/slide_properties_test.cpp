// Slide properties through ZorvelDicom.so as a host reads them: the tag directory, every
// metadata-backed tag against the generator's manifest, compression texts per transfer syntax,
// z-stack tags, dates, identifiers, unopened objects and the real test files.
#include <cmath>
#include <cstdio>
#include <map>
#include <memory>
#include <sstream>

#include "module_host.h"

namespace module_test {
namespace {

constexpr LONG kIgnoredBit = 0x40000000;

// The output of a shell command.
std::string RunCommand(const std::string& command) {
  std::string output;
  std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
  char buffer[4096];
  while (pipe && fgets(buffer, sizeof buffer, pipe.get()) != nullptr) output += buffer;
  return output;
}

// The "key=value" lines a shell command prints.
std::map<std::string, std::string> KeyValues(const std::string& command) {
  std::istringstream lines(RunCommand(command));
  std::map<std::string, std::string> values;
  for (std::string line; std::getline(lines, line);) {
    const auto equals = line.find('=');
    if (equals != std::string::npos) values[line.substr(0, equals)] = line.substr(equals + 1);
  }
  return values;
}

// "key=value" lines printed by a Python expression over the slide's manifest `m`.
std::map<std::string, std::string> ManifestValues(const std::filesystem::path& slide, const std::string& expression) {
  const std::string script = "import json,sys; m=json.load(open(sys.argv[1])); " + expression;
  return KeyValues(std::string(ZORVEL_PYTHON) + " -c \"" + script + "\" '" + (slide / "manifest.json").string() + "'");
}

std::string Narrow(BSTR text) { return text == nullptr ? std::string() : std::string(text, text + SysStringLen(text)); }

struct Value {
  HRESULT hr = E_UNEXPECTED;
  VARIANT variant;
  Value() { VariantInit(&variant); }
  ~Value() { VariantClear(&variant); }
  Value(const Value&) = delete;
  Value& operator=(const Value&) = delete;
};

class SlidePropertiesTest : public testing::Test {
 protected:
  void SetUp() override { ASSERT_NE(ModuleHost::Get().handle, nullptr) << dlerror(); }

  // A slide-access object with `slide` opened (not opened when `slide` is empty).
  ComPtr<IKLVZorvel> OpenedSlide(const std::filesystem::path& slide) {
    auto object = Create<IKLVZorvel>(CLSID_KLVZorvelDICOM, IID_IKLVZorvel);
    if (!slide.empty()) {
      EXPECT_EQ(Open(object.Get(), slide), S_OK);
    }
    return object;
  }
  static void Read(IKLVZorvel* slide, LONG tag, Value& value) { value.hr = slide->GetSlideProperties(tag, &value.variant); }
  // The value of `tag`, checked to be served with `type`.
  static std::unique_ptr<Value> Typed(IKLVZorvel* slide, LONG tag, VARTYPE type) {
    auto value = std::make_unique<Value>();
    Read(slide, tag, *value);
    EXPECT_EQ(value->hr, S_OK) << tag;
    EXPECT_EQ(value->variant.vt, type) << tag;
    return value;
  }
  static std::string Text(IKLVZorvel* slide, LONG tag) {
    const auto value = Typed(slide, tag, VT_BSTR);
    return value->variant.vt == VT_BSTR ? Narrow(value->variant.bstrVal) : std::string();
  }
  static LONG Int(IKLVZorvel* slide, LONG tag) { return Typed(slide, tag, VT_I4)->variant.lVal; }
  static double Real(IKLVZorvel* slide, LONG tag, VARTYPE type = VT_R8) {
    const auto value = Typed(slide, tag, type);
    return type == VT_DATE ? value->variant.date : value->variant.dblVal;
  }
  static bool Bool(IKLVZorvel* slide, LONG tag) {
    return Typed(slide, tag, VT_BOOL)->variant.boolVal == VARIANT_TRUE;
  }
};

// The common test slide: every private metadata value, a label, three levels.
std::filesystem::path MetadataSlide() {
  return MakeSlide("metadata", "--width 1024 --height 768 --private-metadata --label --label-text 'Case 17 HE'");
}

TEST_F(SlidePropertiesTest, TagDirectoryBeforeOpening) {
  auto slide = OpenedSlide({});
  Value tags, names, descriptions;
  ASSERT_EQ(slide->GetSlidePropertyTags(&tags.variant, &names.variant, &descriptions.variant), S_OK);
  ASSERT_EQ(tags.variant.vt, VT_ARRAY | VT_I4);
  ASSERT_EQ(names.variant.vt, VT_ARRAY | VT_BSTR);
  ASSERT_EQ(descriptions.variant.vt, VT_ARRAY | VT_BSTR);
  LONG upper = -1;
  ASSERT_EQ(SafeArrayGetUBound(tags.variant.parray, 1, &upper), S_OK);
  EXPECT_EQ(upper, 73);
  struct Row {
    LONG index, tag;
    std::string name, description;
  };
  const Row rows[] = {
      {0, 301, "Compressed", "is compressed"},
      {24, 325, "ROI position", "region of Interest position on slide in tiles (xpos << 16 | ypos)"},
      {30, 375, "Z-Stack zero focus level", "Z-Stack zero focus level"},
      {31, 331, "Z-Stack first level", "zstack first level"},
      {43, 343, "Scanning user", "name of the Korvane user scanning the slide"},
      {61, 361, "Compenstation algorithm", "compensation algorithm"},
      {73, 373, "Scanning date UTC", "scanning date UTC"},
  };
  for (const Row& row : rows) {
    LONG index = row.index, tag = 0;
    BSTR name = nullptr, description = nullptr;
    ASSERT_EQ(SafeArrayGetElement(tags.variant.parray, &index, &tag), S_OK);
    ASSERT_EQ(SafeArrayGetElement(names.variant.parray, &index, &name), S_OK);
    ASSERT_EQ(SafeArrayGetElement(descriptions.variant.parray, &index, &description), S_OK);
    EXPECT_EQ(tag, row.tag);
    EXPECT_EQ(Narrow(name), row.name);
    EXPECT_EQ(Narrow(description), row.description);
    SysFreeString(name);
    SysFreeString(description);
  }
  Value onlyNames;
  EXPECT_EQ(slide->GetSlidePropertyTags(nullptr, &onlyNames.variant, nullptr), S_OK);
  EXPECT_EQ(onlyNames.variant.vt, VT_ARRAY | VT_BSTR);
}

TEST_F(SlidePropertiesTest, UnopenedObject) {
  auto slide = OpenedSlide({});
  EXPECT_EQ(Text(slide.Get(), 339), "False");
  Value width;
  width.variant.vt = VT_I4;
  width.variant.lVal = 77;
  Read(slide.Get(), 306, width);
  EXPECT_TRUE(FAILED(width.hr));
  EXPECT_EQ(width.variant.vt, VT_I4) << "a failed opening leaves the VARIANT untouched";
  EXPECT_EQ(width.variant.lVal, 77);
  EXPECT_EQ(slide->GetSlideProperties(306, nullptr), E_POINTER);
}

// Every metadata-backed tag against the value the generator wrote.
TEST_F(SlidePropertiesTest, MetadataTagsMatchTheManifest) {
  const auto slidePath = MetadataSlide();
  ASSERT_FALSE(slidePath.empty());
  const auto written = ManifestValues(slidePath, "[print(k+'='+v) for k,v in m['private_metadata']['values'].items()]");
  ASSERT_FALSE(written.empty());
  struct Row {
    LONG tag;
    VARTYPE type;
    const char* key;
  };
  const Row rows[] = {
      {310, VT_I4, "ScannedFOVCount"},
      {314, VT_BSTR, "AdapterSize"}, {315, VT_BSTR, "OptovarSize"}, {316, VT_BSTR, "CameraType"},
      {333, VT_BSTR, "SlideOriginalSource"},
      {335, VT_BSTR, "FluorSlideMultispectralScanning"}, {355, VT_I4, "DiskPosition"}, {356, VT_BSTR, "FocusMap"},
      {357, VT_BSTR, "FocusLimit"}, {358, VT_I4, "FocusLimitLO"}, {359, VT_I4, "FocusLimitUP"},
      {360, VT_BSTR, "FlatFieldCorrection"}, {361, VT_BSTR, "CompensationAlg"}, {362, VT_BSTR, "ExtendedFocusAlg"},
      {363, VT_BSTR, "SlideIsConfocal"}, {364, VT_I4, "IccProfileColorScheme"}, {365, VT_I4, "IccProfileWhitePoint"},
      {366, VT_I4, "IccProfileGamma"}, {371, VT_BSTR, "BarcodeAnonymized"}, {409, VT_I4, "CameraRealBitDepth"},
      {1000, VT_UI4, "OriginalScanmapROIOffsetXPixels"}, {1001, VT_UI4, "OriginalScanmapROIOffsetYPixels"},
      {1002, VT_UI4, "OriginalScanmapWidthPixels"}, {1003, VT_UI4, "OriginalScanmapHeightPixels"},
      {1004, VT_I4, "OriginalCompressionType"}, {1005, VT_I4, "OriginalCompressionFactor"},
      {51000, VT_I4, "Sqrt2Resized"}, {51001, VT_BSTR, "Sharpened"}, {51002, VT_I4, "GammaApplied"},
      {51003, VT_R8, "GammaValue"}, {51200, VT_I4, "SlidePositionX"}, {51201, VT_I4, "SlidePositionY"},
      {51210, VT_I4, "FluorSlideIndividuallyExpTime"}, {51211, VT_I4, "FluorSlideScanningAlgorithm"},
      {51212, VT_I4, "FluorSlideFocusPlaneFindingStep"}, {51213, VT_I4, "FluorSlideFocusmapCreatingStep"},
      {51214, VT_I4, "FluorSlideMaximumExposureTime"}, {51215, VT_I4, "FluorSlideFocusingType"},
      {51216, VT_BSTR, "FluorSlideDoNotScanEmptyFovs"}, {51220, VT_BSTR, "SlideContent"},
      {51230, VT_I4, "CameraImageDivisionsPerSide"}, {51240, VT_BSTR, "TmaCoreFindingStat"},
      {51250, VT_BSTR, "ScannerCameraType"}, {51251, VT_I4, "ObjectguideMaxHysteresisX"},
      {51252, VT_I4, "ObjectguideMaxHysteresisY"}, {51253, VT_R8, "CameraRotation"},
  };
  auto slide = OpenedSlide(slidePath);
  for (const Row& row : rows) {
    SCOPED_TRACE(row.key);
    ASSERT_EQ(written.count(row.key), 1u);
    const std::string& expected = written.at(row.key);
    Value value;
    Read(slide.Get(), row.tag, value);
    ASSERT_EQ(value.hr, S_OK);
    ASSERT_EQ(value.variant.vt, row.type);
    switch (row.type) {
      case VT_I4: EXPECT_EQ(value.variant.lVal, std::stol(expected)); break;
      case VT_UI4: EXPECT_EQ(value.variant.ulVal, std::stoul(expected)); break;
      case VT_R8: EXPECT_DOUBLE_EQ(value.variant.dblVal, std::stod(expected)); break;
      default: EXPECT_EQ(Narrow(value.variant.bstrVal), expected);
    }
  }
  EXPECT_EQ(Bool(slide.Get(), 379), written.at("SlideIsDoubleWide") == "True");
}

TEST_F(SlidePropertiesTest, FixedAndComputedTags) {
  const auto slidePath = MetadataSlide();
  ASSERT_FALSE(slidePath.empty());
  const auto standard = ManifestValues(
      slidePath,
      "s=m['standard_values']; print('model='+s['ManufacturerModelName']); print('serial='+s['DeviceSerialNumber']); "
      "print('study='+m['study_instance_uid']); print('series='+m['series_instance_uid']); "
      "print('spacing='+repr(s['BasePixelSpacingMm'])); print('duration='+repr(s['AcquisitionDuration'])); "
      "print('power='+repr(s['ObjectiveLensPower']))");
  auto slide = OpenedSlide(slidePath);
  const std::pair<LONG, LONG> numbers[] = {{306, 1024}, {kIgnoredBit + 306, 1024}, {307, 768},
                                           {326, 4 * 65536 + 3}, {397, 256 * 65536 + 256}, {313, 1},
                                           {320, 1}, {40000, 1}, {327, 8}, {325, 0}};
  for (const auto& [tag, expected] : numbers) EXPECT_EQ(Int(slide.Get(), tag), expected) << tag;
  for (LONG tag : {328, 329, 396}) EXPECT_FALSE(Bool(slide.Get(), tag)) << tag;
  for (LONG tag : {317, 318, 336, 341, 345, 346, 347, 348, 349}) EXPECT_EQ(Text(slide.Get(), tag), "0") << tag;
  for (LONG tag : {319, 350}) EXPECT_EQ(Text(slide.Get(), tag), "1.0") << tag;
  for (LONG tag : {337, 338, 339, 340}) EXPECT_EQ(Text(slide.Get(), tag), "False") << tag;
  EXPECT_EQ(Text(slide.Get(), 351), standard.at("model"));
  EXPECT_EQ(Text(slide.Get(), 352), standard.at("serial"));
  EXPECT_EQ(Text(slide.Get(), 1008), standard.at("study"));
  EXPECT_EQ(Text(slide.Get(), 372), standard.at("series"));
  EXPECT_EQ(Text(slide.Get(), 1007), standard.at("series"));
  EXPECT_EQ(Text(slide.Get(), 378), "Case 17 HE");
  std::string power = standard.at("power");
  if (power.size() > 2 && power.substr(power.size() - 2) == ".0") power.resize(power.size() - 2);
  EXPECT_EQ(Text(slide.Get(), 321), power);
  // Standard attributes win over the metadata block: the objective power, the lens name.
  EXPECT_EQ(Text(slide.Get(), 305), power);
  EXPECT_FALSE(Text(slide.Get(), 322).empty());
  EXPECT_NEAR(Real(slide.Get(), 353), 3.0100254167, 1e-12);
  EXPECT_DOUBLE_EQ(Real(slide.Get(), 323), std::stod(standard.at("duration")));
  EXPECT_DOUBLE_EQ(Real(slide.Get(), 308), std::stod(standard.at("spacing")) * 1000);
  EXPECT_DOUBLE_EQ(Real(slide.Get(), 309), std::stod(standard.at("spacing")) * 1000);
  Value empty;
  Read(slide.Get(), 342, empty);
  EXPECT_EQ(empty.hr, S_OK);
  EXPECT_EQ(empty.variant.vt, VT_EMPTY);
  Value size;
  Read(slide.Get(), 344, size);
  ASSERT_EQ(size.hr, S_OK);
  ASSERT_EQ(size.variant.vt, VT_UI8);
  EXPECT_GT(size.variant.ullVal, 1024u * 768u / 50);
  for (LONG tag : {311, 324, 332, 334, 343, 367, 368, 369, 370, 1006, 299, 376, 40001}) {
    Value unserved;
    Read(slide.Get(), tag, unserved);
    EXPECT_EQ(unserved.hr, E_INVALIDARG) << tag;
  }
}

TEST_F(SlidePropertiesTest, ZoomListAndParameterArray) {
  const auto slidePath = MetadataSlide();
  ASSERT_FALSE(slidePath.empty());
  auto slide = OpenedSlide(slidePath);
  Value levels;
  Read(slide.Get(), 414, levels);
  ASSERT_EQ(levels.hr, S_OK);
  ASSERT_EQ(levels.variant.vt, VT_ARRAY | VT_UI2);
  LONG upper = -1;
  SafeArrayGetUBound(levels.variant.parray, 1, &upper);
  ASSERT_EQ(upper, 2);
  for (LONG i = 0; i <= upper; ++i) {
    USHORT level = 99;
    SafeArrayGetElement(levels.variant.parray, &i, &level);
    EXPECT_EQ(level, i);
  }
  Value parameters;
  Read(slide.Get(), 40014, parameters);
  ASSERT_EQ(parameters.hr, S_OK);
  ASSERT_EQ(parameters.variant.vt, VT_ARRAY | VT_VARIANT);
  EXPECT_EQ(SafeArrayGetDim(parameters.variant.parray), 2u);
  LONG nameIndex[] = {0, 0}, valueIndex[] = {1, 0};
  VARIANT name, number;
  VariantInit(&name);
  VariantInit(&number);
  ASSERT_EQ(SafeArrayGetElement(parameters.variant.parray, nameIndex, &name), S_OK);
  ASSERT_EQ(SafeArrayGetElement(parameters.variant.parray, valueIndex, &number), S_OK);
  EXPECT_EQ(Narrow(name.bstrVal), "historgam_exists");
  EXPECT_EQ(number.vt, VT_I4);
  EXPECT_EQ(number.lVal, 0);
  VariantClear(&name);
}

TEST_F(SlidePropertiesTest, CompressionTextsPerTransferSyntax) {
  struct Row {
    const char* syntax;
    bool compressed;
    const char* mode;
    const char* type;
  };
  const Row rows[] = {
      {"implicit", false, "LOSSYLESS", "ILE_UNCOMPRESSED"},
      {"explicit", false, "LOSSYLESS", "ELE_UNCOMPRESSED"},
      {"jpeg", true, "LOSSY", "JPEG"},
      {"jpeg2000", true, "LOSSY", "JPEG2000"},
      {"jpeg2000-lossless", true, "LOSSYLESS", "JPEG2000"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.syntax);
    const auto path = MakeSlide(std::string("syntax-") + row.syntax,
                                std::string("--width 256 --height 256 --syntax ") + row.syntax);
    ASSERT_FALSE(path.empty());
    // The slide id first, before the slide library opened the slide (implicit VR: found by the library).
    const auto series = ManifestValues(path, "print('series='+m['series_instance_uid'])");
    EXPECT_EQ(Text(OpenedSlide(path).Get(), 372), series.at("series"));
    auto slide = OpenedSlide(path);
    EXPECT_EQ(Bool(slide.Get(), 301), row.compressed);
    EXPECT_EQ(Text(slide.Get(), 302), row.mode);
    EXPECT_EQ(Text(slide.Get(), 303), row.type);
    EXPECT_EQ(Bool(slide.Get(), 354), std::string(row.mode) == "LOSSYLESS");
    // Without the private block the metadata getters fail: EMPTY; without a label, 378 fails. The
    // compression factor is the stored lossy compression ratio, and 0 when a slide has none.
    Value missing, label;
    Read(slide.Get(), 310, missing);
    EXPECT_EQ(missing.hr, S_OK);
    EXPECT_EQ(missing.variant.vt, VT_EMPTY);
    Read(slide.Get(), 378, label);
    EXPECT_EQ(label.hr, static_cast<HRESULT>(0x8103010Du));
    if (std::string(row.mode) == "LOSSY") {
      EXPECT_GT(Int(slide.Get(), 304), 1);
    } else {
      EXPECT_EQ(Int(slide.Get(), 304), 0);
    }
    Value version;
    Read(slide.Get(), 353, version);
    EXPECT_EQ(version.hr, E_INVALIDARG) << "software version only for slides written with the metadata block";
  }
}

TEST_F(SlidePropertiesTest, ZStackOfFivePlanes) {
  const auto path = MakeSlide("zstack5", "--width 512 --height 512 --focal-planes 5 --z-spacing 1.5");
  ASSERT_FALSE(path.empty());
  auto slide = OpenedSlide(path);
  EXPECT_EQ(Int(slide.Get(), 330), 5);
  EXPECT_EQ(Int(slide.Get(), 375), 2);
  EXPECT_EQ(Int(slide.Get(), 331), -2);
  EXPECT_TRUE(Bool(slide.Get(), 328));
  // Plane i (in the order written) lies at its z offset less the stack's middle; the last plane
  // gets the lowest focus level.
  const auto planes = ManifestValues(
      path, "f=[x for x in m['files'] if x['image_type']=='VOLUME' and x['level']==0][0]; "
            "[print('%d=%r' % (i,p['z_offset_um'])) for i,p in enumerate(f['focal_planes'])]");
  ASSERT_EQ(planes.size(), 5u);
  const double middle = (std::stod(planes.at("0")) + std::stod(planes.at("4"))) / 2;
  for (int i = 0; i < 5; ++i) {
    const LONG level = 2 - i;
    EXPECT_NEAR(Real(slide.Get(), 650 + level), std::stod(planes.at(std::to_string(i))) - middle, 1e-9) << level;
  }
  EXPECT_NE(Real(slide.Get(), 648), 0.0);
  EXPECT_EQ(Real(slide.Get(), 653), 0.0);
  EXPECT_EQ(Real(slide.Get(), 550), 0.0);
}

// 2026-03-14 09:30:15.25 written with the zone +01:00: the written time, and one hour less in UTC,
// whatever the zone of this machine (the dates tests run under two TZ values).
TEST_F(SlidePropertiesTest, ScanningDates) {
  const auto slidePath = MetadataSlide();
  ASSERT_FALSE(slidePath.empty());
  auto slide = OpenedSlide(slidePath);
  SYSTEMTIME local{}, utc{};
  ASSERT_TRUE(VariantTimeToSystemTime(Real(slide.Get(), 312, VT_DATE), &local));
  ASSERT_TRUE(VariantTimeToSystemTime(Real(slide.Get(), 373, VT_DATE), &utc));
  EXPECT_EQ(std::vector<int>({local.wYear, local.wMonth, local.wDay, local.wHour, local.wMinute, local.wSecond}),
            std::vector<int>({2026, 3, 14, 9, 30, 15}));
  EXPECT_EQ(std::vector<int>({utc.wYear, utc.wMonth, utc.wDay, utc.wHour, utc.wMinute, utc.wSecond}),
            std::vector<int>({2026, 3, 14, 8, 30, 15}));
}

// The real files: each folder is one slide; geometry, identifiers and compression against pydicom.
TEST_F(SlidePropertiesTest, RealFiles) {
  const std::filesystem::path root = std::filesystem::path(ZORVEL_TESTDATA_DIR) / "highdicom";
  if (!std::filesystem::exists(root)) GTEST_SKIP() << "no real test files in " << root;
  for (const char* folder : {"rgb", "gray16", "jpegls"}) {
    SCOPED_TRACE(folder);
    const auto dir = root / folder;
    if (!std::filesystem::exists(dir)) continue;
    const std::string script =
        "import pydicom,glob,sys; d=[pydicom.dcmread(f,stop_before_pixels=True) for f in glob.glob(sys.argv[1]+'/*.dcm')]; "
        "v=[x for x in d if 'VOLUME' in x.get('ImageType',[])]; v.sort(key=lambda x:-x.TotalPixelMatrixColumns); x=v[0]; "
        "print('cols=%d' % x.TotalPixelMatrixColumns); print('rows=%d' % x.TotalPixelMatrixRows); "
        "print('series='+x.SeriesInstanceUID); print('ts='+x.file_meta.TransferSyntaxUID)";
    const auto expected = KeyValues(std::string(ZORVEL_PYTHON) + " -c \"" + script + "\" '" + dir.string() + "'");
    ASSERT_EQ(expected.count("cols"), 1u);
    auto slide = OpenedSlide(dir);
    EXPECT_EQ(Text(slide.Get(), 372), expected.at("series")) << "read before the slide library opens the slide";
    EXPECT_EQ(Int(slide.Get(), 306), std::stol(expected.at("cols")));
    EXPECT_EQ(Int(slide.Get(), 307), std::stol(expected.at("rows")));
    const std::string& ts = expected.at("ts");
    const std::string type = ts == "1.2.840.10008.1.2.1" ? "ELE_UNCOMPRESSED"
                             : ts == "1.2.840.10008.1.2.4.50" ? "JPEG"
                             : ts.rfind("1.2.840.10008.1.2.4.8", 0) == 0 ? "JPEGLS" : "JPEG2000";
    EXPECT_EQ(Text(slide.Get(), 303), type);
    for (LONG tag : {312, 308, 330, 1008}) {
      Value value;
      Read(slide.Get(), tag, value);
      EXPECT_EQ(value.hr, S_OK) << tag;
    }
  }
}

}  // namespace
}  // namespace module_test
