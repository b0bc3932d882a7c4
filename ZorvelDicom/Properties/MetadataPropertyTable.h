// Slide tags answered straight from one getter of the proprietary metadata (CCommonWSIMetadata),
// with the VARIANT type each getter's value is handed out as. Constant data.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include <CommonWSIMetadata.h>

#include "oleauto.h"

namespace MetadataPropertyTable {

using I4Getter = long (CCommonWSIMetadata::*)(int32_t*) const;
using UI4Getter = long (CCommonWSIMetadata::*)(uint32_t*) const;
using R8Getter = long (CCommonWSIMetadata::*)(double*) const;
using TextGetter = long (CCommonWSIMetadata::*)(std::u16string*) const;
using Getter = std::variant<I4Getter, UI4Getter, R8Getter, TextGetter>;

// Every tag of the table, in table order.
std::vector<LONG> Tags();

// The getter that answers `tag`, if the tag is one of them.
std::optional<Getter> FindGetter(LONG tag);

// Runs the getter into `value` (VT_I4, VT_UI4, VT_R8 or VT_BSTR). A failing getter leaves
// `value` VT_EMPTY and answers S_OK; E_OUTOFMEMORY when a text cannot be copied.
HRESULT ReadInto(const CCommonWSIMetadata& metadata, const Getter& getter, VARIANT& value);

}  // namespace MetadataPropertyTable
