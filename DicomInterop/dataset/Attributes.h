// Typed reads of attributes from a parsed Dataset: text, integers and reals by the element's
// VR (in implicit VR files the one VrDictionary gives), sequence items.
// Missing or malformed values read as absent; no read goes past an element's value.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "Dataset.h"
#include "Decimal.h"
#include "Tags.h"

namespace dicominterop::attr {

// Value of a text element with trailing spaces and NULs removed; empty when absent.
std::string Text(const Dataset& ds, uint32_t tag);
// All backslash-separated values of a text element.
std::vector<std::string> Texts(const Dataset& ds, uint32_t tag);
// Numeric values (binary VRs or DS/IS text), in stored order.
std::vector<double> Numbers(const Dataset& ds, uint32_t tag);
std::optional<double> Number(const Dataset& ds, uint32_t tag);
// Unsigned 64-bit binary values (OV / UV), e.g. the Extended Offset Table.
std::vector<uint64_t> UInt64s(const Dataset& ds, uint32_t tag);
// Raw value bytes of an element (OB/OW/OV/OD...), empty when absent.
std::vector<uint8_t> Bytes(const Dataset& ds, uint32_t tag);
// Items of a sequence element (empty when absent or not a sequence).
std::span<const Dataset> Items(const Dataset& ds, uint32_t tag);
// First item of a sequence.
struct FirstItem {
  FirstItem(const Dataset& ds, uint32_t tag);
  explicit operator bool() const { return item != nullptr; }
  const Dataset& operator*() const { return *item; }
  const Dataset* operator->() const { return item; }
  const Dataset* item = nullptr;
};
// Code Meaning of the first item of a code sequence.
std::string CodeMeaning(const Dataset& ds, uint32_t tag);

}  // namespace dicominterop::attr
