// zorvel image: the label, the overview or the generated preview (GetSingleImage) as PNG, with
// the label's text and barcode area.
#include <cstdio>
#include <cstring>

#include <oleauto.h>

#include "CommandStatus.h"
#include "Commands.h"
#include "HostBitmap.h"
#include "SlideProperties.h"
#include "SlideSession.h"
#include "VariantText.h"

namespace zorvel_cli {
namespace {

constexpr const char* kHelp =
    "Usage: zorvel image SLIDE_DIR label|overview|preview -o OUT.png [--module PATH]\n"
    "Writes one single image of the slide (GetSingleImage) as PNG: the label area, the overview\n"
    "of the slide or the generated preview. For the label it also prints the text read from it\n"
    "and the barcode's area on the label when the slide has them.\n";

constexpr LONG kLabelTextTag = 378;
constexpr LONG kBarcodeAreaFirstTag = 507;  // 507..510: left, top, right, bottom on the label

struct SingleImageKind {
  const char* name;
  LONG type;
};
constexpr SingleImageKind kKinds[] = {{"label", 100}, {"overview", 103}, {"preview", 102}};

void PrintLabelFacts(IKLVZorvel* slide) {
  VARIANT text;
  VariantInit(&text);
  if (SUCCEEDED(ReadProperty(slide, kLabelTextTag, text)) && text.vt == VT_BSTR) {
    std::printf("Label text: %s\n", FormatVariant(text).value.c_str());
  }
  VariantClear(&text);
  LONG area[4];
  for (int i = 0; i < 4; ++i) {
    VARIANT value;
    VariantInit(&value);
    const HRESULT hr = slide->GetSingleImageProperties(100, kBarcodeAreaFirstTag + i, &value);
    const bool number = SUCCEEDED(hr) && value.vt == VT_I4;
    area[i] = number ? value.lVal : 0;
    VariantClear(&value);
    if (!number) return;
  }
  std::printf("Barcode area: %d,%d,%d,%d\n", area[0], area[1], area[2], area[3]);
}

}  // namespace

int RunImage(const Arguments& arguments) {
  const ParsedArguments parsed = ParseArguments(arguments, {"--module", "-o"}, {});
  if (parsed.flags.count("--help") != 0) {
    std::fputs(kHelp, stdout);
    std::fputs(kModuleOptionHelp, stdout);
    return kExitSuccess;
  }
  if (!parsed.error.empty()) return ReportUsage("image", parsed.error);
  if (parsed.positional.size() != 2) return ReportUsage("image", "expected SLIDE_DIR and one of label, overview, preview");
  const SingleImageKind* kind = nullptr;
  for (const SingleImageKind& candidate : kKinds) {
    if (parsed.positional[1] == candidate.name) kind = &candidate;
  }
  if (kind == nullptr) return ReportUsage("image", "the image is one of label, overview, preview");
  const auto output = parsed.options.find("-o");
  if (output == parsed.options.end() || output->second.empty()) return ReportUsage("image", "-o OUT.png is required");

  SlideSession session;
  if (const int code = session.Open(parsed, parsed.positional[0]); code != kExitSuccess) return code;
  ComPtr<IKLVBitmapImage> bitmap;
  const HRESULT hr = session.slide->GetSingleImage(kind->type, bitmap.Out());
  if (FAILED(hr)) return ReportFailedCall("GetSingleImage(" + std::to_string(kind->type) + ")", hr);
  if (!bitmap) return ReportFailedCall("GetSingleImage(" + std::to_string(kind->type) + ") (no bitmap)", E_POINTER);
  DecodedImage picture;
  if (const CallResult read = ReadHostBitmap(bitmap.Get(), picture); FAILED(read.hr)) {
    return ReportFailedCall(read.call, read.hr);
  }
  if (const int code = WritePictureFile(output->second, picture); code != kExitSuccess) return code;
  std::printf("Wrote %s: %u x %u pixels\n", output->second.c_str(), picture.width, picture.height);
  if (kind->type == 100) PrintLabelFacts(session.slide.Get());
  return kExitSuccess;
}

}  // namespace zorvel_cli
