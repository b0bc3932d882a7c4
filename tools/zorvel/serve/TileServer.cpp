// Routes of zorvel serve.
#include "TileServer.h"

#include <httplib.h>

#include <fstream>
#include <sstream>

#include "CommandLine.h"
#include "RegionArithmetic.h"

namespace zorvel_serve {
namespace {

constexpr std::size_t kMaxBody = 1024;
constexpr const char* kSlide = "([^/]{1,255})";

// `version` names the slide's content (its slide id): with the request it fixes the answer.
void Send(const httplib::Request& request, httplib::Response& response, const Reply& reply, bool cacheable,
          const std::string& version = {}) {
  response.status = reply.status;
  if (cacheable && reply.status == 200) {
    char etag[24];
    std::snprintf(etag, sizeof etag, "\"%016zx\"", std::hash<std::string>{}(version + '\n' + request.target));
    response.set_header("ETag", etag);
    response.set_header("Cache-Control", "public, max-age=3600");
    if (request.get_header_value("If-None-Match") == etag) {
      response.status = 304;
      return;
    }
  } else {
    response.set_header("Cache-Control", "no-store");
  }
  response.set_content(reply.body, reply.contentType.c_str());
}

// Runs `answer` on the opened slide named by the first match, or answers 404 / 500.
void WithSlide(SlideService& service, const httplib::Request& request, httplib::Response& response, bool cacheable,
               const std::function<Reply(const OpenedSlide&)>& answer) {
  const auto slide = service.Open(request.matches[1]);
  if (!slide) return Send(request, response, ErrorReply(404, "no such slide"), false);
  if (FAILED(slide->failure.hr)) {
    char code[16];
    std::snprintf(code, sizeof code, "0x%08X", static_cast<unsigned>(slide->failure.hr));
    return Send(request, response, ErrorReply(500, slide->failure.call + " failed with " + code), false);
  }
  Send(request, response, answer(*slide), cacheable, slide->facts.slideId);
}

// Tile size and overlap from ?overlap=0|1 (254 with overlap 1, 256 without); focus and channels.
bool ReadTileOptions(const httplib::Request& request, TileQuery& query) {
  if (request.has_param("overlap")) {
    const std::string overlap = request.get_param_value("overlap");
    if (overlap != "0" && overlap != "1") return false;
    query.overlap = overlap == "1" ? 1 : 0;
    query.tileSize = query.overlap ? 254 : 256;
  }
  if (request.has_param("focus")) {
    const auto focus = zorvel_cli::ParseInteger(request.get_param_value("focus"), false);
    if (!focus || *focus < -1000 || *focus > 1000) return false;
    query.focus = static_cast<int>(*focus);
  }
  if (request.has_param("channels")) {
    const auto channels = zorvel_cli::ParseIntegerList(request.get_param_value("channels"), 3);
    if (!channels || !zorvel_cli::ChannelArguments(*channels, query.focus ? std::optional<std::int64_t>(*query.focus) : std::nullopt)) {
      return false;
    }
    query.channels.assign(channels->begin(), channels->end());
  }
  return true;
}

void TileRoute(SlideService& service, const httplib::Request& request, httplib::Response& response) {
  TileQuery query;
  const auto level = zorvel_cli::ParseInteger(request.matches[2], false);
  const auto column = zorvel_cli::ParseInteger(request.matches[3], false);
  const auto row = zorvel_cli::ParseInteger(request.matches[4], false);
  if (!level || !column || !row || !ReadTileOptions(request, query)) {
    return Send(request, response, ErrorReply(400, "bad tile request"), false);
  }
  query.level = static_cast<int>(*level);
  query.column = *column;
  query.row = *row;
  WithSlide(service, request, response, true, [&](const OpenedSlide& slide) { return service.Tile(slide, query); });
}

void Routes(httplib::Server& server, SlideService& service, const ServerOptions& options) {
  const std::string slide = kSlide;
  server.Get("/api/slides", [&](const httplib::Request& q, httplib::Response& r) { Send(q, r, service.SlideList(), false); });
  server.Get("/api/slides/" + slide + "/info", [&](const httplib::Request& q, httplib::Response& r) {
    WithSlide(service, q, r, true, [&](const OpenedSlide& s) { return service.Info(s); });
  });
  server.Get("/api/slides/" + slide + "/properties", [&](const httplib::Request& q, httplib::Response& r) {
    WithSlide(service, q, r, true, [&](const OpenedSlide& s) { return service.Properties(s); });
  });
  server.Get("/api/slides/" + slide + "/annotations", [&](const httplib::Request& q, httplib::Response& r) {
    WithSlide(service, q, r, true, [&](const OpenedSlide& s) { return service.Annotations(s); });
  });
  server.Get("/api/slides/" + slide + "/(label|overview|thumbnail)\\.jpeg", [&](const httplib::Request& q, httplib::Response& r) {
    WithSlide(service, q, r, true, [&](const OpenedSlide& s) { return service.SingleImage(s, q.matches[2]); });
  });
  server.Get("/dz/" + slide + "\\.dzi", [&](const httplib::Request& q, httplib::Response& r) {
    TileQuery query;
    if (!ReadTileOptions(q, query)) return Send(q, r, ErrorReply(400, "bad descriptor request"), false);
    WithSlide(service, q, r, true, [&](const OpenedSlide& s) { return service.Descriptor(s, query.tileSize, query.overlap); });
  });
  server.Get("/dz/" + slide + "_files/([0-9]{1,3})/([0-9]{1,10})_([0-9]{1,10})\\.jpeg",
             [&](const httplib::Request& q, httplib::Response& r) { TileRoute(service, q, r); });
  for (const char* file : {"index.html", "app.js"}) {
    const std::filesystem::path path = options.webDir / file;
    const char* type = std::string_view(file).ends_with(".js") ? "text/javascript" : "text/html; charset=utf-8";
    server.Get(std::string(file) == "index.html" ? "/" : std::string("/") + file, [path, type](const httplib::Request&, httplib::Response& r) {
      std::ifstream in(path, std::ios::binary);
      std::ostringstream text;
      text << in.rdbuf();
      if (!in) return void(r.status = 404);
      r.set_content(text.str(), type);
    });
  }
  server.set_mount_point("/vendor/openseadragon", options.viewerDir.string());
}

}  // namespace

bool Serve(SlideService& service, const ServerOptions& options, const std::function<void(int)>& onListening,
           std::string& error) {
  httplib::Server server;
  const int threads = options.threads;
  server.new_task_queue = [threads] { return new httplib::ThreadPool(static_cast<std::size_t>(threads)); };
  server.set_payload_max_length(kMaxBody);
  server.set_read_timeout(10, 0);
  server.set_write_timeout(10, 0);
  server.set_keep_alive_max_count(1000);
  Routes(server, service, options);
  server.set_error_handler([](const httplib::Request&, httplib::Response& response) {
    if (response.body.empty()) {
      response.set_content("{\"error\":\"" + std::to_string(response.status) + "\"}\n", "application/json");
    }
  });
  int port = options.port;
  if (port == 0) {
    port = server.bind_to_any_port(options.host);
  } else if (!server.bind_to_port(options.host, port)) {
    port = -1;
  }
  if (port <= 0) {
    error = "cannot listen on " + options.host + ":" + std::to_string(options.port);
    return false;
  }
  onListening(port);
  if (!server.listen_after_bind()) {
    error = "the server stopped";
    return false;
  }
  return true;
}

}  // namespace zorvel_serve
