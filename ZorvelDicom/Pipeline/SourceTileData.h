// One encoded tile on its way from the tile loader to a decode stage, with the tile's address and
// the request it belongs to. The bytes are the slide library's block, shared until decoded.
#pragma once

#include <cstdint>
#include <memory>

#include <DicomInteropBase.h>

namespace Pipeline {

struct ViewpartState;

struct SourceTileData {
  CDicomInteropBase::DeleteDelegatorPtr<unsigned char> data;
  uint64_t size = 0;
  int32_t column = 0, row = 0, channel = 0;
  uint32_t decoderIndex = 0;
  // Found in the encoded cache: the tile was read before, so it is worth a decoded-cache slot.
  bool readBefore = false;
  std::shared_ptr<ViewpartState> request;
};

}  // namespace Pipeline
