// Interface map, construction and tear-down of the annotations class WSIAnnotations.
// Reports name this class header as their source.
#include "Annotations/WSIAnnotations.h"

#include <objbase.h>
#include <objidl.h>

#include "ModuleLog.h"

namespace {
constexpr const char16_t* kSource = u"WSIAnnotations.h";
constexpr int kLineFinalConstruct = 237;
}  // namespace

// The interface pointer that answers riid, or null.
void* ComWSIAnnotations::AnswerFor(REFIID riid) {
  if (riid == IID_ISeSlideFlagProvider || riid == IID_ISeSlideDataProvider || riid == IID_IDispatch) {
    return static_cast<ISeSlideFlagProvider*>(this);
  }
  if (riid == IID_ISeSlideDataRec || riid == IID_ISeSlideFlagDataRec) return static_cast<ISeSlideFlagDataRec*>(this);
  if (riid == IID_IKLVBinAnnotProviderSlideBase) return static_cast<IKLVBinAnnotProviderSlideBase*>(this);
  if (riid == IID_IKLVBinAnnotCollectionBase) return static_cast<IKLVBinAnnotCollectionBase*>(this);
  if (riid == IID_IKLVBinAnnotDataBase || riid == IID_IKLVBinAnnotDataBaseEx) {
    return static_cast<IKLVBinAnnotDataBaseEx*>(this);
  }
  if (riid == IID_IKLVBinAnnotProviderBase || riid == IID_IKLVBinAnnotProviderBaseEx) {
    return static_cast<IKLVBinAnnotProviderBaseEx*>(this);
  }
  if (riid == IID_IKLVBinAnnotShapeBase) return static_cast<IKLVBinAnnotShapeBase*>(this);
  if (riid == IID_IKLVBinAnnotGetterTMAMarker1) return static_cast<IKLVBinAnnotGetterTMAMarker1*>(this);
  if (riid == IID_IKLVBinAnnotGetterShapePoint1) return static_cast<IKLVBinAnnotGetterShapePoint1*>(this);
  if (riid == IID_IKLVBinAnnotSchemeProviderBase) return static_cast<IKLVBinAnnotSchemeProviderBase*>(this);
  if (riid == IID_IKLVBinAnnotDataSchemeBase) return static_cast<IKLVBinAnnotDataSchemeBase*>(this);
  if (riid == IID_IKLVBinAnnotFilterProviderBase) return static_cast<IKLVBinAnnotFilterProviderBase*>(this);
  if (riid == IID_IKLVBinAnnotFilterBase) return static_cast<IKLVBinAnnotFilterBase*>(this);
  return nullptr;
}

HRESULT ComWSIAnnotations::InternalQueryInterface(REFIID riid, void** ppv) {
  if (ppv == nullptr) return E_POINTER;
  *ppv = nullptr;
  if (void* answer = AnswerFor(riid)) {
    GetControllingUnknown()->AddRef();
    *ppv = answer;
    return S_OK;
  }
  if (riid == IID_IMarshal && m_pUnkMarshaler != nullptr) return m_pUnkMarshaler->QueryInterface(riid, ppv);
  return E_NOINTERFACE;
}

HRESULT ComWSIAnnotations::FinalConstruct() {
  const HRESULT hr = CoCreateFreeThreadedMarshaler(GetControllingUnknown(), &m_pUnkMarshaler);
  if (FAILED(hr)) SeGetErrorLogFile()->LogError(kSource, kLineFinalConstruct, hr, u"ComWSIAnnotations::FinalConstruct");
  return hr;
}

void ComWSIAnnotations::FinalRelease() {
  if (m_pUnkMarshaler != nullptr) m_pUnkMarshaler->Release();
  m_pUnkMarshaler = nullptr;
}

HRESULT ComWSIAnnotations::CreateBound(const CWSIAnnotations& source, double pixelWidth, double pixelHeight,
                                       ISeSlideFlagProvider** out) {
  ISeSlideFlagProvider* created = nullptr;
  const HRESULT hr = ZorvelCom::CreateComInstance<ComWSIAnnotations>(nullptr, IID_ISeSlideFlagProvider,
                                                                     reinterpret_cast<void**>(&created));
  if (FAILED(hr)) return hr;
  auto* object = static_cast<ComWSIAnnotations*>(created);
  try {
    object->m_source = source;
  } catch (...) {
    created->Release();
    return E_FAIL;
  }
  object->m_pixelWidth = pixelWidth;
  object->m_pixelHeight = pixelHeight;
  *out = created;
  return S_OK;
}
