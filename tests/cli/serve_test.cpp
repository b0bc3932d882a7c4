// zorvel serve on a free loopback port over generated slides: the slide list, Deep Zoom
// descriptors, every tile of two levels against zorvel render's picture of the same area, stored
// tiles passed through byte for byte, properties and GeoJSON, caching headers, and requests that
// must be refused (paths out of the root, bad levels and tiles, bad options, oversized requests).
#include <httplib.h>
#include <turbojpeg.h>

#include <gtest/gtest.h>

#include <cmath>

#include "cli_runner.h"
#include "png_reading.h"
#include "server_process.h"

namespace cli_test {
namespace {

// The served root: two slides, a directory whose file is no slide, and a link out of the root.
const std::filesystem::path& Root() {
  static const std::filesystem::path root = [] {
    const std::filesystem::path dir = ScratchDir() / "root";
    std::filesystem::create_directories(dir / "broken");
    std::ofstream(dir / "broken" / "x.dcm") << "not a DICOM file";
    MakeSlide("root/brightfield", "--width 1536 --height 1024 --label --annotations 2d");
    MakeSlide("root/zstack", "--width 700 --height 500 --syntax jpeg --focal-planes 3");
    std::filesystem::create_directories(ScratchDir() / "elsewhere");
    MakeSlide("elsewhere/hidden", "--width 256 --height 256");
    std::error_code ignored;
    std::filesystem::create_directory_symlink(ScratchDir() / "elsewhere" / "hidden", dir / "outside", ignored);
    return dir;
  }();
  return root;
}

class ServeTest : public testing::Test {
 protected:
  static void SetUpTestSuite() { server = new ServerProcess(Root().string(), {"--threads", "4"}); }
  static void TearDownTestSuite() { delete server; }
  static httplib::Client Client() {
    httplib::Client client("127.0.0.1", server->Port());
    client.set_read_timeout(30, 0);
    return client;
  }
  static ServerProcess* server;
};
ServerProcess* ServeTest::server = nullptr;

struct Rgb {
  int width = 0, height = 0;
  std::vector<unsigned char> bgr;
};

Rgb DecodeJpeg(const std::string& jpeg) {
  Rgb image;
  tjhandle decoder = tjInitDecompress();
  int subsampling = 0, colourspace = 0;
  const auto* bytes = reinterpret_cast<const unsigned char*>(jpeg.data());
  if (tjDecompressHeader3(decoder, bytes, jpeg.size(), &image.width, &image.height, &subsampling, &colourspace) == 0) {
    image.bgr.resize(static_cast<size_t>(image.width) * image.height * 3);
    if (tjDecompress2(decoder, bytes, jpeg.size(), image.bgr.data(), image.width, 0, image.height, TJPF_BGR, 0) != 0) {
      image.bgr.clear();
    }
  }
  tjDestroy(decoder);
  return image;
}

TEST_F(ServeTest, ListsTheSlidesOfTheRootOnly) {
  ASSERT_GT(server->Port(), 0);
  const auto response = Client().Get("/api/slides");
  ASSERT_TRUE(response);
  EXPECT_EQ(response->status, 200);
  EXPECT_EQ(response->body,
            "[{\"name\":\"brightfield\",\"width\":1536,\"height\":1024},"
            "{\"name\":\"broken\",\"error\":\"GetSlideProperties(306) failed with 0x81030027\"},"
            "{\"name\":\"zstack\",\"width\":700,\"height\":500}]\n");
  const auto dzi = Client().Get("/dz/brightfield.dzi?overlap=0");
  ASSERT_TRUE(dzi);
  EXPECT_NE(dzi->body.find("Overlap=\"0\" TileSize=\"256\"><Size Width=\"1536\" Height=\"1024\"/>"), std::string::npos) << dzi->body;
}

// Every tile of Deep Zoom levels 11 (full resolution) and 10 against the level rendered by zorvel.
TEST_F(ServeTest, TilesShowWhatRenderGivesForTheSameArea) {
  ASSERT_GT(server->Port(), 0);
  const std::string slide = (Root() / "brightfield").string();
  struct Level {
    int deepZoom, module;
    long width, height;
  };
  for (const Level level : {Level{11, 0, 1536, 1024}, Level{10, 1, 768, 512}}) {
    const std::filesystem::path png = ScratchDir() / "level.png";
    const std::string rect = "0,0," + std::to_string(level.width) + "," + std::to_string(level.height);
    ASSERT_EQ(RunZorvel({"render", slide, "--level", std::to_string(level.module), "--rect", rect, "-o", png.string()}).code, 0);
    const PngPixels expected = ReadPng(png);
    for (long row = 0; row * 254 < level.height; ++row) {
      for (long column = 0; column * 254 < level.width; ++column) {
        const std::string path = "/dz/brightfield_files/" + std::to_string(level.deepZoom) + "/" + std::to_string(column) +
                                 "_" + std::to_string(row) + ".jpeg";
        const auto response = Client().Get(path);
        ASSERT_TRUE(response && response->status == 200) << path;
        const Rgb tile = DecodeJpeg(response->body);
        const long x0 = column * 254 - (column ? 1 : 0), y0 = row * 254 - (row ? 1 : 0);
        ASSERT_EQ(tile.width, std::min(level.width, (column + 1) * 254 + 1) - x0) << path;
        ASSERT_EQ(tile.height, std::min(level.height, (row + 1) * 254 + 1) - y0) << path;
        double error = 0;
        for (int y = 0; y < tile.height; ++y) {
          for (int x = 0; x < tile.width * 3; ++x) {
            error += std::abs(tile.bgr[(y * tile.width) * 3 + x] - expected.bytes[((y0 + y) * level.width + x0) * 3 + x]);
          }
        }
        EXPECT_LT(error / tile.bgr.size(), 3.0) << path << ": mean difference from the rendered level";
      }
    }
  }
}

TEST_F(ServeTest, AlignedTilesWithoutOverlapAreTheStoredBytes) {
  ASSERT_GT(server->Port(), 0);
  for (const auto& [level, module, column, row] : {std::tuple{"11", "0", "1", "2"}, std::tuple{"10", "1", "2", "1"}}) {
    const auto response = Client().Get(std::string("/dz/brightfield_files/") + level + "/" + column + "_" + row + ".jpeg?overlap=0");
    ASSERT_TRUE(response && response->status == 200);
    const std::filesystem::path stored = ScratchDir() / "stored.jpg";
    ASSERT_EQ(RunZorvel({"tile", (Root() / "brightfield").string(), "--level", module, "--x", column, "--y", row, "-o",
                         stored.string()}).code, 0);
    EXPECT_TRUE(response->body == ReadFile(stored)) << level << "/" << column << "_" << row;
  }
}

TEST_F(ServeTest, PropertiesAnnotationsAndCaching) {
  ASSERT_GT(server->Port(), 0);
  const auto properties = Client().Get("/api/slides/brightfield/properties");
  ASSERT_TRUE(properties && properties->status == 200);
  EXPECT_NE(properties->body.find("{\"tag\":306,\"name\":\"Slide width in pixels\",\"type\":\"I4\",\"value\":\"1536\"}"),
            std::string::npos);
  const auto info = Client().Get("/api/slides/zstack/info");
  ASSERT_TRUE(info && info->status == 200);
  EXPECT_NE(info->body.find("\"focal_planes\":3"), std::string::npos) << info->body;
  const auto annotations = Client().Get("/api/slides/brightfield/annotations");
  ASSERT_TRUE(annotations && annotations->status == 200);
  EXPECT_EQ(annotations->get_header_value("Content-Type"), "application/geo+json");
  size_t features = 0;
  for (size_t at = 0; (at = annotations->body.find("{\"type\":\"Feature\"", at)) != std::string::npos; ++at) ++features;
  EXPECT_EQ(features, 14u);  // 11 flag records and 3 TMA markers
  EXPECT_NE(annotations->body.find("\"kind\":\"TMAMarker\",\"caption\":\"TMA A1\""), std::string::npos);
  EXPECT_NE(annotations->body.find("{\"type\":\"Polygon\",\"coordinates\":[[["), std::string::npos);

  const auto label = Client().Get("/api/slides/brightfield/label.jpeg");
  ASSERT_TRUE(label && label->status == 200);
  EXPECT_GT(DecodeJpeg(label->body).width, 0);
  const auto tile = Client().Get("/dz/zstack_files/9/0_0.jpeg?focus=1");
  ASSERT_TRUE(tile && tile->status == 200);
  const std::string etag = tile->get_header_value("ETag");
  EXPECT_FALSE(etag.empty());
  EXPECT_EQ(tile->get_header_value("Cache-Control"), "public, max-age=3600");
  const auto again = Client().Get("/dz/zstack_files/9/0_0.jpeg?focus=1", {{"If-None-Match", etag}});
  ASSERT_TRUE(again);
  EXPECT_EQ(again->status, 304);
  const auto other = Client().Get("/dz/zstack_files/9/0_0.jpeg?focus=-1");
  ASSERT_TRUE(other && other->status == 200);
  EXPECT_NE(other->get_header_value("ETag"), etag);
  EXPECT_NE(other->body, tile->body) << "another focal plane gives another picture";
}

TEST_F(ServeTest, RefusesRequestsOutsideItsSlidesAndGrids) {
  ASSERT_GT(server->Port(), 0);
  struct Bad {
    const char* path;
    int status;
  };
  const Bad requests[] = {
      {"/api/slides/outside/info", 404},            {"/api/slides/../info", 404},
      {"/api/slides/%2E%2E/info", 404},             {"/api/slides/..%2F..%2Fetc/info", 404},
      {"/api/slides/%2Fetc%2Fpasswd/properties", 404}, {"/dz/..%2Fbrightfield.dzi", 404},
      {"/api/slides/nothing/info", 404},            {"/dz/brightfield_files/12/0_0.jpeg", 404},
      {"/dz/brightfield_files/11/7_0.jpeg", 404},   {"/dz/brightfield_files/11/0_5.jpeg", 404},
      {"/dz/brightfield_files/11/-1_0.jpeg", 404},  {"/dz/brightfield_files/11/0_0.png", 404},
      {"/dz/brightfield_files/11/99999999999_0.jpeg", 404},
      {"/dz/brightfield_files/11/0_0.jpeg?overlap=2", 400}, {"/dz/brightfield_files/11/0_0.jpeg?focus=up", 400},
      {"/dz/brightfield_files/11/0_0.jpeg?channels=1,2", 400},
      {"/dz/brightfield_files/11/0_0.jpeg?channels=-3,0,0&focus=0", 400},
      {"/api/slides/broken/info", 500},             {"/api/slides/zstack/label.jpeg", 404},
      {"/vendor/openseadragon/../../package.json", 404}, {"/etc/passwd", 404},
  };
  for (const Bad& bad : requests) {
    const auto response = Client().Get(bad.path);
    ASSERT_TRUE(response) << bad.path;
    EXPECT_EQ(response->status, bad.status) << bad.path << ": " << response->body;
    if (bad.status != 404 || std::string(bad.path).rfind("/api", 0) == 0) {
      EXPECT_EQ(response->body.rfind("{\"error\":", 0), 0u) << bad.path << ": " << response->body;
    }
  }
  const auto post = Client().Post("/api/slides", std::string(64 * 1024, 'x'), "text/plain");
  ASSERT_TRUE(post);
  EXPECT_EQ(post->status, 413);
  const auto header = Client().Get("/api/slides", {{"X-Long", std::string(16 * 1024, 'y')}});
  EXPECT_TRUE(!header || header->status >= 400);
  const auto alive = Client().Get("/api/slides");
  ASSERT_TRUE(alive);
  EXPECT_EQ(alive->status, 200) << "the server still answers after the refused requests";
}

}  // namespace
}  // namespace cli_test

namespace cli_test {
namespace {

// The page in Chromium, driven by browser_check.js; screenshots go to build/browser-test/.
TEST_F(ServeTest, PageShowsTheSlidesInChromium) {
  if (!std::filesystem::exists("/usr/bin/chromium")) GTEST_SKIP() << "no browser at /usr/bin/chromium (scripts/setup_deps.sh installs it)";
  ASSERT_GT(server->Port(), 0);
  const std::filesystem::path modules = ZORVEL_SOURCE_DIR "/tools/zorvel/serve/web/node_modules";
  ASSERT_TRUE(std::filesystem::exists(modules / "puppeteer-core") && std::filesystem::exists(modules / "openseadragon"))
      << "run scripts/setup_deps.sh (npm ci) first";
  const std::filesystem::path shots = ZORVEL_BINARY_DIR "/browser-test";
  std::filesystem::remove_all(shots);
  std::filesystem::create_directories(shots);
  const std::string command = "NODE_PATH=" + Quote(modules.string()) + " timeout 120 node " ZORVEL_SOURCE_DIR
                              "/tests/cli/browser_check.js http://127.0.0.1:" + std::to_string(server->Port()) +
                              " brightfield zstack " + Quote(shots.string());
  EXPECT_EQ(std::system(command.c_str()), 0) << command;
  EXPECT_TRUE(std::filesystem::exists(shots / "viewer-brightfield.png"));
}

}  // namespace
}  // namespace cli_test
