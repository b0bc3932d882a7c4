// Decoding of one encoded frame of a compressed instance (JPEG, JPEG-LS, JPEG 2000) into native
// samples (interleaved, R, G, B for colour), for single images the library assembles itself.
// Thread-safe (one codec object per call); false for an unsupported syntax or a corrupt frame.
#pragma once

#include <cstdint>
#include <vector>

#include "../dataset/InstanceInfo.h"

namespace dicominterop {

// Fills `pixels` with exactly columns x rows x samplesPerPixel x (bitsAllocated / 8) bytes.
bool DecodeFrame(const InstanceInfo& info, const uint8_t* data, uint64_t size, std::vector<uint8_t>& pixels);

}  // namespace dicominterop
