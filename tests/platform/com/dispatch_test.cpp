// IDispatch served from declarations: names, DISPIDs, get/put on one DISPID, argument order and
// coercion, out and retval values, the DISP_E_* errors, documentation and the library services.
#include <gtest/gtest.h>

#include <string>

#include "objbase.h"
#include "zplatform/automation.h"

namespace {

DEFINE_GUID(kLibId, 0x7E570000, 0x0000, 0x4000, 0x80, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00);
DEFINE_GUID(IID_IShape, 0x7E570000, 0x0001, 0x4000, 0x80, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x01);
DEFINE_GUID(IID_IShape2, 0x7E570000, 0x0002, 0x4000, 0x80, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x02);
DEFINE_GUID(CLSID_Shape, 0x7E570000, 0x0003, 0x4000, 0x80, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x03);

constexpr HRESULT kNoSlide = static_cast<HRESULT>(0x81030027);

struct IShape : IDispatch {
  STDMETHOD(Describe)(LONG width, BSTR label, BSTR* text) PURE;
  STDMETHOD(get_Area)(LONG* area) PURE;
  STDMETHOD(get_Properties)(LONG tag, VARIANT* value) PURE;
  STDMETHOD(put_Properties)(LONG tag, VARIANT value) PURE;
};

struct IShape2 : IShape {
  STDMETHOD(Split)(LONG count, LONG* left, VARIANT* right, VARIANT_BOOL* ok) PURE;
  STDMETHOD(Fail)() PURE;
  STDMETHOD(Optional)(VARIANT maybe, LONG* kind) PURE;
  STDMETHOD(Attach)(IShape* other, LONG* area) PURE;
  STDMETHOD(get_Id)(GUID* id) PURE;
  STDMETHOD(Find)(GUID id, VARIANT_BOOL* found) PURE;
};

using namespace zplatform::automation;

const InterfaceDecl kShapeDecl{
    u"IShape", IID_IShape, u"IShape Interface", nullptr,
    TYPEFLAG_FDUAL | TYPEFLAG_FOLEAUTOMATION | TYPEFLAG_FDISPATCHABLE,
    {method(u"Describe", 1, call<&IShape::Describe>,
            {in(u"Width", VT_I4), in(u"Label", VT_BSTR), retval(u"pText", VT_BSTR)}, u"method Describe"),
     propget(u"Area", 2, call<&IShape::get_Area>, {retval(u"pVal", VT_I4)}, u"property Area"),
     propget(u"Properties", 12, call<&IShape::get_Properties>, {in(u"PropTag", VT_I4), retval(u"pVal", VT_VARIANT)},
             u"property Properties"),
     propput(u"Properties", 12, call<&IShape::put_Properties>, {in(u"PropTag", VT_I4), in(u"value", VT_VARIANT)},
             u"property Properties")}};

const InterfaceDecl kShape2Decl{
    u"IShape2", IID_IShape2, u"IShape2 Interface", &kShapeDecl,
    TYPEFLAG_FDUAL | TYPEFLAG_FOLEAUTOMATION | TYPEFLAG_FDISPATCHABLE,
    {method(u"Split", 20, call<&IShape2::Split>,
            {in(u"Count", VT_I4), out(u"Left", VT_I4), inout(u"Right", VT_VARIANT), retval(u"pOk", VT_BOOL)}),
     method(u"Fail", 21, call<&IShape2::Fail>),
     method(u"Optional", 22, call<&IShape2::Optional>, {optional(in(u"Maybe", VT_VARIANT)), retval(u"pKind", VT_I4)}),
     method(u"Attach", 23, call<&IShape2::Attach>, {in(u"Other", VT_DISPATCH, &IID_IShape), retval(u"pArea", VT_I4)}),
     propget(u"Id", 24, call<&IShape2::get_Id>, {retval(u"pId", VT_CLSID)}),
     method(u"Find", 25, call<&IShape2::Find>, {in(u"Id", VT_CLSID), retval(u"pFound", VT_BOOL)})}};

const EnumDecl kColourDecl{u"EColour", u"Shape colour", {{u"clrRed", 0}, {u"clrBlue", 7}}};

const CoclassDecl kShapeClassDecl{
    u"Shape", CLSID_Shape, u"Shape Class", {{&kShapeDecl, IMPLTYPEFLAG_FDEFAULT}, {&kShape2Decl, 0}}};

const LibraryDecl kShapeLibrary{u"SHAPELib", kLibId, 1, 2, 1033, u"Shape 1.2 Type Library",
                                {&kShapeClassDecl, &kShapeDecl, &kColourDecl, &kShape2Decl}};

class Shape final : public DispatchImpl<IShape2, kShapeLibrary, IID_IShape2> {
 public:
  STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
    if (IsEqualGUID(riid, IID_IUnknown) || IsEqualGUID(riid, IID_IDispatch) || IsEqualGUID(riid, IID_IShape) ||
        IsEqualGUID(riid, IID_IShape2)) {
      *ppv = static_cast<IShape2*>(this);
      AddRef();
      return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return ++refs; }
  STDMETHODIMP_(ULONG) Release() override { return --refs; }

  STDMETHODIMP Describe(LONG width, BSTR label, BSTR* text) override {
    const std::u16string result = std::u16string(label, SysStringLen(label)) + u":" + std::u16string(width, u'#');
    *text = SysAllocString(result.c_str());
    return S_OK;
  }
  STDMETHODIMP get_Area(LONG* area) override {
    *area = 42;
    return S_OK;
  }
  STDMETHODIMP get_Properties(LONG tag, VARIANT* value) override {
    lastGetTag = tag;
    return VariantCopy(value, &stored);
  }
  STDMETHODIMP put_Properties(LONG tag, VARIANT value) override {
    lastPutTag = tag;
    return VariantCopy(&stored, &value);
  }
  STDMETHODIMP Split(LONG count, LONG* left, VARIANT* right, VARIANT_BOOL* ok) override {
    *left = count / 2;
    const LONG previous = right->vt == VT_I4 ? right->lVal : 0;
    VariantClear(right);
    right->vt = VT_BSTR;
    right->bstrVal = SysAllocString(previous == 0 ? u"half" : u"more");
    *ok = VARIANT_TRUE;
    return S_OK;
  }
  STDMETHODIMP Fail() override { return kNoSlide; }
  STDMETHODIMP Optional(VARIANT maybe, LONG* kind) override {
    *kind = maybe.vt == VT_ERROR ? -static_cast<LONG>(maybe.scode == DISP_E_PARAMNOTFOUND) : maybe.vt;
    return S_OK;
  }
  STDMETHODIMP Attach(IShape* other, LONG* area) override { return other->get_Area(area); }
  STDMETHODIMP get_Id(GUID* id) override {
    *id = CLSID_Shape;
    return S_OK;
  }
  STDMETHODIMP Find(GUID id, VARIANT_BOOL* found) override {
    *found = IsEqualGUID(id, CLSID_Shape) ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
  }

  ULONG refs = 1;
  LONG lastGetTag = -1;
  LONG lastPutTag = -1;
  VARIANT stored{};
};

// Builds DISPPARAMS from arguments given in call order (stored reversed, as callers do).
class Args {
 public:
  Args& Long(LONG v) { return Push([&](VARIANT& a) { a.vt = VT_I4, a.lVal = v; }); }
  Args& Text(const char16_t* v) { return Push([&](VARIANT& a) { a.vt = VT_BSTR, a.bstrVal = SysAllocString(v); }); }
  Args& Ref(VARTYPE vt, void* p) { return Push([&](VARIANT& a) { a.vt = VT_BYREF | vt, a.byref = p; }); }
  Args& Missing() { return Push([](VARIANT& a) { a.vt = VT_ERROR, a.scode = DISP_E_PARAMNOTFOUND; }); }
  Args& Object(IDispatch* p) { return Push([&](VARIANT& a) { a.vt = VT_DISPATCH, a.pdispVal = p, p->AddRef(); }); }
  Args& NamedPut() {
    named_ = DISPID_PROPERTYPUT;
    return *this;
  }
  ~Args() {
    for (auto& a : values_) VariantClear(&a);
  }
  DISPPARAMS* Params() {
    params_ = {values_.data(), named_ == 0 ? nullptr : &named_, static_cast<UINT>(values_.size()), named_ == 0 ? 0u : 1u};
    return &params_;
  }

 private:
  template <class F>
  Args& Push(F fill) {
    VARIANT a;
    VariantInit(&a);
    fill(a);
    values_.insert(values_.begin(), a);
    return *this;
  }
  std::vector<VARIANT> values_;
  DISPID named_ = 0;
  DISPPARAMS params_{};
};

class Dispatch : public ::testing::Test {
 protected:
  void TearDown() override {
    VariantClear(&result);
    VariantClear(&shape.stored);
  }
  HRESULT Call(DISPID id, WORD flags, Args& args) {
    VariantClear(&result);
    argError = 999;
    return shape.Invoke(id, GUID_NULL, 2057, flags, args.Params(), &result, &excep, &argError);
  }
  DISPID IdOf(const char16_t* name) {
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    DISPID id = 0;
    EXPECT_EQ(shape.GetIDsOfNames(GUID_NULL, names, 1, 2057, &id), S_OK);
    return id;
  }
  Shape shape;
  VARIANT result{};
  EXCEPINFO excep{};
  UINT argError = 999;
};

}  // namespace

TEST_F(Dispatch, NamesResolveWithoutRegardToCase) {
  EXPECT_EQ(IdOf(u"describe"), 1);
  EXPECT_EQ(IdOf(u"PROPERTIES"), 12);
  EXPECT_EQ(IdOf(u"Split"), 20);
  LPOLESTR names[] = {const_cast<LPOLESTR>(u"Split"), const_cast<LPOLESTR>(u"right"),
                      const_cast<LPOLESTR>(u"Nope")};
  DISPID ids[3];
  EXPECT_EQ(shape.GetIDsOfNames(GUID_NULL, names, 2, 2057, ids), S_OK);
  EXPECT_EQ(ids[1], 2);
  EXPECT_EQ(shape.GetIDsOfNames(GUID_NULL, names, 3, 2057, ids), DISP_E_UNKNOWNNAME);
  EXPECT_EQ(ids[2], DISPID_UNKNOWN);
  names[0] = const_cast<LPOLESTR>(u"Unknown");
  EXPECT_EQ(shape.GetIDsOfNames(GUID_NULL, names, 1, 2057, ids), DISP_E_UNKNOWNNAME);
  EXPECT_EQ(shape.GetIDsOfNames(IID_IShape, names, 1, 2057, ids), DISP_E_UNKNOWNINTERFACE);
}

TEST_F(Dispatch, ArgumentsArriveInCallOrderAndRetvalComesBack) {
  Args args;
  args.Long(3).Text(u"box");
  ASSERT_EQ(Call(1, DISPATCH_METHOD, args), S_OK);
  ASSERT_EQ(result.vt, VT_BSTR);
  EXPECT_EQ(std::u16string(result.bstrVal), u"box:###");
  Args coerced;
  coerced.Text(u"2").Long(5);  // "2" becomes 2, 5 becomes "5"
  ASSERT_EQ(Call(1, DISPATCH_METHOD | DISPATCH_PROPERTYGET, coerced), S_OK);
  EXPECT_EQ(std::u16string(result.bstrVal), u"5:##");
}

TEST_F(Dispatch, GetAndPutShareADispidAndReachDifferentMethods) {
  Args put;
  put.Long(10028).Text(u"on").NamedPut();
  ASSERT_EQ(Call(12, DISPATCH_PROPERTYPUT, put), S_OK);
  EXPECT_EQ(shape.lastPutTag, 10028);
  EXPECT_EQ(shape.lastGetTag, -1);
  EXPECT_EQ(result.vt, VT_EMPTY);
  Args get;
  get.Long(10028);
  ASSERT_EQ(Call(12, DISPATCH_PROPERTYGET, get), S_OK);
  EXPECT_EQ(shape.lastGetTag, 10028);
  ASSERT_EQ(result.vt, VT_BSTR);
  EXPECT_EQ(std::u16string(result.bstrVal), u"on");
  Args area;
  ASSERT_EQ(Call(2, DISPATCH_PROPERTYGET, area), S_OK);
  EXPECT_EQ(result.lVal, 42);
  EXPECT_EQ(Call(2, DISPATCH_PROPERTYPUT, put), DISP_E_MEMBERNOTFOUND);  // read-only property
  EXPECT_EQ(Call(2, DISPATCH_METHOD, area), DISP_E_MEMBERNOTFOUND);
  EXPECT_EQ(Call(99, DISPATCH_METHOD, area), DISP_E_MEMBERNOTFOUND);
}

TEST_F(Dispatch, OutValuesThroughExactReferencesAndThroughVariants) {
  LONG left = 0;
  VARIANT right;
  VariantInit(&right);
  Args args;
  args.Long(9).Ref(VT_I4, &left).Ref(VT_VARIANT, &right);
  ASSERT_EQ(Call(20, DISPATCH_METHOD, args), S_OK);
  EXPECT_EQ(left, 4);
  EXPECT_EQ(std::u16string(right.bstrVal), u"half");
  EXPECT_EQ(result.vt, VT_BOOL);
  EXPECT_EQ(result.boolVal, VARIANT_TRUE);
  // A script passes every out as VT_BYREF | VT_VARIANT: the value is converted on the way back.
  VARIANT leftVariant;
  VariantInit(&leftVariant);
  leftVariant.vt = VT_BSTR;
  leftVariant.bstrVal = SysAllocString(u"replaced");
  VariantClear(&right);
  right.vt = VT_I4;
  right.lVal = 1;
  Args script;
  script.Long(7).Ref(VT_VARIANT, &leftVariant).Ref(VT_VARIANT, &right);
  ASSERT_EQ(Call(20, DISPATCH_METHOD, script), S_OK);
  EXPECT_EQ(leftVariant.vt, VT_I4);
  EXPECT_EQ(leftVariant.lVal, 3);
  EXPECT_EQ(std::u16string(right.bstrVal), u"more");
  VariantClear(&right);
  double wrongType = 0;
  Args mismatch;
  mismatch.Long(7).Ref(VT_R8, &wrongType).Ref(VT_VARIANT, &right);
  EXPECT_EQ(Call(20, DISPATCH_METHOD, mismatch), DISP_E_TYPEMISMATCH);
  EXPECT_EQ(argError, 1u);  // rgvarg index of the second argument
}

TEST_F(Dispatch, CoercionFailuresNameTheArgument) {
  Args badFirst;
  badFirst.Text(u"wide").Text(u"x");
  EXPECT_EQ(Call(1, DISPATCH_METHOD, badFirst), DISP_E_TYPEMISMATCH);
  EXPECT_EQ(argError, 1u);
  Args overflow;
  overflow.Text(u"3000000000").Text(u"x");
  EXPECT_EQ(Call(1, DISPATCH_METHOD, overflow), DISP_E_OVERFLOW);
  EXPECT_EQ(argError, 1u);
}

TEST_F(Dispatch, ParameterCountsAndOmittedArguments) {
  Args tooFew;
  tooFew.Long(3);
  EXPECT_EQ(Call(1, DISPATCH_METHOD, tooFew), DISP_E_BADPARAMCOUNT);
  Args tooMany;
  tooMany.Long(3).Text(u"a").Long(4);
  EXPECT_EQ(Call(1, DISPATCH_METHOD, tooMany), DISP_E_BADPARAMCOUNT);
  Args omitted;
  omitted.Long(3).Missing();
  EXPECT_EQ(Call(1, DISPATCH_METHOD, omitted), DISP_E_PARAMNOTOPTIONAL);
  EXPECT_EQ(argError, 0u);
  Args none;
  ASSERT_EQ(Call(22, DISPATCH_METHOD, none), S_OK);
  EXPECT_EQ(result.lVal, -1);  // the optional VARIANT arrives as "missing"
  Args given;
  given.Long(5);
  ASSERT_EQ(Call(22, DISPATCH_METHOD, given), S_OK);
  EXPECT_EQ(result.lVal, VT_I4);
}

TEST_F(Dispatch, FailingMethodReportsThroughExcepinfo) {
  Args none;
  EXPECT_EQ(Call(21, DISPATCH_METHOD, none), DISP_E_EXCEPTION);
  EXPECT_EQ(excep.scode, kNoSlide);
  EXPECT_EQ(std::u16string(excep.bstrSource), u"IShape2");
  SysFreeString(excep.bstrSource);
}

TEST_F(Dispatch, InterfaceAndGuidParameters) {
  Shape other;
  Args attach;
  attach.Object(&other);
  ASSERT_EQ(Call(23, DISPATCH_METHOD, attach), S_OK);
  EXPECT_EQ(result.lVal, 42);
  EXPECT_EQ(other.refs, 2u);  // held by the argument list only
  Args id;
  ASSERT_EQ(Call(24, DISPATCH_PROPERTYGET, id), S_OK);
  ASSERT_EQ(result.vt, VT_BSTR);
  EXPECT_EQ(std::u16string(result.bstrVal), u"{7E570000-0003-4000-8000-000000000003}");
  Args find;
  find.Text(u"{7e570000-0003-4000-8000-000000000003}");
  ASSERT_EQ(Call(25, DISPATCH_METHOD, find), S_OK);
  EXPECT_EQ(result.boolVal, VARIANT_TRUE);
  Args notGuid;
  notGuid.Text(u"7");
  EXPECT_EQ(Call(25, DISPATCH_METHOD, notGuid), DISP_E_TYPEMISMATCH);
}

TEST_F(Dispatch, TypeInformationDescribesTheInterface) {
  UINT count = 0;
  ASSERT_EQ(shape.GetTypeInfoCount(&count), S_OK);
  EXPECT_EQ(count, 1u);
  ITypeInfo* info = nullptr;
  ASSERT_EQ(shape.GetTypeInfo(0, 2057, &info), S_OK);
  TYPEATTR* attr = nullptr;
  ASSERT_EQ(info->GetTypeAttr(&attr), S_OK);
  EXPECT_EQ(attr->guid, IID_IShape2);
  EXPECT_EQ(attr->typekind, TKIND_DISPATCH);
  EXPECT_EQ(attr->cFuncs, 10);
  EXPECT_EQ(attr->wMajorVerNum, 1);
  info->ReleaseTypeAttr(attr);
  BSTR name = nullptr, help = nullptr;
  ASSERT_EQ(info->GetDocumentation(12, &name, &help, nullptr, nullptr), S_OK);
  EXPECT_EQ(std::u16string(name), u"Properties");
  EXPECT_EQ(std::u16string(help), u"property Properties");
  SysFreeString(name);
  SysFreeString(help);
  ASSERT_EQ(info->GetDocumentation(MEMBERID_NIL, &name, &help, nullptr, nullptr), S_OK);
  EXPECT_EQ(std::u16string(help), u"IShape2 Interface");
  SysFreeString(name);
  SysFreeString(help);
  EXPECT_EQ(info->GetDocumentation(77, &name, nullptr, nullptr, nullptr), TYPE_E_ELEMENTNOTFOUND);
  FUNCDESC* func = nullptr;
  ASSERT_EQ(info->GetFuncDesc(4, &func), S_OK);  // Split, after the four IShape members
  EXPECT_EQ(func->memid, 20);
  EXPECT_EQ(func->cParams, 4);
  EXPECT_EQ(func->lprgelemdescParam[1].tdesc.vt, VT_PTR);
  EXPECT_EQ(func->lprgelemdescParam[1].tdesc.lptdesc->vt, VT_I4);
  EXPECT_EQ(func->lprgelemdescParam[3].paramdesc.wParamFlags, PARAMFLAG_FOUT | PARAMFLAG_FRETVAL);
  info->ReleaseFuncDesc(func);
  HREFTYPE base = 0;
  ASSERT_EQ(info->GetRefTypeOfImplType(0, &base), S_OK);
  ITypeInfo* baseInfo = nullptr;
  ASSERT_EQ(info->GetRefTypeInfo(base, &baseInfo), S_OK);
  ASSERT_EQ(baseInfo->GetDocumentation(MEMBERID_NIL, &name, nullptr, nullptr, nullptr), S_OK);
  EXPECT_EQ(std::u16string(name), u"IShape");
  SysFreeString(name);
  baseInfo->Release();
  info->Release();
}

TEST_F(Dispatch, LibraryIsFoundByIdentityAndByImageFile) {
  UINT count = 0;
  shape.GetTypeInfoCount(&count);  // the library is built on first use
  ITypeInfo* loaded = nullptr;
  ASSERT_EQ(shape.GetTypeInfo(0, 0, &loaded), S_OK);
  loaded->Release();
  ITypeLib* library = nullptr;
  ASSERT_EQ(LoadRegTypeLib(kLibId, 1, 0, 0, &library), S_OK);
  ITypeLib* absent = nullptr;
  EXPECT_EQ(LoadRegTypeLib(kLibId, 1, 3, 0, &absent), TYPE_E_LIBNOTREGISTERED);
  EXPECT_EQ(LoadRegTypeLib(kLibId, 2, 0, 0, &absent), TYPE_E_LIBNOTREGISTERED);
  EXPECT_EQ(absent, nullptr);
  ITypeLib* byFile = nullptr;
  ASSERT_EQ(LoadTypeLib(u"/proc/self/exe", &byFile), S_OK);
  EXPECT_EQ(byFile, library);
  byFile->Release();
  EXPECT_EQ(LoadTypeLib(u"/nonexistent/module.so", &byFile), TYPE_E_CANTLOADLIBRARY);

  EXPECT_EQ(library->GetTypeInfoCount(), 4u);
  TYPEKIND kind;
  ASSERT_EQ(library->GetTypeInfoType(2, &kind), S_OK);
  EXPECT_EQ(kind, TKIND_ENUM);
  BSTR name = nullptr, help = nullptr;
  ASSERT_EQ(library->GetDocumentation(-1, &name, &help, nullptr, nullptr), S_OK);
  EXPECT_EQ(std::u16string(name), u"SHAPELib");
  EXPECT_EQ(std::u16string(help), u"Shape 1.2 Type Library");
  SysFreeString(name);
  SysFreeString(help);
  OLECHAR spelled[] = u"CLRBLUE";
  BOOL isName = FALSE;
  ASSERT_EQ(library->IsName(spelled, 0, &isName), S_OK);
  EXPECT_TRUE(isName);
  EXPECT_EQ(std::u16string(spelled), u"clrBlue");
  ITypeInfo* colours = nullptr;
  ASSERT_EQ(library->GetTypeInfo(2, &colours), S_OK);
  VARDESC* var = nullptr;
  ASSERT_EQ(colours->GetVarDesc(1, &var), S_OK);
  EXPECT_EQ(var->lpvarValue->lVal, 7);
  colours->ReleaseVarDesc(var);
  colours->Release();
  ITypeInfo* coclass = nullptr;
  ASSERT_EQ(library->GetTypeInfoOfGuid(CLSID_Shape, &coclass), S_OK);
  INT flags = 0;
  ASSERT_EQ(coclass->GetImplTypeFlags(0, &flags), S_OK);
  EXPECT_EQ(flags, IMPLTYPEFLAG_FDEFAULT);
  coclass->Release();
  library->Release();
}

namespace {
const InterfaceDecl kBrokenDecl{u"IBroken", IID_IShape, u"", nullptr, TYPEFLAG_FDUAL,
                                {method(u"Describe", 1, call<&IShape::Describe>, {in(u"Width", VT_I4)})}};
DEFINE_GUID(kBrokenLibId, 0x7E570000, 0x0009, 0x4000, 0x80, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x09);
const LibraryDecl kBrokenLibrary{u"BROKENLib", kBrokenLibId, 1, 0, 0, u"", {&kBrokenDecl}};
}  // namespace

TEST(DispatchDeclarations, ParameterListsMustMatchTheMethod) {
  ITypeLib* library = nullptr;
  EXPECT_EQ(ZRegisterTypeLibDecl(kBrokenLibrary, &library), E_INVALIDARG);
  EXPECT_EQ(library, nullptr);
  EXPECT_EQ(LoadRegTypeLib(kBrokenLibId, 1, 0, 0, &library), TYPE_E_LIBNOTREGISTERED);
}
