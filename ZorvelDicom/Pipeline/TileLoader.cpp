// Tile reads of the directory-source agent and the hand-over of their results to a request's blocks.
#include "Pipeline/TileLoader.h"

#include <WSIZoomImage.h>

#include "HugeCache/EncodedTileCache.h"
#include "ModuleLog.h"
#include "Pipeline/ViewpartState.h"

namespace Pipeline {
namespace {
constexpr const char16_t* kSource = u"TileLoader";
constexpr const char16_t* kGetEncoded = u"Pipeline::TileLoader::GetEncodedSourceTile";
constexpr int kReadFailedLine = 71;
constexpr int kExtendedFocus = -1;
}  // namespace

TileLoader::~TileLoader() { Drain(); }

void TileLoader::Drain() {
  if (m_reads) m_reads->wait();
  m_reads.reset();
  m_readsOn = nullptr;
}

Concurrency::task_group& TileLoader::ReadsOnCurrentScheduler() {
  Concurrency::Scheduler* current = Concurrency::CurrentScheduler::Get();
  if (!m_reads || current != m_readsOn) {
    Drain();
    m_reads = std::make_unique<Concurrency::task_group>();
    m_readsOn = current;
  }
  return *m_reads;
}

HRESULT TileLoader::GetEncodedSourceTile(const CWSIZoomImage& image, int32_t focus, int32_t column, int32_t row,
                                         int32_t channel, CDicomInteropBase::DeleteDelegatorPtr<unsigned char>& data,
                                         uint64_t& size) {
  uint8_t* block = nullptr;
  uint64_t count = 0;
  bool exists = false;
  long errorCode = 0;
  const auto x = static_cast<uint32_t>(column), y = static_cast<uint32_t>(row), c = static_cast<uint32_t>(channel);
  if (focus == kExtendedFocus) {
    image.ReadEncodedTileFromExtendedFocus(x, y, c, &block, &count, &exists, &errorCode, nullptr);
  } else {
    image.ReadEncodedTile(static_cast<uint32_t>(focus), x, y, c, &block, &count, &exists, &errorCode, nullptr);
  }
  data = CDicomInteropBase::DeleteDelegatorPtr<unsigned char>(block);
  size = count;
  if (errorCode != 0) {
    SeGetErrorLogFile()->LogError(kSource, kReadFailedLine, static_cast<HRESULT>(errorCode), kGetEncoded);
    return static_cast<HRESULT>(errorCode);
  }
  return S_OK;
}

void TileLoader::AddRequest(uint64_t limit, const std::shared_ptr<ViewpartState>& request, int32_t column,
                            int32_t row, int32_t channel) {
  if (uint64_t{m_inFlight.load()} < limit - 1) {
    Concurrency::task_group& reads = ReadsOnCurrentScheduler();
    ++m_inFlight;
    request->BeginRead();
    reads.run([this, request, column, row, channel] {
      try {
        ReadTile(request, column, row, channel);
      } catch (...) {
        // The tile never reached the request's blocks: the request cannot complete, so it ends.
        request->Finish(E_FAIL);
      }
      --m_inFlight;
      request->EndRead();
    });
    return;
  }
  ReadTile(request, column, row, channel);
}

void TileLoader::ReadTile(const std::shared_ptr<ViewpartState>& request, int32_t column, int32_t row,
                          int32_t channel) {
  CDicomInteropBase::DeleteDelegatorPtr<unsigned char> data;
  uint64_t size = 0;
  const auto& s = request->source;
  const HRESULT hr = GetEncodedSourceTile(*s.zoomImage, s.focus, column, row, channel, data, size);
  if (FAILED(hr)) {
    request->RecordError(hr);
  } else if (request->cacheEncoded && s.encodedCache != nullptr) {
    s.encodedCache->AddTile(s.focus, s.zoomLevel, channel, row, column, data, static_cast<ULONG>(size));
  }
  Deliver(request, column, row, channel, std::move(data), size);
}

void TileLoader::Deliver(const std::shared_ptr<ViewpartState>& request, int32_t column, int32_t row,
                         int32_t channel, CDicomInteropBase::DeleteDelegatorPtr<unsigned char> data, uint64_t size,
                         bool readBefore) {
  RequestTargets& targets = *request->targets;
  if (data == nullptr || size == 0) {
    Concurrency::send(targets.tileTarget, TileRef(request, column, row, channel, nullptr, 0));
    return;
  }
  const uint32_t index = targets.NextDecoder();
  Concurrency::send(targets.decoders[index],
                    SourceTileData{std::move(data), size, column, row, channel, index, readBefore, request});
}

}  // namespace Pipeline
