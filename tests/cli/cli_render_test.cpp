// zorvel's rendering commands run as a user runs them: render pictures against the region
// oracle's composition of the same tiles, --rect crops against the --tiles picture, thumbnails
// against the matching render, bench figures, wrong usage, and real slides.
#include <gtest/gtest.h>

#include <map>
#include <regex>
#include <sstream>

#include "cli_runner.h"
#include "png_reading.h"

namespace cli_test {
namespace {

const std::map<std::string, std::string> kSlides = {
    {"brightfield", "--width 1536 --height 1024 --label --label-text 'Case 9' --annotations 2d"},
    {"fluor4", "--width 700 --height 500 --syntax jpeg --channels 4"},
    {"zstack", "--width 700 --height 500 --syntax jpeg --focal-planes 3 --extended-focus"},
    {"bits16", "--width 500 --height 300 --syntax explicit --bits 16 --channels 3"},
};

std::string Slide(const std::string& name) { return MakeSlide("render-" + name, kSlides.at(name)).string(); }

std::filesystem::path Output(const std::string& name) { return ScratchDir() / (name + ".png"); }

// Numbers joined by `separator` ("1,2,3").
template <class Number>
std::string Join(const std::vector<Number>& values, const char* separator) {
  std::ostringstream text;
  for (std::size_t i = 0; i < values.size(); ++i) text << (i ? separator : "") << values[i];
  return text.str();
}

// The oracle's B, G, R lines for grid tiles x1..x2, y1..y2 of `level`.
std::vector<unsigned char> Oracle(const std::string& slide, const std::vector<int>& tiles, int level, int blue,
                                  int plane, bool wide) {
  const std::filesystem::path out = ScratchDir() / "oracle.raw";
  const std::string command = std::string(ZORVEL_PYTHON) + " " ZORVEL_SOURCE_DIR "/tests/render/region_oracle.py " +
                              Quote(slide) + " " + Join(tiles, " ") + " " +
                              Join(std::vector<int>{level, blue, plane, wide ? 1 : 0}, " ") + " " + Quote(out.string());
  EXPECT_EQ(std::system(command.c_str()), 0) << command;
  const std::string bytes = ReadFile(out);
  return {bytes.begin(), bytes.end()};
}

struct RenderCase {
  const char* name;
  const char* slide;
  int level;
  std::vector<int> tiles;          // x1, y1, x2, y2
  std::vector<std::string> extra;  // further options
  int oracleBlue, oraclePlane;
  bool wide;
};

void PrintTo(const RenderCase& c, std::ostream* out) { *out << c.name; }

const RenderCase kRenderCases[] = {
    {"BrightfieldLevel0", "brightfield", 0, {0, 0, 2, 1}, {}, 0, -1, false},
    {"BrightfieldLevel1PastTheEdge", "brightfield", 1, {1, 0, 3, 2}, {}, 0, -1, false},
    {"BrightfieldShrunkFromLevel0", "brightfield", 2, {0, 0, 1, 0}, {}, 0, -1, false},
    {"FluorFirstTriple", "fluor4", 0, {0, 0, 1, 1}, {}, 0, -1, false},
    {"FluorFourthChannel", "fluor4", 0, {0, 0, 1, 1}, {"--channels", "5,4,3"}, 3, -1, false},
    {"ExtendedFocus", "zstack", 0, {0, 0, 1, 1}, {}, 0, -1, false},
    {"MiddlePlane", "zstack", 0, {0, 0, 1, 1}, {"--focus", "0"}, 0, 1, false},
    {"UpperPlane", "zstack", 0, {1, 0, 2, 1}, {"--focus", "1"}, 0, 2, false},
    {"SixteenBitReduced", "bits16", 0, {0, 0, 1, 1}, {}, 0, -1, false},
    {"SixteenBitPng", "bits16", 0, {0, 0, 1, 1}, {"--16bit"}, 0, -1, true},
};

class RenderTest : public testing::TestWithParam<RenderCase> {};

TEST_P(RenderTest, PngPixelsAreTheModulesPicture) {
  const RenderCase& c = GetParam();
  const std::string slide = Slide(c.slide);
  ASSERT_FALSE(slide.empty());
  const std::filesystem::path png = Output(c.name);
  const std::string tiles = Join(c.tiles, ",");
  std::vector<std::string> arguments = {"render", slide, "--level", std::to_string(c.level), "--tiles", tiles,
                                        "-o", png.string()};
  arguments.insert(arguments.end(), c.extra.begin(), c.extra.end());
  const RunResult result = RunZorvel(arguments);
  ASSERT_EQ(result.code, 0) << result.err;
  const PngPixels pixels = ReadPng(png);
  EXPECT_EQ(pixels.width, static_cast<png_uint_32>((c.tiles[2] - c.tiles[0] + 1) * 256));
  EXPECT_EQ(pixels.height, static_cast<png_uint_32>((c.tiles[3] - c.tiles[1] + 1) * 256));
  EXPECT_EQ(pixels.bitDepth, c.wide ? 16 : 8);
  EXPECT_EQ(pixels.channels, 3);
  const std::vector<unsigned char> expected = Oracle(slide, c.tiles, c.level, c.oracleBlue, c.oraclePlane, c.wide);
  ASSERT_EQ(pixels.bytes.size(), expected.size());
  EXPECT_TRUE(pixels.bytes == expected) << "PNG pixels differ from the oracle's picture";
}

INSTANTIATE_TEST_SUITE_P(Slides, RenderTest, testing::ValuesIn(kRenderCases),
                         [](const testing::TestParamInfo<RenderCase>& info) { return std::string(info.param.name); });

// Lines y0.. of width w starting at column x0 of a packed 8-bit B, G, R picture `width` wide.
std::vector<unsigned char> Cut(const PngPixels& picture, png_uint_32 x0, png_uint_32 y0, png_uint_32 w, png_uint_32 h) {
  std::vector<unsigned char> part;
  for (png_uint_32 y = y0; y < y0 + h; ++y) {
    const auto line = picture.bytes.begin() + (y * picture.width + x0) * 3;
    part.insert(part.end(), line, line + w * 3);
  }
  return part;
}

TEST(RectTest, CropsEqualThePartOfTheTilesPicture) {
  const std::string slide = Slide("brightfield");
  ASSERT_FALSE(slide.empty());
  ASSERT_EQ(RunZorvel({"render", slide, "--level", "0", "--tiles", "0,0,2,1", "-o", Output("whole").string()}).code, 0);
  const PngPixels whole = ReadPng(Output("whole"));
  struct Rect {
    png_uint_32 x, y, w, h;
  };
  for (const Rect r : {Rect{100, 50, 300, 200}, Rect{256, 256, 256, 256}, Rect{511, 0, 1, 512}, Rect{0, 0, 768, 512}}) {
    const std::string rect = Join(std::vector<png_uint_32>{r.x, r.y, r.w, r.h}, ",");
    const RunResult result = RunZorvel({"render", slide, "--level", "0", "--rect", rect, "-o", Output("rect").string()});
    ASSERT_EQ(result.code, 0) << result.err;
    const PngPixels crop = ReadPng(Output("rect"));
    EXPECT_EQ(crop.width, r.w) << rect;
    EXPECT_EQ(crop.height, r.h) << rect;
    EXPECT_TRUE(crop.bytes == Cut(whole, r.x, r.y, r.w, r.h)) << rect;
  }
}

TEST(ThumbnailTest, FirstFittingLevelRenderedWhole) {
  const std::string slide = Slide("brightfield");  // 1536 x 1024
  ASSERT_FALSE(slide.empty());
  struct Fit {
    const char* max;
    const char* level;
    png_uint_32 width, height;
  };
  for (const Fit fit : {Fit{"300", "3", 192, 128}, Fit{"1536", "0", 1536, 1024}, Fit{"100", "4", 96, 64}}) {
    const RunResult thumbnail = RunZorvel({"thumbnail", slide, "--max", fit.max, "-o", Output("thumb").string()});
    ASSERT_EQ(thumbnail.code, 0) << thumbnail.err;
    const std::string rect = Join(std::vector<png_uint_32>{0, 0, fit.width, fit.height}, ",");
    ASSERT_EQ(RunZorvel({"render", slide, "--level", fit.level, "--rect", rect, "-o", Output("level").string()}).code, 0);
    const PngPixels picture = ReadPng(Output("thumb"));
    EXPECT_EQ(picture.width, fit.width) << fit.max;
    EXPECT_EQ(picture.height, fit.height) << fit.max;
    EXPECT_TRUE(picture.bytes == ReadPng(Output("level")).bytes) << fit.max;
  }
}

TEST(BenchTest, PrintsColdAndWarmRatesAndPeakMemory) {
  const std::string slide = Slide("brightfield");
  ASSERT_FALSE(slide.empty());
  const RunResult result = RunZorvel({"bench", slide, "--regions", "6", "--size", "300", "--threads", "2", "--seed", "7"});
  ASSERT_EQ(result.code, 0) << result.err;
  EXPECT_TRUE(std::regex_search(result.out, std::regex("Regions: +6 of 512 x 512 pixels at level 0, seed 7, 2 threads")))
      << result.out;
  EXPECT_TRUE(std::regex_search(result.out, std::regex("Cold: +[0-9.]+ megapixels/s"))) << result.out;
  EXPECT_TRUE(std::regex_search(result.out, std::regex("Warm: +[0-9.]+ megapixels/s"))) << result.out;
  EXPECT_TRUE(std::regex_search(result.out, std::regex("Peak resident: +[1-9][0-9]* MiB"))) << result.out;
  EXPECT_TRUE(result.err.empty()) << "no progress when standard error is not a terminal: " << result.err;
}

struct UsageCase {
  const char* name;
  std::vector<std::string> arguments;
};

void PrintTo(const UsageCase& c, std::ostream* out) { *out << c.name; }

class RenderUsageTest : public testing::TestWithParam<UsageCase> {};

TEST_P(RenderUsageTest, ExitsTwoWithAMessage) {
  std::vector<std::string> arguments;
  for (const std::string& argument : GetParam().arguments) arguments.push_back(argument == "SLIDE" ? Slide("brightfield") : argument);
  const RunResult result = RunZorvel(arguments);
  EXPECT_EQ(result.code, 2) << result.err;
  EXPECT_NE(result.err.find("Try 'zorvel"), std::string::npos) << result.err;
  EXPECT_TRUE(result.out.empty()) << result.out;
}

INSTANTIATE_TEST_SUITE_P(
    Commands, RenderUsageTest,
    testing::Values(UsageCase{"RenderWithoutLevel", {"render", "SLIDE", "--tiles", "0,0,0,0", "-o", "x.png"}},
                    UsageCase{"RenderLevelTen", {"render", "SLIDE", "--level", "10", "--tiles", "0,0,0,0", "-o", "x.png"}},
                    UsageCase{"RenderTilesAndRect", {"render", "SLIDE", "--level", "0", "--tiles", "0,0,0,0", "--rect", "0,0,1,1", "-o", "x.png"}},
                    UsageCase{"RenderNoRegion", {"render", "SLIDE", "--level", "0", "-o", "x.png"}},
                    UsageCase{"RenderThreeTileNumbers", {"render", "SLIDE", "--level", "0", "--tiles", "0,0,1", "-o", "x.png"}},
                    UsageCase{"RenderFiveTileNumbers", {"render", "SLIDE", "--level", "0", "--tiles", "0,0,1,1,1", "-o", "x.png"}},
                    UsageCase{"RenderTilesBackwards", {"render", "SLIDE", "--level", "0", "--tiles", "2,0,1,0", "-o", "x.png"}},
                    UsageCase{"RenderHugeRegion", {"render", "SLIDE", "--level", "0", "--tiles", "0,0,99999,99999", "-o", "x.png"}},
                    UsageCase{"RenderRectZeroWidth", {"render", "SLIDE", "--level", "0", "--rect", "0,0,0,5", "-o", "x.png"}},
                    UsageCase{"RenderWithoutOutput", {"render", "SLIDE", "--level", "0", "--tiles", "0,0,0,0"}},
                    UsageCase{"RenderSpecialChannelWithFocus", {"render", "SLIDE", "--level", "0", "--tiles", "0,0,0,0", "--channels", "-3,-3,0", "--focus", "0", "-o", "x.png"}},
                    UsageCase{"ThumbnailMaxTooSmall", {"thumbnail", "SLIDE", "--max", "8", "-o", "x.png"}},
                    UsageCase{"ThumbnailWithoutOutput", {"thumbnail", "SLIDE"}},
                    UsageCase{"ImageUnknownKind", {"image", "SLIDE", "barcode", "-o", "x.png"}},
                    UsageCase{"ChannelsTwoSlides", {"channels", "SLIDE", "SLIDE"}},
                    UsageCase{"AnnotationsUnknownFlag", {"annotations", "SLIDE", "--xml"}},
                    UsageCase{"BenchNoThreads", {"bench", "SLIDE", "--threads", "0"}},
                    UsageCase{"BenchSizeNotANumber", {"bench", "SLIDE", "--size", "big"}},
                    UsageCase{"ServeWithoutRoot", {"serve"}},
                    UsageCase{"ServePortTooLarge", {"serve", "SLIDE", "--port", "70000"}},
                    UsageCase{"ServeRootMissing", {"serve", "/nonexistent/zorvel-root"}}),
    [](const testing::TestParamInfo<UsageCase>& info) { return info.param.name; });

TEST(RenderHelpTest, EveryCommandDescribesItself) {
  for (const char* command :
       {"info", "props", "prop", "tile", "render", "thumbnail", "image", "channels", "annotations", "bench", "serve"}) {
    const RunResult result = RunZorvel({command, "--help"});
    EXPECT_EQ(result.code, 0) << command;
    EXPECT_EQ(result.out.rfind(std::string("Usage: zorvel ") + command, 0), 0u) << result.out;
  }
}

// The module has no JPEG-LS codec: rendering such a slide reports the tile failure code.
TEST(RenderRealFilesTest, ThumbnailAndRegionOfEveryRealSlide) {
  const std::filesystem::path root = ZORVEL_TESTDATA_DIR "/highdicom";
  if (!std::filesystem::is_directory(root)) GTEST_SKIP() << "no real DICOM files at " << root;
  for (const auto& entry : std::filesystem::directory_iterator(root)) {
    if (!entry.is_directory()) continue;
    const std::string slide = entry.path().string();
    SCOPED_TRACE(slide);
    const auto property = [&](const char* tag) { return Fields(Lines(RunZorvel({"prop", slide, tag}).out).at(0)).at(3); };
    const bool decodable = property("303") != "JPEGLS";
    const RunResult thumbnail = RunZorvel({"thumbnail", slide, "--max", "256", "-o", Output("real").string()});
    const RunResult region = RunZorvel({"render", slide, "--level", "0", "--rect", "0,0,30,20", "-o", Output("region").string()});
    if (!decodable) {
      EXPECT_EQ(thumbnail.code, 1);
      EXPECT_NE(thumbnail.err.find("GetImage failed with 0x810301F4"), std::string::npos) << thumbnail.err;
      EXPECT_EQ(region.code, 1);
      continue;
    }
    ASSERT_EQ(thumbnail.code, 0) << thumbnail.err;
    ASSERT_EQ(region.code, 0) << region.err;
    const PngPixels picture = ReadPng(Output("real"));
    EXPECT_EQ(picture.width, std::stoul(property("306")));  // the real slides fit 256 pixels
    EXPECT_EQ(picture.height, std::stoul(property("307")));
    EXPECT_TRUE(ReadPng(Output("region")).bytes == Cut(picture, 0, 0, 30, 20)) << "region differs from the thumbnail";
  }
}

}  // namespace
}  // namespace cli_test
