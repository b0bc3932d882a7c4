// The module object: lock count and cached class factories over the object map.
// Class factories live from their first request until the module is unloaded.
#include "RegistrationFreeComModule.h"

#include <objbase.h>

namespace ZorvelCom {

CKLVRegistrationFreeCOMModule::CKLVRegistrationFreeCOMModule(std::span<ObjectMapEntry> objectMap)
    : m_objectMap(objectMap) {
  m_initialised = true;
}

CKLVRegistrationFreeCOMModule::~CKLVRegistrationFreeCOMModule() {
  for (ObjectMapEntry& entry : m_objectMap) {
    void* encoded = entry.cachedClassFactory.exchange(nullptr);
    if (encoded != nullptr) static_cast<IUnknown*>(DecodePointer(encoded))->Release();
  }
}

HRESULT CKLVRegistrationFreeCOMModule::CreateCachedClassFactory(ObjectMapEntry& entry) {
  std::lock_guard lock(m_csClassFactory);
  if (entry.cachedClassFactory.load() != nullptr) return S_OK;
  IUnknown* factory = nullptr;
  const HRESULT hr = entry.createClassFactory(entry.createInstance, IID_IUnknown, reinterpret_cast<void**>(&factory));
  if (SUCCEEDED(hr)) entry.cachedClassFactory.store(EncodePointer(factory));
  return hr;
}

HRESULT CKLVRegistrationFreeCOMModule::GetClassObject(REFCLSID clsid, REFIID riid, void** ppv) {
  if (ppv == nullptr) return E_POINTER;
  *ppv = nullptr;
  if (!m_initialised) return E_UNEXPECTED;
  HRESULT hr = CLASS_E_CLASSNOTAVAILABLE;
  for (ObjectMapEntry& entry : m_objectMap) {
    if (entry.createClassFactory == nullptr || !IsEqualGUID(*entry.clsid, clsid)) continue;
    hr = entry.cachedClassFactory.load() == nullptr ? CreateCachedClassFactory(entry) : S_OK;
    if (SUCCEEDED(hr)) {
      void* encoded = entry.cachedClassFactory.load();
      if (encoded != nullptr) hr = static_cast<IUnknown*>(DecodePointer(encoded))->QueryInterface(riid, ppv);
    }
    break;
  }
  if (SUCCEEDED(hr) && *ppv == nullptr) hr = CLASS_E_CLASSNOTAVAILABLE;
  return hr;
}

}  // namespace ZorvelCom
