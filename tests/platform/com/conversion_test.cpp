// Text <-> number/date/boolean conversions under locale 2057 and VariantChangeType built on them:
// separators, rounding, overflow, malformed text, dates before 1900 and negative dates.
#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <string>

#include "oleauto.h"

namespace {

constexpr LCID kUk = 2057;
constexpr ULONG kNoOverride = LOCALE_NOUSEROVERRIDE;

std::u16string Take(BSTR text) {
  std::u16string copy(text, SysStringLen(text));
  SysFreeString(text);
  return copy;
}

struct RealCase {
  const char16_t* text;
  double expected;
};

class R8FromStr : public ::testing::TestWithParam<RealCase> {};

TEST_P(R8FromStr, Parses) {
  double value = -12345;
  ASSERT_EQ(VarR8FromStr(GetParam().text, kUk, kNoOverride, &value), S_OK);
  EXPECT_DOUBLE_EQ(value, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Texts, R8FromStr,
                         ::testing::Values(RealCase{u"1.5", 1.5}, RealCase{u"  1.5\t", 1.5},
                                           RealCase{u"-2.25", -2.25}, RealCase{u"+7", 7},
                                           RealCase{u"1,000.5", 1000.5}, RealCase{u"1,5", 15},
                                           RealCase{u"1e3", 1000}, RealCase{u"2.5E-2", 0.025},
                                           RealCase{u"(5)", -5}, RealCase{u"5-", -5},
                                           RealCase{u"\u00A33.5", 3.5}, RealCase{u".5", 0.5},
                                           RealCase{u"1.", 1}, RealCase{u"&H10", 16}, RealCase{u"&O17", 15},
                                           RealCase{u"0.1", 0.1}));

TEST(VarFromStr, MalformedTextIsATypeMismatch) {
  for (const char16_t* bad : {u"", u"  ", u"abc", u"1.5x", u"1e", u"--1", u"(5", u"1.2.3", u"1 2", u"5)", u"-(5)",
                              u"&H", u"&HZZ", u"1,5,e3x"}) {
    double value = 0;
    EXPECT_EQ(VarR8FromStr(bad, kUk, kNoOverride, &value), DISP_E_TYPEMISMATCH)
        << std::string(bad, bad + std::char_traits<char16_t>::length(bad));
  }
  LONG number = 0;
  EXPECT_EQ(VarI4FromStr(nullptr, kUk, 0, &number), DISP_E_TYPEMISMATCH);
  EXPECT_EQ(VarI4FromStr(u"1", kUk, 0, nullptr), E_INVALIDARG);
}

TEST(VarFromStr, IntegersRoundHalfToEvenAndCheckRange) {
  struct Case {
    const char16_t* text;
    HRESULT hr;
    LONG value;
  };
  const Case cases[] = {{u"2.5", S_OK, 2},           {u"3.5", S_OK, 4},
                        {u"-2.5", S_OK, -2},         {u"2.51", S_OK, 3},
                        {u"2147483647", S_OK, 2147483647}, {u"-2147483648", S_OK, -2147483647 - 1},
                        {u"2147483648", DISP_E_OVERFLOW, 0}, {u"1e10", DISP_E_OVERFLOW, 0},
                        {u"&HFFFFFFFF", S_OK, -1},   {u"1e400", DISP_E_OVERFLOW, 0}};
  for (const auto& c : cases) {
    LONG value = 0;
    EXPECT_EQ(VarI4FromStr(c.text, kUk, kNoOverride, &value), c.hr);
    if (c.hr == S_OK) {
      EXPECT_EQ(value, c.value);
    }
  }
  SHORT small = 0;
  EXPECT_EQ(VarI2FromStr(u"&HFFFF", kUk, 0, &small), S_OK);
  EXPECT_EQ(small, -1);
  EXPECT_EQ(VarI2FromStr(u"32768", kUk, 0, &small), DISP_E_OVERFLOW);
  BYTE byte = 0;
  EXPECT_EQ(VarUI1FromStr(u"255", kUk, 0, &byte), S_OK);
  EXPECT_EQ(VarUI1FromStr(u"256", kUk, 0, &byte), DISP_E_OVERFLOW);
  EXPECT_EQ(VarUI1FromStr(u"-1", kUk, 0, &byte), DISP_E_OVERFLOW);
  CHAR signedByte = 0;
  EXPECT_EQ(VarI1FromStr(u"-128", kUk, 0, &signedByte), S_OK);
  EXPECT_EQ(static_cast<signed char>(signedByte), -128);
  ULONG unsignedLong = 0;
  EXPECT_EQ(VarUI4FromStr(u"4294967295", kUk, 0, &unsignedLong), S_OK);
  EXPECT_EQ(unsignedLong, 4294967295u);
  FLOAT single = 0;
  EXPECT_EQ(VarR4FromStr(u"1e39", kUk, 0, &single), DISP_E_OVERFLOW);
  double real = 0;
  EXPECT_EQ(VarR8FromStr(u"1e400000", kUk, 0, &real), DISP_E_OVERFLOW);
}

TEST(VarFromStr, CurrencyAndDecimalAreExact) {
  CY currency;
  ASSERT_EQ(VarCyFromStr(u"1234.56785", kUk, 0, &currency), S_OK);
  EXPECT_EQ(currency.int64, 12345678);  // rounded half to even at the fourth decimal
  EXPECT_EQ(VarCyFromStr(u"922337203685478", kUk, 0, &currency), DISP_E_OVERFLOW);
  DECIMAL decimal;
  ASSERT_EQ(VarDecFromStr(u"-79228162514264337593543950335", kUk, 0, &decimal), S_OK);
  EXPECT_EQ(decimal.Hi32, 0xFFFFFFFFu);
  EXPECT_EQ(decimal.u2.Lo64, ~0ull);
  EXPECT_EQ(decimal.u.s.sign, DECIMAL_NEG);
  EXPECT_EQ(VarDecFromStr(u"79228162514264337593543950336", kUk, 0, &decimal), DISP_E_OVERFLOW);
  ASSERT_EQ(VarDecFromStr(u"123.450", kUk, 0, &decimal), S_OK);
  EXPECT_EQ(decimal.u.s.scale, 3);
  EXPECT_EQ(decimal.u2.Lo64, 123450u);
  BSTR text = nullptr;
  ASSERT_EQ(VarBstrFromDec(&decimal, kUk, 0, &text), S_OK);
  EXPECT_EQ(Take(text), u"123.45");
  currency.int64 = -15000;
  ASSERT_EQ(VarBstrFromCy(currency, kUk, 0, &text), S_OK);
  EXPECT_EQ(Take(text), u"-1.5");
}

struct FormatCase {
  double value;
  const char16_t* text;
};

class BstrFromR8 : public ::testing::TestWithParam<FormatCase> {};

TEST_P(BstrFromR8, FormatsWithFifteenDigits) {
  BSTR text = nullptr;
  ASSERT_EQ(VarBstrFromR8(GetParam().value, kUk, kNoOverride, &text), S_OK);
  EXPECT_EQ(Take(text), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(Values, BstrFromR8,
                         ::testing::Values(FormatCase{1.5, u"1.5"}, FormatCase{0.1, u"0.1"},
                                           FormatCase{-0.5, u"-0.5"}, FormatCase{100, u"100"},
                                           FormatCase{1e20, u"1E+20"}, FormatCase{1e-5, u"1E-05"},
                                           FormatCase{1.0 / 3, u"0.333333333333333"},
                                           FormatCase{123456789012345678.0, u"1.23456789012346E+17"},
                                           FormatCase{123456789012345.0, u"123456789012345"}));

TEST(BstrFrom, OtherScalarTypes) {
  BSTR text = nullptr;
  ASSERT_EQ(VarBstrFromR4(0.1f, kUk, 0, &text), S_OK);
  EXPECT_EQ(Take(text), u"0.1");
  ASSERT_EQ(VarBstrFromI4(-2147483647 - 1, kUk, 0, &text), S_OK);
  EXPECT_EQ(Take(text), u"-2147483648");
  ASSERT_EQ(VarBstrFromUI8(18446744073709551615ull, kUk, 0, &text), S_OK);
  EXPECT_EQ(Take(text), u"18446744073709551615");
  ASSERT_EQ(VarBstrFromI1(static_cast<CHAR>(-5), kUk, 0, &text), S_OK);
  EXPECT_EQ(Take(text), u"-5");
  ASSERT_EQ(VarBstrFromBool(VARIANT_TRUE, kUk, kNoOverride, &text), S_OK);
  EXPECT_EQ(Take(text), u"True");
  ASSERT_EQ(VarBstrFromBool(VARIANT_FALSE, kUk, kNoOverride, &text), S_OK);
  EXPECT_EQ(Take(text), u"False");
}

TEST(VarBoolFromStr, WordsAndNumbers) {
  struct Case {
    const char16_t* text;
    HRESULT hr;
    VARIANT_BOOL value;
  };
  const Case cases[] = {{u"True", S_OK, VARIANT_TRUE},   {u" false ", S_OK, VARIANT_FALSE},
                        {u"TRUE", S_OK, VARIANT_TRUE},   {u"#FALSE#", S_OK, VARIANT_FALSE},
                        {u"1", S_OK, VARIANT_TRUE},      {u"0", S_OK, VARIANT_FALSE},
                        {u"2.5", S_OK, VARIANT_TRUE},    {u"-1", S_OK, VARIANT_TRUE},
                        {u"0.0", S_OK, VARIANT_FALSE},   {u"maybe", DISP_E_TYPEMISMATCH, 0},
                        {u"yes", DISP_E_TYPEMISMATCH, 0}};
  for (const auto& c : cases) {
    VARIANT_BOOL value = 1;
    EXPECT_EQ(VarBoolFromStr(c.text, kUk, kNoOverride, &value), c.hr);
    if (c.hr == S_OK) {
      EXPECT_EQ(value, c.value);
    }
  }
}

class DateText : public ::testing::TestWithParam<FormatCase> {};

TEST_P(DateText, FormatsAndParsesBack) {
  BSTR text = nullptr;
  ASSERT_EQ(VarBstrFromDate(GetParam().value, kUk, kNoOverride, &text), S_OK);
  const std::u16string formatted = Take(text);
  EXPECT_EQ(formatted, GetParam().text);
  DATE parsed = 0;
  ASSERT_EQ(VarDateFromStr(formatted.c_str(), kUk, kNoOverride, &parsed), S_OK);
  // A time-only text reads back as a time on 30/12/1899, the same as a value in (-1, 1).
  EXPECT_DOUBLE_EQ(parsed, GetParam().value < 0 && GetParam().value > -1 ? -GetParam().value : GetParam().value);
}

INSTANTIATE_TEST_SUITE_P(Values, DateText,
                         ::testing::Values(FormatCase{0.25, u"06:00:00"}, FormatCase{45000.0, u"15/03/2023"},
                                           FormatCase{45000.5, u"15/03/2023 12:00:00"},
                                           FormatCase{0.0, u"00:00:00"}, FormatCase{1.0, u"31/12/1899"},
                                           FormatCase{2.0, u"01/01/1900"}, FormatCase{-1.0, u"29/12/1899"},
                                           FormatCase{-1.25, u"29/12/1899 06:00:00"},
                                           FormatCase{-0.25, u"06:00:00"},
                                           FormatCase{-36522.0, u"01/01/1800"},
                                           FormatCase{-36522.75, u"01/01/1800 18:00:00"},
                                           FormatCase{-657434.0, u"01/01/0100"},
                                           FormatCase{2958465.0, u"31/12/9999"},
                                           FormatCase{60.0, u"28/02/1900"}, FormatCase{61.0, u"01/03/1900"}));

TEST(DateText, PartSelectionFlagsAndRange) {
  BSTR text = nullptr;
  ASSERT_EQ(VarBstrFromDate(45000.5, kUk, VAR_DATEVALUEONLY, &text), S_OK);
  EXPECT_EQ(Take(text), u"15/03/2023");
  ASSERT_EQ(VarBstrFromDate(45000.5, kUk, VAR_TIMEVALUEONLY, &text), S_OK);
  EXPECT_EQ(Take(text), u"12:00:00");
  EXPECT_EQ(VarBstrFromDate(2958466.0, kUk, 0, &text), E_INVALIDARG);
  EXPECT_EQ(VarBstrFromDate(-657435.0, kUk, 0, &text), E_INVALIDARG);
  EXPECT_EQ(VarBstrFromDate(NAN, kUk, 0, &text), E_INVALIDARG);
}

TEST(DateText, ParsesOtherWritings) {
  struct Case {
    const char16_t* text;
    double value;
  };
  const Case cases[] = {{u"15/3/2023", 45000},          {u"15-03-2023", 45000},
                        {u"15.03.2023", 45000},         {u"2023-03-15", 45000},
                        {u"15 March 2023", 45000},      {u"March 15, 2023", 45000},
                        {u"15-Mar-2023", 45000},        {u"Wed 15 Mar 2023", 45000},
                        {u"03/15/2023", 45000},         {u"15/03/23", 45000},
                        {u"6:00 PM", 0.75},             {u"12:00 AM", 0},
                        {u"18:30", 0.770833333333333},  {u"15/03/2023 6 PM", 45000.75},
                        {u"12:00:00 15/03/2023", 45000.5}, {u"01/01/1800 18:00:00", -36522.75}};
  for (const auto& c : cases) {
    DATE value = -1;
    EXPECT_EQ(VarDateFromStr(c.text, kUk, kNoOverride, &value), S_OK)
        << std::string(c.text, c.text + std::char_traits<char16_t>::length(c.text));
    EXPECT_NEAR(value, c.value, 1e-9);
  }
  for (const char16_t* bad : {u"", u"hello", u"31/02/2023", u"25:00", u"12:60", u"15/03/2023 x", u"1/2/3/4",
                              u"13 PM", u"32/13/2023", u"15/03/10000"}) {
    DATE value = 0;
    EXPECT_EQ(VarDateFromStr(bad, kUk, kNoOverride, &value), DISP_E_TYPEMISMATCH)
        << std::string(bad, bad + std::char_traits<char16_t>::length(bad));
  }
}

class ChangeType : public ::testing::Test {
 protected:
  void TearDown() override {
    VariantClear(&source);
    VariantClear(&result);
  }
  void SetText(const char16_t* text) {
    VariantClear(&source);
    source.vt = VT_BSTR;
    source.bstrVal = SysAllocString(text);
  }
  HRESULT Change(VARTYPE vt, USHORT flags = VARIANT_NOUSEROVERRIDE) {
    return VariantChangeTypeEx(&result, &source, kUk, flags, vt);
  }
  VARIANT source{};
  VARIANT result{};
};

TEST_F(ChangeType, TextToNumbersDatesAndBooleans) {
  SetText(u"1.5");
  ASSERT_EQ(Change(VT_R8), S_OK);
  EXPECT_EQ(result.vt, VT_R8);
  EXPECT_EQ(result.dblVal, 1.5);
  ASSERT_EQ(Change(VT_I4), S_OK);
  EXPECT_EQ(result.lVal, 2);
  SetText(u"15/03/2023 12:00:00");
  ASSERT_EQ(Change(VT_DATE), S_OK);
  EXPECT_EQ(result.date, 45000.5);
  SetText(u"True");
  ASSERT_EQ(Change(VT_BOOL), S_OK);
  EXPECT_EQ(result.boolVal, VARIANT_TRUE);
  SetText(u"abc");
  EXPECT_EQ(Change(VT_I4), DISP_E_TYPEMISMATCH);
  EXPECT_EQ(result.vt, VT_BOOL);  // unchanged by the failed conversion
  SetText(u"70000");
  EXPECT_EQ(Change(VT_I2), DISP_E_OVERFLOW);
}

TEST_F(ChangeType, ValuesToText) {
  source.vt = VT_R8;
  source.dblVal = 1.5;
  ASSERT_EQ(Change(VT_BSTR), S_OK);
  EXPECT_EQ(std::u16string(result.bstrVal), u"1.5");
  source.vt = VT_DATE;
  source.date = 45000.5;
  ASSERT_EQ(Change(VT_BSTR), S_OK);
  EXPECT_EQ(std::u16string(result.bstrVal), u"15/03/2023 12:00:00");
  source.vt = VT_BOOL;
  source.boolVal = VARIANT_TRUE;
  ASSERT_EQ(Change(VT_BSTR), S_OK);
  EXPECT_EQ(std::u16string(result.bstrVal), u"-1");
  ASSERT_EQ(Change(VT_BSTR, VARIANT_ALPHABOOL), S_OK);
  EXPECT_EQ(std::u16string(result.bstrVal), u"True");
}

TEST_F(ChangeType, BetweenNumbers) {
  struct Case {
    VARTYPE from;
    double value;
    VARTYPE to;
    HRESULT hr;
    double expected;
  };
  const Case cases[] = {{VT_R8, 2.5, VT_I4, S_OK, 2},          {VT_R8, -3.5, VT_I2, S_OK, -4},
                        {VT_I4, 300, VT_UI1, DISP_E_OVERFLOW, 0}, {VT_I4, -1, VT_UI4, DISP_E_OVERFLOW, 0},
                        {VT_R8, 1e300, VT_R4, DISP_E_OVERFLOW, 0}, {VT_R8, 1e10, VT_DATE, DISP_E_OVERFLOW, 0},
                        {VT_R8, NAN, VT_I4, DISP_E_OVERFLOW, 0},   {VT_I4, 7, VT_R8, S_OK, 7},
                        {VT_R8, 0.0, VT_BOOL, S_OK, 0},           {VT_R8, 0.1, VT_BOOL, S_OK, -1},
                        {VT_R8, 45000.25, VT_DATE, S_OK, 45000.25}};
  for (const auto& c : cases) {
    VariantClear(&source);
    source.vt = VT_R8;
    source.dblVal = c.value;
    ASSERT_EQ(VariantChangeType(&source, &source, 0, c.from), S_OK);
    EXPECT_EQ(Change(c.to), c.hr) << c.value << " to " << c.to;
    if (c.hr != S_OK) continue;
    VARIANT asDouble;
    VariantInit(&asDouble);
    ASSERT_EQ(VariantChangeType(&asDouble, &result, 0, VT_R8), S_OK);
    EXPECT_EQ(asDouble.dblVal, c.expected);
  }
}

TEST_F(ChangeType, CurrencyAndDecimalRoundTrip) {
  SetText(u"-12.3456");
  ASSERT_EQ(Change(VT_CY), S_OK);
  EXPECT_EQ(result.cyVal.int64, -123456);
  VariantCopy(&source, &result);
  ASSERT_EQ(Change(VT_DECIMAL), S_OK);
  EXPECT_EQ(result.vt, VT_DECIMAL);
  VariantCopy(&source, &result);
  ASSERT_EQ(Change(VT_BSTR), S_OK);
  EXPECT_EQ(std::u16string(result.bstrVal), u"-12.3456");
  source.vt = VT_R8;
  source.dblVal = 0.1;
  ASSERT_EQ(Change(VT_DECIMAL), S_OK);
  EXPECT_EQ(result.decVal.u.s.scale, 1);
  EXPECT_EQ(result.decVal.u2.Lo64, 1u);
}

TEST_F(ChangeType, EmptyNullByrefAndBadTypes) {
  ASSERT_EQ(Change(VT_I4), S_OK);
  EXPECT_EQ(result.lVal, 0);
  ASSERT_EQ(Change(VT_BSTR), S_OK);
  EXPECT_EQ(SysStringLen(result.bstrVal), 0u);
  source.vt = VT_NULL;
  EXPECT_EQ(Change(VT_I4), DISP_E_TYPEMISMATCH);
  BSTR text = SysAllocString(u"42");
  source.vt = VT_BYREF | VT_BSTR;
  source.pbstrVal = &text;
  ASSERT_EQ(Change(VT_I4), S_OK);
  EXPECT_EQ(result.lVal, 42);
  SysFreeString(text);
  source.vt = VT_I4;
  EXPECT_EQ(Change(VT_I4 | VT_BYREF), DISP_E_BADVARTYPE);
  EXPECT_EQ(Change(VT_ARRAY | VT_I4), DISP_E_TYPEMISMATCH);
  EXPECT_EQ(VariantChangeType(nullptr, &source, 0, VT_I4), E_INVALIDARG);
}

// The conversions never consult the C library's locale, even one with a decimal comma.
TEST(ChangeTypeLocale, IndependentOfTheProcessLocale) {
  const std::string previous = std::setlocale(LC_ALL, nullptr);
  const char* chosen = nullptr;
  for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "de_DE", "fr_FR"}) {
    if (std::setlocale(LC_ALL, name) != nullptr) {
      chosen = name;
      break;
    }
  }
  double value = 0;
  EXPECT_EQ(VarR8FromStr(u"1.5", kUk, kNoOverride, &value), S_OK);
  EXPECT_EQ(value, 1.5);
  BSTR text = nullptr;
  ASSERT_EQ(VarBstrFromR8(2.75, kUk, kNoOverride, &text), S_OK);
  EXPECT_EQ(Take(text), u"2.75");
  std::setlocale(LC_ALL, previous.c_str());
  if (chosen == nullptr) GTEST_SKIP() << "no decimal-comma locale installed; checked under the C locale only";
}

}  // namespace
