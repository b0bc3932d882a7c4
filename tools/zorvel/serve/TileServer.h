// The HTTP side of zorvel serve (cpp-httplib): routes for the slide list, Deep Zoom descriptors
// and tiles, facts, properties, single images and annotations, and the browser page with its
// OpenSeadragon files. Requests run on a fixed pool of worker threads; bodies and headers are
// bounded; responses carry ETag and Cache-Control.
#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "SlideService.h"

namespace zorvel_serve {

struct ServerOptions {
  std::string host = "127.0.0.1";
  int port = 8080;  // 0: any free port
  int threads = 8;
  std::filesystem::path webDir;     // index.html, app.js
  std::filesystem::path viewerDir;  // OpenSeadragon's build directory
};

// Binds and serves until the process ends; `onListening` gets the bound port first. Returns
// false with `error` set when the address cannot be bound.
bool Serve(SlideService& service, const ServerOptions& options, const std::function<void(int)>& onListening,
           std::string& error);

}  // namespace zorvel_serve
