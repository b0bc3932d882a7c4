// The module object of ZorvelDicom.so: lock count, and class-object lookup over the object map with
// lazily created, cached class factories.
// Thread-safe: the lock count is atomic; factory creation is checked twice, the second time locked.
#pragma once

#include <atomic>
#include <mutex>
#include <span>

#include <unknwn.h>
#include <zplatform/com_object.h>

namespace ZorvelCom {

using zplatform::com::InstanceCreator;
using ClassFactoryCreator = HRESULT (*)(InstanceCreator creator, REFIID riid, void** ppv);

// One creatable class. The cache cell holds the class factory in encoded form once created.
struct ObjectMapEntry {
  const CLSID* clsid;
  ClassFactoryCreator createClassFactory;  // null: the class has no class object
  InstanceCreator createInstance;
  std::atomic<void*> cachedClassFactory;  // EncodePointer of an IUnknown*; released at unload
};

class CKLVRegistrationFreeCOMModule {
 public:
  explicit CKLVRegistrationFreeCOMModule(std::span<ObjectMapEntry> objectMap);
  ~CKLVRegistrationFreeCOMModule();
  CKLVRegistrationFreeCOMModule(const CKLVRegistrationFreeCOMModule&) = delete;
  CKLVRegistrationFreeCOMModule& operator=(const CKLVRegistrationFreeCOMModule&) = delete;

  LONG Lock() { return ++m_lockCount; }
  LONG Unlock() { return --m_lockCount; }
  LONG GetLockCount() const { return m_lockCount.load(); }

  // The class object of clsid asked for riid; the codes of DllGetClassObject, unreported.
  HRESULT GetClassObject(REFCLSID clsid, REFIID riid, void** ppv);
  HRESULT DllCanUnloadNow() const { return GetLockCount() == 0 ? S_OK : S_FALSE; }

 private:
  HRESULT CreateCachedClassFactory(ObjectMapEntry& entry);

  std::atomic<LONG> m_lockCount{0};
  bool m_initialised = false;
  std::mutex m_csClassFactory;  // guards the creation of class factories
  std::span<ObjectMapEntry> m_objectMap;
};

// The module's one instance, constructed while the module is loaded.
CKLVRegistrationFreeCOMModule& ModuleInstance();

}  // namespace ZorvelCom
