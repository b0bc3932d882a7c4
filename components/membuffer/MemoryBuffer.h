// Memory-buffer class: IKLVMemoryBuffer over one block of bytes that the module fills with encoded
// tiles. Free-threaded: a spin lock guards size and loans (a raw tile takes it three times, held
// for a few instructions each, rarely contended: one buffer per host thread is the usual use);
// reallocating or destroying while a pointer is lent fails with E_ACCESSDENIED, so a borrower
// never writes freed memory.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>

#include <KLVInterfaces/KLVHostObjects.h>
#include "com_support/ComObject.h"

namespace Components {

class MemoryBuffer : public AutomationObject<MemoryBuffer, IKLVMemoryBuffer> {
 public:
  void* Find(REFIID riid);

  STDMETHOD(ReCreateWithAlloc)(LONG Size) override;
  STDMETHOD(ReCreateWithReAlloc)(LONG Size) override;
  STDMETHOD(Destroy)() override;
  STDMETHOD(GetSize)(LONG* pSize) override;
  STDMETHOD(RemoteGetPtr)(LONG* pSize, CHAR** pData) override;
  STDMETHOD(RemotePassPtr)(LONG* pSize, CHAR** pData) override;
  STDMETHOD(RemoteCancelPtr)(LONG* pSize, CHAR** pData) override;
  STDMETHOD(GetRAWArray)(SAFEARRAY** Data) override;
  STDMETHOD(SetRAWArray)(SAFEARRAY* Data) override;

 private:
  HRESULT Resize(LONG size, bool keepContents);  // m_busy held
  HRESULT TakeBack(LONG* pSize, CHAR** pData);

  class Guard;
  std::atomic_flag m_busy;            // the spin lock; guards every field below
  std::unique_ptr<CHAR[]> m_bytes;    // m_capacity bytes, the first m_size of them in use
  LONG m_size = 0;
  LONG m_capacity = 0;
  unsigned m_loans = 0;               // lent pointers not yet handed back
};

IKLVMemoryBuffer* CreateMemoryBuffer();  // one reference; null when out of memory

}  // namespace Components
