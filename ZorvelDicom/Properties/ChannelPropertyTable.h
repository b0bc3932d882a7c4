// The channel tag directory and the channel tags answered straight from one getter of the
// channel record (CKSLFProprietaryChannelData), with the VARIANT type of each. Constant data.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>

#include <CommonWSIMetadata.h>

#include "Properties/PropertyTagList.h"

namespace ChannelPropertyTable {

using I4Getter = long (CKSLFProprietaryChannelData::*)(int32_t*) const;
using R8Getter = long (CKSLFProprietaryChannelData::*)(double*) const;
using TextGetter = long (CKSLFProprietaryChannelData::*)(std::u16string*) const;
using Getter = std::variant<I4Getter, R8Getter, TextGetter>;

// The 31 listed channel tags in host order.
std::span<const PropertyTagRow> Rows();

// The record getter that answers `tag`, if the tag is one of them.
std::optional<Getter> FindGetter(LONG tag);

// Runs the getter into `value` (VT_I4, VT_R8 or VT_BSTR); a failing getter leaves it VT_EMPTY
// and answers S_OK; a text that cannot be copied gives SetTextOrError's answer.
HRESULT ReadInto(const CKSLFProprietaryChannelData& record, const Getter& getter, VARIANT& value);

// A channel text as VT_BSTR; when it cannot be copied, VT_ERROR carrying E_OUTOFMEMORY, which is returned.
HRESULT SetTextOrError(VARIANT& value, std::u16string_view text);

}  // namespace ChannelPropertyTable
