// Eight threads render random regions from two objects on two slides for a few seconds: every
// answer must equal the oracle's picture, and no call may hang or fail. Once with the defaults,
// once with a scheduler per call (key 50006) and every read asynchronous on it (key 50007 = 0).
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <random>
#include <thread>

#include "region_support.h"

namespace render_test {
namespace {

struct Known {
  int slide;
  Region region;
  std::vector<BYTE> expected;
};

struct Settings {
  const char* name;
  ULONGLONG maxConcurrency, readLimit;  // keys 50006 and 50007
};

HRESULT PutUi8(IKLVZorvel3* slide, LONG key, ULONGLONG n) {
  VARIANT value;
  VariantInit(&value);
  value.vt = VT_UI8;
  value.ullVal = n;
  return slide->put_Properties(key, value);
}

class GetImageStressTest : public testing::TestWithParam<Settings> {};

TEST_P(GetImageStressTest, EightThreadsTwoSlidesStableResults) {
  const std::filesystem::path paths[2] = {
      module_test::MakeSlide("stress-a", "--width 1500 --height 1100 --tile 256 --levels 0,2 --syntax jpeg"),
      module_test::MakeSlide("stress-b", "--width 900 --height 1300 --tile 256 --levels 0,1 --syntax explicit "
                                         "--organization sparse --missing-tiles 3")};
  ASSERT_FALSE(paths[0].empty());
  ASSERT_FALSE(paths[1].empty());
  const Region regions[] = {{0, 0, 0, 0, 0}, {1, 1, 3, 2, 0}, {-1, 0, 1, 1, 1}, {4, 3, 6, 5, 0}, {0, 0, 1, 1, 2}};
  static const std::vector<Known> known = [&] {  // the oracle's pictures, shared by both settings
    std::vector<Known> pictures;
    for (int s = 0; s < 2; ++s) {
      for (const Region& r : regions) pictures.push_back({s, r, Expected(paths[s], r, 0, -1, false)});
    }
    return pictures;
  }();
  Slide slides[2] = {OpenSlide(paths[0]), OpenSlide(paths[1])};
  ASSERT_EQ(PutUi8(slides[0].ref.Get(), 50006, GetParam().maxConcurrency), S_OK);
  ASSERT_EQ(PutUi8(slides[0].ref.Get(), 50007, GetParam().readLimit), S_OK);
  std::atomic<int> calls{0}, wrong{0};
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
  std::vector<std::thread> threads;
  for (int t = 0; t < 8; ++t) {
    threads.emplace_back([&, t] {
      std::mt19937 random(static_cast<unsigned>(t));
      ComPtr<IKLVBitmapImage> bitmap = NewBitmap();
      while (std::chrono::steady_clock::now() < deadline) {
        const Known& k = known[random() % known.size()];
        const HRESULT hr = GetImage(slides[k.slide].ref.Get(), k.region, 0, 0, 0, bitmap.Get());
        if (hr != S_OK || Read(bitmap.Get()).bytes != k.expected) ++wrong;
        ++calls;
      }
    });
  }
  for (auto& thread : threads) thread.join();
  EXPECT_EQ(wrong.load(), 0) << "of " << calls.load() << " calls";
  EXPECT_GT(calls.load(), 8);
  PutUi8(slides[0].ref.Get(), 50006, 0);
  PutUi8(slides[0].ref.Get(), 50007, 1);
}

INSTANTIATE_TEST_SUITE_P(Schedulers, GetImageStressTest,
                         testing::Values(Settings{"Default", 0, 1}, Settings{"CallSchedulerAsyncReads", 2, 0}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace render_test
