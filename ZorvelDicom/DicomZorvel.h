// CDicomZorvel, the creatable slide-access class KLVZorvelDICOM: its interface map and the
// free-threaded marshaler it aggregates; all state and methods are those of CDicomZorvelImpl.
// Free-threaded: interface pointers pass between apartments without proxies.
#pragma once

#include "DicomZorvelImpl.h"

class CDicomZorvel : public CDicomZorvelImpl {
 public:
  IUnknown* GetIdentityUnknown() { return static_cast<IKLVZorvel3*>(this); }
  HRESULT InternalQueryInterface(REFIID riid, void** ppv);

  HRESULT FinalConstruct();
  void FinalRelease();

 protected:
  ~CDicomZorvel() = default;

 private:
  IUnknown* m_pUnkMarshaler = nullptr;  // owned: the aggregated free-threaded marshaler
};
