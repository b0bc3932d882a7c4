// Decoding of one encoded frame of a compressed instance (JPEG through TurboJPEG, JPEG 2000 through
// OpenJPEG) into native interleaved samples (R, G, B for colour), for single images the library
// assembles itself. Thread-safe (one decoder per call); false for another syntax (lossless JPEG,
// JPEG-LS), a frame whose size or components differ from the dataset's, or a corrupt frame.
#pragma once

#include <cstdint>
#include <vector>

#include "../dataset/InstanceInfo.h"

namespace dicominterop {

// Fills `pixels` with exactly columns x rows x samplesPerPixel x (bitsAllocated / 8) bytes.
bool DecodeFrame(const InstanceInfo& info, const uint8_t* data, uint64_t size, std::vector<uint8_t>& pixels);

}  // namespace dicominterop
