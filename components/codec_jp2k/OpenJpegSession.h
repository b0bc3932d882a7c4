// One OpenJPEG decompression of an in-memory stream: codec, stream and image with their cleanup,
// and the one translator of OpenJPEG's failures into HRESULT codes.
// Used by one thread at a time; each decode makes its own session.
#pragma once

#include <openjpeg.h>

#include <cstddef>
#include <cstdint>

#include "winerror.h"

namespace Components {

class OpenJpegSession {
 public:
  OpenJpegSession(const std::uint8_t* data, std::size_t size);
  ~OpenJpegSession();
  OpenJpegSession(const OpenJpegSession&) = delete;
  OpenJpegSession& operator=(const OpenJpegSession&) = delete;

  HRESULT ReadHeader();  // image() then holds size, components and precision
  HRESULT DecodeAll();   // image() then holds the component samples
  const opj_image_t* image() const { return m_image; }

 private:
  struct MemoryStream {
    const std::uint8_t* data;
    std::size_t size;
    std::size_t position;
  };
  static OPJ_SIZE_T Read(void* buffer, OPJ_SIZE_T count, void* user);
  static OPJ_OFF_T Skip(OPJ_OFF_T count, void* user);
  static OPJ_BOOL Seek(OPJ_OFF_T position, void* user);
  static void KeepError(const char* message, void* user);
  HRESULT Translate() const;

  MemoryStream m_source;
  opj_codec_t* m_codec = nullptr;
  opj_stream_t* m_stream = nullptr;
  opj_image_t* m_image = nullptr;
  char m_error[160] = {};  // last error message from OpenJPEG
};

}  // namespace Components
