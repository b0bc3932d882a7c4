// The safe VARIANT / SAFEARRAY holders: shapes, element types, ownership of owned and linked
// arrays, access counting, hand-over to the caller, and the GUID text holder.
#include <gtest/gtest.h>

#include "base/SeComHelper.h"
#include "objbase.h"

namespace {

VARIANT Bstr(const char16_t* text) {
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_BSTR;
  v.bstrVal = SysAllocString(text);
  return v;
}

SAFEARRAY* Matrix(ULONG first, ULONG second, LONG lowerFirst = 0) {
  SAFEARRAYBOUND bounds[2] = {{first, lowerFirst}, {second, 0}};
  return SafeArrayCreate(VT_VARIANT, 2, bounds);
}

VARIANT ArrayVariant(SAFEARRAY* array) {
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_ARRAY | VT_VARIANT;
  v.parray = array;
  return v;
}

TEST(SafeVector, ElementTypesAndTypedSetters) {
  CSeSafeVector vector;
  EXPECT_EQ(vector.CheckVarType(VT_DATE), E_INVALIDARG);
  for (VARTYPE ok : {VT_I4, VT_R8, VT_BSTR, VT_BOOL, VT_VARIANT, VT_UNKNOWN, VT_UI1, VT_I8}) {
    EXPECT_EQ(vector.CheckVarType(ok), S_OK) << ok;
  }
  EXPECT_EQ(vector.AllocNew(VT_DATE, 2), S_OK) << "allocation does not check the element type";
  ASSERT_EQ(vector.AllocNew(VT_I4, 3), S_OK);
  LONG size = 0;
  EXPECT_EQ(vector.GetVectorSize(size), S_OK);
  EXPECT_EQ(size, 3);
  EXPECT_EQ(vector.SetVectorElement(2, 77), S_OK);
  VARIANT text = Bstr(u"x");
  EXPECT_EQ(vector.SetVectorElement(0, text), E_INVALIDARG) << "a BSTR into a VT_I4 vector";
  EXPECT_EQ(vector.SetVectorElement(0, u"text"), E_INVALIDARG);
  EXPECT_EQ(vector.SetVectorElement(3, 1), DISP_E_BADINDEX);
  VARIANT raw = vector.GetRawVariant();
  LONG index = 2, element = 0;
  ASSERT_EQ(SafeArrayGetElement(raw.parray, &index, &element), S_OK);
  EXPECT_EQ(element, 77);

  CSeSafeVector variants;
  ASSERT_EQ(variants.AllocNew(VT_VARIANT, 1), S_OK);
  EXPECT_EQ(variants.SetVectorElement(0, text), S_OK) << "any VARIANT into a VT_VARIANT vector";
  VariantClear(&text);
  CSeSafeVector empty;
  EXPECT_EQ(empty.GetVectorSize(size), S_OK);
  EXPECT_EQ(size, 0);
}

TEST(SafeVector, ShapeCheckOfAVariant) {
  CSeSafeVector vector;
  ASSERT_EQ(vector.AllocNew(VT_VARIANT, 2), S_OK);
  EXPECT_EQ(vector.CheckVariant(), S_OK);
  SAFEARRAY* shifted = SafeArrayCreateVector(VT_VARIANT, 1, 2);
  SAFEARRAY* matrix = Matrix(2, 2);
  EXPECT_EQ(vector.VariantIsValid(ArrayVariant(shifted)), E_INVALIDARG) << "lower bound 1";
  EXPECT_EQ(vector.VariantIsValid(ArrayVariant(matrix)), E_INVALIDARG) << "two dimensions";
  VARIANT notArray;
  VariantInit(&notArray);
  notArray.vt = VT_VARIANT;
  EXPECT_EQ(vector.VariantIsValid(notArray), E_INVALIDARG);
  SafeArrayDestroy(shifted);
  SafeArrayDestroy(matrix);
}

TEST(ConfigParamArray, TwoRowsOfNamesAndValues) {
  CSeConfigParamArray params;
  ASSERT_EQ(params.AllocNew(3), S_OK);
  EXPECT_EQ(params.CheckVariant(), S_OK);
  EXPECT_EQ(params.SetVectorElement(0, u"Width", 2048), S_OK);
  EXPECT_EQ(params.SetVectorElement(2, u"Lossless", true), S_OK);
  VARIANT out;
  ASSERT_EQ(params.Detach(&out), S_OK);
  EXPECT_FALSE(params.HasArray());
  ASSERT_EQ(out.vt, VT_ARRAY | VT_VARIANT);
  LONG upper = 0;
  SafeArrayGetUBound(out.parray, 1, &upper);
  EXPECT_EQ(upper, 1) << "dimension 1: name and value";
  SafeArrayGetUBound(out.parray, 2, &upper);
  EXPECT_EQ(upper, 2) << "dimension 2: the entries";
  auto at = [&](LONG row, LONG entry) {
    LONG indices[2] = {row, entry};
    VARIANT v;
    VariantInit(&v);
    EXPECT_EQ(SafeArrayGetElement(out.parray, indices, &v), S_OK);
    return v;
  };
  VARIANT name = at(0, 0), value = at(1, 0), unsetName = at(0, 1), flag = at(1, 2);
  EXPECT_EQ(name.vt, VT_BSTR);
  EXPECT_EQ(std::u16string(name.bstrVal), u"Width");
  EXPECT_EQ(value.vt, VT_I4);
  EXPECT_EQ(value.lVal, 2048);
  EXPECT_EQ(unsetName.vt, VT_EMPTY) << "entries never set stay empty";
  EXPECT_EQ(flag.vt, VT_BOOL);
  EXPECT_EQ(flag.boolVal, VARIANT_TRUE);
  VariantClear(&name);
  VariantClear(&out);
}

TEST(ConfigParamArray, AcceptsOnlyTwoByNWithZeroLowerBounds) {
  CSeConfigParamArray params;
  ASSERT_EQ(params.AllocNew(3), S_OK);
  struct Shape {
    SAFEARRAY* array;
    HRESULT expected;
  } shapes[] = {
      {Matrix(2, 3), S_OK},
      {Matrix(3, 2), E_INVALIDARG},  // upper bound of dimension 1 is not 1
      {Matrix(2, 3, 1), E_INVALIDARG},
      {SafeArrayCreateVector(VT_VARIANT, 0, 6), E_INVALIDARG},
  };
  for (auto& shape : shapes) {
    EXPECT_EQ(params.VariantIsValid(ArrayVariant(shape.array)), shape.expected);
    SafeArrayDestroy(shape.array);
  }
  EXPECT_EQ(params.CheckVarType(VT_BSTR), E_INVALIDARG);
}

TEST(SafeArrayBase, LinkedHolderNeverDestroysTheForeignArray) {
  SAFEARRAY* foreign = SafeArrayCreateVector(VT_I4, 0, 4);
  {
    CSeSafeVector holder;
    ASSERT_EQ(holder.LinkTo(foreign), S_OK);
    EXPECT_TRUE(holder.IsLinked());
    EXPECT_EQ(holder.GetElementType(), VT_I4);
    EXPECT_EQ(holder.SetVectorElement(1, 5), S_OK);
    VARIANT out;
    EXPECT_EQ(holder.Detach(&out), HRESULT_FROM_WIN32(ERROR_INVALID_FUNCTION));
    EXPECT_TRUE(holder.HasArray()) << "a failed detach leaves the holder unchanged";
    EXPECT_EQ(holder.Clear(), S_OK);
    ASSERT_EQ(holder.LinkTo(foreign), S_OK);
  }
  LONG index = 1, value = 0;
  EXPECT_EQ(SafeArrayGetElement(foreign, &index, &value), S_OK);
  EXPECT_EQ(value, 5);
  EXPECT_EQ(SafeArrayDestroy(foreign), S_OK) << "still whole and unlocked";
}

TEST(SafeArrayBase, ClearBalancesUnbalancedAccessBeforeDestroying) {
  CSeSafeVector vector;
  ASSERT_EQ(vector.AllocNew(VT_I4, 2), S_OK);
  void* data = nullptr;
  ASSERT_EQ(vector.AccessData(&data), S_OK);
  ASSERT_EQ(vector.AccessData(&data), S_OK);
  EXPECT_EQ(vector.GetAccessCount(), 2);
  EXPECT_EQ(vector.Clear(), S_OK);
  EXPECT_EQ(vector.GetAccessCount(), 0);
  EXPECT_FALSE(vector.HasArray());
  EXPECT_EQ(vector.AccessData(&data), E_INVALIDARG);
  EXPECT_EQ(vector.UnaccessData(), E_INVALIDARG);
}

TEST(SafeArrayBase, DetachHandsOverAnUnlockedArray) {
  CSeSafeVector vector;
  ASSERT_EQ(vector.AllocNew(VT_BSTR, 1), S_OK);
  ASSERT_EQ(vector.SetVectorElement(0, u"tag"), S_OK);
  void* data = nullptr;
  ASSERT_EQ(vector.AccessData(&data), S_OK);
  VARIANT out;
  ASSERT_EQ(vector.Detach(&out), S_OK);
  EXPECT_FALSE(vector.HasArray());
  EXPECT_EQ(out.parray->cLocks, 0u) << "access left open by the holder is balanced before hand-over";
  EXPECT_EQ(VariantClear(&out), S_OK);
  CSeSafeVector dropped;
  ASSERT_EQ(dropped.AllocNew(VT_I4, 1), S_OK);
  EXPECT_EQ(dropped.Detach(nullptr), S_OK);
  EXPECT_FALSE(dropped.HasArray());
}

TEST(GuidString, TextMatchesTheGuid) {
  const GUID known = {0x96EDB23B, 0x2FEC, 0x4F45, {0x98, 0xB7, 0x6E, 0x7D, 0xF3, 0xE4, 0x82, 0x77}};
  CSeGuidString guid;
  EXPECT_EQ(guid.GetText(), nullptr);
  ASSERT_EQ(guid.InitGuid(known), S_OK);
  EXPECT_EQ(std::u16string(guid.GetText()), u"{96EDB23B-2FEC-4F45-98B7-6E7DF3E48277}");
  EXPECT_TRUE(IsEqualGUID(guid.GetGuid(), known));
  ASSERT_EQ(guid.CreateNewGUID(), S_OK);
  EXPECT_FALSE(IsEqualGUID(guid.GetGuid(), known));
  GUID parsed{};
  ASSERT_EQ(CLSIDFromString(guid.GetText(), &parsed), S_OK);
  EXPECT_TRUE(IsEqualGUID(parsed, guid.GetGuid()));
  EXPECT_EQ((guid.GetGuid().Data3 >> 12), 4) << "random, version 4";
}

}  // namespace
