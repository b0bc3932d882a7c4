// Registers the component classes when libZorvelComponents.so is loaded and revokes them when it
// is unloaded. Registrations made earlier by a host keep precedence (the registry answers lookups
// with the earliest live registration).
#include <objbase.h>

#include <iterator>
#include <mutex>
#include <new>

#include "KLVComponents.h"
#include "bitmap/BitmapImage.h"
#include "codec_com/CodecObject.h"
#include "membuffer/MemoryBuffer.h"

namespace Components {
namespace {

using ClassFactory = zplatform::com::ClassFactory<zplatform::com::NoServerLock>;

struct ClassEntry {
  const CLSID* clsid;
  zplatform::com::InstanceCreator create;
};

const ClassEntry kClasses[] = {
    {&CLSID_KLVJpegCodec, &CreateUnaggregatedInstance<JpegCodecObject>},
    {&CLSID_KLVJpeg2000Codec, &CreateUnaggregatedInstance<Jpeg2000CodecObject>},
    {&CLSID_KLVBitmapImage, &CreateUnaggregatedInstance<BitmapImage>},
    {&CLSID_KLVMemoryBuffer, &CreateUnaggregatedInstance<MemoryBuffer>},
};

// Owns the registrations for the lifetime of the library.
class Registrations {
 public:
  HRESULT RegisterAll() {
    std::call_once(m_once, [this] { m_result = Add(); });
    return m_result;
  }
  ~Registrations() {
    for (DWORD cookie : m_cookies) {
      if (cookie != 0) CoRevokeClassObject(cookie);
    }
  }

 private:
  HRESULT Add() {
    HRESULT first = S_OK;
    for (std::size_t i = 0; i < std::size(kClasses); ++i) {
      IUnknown* factory = nullptr;
      HRESULT hr = ClassFactory::Create(kClasses[i].create, IID_IUnknown, reinterpret_cast<void**>(&factory));
      if (SUCCEEDED(hr)) {
        hr = CoRegisterClassObject(*kClasses[i].clsid, factory, CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE,
                                   &m_cookies[i]);
        factory->Release();  // the registry keeps its own reference
      }
      if (FAILED(hr) && SUCCEEDED(first)) first = hr;
    }
    return first;
  }

  std::once_flag m_once;
  HRESULT m_result = E_UNEXPECTED;
  DWORD m_cookies[std::size(kClasses)] = {};
};

Registrations& TheRegistrations() {
  static Registrations registrations;
  return registrations;
}

// Registration at load time: the module and hosts find the classes without calling anything.
const HRESULT kRegisteredAtLoad = TheRegistrations().RegisterAll();

}  // namespace
}  // namespace Components

extern "C" HRESULT ZorvelComponentsRegister() { return Components::TheRegistrations().RegisterAll(); }
