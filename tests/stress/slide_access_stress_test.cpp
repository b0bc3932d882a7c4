// Several host threads share a few slide-access objects over three generated slides and mix
// OpenSlide, closing by key 10001, property reads, regions, raw tiles and raw batches. Every answer (code
// and bytes) must equal the answer of a single-threaded reference object; only a region whose
// slide was closed under it by another thread may fail instead (the agent drops the requests of a
// closed source), so the first half of the run has no closing and no failure. In the second half
// one object is reopened back and forth between two slides of the same layout while it renders:
// its answers must be those of either slide, and a tile it filed under the wrong slide shows up
// in the answers of the objects that stay on that slide. A watchdog ends a hung run.
// ZORVEL_STRESS_SECONDS sets the length (default 2 s, for the sanitizer builds: longer).
#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <map>
#include <mutex>
#include <random>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "raw_support.h"
#include "region_support.h"

namespace module_test {
namespace {

constexpr int kThreads = 8;
// The slide each object opens first (and reopens): extended focus, two plain slides of one layout.
constexpr size_t kHomeSlides[] = {0, 1, 2, 1, 2};
// The last object is reopened on either of these while other threads read from it.
constexpr size_t kSwitchingObject = std::size(kHomeSlides) - 1;
constexpr size_t kSwitchSlides[] = {1, 2};
constexpr LONG kMissingLevel = 9;  // the slides have no level 9: a failure every call gives alike
const LONG kPropertyTags[] = {301, 303, 327, 328, 329, 331, 344, 372, 375, 649, 650, 651, 0x40000000 | 327, 999};

// Regions of grid tiles (x1, y1, x2, y2, level): one tile, a block across tiles, a shrunk level 9.
const render_test::Region kRegions[] = {{0, 0, 0, 0, 0}, {1, 0, 2, 1, 0}, {0, 0, 1, 1, 1}, {0, 0, 0, 0, 9}};

struct SlideUnderTest {
  std::filesystem::path path;
  std::vector<LONG> focusValues;
  std::vector<std::tuple<LONG, LONG, LONG>> tiles;  // level, x, y (x, y < 4 x 3 at level 0)
};

struct TileAnswer {
  HRESULT hr = S_OK;
  std::vector<BYTE> bytes;
  bool operator==(const TileAnswer&) const = default;
};

// A property value as comparable text.
std::string ValueText(HRESULT hr, const VARIANT& value) {
  std::string text = std::to_string(hr) + ":" + std::to_string(value.vt) + ":";
  switch (value.vt) {
    case VT_BSTR: {
      const std::u16string wide(value.bstrVal, SysStringLen(value.bstrVal));
      return text + std::string(wide.begin(), wide.end());
    }
    case VT_R8: case VT_DATE: return text + std::to_string(value.dblVal);
    case VT_UI8: return text + std::to_string(value.ullVal);
    case VT_BOOL: return text + std::to_string(value.boolVal);
    case VT_I4: case VT_UI4: return text + std::to_string(value.lVal);
    default: return text;
  }
}

std::string ReadProperty(IKLVZorvel3* slide, LONG tag) {
  VARIANT value;
  VariantInit(&value);
  const HRESULT hr = slide->GetSlideProperties(tag, &value);
  std::string text = ValueText(hr, value);
  VariantClear(&value);
  return text;
}

TileAnswer ReadRegion(IKLVZorvel3* slide, IKLVBitmapImage* bitmap, const render_test::Region& region) {
  TileAnswer answer;
  answer.hr = render_test::GetImage(slide, region, 0, 0, 0, bitmap);
  if (SUCCEEDED(answer.hr)) answer.bytes = render_test::Read(bitmap).bytes;
  return answer;
}

TileAnswer ReadTile(IKLVZorvel3* slide, IKLVMemoryBuffer* buffer, LONG level, LONG focus, LONG x, LONG y) {
  TileAnswer answer;
  answer.hr = slide->GetImageRaw(x, y, 0, focus, level, nullptr, buffer);
  if (SUCCEEDED(answer.hr)) answer.bytes = Contents(buffer);
  return answer;
}

// All tiles of level 0 in one batch, through the pointer or the SAFEARRAY form.
std::vector<TileAnswer> ReadBatch(IKLVZorvel3* slide, const std::vector<ComPtr<IKLVMemoryBuffer>>& buffers, LONG focus,
                                  bool safeArrays) {
  std::vector<LONG> xs, ys;
  std::vector<IKLVMemoryBuffer*> raw;
  for (LONG i = 0; i < static_cast<LONG>(buffers.size()); ++i) {
    xs.push_back(i % 4);
    ys.push_back(i / 4);
    raw.push_back(buffers[static_cast<size_t>(i)].Get());
  }
  const LONG count = static_cast<LONG>(raw.size());
  HRESULT hr = S_OK;
  if (safeArrays) {
    SAFEARRAY* x = SafeArrayCreateVector(VT_I4, 0, static_cast<ULONG>(count));
    SAFEARRAY* y = SafeArrayCreateVector(VT_I4, 0, static_cast<ULONG>(count));
    SAFEARRAY* images = SafeArrayCreateVector(VT_UNKNOWN, 0, static_cast<ULONG>(count));
    for (LONG i = 0; i < count; ++i) {
      SafeArrayPutElement(x, &i, &xs[static_cast<size_t>(i)]);
      SafeArrayPutElement(y, &i, &ys[static_cast<size_t>(i)]);
      SafeArrayPutElement(images, &i, raw[static_cast<size_t>(i)]);
    }
    hr = slide->GetImageRawBatchSA(0, focus, 0, count, x, y, images);
    SafeArrayDestroy(x);
    SafeArrayDestroy(y);
    SafeArrayDestroy(images);
  } else {
    hr = slide->GetImageRawBatch(0, focus, 0, count, xs.data(), ys.data(), raw.data());
  }
  std::vector<TileAnswer> answers(raw.size());
  for (size_t i = 0; i < raw.size(); ++i) {
    answers[i].hr = hr;
    if (SUCCEEDED(hr)) answers[i].bytes = Contents(raw[i]);
  }
  return answers;
}

// The answers of one slide, read by one object on one thread.
struct Reference {
  std::map<std::tuple<LONG, LONG, LONG, LONG>, TileAnswer> tiles;  // level, focus, x, y
  std::map<LONG, std::vector<TileAnswer>> batches;                 // by focus
  std::map<LONG, std::string> properties;
  std::vector<TileAnswer> regions;  // as kRegions
};

Reference ReadReference(const SlideUnderTest& slide, const std::vector<ComPtr<IKLVMemoryBuffer>>& buffers) {
  RawSlide object = OpenRawSlide(slide.path);
  Reference reference;
  for (LONG focus : slide.focusValues) {
    for (const auto& [level, x, y] : slide.tiles) {
      reference.tiles[{level, focus, x, y}] = ReadTile(object.api(), buffers[0].Get(), level, focus, x, y);
    }
    reference.batches[focus] = ReadBatch(object.api(), buffers, focus, false);
  }
  for (LONG tag : kPropertyTags) reference.properties[tag] = ReadProperty(object.api(), tag);
  const ComPtr<IKLVBitmapImage> bitmap = render_test::NewBitmap();
  for (const auto& region : kRegions) reference.regions.push_back(ReadRegion(object.api(), bitmap.Get(), region));
  return reference;
}

// Ends the process when the run has not finished in time: a hang must fail, not stall the suite.
class Watchdog {
 public:
  explicit Watchdog(std::chrono::seconds limit)
      : m_thread([this, limit] {
          std::unique_lock lock(m_mutex);
          if (!m_done.wait_for(lock, limit, [this] { return m_finished; })) {
            std::fprintf(stderr, "slide-access stress run hung for %lld s\n", static_cast<long long>(limit.count()));
            std::_Exit(3);
          }
        }) {}
  ~Watchdog() {
    {
      std::lock_guard lock(m_mutex);
      m_finished = true;
    }
    m_done.notify_all();
    m_thread.join();
  }

 private:
  std::mutex m_mutex;
  std::condition_variable m_done;
  bool m_finished = false;
  std::thread m_thread;
};

struct Tally {
  std::atomic<long> operations{0};
  std::atomic<long> mismatches{0};
  std::atomic<long> closedUnderRegion{0};
  std::mutex firstMutex;
  std::string first;

  void Check(bool same, const std::string& what) {
    ++operations;
    if (same) return;
    ++mismatches;
    std::lock_guard lock(firstMutex);
    if (first.empty()) first = what;
  }
};

std::chrono::seconds RunLength() {
  const char* text = std::getenv("ZORVEL_STRESS_SECONDS");
  const long seconds = text != nullptr ? std::strtol(text, nullptr, 10) : 0;
  return std::chrono::seconds(seconds > 0 ? seconds : 2);
}

std::vector<ComPtr<IKLVMemoryBuffer>> NewBuffers(size_t count) {
  std::vector<ComPtr<IKLVMemoryBuffer>> buffers;
  for (size_t i = 0; i < count; ++i) buffers.push_back(NewBuffer());
  return buffers;
}

// The references an answer of object o may equal: its home slide's, or for the switching object
// either of the slides it is reopened on.
std::vector<const Reference*> Candidates(size_t o, const std::vector<Reference>& references) {
  if (o != kSwitchingObject) return {&references[kHomeSlides[o]]};
  return {&references[kSwitchSlides[0]], &references[kSwitchSlides[1]]};
}

template <class Read>
bool AnyMatches(const std::vector<const Reference*>& candidates, Read read) {
  return std::any_of(candidates.begin(), candidates.end(), read);
}

void RunThread(int index, const std::vector<RawSlide>& objects, const std::vector<SlideUnderTest>& slides,
               const std::vector<Reference>& references, std::chrono::steady_clock::time_point closingFrom,
               std::chrono::steady_clock::time_point end, Tally& tally) {
  std::mt19937 random(static_cast<unsigned>(index) * 7919u + 1u);
  const std::vector<ComPtr<IKLVMemoryBuffer>> buffers = NewBuffers(12);
  const ComPtr<IKLVBitmapImage> bitmap = render_test::NewBitmap();
  while (std::chrono::steady_clock::now() < end) {
    const size_t o = random() % objects.size();
    const SlideUnderTest& slide = slides[kHomeSlides[o]];
    const std::vector<const Reference*> candidates = Candidates(o, references);
    IKLVZorvel3* object = objects[o].api();
    const LONG focus = slide.focusValues[random() % slide.focusValues.size()];
    const bool closing = std::chrono::steady_clock::now() >= closingFrom;
    const unsigned pick = closing ? random() % 100 : 4 + random() % 96;
    const std::string where = "object " + std::to_string(o) + " pick " + std::to_string(pick);
    if (pick < 2) {
      const size_t target = o == kSwitchingObject ? kSwitchSlides[random() % 2] : kHomeSlides[o];
      tally.Check(Open(object, slides[target].path) == S_OK, where + ": OpenSlide");
    } else if (pick < 4) {
      VARIANT closer;
      VariantInit(&closer);
      closer.vt = VT_UNKNOWN;
      closer.punkVal = buffers[0].Get();
      tally.Check(object->put_Properties(10001, closer) == S_OK, where + ": close by key 10001");
    } else if (pick < 14) {
      const size_t r = random() % std::size(kRegions);
      const TileAnswer answer = ReadRegion(object, bitmap.Get(), kRegions[r]);
      // A region that ended before closing began cannot have seen one.
      if (std::chrono::steady_clock::now() >= closingFrom && answer.hr == E_FAIL) {
        ++tally.closedUnderRegion;
        continue;
      }
      tally.Check(AnyMatches(candidates, [&](const Reference* ref) { return answer == ref->regions[r]; }),
                  where + ": region " + std::to_string(r) + " code " + std::to_string(answer.hr) + " bytes " +
                      std::to_string(answer.bytes.size()));
    } else if (pick < 24) {
      const LONG tag = kPropertyTags[random() % std::size(kPropertyTags)];
      const std::string value = ReadProperty(object, tag);
      tally.Check(AnyMatches(candidates, [&](const Reference* ref) { return value == ref->properties.at(tag); }),
                  where + ": tag " + std::to_string(tag) + " " + value);
    } else if (pick < 74) {
      const auto& [level, x, y] = slide.tiles[random() % slide.tiles.size()];
      const TileAnswer answer = ReadTile(object, buffers[0].Get(), level, focus, x, y);
      tally.Check(AnyMatches(candidates, [&](const Reference* ref) { return answer == ref->tiles.at({level, focus, x, y}); }),
                  where + ": tile " + std::to_string(level) + "/" + std::to_string(x) + "," + std::to_string(y) +
                      " code " + std::to_string(answer.hr) + " bytes " + std::to_string(answer.bytes.size()));
    } else {
      const std::vector<TileAnswer> answers = ReadBatch(object, buffers, focus, pick % 4 == 0);
      tally.Check(AnyMatches(candidates, [&](const Reference* ref) { return answers == ref->batches.at(focus); }),
                  where + ": batch, focus " + std::to_string(focus));
    }
  }
}

TEST(SlideAccessStress, SharedObjectsAnswerAsASingleThreadDoes) {
  const std::vector<std::tuple<LONG, LONG, LONG>> tiles = {{0, 0, 0}, {0, 3, 2}, {0, 1, 1}, {1, 1, 0},
                                                            {2, 0, 0}, {kMissingLevel, 0, 0}};
  std::vector<SlideUnderTest> slides = {
      {MakeSlide("stress-edf", "--width 1024 --height 768 --focal-planes 3 --extended-focus"), {0, 1, 3}, tiles},
      {MakeSlide("stress-plain", "--width 1024 --height 768 --syntax jpeg2000"), {0}, tiles},
      {MakeSlide("stress-plain-b", "--width 1024 --height 768 --seed 7"), {0}, tiles},
  };
  for (const SlideUnderTest& slide : slides) ASSERT_FALSE(slide.path.empty()) << "the test-slide generator failed";
  const std::vector<ComPtr<IKLVMemoryBuffer>> buffers = NewBuffers(12);
  std::vector<Reference> references;
  for (const SlideUnderTest& slide : slides) references.push_back(ReadReference(slide, buffers));
  ASSERT_EQ(references[0].tiles.at({0, 0, 0, 0}).hr, S_OK);
  ASSERT_NE(references[0].tiles.at({0, 0, 0, 0}), references[0].tiles.at({0, 1, 0, 0})) << "focus must matter";
  ASSERT_NE(references[0].tiles.at({0, 1, 0, 0}), references[1].tiles.at({0, 0, 0, 0})) << "slides must differ";
  ASSERT_EQ(references[0].regions[1].hr, S_OK);
  ASSERT_EQ(references[1].regions[2].hr, S_OK);
  ASSERT_NE(references[1].regions[1], references[2].regions[1]) << "the switched slides must differ";

  std::vector<RawSlide> objects;
  for (size_t home : kHomeSlides) objects.push_back(OpenRawSlide(slides[home].path));
  const auto length = RunLength();
  Tally tally;
  {
    Watchdog watchdog(length * 10 + std::chrono::seconds(60));
    const auto start = std::chrono::steady_clock::now();
    std::vector<std::thread> threads;
    for (int i = 0; i < kThreads; ++i) {
      threads.emplace_back(RunThread, i, std::cref(objects), std::cref(slides), std::cref(references),
                           start + length / 2, start + length, std::ref(tally));
    }
    for (std::thread& thread : threads) thread.join();
  }
  std::printf("%ld operations in %lld s on %d threads; %ld regions failed as their slide was closed\n",
              tally.operations.load(), static_cast<long long>(length.count()), kThreads,
              tally.closedUnderRegion.load());
  EXPECT_EQ(tally.mismatches.load(), 0) << "first: " << tally.first;
  EXPECT_GT(tally.operations.load(), kThreads * 10);
}

}  // namespace
}  // namespace module_test
