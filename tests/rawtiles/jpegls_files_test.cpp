// Raw tiles of the real JPEG-LS slides: every tile read through the slide-access object, and all
// of them again in one batch read of the library, equals pydicom's frame bytes; their 10 x 10
// tiles are outside the raw-tile size rule.
#include "raw_support.h"

namespace module_test {
namespace {

class JpegLsFile : public ::testing::TestWithParam<std::string> {};

TEST_P(JpegLsFile, EveryTileEqualsPydicomFrameBytes) {
  const std::filesystem::path dir = std::filesystem::path(ZORVEL_TESTDATA_DIR) / "highdicom" / GetParam();
  if (!std::filesystem::exists(dir)) GTEST_SKIP() << "test data absent: " << dir;
  std::filesystem::path file;
  for (const auto& entry : std::filesystem::directory_iterator(dir)) {
    if (entry.path().extension() == ".dcm") file = entry.path();
  }
  ASSERT_FALSE(file.empty());
  RawSlide slide = OpenRawSlide(dir);
  ComPtr<IKLVMemoryBuffer> buffer = NewBuffer();
  for (bool large : {false, true}) {
    ASSERT_EQ(PutBool(slide.api(), 396, large), S_OK);
    EXPECT_EQ(slide.api()->GetImageRaw(0, 0, 0, 0, 0, nullptr, buffer.Get()), E_NOTIMPL);
  }
  ASSERT_NE(slide->m_pCurrentZoomImage, nullptr);
  const long columns = 5, rows = 5;  // 50 x 50 pixels in tiles of 10 x 10
  std::vector<WSIEncodedTileRead> batch;
  std::vector<std::vector<BYTE>> batchBytes(columns * rows, std::vector<BYTE>(4096));
  for (long y = 0; y < rows; ++y) {
    for (long x = 0; x < columns; ++x) {
      BYTE* data = nullptr;
      ULONGLONG size = 0;
      ASSERT_EQ(slide->GetEncodedSourceTile(0, 0, y, x, 0, data, size), S_OK) << x << "," << y;
      std::vector<BYTE> tile(data, data + size);
      std::free(data);
      EXPECT_EQ(tile, FrameBytes(file, y * columns + x)) << x << "," << y;
      auto& read = batch.emplace_back();
      read.x = static_cast<uint32_t>(x);
      read.y = static_cast<uint32_t>(y);
      read.destination = batchBytes[batch.size() - 1].data();
      read.capacity = batchBytes[batch.size() - 1].size();
    }
  }
  // The whole level again in one batch read of the library.
  ASSERT_EQ(slide->m_pCurrentZoomImage->ReadEncodedTilesInto(0, 0, batch.data(), batch.size()), 0);
  for (size_t i = 0; i < batch.size(); ++i) {
    batchBytes[i].resize(batch[i].size);
    EXPECT_EQ(batchBytes[i], FrameBytes(file, static_cast<long>(i))) << i;
  }
  EXPECT_FALSE(slide->m_pDecoder->IsSupported()) << "JPEG-LS has no codec";
}

INSTANTIATE_TEST_SUITE_P(HighdicomSamples, JpegLsFile, ::testing::Values("jpegls", "jpegls-nobot"),
                         [](const auto& info) { return info.param == "jpegls" ? "jpegls" : "jpegls_nobot"; });

}  // namespace
}  // namespace module_test
