// Loading libZorvelComponents.so registers its four classes; a class a host registered before the
// load keeps answering. The library is loaded with dlopen, as the module's host loads it.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <objbase.h>

#include <KLVInterfaces/KLVImageCodec.h>
#include <KLVInterfaces/KLVHostObjects.h>
#include "KLVComponents.h"
#include <zplatform/com_ptr.h>

namespace Components::Testing {
namespace {

// Stands in for a host's own bitmap class: creates nothing, answers a recognisable code.
struct HostBitmapFactory final : IClassFactory {
  STDMETHOD(QueryInterface)(REFIID riid, void** ppv) override {
    if (ppv == nullptr) return E_POINTER;
    *ppv = riid == IID_IUnknown || riid == IID_IClassFactory ? this : nullptr;
    return *ppv != nullptr ? S_OK : E_NOINTERFACE;
  }
  STDMETHOD_(ULONG, AddRef)() override { return 2; }
  STDMETHOD_(ULONG, Release)() override { return 1; }
  STDMETHOD(CreateInstance)(IUnknown*, REFIID, void** ppv) override {
    *ppv = nullptr;
    return kHostAnswer;
  }
  STDMETHOD(LockServer)(BOOL) override { return S_OK; }
  static constexpr HRESULT kHostAnswer = static_cast<HRESULT>(0x80041234);
};

template <typename T>
HRESULT Create(REFCLSID clsid, REFIID iid, ComPtr<T>& out) {
  void* p = nullptr;
  const HRESULT hr = CoCreateInstance(clsid, nullptr, CLSCTX_ALL, iid, &p);
  out.Reset(static_cast<T*>(p));
  return hr;
}

TEST(RegistrationTest, LoadingRegistersTheClassesAfterTheHostsOwn) {
  ComPtr<IUnknown> none;
  ASSERT_EQ(Create(CLSID_KLVJpegCodec, IID_IKLVImageCodec, none), REGDB_E_CLASSNOTREG);
  HostBitmapFactory host;
  DWORD cookie = 0;
  ASSERT_EQ(CoRegisterClassObject(CLSID_KLVBitmapImage, &host, CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, &cookie),
            S_OK);

  void* library = dlopen(ZORVEL_COMPONENTS_LIBRARY, RTLD_NOW | RTLD_LOCAL);
  ASSERT_NE(library, nullptr) << dlerror();

  ComPtr<IKLVImageCodec> jpeg, jp2k;
  EXPECT_EQ(Create(CLSID_KLVJpegCodec, IID_IKLVImageCodec, jpeg), S_OK);
  EXPECT_EQ(Create(CLSID_KLVJpeg2000Codec, IID_IKLVImageCodec, jp2k), S_OK);
  ComPtr<IKLVMemoryBuffer> buffer;
  EXPECT_EQ(Create(CLSID_KLVMemoryBuffer, IID_IKLVMemoryBuffer, buffer), S_OK);
  ComPtr<IKLVBitmapImage> bitmap;
  EXPECT_EQ(Create(CLSID_KLVBitmapImage, IID_IKLVBitmapImage, bitmap), HostBitmapFactory::kHostAnswer);
  EXPECT_EQ(Create(CLSID_KLVJpegCodec, IID_IKLVBitmapImage, bitmap), E_NOINTERFACE);

  auto reregister = reinterpret_cast<HRESULT (*)()>(dlsym(library, "ZorvelComponentsRegister"));
  ASSERT_NE(reregister, nullptr);
  EXPECT_EQ(reregister(), S_OK);  // idempotent

  ASSERT_EQ(CoRevokeClassObject(cookie), S_OK);
  EXPECT_EQ(Create(CLSID_KLVBitmapImage, IID_IKLVBitmapImage, bitmap), S_OK);  // now the component's own
  void* second = nullptr;
  EXPECT_EQ(bitmap->QueryInterface(IID_IKLVBitmapImage2, &second), S_OK);
  if (second != nullptr) static_cast<IUnknown*>(second)->Release();
}

}  // namespace
}  // namespace Components::Testing
