// Slides opened once and the answers built from them.
#include "SlideService.h"

#include <objbase.h>
#include <oleauto.h>

#include <algorithm>
#include <cstdio>
#include <sstream>

#include "AnnotationGeoJson.h"
#include "AnnotationReader.h"
#include "HostBitmap.h"
#include "JpegEncoder.h"
#include "JsonText.h"
#include "ModuleRender.h"
#include "PictureEdit.h"
#include "RegionArithmetic.h"
#include "SlideProperties.h"
#include "VariantText.h"

namespace zorvel_serve {
namespace {

using zorvel_cli::CallResult;
using zorvel_cli::DecodedImage;
using zorvel_cli::JsonString;

constexpr int kJpegQuality = 90;
constexpr int kThumbnailMax = 512;

std::string Hex(HRESULT hr) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(hr));
  return text;
}

Reply CallFailed(const CallResult& result) { return ErrorReply(500, result.call + " failed with " + Hex(result.hr)); }

std::string PropertyText(IKLVZorvel* slide, LONG tag) {
  VARIANT value;
  VariantInit(&value);
  std::string text = SUCCEEDED(zorvel_cli::ReadProperty(slide, tag, value)) ? zorvel_cli::FormatVariant(value).value : "";
  VariantClear(&value);
  return text;
}

double PropertyNumber(IKLVZorvel* slide, LONG tag) {
  const std::string text = PropertyText(slide, tag);
  try {
    return text.empty() ? 0.0 : std::stod(text);
  } catch (const std::exception&) {
    return 0.0;
  }
}

SlideFacts ReadFacts(IKLVZorvel* slide) {
  SlideFacts facts;
  facts.width = zorvel_cli::ReadIntegerProperty(slide, 306).value_or(0);
  facts.height = zorvel_cli::ReadIntegerProperty(slide, 307).value_or(0);
  facts.pixelWidth = PropertyNumber(slide, 308);
  facts.pixelHeight = PropertyNumber(slide, 309);
  facts.brightfield = zorvel_cli::ReadIntegerProperty(slide, 320).value_or(1) == 1;
  facts.channels = static_cast<int>(zorvel_cli::ReadIntegerProperty(slide, 313).value_or(1));
  facts.focalPlanes = static_cast<int>(zorvel_cli::ReadIntegerProperty(slide, 330).value_or(1));
  facts.extendedFocus = PropertyText(slide, 329) == "true";
  const std::int64_t tile = zorvel_cli::ReadIntegerProperty(slide, 397).value_or(0);
  facts.tileWidth = tile >> 16;
  facts.tileHeight = tile & 0xFFFF;
  facts.compression = PropertyText(slide, 303);
  facts.slideId = PropertyText(slide, 372);
  std::istringstream levels(PropertyText(slide, 414));
  for (std::string level; std::getline(levels, level, ',');) {
    if (!level.empty()) facts.levels.push_back(std::stoi(level));
  }
  return facts;
}

// The module's picture of `plan`: the covering grid tiles of its zoom level, cropped, and shrunk
// further when the Deep Zoom level lies below module level 9.
CallResult RenderPlan(IKLVZorvel* slide, const TilePlan& plan, const TileQuery& query, DecodedImage& picture) {
  const int e = plan.extraShrink;
  const zorvel_cli::PixelRect rect{plan.x << e, plan.y << e, plan.width << e, plan.height << e};
  const zorvel_cli::CoveredRect covered = zorvel_cli::TilesCovering(rect);
  const auto channels = zorvel_cli::ChannelArguments({query.channels.begin(), query.channels.end()},
                                                     query.focus ? std::optional<std::int64_t>(*query.focus) : std::nullopt);
  if (!channels) return {E_INVALIDARG, "channel arguments"};
  CallResult result = zorvel_cli::RenderRegion(slide, {covered.tiles, plan.moduleLevel, *channels}, picture);
  if (FAILED(result.hr)) return result;
  picture = zorvel_cli::Crop(picture, static_cast<std::uint32_t>(covered.offsetX), static_cast<std::uint32_t>(covered.offsetY),
                             static_cast<std::uint32_t>(rect.width), static_cast<std::uint32_t>(rect.height));
  if (e > 0) {
    picture = zorvel_cli::ResizeTo(picture, static_cast<std::uint32_t>(plan.width), static_cast<std::uint32_t>(plan.height));
  }
  return {};
}

// A Deep Zoom tile that is exactly one stored JPEG tile of a stored level, asked for with the
// default channels and focus: its bytes can go out as stored.
bool IsStoredTile(const SlideFacts& facts, const TilePlan& plan, const TileQuery& query) {
  return query.overlap == 0 && query.tileSize == 256 && plan.extraShrink == 0 && !query.focus &&
         query.channels == std::vector<std::int32_t>{2, 1, 0} && facts.brightfield && facts.compression == "JPEG" &&
         facts.focalPlanes <= 1 && !facts.extendedFocus && facts.tileWidth == 256 && facts.tileHeight == 256 &&
         plan.width == 256 && plan.height == 256 &&
         std::find(facts.levels.begin(), facts.levels.end(), plan.moduleLevel) != facts.levels.end();
}

CallResult ReadStoredTile(IKLVZorvel3* slide, const TileQuery& query, int level, std::string& bytes) {
  ComPtr<IKLVMemoryBuffer> buffer;
  HRESULT hr = CoCreateInstance(CLSID_KLVMemoryBuffer, nullptr, CLSCTX_INPROC_SERVER, IID_IKLVMemoryBuffer,
                                buffer.OutVoid());
  if (FAILED(hr)) return {hr, "CoCreateInstance(memory buffer)"};
  E_KLVImageType type = D_KLV_IT_NumOF;
  hr = slide->GetImageRaw(static_cast<LONG>(query.column), static_cast<LONG>(query.row), 0, 0, level, &type, buffer.Get());
  if (FAILED(hr)) return {hr, "GetImageRaw"};
  LONG size = 0;
  char* data = nullptr;
  if (FAILED(hr = buffer->RemoteGetPtr(&size, &data))) return {hr, "IKLVMemoryBuffer::RemoteGetPtr"};
  if (data != nullptr && size > 0) bytes.assign(data, static_cast<std::size_t>(size));
  buffer->RemoteCancelPtr(&size, &data);
  return {};
}

Reply JpegReply(const DecodedImage& picture) {
  Reply reply;
  reply.body = EncodeJpeg(picture, kJpegQuality);
  if (reply.body.empty()) return ErrorReply(500, "JPEG encoding failed");
  reply.contentType = "image/jpeg";
  return reply;
}

}  // namespace

Reply ErrorReply(int status, const std::string& text) { return {status, "{\"error\":" + JsonString(text) + "}\n", "application/json"}; }

SlideService::SlideService(std::filesystem::path modulePath, const std::filesystem::path& root, std::uint64_t cacheCapBytes)
    : m_modulePath(std::move(modulePath)), m_cacheCapBytes(cacheCapBytes), m_catalog(root) {}

std::shared_ptr<const OpenedSlide> SlideService::Open(const std::string& name) {
  const auto path = m_catalog.Find(name);
  if (!path) return nullptr;
  std::lock_guard lock(m_mutex);
  for (const auto& opened : m_slides) {
    if (opened->name == name) return opened;
  }
  auto opened = std::make_shared<OpenedSlide>();
  opened->name = name;
  opened->failure = m_host.CreateSlide(m_modulePath, opened->slide);
  if (SUCCEEDED(opened->failure.hr) && m_cacheCapBytes > 0) {
    VARIANT cap;
    VariantInit(&cap);
    cap.vt = VT_UI8;
    cap.ullVal = m_cacheCapBytes;
    if (const HRESULT hr = opened->slide->put_Properties(50005, cap); FAILED(hr)) opened->failure = {hr, "put_Properties(50005)"};
  }
  if (SUCCEEDED(opened->failure.hr)) opened->failure = m_host.OpenSlide(m_modulePath, *path, opened->slide);
  if (SUCCEEDED(opened->failure.hr)) {
    // OpenSlide only names the slide; the first property read opens its files.
    VARIANT width;
    VariantInit(&width);
    const HRESULT hr = opened->slide->GetSlideProperties(306, &width);
    VariantClear(&width);
    if (FAILED(hr)) opened->failure = {hr, "GetSlideProperties(306)"};
  }
  if (SUCCEEDED(opened->failure.hr)) opened->facts = ReadFacts(opened->slide.Get());
  m_slides.push_back(opened);
  return opened;
}

Reply SlideService::SlideList() {
  std::string body = "[";
  for (const std::string& name : m_catalog.Names()) {
    const auto slide = Open(name);
    body.append(body.size() > 1 ? "," : "").append("{\"name\":").append(JsonString(name));
    if (FAILED(slide->failure.hr)) {
      body.append(",\"error\":").append(JsonString(slide->failure.call + " failed with " + Hex(slide->failure.hr)));
    } else {
      body.append(",\"width\":").append(std::to_string(slide->facts.width));
      body.append(",\"height\":").append(std::to_string(slide->facts.height));
    }
    body.append("}");
  }
  return {200, body + "]\n", "application/json"};
}

Reply SlideService::Info(const OpenedSlide& slide) const {
  const SlideFacts& f = slide.facts;
  std::string body = "{\"name\":" + JsonString(slide.name);
  body.append(",\"width\":").append(std::to_string(f.width)).append(",\"height\":").append(std::to_string(f.height));
  body.append(",\"mpp_x\":").append(zorvel_cli::FormatDouble(f.pixelWidth));
  body.append(",\"mpp_y\":").append(zorvel_cli::FormatDouble(f.pixelHeight));
  body.append(",\"brightfield\":").append(f.brightfield ? "true" : "false");
  body.append(",\"focal_planes\":").append(std::to_string(f.focalPlanes));
  body.append(",\"extended_focus\":").append(f.extendedFocus ? "true" : "false");
  body.append(",\"compression\":").append(JsonString(f.compression));
  body.append(",\"levels\":[");
  for (std::size_t i = 0; i < f.levels.size(); ++i) body.append(i ? "," : "").append(std::to_string(f.levels[i]));
  body.append("],\"channels\":[");
  const int channels = f.brightfield ? 0 : f.channels;
  for (int c = 0; c < channels; ++c) {
    VARIANT name;
    VariantInit(&name);
    const bool named = SUCCEEDED(slide.slide->GetChannelProperties(400, c, &name)) && name.vt == VT_BSTR;
    body.append(c ? "," : "").append("{\"index\":").append(std::to_string(c)).append(",\"name\":");
    body.append(JsonString(named ? zorvel_cli::FormatVariant(name).value : "Channel " + std::to_string(c))).append("}");
    VariantClear(&name);
  }
  return {200, body + "]}\n", "application/json"};
}

Reply SlideService::Properties(const OpenedSlide& slide) const {
  std::vector<zorvel_cli::PropertyTag> tags;
  if (const HRESULT hr = zorvel_cli::ReadPropertyTags(slide.slide.Get(), tags); FAILED(hr)) {
    return CallFailed({hr, "GetSlidePropertyTags"});
  }
  std::string body = "[";
  for (std::size_t i = 0; i < tags.size(); ++i) {
    VARIANT value;
    VariantInit(&value);
    const HRESULT hr = zorvel_cli::ReadProperty(slide.slide.Get(), tags[i].tag, value);
    const zorvel_cli::VariantText text = FAILED(hr) ? zorvel_cli::VariantText{"ERROR", Hex(hr)} : zorvel_cli::FormatVariant(value);
    VariantClear(&value);
    body.append(i ? "," : "").append("{\"tag\":").append(std::to_string(tags[i].tag));
    body.append(",\"name\":").append(JsonString(tags[i].name)).append(",\"type\":").append(JsonString(text.type));
    body.append(",\"value\":").append(JsonString(text.value)).append("}");
  }
  return {200, body + "]\n", "application/json"};
}

Reply SlideService::SingleImage(const OpenedSlide& slide, const std::string& kind) const {
  DecodedImage picture;
  if (kind == "thumbnail") {
    const int level = zorvel_cli::ThumbnailLevel(slide.facts.width, slide.facts.height, kThumbnailMax);
    const std::int64_t w = zorvel_cli::LevelSize(slide.facts.width, level), h = zorvel_cli::LevelSize(slide.facts.height, level);
    const TilePlan plan{0, 0, w, h, level, 0};
    if (const CallResult r = RenderPlan(slide.slide.Get(), plan, TileQuery{}, picture); FAILED(r.hr)) return CallFailed(r);
    return JpegReply(zorvel_cli::FitWithin(std::move(picture), kThumbnailMax));
  }
  const LONG type = kind == "label" ? 100 : 103;
  ComPtr<IKLVBitmapImage> bitmap;
  const HRESULT hr = slide.slide->GetSingleImage(type, bitmap.Out());
  if (FAILED(hr) || !bitmap) {
    Reply reply = CallFailed({FAILED(hr) ? hr : E_POINTER, "GetSingleImage(" + std::to_string(type) + ")"});
    reply.status = 404;
    return reply;
  }
  if (const CallResult r = zorvel_cli::ReadHostBitmap(bitmap.Get(), picture); FAILED(r.hr)) return CallFailed(r);
  return JpegReply(picture);
}

Reply SlideService::Descriptor(const OpenedSlide& slide, int tileSize, int overlap) const {
  char xml[512];
  std::snprintf(xml, sizeof xml,
                "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                "<Image xmlns=\"http://schemas.microsoft.com/deepzoom/2008\" Format=\"jpeg\" Overlap=\"%d\" "
                "TileSize=\"%d\"><Size Width=\"%lld\" Height=\"%lld\"/></Image>\n",
                overlap, tileSize, static_cast<long long>(slide.facts.width), static_cast<long long>(slide.facts.height));
  return {200, xml, "application/xml"};
}

Reply SlideService::Tile(const OpenedSlide& slide, const TileQuery& query) const {
  const DeepZoomGrid grid{slide.facts.width, slide.facts.height, query.tileSize, query.overlap};
  const auto plan = PlanTile(grid, query.level, query.column, query.row);
  if (!plan) return ErrorReply(404, "no such tile");
  if (IsStoredTile(slide.facts, *plan, query)) {
    Reply reply{200, {}, "image/jpeg"};
    if (SUCCEEDED(ReadStoredTile(slide.slide.Get(), query, plan->moduleLevel, reply.body).hr) && !reply.body.empty()) {
      return reply;
    }
  }
  DecodedImage picture;
  if (const CallResult r = RenderPlan(slide.slide.Get(), *plan, query, picture); FAILED(r.hr)) return CallFailed(r);
  return JpegReply(picture);
}

}  // namespace zorvel_serve

namespace zorvel_serve {

Reply SlideService::Annotations(const OpenedSlide& slide) const {
  zorvel_cli::SlideAnnotations annotations;
  if (const CallResult r = zorvel_cli::ReadAnnotations(slide.slide.Get(), annotations); FAILED(r.hr)) return CallFailed(r);
  return {200, ToGeoJson(annotations), "application/geo+json"};
}

}  // namespace zorvel_serve
