// The standard class factory of the module's creatable classes: plain and aggregated creation,
// and server locks that keep the module loaded.
// Free-threaded; a factory held by a host (beyond the module's own cached reference) locks the module.
#pragma once

#include <atomic>

#include <unknwn.h>

#include "RegistrationFreeComModule.h"

namespace ZorvelCom {

class ClassFactory final : public IClassFactory {
 public:
  // Class-factory creator of the object map.
  static HRESULT Create(InstanceCreator createInstance, REFIID riid, void** ppv);

  STDMETHOD(QueryInterface)(REFIID riid, void** ppv) override;
  STDMETHOD_(ULONG, AddRef)() override;
  STDMETHOD_(ULONG, Release)() override;
  STDMETHOD(CreateInstance)(IUnknown* outer, REFIID riid, void** ppv) override;
  STDMETHOD(LockServer)(BOOL lock) override;

 private:
  explicit ClassFactory(InstanceCreator createInstance) : m_createInstance(createInstance) {}
  ~ClassFactory() = default;

  InstanceCreator m_createInstance;
  std::atomic<LONG> m_refCount{0};
};

}  // namespace ZorvelCom
