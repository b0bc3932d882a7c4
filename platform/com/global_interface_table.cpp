// The standard global interface table: interface pointers registered under cookies so any thread
// can fetch them. Process-wide, created on first use; each entry holds one reference until revoked.
#include <atomic>
#include <map>
#include <mutex>

#include "com/builtin_classes.h"

namespace {

class GlobalTable final : public IGlobalInterfaceTable {
 public:
  STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
    if (ppv == nullptr) return E_POINTER;
    if (!IsEqualGUID(riid, IID_IUnknown) && !IsEqualGUID(riid, IID_IGlobalInterfaceTable)) {
      *ppv = nullptr;
      return E_NOINTERFACE;
    }
    *ppv = static_cast<IGlobalInterfaceTable*>(this);
    return S_OK;
  }
  // The table lives for the whole process, like the system's.
  STDMETHODIMP_(ULONG) AddRef() override { return 2; }
  STDMETHODIMP_(ULONG) Release() override { return 1; }

  STDMETHODIMP RegisterInterfaceInGlobal(IUnknown* pUnk, REFIID riid, DWORD* pdwCookie) override {
    if (pUnk == nullptr || pdwCookie == nullptr) return E_INVALIDARG;
    pUnk->AddRef();
    std::lock_guard lock(mutex_);
    *pdwCookie = nextCookie_++;
    entries_[*pdwCookie] = {pUnk, riid};
    return S_OK;
  }
  STDMETHODIMP RevokeInterfaceFromGlobal(DWORD dwCookie) override {
    IUnknown* object = nullptr;
    {
      std::lock_guard lock(mutex_);
      const auto it = entries_.find(dwCookie);
      if (it == entries_.end()) return E_INVALIDARG;
      object = it->second.object;
      entries_.erase(it);
    }
    object->Release();
    return S_OK;
  }
  STDMETHODIMP GetInterfaceFromGlobal(DWORD dwCookie, REFIID riid, void** ppv) override {
    if (ppv == nullptr) return E_INVALIDARG;
    *ppv = nullptr;
    IUnknown* object = nullptr;
    {
      std::lock_guard lock(mutex_);
      const auto it = entries_.find(dwCookie);
      if (it == entries_.end()) return E_INVALIDARG;
      object = it->second.object;
      object->AddRef();
    }
    const HRESULT hr = object->QueryInterface(riid, ppv);
    object->Release();
    return hr;
  }

 private:
  struct Entry {
    IUnknown* object;
    IID iid;
  };
  std::mutex mutex_;
  std::map<DWORD, Entry> entries_;
  DWORD nextCookie_ = 0x100;
};

// Class object of the built-in classes; static, so reference counting is a formality.
class BuiltinFactory final : public IClassFactory {
 public:
  explicit BuiltinFactory(bool globalTable) : globalTable_(globalTable) {}
  STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
    if (ppv == nullptr) return E_POINTER;
    if (!IsEqualGUID(riid, IID_IUnknown) && !IsEqualGUID(riid, IID_IClassFactory)) {
      *ppv = nullptr;
      return E_NOINTERFACE;
    }
    *ppv = static_cast<IClassFactory*>(this);
    return S_OK;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return 2; }
  STDMETHODIMP_(ULONG) Release() override { return 1; }
  STDMETHODIMP CreateInstance(IUnknown* pUnkOuter, REFIID riid, void** ppvObject) override {
    if (ppvObject == nullptr) return E_POINTER;
    *ppvObject = nullptr;
    if (pUnkOuter != nullptr) return CLASS_E_NOAGGREGATION;
    if (globalTable_) return zplatform::com::GlobalInterfaceTable()->QueryInterface(riid, ppvObject);
    IUnknown* marshaler = nullptr;
    HRESULT hr = CoCreateFreeThreadedMarshaler(nullptr, &marshaler);
    if (FAILED(hr)) return hr;
    hr = marshaler->QueryInterface(riid, ppvObject);
    marshaler->Release();
    return hr;
  }
  STDMETHODIMP LockServer(BOOL) override { return S_OK; }

 private:
  bool globalTable_;
};

}  // namespace

namespace zplatform::com {

IGlobalInterfaceTable* GlobalInterfaceTable() {
  static GlobalTable* table = new GlobalTable;  // never destroyed: entries may be revoked at exit
  return table;
}

bool GetBuiltinClassObject(REFCLSID rclsid, REFIID riid, void** ppv) {
  static BuiltinFactory globalTableFactory(true);
  static BuiltinFactory unmarshalerFactory(false);
  BuiltinFactory* factory = IsEqualGUID(rclsid, CLSID_StdGlobalInterfaceTable) ? &globalTableFactory
                            : IsEqualGUID(rclsid, CLSID_InProcFreeMarshaler)   ? &unmarshalerFactory
                                                                               : nullptr;
  if (factory == nullptr) return false;
  if (FAILED(factory->QueryInterface(riid, ppv))) *ppv = nullptr;
  return true;
}

}  // namespace zplatform::com
