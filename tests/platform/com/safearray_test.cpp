// SAFEARRAY bounds, multi-dimensional indexing with lower bounds, lock counting and the
// destroy-while-locked error, element ownership and deep copies.
#include <gtest/gtest.h>

#include "counted_object.h"
#include "oleauto.h"

namespace {

struct ArrayDeleter {
  void operator()(SAFEARRAY* psa) const { EXPECT_EQ(SafeArrayDestroy(psa), S_OK); }
};
using ArrayPtr = std::unique_ptr<SAFEARRAY, ArrayDeleter>;

}  // namespace

TEST(SafeArray, BoundsAreReportedPerDimensionInCallerOrder) {
  SAFEARRAYBOUND bounds[3] = {{2, 0}, {3, -1}, {4, 10}};
  ArrayPtr array(SafeArrayCreate(VT_R8, 3, bounds));
  ASSERT_TRUE(array);
  EXPECT_EQ(SafeArrayGetDim(array.get()), 3u);
  EXPECT_EQ(SafeArrayGetElemsize(array.get()), 8u);
  const LONG expected[3][2] = {{0, 1}, {-1, 1}, {10, 13}};
  for (UINT d = 1; d <= 3; ++d) {
    LONG lower = 0, upper = 0;
    ASSERT_EQ(SafeArrayGetLBound(array.get(), d, &lower), S_OK);
    ASSERT_EQ(SafeArrayGetUBound(array.get(), d, &upper), S_OK);
    EXPECT_EQ(lower, expected[d - 1][0]);
    EXPECT_EQ(upper, expected[d - 1][1]);
  }
  LONG ignored;
  EXPECT_EQ(SafeArrayGetLBound(array.get(), 0, &ignored), DISP_E_BADINDEX);
  EXPECT_EQ(SafeArrayGetUBound(array.get(), 4, &ignored), DISP_E_BADINDEX);
  EXPECT_EQ(array->rgsabound[0].lLbound, 10);  // stored last dimension first
}

TEST(SafeArray, FirstIndexVariesFastestAndOutOfRangeIsBadIndex) {
  SAFEARRAYBOUND bounds[2] = {{2, 0}, {3, 5}};
  ArrayPtr array(SafeArrayCreate(VT_I4, 2, bounds));
  ASSERT_TRUE(array);
  for (LONG row = 0; row < 2; ++row) {
    for (LONG column = 5; column < 8; ++column) {
      LONG index[2] = {row, column};
      LONG value = row * 100 + column;
      ASSERT_EQ(SafeArrayPutElement(array.get(), index, &value), S_OK);
    }
  }
  const auto* data = static_cast<const LONG*>(array->pvData);
  EXPECT_EQ(data[0], 5);
  EXPECT_EQ(data[1], 105);
  EXPECT_EQ(data[2], 6);
  EXPECT_EQ(data[5], 107);
  LONG outside[][2] = {{2, 5}, {-1, 5}, {0, 4}, {0, 8}};
  for (auto& index : outside) {
    LONG value = 0;
    EXPECT_EQ(SafeArrayGetElement(array.get(), index, &value), DISP_E_BADINDEX);
    EXPECT_EQ(SafeArrayPutElement(array.get(), index, &value), DISP_E_BADINDEX);
  }
}

TEST(SafeArray, AccessCountingBlocksDestruction) {
  SAFEARRAY* array = SafeArrayCreateVector(VT_UI1, 0, 16);
  ASSERT_NE(array, nullptr);
  void* first = nullptr;
  void* second = nullptr;
  ASSERT_EQ(SafeArrayAccessData(array, &first), S_OK);
  ASSERT_EQ(SafeArrayAccessData(array, &second), S_OK);
  EXPECT_EQ(first, second);
  EXPECT_EQ(array->cLocks, 2u);
  EXPECT_EQ(SafeArrayDestroy(array), DISP_E_ARRAYISLOCKED);
  EXPECT_EQ(SafeArrayDestroyData(array), DISP_E_ARRAYISLOCKED);
  SAFEARRAYBOUND bigger{32, 0};
  EXPECT_EQ(SafeArrayRedim(array, &bigger), DISP_E_ARRAYISLOCKED);
  ASSERT_EQ(SafeArrayUnaccessData(array), S_OK);
  EXPECT_EQ(SafeArrayDestroy(array), DISP_E_ARRAYISLOCKED);
  ASSERT_EQ(SafeArrayUnaccessData(array), S_OK);
  EXPECT_EQ(SafeArrayUnaccessData(array), E_UNEXPECTED);
  EXPECT_EQ(SafeArrayDestroy(array), S_OK);
}

TEST(SafeArray, VartypeIsKeptForEveryElementType) {
  for (VARTYPE vt : {VT_I1, VT_UI1, VT_I2, VT_UI2, VT_I4, VT_UI4, VT_I8, VT_UI8, VT_R4, VT_R8, VT_CY, VT_DATE,
                     VT_BSTR, VT_BOOL, VT_VARIANT, VT_UNKNOWN, VT_DISPATCH, VT_DECIMAL, VT_ERROR}) {
    ArrayPtr array(SafeArrayCreateVector(vt, 0, 1));
    ASSERT_TRUE(array) << vt;
    VARTYPE stored = VT_EMPTY;
    ASSERT_EQ(SafeArrayGetVartype(array.get(), &stored), S_OK);
    EXPECT_EQ(stored, vt);
  }
  SAFEARRAYBOUND bound{1, 0};
  EXPECT_EQ(SafeArrayCreate(VT_EMPTY, 1, &bound), nullptr);
  EXPECT_EQ(SafeArrayCreate(VT_I4, 0, &bound), nullptr);
}

TEST(SafeArray, ElementsOwnTheirValuesAndCopiesAreDeep) {
  bool destroyed = false;
  auto* object = new CountedObject(&destroyed);
  SAFEARRAYBOUND bounds[2] = {{2, 0}, {2, 0}};
  SAFEARRAY* variants = SafeArrayCreate(VT_VARIANT, 2, bounds);
  ASSERT_NE(variants, nullptr);
  VARIANT value;
  VariantInit(&value);
  value.vt = VT_UNKNOWN;
  value.punkVal = object;
  LONG index[2] = {1, 0};
  ASSERT_EQ(SafeArrayPutElement(variants, index, &value), S_OK);
  EXPECT_EQ(object->refs(), 2u);
  SAFEARRAY* copy = nullptr;
  ASSERT_EQ(SafeArrayCopy(variants, &copy), S_OK);
  EXPECT_EQ(object->refs(), 3u);
  VARIANT fetched;
  ASSERT_EQ(SafeArrayGetElement(copy, index, &fetched), S_OK);
  EXPECT_EQ(fetched.punkVal, object);
  VariantClear(&fetched);
  EXPECT_EQ(SafeArrayDestroy(variants), S_OK);
  EXPECT_EQ(SafeArrayDestroy(copy), S_OK);
  EXPECT_FALSE(destroyed);
  VariantClear(&value);
  EXPECT_TRUE(destroyed);
}

TEST(SafeArray, RedimKeepsLeadingElementsAndFreesDropped) {
  SAFEARRAY* texts = SafeArrayCreateVector(VT_BSTR, 1, 3);
  for (LONG i = 1; i <= 3; ++i) {
    BSTR text = SysAllocString(u"x");
    ASSERT_EQ(SafeArrayPutElement(texts, &i, text), S_OK);
    SysFreeString(text);
  }
  SAFEARRAYBOUND smaller{1, 1};
  ASSERT_EQ(SafeArrayRedim(texts, &smaller), S_OK);  // ASan catches a leak of elements 2 and 3
  LONG upper = 0;
  ASSERT_EQ(SafeArrayGetUBound(texts, 1, &upper), S_OK);
  EXPECT_EQ(upper, 1);
  SAFEARRAYBOUND larger{4, 1};
  ASSERT_EQ(SafeArrayRedim(texts, &larger), S_OK);
  LONG last = 4;
  BSTR element = reinterpret_cast<BSTR>(1);
  ASSERT_EQ(SafeArrayGetElement(texts, &last, &element), S_OK);
  EXPECT_EQ(element, nullptr);
  EXPECT_EQ(SafeArrayDestroy(texts), S_OK);
}

TEST(SafeArray, NullArgumentsGiveErrors) {
  LONG index = 0;
  LONG value = 0;
  void* data = nullptr;
  EXPECT_EQ(SafeArrayDestroy(nullptr), S_OK);
  EXPECT_EQ(SafeArrayAccessData(nullptr, &data), E_INVALIDARG);
  EXPECT_EQ(SafeArrayPutElement(nullptr, &index, &value), E_INVALIDARG);
  EXPECT_EQ(SafeArrayGetElement(nullptr, &index, &value), E_INVALIDARG);
  SAFEARRAY* copy = reinterpret_cast<SAFEARRAY*>(1);
  EXPECT_EQ(SafeArrayCopy(nullptr, &copy), S_OK);
  EXPECT_EQ(copy, nullptr);
}
