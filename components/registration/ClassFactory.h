// The class object of each component class: IClassFactory over a creation function.
// Free-threaded; aggregation is not supported (CLASS_E_NOAGGREGATION).
#pragma once

#include <unknwn.h>

#include "com_support/ComObject.h"

namespace Components {

class ClassFactory final : public ComObject<ClassFactory, IClassFactory> {
 public:
  using Creator = IUnknown* (*)();  // a new object with one reference, or null when out of memory
  explicit ClassFactory(Creator create) : m_create(create) {}

  void* Find(REFIID riid) {
    return riid == IID_IUnknown || riid == IID_IClassFactory ? static_cast<IClassFactory*>(this) : nullptr;
  }
  STDMETHOD(CreateInstance)(IUnknown* pUnkOuter, REFIID riid, void** ppvObject) override {
    if (ppvObject == nullptr) return E_POINTER;
    *ppvObject = nullptr;
    if (pUnkOuter != nullptr) return CLASS_E_NOAGGREGATION;
    IUnknown* object = m_create();
    if (object == nullptr) return E_OUTOFMEMORY;
    const HRESULT hr = object->QueryInterface(riid, ppvObject);
    object->Release();
    return hr;
  }
  STDMETHOD(LockServer)(BOOL) override { return S_OK; }

 private:
  Creator m_create;
};

}  // namespace Components
