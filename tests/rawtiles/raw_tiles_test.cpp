// Raw tile access on generated slides: focus mapping, level checks, the tile-size rule and its
// switch, the batch ROI offset, batch edge cases (pointer and SAFEARRAY forms) and the stop code.
#include <oleauto.h>

#include "raw_support.h"

namespace module_test {
namespace {

constexpr HRESULT kStop = static_cast<HRESULT>(DicomInteropDefines::WSI_E_STOP);

std::filesystem::path Slide(const std::string& name, const std::string& options) {
  auto path = MakeSlide(name, options);
  EXPECT_FALSE(path.empty()) << "the test-slide generator failed for " << name;
  return path;
}

const std::string kGeometry = "--width 1024 --height 768 ";

// Frame of a TILED_FULL file: columns fastest, then rows, then focal planes.
std::vector<BYTE> Frame(const std::filesystem::path& file, long plane, long x, long y, long columns, long rows) {
  return FrameBytes(file, (plane * rows + y) * columns + x);
}

struct FocusCase {
  const char* slide;
  const char* options;
  LONG focus;
  LONG level;
  const char* file;  // prefix of the file that holds the tile
  long plane;        // plane within that file
};

TEST(RawTiles, FocusSelectsTheExtendedImageOrAPlane) {
  const FocusCase cases[] = {
      {"edf", "--focal-planes 3 --extended-focus", 0, 0, "level0_edf", 0},
      {"edf", "--focal-planes 3 --extended-focus", 1, 0, "level0_z", 0},
      {"edf", "--focal-planes 3 --extended-focus", 3, 1, "level1_z", 2},
      {"planes", "--focal-planes 3", 0, 0, "level0_z", 0},
      {"planes", "--focal-planes 3", 2, 1, "level1_z", 2},
  };
  for (const FocusCase& c : cases) {
    const auto path = Slide(c.slide, kGeometry + c.options);
    RawSlide slide = OpenRawSlide(path);
    const long columns = c.level == 0 ? 4 : 2, rows = c.level == 0 ? 3 : 2;
    for (LONG y = 0; y < rows; ++y) {
      for (LONG x = 0; x < columns; ++x) {
        ComPtr<IKLVMemoryBuffer> buffer = NewBuffer();
        ASSERT_EQ(slide.api()->GetImageRaw(x, y, 0, c.focus, c.level, nullptr, buffer.Get()), S_OK)
            << c.slide << " focus " << c.focus << " tile " << x << "," << y;
        EXPECT_EQ(Contents(buffer.Get()), Frame(SlideFile(path, c.file), c.plane, x, y, columns, rows))
            << c.slide << " focus " << c.focus << " tile " << x << "," << y;
      }
    }
  }
}

TEST(RawTiles, LevelsOutsideZeroToNineAndMissingLevels) {
  RawSlide slide = OpenRawSlide(Slide("planes", kGeometry + "--focal-planes 3"));
  ComPtr<IKLVMemoryBuffer> buffer = NewBuffer();
  LONG x = 0, y = 0;
  IKLVMemoryBuffer* buffers[] = {buffer.Get()};
  for (LONG level : {-1, 10, 0x7FFFFFFF}) {
    EXPECT_EQ(slide.api()->GetImageRaw(0, 0, 0, 0, level, nullptr, buffer.Get()), E_INVALIDARG) << level;
    EXPECT_EQ(slide.api()->GetImageRawBatch(0, 0, level, 1, &x, &y, buffers), E_INVALIDARG) << level;
  }
  // Level 9 (and 5) open a smaller level number, but the tile is always read from the level asked for.
  EXPECT_EQ(slide.api()->GetImageRaw(0, 0, 0, 0, 9, nullptr, buffer.Get()), E_FAIL);
  EXPECT_EQ(slide.api()->GetImageRaw(0, 0, 0, 0, 5, nullptr, buffer.Get()), E_FAIL);
  EXPECT_EQ(slide.api()->GetImageRaw(0, 0, 0, 0, 2, nullptr, buffer.Get()), S_OK);
  EXPECT_EQ(slide.api()->GetImageRaw(0, 0, 0, 0, 2, nullptr, nullptr), E_INVALIDARG);
  const HRESULT outside = slide.api()->GetImageRaw(9, 9, 0, 0, 0, nullptr, buffer.Get());
  EXPECT_TRUE(FAILED(outside)) << "a tile outside the level is refused by the library";
  EXPECT_NE(outside, E_FAIL) << "with the library's own code";
}

// A directory without a slide fails at the binding of its source, once, with the same code at
// every level: level 9 does not walk the levels (each step searching the directory again) first.
TEST(RawTiles, ADirectoryWithoutASlideFailsEveryLevelAlike) {
  constexpr HRESULT kNoSlideFound = static_cast<HRESULT>(0x81030027u);
  std::filesystem::create_directories(ScratchDir() / "empty");
  RawSlide slide = OpenRawSlide(ScratchDir() / "empty");
  ComPtr<IKLVMemoryBuffer> buffer = NewBuffer();
  LONG x = 0, y = 0;
  IKLVMemoryBuffer* buffers[] = {buffer.Get()};
  for (LONG level : {0, 4, 9}) {
    EXPECT_EQ(slide.api()->GetImageRaw(0, 0, 0, 0, level, nullptr, buffer.Get()), kNoSlideFound) << level;
    EXPECT_EQ(slide.api()->GetImageRawBatch(0, 0, level, 1, &x, &y, buffers), kNoSlideFound) << level;
  }
  EXPECT_EQ(slide->libraryCalls, 0) << "no level is opened without a source";
}

TEST(RawTiles, LargeTilesNeedTheSwitch) {
  const auto path = Slide("large", "--width 1024 --height 1024 --tile 512");
  RawSlide slide = OpenRawSlide(path);
  ComPtr<IKLVMemoryBuffer> buffer = NewBuffer();
  LONG x = 1, y = 0;
  IKLVMemoryBuffer* buffers[] = {buffer.Get()};
  EXPECT_EQ(slide.api()->GetImageRaw(1, 0, 0, 0, 0, nullptr, buffer.Get()), E_NOTIMPL);
  EXPECT_EQ(slide.api()->GetImageRawBatch(0, 0, 0, 0, nullptr, nullptr, nullptr), E_NOTIMPL)
      << "the pointer form checks the tile size before it looks at the count";
  EXPECT_EQ(slide.api()->GetImageRawBatchSA(0, 0, 0, 0, nullptr, nullptr, nullptr), S_OK);
  ASSERT_EQ(PutBool(slide.api(), 396, true), S_OK);
  ASSERT_EQ(slide.api()->GetImageRaw(1, 0, 0, 0, 0, nullptr, buffer.Get()), S_OK);
  EXPECT_EQ(Contents(buffer.Get()), Frame(SlideFile(path, "level0"), 0, 1, 0, 2, 2));
  EXPECT_EQ(slide.api()->GetImageRawBatch(0, 0, 0, 1, &x, &y, buffers), S_OK);
  EXPECT_EQ(slide.api()->GetImageRawBatch(0, 0, 0, 0, nullptr, nullptr, nullptr), S_OK);
}

TEST(RawTiles, BatchSubtractsTheScanMapOffsetInTiles) {
  const auto path = Slide("roi", kGeometry +
                                     "--private-metadata --metadata OriginalScanmapROIOffsetXPixels=600 "
                                     "--metadata OriginalScanmapROIOffsetYPixels=256");
  RawSlide slide = OpenRawSlide(path);
  // 600 >> 8 = 2 tiles to the right, 256 >> 8 = 1 tile down.
  LONG xs[] = {2, 5, 3}, ys[] = {1, 3, 2};
  ComPtr<IKLVMemoryBuffer> b0 = NewBuffer(), b1 = NewBuffer(), b2 = NewBuffer();
  IKLVMemoryBuffer* buffers[] = {b0.Get(), b1.Get(), b2.Get()};
  ASSERT_EQ(slide.api()->GetImageRawBatch(0, 0, 0, 3, xs, ys, buffers), S_OK);
  for (int i = 0; i < 3; ++i) {
    ComPtr<IKLVMemoryBuffer> single = NewBuffer();
    ASSERT_EQ(slide.api()->GetImageRaw(xs[i] - 2, ys[i] - 1, 0, 0, 0, nullptr, single.Get()), S_OK);
    EXPECT_EQ(Contents(buffers[i]), Contents(single.Get())) << i;
    EXPECT_EQ(Contents(buffers[i]), Frame(SlideFile(path, "level0"), 0, xs[i] - 2, ys[i] - 1, 4, 3)) << i;
  }
}

TEST(RawTiles, BatchStopsAtANullBufferKeepingTheFilledOnes) {
  const auto path = Slide("planes", kGeometry + "--focal-planes 3");
  RawSlide slide = OpenRawSlide(path);
  LONG xs[] = {0, 3, 1}, ys[] = {0, 2, 1};
  ComPtr<IKLVMemoryBuffer> b0 = NewBuffer(), b1 = NewBuffer();
  IKLVMemoryBuffer* buffers[] = {b0.Get(), b1.Get(), nullptr};
  EXPECT_EQ(slide.api()->GetImageRawBatch(0, 1, 0, 3, xs, ys, buffers), E_INVALIDARG);
  EXPECT_EQ(Contents(b0.Get()), Frame(SlideFile(path, "level0_z"), 1, 0, 0, 4, 3));
  EXPECT_EQ(Contents(b1.Get()), Frame(SlideFile(path, "level0_z"), 1, 3, 2, 4, 3));
  EXPECT_EQ(slide.api()->GetImageRawBatch(0, 1, 0, 0, nullptr, nullptr, nullptr), S_OK);
  EXPECT_EQ(slide.api()->GetImageRawBatch(0, 1, 0, -3, nullptr, nullptr, nullptr), S_OK);
}

// Tiles are read a group of buffers at a time: a batch longer than one group, in an order that
// is not the file's, with one buffer named for several entries (it ends with the last tile).
TEST(RawTiles, LongBatchesAndABufferNamedTwice) {
  const auto path = Slide("batch_long", "--width 2560 --height 2048 --levels 0");
  const auto file = SlideFile(path, "level0");
  RawSlide slide = OpenRawSlide(path);
  constexpr LONG kColumns = 10, kRows = 8, kCount = kColumns * kRows + 3;
  std::vector<LONG> xs, ys;
  std::vector<ComPtr<IKLVMemoryBuffer>> owned;
  std::vector<IKLVMemoryBuffer*> buffers;
  ComPtr<IKLVMemoryBuffer> shared = NewBuffer();
  for (LONG i = 0; i < kCount; ++i) {
    const LONG tile = (i * 7) % (kColumns * kRows);  // visits every tile, out of file order
    xs.push_back(tile % kColumns);
    ys.push_back(tile / kColumns);
    owned.push_back(NewBuffer());
    buffers.push_back(i % 20 == 5 ? shared.Get() : owned.back().Get());
  }
  ASSERT_EQ(slide.api()->GetImageRawBatch(0, 0, 0, kCount, xs.data(), ys.data(), buffers.data()), S_OK);
  LONG last = 0;
  for (LONG i = 0; i < kCount; ++i) {
    if (buffers[i] == shared.Get()) {
      last = i;
      continue;
    }
    EXPECT_EQ(Contents(buffers[i]), Frame(file, 0, xs[i], ys[i], kColumns, kRows)) << i;
  }
  EXPECT_EQ(Contents(shared.Get()), Frame(file, 0, xs[last], ys[last], kColumns, kRows));
}

// A one-dimensional SAFEARRAY of element type vt holding count values.
SAFEARRAY* Vector(VARTYPE vt, const std::vector<LONG>& values) {
  SAFEARRAY* array = SafeArrayCreateVector(vt, 0, static_cast<ULONG>(values.size()));
  for (LONG i = 0; i < static_cast<LONG>(values.size()); ++i) {
    if (vt == VT_I2) {
      SHORT value = static_cast<SHORT>(values[static_cast<size_t>(i)]);
      SafeArrayPutElement(array, &i, &value);
    } else {
      LONG value = values[static_cast<size_t>(i)];
      SafeArrayPutElement(array, &i, &value);
    }
  }
  return array;
}

SAFEARRAY* Buffers(const std::vector<IKLVMemoryBuffer*>& buffers, VARTYPE vt = VT_UNKNOWN) {
  SAFEARRAY* array = SafeArrayCreateVector(vt, 0, static_cast<ULONG>(buffers.size()));
  for (LONG i = 0; i < static_cast<LONG>(buffers.size()); ++i) {
    SafeArrayPutElement(array, &i, static_cast<IUnknown*>(buffers[static_cast<size_t>(i)]));
  }
  return array;
}

struct SafeArrayCase {
  const char* name;
  VARTYPE coordinateType;
  size_t coordinateCount;
  VARTYPE bufferType;
  size_t bufferCount;
  HRESULT expected;
};

TEST(RawTiles, SafeArrayBatchChecksTypesAndLengths) {
  const auto path = Slide("roi", kGeometry +
                                     "--private-metadata --metadata OriginalScanmapROIOffsetXPixels=600 "
                                     "--metadata OriginalScanmapROIOffsetYPixels=256");
  RawSlide slide = OpenRawSlide(path);
  const SafeArrayCase cases[] = {
      {"valid", VT_I4, 2, VT_UNKNOWN, 2, S_OK},
      {"short coordinates", VT_I2, 2, VT_UNKNOWN, 2, E_INVALIDARG},
      {"one coordinate too many", VT_I4, 3, VT_UNKNOWN, 2, E_INVALIDARG},
      {"one buffer too many", VT_I4, 2, VT_UNKNOWN, 3, E_INVALIDARG},
      {"buffers as dispatch", VT_I4, 2, VT_DISPATCH, 2, E_INVALIDARG},
  };
  for (const SafeArrayCase& c : cases) {
    std::vector<ComPtr<IKLVMemoryBuffer>> owned;
    std::vector<IKLVMemoryBuffer*> raw;
    for (size_t i = 0; i < c.bufferCount; ++i) {
      owned.push_back(NewBuffer());
      raw.push_back(owned.back().Get());
    }
    std::vector<LONG> xs = {2, 5, 4}, ys = {1, 3, 1};
    xs.resize(c.coordinateCount);
    ys.resize(c.coordinateCount);
    SAFEARRAY* x = Vector(c.coordinateType, xs);
    SAFEARRAY* y = Vector(c.coordinateType, ys);
    SAFEARRAY* b = Buffers(raw, c.bufferType);
    EXPECT_EQ(slide.api()->GetImageRawBatchSA(0, 0, 0, 2, x, y, b), c.expected) << c.name;
    if (c.expected == S_OK) {
      EXPECT_EQ(Contents(raw[0]), Frame(SlideFile(path, "level0"), 0, 0, 0, 4, 3));
      EXPECT_EQ(Contents(raw[1]), Frame(SlideFile(path, "level0"), 0, 3, 2, 4, 3));
    }
    for (SAFEARRAY* array : {x, y, b}) EXPECT_EQ(SafeArrayDestroy(array), S_OK) << c.name << ": left locked";
  }
  EXPECT_EQ(slide.api()->GetImageRawBatchSA(0, 0, 0, 2, nullptr, nullptr, nullptr), E_INVALIDARG);
}

TEST(RawTiles, MaskAndScanMapVariantsAreNotOffered) {
  RawSlide slide = OpenRawSlide(Slide("planes", kGeometry + "--focal-planes 3"));
  EXPECT_EQ(slide.api()->GetImageMaskRaw(0, 0, 0, 0, nullptr, nullptr), E_NOTIMPL);
  EXPECT_EQ(slide.api()->GetImageMaskRawBatch(0, 0, 0, 1, nullptr, nullptr, nullptr), E_NOTIMPL);
  EXPECT_EQ(slide.api()->GetImageMaskRawBatchSA(0, 0, 0, 1, nullptr, nullptr, nullptr), E_NOTIMPL);
  EXPECT_EQ(slide.api()->GetScanMapRaw(0, nullptr), E_NOTIMPL);
}

TEST(RawTiles, StopCodeEndsBothDescents) {
  RawSlide slide = OpenRawSlide(Slide("edf", kGeometry + "--focal-planes 3 --extended-focus"));
  slide->scripted[{0, false}] = kStop;
  slide->scripted[{0, true}] = kStop;
  ComPtr<IKLVMemoryBuffer> buffer = NewBuffer();
  EXPECT_EQ(slide.api()->GetImageRaw(0, 0, 0, 1, 0, nullptr, buffer.Get()), E_FAIL);
  EXPECT_EQ(slide.api()->GetImageRaw(0, 0, 0, 0, 0, nullptr, buffer.Get()), E_FAIL);
  slide->scripted.erase({0, false});  // the normal level opens on the second descent
  EXPECT_EQ(slide.api()->GetImageRaw(0, 0, 0, 1, 0, nullptr, buffer.Get()), S_OK);
}

TEST(RawTiles, FirstLevelCreatesTheDecoderAndTileStrides) {
  const std::pair<const char*, std::string> slides[] = {
      {"planes", kGeometry + "--focal-planes 3"},
      {"explicit16", "--width 512 --height 512 --syntax explicit --bits 16 --channels 2"},
  };
  RawSlide jpeg = OpenRawSlide(Slide(slides[0].first, slides[0].second));
  ComPtr<IKLVMemoryBuffer> buffer = NewBuffer();
  ASSERT_EQ(jpeg.api()->GetImageRaw(1, 1, 0, 0, 0, nullptr, buffer.Get()), S_OK);
  ASSERT_NE(jpeg->m_pDecoder, nullptr);
  EXPECT_TRUE(jpeg->m_pDecoder->IsSupported());
  EXPECT_EQ(jpeg->m_tileStride, 768);
  const std::vector<BYTE> tile = Contents(buffer.Get());
  std::vector<BYTE> pixels(768 * 256);
  LONG width = 0, height = 0;
  EXPECT_EQ(jpeg->m_pDecoder->Decode(tile.data(), static_cast<ULONG>(tile.size()), 3, pixels.data(), nullptr, &width,
                                     &height),
            S_OK);
  EXPECT_EQ(width, 256);
  std::vector<BYTE> corrupt(tile.begin(), tile.begin() + static_cast<long>(tile.size() / 4));
  EXPECT_TRUE(FAILED(jpeg->m_pDecoder->Decode(corrupt.data(), static_cast<ULONG>(corrupt.size()), 3, pixels.data(),
                                              nullptr, &width, &height)));

  RawSlide grey = OpenRawSlide(Slide(slides[1].first, slides[1].second));
  ASSERT_EQ(grey.api()->GetImageRaw(0, 0, 0, 0, 0, nullptr, buffer.Get()), S_OK);
  ASSERT_NE(grey->m_pDecoder, nullptr);
  EXPECT_FALSE(grey->m_pDecoder->IsSupported()) << "uncompressed tiles need no codec";
  EXPECT_EQ(grey->m_tileStride, 256) << "8-bit output of one channel";
  EXPECT_EQ(Contents(buffer.Get()).size(), 256u * 256u * 2u);
}

}  // namespace
}  // namespace module_test
