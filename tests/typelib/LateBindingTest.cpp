// Late-bound calls through IDispatch served from the ZORVELDICOMLib declarations: every member
// of every interface reaches its own C++ method by DISPID and by name in any letter case.

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <map>
#include <set>
#include <string>

#include "InvokeArguments.h"
#include "LibraryWalk.h"
#include "RecordingObjects.h"

namespace typelib_test {
namespace {

using zplatform::automation::InterfaceDecl;
using zplatform::automation::MemberDecl;

std::string ExpectedMethod(const MemberDecl& member) {
  const std::string name = Narrow(member.name);
  switch (member.kind) {
    case INVOKE_PROPERTYGET:
      return "get_" + name;
    case INVOKE_PROPERTYPUT:
      return "put_" + name;
    case INVOKE_PROPERTYPUTREF:
      return "putref_" + name;
    default:
      return name;
  }
}

WORD DispatchFlags(INVOKEKIND kind) {
  switch (kind) {
    case INVOKE_PROPERTYGET:
      return DISPATCH_PROPERTYGET;
    case INVOKE_PROPERTYPUT:
      return DISPATCH_PROPERTYPUT;
    case INVOKE_PROPERTYPUTREF:
      return DISPATCH_PROPERTYPUTREF;
    default:
      return DISPATCH_METHOD;
  }
}

std::u16string WithCase(std::u16string_view name, int (*change)(int)) {
  std::u16string text(name);
  for (auto& c : text) c = c < 0x80 ? static_cast<char16_t>(change(c)) : c;
  return text;
}

// Parametrised by library position, which keeps the test names stable.
class EveryInterface : public testing::TestWithParam<std::size_t> {
 protected:
  static const InterfaceDecl* Decl() { return LibraryInterfaces().at(GetParam()); }
  void SetUp() override {
    recording_ = MakeRecording(Decl()->iid);
    ASSERT_NE(recording_, nullptr) << Narrow(Decl()->name);
    ASSERT_EQ(ZGetTypeInfoOfDecl(ZorvelTypeLib::kZORVELDICOMLib, Decl()->iid, &info_), S_OK);
    if (IsDual(*Decl())) {
      ASSERT_EQ(recording_->Object()->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&dispatch_)), S_OK);
    }
  }
  void TearDown() override {
    if (dispatch_ != nullptr) dispatch_->Release();
    if (info_ != nullptr) info_->Release();
  }

  // A dual interface is called through its own IDispatch, any other through its type information.
  DISPID IdOfName(std::u16string name) {
    LPOLESTR names[] = {name.data()};
    DISPID id = DISPID_UNKNOWN;
    const HRESULT hr = dispatch_ != nullptr ? dispatch_->GetIDsOfNames(GUID_NULL, names, 1, 1033, &id)
                                            : info_->GetIDsOfNames(names, 1, &id);
    return SUCCEEDED(hr) ? id : DISPID_UNKNOWN;
  }
  HRESULT Call(const MemberDecl& member, VARIANT* result) {
    InvokeArguments args(member);
    const WORD flags = DispatchFlags(member.kind);
    UINT argErr = 0;
    if (dispatch_ != nullptr) {
      return dispatch_->Invoke(member.id, GUID_NULL, 1033, flags, args.Params(), result, nullptr, &argErr);
    }
    void* self = nullptr;
    recording_->Object()->QueryInterface(Decl()->iid, &self);
    recording_->Object()->Release();
    return info_->Invoke(self, member.id, flags, args.Params(), result, nullptr, &argErr);
  }

  std::unique_ptr<Recording> recording_;
  ITypeInfo* info_ = nullptr;
  IDispatch* dispatch_ = nullptr;
};

TEST_P(EveryInterface, EachMemberReachesItsOwnMethod) {
  for (const MemberDecl* member : AllMembers(*Decl())) {
    SCOPED_TRACE(Narrow(Decl()->name) + "::" + ExpectedMethod(*member));
    recording_->lastCall.clear();
    recording_->calls = 0;
    VARIANT result;
    VariantInit(&result);
    const HRESULT hr = Call(*member, &result);
    VariantClear(&result);
    if (InvokeArguments::Representable(*member)) {
      EXPECT_EQ(hr, S_OK);
    }
    if (SUCCEEDED(hr)) {
      EXPECT_EQ(recording_->lastCall, ExpectedMethod(*member));
      EXPECT_EQ(recording_->calls, 1);
    } else {
      EXPECT_EQ(recording_->calls, 0) << "a failed call must not reach " << recording_->lastCall;
    }
  }
}

TEST_P(EveryInterface, NamesResolveToTheirDispidInAnyCase) {
  for (const MemberDecl* member : AllMembers(*Decl())) {
    SCOPED_TRACE(Narrow(member->name));
    EXPECT_EQ(IdOfName(std::u16string(member->name)), member->id);
    EXPECT_EQ(IdOfName(WithCase(member->name, ::tolower)), member->id);
    EXPECT_EQ(IdOfName(WithCase(member->name, ::toupper)), member->id);
  }
  EXPECT_EQ(IdOfName(u"NoSuchMember"), DISPID_UNKNOWN);
}

// One DISPID names one member; only the get and put of one property share it.
TEST_P(EveryInterface, DispidsAreUniqueWithinTheInterface) {
  std::map<DISPID, std::u16string_view> names;
  std::set<std::pair<DISPID, INVOKEKIND>> seen;
  for (const MemberDecl* member : AllMembers(*Decl())) {
    SCOPED_TRACE(Narrow(member->name));
    EXPECT_TRUE(seen.insert({member->id, member->kind}).second);
    const auto [it, added] = names.emplace(member->id, member->name);
    if (!added) {
      EXPECT_EQ(it->second, member->name);
      EXPECT_NE(member->kind, INVOKE_FUNC);
    }
  }
}

INSTANTIATE_TEST_SUITE_P(ZorvelDicomLib, EveryInterface, testing::Range<std::size_t>(0, LibraryInterfaces().size()),
                         [](const auto& info) { return Narrow(LibraryInterfaces().at(info.param)->name); });

// Properties get and put share DISPID 12 and reach different methods with their arguments.
class PropertiesRecorder final : public IKLVZorvel3Calls<DualRecorder<IKLVZorvel3, IID_IKLVZorvel3>> {
 public:
  STDMETHODIMP get_Properties(LONG tag, VARIANT* value) override {
    value->vt = VT_I4;
    value->lVal = tag * 10;
    return Record(__func__);
  }
  STDMETHODIMP put_Properties(LONG tag, VARIANT value) override {
    putTag = tag;
    putValue = value.vt == VT_BSTR ? std::u16string(value.bstrVal, SysStringLen(value.bstrVal)) : u"?";
    return Record(__func__);
  }
  LONG putTag = 0;
  std::u16string putValue;
};

TEST(PropertiesDispid12, GetAndPutReachTheirOwnMethods) {
  PropertiesRecorder object;
  IDispatch* dispatch = &object;
  VARIANT args[2];
  VariantInit(&args[0]);
  VariantInit(&args[1]);
  args[1].vt = VT_I4;  // PropTag, first argument, last in the array
  args[1].lVal = 10028;
  args[0].vt = VT_BSTR;
  args[0].bstrVal = SysAllocString(u"1");
  DISPID putId = DISPID_PROPERTYPUT;
  DISPPARAMS put{args, &putId, 2, 1};
  ASSERT_EQ(dispatch->Invoke(12, GUID_NULL, 1033, DISPATCH_PROPERTYPUT, &put, nullptr, nullptr, nullptr), S_OK);
  EXPECT_EQ(object.lastCall, "put_Properties");
  EXPECT_EQ(object.putTag, 10028);
  EXPECT_EQ(object.putValue, u"1");

  DISPPARAMS get{&args[1], nullptr, 1, 0};
  VARIANT result;
  VariantInit(&result);
  ASSERT_EQ(dispatch->Invoke(12, GUID_NULL, 1033, DISPATCH_PROPERTYGET, &get, &result, nullptr, nullptr), S_OK);
  EXPECT_EQ(object.lastCall, "get_Properties");
  EXPECT_EQ(result.vt, VT_I4);
  EXPECT_EQ(result.lVal, 100280);
  VariantClear(&args[0]);
}

}  // namespace
}  // namespace typelib_test
