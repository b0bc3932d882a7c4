// The slide's property directory and one property line "TAG<TAB>NAME<TAB>TYPE<TAB>VALUE" as the
// props and prop commands print it. A failed GetSlideProperties call gives TYPE ERROR.
#pragma once

#include <string>
#include <vector>

#include <ZorvelDicom/ZorvelDicom.h>

namespace zorvel_cli {

struct PropertyTag {
  LONG tag = 0;
  std::string name;
};

// The tags and names of GetSlidePropertyTags in directory order.
HRESULT ReadPropertyTags(IKLVZorvel* slide, std::vector<PropertyTag>& tags);

struct PropertyLine {
  HRESULT hr = S_OK;  // the result of GetSlideProperties
  std::string text;   // without line end
};

PropertyLine ReadPropertyLine(IKLVZorvel* slide, LONG tag, const std::string& name);

// Reads one property into `value` (cleared first by the caller's VARIANT holder).
HRESULT ReadProperty(IKLVZorvel* slide, LONG tag, VARIANT& value);

}  // namespace zorvel_cli

#include <optional>

namespace zorvel_cli {

// A whole-number property (I4, UI2, UI4 ...) as a number; empty when the call fails or the
// value is not a number.
std::optional<long long> ReadIntegerProperty(IKLVZorvel* slide, LONG tag);

}  // namespace zorvel_cli
