// Slide-access methods whose behaviour is not part of this build yet: channel properties, single images,
// and scan maps. Each answers E_NOTIMPL until it is built.
#include "DicomZorvelImpl.h"

STDMETHODIMP CDicomZorvelImpl::GetChannelPropertyTags(VARIANT*, VARIANT*, VARIANT*) { return E_NOTIMPL; }

STDMETHODIMP CDicomZorvelImpl::GetChannelProperties(LONG, LONG, VARIANT*) { return E_NOTIMPL; }

STDMETHODIMP CDicomZorvelImpl::GetScanMap(LONG, IKLVBitmapImage*) { return E_NOTIMPL; }

STDMETHODIMP CDicomZorvelImpl::GetSingleImageTypes(VARIANT*, VARIANT*, VARIANT*) { return E_NOTIMPL; }

STDMETHODIMP CDicomZorvelImpl::GetSingleImagePropertyTags(LONG, VARIANT*, VARIANT*, VARIANT*) { return E_NOTIMPL; }

STDMETHODIMP CDicomZorvelImpl::GetSingleImageProperties(LONG, LONG, VARIANT*) { return E_NOTIMPL; }

STDMETHODIMP CDicomZorvelImpl::GetSingleImage(LONG, IKLVBitmapImage**) { return E_NOTIMPL; }
