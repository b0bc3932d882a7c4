// A parsed DICOM dataset held in memory: elements in file order with their value bytes and,
// for sequences, their items as nested datasets. Values point into the bytes of the ParsedFile
// the dataset came from, which must outlive it. Binary values are little endian.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace dicominterop {

class Dataset;

struct DataElement {
  uint32_t tag = 0;
  char vr[2] = {};                 // implicit VR files: from VrDictionary (UN when unknown)
  std::span<const uint8_t> value;  // value bytes; for a sequence kept unparsed, its items
  std::vector<Dataset> items;      // items of a parsed sequence
  bool sequence = false;
};

class Dataset {
 public:
  const DataElement* Find(uint32_t tag) const {
    for (const DataElement& e : elements) {
      if (e.tag == tag) return &e;
    }
    return nullptr;
  }

  std::vector<DataElement> elements;
};

}  // namespace dicominterop
