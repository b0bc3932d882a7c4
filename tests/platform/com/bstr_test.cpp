// BSTR length prefix, embedded NULs, byte-length strings and reallocation from overlapping text.
// Every BSTR read by the module and the host relies on these, so they are checked byte by byte.
#include <gtest/gtest.h>

#include <cstring>

#include "oleauto.h"

TEST(Bstr, LengthPrefixCountsEmbeddedNulsAndATerminatorFollows) {
  const std::u16string texts[] = {u"slide", std::u16string(u"a\0b\0c", 5)};
  for (const auto& raw : texts) {
    BSTR text = SysAllocStringLen(raw.data(), static_cast<UINT>(raw.size()));
    ASSERT_NE(text, nullptr);
    std::uint32_t prefix;
    std::memcpy(&prefix, reinterpret_cast<char*>(text) - 4, 4);
    EXPECT_EQ(prefix, 2 * raw.size());
    EXPECT_EQ(SysStringLen(text), raw.size());
    EXPECT_EQ(SysStringByteLen(text), 2 * raw.size());
    EXPECT_EQ(std::memcmp(text, raw.data(), 2 * raw.size()), 0);
    EXPECT_EQ(text[raw.size()], 0);
    SysFreeString(text);
  }
  BSTR text = SysAllocString(u"slide");
  EXPECT_EQ(SysStringLen(text), 5u);
  SysFreeString(text);
}

TEST(Bstr, ByteLengthStringsKeepOddLengths) {
  BSTR bytes = SysAllocStringByteLen("abc", 3);
  ASSERT_NE(bytes, nullptr);
  EXPECT_EQ(SysStringByteLen(bytes), 3u);
  EXPECT_EQ(SysStringLen(bytes), 1u);
  EXPECT_EQ(std::memcmp(bytes, "abc", 4), 0);  // NUL-terminated after the bytes
  SysFreeString(bytes);
}

TEST(Bstr, NullArgumentsAreHarmless) {
  EXPECT_EQ(SysAllocString(nullptr), nullptr);
  EXPECT_EQ(SysStringLen(nullptr), 0u);
  EXPECT_EQ(SysStringByteLen(nullptr), 0u);
  SysFreeString(nullptr);
  BSTR zeroed = SysAllocStringLen(nullptr, 3);
  ASSERT_NE(zeroed, nullptr);
  EXPECT_EQ(SysStringLen(zeroed), 3u);
  SysFreeString(zeroed);
}

TEST(Bstr, ReallocFromTextInsideTheOldString) {
  BSTR text = SysAllocString(u"whole slide image");
  ASSERT_TRUE(SysReAllocString(&text, text + 6));
  EXPECT_EQ(std::u16string(text, SysStringLen(text)), u"slide image");
  ASSERT_TRUE(SysReAllocStringLen(&text, text, 5));
  EXPECT_EQ(std::u16string(text, SysStringLen(text)), u"slide");
  SysFreeString(text);
}
