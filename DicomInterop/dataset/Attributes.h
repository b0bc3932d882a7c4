// Typed reads of attributes from a GDCM dataset: text, integers and reals by the element's VR
// (from the dictionary for implicit VR), sequence items. Missing or malformed values read as absent.
// GDCM headers stay inside the dataset folder.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include <gdcmDataSet.h>
#include "Decimal.h"
#include <gdcmSequenceOfItems.h>

namespace dicominterop::attr {

// Value of a text element with trailing spaces and NULs removed; empty when absent.
std::string Text(const gdcm::DataSet& ds, const gdcm::Tag& tag);
// All backslash-separated values of a text element.
std::vector<std::string> Texts(const gdcm::DataSet& ds, const gdcm::Tag& tag);
// Numeric values (binary VRs or DS/IS text), in stored order.
std::vector<double> Numbers(const gdcm::DataSet& ds, const gdcm::Tag& tag);
std::optional<double> Number(const gdcm::DataSet& ds, const gdcm::Tag& tag);
// Unsigned 64-bit binary values (OV / UV), e.g. the Extended Offset Table.
std::vector<uint64_t> UInt64s(const gdcm::DataSet& ds, const gdcm::Tag& tag);
// Raw value bytes of an element (OB/OW/OV/OD...), empty when absent.
std::vector<uint8_t> Bytes(const gdcm::DataSet& ds, const gdcm::Tag& tag);
// Items of a sequence element (null when absent or not a sequence).
gdcm::SmartPointer<gdcm::SequenceOfItems> Sequence(const gdcm::DataSet& ds, const gdcm::Tag& tag);
// First item of a sequence; keeps the (possibly decoded) sequence alive while in use.
struct FirstItem {
  FirstItem(const gdcm::DataSet& ds, const gdcm::Tag& tag);
  explicit operator bool() const { return item != nullptr; }
  const gdcm::DataSet& operator*() const { return *item; }
  const gdcm::DataSet* operator->() const { return item; }
  gdcm::SmartPointer<gdcm::SequenceOfItems> sequence;
  const gdcm::DataSet* item = nullptr;
};
// Code Meaning of the first item of a code sequence.
std::string CodeMeaning(const gdcm::DataSet& ds, const gdcm::Tag& tag);

}  // namespace dicominterop::attr
