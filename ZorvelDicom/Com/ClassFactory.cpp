// The standard class factory. The module's cache holds the first reference; every further
// reference (a host's) holds one module lock, as a server lock does.
#include "Com/ClassFactory.h"

#include <new>

namespace ZorvelCom {

HRESULT ClassFactory::Create(InstanceCreator createInstance, REFIID riid, void** ppv) {
  if (ppv == nullptr) return E_POINTER;
  *ppv = nullptr;
  auto* factory = new (std::nothrow) ClassFactory(createInstance);
  if (factory == nullptr) return E_OUTOFMEMORY;
  factory->AddRef();
  const HRESULT hr = factory->QueryInterface(riid, ppv);
  factory->Release();
  return hr;
}

STDMETHODIMP ClassFactory::QueryInterface(REFIID riid, void** ppv) {
  if (ppv == nullptr) return E_POINTER;
  if (IsEqualGUID(riid, IID_IUnknown) || IsEqualGUID(riid, IID_IClassFactory)) {
    *ppv = static_cast<IClassFactory*>(this);
    AddRef();
    return S_OK;
  }
  *ppv = nullptr;
  return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) ClassFactory::AddRef() {
  const LONG count = ++m_refCount;
  if (count == 2) ModuleInstance().Lock();
  return static_cast<ULONG>(count);
}

STDMETHODIMP_(ULONG) ClassFactory::Release() {
  const LONG count = --m_refCount;
  if (count == 1) ModuleInstance().Unlock();
  if (count == 0) delete this;
  return static_cast<ULONG>(count);
}

STDMETHODIMP ClassFactory::CreateInstance(IUnknown* outer, REFIID riid, void** ppv) {
  return m_createInstance(outer, riid, ppv);
}

STDMETHODIMP ClassFactory::LockServer(BOOL lock) {
  if (lock) {
    ModuleInstance().Lock();
  } else {
    ModuleInstance().Unlock();
  }
  return S_OK;
}

}  // namespace ZorvelCom
