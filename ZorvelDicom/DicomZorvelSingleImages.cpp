// Single images of the slide-access object (label, generated preview, overview): their directories,
// properties, encoded data and host bitmaps, read from the slide library into buffers this object
// owns until a bitmap or the encoded data has been handed out. Buffers are guarded by m_csSingleImages.
#include <cstring>
#include <limits>
#include <new>

#include <DicomInteropBase.h>
#include <KLVInterfaces/KLVHostObjects.h>
#include <objbase.h>

#include "DicomZorvelImpl.h"
#include "ModuleCodes.h"
#include "ModuleLog.h"
#include "Properties/PropertyValues.h"
#include "Properties/SingleImageTable.h"
#include "Properties/SlidePropertyRules.h"

namespace {

using namespace PropertyValues;
using namespace SingleImageTable;
using ModuleCodes::kImageNotAvailable;
using ModuleCodes::kLabelNotReadable;

constexpr const char16_t* kSource = u"DicomZorvel";
constexpr const char16_t* kGetProperties = u"CDicomZorvelImpl::GetSingleImageProperties";
constexpr const char16_t* kRead = u"CDicomZorvelImpl::ReadSingleImage";
constexpr const char16_t* kLoad = u"CDicomZorvelImpl::LoadSingleImage";
constexpr const char16_t* kGetSingleImage = u"CDicomZorvelImpl::GetSingleImage";
constexpr DWORD kAnyServerContext = 0x17;
constexpr LONG kEncodedDataTag = 51400;
constexpr LONG kExistingTag = 502;

constexpr SeErrorReporter Report{kSource};

bool IsSingleImageTag(LONG tag) { return tag == 303 || (tag >= 500 && tag <= 510) || tag == kEncodedDataTag; }

// Report lines of the three buffered types, in the order label, generated preview, overview.
struct TypeLines {
  int readForEncoded, readForProperty, load, convert, convertException;
};
constexpr TypeLines kTypeLines[] = {
    {2110, 2166, 3863, 3866, 3870}, {2114, 2206, 3881, 3884, 3888}, {2118, 2183, 3896, 3899, 3903}};

int BufferIndex(LONG type) { return type == kLabel ? 0 : type == kGeneratedPreview ? 1 : type == kOverview ? 2 : -1; }

using ROIGetter = long (CCommonWSIMetadata::*)(int32_t*) const;
constexpr ROIGetter kRoiGetters[] = {
    &CCommonWSIMetadata::GetWholeSlidePreviewRoiLeft,  &CCommonWSIMetadata::GetWholeSlidePreviewRoiTop,
    &CCommonWSIMetadata::GetWholeSlidePreviewRoiRight, &CCommonWSIMetadata::GetWholeSlidePreviewRoiBottom,
    &CCommonWSIMetadata::GetWholeSlideBarcodeRoiLeft,  &CCommonWSIMetadata::GetWholeSlideBarcodeRoiTop,
    &CCommonWSIMetadata::GetWholeSlideBarcodeRoiRight, &CCommonWSIMetadata::GetWholeSlideBarcodeRoiBottom};

}  // namespace

STDMETHODIMP CDicomZorvelImpl::GetSingleImageTypes(VARIANT* SingTypeArray, VARIANT* SingTypeNameArray,
                                                   VARIANT* SingTypeDescArray) {
  const HRESULT hr = BuildPropertyTagList(TypeRows(), SingTypeArray, SingTypeNameArray, SingTypeDescArray);
  if (FAILED(hr)) return Report(2073, hr, u"CDicomZorvelImpl::GetSingleImageTypes");
  return S_OK;
}

STDMETHODIMP CDicomZorvelImpl::GetSingleImagePropertyTags(LONG, VARIANT* PropTagArray, VARIANT* PropTagNameArray,
                                                          VARIANT* PropTagDescArray) {
  const HRESULT hr = BuildPropertyTagList(PropertyRows(), PropTagArray, PropTagNameArray, PropTagDescArray);
  if (FAILED(hr)) return Report(2084, hr, u"CDicomZorvelImpl::GetSingleImagePropertyTags");
  return S_OK;
}

CDicomZorvelImpl::SingleImageBuffer* CDicomZorvelImpl::SingleImageFor(LONG type) {
  const int index = BufferIndex(type);
  return index < 0 ? nullptr : &m_singleImages[index];
}

void CDicomZorvelImpl::ReleaseSingleImages() {
  std::lock_guard images(m_csSingleImages);
  for (SingleImageBuffer& buffer : m_singleImages) buffer = SingleImageBuffer{};
}

// Loads the type's encoded data from the slide library unless it is loaded. m_csSingleImages held.
HRESULT CDicomZorvelImpl::ReadSingleImage(LONG type) {
  if (type == kOriginalPreview) return Report(3967, kImageNotAvailable, kRead);
  SingleImageBuffer* buffer = SingleImageFor(type);
  if (buffer == nullptr) return Report(3921, E_INVALIDARG, kRead);
  if (buffer->Loaded()) return S_OK;
  static constexpr int kSourceLines[] = {3933, 3975, 3952};
  std::lock_guard slide(m_csSlide);
  const HRESULT hr = CreateDicomSource();
  if (FAILED(hr)) return Report(kSourceLines[BufferIndex(type)], hr, kRead);
  uint8_t* data = nullptr;
  char16_t* labelText = nullptr;
  SingleImageBuffer read;
  DicomInteropDefines::EWSITransferSyntaxes syntax{};
  bool found = false;
  if (type == kLabel) {
    found = m_spDirectorySource->GetLabelImage(&data, &read.size, &syntax, &read.samplesPerPixel, &read.bitsAllocated,
                                               &read.width, &read.height, &labelText);
    CDicomInteropBase::Free(labelText);
  } else {
    found = (m_spDirectorySource.get()->*(type == kOverview ? &CDirectorySource::GetOverviewImage
                                                            : &CDirectorySource::GetGeneratedPreviewImage))(
        &data, &read.size, &syntax, &read.samplesPerPixel, &read.bitsAllocated, &read.width, &read.height);
  }
  read.data = CDicomInteropBase::DeleteDelegatorPtr<uint8_t>(data);
  read.syntax = syntax;
  if (!found || !read.Loaded()) return type == kOverview ? kImageNotAvailable : kLabelNotReadable;
  *buffer = read;
  return S_OK;
}

// The type's image as a new host bitmap. Takes m_csSingleImages.
HRESULT CDicomZorvelImpl::LoadSingleImage(LONG type, IKLVBitmapImage*& bitmap) {
  const int index = BufferIndex(type);
  if (type == kOriginalPreview) return Report(3874, kImageNotAvailable, kLoad);
  if (index < 0) return Report(3852, E_INVALIDARG, kLoad);
  const TypeLines& lines = kTypeLines[index];
  std::lock_guard images(m_csSingleImages);
  HRESULT hr = ReadSingleImage(type);
  if (FAILED(hr)) return Report(lines.load, hr, kLoad);
  try {
    hr = ConvertSingleImage(m_singleImages[index], bitmap);
  } catch (...) {
    return Report(lines.convertException, type == kLabel ? kLabelNotReadable : kImageNotAvailable, kLoad);
  }
  if (FAILED(hr)) return Report(lines.convert, hr, kLoad);
  return S_OK;
}

// Decodes an encoded buffer into a new host bitmap. The buffer's size is checked against its
// dimensions before an uncompressed image is read.
HRESULT CDicomZorvelImpl::ConvertSingleImage(const SingleImageBuffer& buffer, IKLVBitmapImage*& bitmap) {
  constexpr const char16_t* kConvert = u"CDicomZorvelImpl::ConvertSingleImage";
  HRESULT hr = CreateDicomSource();
  if (FAILED(hr)) return Report(3825, hr, kConvert);
  IKLVBitmapImage* created = nullptr;
  hr = CoCreateInstance(CLSID_KLVBitmapImage, nullptr, kAnyServerContext, IID_IKLVBitmapImage,
                        reinterpret_cast<void**>(&created));
  if (FAILED(hr)) return Report(3828, hr, kConvert);
  if (buffer.syntax >= 0 && buffer.syntax <= 2) {
    // Grey or colour samples of 8 or 16 bits only: other layouts would leave the bitmap unwritten.
    const bool layout = (buffer.samplesPerPixel == 1 || buffer.samplesPerPixel == 3) &&
                        (buffer.bitsAllocated == 8 || buffer.bitsAllocated == 16);
    const uint64_t needed = uint64_t{buffer.width} * buffer.height * buffer.samplesPerPixel * (buffer.bitsAllocated / 8);
    hr = !layout || needed == 0 || buffer.size < needed
             ? E_FAIL
             : DicomGeneralUtils::CDicomImageDecoder::DecodeUncompressed(
                   buffer.data.get(), buffer.width, buffer.height, buffer.samplesPerPixel, buffer.bitsAllocated, created);
    if (FAILED(hr)) Report(3832, hr, kConvert);
  } else {
    DicomGeneralUtils::CDicomImageDecoder decoder(buffer.syntax);
    hr = buffer.size > std::numeric_limits<ULONG>::max()
             ? E_OUTOFMEMORY
             : decoder.Decode(buffer.data.get(), static_cast<ULONG>(buffer.size), buffer.samplesPerPixel, created);
    if (FAILED(hr)) Report(3836, hr, kConvert);
  }
  if (FAILED(hr)) {
    created->Release();
    return hr;
  }
  bitmap = created;
  return S_OK;
}

STDMETHODIMP CDicomZorvelImpl::GetSingleImage(LONG ImageType, IKLVBitmapImage** pPicture) {
  if (pPicture == nullptr) return Report(2303, E_POINTER, kGetSingleImage);
  IKLVBitmapImage* bitmap = nullptr;
  HRESULT hr = LoadSingleImage(ImageType, bitmap);
  if (FAILED(hr)) return Report(2301, hr, kGetSingleImage);
  hr = bitmap->QueryInterface(IID_IKLVBitmapImage, reinterpret_cast<void**>(pPicture));
  bitmap->Release();
  if (FAILED(hr)) return Report(2303, hr, kGetSingleImage);
  // A later request reads the image again from the slide.
  std::lock_guard images(m_csSingleImages);
  *SingleImageFor(ImageType) = SingleImageBuffer{};
  return S_OK;
}

STDMETHODIMP CDicomZorvelImpl::GetSingleImageProperties(LONG ImageType, LONG SingImagePropTag,
                                                        VARIANT* SingImageProperty) {
  if (!IsSingleImageTag(SingImagePropTag)) return Report(2097, E_INVALIDARG, kGetProperties);
  try {
    VARIANT value;
    VariantInit(&value);
    std::lock_guard images(m_csSingleImages);
    const HRESULT hr = SingImagePropTag == kEncodedDataTag ? ReadEncodedSingleImage(ImageType, value)
                                                          : ReadSingleImageProperty(ImageType, SingImagePropTag, value);
    if (FAILED(hr)) return hr;
    if (SingImageProperty == nullptr) {
      VariantClear(&value);
      return S_OK;
    }
    VariantClear(SingImageProperty);
    *SingImageProperty = value;
    return S_OK;
  } catch (const std::bad_alloc&) {
    return Report(2097, E_OUTOFMEMORY, kGetProperties);
  } catch (...) {
    return Report(2097, E_FAIL, kGetProperties);
  }
}

// The encoded data as an array of bytes; the buffer is released once it is copied. m_csSingleImages held.
HRESULT CDicomZorvelImpl::ReadEncodedSingleImage(LONG type, VARIANT& value) {
  if (type == kOriginalPreview) return Report(2126, E_INVALIDARG, kGetProperties);
  const int index = BufferIndex(type);
  if (index < 0) return S_OK;
  HRESULT hr = ReadSingleImage(type);
  if (FAILED(hr)) return Report(kTypeLines[index].readForEncoded, hr, kGetProperties);
  SingleImageBuffer& buffer = m_singleImages[index];
  if (buffer.size > std::numeric_limits<ULONG>::max()) return Report(2142, E_OUTOFMEMORY, kGetProperties);
  SAFEARRAY* array = SafeArrayCreateVector(VT_UI1, 0, static_cast<ULONG>(buffer.size));
  if (array == nullptr) return Report(2142, E_OUTOFMEMORY, kGetProperties);
  void* bytes = nullptr;
  hr = SafeArrayAccessData(array, &bytes);
  if (FAILED(hr)) {
    SafeArrayDestroy(array);
    return Report(2144, hr, kGetProperties);
  }
  std::memcpy(bytes, buffer.data.get(), buffer.size);
  hr = SafeArrayUnaccessData(array);
  if (FAILED(hr)) {
    SafeArrayDestroy(array);
    return Report(2146, hr, kGetProperties);
  }
  value.vt = VT_ARRAY | VT_UI1;
  value.parray = array;
  buffer = SingleImageBuffer{};
  return S_OK;
}

// Tags 303 and 500 to 510 of one image type. m_csSingleImages held.
HRESULT CDicomZorvelImpl::ReadSingleImageProperty(LONG type, LONG tag, VARIANT& value) {
  const int index = BufferIndex(type);
  if (index < 0) {
    if (tag == kExistingTag) SetBool(value, false);
    return type == kOriginalPreview && tag != kExistingTag ? Report(2195, E_INVALIDARG, kGetProperties) : S_OK;
  }
  SingleImageBuffer& buffer = m_singleImages[index];
  if (buffer.width == 0) {
    const HRESULT hr = ReadSingleImage(type);
    if (FAILED(hr) && tag == kExistingTag) {
      SetBool(value, false);
      return S_OK;
    }
    if (FAILED(hr)) return Report(kTypeLines[index].readForProperty, hr, kGetProperties);
  }
  switch (tag) {
    case 500: SetI4(value, buffer.width); return S_OK;
    case 501: SetI4(value, buffer.height); return S_OK;
    case kExistingTag: SetBool(value, true); return S_OK;
    case 303: {
      const char16_t* name = SlidePropertyRules::CompressionTypeName(buffer.syntax);
      if (name == nullptr) return Report(2233, E_INVALIDARG, kGetProperties);
      return SetText(value, name);
    }
    default: return ReadSingleImageRoi(tag, value);
  }
}

// Tags 503 to 510: the preview and barcode regions of the metadata, EMPTY when not stored.
HRESULT CDicomZorvelImpl::ReadSingleImageRoi(LONG tag, VARIANT& value) {
  if (tag < 503 || tag > 510) return Report(2285, E_INVALIDARG, kGetProperties);
  std::lock_guard slide(m_csSlide);
  if (m_pCurrentZoomImage == nullptr && FAILED(OpenCurrentZoomImage())) return S_OK;
  int32_t coordinate = 0;
  if ((m_metadata.*kRoiGetters[tag - 503])(&coordinate) == 0) SetI4(value, coordinate);
  return S_OK;
}
