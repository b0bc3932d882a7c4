// ZorvelDicom.so as a host uses it: class objects and their codes, interface identities,
// aggregation, unloading, the exported symbols, and late-bound calls.
#include <cstdio>
#include <set>
#include <string>
#include <thread>

#include <objidl.h>

#include "module_host.h"

namespace module_test {
namespace {

constexpr HRESULT kNoSlideFound = static_cast<HRESULT>(0x81030027u);
constexpr GUID kUnknownClass = {0x12345678, 0x1234, 0x1234, {1, 2, 3, 4, 5, 6, 7, 8}};

class ModuleHostTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(ModuleHost::Get().handle, nullptr) << dlerror();
    ASSERT_EQ(ModuleHost::Get().canUnloadNow(), S_OK) << "an earlier test left an object or lock behind";
  }
  void TearDown() override { EXPECT_EQ(ModuleHost::Get().canUnloadNow(), S_OK); }
};

TEST_F(ModuleHostTest, ClassObjectCodes) {
  void* out = &out;
  EXPECT_EQ(ModuleHost::Get().getClassObject(kUnknownClass, IID_IClassFactory, &out), CLASS_E_CLASSNOTAVAILABLE);
  EXPECT_EQ(out, nullptr);
  EXPECT_EQ(ModuleHost::Get().getClassObject(CLSID_KLVZorvelDICOM, IID_IClassFactory, nullptr), E_POINTER);
  out = &out;
  EXPECT_EQ(ModuleHost::Get().getClassObject(CLSID_WSIAnnotations, IID_IKLVZorvel, &out), E_NOINTERFACE);
  EXPECT_EQ(out, nullptr);
}

TEST_F(ModuleHostTest, TwoThreadsGetTheSameFactory) {
  for (const CLSID* clsid : {&CLSID_KLVZorvelDICOM, &CLSID_WSIAnnotations}) {
    ComPtr<IClassFactory> first, second;
    std::thread a([&] { ModuleHost::Get().getClassObject(*clsid, IID_IClassFactory, first.OutVoid()); });
    std::thread b([&] { ModuleHost::Get().getClassObject(*clsid, IID_IClassFactory, second.OutVoid()); });
    a.join();
    b.join();
    ASSERT_NE(first.Get(), nullptr);
    EXPECT_EQ(first.Get(), second.Get());
  }
}

TEST_F(ModuleHostTest, SlideAccessInterfacesShareOnePointer) {
  auto slide = Create<IUnknown>(CLSID_KLVZorvelDICOM, IID_IUnknown);
  ComPtr<IKLVZorvel> v1;
  ComPtr<IKLVZorvel2> v2;
  ComPtr<IKLVZorvel3> v3;
  ComPtr<IDispatch> dispatch;
  ComPtr<IUnknown> identity;
  ComPtr<IMarshal> marshal;
  ASSERT_EQ(slide->QueryInterface(IID_IKLVZorvel, v1.OutVoid()), S_OK);
  ASSERT_EQ(slide->QueryInterface(IID_IKLVZorvel2, v2.OutVoid()), S_OK);
  ASSERT_EQ(slide->QueryInterface(IID_IKLVZorvel3, v3.OutVoid()), S_OK);
  ASSERT_EQ(v1->QueryInterface(IID_IDispatch, dispatch.OutVoid()), S_OK);
  EXPECT_EQ(static_cast<void*>(v1.Get()), static_cast<void*>(v2.Get()));
  EXPECT_EQ(static_cast<void*>(v1.Get()), static_cast<void*>(v3.Get()));
  EXPECT_EQ(static_cast<void*>(v1.Get()), static_cast<void*>(dispatch.Get()));
  ASSERT_EQ(v3->QueryInterface(IID_IUnknown, identity.OutVoid()), S_OK);
  EXPECT_EQ(identity.Get(), slide.Get());
  ASSERT_EQ(v2->QueryInterface(IID_IMarshal, marshal.OutVoid()), S_OK);
  EXPECT_NE(static_cast<void*>(marshal.Get()), static_cast<void*>(v1.Get()));
  void* none = &none;
  EXPECT_EQ(slide->QueryInterface(IID_ISeSlideFlagProvider, &none), E_NOINTERFACE);
  EXPECT_EQ(none, nullptr);
  EXPECT_EQ(slide->QueryInterface(IID_IKLVZorvel, nullptr), E_POINTER);
}

TEST_F(ModuleHostTest, AnnotationsAnswerTheirSeventeenInterfaces) {
  auto annotations = Create<IUnknown>(CLSID_WSIAnnotations, IID_IUnknown);
  const IID* answered[] = {
      &IID_ISeSlideFlagProvider, &IID_ISeSlideDataProvider, &IID_ISeSlideDataRec, &IID_ISeSlideFlagDataRec,
      &IID_IKLVBinAnnotProviderSlideBase, &IID_IKLVBinAnnotCollectionBase, &IID_IKLVBinAnnotDataBase,
      &IID_IKLVBinAnnotDataBaseEx, &IID_IKLVBinAnnotProviderBase, &IID_IKLVBinAnnotProviderBaseEx,
      &IID_IKLVBinAnnotShapeBase, &IID_IKLVBinAnnotGetterTMAMarker1, &IID_IKLVBinAnnotGetterShapePoint1,
      &IID_IKLVBinAnnotSchemeProviderBase, &IID_IKLVBinAnnotDataSchemeBase, &IID_IKLVBinAnnotFilterProviderBase,
      &IID_IKLVBinAnnotFilterBase, &IID_IMarshal};
  for (const IID* iid : answered) {
    ComPtr<IUnknown> answer, identity;
    ASSERT_EQ(annotations->QueryInterface(*iid, answer.OutVoid()), S_OK);
    ASSERT_EQ(answer->QueryInterface(IID_IUnknown, identity.OutVoid()), S_OK);
    EXPECT_EQ(identity.Get(), annotations.Get());
  }
  ComPtr<IDispatch> dispatch;
  ComPtr<ISeSlideFlagProvider> provider;
  ASSERT_EQ(annotations->QueryInterface(IID_IDispatch, dispatch.OutVoid()), S_OK);
  ASSERT_EQ(annotations->QueryInterface(IID_ISeSlideFlagProvider, provider.OutVoid()), S_OK);
  EXPECT_EQ(static_cast<void*>(dispatch.Get()), static_cast<void*>(provider.Get()));
  ComPtr<IUnknown> none;
  EXPECT_EQ(annotations->QueryInterface(IID_IKLVZorvel, none.OutVoid()), E_NOINTERFACE);
}

// An outer object that aggregates one inner object and counts its own references.
class OuterObject final : public IUnknown {
 public:
  IUnknown* inner = nullptr;
  LONG references = 1;

  STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
    if (IsEqualGUID(riid, IID_IUnknown)) {
      *ppv = this;
      AddRef();
      return S_OK;
    }
    return inner->QueryInterface(riid, ppv);
  }
  STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(++references); }
  STDMETHODIMP_(ULONG) Release() override { return static_cast<ULONG>(--references); }
};

struct AggregationCase {
  const CLSID* clsid;
  const IID* iid;
};

class Aggregation : public ModuleHostTest, public testing::WithParamInterface<AggregationCase> {};

TEST_P(Aggregation, InnerDelegatesToOuter) {
  OuterObject outer;
  auto factory = Factory(*GetParam().clsid);
  void* refused = &refused;
  EXPECT_EQ(factory->CreateInstance(&outer, *GetParam().iid, &refused), CLASS_E_NOAGGREGATION);
  EXPECT_EQ(refused, nullptr);
  ASSERT_EQ(factory->CreateInstance(&outer, IID_IUnknown, reinterpret_cast<void**>(&outer.inner)), S_OK);
  EXPECT_EQ(outer.references, 1);
  IUnknown* answer = nullptr;
  ASSERT_EQ(outer.QueryInterface(*GetParam().iid, reinterpret_cast<void**>(&answer)), S_OK);
  EXPECT_EQ(outer.references, 2);
  IUnknown* identity = nullptr;
  ASSERT_EQ(answer->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&identity)), S_OK);
  EXPECT_EQ(identity, &outer);
  identity->Release();
  answer->Release();
  EXPECT_EQ(outer.references, 1);
  EXPECT_EQ(ModuleHost::Get().canUnloadNow(), S_FALSE);
  EXPECT_EQ(outer.inner->Release(), 0u);
}

INSTANTIATE_TEST_SUITE_P(BothClasses, Aggregation,
                         testing::Values(AggregationCase{&CLSID_KLVZorvelDICOM, &IID_IKLVZorvel3},
                                         AggregationCase{&CLSID_WSIAnnotations, &IID_IKLVBinAnnotFilterBase}));

TEST_F(ModuleHostTest, UnloadFollowsObjectsFactoriesAndServerLocks) {
  {
    auto slide = Create<IKLVZorvel>(CLSID_KLVZorvelDICOM, IID_IKLVZorvel);
    auto annotations = Create<IUnknown>(CLSID_WSIAnnotations, IID_IUnknown);
    EXPECT_EQ(ModuleHost::Get().canUnloadNow(), S_FALSE);
    slide.Reset();
    EXPECT_EQ(ModuleHost::Get().canUnloadNow(), S_FALSE);
  }
  EXPECT_EQ(ModuleHost::Get().canUnloadNow(), S_OK);
  {
    auto factory = Factory(CLSID_KLVZorvelDICOM);
    EXPECT_EQ(ModuleHost::Get().canUnloadNow(), S_FALSE);
    factory->LockServer(TRUE);
    factory.Reset();
    EXPECT_EQ(ModuleHost::Get().canUnloadNow(), S_FALSE);
    Factory(CLSID_KLVZorvelDICOM)->LockServer(FALSE);
  }
  EXPECT_EQ(ModuleHost::Get().canUnloadNow(), S_OK);
}

TEST_F(ModuleHostTest, ExportsExactlyTheTwoClassObjectFunctions) {
  const std::string command = "nm -D --defined-only '" ZORVEL_BINARY_DIR "/lib/ZorvelDicom.so'";
  FILE* listing = popen(command.c_str(), "r");
  ASSERT_NE(listing, nullptr);
  std::set<std::string> exported;
  char line[512];
  while (fgets(line, sizeof line, listing) != nullptr) {
    std::string text(line);
    text.erase(text.find_last_not_of("\r\n") + 1);
    exported.insert(text.substr(text.find_last_of(' ') + 1));
  }
  ASSERT_EQ(pclose(listing), 0);
  EXPECT_EQ(exported, (std::set<std::string>{"DllCanUnloadNow", "DllGetClassObject"}));
}

DISPID IdOf(IDispatch* dispatch, const char16_t* name) {
  LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
  DISPID id = DISPID_UNKNOWN;
  EXPECT_EQ(dispatch->GetIDsOfNames(IID_NULL, names, 1, 1033, &id), S_OK) << "member not found";
  return id;
}

HRESULT PutProperty(IDispatch* dispatch, DISPID id, LONG key, const VARIANT& value) {
  VARIANT args[2];
  args[0] = value;
  VariantInit(&args[1]);
  args[1].vt = VT_I4;
  args[1].lVal = key;
  DISPID named = DISPID_PROPERTYPUT;
  DISPPARAMS params{args, &named, 2, 1};
  return dispatch->Invoke(id, IID_NULL, 1033, DISPATCH_PROPERTYPUT, &params, nullptr, nullptr, nullptr);
}

HRESULT GetProperty(IDispatch* dispatch, DISPID id, LONG key, VARIANT* result) {
  VARIANT arg;
  VariantInit(&arg);
  arg.vt = VT_I4;
  arg.lVal = key;
  DISPPARAMS params{&arg, nullptr, 1, 0};
  return dispatch->Invoke(id, IID_NULL, 1033, DISPATCH_PROPERTYGET, &params, result, nullptr, nullptr);
}

TEST_F(ModuleHostTest, LateBoundCallsByNameAndDispid) {
  auto dispatch = Create<IDispatch>(CLSID_KLVZorvelDICOM, IID_IDispatch);
  EXPECT_EQ(IdOf(dispatch.Get(), u"openslide"), 1);
  EXPECT_EQ(IdOf(dispatch.Get(), u"GetImageRaw"), 15);
  EXPECT_EQ(IdOf(dispatch.Get(), u"GetScanMapRaw"), 21);
  const DISPID properties = IdOf(dispatch.Get(), u"Properties");
  ASSERT_EQ(properties, 12);

  VARIANT result;
  VariantInit(&result);
  ASSERT_EQ(GetProperty(dispatch.Get(), properties, 200, &result), S_OK);
  EXPECT_EQ(result.vt, VT_BOOL);
  EXPECT_EQ(result.boolVal, VARIANT_TRUE);

  VARIANT on;
  VariantInit(&on);
  on.vt = VT_BOOL;
  on.boolVal = VARIANT_TRUE;
  ASSERT_EQ(PutProperty(dispatch.Get(), properties, 207, on), S_OK);
  ASSERT_EQ(GetProperty(dispatch.Get(), properties, 207, &result), S_OK);
  EXPECT_EQ(result.boolVal, VARIANT_TRUE);

  // The synchronous switch set late-bound makes a late-bound OpenSlide search at once.
  ASSERT_EQ(PutProperty(dispatch.Get(), properties, 50010, on), S_OK);
  const std::filesystem::path empty = ScratchDir() / "late-bound-empty";
  std::filesystem::create_directories(empty);
  VARIANT path;
  VariantInit(&path);
  path.vt = VT_BSTR;
  path.bstrVal = SysAllocString(empty.u16string().c_str());
  DISPPARAMS params{&path, nullptr, 1, 0};
  EXCEPINFO exception{};
  EXPECT_EQ(dispatch->Invoke(1, IID_NULL, 1033, DISPATCH_METHOD, &params, nullptr, &exception, nullptr),
            DISP_E_EXCEPTION);
  EXPECT_EQ(exception.scode, kNoSlideFound) << "a failing member's code reaches the caller";
  SysFreeString(exception.bstrSource);
  SysFreeString(exception.bstrDescription);
  SysFreeString(exception.bstrHelpFile);
  VariantClear(&path);
}

}  // namespace
}  // namespace module_test
