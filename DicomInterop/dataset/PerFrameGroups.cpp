// Per-Frame Functional Groups plane positions (see PerFrameGroups.h):
// Plane Position (Slide) -> column and row (SL) and Z offset (DS);
// Optical Path Identification -> Optical Path Identifier.
#include "PerFrameGroups.h"

#include <cmath>
#include <string>
#include <unordered_map>

#include "Decimal.h"
#include "Tags.h"

namespace dicominterop {
namespace {

using namespace DicomInteropDefines;

std::string TextAt(const ElementReader& r, const ElementHeader& h) {
  const auto value = r.Bytes().subspan(h.value, h.length);
  std::string s(value.begin(), value.end());
  while (!s.empty() && (s.back() == ' ' || s.back() == '\0')) s.pop_back();
  return s;
}

// End of an item's elements: before the item delimiter of an undefined length.
size_t ContentEnd(const ElementHeader& item, size_t itemEnd) { return item.Undefined() ? itemEnd - 8 : itemEnd; }

// Calls visit(header) for each element of the first item of the sequence `seq` (ending at `end`).
// False when that item is malformed: a frame must not silently keep a default position.
template <class Visit>
bool ForFirstItem(const ElementReader& r, const ElementHeader& seq, size_t end, Visit&& visit) {
  if (seq.value == end || (seq.Undefined() && seq.value + 8 == end)) return true;  // no items
  ElementHeader item;
  if (!r.ReadHeader(seq.value, end, item) || item.tag != tags::kItem) return false;
  const size_t itemEnd = r.EndOf(item, end);
  if (itemEnd == 0) return false;
  const size_t contentEnd = ContentEnd(item, itemEnd);
  return item.value == contentEnd || r.ForEach(item.value, contentEnd, false, [&](const ElementHeader& h, size_t) {
    if (!h.Undefined()) visit(h);
    return true;
  }) != 0;
}

bool ReadFrame(const ElementReader& r, size_t begin, size_t end, FramePosition& frame, std::string& pathId,
               bool& positioned) {
  bool column = false, row = false;
  const bool read = r.ForEach(begin, end, false, [&](const ElementHeader& e, size_t elementEnd) {
    if (e.tag == tags::kPlanePositionSlideSequence) {
      return ForFirstItem(r, e, elementEnd, [&](const ElementHeader& v) {
        if (v.tag == tags::kColumnPositionInTotalMatrix && v.length >= 4) {
          frame.column = static_cast<int32_t>(r.U32(v.value));
          column = true;
        }
        if (v.tag == tags::kRowPositionInTotalMatrix && v.length >= 4) {
          frame.row = static_cast<int32_t>(r.U32(v.value));
          row = true;
        }
        if (v.tag == tags::kZOffsetInSlide) {
          if (auto z = attr::ParseDecimal(TextAt(r, v))) frame.z = *z;
        }
      });
    } else if (e.tag == tags::kOpticalPathIdentificationSequence) {
      return ForFirstItem(r, e, elementEnd, [&](const ElementHeader& v) {
        if (v.tag == tags::kOpticalPathIdentifier) pathId = TextAt(r, v);
      });
    }
    return true;
  }) != 0 || begin == end;
  positioned = column && row;
  return read;
}

int32_t PathIndex(const InstanceInfo& info, std::unordered_map<std::string, int32_t>& cache, const std::string& id) {
  auto [it, added] = cache.emplace(id, 0);
  if (added) {
    for (size_t i = 0; i < info.opticalPaths.size(); ++i) {
      if (info.opticalPaths[i].identifier == id) it->second = static_cast<int32_t>(i);
    }
  }
  return it->second;
}

}  // namespace

long ReadPerFramePositions(const ParsedFile& parsed, InstanceInfo& info) {
  const DataElement* sequence = parsed.dataset.Find(tags::kPerFrameFunctionalGroups);
  if (!sequence) return WSI_OK;
  const ElementReader r(parsed.bytes, parsed.encoding);
  const size_t begin = static_cast<size_t>(sequence->value.data() - parsed.bytes.data());
  const size_t end = begin + sequence->value.size();
  std::unordered_map<std::string, int32_t> paths;
  const double defaultZ = std::isnan(info.originZ) ? 0.0 : info.originZ;
  info.framePositions.reserve(std::min<size_t>(info.frameCount, sequence->value.size() / 8));
  for (size_t at = begin; at < end;) {
    ElementHeader item;
    if (!r.ReadHeader(at, end, item)) return WSI_E_MALFORMED;
    if (item.tag == tags::kSequenceDelimiter) break;
    const size_t itemEnd = item.tag == tags::kItem ? r.EndOf(item, end) : 0;
    if (itemEnd == 0) return WSI_E_MALFORMED;
    FramePosition frame;
    frame.z = defaultZ;
    std::string pathId;
    bool positioned = false;
    if (!ReadFrame(r, item.value, ContentEnd(item, itemEnd), frame, pathId, positioned)) return WSI_E_MALFORMED;
    info.positionedFrames += positioned ? 1 : 0;
    if (!pathId.empty()) frame.pathIndex = PathIndex(info, paths, pathId);
    info.framePositions.push_back(frame);
    at = itemEnd;
  }
  return WSI_OK;
}

}  // namespace dicominterop
