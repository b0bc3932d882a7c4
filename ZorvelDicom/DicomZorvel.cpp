// Interface map, construction and tear-down of the creatable slide-access class.
// Reports name this class header as their source.
#include "DicomZorvel.h"

#include <objbase.h>
#include <objidl.h>

#include "ModuleLog.h"

namespace {
constexpr const char16_t* kSource = u"DicomZorvel.h";
constexpr int kLineFinalConstruct = 313;
}  // namespace

HRESULT CDicomZorvel::InternalQueryInterface(REFIID riid, void** ppv) {
  if (ppv == nullptr) return E_POINTER;
  *ppv = nullptr;
  if (IsEqualGUID(riid, IID_IKLVZorvel) || IsEqualGUID(riid, IID_IKLVZorvel2) ||
      IsEqualGUID(riid, IID_IKLVZorvel3) || IsEqualGUID(riid, IID_IDispatch)) {
    IKLVZorvel3* answer = this;
    answer->AddRef();
    *ppv = answer;
    return S_OK;
  }
  if (IsEqualGUID(riid, IID_IMarshal) && m_pUnkMarshaler != nullptr) {
    return m_pUnkMarshaler->QueryInterface(riid, ppv);
  }
  return E_NOINTERFACE;
}

HRESULT CDicomZorvel::FinalConstruct() {
  const HRESULT hr = CoCreateFreeThreadedMarshaler(GetControllingUnknown(), &m_pUnkMarshaler);
  if (FAILED(hr)) {
    SeGetErrorLogFile()->LogError(kSource, kLineFinalConstruct, hr, u"CDicomZorvel::FinalConstruct");
    return hr;
  }
  return CDicomZorvelImpl::FinalConstruct();
}

void CDicomZorvel::FinalRelease() {
  CDicomZorvelImpl::FinalRelease();
  if (m_pUnkMarshaler != nullptr) m_pUnkMarshaler->Release();
  m_pUnkMarshaler = nullptr;
}
