// Slide-access methods whose behaviour is not part of this build yet: channel properties, single images,
// scan maps, region rendering and raw tiles. Each answers E_NOTIMPL until it is built.
#include "DicomZorvelImpl.h"

STDMETHODIMP CDicomZorvelImpl::GetChannelPropertyTags(VARIANT*, VARIANT*, VARIANT*) { return E_NOTIMPL; }

STDMETHODIMP CDicomZorvelImpl::GetChannelProperties(LONG, LONG, VARIANT*) { return E_NOTIMPL; }

STDMETHODIMP CDicomZorvelImpl::GetScanMap(LONG, IKLVBitmapImage*) { return E_NOTIMPL; }

STDMETHODIMP CDicomZorvelImpl::GetSingleImageTypes(VARIANT*, VARIANT*, VARIANT*) { return E_NOTIMPL; }

STDMETHODIMP CDicomZorvelImpl::GetSingleImagePropertyTags(LONG, VARIANT*, VARIANT*, VARIANT*) { return E_NOTIMPL; }

STDMETHODIMP CDicomZorvelImpl::GetSingleImageProperties(LONG, LONG, VARIANT*) { return E_NOTIMPL; }

STDMETHODIMP CDicomZorvelImpl::GetSingleImage(LONG, IKLVBitmapImage**) { return E_NOTIMPL; }

STDMETHODIMP CDicomZorvelImpl::GetImage(LONG, LONG, LONG, LONG, LONG, LONG, LONG, LONG, IKLVBitmapImage*) {
  return E_NOTIMPL;
}

STDMETHODIMP CDicomZorvelImpl::GetImageRaw(LONG, LONG, LONG, LONG, LONG, E_KLVImageType*, IKLVMemoryBuffer*) {
  return E_NOTIMPL;
}

STDMETHODIMP CDicomZorvelImpl::GetImageMaskRaw(LONG, LONG, LONG, LONG, E_KLVImageType*, IKLVMemoryBuffer*) {
  return E_NOTIMPL;
}

STDMETHODIMP CDicomZorvelImpl::GetImageRawBatch(LONG, LONG, LONG, LONG, LONG*, LONG*, IKLVMemoryBuffer**) {
  return E_NOTIMPL;
}

STDMETHODIMP CDicomZorvelImpl::GetImageMaskRawBatch(LONG, LONG, LONG, LONG, LONG*, LONG*, IKLVMemoryBuffer**) {
  return E_NOTIMPL;
}

STDMETHODIMP CDicomZorvelImpl::GetImageRawBatchSA(LONG, LONG, LONG, LONG, SAFEARRAY*, SAFEARRAY*, SAFEARRAY*) {
  return E_NOTIMPL;
}

STDMETHODIMP CDicomZorvelImpl::GetImageMaskRawBatchSA(LONG, LONG, LONG, LONG, SAFEARRAY*, SAFEARRAY*, SAFEARRAY*) {
  return E_NOTIMPL;
}

STDMETHODIMP CDicomZorvelImpl::GetScanMapRaw(LONG, IKLVBitmapImage*) { return E_NOTIMPL; }
