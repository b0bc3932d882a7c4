// Channel properties of generated fluorescence and brightfield slides: the tag directory, channel
// names, wavelengths, record values, pseudo colours and their tables in both output depths, and the
// real bit depth from the camera depth and each channel's digital gain.
#include "singles_support.h"

namespace module_test {
namespace {

// Three fluorescence channels (DAPI, FITC, Cy3) of 16 bits; camera depth 12, channel 1 with gain 6.
std::filesystem::path FluorescenceSlide() {
  return MakeSlide("fluorescence16", "--width 300 --height 200 --tile 128 --channels 3 --bits 16 --syntax explicit "
                                     "--private-metadata --metadata CameraRealBitDepth=12 "
                                     "--metadata Channel1.DigitalGain=6");
}

HRESULT Read(const SinglesSlide& slide, LONG tag, LONG channel, Variant& value) {
  return slide->GetChannelProperties(tag, channel, &value);
}

TEST(ChannelProperties, TagDirectoryOf31Tags) {
  auto slide = OpenSinglesSlide({});
  Variant tags, names, descriptions;
  ASSERT_EQ(slide->GetChannelPropertyTags(&tags, &names, &descriptions), S_OK);
  LONG upper = 0;
  SafeArrayGetUBound(tags.v.parray, 1, &upper);
  EXPECT_EQ(upper, 30);
  struct Row { LONG index, tag; const char* name; const char* description; };
  const Row rows[] = {{0, 400, "Name", "channel name (identifier)"},
                      {11, 411, "Optimal histogram max value",
                       "Maximal relative pixel value for the optimal LUT (determined by scanner)"},
                      {30, 430, "Average of focus quality within whole slide",
                       "Average of focus quality within whole slide"}};
  for (const Row& row : rows) {
    LONG index = row.index, tag = 0;
    BSTR name = nullptr, description = nullptr;
    SafeArrayGetElement(tags.v.parray, &index, &tag);
    SafeArrayGetElement(names.v.parray, &index, &name);
    SafeArrayGetElement(descriptions.v.parray, &index, &description);
    EXPECT_EQ(tag, row.tag);
    EXPECT_EQ(Narrow(name), row.name);
    EXPECT_EQ(Narrow(description), row.description);
    SysFreeString(name);
    SysFreeString(description);
  }
}

TEST(ChannelProperties, ValuesOfAFluorescenceSlide) {
  const auto path = FluorescenceSlide();
  ASSERT_FALSE(path.empty());
  auto slide = OpenSinglesSlide(path);
  struct Row { LONG tag, channel; VARTYPE type; double number; const char* text; };
  const Row rows[] = {
      {400, 0, VT_BSTR, 0, "DAPI"}, {400, 2, VT_BSTR, 0, "Cy3"},
      {402, 0, VT_I4, 0xFF0000, nullptr}, {416, 1, VT_I4, 0x00FF00, nullptr}, {402, 2, VT_I4, 0x00A0FF, nullptr},
      {412, 0, VT_UI2, 358, nullptr}, {414, 2, VT_UI2, 570, nullptr},
      {409, 0, VT_I4, 12, nullptr}, {409, 1, VT_I4, 8, nullptr}, {409, 2, VT_I4, 10, nullptr},
      {401, 1, VT_I4, 150, nullptr}, {406, 2, VT_I4, 2, nullptr}, {424, 1, VT_R8, 0.5, nullptr},
      {51101, 2, VT_R8, 0.5, nullptr}, {51120, 0, VT_BSTR, 0, "True"}, {51131, 1, VT_I4, 20, nullptr},
      {405, 0, VT_R8, 1.0, nullptr}, {417, 0, VT_BOOL, 0, nullptr}, {20000, 5, VT_I4, 5, nullptr},
      {401, 7, VT_EMPTY, 0, nullptr}, {412, 7, VT_EMPTY, 0, nullptr}, {402, -1, VT_EMPTY, 0, nullptr},
  };
  for (const Row& row : rows) {
    Variant value;
    ASSERT_EQ(Read(slide, row.tag, row.channel, value), S_OK) << row.tag << " channel " << row.channel;
    ASSERT_EQ(value.v.vt, row.type) << row.tag << " channel " << row.channel;
    if (row.type == VT_BSTR) {
      EXPECT_EQ(Narrow(value.v.bstrVal), row.text) << row.tag;
    }
    if (row.type == VT_I4) {
      EXPECT_EQ(value.v.lVal, static_cast<LONG>(row.number)) << row.tag << " " << row.channel;
    }
    if (row.type == VT_UI2) {
      EXPECT_EQ(value.v.uiVal, row.number) << row.tag;
    }
    if (row.type == VT_R8) {
      EXPECT_DOUBLE_EQ(value.v.dblVal, row.number) << row.tag;
    }
  }
  Variant value;
  for (const auto& [tag, channel] : {std::pair{400, 3}, {400, -1}, {499, 0}, {434, 0}}) {
    EXPECT_EQ(Read(slide, tag, channel, value), E_INVALIDARG) << tag << " " << channel;
  }
  EXPECT_EQ(slide->GetChannelProperties(400, 0, nullptr), E_POINTER);
}

// Element count, element type and the last entry of a table for one output depth.
void ExpectTable(const SinglesSlide& slide, LONG tag, LONG channel, VARTYPE type, LONG count, uint32_t last) {
  Variant table;
  ASSERT_EQ(Read(slide, tag, channel, table), S_OK);
  ASSERT_EQ(table.v.vt, VT_ARRAY | type) << tag;
  LONG upper = 0;
  SafeArrayGetUBound(table.v.parray, 1, &upper);
  EXPECT_EQ(upper + 1, count) << tag;
  void* data = nullptr;
  ASSERT_EQ(SafeArrayAccessData(table.v.parray, &data), S_OK);
  const uint32_t first = type == VT_UI1 ? static_cast<uint8_t*>(data)[0] : static_cast<uint16_t*>(data)[0];
  const uint32_t final = type == VT_UI1 ? static_cast<uint8_t*>(data)[upper] : static_cast<uint16_t*>(data)[upper];
  SafeArrayUnaccessData(table.v.parray);
  EXPECT_EQ(first, 0u) << tag;
  EXPECT_EQ(final, last) << tag;
}

TEST(ChannelProperties, PseudoColourTablesFollowTheOutputDepth) {
  const auto path = FluorescenceSlide();
  ASSERT_FALSE(path.empty());
  auto slide = OpenSinglesSlide(path);
  ExpectTable(slide, 431, 2, VT_UI1, 256, 255);  // Cy3 red: full
  ExpectTable(slide, 432, 2, VT_UI1, 256, 160);
  ExpectTable(slide, 433, 2, VT_UI1, 256, 0);
  ASSERT_EQ(PutBool(slide.ref.Get(), 207, true), S_OK);
  ExpectTable(slide, 431, 2, VT_UI2, 65536, 65535);
  ExpectTable(slide, 432, 2, VT_UI2, 65536, 160 * 257);
  Variant value;
  EXPECT_EQ(Read(slide, 431, 3, value), static_cast<HRESULT>(0xB0000101u));
}

TEST(ChannelProperties, EightBitAndBrightfieldSlides) {
  const auto fluorescence8 = MakeSlide("fluorescence8", "--width 256 --height 256 --channels 2 --syntax explicit");
  const auto brightfield = MakeSlide("brightfield", "--width 256 --height 256 --syntax explicit");
  ASSERT_FALSE(fluorescence8.empty());
  ASSERT_FALSE(brightfield.empty());
  auto eight = OpenSinglesSlide(fluorescence8);
  Variant depth, table;
  ASSERT_EQ(Read(eight, 409, 1, depth), S_OK);
  EXPECT_EQ(depth.v.lVal, 8);
  ExpectTable(eight, 432, 1, VT_UI1, 256, 255);  // FITC green

  auto colour = OpenSinglesSlide(brightfield);
  const char* names[] = {"Blue", "Green", "Red"};
  for (LONG channel = 0; channel < 3; ++channel) {
    Variant name;
    ASSERT_EQ(Read(colour, 400, channel, name), S_OK);
    EXPECT_EQ(Narrow(name.v.bstrVal), names[channel]);
  }
  Variant name, pseudo;
  EXPECT_EQ(Read(colour, 400, 3, name), E_INVALIDARG);
  ASSERT_EQ(Read(colour, 402, 0, pseudo), S_OK);
  EXPECT_EQ(pseudo.v.vt, VT_EMPTY);
}

TEST(ChannelProperties, NoSlideOpenedFailsWithoutTouchingFixedTags) {
  auto slide = OpenSinglesSlide({});
  Variant fixed, named;
  ASSERT_EQ(Read(slide, 20000, 4, fixed), S_OK);
  EXPECT_EQ(fixed.v.lVal, 4);
  EXPECT_TRUE(FAILED(Read(slide, 400, 0, named)));
}

}  // namespace
}  // namespace module_test
