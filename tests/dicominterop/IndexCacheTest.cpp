// Sidecar index cache of walked levels: a damaged, stale or foreign cache file is ignored and
// rebuilt while every frame stays right; switched off or unwritable it writes nothing and costs
// no frame; beyond its limit the least recently used files go first.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <functional>

#include "SlideTestSupport.h"
#include "dataset/DatasetReader.h"
#include "frames/IndexCache.h"
#include "frames/InstanceFrames.h"

namespace {

namespace fs = std::filesystem;
using namespace dicominterop;
using slidetest::Bytes;

constexpr uint64_t kPixelDataHeader = 12;  // explicit VR OB header of Pixel Data

std::string SlideFile(int fragmentsPerFrame, int seed) {
  const std::string name = "index_cache_f" + std::to_string(fragmentsPerFrame) + "_s" + std::to_string(seed);
  const std::string dir = slidetest::GeneratedSlide(
      name, "--width 768 --height 512 --levels 0 --offset-table empty --fragments-per-frame " +
                std::to_string(fragmentsPerFrame) + " --seed " + std::to_string(seed));
  return dir.empty() ? dir : dir + "/level0_z0_p1.dcm";
}

std::shared_ptr<InstanceInfo> Read(const std::string& file) {
  auto info = std::make_shared<InstanceInfo>();
  EXPECT_EQ(ReadInstance(file, *info), 0) << file;
  return info;
}

// Every frame through a fresh instance (index from the cache when it matches, else a walk).
std::vector<Bytes> Frames(const std::string& file) {
  const InstanceFrames frames(Read(file));
  std::vector<Bytes> out;
  for (uint32_t i = 0; i < frames.Info().frameCount; ++i) {
    uint8_t* data = nullptr;
    uint64_t size = 0;
    if (frames.ReadFrame(i, &data, &size) != 0) return {};
    out.emplace_back(data, data + size);
    std::free(data);
  }
  return out;
}

bool CacheMatches(const std::string& file) {
  const auto info = Read(file);
  FrameIndex index;
  return LoadCachedIndex(IndexCacheSettings::FromEnvironment(), PixelFile(file), *info,
                         info->pixelDataOffset + kPixelDataHeader, index);
}

std::string Scratch(const std::string& name, const std::string& slideFile) {
  const std::string dir = slidetest::ScratchDir("index_cache_" + name);
  ::setenv("XDG_CACHE_HOME", (dir + "/cache").c_str(), 1);
  ::unsetenv("ZORVEL_INDEX_CACHE");
  // A name of its own: the pydicom reference is extracted to a folder named after the file.
  const std::string slide = dir + "/" + name + ".dcm";
  fs::copy_file(slideFile, slide);
  return slide;
}

struct Damage {
  const char* name;
  std::function<void(const std::string& cacheFile, const std::string& slide)> apply;
};

void FlipByte(const std::string& path, size_t offset) {
  Bytes bytes = slidetest::ReadBytes(path);
  bytes[offset] ^= 0x5a;
  slidetest::WriteBytes(path, bytes);
}

const Damage kDamages[] = {
    {"truncated", [](const std::string& c, const std::string&) { fs::resize_file(c, fs::file_size(c) / 2); }},
    {"damaged_content", [](const std::string& c, const std::string&) { FlipByte(c, fs::file_size(c) - 20); }},
    {"other_version", [](const std::string& c, const std::string&) { FlipByte(c, 8); }},
    {"slide_touched", [](const std::string&, const std::string& s) {
       fs::last_write_time(s, fs::last_write_time(s) + std::chrono::seconds(1));
     }},
    {"slide_replaced", [](const std::string&, const std::string& s) {
       fs::copy_file(SlideFile(1, 9), s, fs::copy_options::overwrite_existing);
     }},
};

class IndexCacheDamage : public ::testing::TestWithParam<std::tuple<int, Damage>> {};

TEST_P(IndexCacheDamage, IgnoredAndRebuiltWithCorrectFrames) {
  const auto& [fragments, damage] = GetParam();
  const std::string base = SlideFile(fragments, 7);
  ASSERT_FALSE(base.empty() || SlideFile(1, 9).empty()) << "generator failed";
  const std::string slide = Scratch(std::to_string(fragments) + damage.name, base);
  ASSERT_EQ(Frames(slide), slidetest::PydicomFrames(slide));
  ASSERT_TRUE(CacheMatches(slide));

  damage.apply(CachedIndexPath(IndexCacheSettings::FromEnvironment(), *Read(slide)), slide);
  EXPECT_FALSE(CacheMatches(slide));
  EXPECT_EQ(Frames(slide), slidetest::PydicomFrames(slide));
  EXPECT_TRUE(CacheMatches(slide)) << "not rebuilt";
}

INSTANTIATE_TEST_SUITE_P(Cases, IndexCacheDamage, ::testing::Combine(::testing::Values(1, 2), ::testing::ValuesIn(kDamages)),
                         [](const auto& info) {
                           return std::string(std::get<1>(info.param).name) + "_fragments" +
                                  std::to_string(std::get<0>(info.param));
                         });

// A cache file whose key still matches but whose spans are wrong (a file rewritten within the
// file system's time resolution): each frame's item header, read with the frame, exposes it.
TEST(IndexCache, WrongSpansUnderAMatchingKeyAreCaughtByTheItemHeaders) {
  const std::string base = SlideFile(1, 7);
  ASSERT_FALSE(base.empty());
  const std::string slide = Scratch("wrong_spans", base);
  const std::vector<Bytes> expected = slidetest::PydicomFrames(slide);
  ASSERT_EQ(Frames(slide), expected);
  const auto info = Read(slide);
  const PixelFile file(slide);
  const IndexCacheSettings settings = IndexCacheSettings::FromEnvironment();
  FrameIndex index;
  ASSERT_TRUE(LoadCachedIndex(settings, file, *info, info->pixelDataOffset + kPixelDataHeader, index));
  for (FrameSpan& span : index.spans) span.offset += 2;
  StoreCachedIndex(settings, file, *info, index);
  ASSERT_TRUE(CacheMatches(slide));
  EXPECT_EQ(Frames(slide), expected);
}

// Off by the switch, or with a cache "directory" that is a file: nothing written, frames right.
TEST(IndexCache, SwitchedOffOrUnwritableWritesNothing) {
  const std::string base = SlideFile(1, 7);
  ASSERT_FALSE(base.empty());
  for (const bool switchedOff : {true, false}) {
    const std::string slide = Scratch(switchedOff ? "off" : "unwritable", base);
    const std::vector<Bytes> expected = slidetest::PydicomFrames(slide);
    const std::string cacheHome = fs::path(slide).parent_path() / "cache";
    if (switchedOff) ::setenv("ZORVEL_INDEX_CACHE", "0", 1);
    else slidetest::WriteBytes(cacheHome, Bytes{1});
    EXPECT_EQ(Frames(slide), expected);
    EXPECT_EQ(fs::is_directory(cacheHome), false);
  }
  ::unsetenv("ZORVEL_INDEX_CACHE");
}

// Beyond the limit the least recently used go first; a dead writer's temporary file goes too.
TEST(IndexCache, LimitDropsLeastRecentlyUsedAndAbandonedTemporaries) {
  const std::string base = SlideFile(1, 7);
  ASSERT_FALSE(base.empty());
  const std::string slide = Scratch("limit", base);
  auto info = Read(slide);
  const PixelFile file(slide);
  ASSERT_EQ(InstanceFrames(info).EnsureIndex(), 0);
  IndexCacheSettings settings = IndexCacheSettings::FromEnvironment();
  const std::string first = CachedIndexPath(settings, *info);
  settings.byteLimit = 2 * fs::file_size(first) + 1;

  FrameIndex index;
  ASSERT_TRUE(LoadCachedIndex(settings, file, *info, info->pixelDataOffset + kPixelDataHeader, index));
  fs::last_write_time(first, fs::file_time_type::clock::now() - std::chrono::hours(2));
  const std::string abandoned = settings.directory + "/.index-dead01", writing = settings.directory + "/.index-live01";
  slidetest::WriteBytes(abandoned, Bytes{1});
  slidetest::WriteBytes(writing, Bytes{1});
  fs::last_write_time(abandoned, fs::file_time_type::clock::now() - std::chrono::hours(2));
  std::vector<std::string> written{first};
  for (const char* uid : {"1.2.3.4", "1.2.3.5"}) {
    info->sopInstanceUid = uid;
    StoreCachedIndex(settings, file, *info, index);
    written.push_back(CachedIndexPath(settings, *info));
    fs::last_write_time(written.back(), fs::file_time_type::clock::now() - std::chrono::hours(written.size() == 2 ? 1 : 0));
  }
  EXPECT_EQ((std::vector<bool>{fs::exists(written[0]), fs::exists(written[1]), fs::exists(written[2]),
                               fs::exists(abandoned), fs::exists(writing)}),
            (std::vector<bool>{false, true, true, false, true}));
}

}  // namespace
