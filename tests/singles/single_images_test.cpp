// Single images and scan maps of generated slides: directories, properties, the encoded label equal
// to the file's frame, the decoded label equal to Pillow's, hand-outs that release the buffer, a
// label stored as tiles, missing images and their codes, and a scan map whose width is not a
// multiple of 4.
#include <atomic>
#include <thread>

#include "singles_support.h"

namespace module_test {
namespace {

constexpr HRESULT kLabelNotReadable = static_cast<HRESULT>(0x8103010Du);
constexpr HRESULT kImageNotAvailable = static_cast<HRESULT>(0x8103004Fu);

std::filesystem::path LabelledSlide() {
  return MakeSlide("labelled", "--width 512 --height 384 --label --label-text 'Case 9 HE' --barcode BC-77 "
                               "--overview --thumbnail --private-metadata");
}

// The label's pixels decoded by Pillow: R, G, B lines without padding.
std::vector<BYTE> PillowLabel(const std::filesystem::path& file) {
  const std::string program =
      "import io,sys,pydicom; from PIL import Image; d=pydicom.dcmread(sys.argv[1]); "
      "f=next(pydicom.encaps.generate_pixel_data_frame(d.PixelData, 1)); "
      "sys.stdout.write(Image.open(io.BytesIO(f)).convert('RGB').tobytes().hex())";
  const std::string hex = PythonOutput(program, file.string());
  std::vector<BYTE> pixels(hex.size() / 2);
  for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = static_cast<BYTE>(std::stoi(hex.substr(2 * i, 2), nullptr, 16));
  return pixels;
}

LONG Property(const SinglesSlide& slide, LONG type, LONG tag, HRESULT expected = S_OK) {
  Variant value;
  EXPECT_EQ(slide->GetSingleImageProperties(type, tag, &value), expected) << type << " " << tag;
  if (value.v.vt == VT_BOOL) return value.v.boolVal == VARIANT_TRUE ? 1 : 0;
  return value.v.vt == VT_I4 ? value.v.lVal : -1;
}

TEST(SingleImages, DirectoriesAndProperties) {
  const auto path = LabelledSlide();
  ASSERT_FALSE(path.empty());
  auto slide = OpenSinglesSlide(path);
  Variant types, names, descriptions, tags;
  ASSERT_EQ(slide->GetSingleImageTypes(&types, &names, &descriptions), S_OK);
  LONG index = 2, type = 0;
  BSTR name = nullptr;
  SafeArrayGetElement(types.v.parray, &index, &type);
  SafeArrayGetElement(names.v.parray, &index, &name);
  EXPECT_EQ(type, 102);
  EXPECT_EQ(Narrow(name), "Generated preview");
  SysFreeString(name);
  ASSERT_EQ(slide->GetSingleImagePropertyTags(12345, &tags, nullptr, nullptr), S_OK);
  LONG upper = 0;
  SafeArrayGetUBound(tags.v.parray, 1, &upper);
  EXPECT_EQ(upper, 2);

  struct Row { LONG type, tag, value; HRESULT hr; };
  const Row rows[] = {
      {100, 500, 320, S_OK}, {100, 501, 320, S_OK}, {100, 502, 1, S_OK}, {103, 500, 600, S_OK},
      {103, 501, 200, S_OK}, {102, 502, 1, S_OK}, {102, 500, 256, S_OK}, {101, 502, 0, S_OK},
      {101, 500, -1, E_INVALIDARG}, {104, 502, 0, S_OK}, {104, 500, -1, S_OK}, {100, 503, 10, S_OK},
      {100, 510, 90, S_OK}, {100, 511, -1, E_INVALIDARG}, {100, 499, -1, E_INVALIDARG}, {101, 51400, -1, E_INVALIDARG},
  };
  for (const Row& row : rows) EXPECT_EQ(Property(slide, row.type, row.tag, row.hr), row.value) << row.type << " " << row.tag;
  Variant compression;
  ASSERT_EQ(slide->GetSingleImageProperties(100, 303, &compression), S_OK);
  EXPECT_EQ(Narrow(compression.v.bstrVal), "JPEG");
  EXPECT_EQ(slide->GetSingleImageProperties(100, 500, nullptr), S_OK);
}

TEST(SingleImages, EncodedLabelIsTheFilesFrameAndIsReadAgainAfterwards) {
  const auto path = LabelledSlide();
  ASSERT_FALSE(path.empty());
  auto slide = OpenSinglesSlide(path);
  const std::vector<BYTE> frame = FrameBytes(path / "label.dcm", 0);
  ASSERT_FALSE(frame.empty());
  for (int round = 0; round < 2; ++round) {
    Variant encoded;
    ASSERT_EQ(slide->GetSingleImageProperties(100, 51400, &encoded), S_OK);
    ASSERT_EQ(encoded.v.vt, VT_ARRAY | VT_UI1);
    LONG upper = 0;
    SafeArrayGetUBound(encoded.v.parray, 1, &upper);
    void* data = nullptr;
    ASSERT_EQ(SafeArrayAccessData(encoded.v.parray, &data), S_OK);
    const std::vector<BYTE> bytes(static_cast<BYTE*>(data), static_cast<BYTE*>(data) + upper + 1);
    SafeArrayUnaccessData(encoded.v.parray);
    // pydicom's frame may carry the one padding byte of an odd-length fragment.
    ASSERT_GE(frame.size(), bytes.size());
    EXPECT_LE(frame.size() - bytes.size(), 1u);
    EXPECT_TRUE(std::equal(bytes.begin(), bytes.end(), frame.begin()));
    EXPECT_FALSE(slide.impl->m_singleImages[0].Loaded());
  }
}

TEST(SingleImages, LabelDecodesAsPillowDecodesItTwice) {
  const auto path = LabelledSlide();
  ASSERT_FALSE(path.empty());
  auto slide = OpenSinglesSlide(path);
  const std::vector<BYTE> reference = PillowLabel(path / "label.dcm");
  ASSERT_EQ(reference.size(), 320u * 320 * 3);
  for (int round = 0; round < 2; ++round) {
    ComPtr<IKLVBitmapImage> bitmap;
    ASSERT_EQ(slide->GetSingleImage(100, bitmap.Out()), S_OK);
    EXPECT_FALSE(slide.impl->m_singleImages[0].Loaded());  // released after the hand-out
    const BitmapPixels pixels = Pixels(bitmap.Get());
    ASSERT_EQ(pixels.width, 320);
    ASSERT_EQ(pixels.stride, 960);
    size_t differing = 0;
    for (size_t i = 0; i < reference.size(); i += 3) {
      differing += pixels.bytes[i] != reference[i + 2] || pixels.bytes[i + 1] != reference[i + 1] ||
                   pixels.bytes[i + 2] != reference[i];
    }
    EXPECT_EQ(differing, 0u) << "round " << round;
  }
  ComPtr<IKLVBitmapImage> none;
  EXPECT_EQ(slide->GetSingleImage(101, none.Out()), kImageNotAvailable);
  EXPECT_EQ(slide->GetSingleImage(99, none.Out()), E_INVALIDARG);
  ComPtr<IKLVBitmapImage> overview;
  ASSERT_EQ(slide->GetSingleImage(103, overview.Out()), S_OK);
  EXPECT_EQ(Pixels(overview.Get()).width, 600);
}

// Threads share one object: each hand-out releases the buffer that another thread may be reading.
TEST(SingleImages, HandOutsOnSeveralThreadsAtOnce) {
  const auto path = LabelledSlide();
  ASSERT_FALSE(path.empty());
  auto slide = OpenSinglesSlide(path);
  std::atomic<int> failures{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&, t] {
      for (int i = 0; i < 5; ++i) {
        ComPtr<IKLVBitmapImage> bitmap;
        Variant encoded;
        const HRESULT hr = t % 2 == 0 ? slide->GetSingleImage(100, bitmap.Out())
                                      : slide->GetSingleImageProperties(100, 51400, &encoded);
        LONG width = 0;
        if (bitmap.Get() != nullptr) bitmap->get_Width(&width);
        failures += FAILED(hr) || (t % 2 == 0 && width != 320) || (t % 2 == 1 && encoded.v.vt != (VT_ARRAY | VT_UI1));
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(failures.load(), 0);
}

TEST(SingleImages, SlideWithoutLabelOrOverview) {
  const auto path = MakeSlide("unlabelled", "--width 256 --height 256 --syntax explicit");
  ASSERT_FALSE(path.empty());
  auto slide = OpenSinglesSlide(path);
  EXPECT_EQ(Property(slide, 100, 502), 0);
  EXPECT_EQ(Property(slide, 100, 500, kLabelNotReadable), -1);
  EXPECT_EQ(Property(slide, 103, 500, kImageNotAvailable), -1);
  ComPtr<IKLVBitmapImage> bitmap;
  EXPECT_EQ(slide->GetSingleImage(100, bitmap.Out()), kLabelNotReadable);
  EXPECT_EQ(slide->GetSingleImage(102, bitmap.Out()), kLabelNotReadable);
  EXPECT_EQ(slide->GetSingleImage(103, bitmap.Out()), kImageNotAvailable);
  Variant labelText;
  EXPECT_EQ(slide->GetSlideProperties(378, &labelText), kLabelNotReadable);
}

// A label of 320 x 320 pixels in 128-pixel tiles (the last row and column partly filled).
TEST(SingleImages, TiledLabelIsAssembled) {
  for (const char* syntax : {"jpeg", "explicit", "jpeg2000-lossless"}) {
    const auto path = MakeSlide(std::string("tiled-label-") + syntax, std::string("--width 256 --height 256 --label "
                                "--label-tile 128 --syntax ") + syntax);
    ASSERT_FALSE(path.empty());
    auto slide = OpenSinglesSlide(path);
    EXPECT_EQ(Property(slide, 100, 500), 320) << syntax;
    ComPtr<IKLVBitmapImage> bitmap;
    ASSERT_EQ(slide->GetSingleImage(100, bitmap.Out()), S_OK) << syntax;
    const BitmapPixels pixels = Pixels(bitmap.Get());
    ASSERT_EQ(pixels.height, 320);
    // The generator's picture: red = x * 255 / 319, green = y * 255 / 319, blue = 37 (B, G, R here).
    double error = 0;
    for (LONG y = 0; y < 320; y += 7) {
      for (LONG x = 0; x < 320; x += 5) {
        const BYTE* p = &pixels.bytes[static_cast<size_t>(y) * pixels.stride + 3 * x];
        error += std::abs(p[2] - x * 255 / 319) + std::abs(p[1] - y * 255 / 319) + std::abs(p[0] - 37);
      }
    }
    EXPECT_LT(error / (46 * 64 * 3), 3.0) << syntax;
  }
}

TEST(ScanMap, RowsAreCopiedIntoAStrideOfFour) {
  const auto path = MakeSlide("scanmap1001", "--width 16016 --height 32 --tile 16 --levels 0,1 --syntax explicit "
                                             "--organization sparse --missing-tiles 40");
  ASSERT_FALSE(path.empty());
  auto slide = OpenSinglesSlide(path);
  auto bitmap = NewBitmap();
  ASSERT_EQ(slide->GetScanMap(0, bitmap.Get()), S_OK);
  const BitmapPixels map = Pixels(bitmap.Get());
  EXPECT_EQ(map.width, 1001);
  EXPECT_EQ(map.height, 2);
  EXPECT_EQ(map.stride, 1004);
  EXPECT_EQ(map.format, 0x00100803);
  size_t stored = 0;
  for (LONG row = 0; row < 2; ++row) {
    for (LONG x = 0; x < 1001; ++x) {
      const BYTE value = map.bytes[static_cast<size_t>(row) * 1004 + x];
      EXPECT_TRUE(value == 0 || value == 255);
      stored += value == 255;
    }
  }
  EXPECT_EQ(stored, 2002u - 40);
  auto coarse = NewBitmap();
  ASSERT_EQ(slide->GetScanMap(1, coarse.Get()), S_OK);
  EXPECT_EQ(Pixels(coarse.Get()).width, 501);
  auto absent = NewBitmap();
  EXPECT_EQ(slide->GetScanMap(4, absent.Get()), E_FAIL);
  EXPECT_EQ(slide->GetScanMap(10, absent.Get()), E_INVALIDARG);
  EXPECT_EQ(slide->GetScanMap(0, nullptr), E_INVALIDARG);
}

// Every method of single images, scan maps, channel properties and annotations on the damaged
// slides answers with a code: none of them holds a label, and none may bring the process down.
TEST(SingleImages, DamagedSlidesAnswerWithCodes) {
  const std::filesystem::path damaged = std::filesystem::path(ZORVEL_TESTDATA_DIR) / "damaged";
  if (!std::filesystem::exists(damaged)) GTEST_SKIP() << "damaged test slides not present";
  for (const auto& entry : std::filesystem::directory_iterator(damaged)) {
    if (!entry.is_directory()) continue;
    auto slide = OpenSinglesSlide(entry.path());
    ComPtr<IKLVBitmapImage> bitmap;
    EXPECT_TRUE(FAILED(slide->GetSingleImage(100, bitmap.Out()))) << entry.path();
    for (LONG type : {102, 103}) slide->GetSingleImage(type, bitmap.Out());
    auto map = NewBitmap();
    slide->GetScanMap(0, map.Get());
    for (LONG tag = 400; tag <= 433; ++tag) {
      Variant value;
      slide->GetChannelProperties(tag, 0, &value);
    }
    Variant annotations;
    if (SUCCEEDED(slide->get_Properties(1009, &annotations)) && annotations.v.vt == VT_DISPATCH) {
      ComPtr<ISeSlideFlagProvider> provider;
      annotations.v.pdispVal->QueryInterface(IID_ISeSlideFlagProvider, provider.OutVoid());
      EXPECT_EQ(provider->ConnectToSlide(nullptr, nullptr), S_OK) << entry.path();
    }
  }
}

}  // namespace
}  // namespace module_test
