// zorvel tile: one raw tile through GetImageRaw, written byte for byte or decoded as PNG.
#include <climits>
#include <cstdio>
#include <fstream>
#include <optional>

#include <KLVInterfaces/KLVHostObjects.h>
#include <objbase.h>
#include <oleauto.h>

#include "CommandStatus.h"
#include "Commands.h"
#include "SlideProperties.h"
#include "SlideSession.h"
#include "TileDecoder.h"
#include "VariantText.h"

namespace zorvel_cli {
namespace {

constexpr const char* kHelp =
    "Usage: zorvel tile SLIDE_DIR --level L --x X --y Y [--focus F] -o FILE [--decode] [--module PATH]\n"
    "Reads the tile in column X, row Y of zoom level L (0 = full resolution) as the slide stores it\n"
    "(GetImageRaw) and writes it to FILE byte for byte. With --decode the tile is decoded and FILE\n"
    "is written as PNG. --focus F: 0 is the extended-focus image when the slide has one (then plane\n"
    "k is F = k + 1), else F is the focal plane index; default 0.\n";

struct TileRequest {
  LONG level = 0, x = 0, y = 0, focus = 0;
  std::string slideDir, output;
  bool decode = false;
};

std::optional<LONG> LongOption(const ParsedArguments& parsed, const std::string& name, std::optional<LONG> fallback) {
  const auto found = parsed.options.find(name);
  if (found == parsed.options.end()) return fallback;
  const auto value = ParseInteger(found->second, false);
  if (!value || *value < INT32_MIN || *value > INT32_MAX) return std::nullopt;
  return static_cast<LONG>(*value);
}

// Fills the request; returns an error text for wrong usage.
std::string ReadRequest(const ParsedArguments& parsed, TileRequest& request) {
  if (parsed.positional.size() != 1) return "expected exactly one SLIDE_DIR";
  request.slideDir = parsed.positional[0];
  const auto output = parsed.options.find("-o");
  if (output == parsed.options.end() || output->second.empty()) return "-o FILE is required";
  request.output = output->second;
  const auto level = LongOption(parsed, "--level", std::nullopt);
  const auto x = LongOption(parsed, "--x", std::nullopt);
  const auto y = LongOption(parsed, "--y", std::nullopt);
  const auto focus = LongOption(parsed, "--focus", 0);
  if (!level || !x || !y || !focus) return "--level, --x and --y (and --focus when given) must be 32-bit integers";
  request = {*level, *x, *y, *focus, request.slideDir, request.output, parsed.flags.count("--decode") != 0};
  return {};
}

CallResult ReadRawTile(IKLVZorvel3* slide, const TileRequest& request, std::vector<std::uint8_t>& bytes) {
  ComPtr<IKLVMemoryBuffer> buffer;
  HRESULT hr = CoCreateInstance(CLSID_KLVMemoryBuffer, nullptr, CLSCTX_INPROC_SERVER, IID_IKLVMemoryBuffer,
                                buffer.OutVoid());
  if (FAILED(hr)) return {hr, "CoCreateInstance(memory buffer)"};
  E_KLVImageType type = D_KLV_IT_NumOF;
  hr = slide->GetImageRaw(request.x, request.y, 0, request.focus, request.level, &type, buffer.Get());
  if (FAILED(hr)) return {hr, "GetImageRaw"};
  LONG size = 0;
  char* data = nullptr;
  hr = buffer->RemoteGetPtr(&size, &data);
  if (FAILED(hr)) return {hr, "IKLVMemoryBuffer::RemoteGetPtr"};
  if (data != nullptr && size > 0) bytes.assign(data, data + size);
  buffer->RemoteCancelPtr(&size, &data);
  return {};
}

CallResult ReadText(IKLVZorvel3* slide, LONG tag, VARIANT& value) {
  const HRESULT hr = ReadProperty(slide, tag, value);
  return FAILED(hr) ? CallResult{hr, "GetSlideProperties(" + std::to_string(tag) + ")"} : CallResult{};
}

CallResult DecodeForPng(IKLVZorvel3* slide, const std::vector<std::uint8_t>& bytes, DecodedImage& image) {
  VARIANT compression, tileSize;
  VariantInit(&compression);
  VariantInit(&tileSize);
  CallResult result = ReadText(slide, 303, compression);
  if (SUCCEEDED(result.hr)) result = ReadText(slide, 397, tileSize);
  if (SUCCEEDED(result.hr)) {
    const ULONG size = tileSize.vt == VT_I4 ? static_cast<ULONG>(tileSize.lVal) : 0;
    result = DecodeTile(bytes, FormatVariant(compression).value, size >> 16, size & 0xFFFF, image);
  }
  VariantClear(&compression);
  VariantClear(&tileSize);
  return result;
}

int WriteBytes(const std::string& file, const std::vector<std::uint8_t>& bytes) {
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  out.close();
  if (!out) {
    std::fprintf(stderr, "zorvel: cannot write '%s'\n", file.c_str());
    return kExitCallFailed;
  }
  return kExitSuccess;
}

}  // namespace

int RunTile(const Arguments& arguments) {
  const ParsedArguments parsed = ParseArguments(arguments, {"--module", "--level", "--x", "--y", "--focus", "-o"},
                                                {"--decode"});
  if (parsed.flags.count("--help") != 0) {
    std::fputs(kHelp, stdout);
    std::fputs(kModuleOptionHelp, stdout);
    return kExitSuccess;
  }
  if (!parsed.error.empty()) return ReportUsage("tile", parsed.error);
  TileRequest request;
  if (const std::string error = ReadRequest(parsed, request); !error.empty()) return ReportUsage("tile", error);

  SlideSession session;
  if (const int code = session.Open(parsed, request.slideDir); code != kExitSuccess) return code;
  std::vector<std::uint8_t> bytes;
  if (const CallResult read = ReadRawTile(session.slide.Get(), request, bytes); FAILED(read.hr)) {
    return ReportFailedCall(read.call, read.hr);
  }
  if (!request.decode) return WriteBytes(request.output, bytes);
  DecodedImage image;
  if (const CallResult decoded = DecodeForPng(session.slide.Get(), bytes, image); FAILED(decoded.hr)) {
    return ReportFailedCall(decoded.call, decoded.hr);
  }
  std::string error;
  if (!WritePng(request.output, image, error)) {
    std::fprintf(stderr, "zorvel: cannot write '%s': %s\n", request.output.c_str(), error.c_str());
    return kExitCallFailed;
  }
  return kExitSuccess;
}

}  // namespace zorvel_cli
