// The module object of ZorvelDicom.so: lock count, class-object lookup over the object map with
// lazily created, cached class factories, and the global interface table.
// Thread-safe: the lock count is atomic; factory creation is checked twice, the second time locked.
#pragma once

#include <atomic>
#include <mutex>
#include <span>

#include <unknwn.h>
#include <zplatform/com_object.h>

struct IGlobalInterfaceTable;

namespace ZorvelCom {

using zplatform::com::InstanceCreator;
using ClassFactoryCreator = HRESULT (*)(InstanceCreator creator, REFIID riid, void** ppv);

// One creatable class. The cache cell holds the class factory in encoded form once created.
struct ObjectMapEntry {
  const CLSID* clsid;
  HRESULT (*updateRegistry)(BOOL registering);
  ClassFactoryCreator createClassFactory;  // null: the class has no class object
  InstanceCreator createInstance;
  std::atomic<void*> cachedClassFactory;  // EncodePointer of an IUnknown*; released at unload
  const char16_t* (*objectDescription)();
  const void* (*categoryMap)();
  void (*objectMain)(bool starting);
};

// A name and value for registry scripts; nothing is registered, so they have no effect.
struct RegistryReplacement {
  const char16_t* name;
  const char16_t* value;
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
  bool IsInitialised() const { return m_initialised; }

  // The class object of clsid asked for riid; the codes of DllGetClassObject, unreported.
  HRESULT GetClassObject(REFCLSID clsid, REFIID riid, void** ppv);
  HRESULT DllCanUnloadNow() const { return GetLockCount() == 0 ? S_OK : S_FALSE; }
  // The process's global interface table, created on first request; the caller gets a reference.
  HRESULT GetGITPtr(IGlobalInterfaceTable** ppGIT);
  static std::span<const RegistryReplacement> RegistryReplacements();

 private:
  HRESULT CreateCachedClassFactory(ObjectMapEntry& entry);

  std::atomic<LONG> m_lockCount{0};
  bool m_initialised = false;
  std::mutex m_csClassFactory;  // guards the creation of class factories
  std::mutex m_csGIT;           // guards the creation of the global interface table
  IGlobalInterfaceTable* m_pGIT = nullptr;
  std::span<ObjectMapEntry> m_objectMap;
};

// The module's one instance, constructed while the module is loaded.
CKLVRegistrationFreeCOMModule& ModuleInstance();

}  // namespace ZorvelCom
