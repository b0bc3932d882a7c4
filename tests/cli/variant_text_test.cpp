// Text forms of property values and the command-line number rules, on VARIANTs built here:
// shortest round-trip doubles, dates, escaped texts, arrays, errors.
#include <gtest/gtest.h>
#include <oleauto.h>

#include <cmath>
#include <limits>

#include "CommandLine.h"
#include "VariantText.h"

namespace zorvel_cli {
namespace {

VARIANT Make(VARTYPE type) {
  VARIANT value;
  VariantInit(&value);
  value.vt = type;
  return value;
}

TEST(VariantTextTest, ScalarsDatesAndTextsAsTypeAndValue) {
  VARIANT i4 = Make(VT_I4);
  i4.lVal = -42;
  VARIANT ui8 = Make(VT_UI8);
  ui8.ullVal = std::numeric_limits<ULONGLONG>::max();
  VARIANT yes = Make(VT_BOOL);
  yes.boolVal = VARIANT_TRUE;
  VARIANT error = Make(VT_ERROR);
  error.scode = static_cast<SCODE>(0x8007000E);
  VARIANT date = Make(VT_DATE);
  date.date = 46095.395;  // 2026-03-14 09:28:48
  VARIANT text = Make(VT_BSTR);  // tabs and line ends escaped, the rest as UTF-8
  text.bstrVal = SysAllocString(u"a\tb\nc\rd \u00e9\U0001F600");
  const struct { VARIANT value; const char* type; const char* text; } cases[] = {
      {Make(VT_EMPTY), "EMPTY", ""}, {i4, "I4", "-42"}, {ui8, "UI8", "18446744073709551615"},
      {yes, "BOOL", "true"}, {Make(VT_BOOL), "BOOL", "false"}, {error, "ERROR", "0x8007000E"},
      {date, "DATE", "2026-03-14T09:28:48"}, {text, "BSTR", "a\\tb\\nc\\rd \xC3\xA9\xF0\x9F\x98\x80"}};
  for (const auto& c : cases) {
    const VariantText formatted = FormatVariant(c.value);
    EXPECT_EQ(formatted.type, c.type);
    EXPECT_EQ(formatted.value, c.text);
  }
  VariantClear(&text);
  EXPECT_EQ(FormatDate(0.0), "1899-12-30T00:00:00");
}

TEST(VariantTextTest, DoublesReadBackExactly) {
  for (double value : {0.25, 0.1, 1.0 / 3, 3.0100254167, 1e-300, 20.0, -0.0}) {
    const std::string text = FormatDouble(value);
    EXPECT_EQ(std::stod(text), value) << text;
  }
  EXPECT_EQ(FormatDouble(20.0), "20");
  EXPECT_EQ(FormatDouble(0.1), "0.1");
}

TEST(VariantTextTest, ArraysAsCommaSeparatedElements) {
  SAFEARRAYBOUND bound{3, 0};
  VARIANT levels = Make(VT_ARRAY | VT_UI2);
  levels.parray = SafeArrayCreate(VT_UI2, 1, &bound);
  for (LONG i = 0; i < 3; ++i) {
    USHORT level = static_cast<USHORT>(i * 2);
    ASSERT_EQ(SafeArrayPutElement(levels.parray, &i, &level), S_OK);
  }
  EXPECT_EQ(FormatVariant(levels).type, "ARRAY");
  EXPECT_EQ(FormatVariant(levels).value, "0,2,4");
  VariantClear(&levels);

  SAFEARRAYBOUND none{0, 0};
  VARIANT empty = Make(VT_ARRAY | VT_I4);
  empty.parray = SafeArrayCreate(VT_I4, 1, &none);
  EXPECT_EQ(FormatVariant(empty).value, "");
  VariantClear(&empty);
}

TEST(CommandLineTest, IntegersDecimalAndHexOnlyWhole) {
  EXPECT_EQ(ParseInteger("306", true), 306);
  EXPECT_EQ(ParseInteger("0x132", true), 306);
  EXPECT_EQ(ParseInteger("-1", false), -1);
  for (const char* bad : {"", "0x", "12a", "+3", " 3", "0x-1", "1.5"}) EXPECT_FALSE(ParseInteger(bad, true)) << bad;
  EXPECT_FALSE(ParseInteger("0x10", false));
}

TEST(CommandLineTest, OptionsFlagsAndPositionals) {
  const ParsedArguments parsed =
      ParseArguments({"dir", "--level", "-1", "--x=3", "--decode", "-o", "out"}, {"--level", "--x", "-o"}, {"--decode"});
  EXPECT_TRUE(parsed.error.empty());
  EXPECT_EQ(parsed.positional, std::vector<std::string>{"dir"});
  EXPECT_EQ(parsed.options.at("--level"), "-1");
  EXPECT_EQ(parsed.options.at("--x"), "3");
  EXPECT_EQ(parsed.options.at("-o"), "out");
  EXPECT_EQ(parsed.flags.count("--decode"), 1u);
  EXPECT_FALSE(ParseArguments({"--what"}, {}, {}).error.empty());
  EXPECT_FALSE(ParseArguments({"--x"}, {"--x"}, {}).error.empty());
}

}  // namespace
}  // namespace zorvel_cli
