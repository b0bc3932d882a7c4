// zorvel annotations: the slide's flag records and TMA markers, as lines or as JSON.
#include <cstdio>

#include "AnnotationReader.h"
#include "CommandStatus.h"
#include "Commands.h"
#include "JsonText.h"
#include "SlideSession.h"

namespace zorvel_cli {
namespace {

constexpr const char* kHelp =
    "Usage: zorvel annotations SLIDE_DIR [--json] [--module PATH]\n"
    "Lists the slide's annotations through its annotations object:\n"
    "  flag<TAB>INDEX<TAB>KIND<TAB>LEFT,TOP,RIGHT,BOTTOM<TAB>ATTRIBUTES   one per flag record (slide\n"
    "      flags, measurements, polygons, ellipses and outlines as polygons; level-0 pixels;\n"
    "      ATTRIBUTES are NAME=VALUE pairs separated by ';', polygon points counted, not listed)\n"
    "  tma<TAB>INDEX<TAB>NAME<TAB>X,Y<TAB>inner=D;outer=D;color=0xBBGGRR;comment=TEXT   one per TMA marker\n"
    "and a last line with both counts. --json writes one JSON object with every attribute instead.\n";

bool IsPointAttribute(const std::string& name) {
  return name.rfind("PolygonPoint", 0) == 0 ? name != "PolygonPointCount" : name.rfind("Point", 0) == 0;
}

void PrintLines(const SlideAnnotations& annotations) {
  for (std::size_t i = 0; i < annotations.flags.size(); ++i) {
    const FlagRecord& flag = annotations.flags[i];
    std::string attributes;
    for (const AnnotationAttribute& attribute : flag.attributes) {
      if (IsPointAttribute(attribute.name)) continue;
      attributes.append(attributes.empty() ? "" : ";").append(attribute.name).append("=").append(attribute.text);
    }
    std::printf("flag\t%zu\t%s\t%d,%d,%d,%d\t%s\n", i, flag.kind.c_str(), flag.left, flag.top, flag.right, flag.bottom,
                attributes.c_str());
  }
  for (std::size_t i = 0; i < annotations.markers.size(); ++i) {
    const TmaMarker& m = annotations.markers[i];
    std::printf("tma\t%zu\t%s\t%d,%d\tinner=%d;outer=%d;color=0x%06X;comment=%s\n", i, m.name.c_str(), m.x, m.y,
                m.innerDiameter, m.outerDiameter, static_cast<unsigned>(m.lineColor), m.comment.c_str());
  }
  std::printf("%zu flag records, %zu TMA markers\n", annotations.flags.size(), annotations.markers.size());
}

std::string Bounds(const FlagRecord& flag) {
  char text[64];
  std::snprintf(text, sizeof text, "[%d,%d,%d,%d]", flag.left, flag.top, flag.right, flag.bottom);
  return text;
}

void PrintJson(const SlideAnnotations& annotations) {
  std::string out = "{\"flags\":[";
  for (std::size_t i = 0; i < annotations.flags.size(); ++i) {
    const FlagRecord& flag = annotations.flags[i];
    out.append(i ? ",{\"id\":" : "{\"id\":").append(JsonString(flag.id));
    out.append(",\"kind\":").append(JsonString(flag.kind)).append(",\"bounds\":").append(Bounds(flag));
    out.append(",\"attributes\":{");
    for (std::size_t a = 0; a < flag.attributes.size(); ++a) {
      const AnnotationAttribute& attribute = flag.attributes[a];
      out.append(a ? "," : "").append(JsonString(attribute.name)).append(":");
      out.append(attribute.isNumber ? attribute.text : JsonString(attribute.text));
    }
    out.append("}}");
  }
  out.append("],\"tma_markers\":[");
  for (std::size_t i = 0; i < annotations.markers.size(); ++i) {
    const TmaMarker& m = annotations.markers[i];
    out.append(i ? ",{\"name\":" : "{\"name\":").append(JsonString(m.name));
    out.append(",\"comment\":").append(JsonString(m.comment));
    out.append(",\"center\":[").append(std::to_string(m.x)).append(",").append(std::to_string(m.y));
    out.append("],\"inner_diameter\":").append(std::to_string(m.innerDiameter));
    out.append(",\"outer_diameter\":").append(std::to_string(m.outerDiameter));
    out.append(",\"line_color\":").append(std::to_string(m.lineColor)).append("}");
  }
  out.append("]}\n");
  std::fputs(out.c_str(), stdout);
}

}  // namespace

int RunAnnotations(const Arguments& arguments) {
  const ParsedArguments parsed = ParseArguments(arguments, {"--module"}, {"--json"});
  if (parsed.flags.count("--help") != 0) {
    std::fputs(kHelp, stdout);
    std::fputs(kModuleOptionHelp, stdout);
    return kExitSuccess;
  }
  if (!parsed.error.empty()) return ReportUsage("annotations", parsed.error);
  if (parsed.positional.size() != 1) return ReportUsage("annotations", "expected exactly one SLIDE_DIR");

  SlideSession session;
  if (const int code = session.Open(parsed, parsed.positional[0]); code != kExitSuccess) return code;
  SlideAnnotations annotations;
  if (const CallResult read = ReadAnnotations(session.slide.Get(), annotations); FAILED(read.hr)) {
    return ReportFailedCall(read.call, read.hr);
  }
  if (parsed.flags.count("--json") != 0) {
    PrintJson(annotations);
  } else {
    PrintLines(annotations);
  }
  return kExitSuccess;
}

}  // namespace zorvel_cli
