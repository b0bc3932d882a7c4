// Conversions under locale 2057 whatever the process locale is (a decimal-comma locale is made
// current for these tests), the full boolean form, date formatting and the VARIANT helpers.
#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>

#include "base/SeUtils.h"
#include "seutils_test_support.h"

using seutilstest::ScratchDir;

namespace {

VARIANT Text(const char16_t* text) {
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_BSTR;
  v.bstrVal = SysAllocString(text);
  return v;
}

VARIANT Date(DATE value) {
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_DATE;
  v.date = value;
  return v;
}

// Makes a locale with a decimal comma current for the test (compiled with localedef into a
// scratch directory, since the machine may have no such locale installed).
class DecimalCommaLocale : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::string target = dir_.File("de_DE.UTF-8");
    const std::string command = "localedef -i de_DE -f UTF-8 '" + target + "' >/dev/null 2>&1";
    [[maybe_unused]] int status = std::system(command.c_str());  // warnings give a non-zero status
    setenv("LOCPATH", dir_.path().c_str(), 1);
    if (std::setlocale(LC_ALL, "de_DE.UTF-8") == nullptr || *std::localeconv()->decimal_point != ',') {
      GTEST_SKIP() << "no decimal-comma locale could be made (localedef and the 'locales' sources are needed)";
    }
  }
  void TearDown() override {
    std::setlocale(LC_ALL, "C");
    unsetenv("LOCPATH");
  }
  ScratchDir dir_;
};

TEST_F(DecimalCommaLocale, TextAndNumbersUseThePointOf2057) {
  VARIANT text = Text(u"1.5"), number;
  VariantInit(&number);
  ASSERT_EQ(SeChangeVariantTypeNoLocale(text, &number, VT_R8), S_OK);
  EXPECT_EQ(number.vt, VT_R8);
  EXPECT_DOUBLE_EQ(number.dblVal, 1.5);
  number.dblVal = 2.25;
  std::u16string formatted;
  ASSERT_EQ(SeVariantToTypeNoLocale(number, formatted), S_OK);
  EXPECT_EQ(formatted, u"2.25");
  VariantClear(&text);
}

TEST_F(DecimalCommaLocale, FullBooleanForm) {
  const std::tuple<const char16_t*, HRESULT, bool> cases[] = {
      {u" yes ", S_OK, true}, {u"2.5", S_OK, true},    {u"0.0", S_OK, false},
      {u"-1", S_OK, true},    {u"maybe", E_FAIL, false}, {u"", E_FAIL, false},
  };
  for (const auto& [text, result, expected] : cases) {
    bool value = !expected;
    EXPECT_EQ(SeStringToBool(text, &value), result) << std::string(text, text + 3);
    EXPECT_EQ(value, expected);
  }
}

TEST(Conversions, DatesFormatAsTimeDateOrBoth) {
  const std::pair<DATE, const char16_t*> cases[] = {
      {0.25, u"06:00:00"}, {45000.0, u"15/03/2023"}, {45000.5, u"15/03/2023 12:00:00"}};
  for (const auto& [value, expected] : cases) {
    std::u16string text;
    ASSERT_EQ(SeVariantToTypeNoLocale(Date(value), text), S_OK) << value;
    EXPECT_EQ(text, expected);
  }
}

TEST(Conversions, FailuresKeepThePlatformCodes) {
  VARIANT out;
  VariantInit(&out);
  VARIANT big = Text(u"99999999999"), word = Text(u"abc");
  EXPECT_EQ(SeChangeVariantTypeNoLocale(big, &out, VT_I4), DISP_E_OVERFLOW);
  EXPECT_EQ(SeChangeVariantTypeNoLocale(word, &out, VT_R8), DISP_E_TYPEMISMATCH);
  EXPECT_EQ(out.vt, VT_EMPTY) << "the out VARIANT is written only on success";
  EXPECT_EQ(SeChangeVariantTypeNoLocale(word, nullptr, VT_I4), DISP_E_TYPEMISMATCH);
  EXPECT_EQ(SeChangeVariantTypeNoLocale(big, nullptr, VT_R8), E_POINTER);
  VariantClear(&big);
  VariantClear(&word);
}

TEST(Conversions, SameTypeEmptyAndInPlace) {
  VARIANT text = Text(u"keep"), out;
  VariantInit(&out);
  ASSERT_EQ(SeChangeVariantTypeNoLocale(text, &out, VT_BSTR), S_OK);
  EXPECT_NE(out.bstrVal, text.bstrVal) << "a copy, not the same string";
  EXPECT_EQ(std::u16string(out.bstrVal), u"keep");
  VARIANT empty;
  VariantInit(&empty);
  ASSERT_EQ(SeChangeVariantTypeNoLocale(empty, &out, VT_I4), S_OK);
  EXPECT_EQ(out.vt, VT_EMPTY);
  VARIANT number = Text(u"42");
  ASSERT_EQ(SeChangeVariantTypeNoLocale(number, &number, VT_I4), S_OK) << "source and out may be one VARIANT";
  EXPECT_EQ(number.vt, VT_I4);
  EXPECT_EQ(number.lVal, 42);
  std::u16string formatted = u"x";
  EXPECT_EQ(SeVariantToTypeNoLocale(empty, formatted), S_OK);
  EXPECT_EQ(formatted, u"");
  VARIANT flag;
  VariantInit(&flag);
  ASSERT_EQ(SeTypeToVariant(true, &flag), S_OK);
  EXPECT_EQ(flag.boolVal, VARIANT_TRUE);
  ASSERT_EQ(SeVariantToTypeNoLocale(flag, formatted), S_OK);
  EXPECT_EQ(formatted, u"True");
  EXPECT_EQ(SeTypeToVariant(1, nullptr), E_POINTER);
  VariantClear(&text);
}

}  // namespace
