// The in-process class registry behind CoRegisterClassObject / CoGetClassObject / CoCreateInstance,
// and per-thread COM initialisation. Process-wide, guarded by one mutex; class objects are
// called only outside it. The earliest live registration of a CLSID answers lookups.
#include <mutex>
#include <vector>

#include "com/builtin_classes.h"
#include "objbase.h"

namespace {

struct Registration {
  DWORD cookie;
  CLSID clsid;
  IUnknown* classObject;  // one reference held until revoked
  DWORD context;
  DWORD flags;
  bool used = false;  // REGCLS_SINGLEUSE registrations serve one lookup
};

class ClassRegistry {
 public:
  static ClassRegistry& Instance() {
    static ClassRegistry* registry = new ClassRegistry;  // never destroyed: used until process exit
    return *registry;
  }

  DWORD Add(REFCLSID clsid, IUnknown* classObject, DWORD context, DWORD flags) {
    classObject->AddRef();
    std::lock_guard lock(mutex_);
    const DWORD cookie = nextCookie_++;
    entries_.push_back({cookie, clsid, classObject, context, flags});
    return cookie;
  }

  // The removed class object, still holding the registry's reference, or null.
  IUnknown* Remove(DWORD cookie) {
    std::lock_guard lock(mutex_);
    for (auto it = entries_.begin(); it != entries_.end(); ++it) {
      if (it->cookie == cookie) {
        IUnknown* classObject = it->classObject;
        entries_.erase(it);
        return classObject;
      }
    }
    return nullptr;
  }

  // The class object with an added reference, or null.
  IUnknown* Find(REFCLSID clsid, DWORD context) {
    std::lock_guard lock(mutex_);
    for (auto& entry : entries_) {
      if (!IsEqualGUID(entry.clsid, clsid) || (entry.context & context) == 0) continue;
      if ((entry.flags & REGCLS_SUSPENDED) || entry.used) continue;
      if ((entry.flags & (REGCLS_MULTIPLEUSE | REGCLS_MULTI_SEPARATE)) == 0) entry.used = true;
      entry.classObject->AddRef();
      return entry.classObject;
    }
    return nullptr;
  }

  void Resume() {
    std::lock_guard lock(mutex_);
    for (auto& entry : entries_) entry.flags &= ~static_cast<DWORD>(REGCLS_SUSPENDED);
  }

 private:
  std::mutex mutex_;
  std::vector<Registration> entries_;  // registration order
  DWORD nextCookie_ = 1;
};

struct ThreadInitialisation {
  int count = 0;
  DWORD model = COINIT_MULTITHREADED;
};
thread_local ThreadInitialisation tlsInitialisation;

constexpr DWORD kApartmentFlags = COINIT_APARTMENTTHREADED;

}  // namespace

STDAPI CoInitializeEx(LPVOID, DWORD dwCoInit) {
  auto& state = tlsInitialisation;
  const DWORD model = dwCoInit & kApartmentFlags;
  if (state.count > 0 && state.model != model) return RPC_E_CHANGED_MODE;
  state.model = model;
  return state.count++ == 0 ? S_OK : S_FALSE;
}

STDAPI CoInitialize(LPVOID pvReserved) { return CoInitializeEx(pvReserved, COINIT_APARTMENTTHREADED); }

STDAPI_(void) CoUninitialize() {
  if (tlsInitialisation.count > 0) --tlsInitialisation.count;
}

STDAPI CoRegisterClassObject(REFCLSID rclsid, IUnknown* pUnk, DWORD dwClsContext, DWORD flags, LPDWORD lpdwRegister) {
  if (pUnk == nullptr || lpdwRegister == nullptr) return E_INVALIDARG;
  *lpdwRegister = ClassRegistry::Instance().Add(rclsid, pUnk, dwClsContext, flags);
  return S_OK;
}

STDAPI CoRevokeClassObject(DWORD dwRegister) {
  IUnknown* classObject = ClassRegistry::Instance().Remove(dwRegister);
  if (classObject == nullptr) return CO_E_OBJNOTREG;
  classObject->Release();
  return S_OK;
}

STDAPI CoResumeClassObjects() {
  ClassRegistry::Instance().Resume();
  return S_OK;
}

STDAPI CoGetClassObject(REFCLSID rclsid, DWORD dwClsContext, LPVOID, REFIID riid, LPVOID* ppv) {
  if (ppv == nullptr) return E_INVALIDARG;
  *ppv = nullptr;
  IUnknown* classObject = ClassRegistry::Instance().Find(rclsid, dwClsContext);
  if (classObject == nullptr) {
    return zplatform::com::GetBuiltinClassObject(rclsid, riid, ppv) ? S_OK : REGDB_E_CLASSNOTREG;
  }
  const HRESULT hr = classObject->QueryInterface(riid, ppv);
  classObject->Release();
  return hr;
}

STDAPI CoCreateInstance(REFCLSID rclsid, LPUNKNOWN pUnkOuter, DWORD dwClsContext, REFIID riid, LPVOID* ppv) {
  if (ppv == nullptr) return E_POINTER;
  *ppv = nullptr;
  IClassFactory* factory = nullptr;
  HRESULT hr = CoGetClassObject(rclsid, dwClsContext, nullptr, IID_IClassFactory, reinterpret_cast<void**>(&factory));
  if (FAILED(hr)) return hr;
  hr = factory->CreateInstance(pUnkOuter, riid, ppv);
  factory->Release();
  if (FAILED(hr)) *ppv = nullptr;
  return hr;
}
