// OpenJPEG over a memory buffer: format detection, strict decoding, error capture.
#include "OpenJpegSession.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "CodestreamSize.h"
#include "codec_common/CodecDestination.h"

namespace Components {
namespace {

OPJ_CODEC_FORMAT DetectFormat(const std::uint8_t* data, std::size_t size) {
  static const std::uint8_t kCodestream[] = {0xFF, 0x4F, 0xFF, 0x51};
  static const std::uint8_t kJp2Signature[] = {0x00, 0x00, 0x00, 0x0C, 0x6A, 0x50, 0x20, 0x20};
  if (size >= sizeof kCodestream && std::memcmp(data, kCodestream, sizeof kCodestream) == 0) return OPJ_CODEC_J2K;
  if (size >= sizeof kJp2Signature && std::memcmp(data, kJp2Signature, sizeof kJp2Signature) == 0) {
    return OPJ_CODEC_JP2;
  }
  return OPJ_CODEC_UNKNOWN;
}

void Quiet(const char*, void*) {}

}  // namespace

OpenJpegSession::OpenJpegSession(const std::uint8_t* data, std::size_t size) : m_source{data, size, 0} {
  const OPJ_CODEC_FORMAT format = data == nullptr ? OPJ_CODEC_UNKNOWN : DetectFormat(data, size);
  if (format == OPJ_CODEC_UNKNOWN) return;
  m_codec = opj_create_decompress(format);
  m_stream = opj_stream_create(OPJ_J2K_STREAM_CHUNK_SIZE, OPJ_TRUE);
  if (m_codec == nullptr || m_stream == nullptr) return;
  opj_set_error_handler(m_codec, &OpenJpegSession::KeepError, this);
  opj_set_warning_handler(m_codec, &Quiet, nullptr);
  opj_set_info_handler(m_codec, &Quiet, nullptr);
  opj_stream_set_user_data(m_stream, &m_source, nullptr);
  opj_stream_set_user_data_length(m_stream, size);
  opj_stream_set_read_function(m_stream, &OpenJpegSession::Read);
  opj_stream_set_skip_function(m_stream, &OpenJpegSession::Skip);
  opj_stream_set_seek_function(m_stream, &OpenJpegSession::Seek);
}

OpenJpegSession::~OpenJpegSession() {
  if (m_image != nullptr) opj_image_destroy(m_image);
  if (m_stream != nullptr) opj_stream_destroy(m_stream);
  if (m_codec != nullptr) opj_destroy_codec(m_codec);
}

HRESULT OpenJpegSession::ReadHeader() {
  if (m_codec == nullptr || m_stream == nullptr) return m_source.data == nullptr ? E_POINTER : kInvalidData;
  const auto declared = ReadCodestreamSize(m_source.data, m_source.size);
  if (declared && !declared->IsPlausible()) return kInvalidData;
  opj_dparameters_t parameters;
  opj_set_default_decoder_parameters(&parameters);
  if (!opj_setup_decoder(m_codec, &parameters)) return Translate();
  // Strict: a truncated codestream is an error instead of a partially decoded image.
  opj_decoder_set_strict_mode(m_codec, OPJ_TRUE);
  return opj_read_header(m_stream, m_codec, &m_image) ? S_OK : Translate();
}

HRESULT OpenJpegSession::DecodeAll() {
  if (m_image == nullptr) return kInvalidData;
  if (!opj_decode(m_codec, m_stream, m_image) || !opj_end_decompress(m_codec, m_stream)) return Translate();
  return S_OK;
}

OPJ_SIZE_T OpenJpegSession::Read(void* buffer, OPJ_SIZE_T count, void* user) {
  auto* source = static_cast<MemoryStream*>(user);
  if (source->position >= source->size) return static_cast<OPJ_SIZE_T>(-1);
  const std::size_t n = std::min<std::size_t>(count, source->size - source->position);
  std::memcpy(buffer, source->data + source->position, n);
  source->position += n;
  return n;
}

OPJ_OFF_T OpenJpegSession::Skip(OPJ_OFF_T count, void* user) {
  auto* source = static_cast<MemoryStream*>(user);
  const auto target = static_cast<OPJ_OFF_T>(source->position) + count;
  if (target < 0 || static_cast<std::size_t>(target) > source->size) return -1;
  source->position = static_cast<std::size_t>(target);
  return count;
}

OPJ_BOOL OpenJpegSession::Seek(OPJ_OFF_T position, void* user) {
  auto* source = static_cast<MemoryStream*>(user);
  if (position < 0 || static_cast<std::size_t>(position) > source->size) return OPJ_FALSE;
  source->position = static_cast<std::size_t>(position);
  return OPJ_TRUE;
}

void OpenJpegSession::KeepError(const char* message, void* user) {
  auto* session = static_cast<OpenJpegSession*>(user);
  std::snprintf(session->m_error, sizeof session->m_error, "%s", message != nullptr ? message : "");
}

// OpenJPEG failures -> HRESULT: its allocation messages mean out of memory, the rest bad data.
HRESULT OpenJpegSession::Translate() const {
  const bool memory = std::strstr(m_error, "allocate") != nullptr || std::strstr(m_error, "memory") != nullptr;
  return memory ? E_OUTOFMEMORY : kInvalidData;
}

}  // namespace Components
