// CDirectorySource: construction scans the directory (SourceState) with the annotation reader and
// builds the served slide's metadata; the other calls answer from the scan, build levels on
// demand, and read single images from their files. The top of the library: it ties the pyramid,
// the images and the annotations together.
#include "DirectorySource.h"

#include <cstdlib>
#include <cstring>
#include <new>

#include "../annotations/AnnotationReader.h"
#include "../dataset/TextConversion.h"
#include "../images/MetadataBuilder.h"
#include "../images/SingleImage.h"
#include "../pyramid/SourceState.h"
#include "DicomInteropBase.h"

using namespace DicomInteropDefines;
using dicominterop::ImageFlavor;

namespace {

bool ReadSingle(const std::shared_ptr<const dicominterop::InstanceInfo>& info, uint8_t** data, uint64_t* size,
                EWSITransferSyntaxes* syntax, uint16_t* samplesPerPixel, uint16_t* bitsAllocated, uint16_t* width,
                uint16_t* height) {
  if (!info || !data || !size || !syntax || !samplesPerPixel || !bitsAllocated || !width || !height) return false;
  dicominterop::SingleImageData image;
  if (!dicominterop::ReadSingleImage(info, image)) return false;
  *data = image.data;
  *size = image.size;
  *syntax = image.syntax;
  *samplesPerPixel = info->samplesPerPixel;
  *bitsAllocated = info->bitsAllocated;
  *width = image.width;
  *height = image.height;
  return true;
}

}  // namespace

void CDicomInteropBase::Free(void* buffer) { std::free(buffer); }

extern "C" long InitDicomInterop() { return WSI_OK; }

CDirectorySource::CDirectorySource(const std::u16string& path, uint32_t /*tileWidth*/, uint32_t /*tileHeight*/,
                                   long* slideCount, bool searchSubdirectories, long* result,
                                   bool includeSingleImages, bool strict) {
  long rc = WSI_OK;
  try {
    m_state = std::make_shared<dicominterop::SourceState>();
    rc = m_state->Init(dicominterop::ToUtf8(path), searchSubdirectories, includeSingleImages, strict,
                       dicominterop::ReadAnnotations, slideCount);
    if (rc == WSI_OK && m_state->HasSlide()) {
      m_state->SetMetadata(dicominterop::BuildMetadata(*m_state->Served(), m_state->Single(ImageFlavor::Label).get()));
    }
  } catch (const std::bad_alloc&) {
    rc = WSI_E_OUTOFMEMORY;
  } catch (...) {
    rc = WSI_E_IO;
  }
  if (rc != WSI_OK && slideCount) *slideCount = 0;
  if (result) *result = rc;
}

CDirectorySource::~CDirectorySource() = default;

long CDirectorySource::IsExtendedFocus(bool* extendedFocus) const {
  if (!extendedFocus) return WSI_E_INVALIDARG;
  if (!m_state || !m_state->HasSlide()) return WSI_E_NOT_FOUND;
  *extendedFocus = m_state->HasExtendedFocus();
  return WSI_OK;
}

CCommonWSIMetadata CDirectorySource::GetKSLFProprietaryProperties() const {
  return m_state ? m_state->Metadata() : CCommonWSIMetadata();
}

long CDirectorySource::GetSlideUID(std::u16string* uid) const {
  if (!uid) return WSI_E_INVALIDARG;
  if (!m_state || !m_state->HasSlide()) return WSI_E_NOT_FOUND;
  *uid = dicominterop::ToUtf16(m_state->Served()->seriesUid);
  return WSI_OK;
}

uint64_t CDirectorySource::GetSlideSize() const { return m_state ? m_state->SlideBytes() : 0; }
bool CDirectorySource::GetIsValidSlideSize() const { return m_state && m_state->HasSlide() && m_state->SlideBytes() > 0; }

long CDirectorySource::GetRawZoomList(uint16_t** levels, uint32_t* count) const {
  if (!levels || !count) return WSI_E_INVALIDARG;
  if (!m_state || !m_state->HasSlide()) return WSI_E_NOT_FOUND;
  const std::vector<int32_t> list = m_state->Levels(false);
  auto* copy = static_cast<uint16_t*>(std::malloc(std::max<size_t>(1, list.size()) * sizeof(uint16_t)));
  if (!copy) return WSI_E_OUTOFMEMORY;
  for (size_t i = 0; i < list.size(); ++i) copy[i] = static_cast<uint16_t>(list[i]);
  *levels = copy;
  *count = static_cast<uint32_t>(list.size());
  return WSI_OK;
}

bool CDirectorySource::GetScanmap(uint8_t** map, int32_t level, uint32_t* width, uint32_t* height) const {
  if (!map || !width || !height || !m_state) return false;
  std::shared_ptr<const dicominterop::LevelData> data;
  if (m_state->OpenLevel(false, level, false, data) != WSI_OK &&
      m_state->OpenLevel(true, level, false, data) != WSI_OK) {
    return false;
  }
  auto* bytes = static_cast<uint8_t*>(std::calloc(std::max<size_t>(1, size_t{data->across} * data->down), 1));
  if (!bytes) return false;
  for (size_t i = 0; i < data->tiles.size(); ++i) {
    if (data->tiles[i].part != dicominterop::FrameRef::kMissing) bytes[i % (size_t{data->across} * data->down)] = 255;
  }
  *map = bytes;
  *width = data->across;
  *height = data->down;
  return true;
}

bool CDirectorySource::GetLabelImage(uint8_t** data, uint64_t* size, EWSITransferSyntaxes* syntax,
                                     uint16_t* samplesPerPixel, uint16_t* bitsAllocated, uint16_t* width,
                                     uint16_t* height, char16_t** labelText) const {
  if (!m_state) return false;
  const auto label = m_state->Single(ImageFlavor::Label);
  if (!ReadSingle(label, data, size, syntax, samplesPerPixel, bitsAllocated, width, height)) return false;
  if (labelText) *labelText = label->labelText.empty() ? nullptr : dicominterop::MallocCopy(dicominterop::ToUtf16(label->labelText));
  return true;
}

bool CDirectorySource::GetOverviewImage(uint8_t** data, uint64_t* size, EWSITransferSyntaxes* syntax,
                                        uint16_t* samplesPerPixel, uint16_t* bitsAllocated, uint16_t* width,
                                        uint16_t* height) const {
  return m_state && ReadSingle(m_state->Single(ImageFlavor::Overview), data, size, syntax, samplesPerPixel,
                               bitsAllocated, width, height);
}

bool CDirectorySource::GetGeneratedPreviewImage(uint8_t** data, uint64_t* size, EWSITransferSyntaxes* syntax,
                                                uint16_t* samplesPerPixel, uint16_t* bitsAllocated, uint16_t* width,
                                                uint16_t* height) const {
  return m_state && ReadSingle(m_state->Single(ImageFlavor::Thumbnail), data, size, syntax, samplesPerPixel,
                               bitsAllocated, width, height);
}

void CDirectorySource::SetPreReading(bool enabled) {
  if (m_state) m_state->SetPreReading(enabled);
}

bool CDirectorySource::PreLoadNextChunk(int32_t focus, int32_t level) {
  return !m_state || m_state->PreLoadNextChunk(focus, level);
}

long CDirectorySource::IsIncrementalMortonCode(bool* incremental) const {
  if (!incremental) return WSI_E_INVALIDARG;
  *incremental = false;
  return WSI_OK;
}

long CDirectorySource::GetUnreadableFiles(std::vector<std::u16string>* paths, std::vector<long>* codes,
                                          bool* largestLevelHidden) const {
  if (paths) paths->clear();
  if (codes) codes->clear();
  if (largestLevelHidden) *largestLevelHidden = m_state && m_state->Catalog().largestLevelHidden;
  if (!m_state) return WSI_OK;
  try {
    for (const auto& file : m_state->Catalog().unreadable) {
      if (paths) paths->push_back(dicominterop::ToUtf16(file.path));
      if (codes) codes->push_back(file.code);
    }
    return WSI_OK;
  } catch (const std::bad_alloc&) {
    return WSI_E_OUTOFMEMORY;
  }
}

long CDirectorySource::GetAnnotationInstance(CWSIAnnotations* annotations) const {
  if (!annotations) return WSI_E_INVALIDARG;
  try {
    auto sets = std::make_shared<std::vector<std::shared_ptr<const dicominterop::AnnotationSet>>>();
    if (m_state) {
      for (const auto& instance : m_state->Annotations()) sets->push_back(instance->annotations);
    }
    annotations->Assign(std::move(sets));
    return WSI_OK;
  } catch (const std::bad_alloc&) {
    return WSI_E_OUTOFMEMORY;
  }
}

long CDirectorySource::Close() {
  if (m_state) m_state->Close();
  return WSI_OK;
}
