// Slide-access methods whose behaviour is not part of this build yet: region rendering.
// It answers E_NOTIMPL until it is built.
#include "DicomZorvelImpl.h"

STDMETHODIMP CDicomZorvelImpl::GetImage(LONG, LONG, LONG, LONG, LONG, LONG, LONG, LONG, IKLVBitmapImage*) {
  return E_NOTIMPL;
}
