// VARIANT ownership: clearing frees exactly what the VARIANT owns, copies are deep, and
// VariantCopyInd follows one level of VT_BYREF.
#include <gtest/gtest.h>

#include "counted_object.h"
#include "oleauto.h"

namespace {

VARIANT MakeBstr(const char16_t* text) {
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_BSTR;
  v.bstrVal = SysAllocString(text);
  return v;
}

}  // namespace

TEST(Variant, CopyOfBstrIsDeepAndBothClearIndependently) {
  VARIANT source = MakeBstr(u"name");
  VARIANT copy;
  VariantInit(&copy);
  ASSERT_EQ(VariantCopy(&copy, &source), S_OK);
  ASSERT_EQ(copy.vt, VT_BSTR);
  EXPECT_NE(copy.bstrVal, source.bstrVal);
  EXPECT_EQ(std::u16string(copy.bstrVal), u"name");
  EXPECT_EQ(VariantClear(&source), S_OK);
  EXPECT_EQ(source.vt, VT_EMPTY);
  EXPECT_EQ(std::u16string(copy.bstrVal), u"name");
  EXPECT_EQ(VariantClear(&copy), S_OK);
}

TEST(Variant, InterfaceReferencesAreCountedByCopyAndClear) {
  bool destroyed = false;
  auto* object = new CountedObject(&destroyed);
  VARIANT held;
  VariantInit(&held);
  held.vt = VT_UNKNOWN;
  held.punkVal = object;  // takes the creation reference
  VARIANT copy;
  VariantInit(&copy);
  ASSERT_EQ(VariantCopy(&copy, &held), S_OK);
  EXPECT_EQ(object->refs(), 2u);
  VariantClear(&held);
  EXPECT_FALSE(destroyed);
  VariantClear(&copy);
  EXPECT_TRUE(destroyed);
}

TEST(Variant, CopyOverAnOccupiedDestinationFreesTheOldValue) {
  VARIANT destination = MakeBstr(u"old");
  VARIANT source;
  VariantInit(&source);
  source.vt = VT_I4;
  source.lVal = 7;
  ASSERT_EQ(VariantCopy(&destination, &source), S_OK);  // ASan reports the old BSTR if leaked
  EXPECT_EQ(destination.vt, VT_I4);
  EXPECT_EQ(destination.lVal, 7);
  EXPECT_EQ(VariantCopy(&destination, &destination), S_OK);
}

TEST(Variant, CopyOfArrayDuplicatesTheElements) {
  VARIANT source;
  VariantInit(&source);
  source.vt = VT_ARRAY | VT_BSTR;
  source.parray = SafeArrayCreateVector(VT_BSTR, 0, 2);
  LONG index = 1;
  BSTR text = SysAllocString(u"tag");
  ASSERT_EQ(SafeArrayPutElement(source.parray, &index, text), S_OK);
  SysFreeString(text);
  VARIANT copy;
  VariantInit(&copy);
  ASSERT_EQ(VariantCopy(&copy, &source), S_OK);
  EXPECT_NE(copy.parray, source.parray);
  VariantClear(&source);
  BSTR element = nullptr;
  ASSERT_EQ(SafeArrayGetElement(copy.parray, &index, &element), S_OK);
  EXPECT_EQ(std::u16string(element), u"tag");
  SysFreeString(element);
  VariantClear(&copy);
}

TEST(Variant, ClearOfLockedArrayFailsAndKeepsIt) {
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_ARRAY | VT_I4;
  v.parray = SafeArrayCreateVector(VT_I4, 0, 4);
  ASSERT_EQ(SafeArrayLock(v.parray), S_OK);
  EXPECT_EQ(VariantClear(&v), DISP_E_ARRAYISLOCKED);
  EXPECT_EQ(v.vt, VT_ARRAY | VT_I4);
  ASSERT_EQ(SafeArrayUnlock(v.parray), S_OK);
  EXPECT_EQ(VariantClear(&v), S_OK);
}

TEST(Variant, InvalidTypesAreRejected) {
  VARIANT v;
  VariantInit(&v);
  for (VARTYPE bad : {VARTYPE(VT_VARIANT), VARTYPE(VT_EMPTY | VT_BYREF), VARTYPE(VT_I4 | VT_VECTOR), VARTYPE(99)}) {
    v.vt = bad;
    EXPECT_EQ(VariantClear(&v), DISP_E_BADVARTYPE) << bad;
  }
}

TEST(Variant, CopyIndFollowsScalarBstrAndVariantReferences) {
  LONG number = 42;
  VARIANT byref;
  VariantInit(&byref);
  byref.vt = VT_BYREF | VT_I4;
  byref.plVal = &number;
  VARIANT out;
  VariantInit(&out);
  ASSERT_EQ(VariantCopyInd(&out, &byref), S_OK);
  EXPECT_EQ(out.vt, VT_I4);
  EXPECT_EQ(out.lVal, 42);

  BSTR text = SysAllocString(u"deep");
  byref.vt = VT_BYREF | VT_BSTR;
  byref.pbstrVal = &text;
  ASSERT_EQ(VariantCopyInd(&out, &byref), S_OK);
  EXPECT_EQ(out.vt, VT_BSTR);
  EXPECT_NE(out.bstrVal, text);
  SysFreeString(text);
  EXPECT_EQ(std::u16string(out.bstrVal), u"deep");

  VARIANT inner;
  VariantInit(&inner);
  inner.vt = VT_R8;
  inner.dblVal = 2.5;
  byref.vt = VT_BYREF | VT_VARIANT;
  byref.pvarVal = &inner;
  ASSERT_EQ(VariantCopyInd(&out, &byref), S_OK);  // frees the BSTR copy held by out
  EXPECT_EQ(out.vt, VT_R8);
  EXPECT_EQ(out.dblVal, 2.5);

  // Only one level is followed: a reference to a reference is refused.
  VARIANT outer;
  outer.vt = VT_BYREF | VT_VARIANT;
  outer.pvarVal = &byref;
  EXPECT_EQ(VariantCopyInd(&out, &outer), E_INVALIDARG);

  // In place: the reference is replaced by the value.
  ASSERT_EQ(VariantCopyInd(&byref, &byref), S_OK);
  EXPECT_EQ(byref.vt, VT_R8);
}
