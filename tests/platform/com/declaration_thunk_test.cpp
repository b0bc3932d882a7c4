// Member declarations: call<&I::M> unpacks coerced arguments of every passed kind into the
// vtable method, and reports the method's arity for the library build to check.
#include <gtest/gtest.h>

#include "zplatform/automation.h"

namespace {

struct ISample : IDispatch {
  STDMETHOD(Mixed)(LONG count, BSTR name, VARIANT value, VARIANT_BOOL flag, DOUBLE scale, LONG* out) PURE;
  STDMETHOD(Decimal)(DECIMAL amount, VARIANT* result) PURE;
};

struct Sample final : ISample {
  STDMETHODIMP QueryInterface(REFIID, void**) override { return E_NOTIMPL; }
  STDMETHODIMP_(ULONG) AddRef() override { return 1; }
  STDMETHODIMP_(ULONG) Release() override { return 1; }
  STDMETHODIMP GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
  STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
  STDMETHODIMP Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
    return E_NOTIMPL;
  }
  STDMETHODIMP Mixed(LONG count, BSTR name, VARIANT value, VARIANT_BOOL flag, DOUBLE scale, LONG* out) override {
    *out = count + static_cast<LONG>(SysStringLen(name)) + value.lVal + (flag == VARIANT_TRUE ? 1000 : 0) +
           static_cast<LONG>(scale * 10);
    return S_FALSE;
  }
  STDMETHODIMP Decimal(DECIMAL amount, VARIANT* result) override {
    result->vt = VT_I4;
    result->lVal = static_cast<LONG>(amount.u2.Lo64) + amount.u.s.scale * 100;
    return S_OK;
  }
};

using zplatform::automation::call;

}  // namespace

TEST(DeclarationThunk, UnpacksEveryPassedKind) {
  constexpr auto thunk = call<&ISample::Mixed>;
  static_assert(thunk.arity == 6);
  Sample sample;
  VARIANTARG args[6];
  for (auto& a : args) VariantInit(&a);
  args[0].vt = VT_I4;
  args[0].lVal = 5;
  args[1].vt = VT_BSTR;
  args[1].bstrVal = SysAllocString(u"abc");
  args[2].vt = VT_I4;
  args[2].lVal = 20;
  args[3].vt = VT_BOOL;
  args[3].boolVal = VARIANT_TRUE;
  args[4].vt = VT_R8;
  args[4].dblVal = 0.5;
  LONG out = 0;
  args[5].vt = VT_BYREF | VT_I4;
  args[5].plVal = &out;
  ISample* self = &sample;
  EXPECT_EQ(thunk.function(self, args), S_FALSE);
  EXPECT_EQ(out, 5 + 3 + 20 + 1000 + 5);
  VariantClear(&args[1]);
}

TEST(DeclarationThunk, PassesDecimalWithoutTheTypeWord) {
  constexpr auto thunk = call<&ISample::Decimal>;
  static_assert(thunk.arity == 2);
  Sample sample;
  VARIANTARG args[2];
  VariantInit(&args[0]);
  args[0].decVal.u2.Lo64 = 7;
  args[0].decVal.Hi32 = 0;
  args[0].decVal.u.signscale = 0;
  args[0].decVal.u.s.scale = 2;
  args[0].vt = VT_DECIMAL;
  VARIANT result;
  VariantInit(&result);
  args[1].vt = VT_BYREF | VT_VARIANT;
  args[1].pvarVal = &result;
  ISample* self = &sample;
  EXPECT_EQ(thunk.function(self, args), S_OK);
  EXPECT_EQ(result.lVal, 207);
}
