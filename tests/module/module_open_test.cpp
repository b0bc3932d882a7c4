// Opening rules of the slide-access object on generated slides, white-box: directory sources
// shared by path and closed once, the two searches, level fall-back, z data, the stop code and
// exceptions from the slide library (through its test double), counters and re-opening.
#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <thread>
#include <vector>

#include "DirectorySourceRegistry.h"
#include "LiveObjectRegistry.h"
#include "OpenSlideCounters.h"
#include "Pipeline/SourceAgentHolder.h"
#include "module_host.h"
#include "slide_double.h"

namespace module_test {
namespace {

constexpr HRESULT kNoSlideFound = static_cast<HRESULT>(0x81030027u);
constexpr HRESULT kMoreThanOneSlide = static_cast<HRESULT>(0x8103015Eu);
constexpr HRESULT kStop = static_cast<HRESULT>(DicomInteropDefines::WSI_E_STOP);

struct SlideObject {
  ComPtr<IKLVZorvel3> ref;
  ScriptedSlideAccess* impl = nullptr;
  ScriptedSlideAccess* operator->() const { return impl; }
};

SlideObject NewSlideObject() {
  SlideObject object;
  EXPECT_EQ(ZorvelCom::CreateComInstance<ScriptedSlideAccess>(nullptr, IID_IKLVZorvel3, object.ref.OutVoid()), S_OK);
  object.impl = static_cast<ScriptedSlideAccess*>(object.ref.Get());
  return object;
}

std::filesystem::path Slide(const std::string& name, const std::string& options) {
  auto path = MakeSlide(name, options);
  EXPECT_FALSE(path.empty()) << "the test-slide generator failed for " << name;
  return path;
}

long RegisteredUsers(const std::filesystem::path& path) {
  return DirectorySourceRegistry::Instance().UserCount(path.u16string());
}

TEST(OpenSlide, ObjectsShareOneSourceAndTheLastUserClosesIt) {
  const auto path = Slide("shared", "--width 512 --height 512");
  auto& agent = Pipeline::SourceAgentHolder::Instance();
  SlideObject first = NewSlideObject();
  SlideObject second = NewSlideObject();
  ASSERT_EQ(Open(first.ref.Get(), path), S_OK);
  ASSERT_EQ(Open(second.ref.Get(), path), S_OK);
  EXPECT_EQ(agent.Users(), 2);
  EXPECT_EQ(first->m_spDirectorySource, nullptr) << "the normal mode reads nothing while opening";
  ASSERT_EQ(first->CreateDicomSource(), S_OK);
  ASSERT_EQ(second->CreateDicomSource(), S_OK);
  const std::shared_ptr<CDirectorySource> source = first->m_spDirectorySource;
  EXPECT_EQ(second->m_spDirectorySource, source);
  EXPECT_EQ(RegisteredUsers(path), 2);
  EXPECT_TRUE(agent.HasSource(source.get()));

  first.ref.Reset();  // destruction closes the first object's slide
  EXPECT_EQ(RegisteredUsers(path), 1);
  EXPECT_EQ(agent.Users(), 1);
  EXPECT_EQ(second->OpenNativeZoomImgs(0, false), S_OK) << "the shared source must still be open";

  second.ref.Reset();
  EXPECT_EQ(RegisteredUsers(path), 0);
  EXPECT_FALSE(agent.HasAgent()) << "the last user ends the agent";
  CWSIZoomImage probe;
  EXPECT_EQ(probe.OpenZoomLevel(source.get(), false, 0, true), DicomInteropDefines::WSI_E_STOP)
      << "the last user closes the source";
}

struct SearchCase {
  const char* name;
  bool synchronous;
  HRESULT expected;
};

class SlideSearch : public testing::TestWithParam<SearchCase> {
 protected:
  static void SetUpTestSuite() {
    const auto one = Slide("search-one", "--width 512 --height 512");
    const auto other = Slide("search-other", "--width 512 --height 384 --seed 3");
    CopySlideFiles(one, Dir("two"), "a_");
    CopySlideFiles(other, Dir("two"), "b_");
    CopySlideFiles(one, Dir("nested") / "inner", "");
    CopySlideFiles(one, Dir("nested-two") / "first", "");
    CopySlideFiles(other, Dir("nested-two") / "second", "");
    CopySlideFiles(one, Dir("one"), "");
    std::filesystem::create_directories(Dir("empty"));
  }
  static std::filesystem::path Dir(const std::string& name) { return ScratchDir() / "search" / name; }
};

TEST_P(SlideSearch, CodesOfTheTwoSearches) {
  const SearchCase& c = GetParam();
  SlideObject slide = NewSlideObject();
  ASSERT_EQ(PutBool(slide.ref.Get(), 50010, c.synchronous), S_OK);
  const HRESULT opened = Open(slide.ref.Get(), Dir(c.name));
  const HRESULT created = c.synchronous ? opened : slide->CreateDicomSource();
  EXPECT_EQ(created, c.expected);
  if (FAILED(c.expected)) {
    EXPECT_EQ(slide->m_spDirectorySource, nullptr);
    EXPECT_EQ(slide->CreateDicomSource(), c.expected) << "a failed search is repeated, not remembered";
  }
}

INSTANTIATE_TEST_SUITE_P(
    Directories, SlideSearch,
    testing::Values(SearchCase{"one", false, S_OK}, SearchCase{"one", true, S_OK},
                    SearchCase{"two", false, kMoreThanOneSlide}, SearchCase{"two", true, kMoreThanOneSlide},
                    SearchCase{"nested", false, S_OK}, SearchCase{"nested", true, kNoSlideFound},
                    SearchCase{"nested-two", false, S_OK}, SearchCase{"empty", false, kNoSlideFound},
                    SearchCase{"empty", true, kNoSlideFound}),
    [](const testing::TestParamInfo<SearchCase>& info) {
      std::string name = std::string(info.param.name) + (info.param.synchronous ? "_sync" : "_normal");
      for (char& ch : name) ch = ch == '-' ? '_' : ch;
      return name;
    });

TEST(OpenSlide, MissingDirectoryFailsAtTheFirstRequest) {
  SlideObject slide = NewSlideObject();
  ASSERT_EQ(Open(slide.ref.Get(), ScratchDir() / "no-such-directory"), S_OK);
  EXPECT_TRUE(FAILED(slide->CreateDicomSource()));
  EXPECT_TRUE(FAILED(slide->OpenNativeZoomImgs(0, false)));
  ASSERT_EQ(PutBool(slide.ref.Get(), 50010, true), S_OK);
  EXPECT_TRUE(FAILED(Open(slide.ref.Get(), ScratchDir() / "no-such-directory"))) << "synchronous: fails at once";
}

TEST(ZoomLevels, AbsentLevelsFallBackToAFinerOneWithTheLevelDifference) {
  SlideObject slide = NewSlideObject();
  ASSERT_EQ(Open(slide.ref.Get(), Slide("levels-0-1", "--width 2048 --height 1024 --levels 0,1")), S_OK);
  long difference = -1;
  std::shared_ptr<const CWSIZoomImage> image;
  ASSERT_EQ(slide->GetAndOpenSmallestZoomlevelFound(3, false, difference, image), S_OK);
  EXPECT_EQ(difference, 2);
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(image->GetZoomLevel(), 1);
  EXPECT_EQ(slide->m_pCurrentZoomImage, image.get());
  EXPECT_EQ(slide->m_normalZoomImages.count(3) + slide->m_normalZoomImages.count(2), 0u);
  EXPECT_EQ(slide->m_tileWidth, 256);
  EXPECT_EQ(slide->m_tileHeight, 256);
  EXPECT_EQ(slide->TryOpenSmallestZoomlevelFound(3, true, difference), E_FAIL) << "no extended-focus image";
}

struct ZStackCase {
  int planes;
  bool extended;
  ULONG zeroFocusLevel;
  std::map<long, double> offsets;
};

class ZStack : public testing::TestWithParam<ZStackCase> {};

TEST_P(ZStack, FocusLevelsAndOffsets) {
  const ZStackCase& c = GetParam();
  const std::string options = "--width 512 --height 512 --focal-planes " + std::to_string(c.planes) +
                              " --z-spacing 1" + (c.extended ? " --extended-focus" : "");
  SlideObject slide = NewSlideObject();
  ASSERT_EQ(Open(slide.ref.Get(), Slide("zstack-" + std::to_string(c.planes) + (c.extended ? "-edf" : ""), options)),
            S_OK);
  ASSERT_EQ(slide->TryOpenNormalOrExtendedSmallestZoomlevelFound(0), S_OK);
  EXPECT_EQ(slide->m_bExtendedFocus, c.extended);
  EXPECT_EQ(slide->m_zStackCount, static_cast<ULONG>(c.planes));
  EXPECT_EQ(slide->m_zeroFocusLevel, c.zeroFocusLevel);
  EXPECT_EQ(slide->m_focusLevelOffsets, c.offsets);
  if (c.extended) {
    EXPECT_EQ(slide->OpenNativeZoomImgs(0, true), S_OK);
    EXPECT_EQ(slide->m_focusLevelOffsets, c.offsets) << "opening the extended image keeps the z data";
  }
}

INSTANTIATE_TEST_SUITE_P(
    Planes, ZStack,
    testing::Values(ZStackCase{4, false, 1, {{-1, 1.0}, {0, 0.0}, {1, -1.0}, {2, -2.0}}},
                    ZStackCase{4, true, 2, {{-1, 1.0}, {0, 0.0}, {1, -1.0}, {2, -2.0}}},
                    ZStackCase{5, false, 2, {{-2, 2.0}, {-1, 1.0}, {0, 0.0}, {1, -1.0}, {2, -2.0}}},
                    ZStackCase{5, true, 3, {{-2, 2.0}, {-1, 1.0}, {0, 0.0}, {1, -1.0}, {2, -2.0}}}),
    [](const testing::TestParamInfo<ZStackCase>& info) {
      return std::to_string(info.param.planes) + (info.param.extended ? "_planes_extended" : "_planes");
    });

class StopCode : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(Open(slide.ref.Get(), Slide("stop", "--width 2048 --height 2048 --extended-focus")), S_OK);
  }
  SlideObject slide = NewSlideObject();
};

TEST_F(StopCode, EndsEveryWalkAtOnce) {
  slide->scripted[{3, false}] = DicomInteropDefines::WSI_E_STOP;
  slide->scripted[{3, true}] = DicomInteropDefines::WSI_E_STOP;
  long difference = -1;
  std::shared_ptr<const CWSIZoomImage> image;
  EXPECT_EQ(slide->TryOpenZoomlevelFound(3, false), kStop);
  EXPECT_EQ(slide->TryOpenSmallestZoomlevelFound(3, true, difference), kStop);
  EXPECT_EQ(slide->TryOpenNormalOrExtendedSmallestZoomlevelFound(3), kStop);
  EXPECT_EQ(slide->TryOpenExtendedAndNormalSmallestZoomlevelFound(3, difference), kStop);
  EXPECT_EQ(slide->GetAndOpenSmallestZoomlevelFound(3, true, difference, image), kStop);
  EXPECT_EQ(difference, -1);
  EXPECT_EQ(image, nullptr);
  EXPECT_TRUE(slide->m_normalZoomImages.empty()) << "no level below the stop is tried";
  EXPECT_TRUE(slide->m_extendedZoomImages.empty());
  EXPECT_TRUE(slide->m_failedZoomLevels.empty()) << "a stop is not a failure for good";
  slide->scripted.clear();
  EXPECT_EQ(slide->TryOpenZoomlevelFound(3, false), S_OK) << "the next request tries again";
}

TEST_F(StopCode, AThrowingNormalLevelIsNeverTriedAgain) {
  slide->scripted[{1, true}] = ScriptedSlideAccess::kThrow;
  EXPECT_EQ(slide->OpenNativeZoomImgs(1, true), E_FAIL);
  EXPECT_TRUE(slide->m_failedZoomLevels.empty()) << "only a normal level is given up";
  slide->scripted[{1, false}] = ScriptedSlideAccess::kThrow;
  EXPECT_EQ(slide->OpenNativeZoomImgs(1, false), E_FAIL);
  EXPECT_EQ(slide->m_failedZoomLevels, (std::set<long>{1}));
  const int calls = slide->libraryCalls;
  EXPECT_EQ(slide->OpenNativeZoomImgs(1, false), E_FAIL);
  EXPECT_EQ(slide->libraryCalls, calls);
  slide->scripted.clear();
  long difference = -1;
  EXPECT_EQ(slide->TryOpenSmallestZoomlevelFound(1, false, difference), S_OK);
  EXPECT_EQ(difference, 1) << "level 1 is skipped for good";
}

// Opening registers the slide with both caches within the configured cap; closing the last slide
// empties the shared caches, while a closed object keeps its decoded client until destroyed.
TEST(OpenSlide, OpenSlidesAreCountedAndCachedUntilClosed) {
  auto& counters = OpenSlideCounters::Instance();
  const long lossy = counters.Lossy();
  const long lossless = counters.Lossless();
  constexpr ULONGLONG kCap = 32ULL << 20;
  SlideObject jpeg = NewSlideObject();
  SlideObject raw = NewSlideObject();
  VARIANT cap;
  cap.vt = VT_UI8;
  cap.ullVal = kCap;
  ASSERT_EQ(jpeg->put_Properties(50005, cap), S_OK);
  ASSERT_EQ(Open(jpeg.ref.Get(), Slide("count-jpeg", "--width 512 --height 512")), S_OK);
  ASSERT_EQ(Open(raw.ref.Get(), Slide("count-raw", "--width 512 --height 512 --syntax explicit")), S_OK);
  ASSERT_EQ(jpeg->OpenNativeZoomImgs(0, false), S_OK);
  ASSERT_EQ(jpeg->OpenNativeZoomImgs(1, false), S_OK);
  ASSERT_EQ(raw->OpenNativeZoomImgs(0, false), S_OK);
  EXPECT_EQ(counters.Lossy(), lossy + 1);
  EXPECT_EQ(counters.Lossless(), lossless + 1);
  ASSERT_TRUE(jpeg->m_caches && raw->m_caches);
  EXPECT_NE(jpeg->m_caches->encoded.ClientNumber(), raw->m_caches->encoded.ClientNumber());
  EXPECT_EQ(HugeCache::EncodedTileCache::ClientCount(), 2);
  const auto partitions = HugeCache::DecodedTileCache::Partitions();
  ASSERT_EQ(partitions.size(), 1u) << "one tile size, one partition";
  EXPECT_EQ(partitions[0].tileBytes, 256u * 256u * 3u);
  EXPECT_LE(partitions[0].targetBytes + HugeCache::EncodedTileCache::Budget(), kCap);
  HugeCache::EncodedTileCache::SetBudget(1000);
  jpeg->m_caches->encoded.AddTile(0, 0, 0, 0, 0, HugeCache::EncodedTile(static_cast<unsigned char*>(std::malloc(10))), 10);
  EXPECT_EQ(jpeg->CloseSlide(), S_OK);
  EXPECT_EQ(counters.Lossy(), lossy);
  EXPECT_EQ(HugeCache::EncodedTileCache::TotalBytes(), 10u) << "a slide is still open";
  raw.ref.Reset();
  EXPECT_EQ(counters.Lossless(), lossless);
  EXPECT_EQ(HugeCache::EncodedTileCache::TotalBytes(), 0u) << "the last slide closed empties the caches";
  EXPECT_TRUE(jpeg->m_caches->decoded.IsInitialised());
  cap.ullVal = 0;
  EXPECT_EQ(jpeg->put_Properties(50005, cap), S_OK);
}

TEST(OpenSlide, ReopeningBindsTheNewSlidesLevels) {
  SlideObject slide = NewSlideObject();
  ASSERT_EQ(Open(slide.ref.Get(), Slide("reopen-a", "--width 512 --height 512")), S_OK);
  ASSERT_EQ(slide->OpenNativeZoomImgs(0, false), S_OK);
  ASSERT_EQ(Open(slide.ref.Get(), Slide("reopen-b", "--width 768 --height 512 --seed 5")), S_OK);
  ASSERT_EQ(slide->OpenNativeZoomImgs(0, false), S_OK);
  EXPECT_EQ(slide->m_pCurrentZoomImage->GetTotalPixelMatrixColumns(), 768u);

  ASSERT_EQ(PutBool(slide.ref.Get(), 50010, true), S_OK);
  ASSERT_EQ(Open(slide.ref.Get(), Slide("reopen-a", "")), S_OK);
  const CDirectorySource* first = slide->m_spDirectorySource.get();
  ASSERT_EQ(Open(slide.ref.Get(), Slide("reopen-b", "")), S_OK);
  EXPECT_NE(slide->m_spDirectorySource.get(), first) << "a synchronous reopening binds the new path's source";
  EXPECT_EQ(RegisteredUsers(Slide("reopen-a", "")), 0);
}

TEST(OpenSlide, ASynchronousSourceLeavesTheAgentWhenClosed) {
  SlideObject normal = NewSlideObject();
  SlideObject synchronous = NewSlideObject();
  ASSERT_EQ(Open(normal.ref.Get(), Slide("agent-normal", "--width 512 --height 512")), S_OK);
  ASSERT_EQ(PutBool(synchronous.ref.Get(), 50010, true), S_OK);
  ASSERT_EQ(Open(synchronous.ref.Get(), Slide("agent-sync", "--width 512 --height 512 --seed 9")), S_OK);
  const CDirectorySource* source = synchronous->m_spDirectorySource.get();
  auto& agent = Pipeline::SourceAgentHolder::Instance();
  EXPECT_TRUE(agent.HasSource(const_cast<CDirectorySource*>(source)));
  EXPECT_EQ(agent.Users(), 1) << "a synchronous opening uses no agent";
  synchronous.ref.Reset();
  EXPECT_FALSE(agent.HasSource(const_cast<CDirectorySource*>(source)));
  EXPECT_EQ(agent.Users(), 1);
}

TEST(OpenSlide, ThreadsOpeningAndClosingOneSlideLeaveNothingBehind) {
  const auto path = Slide("threads", "--width 1024 --height 1024");
  std::vector<std::thread> threads;
  std::atomic<int> failures{0};
  for (int t = 0; t < 6; ++t) {
    threads.emplace_back([&] {
      for (int round = 0; round < 4; ++round) {
        SlideObject slide = NewSlideObject();
        if (Open(slide.ref.Get(), path) != S_OK || slide->CreateDicomSource() != S_OK ||
            slide->OpenNativeZoomImgs(round % 3, false) != S_OK) {
          ++failures;
        }
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(failures, 0);
  EXPECT_EQ(RegisteredUsers(path), 0);
  EXPECT_FALSE(Pipeline::SourceAgentHolder::Instance().HasAgent());
}

TEST(LiveObjects, RegisteredFromConstructionToDestruction) {
  SlideObject slide = NewSlideObject();
  EXPECT_TRUE(LiveObjectRegistry::Instance().Contains(slide.impl));
  const CDicomZorvelImpl* address = slide.impl;
  slide.ref.Reset();
  EXPECT_FALSE(LiveObjectRegistry::Instance().Contains(address));
}

}  // namespace
}  // namespace module_test
