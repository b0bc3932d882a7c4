// Binary layouts that must match Windows x64, so data built here reads the same as there.
// Checked with offsetof so a changed member order or padding fails here, not in a caller.
#include <gtest/gtest.h>

#include <cstddef>

#include "objbase.h"

TEST(Layout, AutomationTypesHaveWindowsOffsets) {
  EXPECT_EQ(sizeof(VARIANT), 24u);
  EXPECT_EQ(offsetof(VARIANT, lVal), 8u);
  EXPECT_EQ(offsetof(VARIANT, brecVal.pRecInfo), 16u);
  EXPECT_EQ(sizeof(DECIMAL), 16u);
  EXPECT_EQ(offsetof(DECIMAL, Hi32), 4u);
  EXPECT_EQ(offsetof(DECIMAL, u2), 8u);
  EXPECT_EQ(sizeof(CY), 8u);
  EXPECT_EQ(sizeof(SAFEARRAY), 32u);
  EXPECT_EQ(offsetof(SAFEARRAY, cLocks), 8u);
  EXPECT_EQ(offsetof(SAFEARRAY, pvData), 16u);
  EXPECT_EQ(offsetof(SAFEARRAY, rgsabound), 24u);
  EXPECT_EQ(sizeof(GUID), 16u);
  EXPECT_EQ(sizeof(VARIANT_BOOL), 2u);
  EXPECT_EQ(sizeof(OLECHAR), 2u);
  EXPECT_EQ(sizeof(DISPPARAMS), 24u);
}

TEST(Layout, DecimalOverlaysTheVariantType) {
  VARIANT v;
  VariantInit(&v);
  v.decVal.u2.Lo64 = 15;
  v.decVal.u.s.scale = 1;
  v.vt = VT_DECIMAL;
  EXPECT_EQ(v.decVal.wReserved, VT_DECIMAL);
  EXPECT_EQ(v.decVal.u2.Lo64, 15u);
}
