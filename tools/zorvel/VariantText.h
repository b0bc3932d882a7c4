// Text form of a property VARIANT for the props/prop output: the type name (EMPTY, I4, UI2, UI4,
// UI8, R8, BOOL, BSTR, DATE, ARRAY, ERROR) and the value text. Does not change the VARIANT.
#pragma once

#include <string>

#include <oaidl.h>
#include <oleauto.h>

namespace zorvel_cli {

struct VariantText {
  std::string type;
  std::string value;
};

VariantText FormatVariant(const VARIANT& value);

// Owns a VARIANT for the length of one call.
struct VariantHolder {
  VARIANT value;
  VariantHolder() { VariantInit(&value); }
  ~VariantHolder() { VariantClear(&value); }
  VariantHolder(const VariantHolder&) = delete;
  VariantHolder& operator=(const VariantHolder&) = delete;
};

// Shortest decimal text that reads back as exactly the same double.
std::string FormatDouble(double value);

// YYYY-MM-DDTHH:MM:SS of an automation date; empty when the date cannot be converted.
std::string FormatDate(DATE value);

// UTF-8 of a BSTR with tab, carriage return and line feed written as \t, \r, \n.
std::string EscapeBstr(BSTR text);

}  // namespace zorvel_cli
