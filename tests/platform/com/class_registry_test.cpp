// The in-process class registry: create through registered factories, precedence of the first
// registration, revoking, single-use and suspended registrations, aggregation pass-through,
// the built-in global interface table and per-thread initialisation.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "counted_object.h"
#include "objbase.h"

namespace {

DEFINE_GUID(kTestClass, 0x5A1DE000, 0x0001, 0x4000, 0x80, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x01);
DEFINE_GUID(kOtherClass, 0x5A1DE000, 0x0002, 0x4000, 0x80, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x02);

// Creates CountedObjects and remembers the outer unknown and a tag of the last creation.
class TestFactory final : public IClassFactory {
 public:
  explicit TestFactory(int tag, bool* destroyed = nullptr) : tag_(tag), destroyed_(destroyed) {}
  STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
    if (!IsEqualGUID(riid, IID_IUnknown) && !IsEqualGUID(riid, IID_IClassFactory)) {
      *ppv = nullptr;
      return E_NOINTERFACE;
    }
    *ppv = static_cast<IClassFactory*>(this);
    AddRef();
    return S_OK;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return ++refs_; }
  STDMETHODIMP_(ULONG) Release() override {
    const ULONG left = --refs_;
    if (left == 0) {
      if (destroyed_ != nullptr) *destroyed_ = true;
      delete this;
    }
    return left;
  }
  STDMETHODIMP CreateInstance(IUnknown* outer, REFIID riid, void** ppv) override {
    lastOuter = outer;
    ++created;
    if (outer != nullptr && !IsEqualGUID(riid, IID_IUnknown)) return CLASS_E_NOAGGREGATION;
    auto* object = new CountedObject;
    const HRESULT hr = object->QueryInterface(riid, ppv);
    object->Release();
    return hr;
  }
  STDMETHODIMP LockServer(BOOL) override { return S_OK; }

  int tag_;
  // Written by CreateInstance, which threads call at once.
  std::atomic<IUnknown*> lastOuter{nullptr};
  std::atomic<int> created{0};

 private:
  std::atomic<ULONG> refs_{1};
  bool* destroyed_;
};

HRESULT Create(REFCLSID clsid, IUnknown** object, IUnknown* outer = nullptr) {
  return CoCreateInstance(clsid, outer, CLSCTX_INPROC_SERVER, IID_IUnknown, reinterpret_cast<void**>(object));
}

// Registers an in-process factory and returns its cookie.
DWORD Register(REFCLSID clsid, IClassFactory* factory, DWORD flags = REGCLS_MULTIPLEUSE) {
  DWORD cookie = 0;
  EXPECT_EQ(CoRegisterClassObject(clsid, factory, CLSCTX_INPROC_SERVER, flags, &cookie), S_OK);
  return cookie;
}

IClassFactory* FactoryOf(REFCLSID clsid) {
  IClassFactory* found = nullptr;
  EXPECT_EQ(CoGetClassObject(clsid, CLSCTX_ALL, nullptr, IID_IClassFactory, reinterpret_cast<void**>(&found)), S_OK);
  return found;
}

}  // namespace

TEST(ClassRegistry, CreatesThroughTheRegisteredFactoryUntilRevoked) {
  bool destroyed = false;
  auto* factory = new TestFactory(1, &destroyed);
  const DWORD cookie = Register(kTestClass, factory);
  factory->Release();  // the registry keeps it alive
  IUnknown* object = nullptr;
  ASSERT_EQ(Create(kTestClass, &object), S_OK);
  ASSERT_NE(object, nullptr);
  object->Release();
  EXPECT_EQ(factory->created.load(), 1);
  EXPECT_EQ(Create(kOtherClass, &object), REGDB_E_CLASSNOTREG);
  EXPECT_EQ(object, nullptr);
  EXPECT_EQ(CoCreateInstance(kTestClass, nullptr, CLSCTX_LOCAL_SERVER, IID_IUnknown, reinterpret_cast<void**>(&object)),
            REGDB_E_CLASSNOTREG);
  ASSERT_EQ(CoRevokeClassObject(cookie), S_OK);
  EXPECT_TRUE(destroyed);
  EXPECT_EQ(Create(kTestClass, &object), REGDB_E_CLASSNOTREG);
  EXPECT_EQ(CoRevokeClassObject(cookie), CO_E_OBJNOTREG);
  EXPECT_EQ(CoCreateInstance(kTestClass, nullptr, CLSCTX_ALL, IID_IUnknown, nullptr), E_POINTER);
}

TEST(ClassRegistry, FirstRegistrationTakesPrecedence) {
  auto* host = new TestFactory(1);
  auto* component = new TestFactory(2);
  const DWORD hostCookie = Register(kTestClass, host);
  const DWORD componentCookie = Register(kTestClass, component);
  IClassFactory* found = FactoryOf(kTestClass);
  ASSERT_EQ(found, host);
  found->Release();
  ASSERT_EQ(CoRevokeClassObject(hostCookie), S_OK);
  found = FactoryOf(kTestClass);
  ASSERT_EQ(found, component);
  found->Release();
  ASSERT_EQ(CoRevokeClassObject(componentCookie), S_OK);
  host->Release();
  component->Release();
}

TEST(ClassRegistry, SingleUseAndSuspendedRegistrations) {
  auto* factory = new TestFactory(1);
  const DWORD single = Register(kTestClass, factory, REGCLS_SINGLEUSE);
  IUnknown* object = nullptr;
  ASSERT_EQ(Create(kTestClass, &object), S_OK);
  object->Release();
  EXPECT_EQ(Create(kTestClass, &object), REGDB_E_CLASSNOTREG);
  const DWORD suspended = Register(kOtherClass, factory, REGCLS_MULTIPLEUSE | REGCLS_SUSPENDED);
  EXPECT_EQ(Create(kOtherClass, &object), REGDB_E_CLASSNOTREG);
  ASSERT_EQ(CoResumeClassObjects(), S_OK);
  ASSERT_EQ(Create(kOtherClass, &object), S_OK);
  object->Release();
  EXPECT_EQ(CoRevokeClassObject(single), S_OK);
  EXPECT_EQ(CoRevokeClassObject(suspended), S_OK);
  factory->Release();
}

TEST(ClassRegistry, OuterUnknownReachesTheFactory) {
  auto* factory = new TestFactory(1);
  const DWORD cookie = Register(kTestClass, factory);
  CountedObject outer;
  IUnknown* inner = nullptr;
  ASSERT_EQ(Create(kTestClass, &inner, &outer), S_OK);
  EXPECT_EQ(factory->lastOuter.load(), &outer);
  inner->Release();
  void* wrong = nullptr;
  EXPECT_EQ(CoCreateInstance(kTestClass, &outer, CLSCTX_INPROC_SERVER, IID_IClassFactory, &wrong),
            CLASS_E_NOAGGREGATION);
  EXPECT_EQ(wrong, nullptr);
  ASSERT_EQ(CoRevokeClassObject(cookie), S_OK);
  factory->Release();
}

TEST(ClassRegistry, ConcurrentRegistrationAndCreation) {
  auto* factory = new TestFactory(1);
  std::vector<std::thread> threads;
  std::atomic<int> failures{0};
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&, t] {
      GUID clsid = kOtherClass;
      clsid.Data4[7] = static_cast<BYTE>(0x10 + t);
      for (int i = 0; i < 200; ++i) {
        DWORD cookie = 0;
        IUnknown* object = nullptr;
        if (FAILED(CoRegisterClassObject(clsid, factory, CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, &cookie)) ||
            FAILED(Create(clsid, &object)) || (object->Release(), FAILED(CoRevokeClassObject(cookie)))) {
          ++failures;
        }
      }
    });
  }
  for (auto& thread : threads) thread.join();
  EXPECT_EQ(failures, 0);
  EXPECT_EQ(factory->created.load(), 800);
  factory->Release();
}

TEST(GlobalInterfaceTable, RegisteredPointersAreReachableFromOtherThreads) {
  IGlobalInterfaceTable* table = nullptr;
  ASSERT_EQ(CoCreateInstance(CLSID_StdGlobalInterfaceTable, nullptr, CLSCTX_INPROC_SERVER, IID_IGlobalInterfaceTable,
                             reinterpret_cast<void**>(&table)),
            S_OK);
  bool destroyed = false;
  auto* object = new CountedObject(&destroyed);
  DWORD cookie = 0;
  ASSERT_EQ(table->RegisterInterfaceInGlobal(object, IID_IUnknown, &cookie), S_OK);
  object->Release();
  IUnknown* fetched = nullptr;
  std::thread([&] {
    table->GetInterfaceFromGlobal(cookie, IID_IUnknown, reinterpret_cast<void**>(&fetched));
  }).join();
  EXPECT_EQ(fetched, object);
  fetched->Release();
  ASSERT_EQ(table->RevokeInterfaceFromGlobal(cookie), S_OK);
  EXPECT_TRUE(destroyed);
  EXPECT_EQ(table->GetInterfaceFromGlobal(cookie, IID_IUnknown, reinterpret_cast<void**>(&fetched)), E_INVALIDARG);
  EXPECT_EQ(table->RevokeInterfaceFromGlobal(cookie), E_INVALIDARG);
  table->Release();
}

TEST(CoInitialize, CountsPerThreadAndRefusesAModelChange) {
  std::thread([] {
    EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK);
    EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_FALSE);
    EXPECT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), RPC_E_CHANGED_MODE);
    CoUninitialize();
    CoUninitialize();
    EXPECT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), S_OK);
    CoUninitialize();
  }).join();
}
