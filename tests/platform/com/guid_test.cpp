// GUID text in registry form both ways, malformed text, random version-4 GUIDs, pointer encoding.
// Registry text is what GUID strings in logs, property values and class lookups are compared as.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "objbase.h"

DEFINE_GUID(kSample, 0x1023531A, 0x7F0D, 0x40EC, 0x85, 0xC5, 0x31, 0xA4, 0x8D, 0x34, 0x15, 0x30);

TEST(GuidText, RegistryFormIsUpperCaseWithBraces) {
  LPOLESTR text = nullptr;
  ASSERT_EQ(StringFromCLSID(kSample, &text), S_OK);
  EXPECT_EQ(std::u16string(text), u"{1023531A-7F0D-40EC-85C5-31A48D341530}");
  CLSID parsed;
  ASSERT_EQ(CLSIDFromString(text, &parsed), S_OK);
  EXPECT_TRUE(IsEqualGUID(parsed, kSample));
  CoTaskMemFree(text);

  OLECHAR buffer[39];
  EXPECT_EQ(StringFromGUID2(kSample, buffer, 39), 39);
  EXPECT_EQ(StringFromGUID2(kSample, buffer, 38), 0);
  ASSERT_EQ(CLSIDFromString(u"{1023531a-7f0d-40ec-85c5-31a48d341530}", &parsed), S_OK);
  EXPECT_EQ(parsed, kSample);
}

TEST(GuidText, MalformedTextIsRejected) {
  for (const char16_t* bad : {u"1023531A-7F0D-40EC-85C5-31A48D341530", u"{1023531A-7F0D-40EC-85C5-31A48D34153}",
                              u"{1023531A-7F0D-40EC-85C5-31A48D341530}x", u"{1023531A 7F0D-40EC-85C5-31A48D341530}",
                              u"{1023531G-7F0D-40EC-85C5-31A48D341530}", u"{"}) {
    CLSID parsed = kSample;
    EXPECT_EQ(CLSIDFromString(bad, &parsed), CO_E_CLASSSTRING);
    EXPECT_EQ(parsed, GUID_NULL);
  }
}

TEST(Guid, CreatedGuidsAreVersion4AndDistinct) {
  std::set<std::u16string> seen;
  for (int i = 0; i < 200; ++i) {
    GUID g;
    ASSERT_EQ(CoCreateGuid(&g), S_OK);
    EXPECT_EQ(g.Data3 >> 12, 4);
    EXPECT_EQ(g.Data4[0] & 0xC0, 0x80);
    OLECHAR text[39];
    StringFromGUID2(g, text, 39);
    seen.insert(text);
  }
  EXPECT_EQ(seen.size(), 200u);
}

TEST(PointerEncoding, RoundTripsAndHidesThePointer) {
  int target = 0;
  void* encoded = EncodePointer(&target);
  EXPECT_NE(encoded, static_cast<void*>(&target));
  EXPECT_EQ(DecodePointer(encoded), &target);
  EXPECT_EQ(DecodePointer(EncodePointer(nullptr)), nullptr);
}
