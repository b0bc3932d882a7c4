// Opening and closing a slide: binding the path, the directory source shared by path, joining and
// leaving the directory-source agent, construction and tear-down of the slide-access state.
// Lock order: open/close mutex, then m_csSlide, then the registries and the agent holder.
#include <new>
#include <vector>

#include <oleauto.h>

#include "DicomZorvelImpl.h"
#include "DirectorySourceRegistry.h"
#include "LiveObjectRegistry.h"
#include "ModuleLog.h"
#include "OpenSlideCounters.h"
#include "Pipeline/SourceAgentHolder.h"
#include "ProcessSettings.h"

namespace {

constexpr const char16_t* kSource = u"DicomZorvel";
constexpr HRESULT kMoreThanOneSlide = static_cast<HRESULT>(0x8103015Eu);
constexpr HRESULT kNoSlideFound = static_cast<HRESULT>(0x81030027u);
constexpr USHORT kSourceTileSize = 256;

// Serialises the bodies of OpenSlide and CloseSlide across all objects.
std::mutex& OpenCloseMutex() {
  static std::mutex mutex;
  return mutex;
}

constexpr SeErrorReporter Report{kSource};

HRESULT ReportCreate(int line, HRESULT hr) { return Report(line, hr, u"CDicomZorvelImpl::CreateDicomSource"); }

// Files of the slide directory the slide library could not read, logged once when the source
// is built. An unreadable widest level is said in so many words: the next level is otherwise
// presented as the full resolution without a trace.
void LogUnreadableFiles(const CDirectorySource& source) {
  constexpr int kUnreadableFileLine = 126;
  constexpr int kLargestLevelHiddenLine = 127;
  std::vector<std::u16string> paths;
  std::vector<long> codes;
  bool largestLevelHidden = false;
  if (source.GetUnreadableFiles(&paths, &codes, &largestLevelHidden) != 0) return;
  for (size_t i = 0; i < paths.size(); ++i) {
    SeGetErrorLogFile()->LogFormatted(kSource, kUnreadableFileLine, u"File not read: %s, Code=0x%X", paths[i].c_str(),
                                      static_cast<unsigned>(codes[i]));
  }
  if (largestLevelHidden) {
    SeGetErrorLogFile()->LogFormatted(kSource, kLargestLevelHiddenLine, u"%s",
                                      u"The largest level of the slide cannot be read: the largest readable level "
                                      u"is presented as full resolution");
  }
}

}  // namespace

CDicomZorvelImpl::CDicomZorvelImpl() = default;
CDicomZorvelImpl::~CDicomZorvelImpl() = default;

HRESULT CDicomZorvelImpl::FinalConstruct() {
  m_bConstructed = true;
  m_bHighBitDepthOutput = false;
  ProcessSettings::Instance().preReading = false;
  m_zeroFocusLevel = 0;
  const long result = InitDicomInterop();
  if (result != 0) return Report(51, static_cast<HRESULT>(result), u"CDicomZorvelImpl::FinalConstruct");
  LiveObjectRegistry::Instance().Insert(this);
  return S_OK;
}

void CDicomZorvelImpl::FinalRelease() {
  const HRESULT hr = CloseSlide();
  {
    std::lock_guard slide(m_csSlide);
    m_caches.reset();
  }
  HugeCache::SlideCacheClients::DestroyRetired();
  LiveObjectRegistry::Instance().Erase(this);
  if (FAILED(hr)) Report(66, hr, u"CDicomZorvelImpl::FinalRelease");
}

// The open/close mutex is held from the closing of the previous slide to the binding of the new
// path, so no other opening or closing of this object runs in between.
STDMETHODIMP CDicomZorvelImpl::OpenSlide(BSTR SlideName) {
  HugeCache::SlideCacheClients::DestroyRetired();
  std::lock_guard openClose(OpenCloseMutex());
  // A source bound in the synchronous mode is released too, so the new path gets its own.
  if (m_bSlideOpen || HasDirectorySource()) {
    const HRESULT hr = CloseSlideLocked();
    if (FAILED(hr)) return Report(458, hr, u"CDicomZorvelImpl::OpenSlide");
  }
  const HRESULT hr =
      ForgetSlideData(SlideName != nullptr ? std::u16string(SlideName, SysStringLen(SlideName)) : std::u16string());
  if (FAILED(hr)) return Report(458, hr, u"CDicomZorvelImpl::OpenSlide");
  m_bAbort = false;
  if (m_bSynchronousOpen) return CreateDicomSource();
  Pipeline::SourceAgentHolder::Instance().Join(ProcessSettings::Instance().ReadLimit(),
                                               [] { return LiveObjectRegistry::Instance().MarkAllAborted(); });
  m_bSlideOpen = true;
  return S_OK;
}

bool CDicomZorvelImpl::HasDirectorySource() {
  std::lock_guard slide(m_csSlide);
  return m_spDirectorySource != nullptr;
}

// The single images, zoom images, failed levels and slide-wide data belong to the slide opened
// before. Calls still reading from its zoom images keep them alive through their own references.
// A call that ran after the closing may have bound the old path's source (or read its single
// images) again: they are let go here, in the same hold as the path change, or the object would
// keep the old slide's data, and later close as not its own the source other objects share for
// the old path. Returns the closing's code of that source.
HRESULT CDicomZorvelImpl::ForgetSlideData(std::u16string path) {
  std::lock_guard singleImages(m_csSingleImages);
  std::lock_guard slide(m_csSlide);
  ReleaseSingleImages();
  HRESULT closeResult = S_OK;
  ReleaseDirectorySource(closeResult);
  m_strSlidePath = std::move(path);
  m_pCurrentZoomImage = nullptr;
  m_normalZoomImages.clear();
  m_extendedZoomImages.clear();
  m_readyZoomLevels.clear();
  m_failedZoomLevels.clear();
  m_focusLevelOffsets.clear();
  m_bNormalLevelOpened = false;
  m_zStackCount = 0;
  m_bSlideDataInitialised = false;
  m_bSlideInitialised = false;
  m_pDecoder.reset();
  m_caches.reset();
  m_metadata = CCommonWSIMetadata();
  m_roiOffsetTilesX = 0;
  m_roiOffsetTilesY = 0;
  m_tileStride = 0;
  return closeResult;
}

HRESULT CDicomZorvelImpl::CloseSlide() {
  HRESULT hr = S_OK;
  {
    std::lock_guard openClose(OpenCloseMutex());
    hr = CloseSlideLocked();
  }
  HugeCache::SlideCacheClients::DestroyRetired();
  return hr;
}

// The open/close mutex held.
HRESULT CDicomZorvelImpl::CloseSlideLocked() {
  HRESULT closeResult = S_OK;
  try {
    UncountSlide();
    if (m_bSlideOpen) {
      m_bSlideOpen = false;
      LeaveAgent();
    }
    ReleaseDirectorySource(closeResult);
    ReleaseSingleImages();
  } catch (...) {
    closeResult = E_FAIL;
  }
  if (closeResult != S_OK) return Report(4038, closeResult, u"CDicomZorvelImpl::CloseSlide");
  return S_OK;
}

void CDicomZorvelImpl::LeaveAgent() {
  std::shared_ptr<CDirectorySource> source;
  {
    std::lock_guard slide(m_csSlide);
    source = m_spDirectorySource;
  }
  // The agent ended with its last user: no slide is open, the shared caches are emptied.
  if (Pipeline::SourceAgentHolder::Instance().Leave(source.get(), m_bAbort)) {
    HugeCache::EncodedTileCache::Clear();
    HugeCache::ScatteredDecodedCache::Clear();
  }
}

// The last user of the path closes the source; this object's reference goes either way.
void CDicomZorvelImpl::ReleaseDirectorySource(HRESULT& closeResult) {
  std::lock_guard slide(m_csSlide);
  if (!m_spDirectorySource) return;
  if (DirectorySourceRegistry::Instance().Leave(m_strSlidePath, m_spDirectorySource.get())) {
    Pipeline::SourceAgentHolder::Instance().ForgetSource(m_spDirectorySource.get());
    closeResult = static_cast<HRESULT>(m_spDirectorySource->Close());
  }
  m_spDirectorySource.reset();
}

long CDicomZorvelImpl::ConstructDirectorySource(bool searchSubdirectories, long& slideCount) {
  long result = 0;
  slideCount = 0;
  m_spDirectorySource = std::make_shared<CDirectorySource>(m_strSlidePath, kSourceTileSize, kSourceTileSize,
                                                           &slideCount, searchSubdirectories, &result, true, false);
  return result;
}

HRESULT CDicomZorvelImpl::CreateDicomSource() {
  std::lock_guard slide(m_csSlide);
  if (m_spDirectorySource) return S_OK;
  if ((m_spDirectorySource = DirectorySourceRegistry::Instance().Share(m_strSlidePath))) {
    Pipeline::SourceAgentHolder::Instance().AddSource(m_spDirectorySource.get());
    return S_OK;
  }
  const HRESULT hr = SearchSlide();
  if (FAILED(hr)) {
    // A source without exactly one slide is not kept: the next operation searches again.
    m_spDirectorySource.reset();
    return hr;
  }
  LogUnreadableFiles(*m_spDirectorySource);
  m_spDirectorySource = DirectorySourceRegistry::Instance().Register(m_strSlidePath, m_spDirectorySource);
  Pipeline::SourceAgentHolder::Instance().AddSource(m_spDirectorySource.get());
  return S_OK;
}

// First the directory itself, then (unless opening synchronously) its subdirectories too.
// m_csSlide held.
HRESULT CDicomZorvelImpl::SearchSlide() {
  long slideCount = 0;
  try {
    long result = ConstructDirectorySource(false, slideCount);
    if (result != 0) return ReportCreate(111, static_cast<HRESULT>(result));
    if (slideCount > 1) return ReportCreate(114, kMoreThanOneSlide);
    if (slideCount == 1) return S_OK;
    if (m_bSynchronousOpen) return ReportCreate(123, kNoSlideFound);
    result = ConstructDirectorySource(true, slideCount);
    if (result != 0) return ReportCreate(120, static_cast<HRESULT>(result));
    if (slideCount == 0) return ReportCreate(123, kNoSlideFound);
    return S_OK;
  } catch (const std::bad_alloc&) {
    return ReportCreate(111, E_OUTOFMEMORY);
  } catch (...) {
    return ReportCreate(111, E_FAIL);
  }
}

void CDicomZorvelImpl::ReportWalkFailure(int line, HRESULT hr, const char16_t* function) {
  SeGetErrorLogFile()->LogError(kSource, line, hr, function);
}
