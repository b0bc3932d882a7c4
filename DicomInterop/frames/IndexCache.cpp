// Sidecar cache of walked frame indexes (see IndexCache.h). Layout of a cache file, native
// (little-endian) byte order: CacheHeader, the path, the SOP Instance UID, the spans (u64 offset,
// u32 length each), the frame → first span table (frameCount + 1 entries, left out when frame i
// is span i), then a 64-bit checksum of everything before it.
#include "IndexCache.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string_view>
#include <vector>

namespace dicominterop {
namespace {

namespace fs = std::filesystem;

constexpr char kMagic[8] = {'Z', 'V', 'F', 'R', 'I', 'D', 'X', '\n'};
constexpr uint32_t kFormatVersion = 1;
constexpr const char* kExtension = ".zidx";
constexpr const char* kTemporaryPrefix = ".index-";
constexpr auto kAbandonedAfter = std::chrono::hours(1);  // a temporary file no writer still writes
constexpr uint64_t kSpanBytes = 12;
constexpr uint64_t kChecksumBytes = 8;

struct CacheHeader {
  char magic[8];
  uint32_t version;
  uint32_t oneSpanPerFrame;  // 1: frame i is span i and the first-span table is left out
  uint64_t fileSize;
  int64_t modifiedNs;
  uint64_t pixelDataStart, pixelDataEnd;
  uint32_t frameCount, spanCount;
  uint32_t pathLength, uidLength;
};
static_assert(sizeof(CacheHeader) == 64);

// The checksum only has to notice damage; should the standard library's hash ever change,
// existing cache files are merely rebuilt.
uint64_t Checksum(const uint8_t* bytes, size_t size) {
  return std::hash<std::string_view>{}(std::string_view(reinterpret_cast<const char*>(bytes), size));
}

std::string AbsolutePath(const std::string& path) {
  std::error_code ec;
  const fs::path absolute = fs::absolute(path, ec);
  return ec ? path : absolute.lexically_normal().string();
}

bool OneSpanPerFrame(const FrameIndex& index) { return index.spans.size() + 1 == index.firstSpan.size(); }

uint64_t ExpectedSize(const CacheHeader& h) {
  const uint64_t table = h.oneSpanPerFrame ? 0 : (uint64_t{h.frameCount} + 1) * 4;
  return sizeof(CacheHeader) + h.pathLength + h.uidLength + h.spanCount * kSpanBytes + table + kChecksumBytes;
}

template <class T>
void Append(std::vector<uint8_t>& out, const T& value) {
  const auto* bytes = reinterpret_cast<const uint8_t*>(&value);
  out.insert(out.end(), bytes, bytes + sizeof(T));
}

template <class T>
T At(const std::vector<uint8_t>& bytes, uint64_t offset) {
  T value;
  std::memcpy(&value, bytes.data() + offset, sizeof(T));
  return value;
}

std::vector<uint8_t> Serialise(const PixelFile& file, const InstanceInfo& info, const std::string& path,
                               const FrameIndex& index) {
  CacheHeader h{};
  std::memcpy(h.magic, kMagic, sizeof kMagic);
  h.version = kFormatVersion;
  h.oneSpanPerFrame = OneSpanPerFrame(index) ? 1 : 0;
  h.fileSize = file.Size();
  h.modifiedNs = file.ModifiedNs();
  h.pixelDataStart = index.pixelDataStart;
  h.pixelDataEnd = index.pixelDataEnd;
  h.frameCount = index.FrameCount();
  h.spanCount = static_cast<uint32_t>(index.spans.size());
  h.pathLength = static_cast<uint32_t>(path.size());
  h.uidLength = static_cast<uint32_t>(info.sopInstanceUid.size());
  std::vector<uint8_t> out;
  out.reserve(ExpectedSize(h));
  Append(out, h);
  out.insert(out.end(), path.begin(), path.end());
  out.insert(out.end(), info.sopInstanceUid.begin(), info.sopInstanceUid.end());
  for (const FrameSpan& span : index.spans) {
    Append(out, span.offset);
    Append(out, static_cast<uint32_t>(span.length));
  }
  if (!h.oneSpanPerFrame) {
    for (uint32_t first : index.firstSpan) Append(out, first);
  }
  Append(out, Checksum(out.data(), out.size()));
  return out;
}

bool KeyMatches(const CacheHeader& h, const std::vector<uint8_t>& bytes, const PixelFile& file,
                const InstanceInfo& info, const std::string& path, uint64_t itemsStart) {
  if (std::memcmp(h.magic, kMagic, sizeof kMagic) != 0 || h.version != kFormatVersion) return false;
  if (h.fileSize != file.Size() || h.modifiedNs != file.ModifiedNs() || h.frameCount != info.frameCount ||
      h.pixelDataStart != itemsStart || h.pixelDataEnd != file.Size() || h.spanCount < h.frameCount ||
      (h.oneSpanPerFrame && h.spanCount != h.frameCount) || bytes.size() != ExpectedSize(h)) {
    return false;
  }
  const auto* text = reinterpret_cast<const char*>(bytes.data() + sizeof(CacheHeader));
  return std::string_view(text, h.pathLength) == path &&
         std::string_view(text + h.pathLength, h.uidLength) == info.sopInstanceUid;
}

// Spans inside the pixel data, each frame at least one span, in ascending order of frames.
bool ReadSpans(const CacheHeader& h, const std::vector<uint8_t>& bytes, FrameIndex& index) {
  uint64_t at = sizeof(CacheHeader) + h.pathLength + h.uidLength;
  index.spans.resize(h.spanCount);
  for (FrameSpan& span : index.spans) {
    span.offset = At<uint64_t>(bytes, at);
    span.length = At<uint32_t>(bytes, at + 8);
    at += kSpanBytes;
    if (span.length == 0 || span.offset < h.pixelDataStart || span.offset > h.fileSize ||
        span.length > h.fileSize - span.offset) {
      return false;
    }
  }
  index.firstSpan.resize(size_t{h.frameCount} + 1);
  for (uint32_t i = 0; i <= h.frameCount; ++i, at += 4) {
    index.firstSpan[i] = h.oneSpanPerFrame ? i : At<uint32_t>(bytes, at);
    if (i > 0 && index.firstSpan[i] <= index.firstSpan[i - 1]) return false;
  }
  return index.firstSpan.front() == 0 && index.firstSpan.back() == h.spanCount;
}

bool ReadWholeFile(const std::string& path, uint64_t limit, std::vector<uint8_t>& bytes) {
  const PixelFile cacheFile(path);
  if (!cacheFile.IsOpen() || cacheFile.Size() < sizeof(CacheHeader) + kChecksumBytes || cacheFile.Size() > limit) {
    return false;
  }
  bytes.resize(cacheFile.Size());
  return cacheFile.ReadAt(0, bytes.size(), bytes.data()) == DicomInteropDefines::WSI_OK;
}

bool WriteAtomically(const std::string& directory, const std::string& path, const std::vector<uint8_t>& bytes) {
  std::error_code ec;
  if (fs::create_directories(directory, ec)) fs::permissions(directory, fs::perms::owner_all, ec);
  std::string temporary = (fs::path(directory) / (std::string(kTemporaryPrefix) + "XXXXXX")).string();
  const int fd = ::mkstemp(temporary.data());
  if (fd < 0) return false;
  size_t written = 0;
  while (written < bytes.size()) {
    const ssize_t got = ::write(fd, bytes.data() + written, bytes.size() - written);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;
    written += static_cast<size_t>(got);
  }
  const bool ok = ::close(fd) == 0 && written == bytes.size() && ::rename(temporary.c_str(), path.c_str()) == 0;
  if (!ok) ::unlink(temporary.c_str());
  return ok;
}

// Drops the least recently used cache files (loads refresh the modification time) until the
// total is within the limit, and temporary files a writer that died left behind.
void Prune(const IndexCacheSettings& settings) {
  struct Entry {
    fs::path path;
    fs::file_time_type time;
    uint64_t size;
  };
  std::vector<Entry> entries;
  uint64_t total = 0;
  std::error_code ec;
  const fs::file_time_type abandoned = fs::file_time_type::clock::now() - kAbandonedAfter;
  for (fs::directory_iterator it(settings.directory, ec), end; !ec && it != end; it.increment(ec)) {
    std::error_code entryError;
    if (!it->is_regular_file(entryError)) continue;
    const uint64_t size = it->file_size(entryError);
    const fs::file_time_type time = it->last_write_time(entryError);
    if (entryError) continue;
    if (it->path().filename().string().starts_with(kTemporaryPrefix) && time < abandoned) fs::remove(it->path(), entryError);
    if (it->path().extension() != kExtension) continue;
    entries.push_back({it->path(), time, size});
    total += size;
  }
  if (total <= settings.byteLimit) return;
  std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) { return a.time < b.time; });
  for (const Entry& e : entries) {
    if (total <= settings.byteLimit) break;
    if (fs::remove(e.path, ec)) total -= e.size;
  }
}

}  // namespace

IndexCacheSettings IndexCacheSettings::FromEnvironment() {
  IndexCacheSettings settings;
  const char* switched = std::getenv("ZORVEL_INDEX_CACHE");
  if (switched && std::string_view(switched) == "0") return settings;
  const char* xdg = std::getenv("XDG_CACHE_HOME");
  const char* home = std::getenv("HOME");
  // A relative XDG_CACHE_HOME is invalid and ignored, as the base-directory convention says.
  if (xdg && xdg[0] == '/') {
    settings.directory = (fs::path(xdg) / "zorvel").string();
  } else if (home && home[0] == '/') {
    settings.directory = (fs::path(home) / ".cache" / "zorvel").string();
  }
  return settings;
}

std::string CachedIndexPath(const IndexCacheSettings& settings, const InstanceInfo& info) {
  const std::string key = AbsolutePath(info.path) + '\0' + info.sopInstanceUid;
  char name[32];
  std::snprintf(name, sizeof name, "%016llx%s",
                static_cast<unsigned long long>(Checksum(reinterpret_cast<const uint8_t*>(key.data()), key.size())),
                kExtension);
  return (fs::path(settings.directory) / name).string();
}

bool LoadCachedIndex(const IndexCacheSettings& settings, const PixelFile& file, const InstanceInfo& info,
                     uint64_t itemsStart, FrameIndex& index) {
  if (settings.directory.empty() || info.sopInstanceUid.empty()) return false;
  try {
    const std::string cachePath = CachedIndexPath(settings, info);
    std::vector<uint8_t> bytes;
    if (!ReadWholeFile(cachePath, settings.byteLimit, bytes)) return false;
    const CacheHeader h = At<CacheHeader>(bytes, 0);
    const uint64_t stored = At<uint64_t>(bytes, bytes.size() - kChecksumBytes);
    if (!KeyMatches(h, bytes, file, info, AbsolutePath(info.path), itemsStart) ||
        stored != Checksum(bytes.data(), bytes.size() - kChecksumBytes) || !ReadSpans(h, bytes, index)) {
      index = FrameIndex();
      return false;
    }
    index.pixelDataStart = h.pixelDataStart;
    index.pixelDataEnd = h.pixelDataEnd;
    index.headersChecked = !h.oneSpanPerFrame;
    ::utimensat(AT_FDCWD, cachePath.c_str(), nullptr, 0);  // recently used: pruned last
    return true;
  } catch (const std::bad_alloc&) {
    index = FrameIndex();
    return false;
  }
}

void StoreCachedIndex(const IndexCacheSettings& settings, const PixelFile& file, const InstanceInfo& info,
                      const FrameIndex& index) {
  if (settings.directory.empty() || info.sopInstanceUid.empty() || index.FrameCount() != info.frameCount) return;
  const bool lengthsFit = std::all_of(index.spans.begin(), index.spans.end(),
                                      [](const FrameSpan& s) { return s.length <= UINT32_MAX; });
  if (!lengthsFit || index.spans.size() > UINT32_MAX) return;
  try {
    const std::vector<uint8_t> bytes = Serialise(file, info, AbsolutePath(info.path), index);
    if (bytes.size() > settings.byteLimit) return;
    if (WriteAtomically(settings.directory, CachedIndexPath(settings, info), bytes)) Prune(settings);
  } catch (const std::bad_alloc&) {
  }
}

}  // namespace dicominterop
