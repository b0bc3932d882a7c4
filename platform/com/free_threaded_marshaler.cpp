// The free-threaded marshaler: an aggregatable object answering IMarshal that passes interface
// pointers between threads of this process as raw pointers (the packet holds a reference).
// Contexts outside the process are not available on this platform: they fail with E_NOTIMPL.
#include <atomic>
#include <cstring>

#include "objbase.h"

namespace {

struct MarshalPacket {
  DWORD flags;     // MSHLFLAGS of the marshalling
  DWORD reserved;
  IUnknown* object;  // holds one reference until unmarshalled (normal) or released
};

bool IsInProcess(DWORD context) { return context == MSHCTX_INPROC || context == MSHCTX_CROSSCTX; }

HRESULT ReadPacket(IStream* stream, MarshalPacket* packet) {
  if (stream == nullptr) return E_INVALIDARG;
  ULONG read = 0;
  const HRESULT hr = stream->Read(packet, sizeof *packet, &read);
  if (FAILED(hr)) return hr;
  return read == sizeof *packet && packet->object != nullptr ? S_OK : STG_E_READFAULT;
}

class FreeThreadedMarshaler final : public IMarshal {
 public:
  explicit FreeThreadedMarshaler(IUnknown* outer) : inner_(this), controlling_(outer != nullptr ? outer : &inner_) {}

  IUnknown* Inner() { return &inner_; }

  STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override { return controlling_->QueryInterface(riid, ppv); }
  STDMETHODIMP_(ULONG) AddRef() override { return controlling_->AddRef(); }
  STDMETHODIMP_(ULONG) Release() override { return controlling_->Release(); }

  STDMETHODIMP GetUnmarshalClass(REFIID, void*, DWORD dwDestContext, void*, DWORD, CLSID* pCid) override {
    if (pCid == nullptr) return E_INVALIDARG;
    if (!IsInProcess(dwDestContext)) return E_NOTIMPL;
    *pCid = CLSID_InProcFreeMarshaler;
    return S_OK;
  }
  STDMETHODIMP GetMarshalSizeMax(REFIID, void*, DWORD dwDestContext, void*, DWORD, DWORD* pSize) override {
    if (pSize == nullptr) return E_INVALIDARG;
    if (!IsInProcess(dwDestContext)) return E_NOTIMPL;
    *pSize = sizeof(MarshalPacket);
    return S_OK;
  }
  STDMETHODIMP MarshalInterface(IStream* pStm, REFIID riid, void* pv, DWORD dwDestContext, void*,
                                DWORD mshlflags) override {
    if (pStm == nullptr || pv == nullptr) return E_INVALIDARG;
    if (!IsInProcess(dwDestContext)) return E_NOTIMPL;
    MarshalPacket packet{mshlflags, 0, nullptr};
    HRESULT hr = static_cast<IUnknown*>(pv)->QueryInterface(riid, reinterpret_cast<void**>(&packet.object));
    if (FAILED(hr)) return hr;
    ULONG written = 0;
    hr = pStm->Write(&packet, sizeof packet, &written);
    if (FAILED(hr) || written != sizeof packet) {
      packet.object->Release();
      return FAILED(hr) ? hr : STG_E_READFAULT;
    }
    return S_OK;
  }
  STDMETHODIMP UnmarshalInterface(IStream* pStm, REFIID riid, void** ppv) override {
    if (ppv == nullptr) return E_INVALIDARG;
    *ppv = nullptr;
    MarshalPacket packet;
    const HRESULT hr = ReadPacket(pStm, &packet);
    if (FAILED(hr)) return hr;
    const HRESULT queried = packet.object->QueryInterface(riid, ppv);
    if (packet.flags == MSHLFLAGS_NORMAL) packet.object->Release();  // a normal packet is consumed once
    return queried;
  }
  STDMETHODIMP ReleaseMarshalData(IStream* pStm) override {
    MarshalPacket packet;
    const HRESULT hr = ReadPacket(pStm, &packet);
    if (FAILED(hr)) return hr;
    packet.object->Release();
    return S_OK;
  }
  STDMETHODIMP DisconnectObject(DWORD) override { return S_OK; }

 private:
  // The non-delegating IUnknown that owns the object's lifetime.
  class NonDelegating final : public IUnknown {
   public:
    explicit NonDelegating(FreeThreadedMarshaler* owner) : owner_(owner) {}
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
      if (ppv == nullptr) return E_POINTER;
      if (IsEqualGUID(riid, IID_IUnknown)) {
        *ppv = static_cast<IUnknown*>(this);
      } else if (IsEqualGUID(riid, IID_IMarshal)) {
        *ppv = static_cast<IMarshal*>(Owner());
      } else {
        *ppv = nullptr;
        return E_NOINTERFACE;
      }
      static_cast<IUnknown*>(*ppv)->AddRef();
      return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++refs_; }
    STDMETHODIMP_(ULONG) Release() override {
      const ULONG left = --refs_;
      if (left == 0) delete Owner();
      return left;
    }

   private:
    FreeThreadedMarshaler* Owner() { return owner_; }
    FreeThreadedMarshaler* owner_;
    std::atomic<ULONG> refs_{1};
  };

  NonDelegating inner_;
  IUnknown* controlling_;
};

}  // namespace

STDAPI CoCreateFreeThreadedMarshaler(LPUNKNOWN punkOuter, LPUNKNOWN* ppunkMarshal) {
  if (ppunkMarshal == nullptr) return E_INVALIDARG;
  auto* marshaler = new (std::nothrow) FreeThreadedMarshaler(punkOuter);
  *ppunkMarshal = marshaler != nullptr ? marshaler->Inner() : nullptr;
  return marshaler != nullptr ? S_OK : E_OUTOFMEMORY;
}
