// The built zorvel executable run as a user runs it: output of props and prop, raw and decoded
// tiles compared with the slide's own frames, exit codes of wrong usage and failed calls.
#include <cstdlib>
#include <regex>
#include <set>

#include <gtest/gtest.h>

#include "cli_runner.h"
#include "png_reading.h"

namespace cli_test {
namespace {

const std::filesystem::path& SampleSlide() {
  static const std::filesystem::path slide =
      MakeSlide("sample", "--width 1536 --height 1024 --label --annotations 2d");
  return slide;
}

struct UsageCase {
  const char* name;
  std::vector<std::string> arguments;
  int code;
};

void PrintTo(const UsageCase& usage, std::ostream* out) { *out << usage.name; }

class UsageTest : public testing::TestWithParam<UsageCase> {};

TEST_P(UsageTest, ExitCodeAndMessage) {
  std::vector<std::string> arguments;
  for (const std::string& argument : GetParam().arguments) {
    arguments.push_back(argument == "SLIDE" ? SampleSlide().string() : argument);
  }
  const RunResult result = RunZorvel(arguments);
  EXPECT_EQ(result.code, GetParam().code) << result.err;
  if (GetParam().code == 0) {
    EXPECT_NE(result.out.find("Usage: zorvel"), std::string::npos) << result.out;
  } else {
    EXPECT_FALSE(result.err.empty());
    EXPECT_TRUE(result.out.empty()) << result.out;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Commands, UsageTest,
    testing::Values(UsageCase{"NoCommand", {}, 2}, UsageCase{"UnknownCommand", {"rendr", "SLIDE"}, 2},
                    UsageCase{"InfoWithoutSlide", {"info"}, 2}, UsageCase{"InfoTwoSlides", {"info", "SLIDE", "x"}, 2},
                    UsageCase{"PropsUnknownOption", {"props", "SLIDE", "--all"}, 2},
                    UsageCase{"PropWithoutTag", {"prop", "SLIDE"}, 2},
                    UsageCase{"PropTagNotANumber", {"prop", "SLIDE", "30x"}, 2},
                    UsageCase{"PropTagEmptyHex", {"prop", "SLIDE", "0x"}, 2},
                    UsageCase{"PropTagTooLarge", {"prop", "SLIDE", "0x100000000"}, 2},
                    UsageCase{"TileWithoutOutput", {"tile", "SLIDE", "--level", "0", "--x", "0", "--y", "0"}, 2},
                    UsageCase{"TileWithoutLevel", {"tile", "SLIDE", "--x", "0", "--y", "0", "-o", "t"}, 2},
                    UsageCase{"TileLevelNotANumber", {"tile", "SLIDE", "--level", "a", "--x", "0", "--y", "0", "-o", "t"}, 2},
                    UsageCase{"TileOptionWithoutValue", {"tile", "SLIDE", "--level"}, 2},
                    UsageCase{"TopHelp", {"--help"}, 0}, UsageCase{"PropsShortHelp", {"props", "-h"}, 0}),
    [](const testing::TestParamInfo<UsageCase>& info) { return info.param.name; });

TEST(CliFailedCallTest, MissingDirectoryNamesTheFailingCallAndItsCode) {
  const std::string missing = (ScratchDir() / "no-such-slide").string();
  const std::vector<std::vector<std::string>> commands = {
      {"info", missing}, {"props", missing}, {"prop", missing, "306"},
      {"tile", missing, "--level", "0", "--x", "0", "--y", "0", "-o", (ScratchDir() / "none").string()}};
  for (const std::vector<std::string>& command : commands) {
    const RunResult result = RunZorvel(command);
    EXPECT_EQ(result.code, 1) << command[0];
    EXPECT_TRUE(result.out.empty()) << result.out;
    EXPECT_TRUE(std::regex_search(result.err, std::regex("(OpenSlide|GetSlideProperties\\(306\\)) failed with 0x[0-9A-F]{8}")))
        << result.err;
  }
}

TEST(CliFailedCallTest, MissingModuleNamesTheLoad) {
  ASSERT_FALSE(SampleSlide().empty());
  const RunResult result = RunZorvel({"info", SampleSlide().string(), "--module", (ScratchDir() / "none.so").string()});
  EXPECT_EQ(result.code, 1);
  EXPECT_NE(result.err.find("dlopen"), std::string::npos) << result.err;
}

// Every line: decimal tag, name, a known type and a value that fits the type.
void ExpectPropertyLines(const std::vector<std::string>& lines) {
  static const std::map<std::string, std::regex> kValue = {
      {"EMPTY", std::regex("")},         {"I4", std::regex("-?[0-9]+")},
      {"UI2", std::regex("[0-9]+")},     {"UI4", std::regex("[0-9]+")},
      {"UI8", std::regex("[0-9]+")},     {"R8", std::regex("-?[0-9.e+-]+|nan|-?inf")},
      {"BOOL", std::regex("true|false")}, {"BSTR", std::regex("[^\t\n]*")},
      {"DATE", std::regex("[0-9]{4}-[0-9]{2}-[0-9]{2}T[0-9]{2}:[0-9]{2}:[0-9]{2}")},
      {"ARRAY", std::regex("[^\t]*")},   {"ERROR", std::regex("0x[0-9A-F]{8}")}};
  for (const std::string& line : lines) {
    const std::vector<std::string> fields = Fields(line);
    ASSERT_EQ(fields.size(), 4u) << line;
    EXPECT_TRUE(std::regex_match(fields[0], std::regex("[0-9]+"))) << line;
    const auto value = kValue.find(fields[2]);
    ASSERT_NE(value, kValue.end()) << line;
    EXPECT_TRUE(std::regex_match(fields[3], value->second)) << line;
  }
}

TEST(CliPropsTest, EveryDirectoryTagInOrderWithTypedValues) {
  ASSERT_FALSE(SampleSlide().empty());
  const RunResult result = RunZorvel({"props", SampleSlide().string()});
  ASSERT_EQ(result.code, 0) << result.err;
  const std::vector<std::string> lines = Lines(result.out);
  ASSERT_EQ(lines.size(), 74u);
  ExpectPropertyLines(lines);
  EXPECT_EQ(lines[0], "301\tCompressed\tBOOL\ttrue");
  EXPECT_EQ(lines[5], "306\tSlide width in pixels\tI4\t1536");
  EXPECT_EQ(lines[7], "308\tPixel width in micrometers\tR8\t0.25");
  EXPECT_EQ(lines[10], "311\tScanning time in string\tERROR\t0x80070057");
  EXPECT_EQ(Fields(lines[30])[0], "375");
}

TEST(CliPropTest, ListedUnlistedHexAndFailingTags) {
  ASSERT_FALSE(SampleSlide().empty());
  const std::string slide = SampleSlide().string();
  const RunResult width = RunZorvel({"prop", slide, "306"});
  EXPECT_EQ(width.code, 0);
  EXPECT_EQ(width.out, "306\tSlide width in pixels\tI4\t1536\n");
  EXPECT_EQ(RunZorvel({"prop", slide, "0x132"}).out, width.out);

  const RunResult levels = RunZorvel({"prop", slide, "414"});
  EXPECT_EQ(levels.code, 0);
  EXPECT_EQ(levels.out, "414\t\tARRAY\t0,1,2,3\n");
  EXPECT_EQ(RunZorvel({"prop", slide, "397"}).out, "397\t\tI4\t" + std::to_string(256 * 65536 + 256) + "\n");

  const RunResult failing = RunZorvel({"prop", slide, "311"});
  EXPECT_EQ(failing.code, 1);
  EXPECT_EQ(failing.out, "311\tScanning time in string\tERROR\t0x80070057\n");
  EXPECT_NE(failing.err.find("GetSlideProperties failed with 0x80070057"), std::string::npos) << failing.err;
}

// Runs zorvel tile; skips when the module does not serve raw tiles yet.
RunResult RunTile(const std::string& level, const std::string& x, const std::string& y,
                  const std::filesystem::path& output, bool decode) {
  std::vector<std::string> arguments = {"tile", SampleSlide().string(), "--level", level, "--x", x, "--y", y,
                                        "-o", output.string()};
  if (decode) arguments.push_back("--decode");
  return RunZorvel(arguments);
}

std::filesystem::path Reference(const std::string& level, const std::string& x, const std::string& y,
                                const std::string& kind) {
  const std::filesystem::path stem = ScratchDir() / ("ref-" + level + "-" + x + "-" + y);
  const std::string command = std::string(ZORVEL_PYTHON) + " " ZORVEL_SOURCE_DIR "/tests/cli/tile_reference.py " +
                              Quote(SampleSlide().string()) + " " + level + " " + x + " " + y + " " +
                              Quote(stem.string() + ".enc") + " " + Quote(stem.string() + ".bgr");
  EXPECT_EQ(std::system(command.c_str()), 0);
  return stem.string() + kind;
}

TEST(CliTileTest, RawTileIsTheStoredFrame) {
  ASSERT_FALSE(SampleSlide().empty());
  const std::filesystem::path output = ScratchDir() / "raw.jpg";
  const RunResult result = RunTile("1", "2", "1", output, false);
  ASSERT_EQ(result.code, 0) << result.err;
  EXPECT_EQ(ReadFile(output), ReadFile(Reference("1", "2", "1", ".enc")));
}

TEST(CliTileTest, DecodedTileIsAPngOfTheFramesPixels) {
  ASSERT_FALSE(SampleSlide().empty());
  const std::filesystem::path output = ScratchDir() / "tile.png";
  const RunResult result = RunTile("0", "3", "2", output, true);
  ASSERT_EQ(result.code, 0) << result.err;

  const PngPixels png = ReadPng(output);
  EXPECT_EQ(png.width, 256u);
  EXPECT_EQ(png.height, 256u);
  EXPECT_EQ(FarSamples(png.bytes, ReadFile(Reference("0", "3", "2", ".bgr"))), 0u)
      << "samples differing by more than 3 from the reference decoder";
}

TEST(CliRealFilesTest, PropsAndInfoOfEveryRealSlide) {
  const std::filesystem::path root = ZORVEL_TESTDATA_DIR "/highdicom";
  if (!std::filesystem::is_directory(root)) GTEST_SKIP() << "no real DICOM files at " << root;
  for (const auto& entry : std::filesystem::directory_iterator(root)) {
    if (!entry.is_directory()) continue;
    SCOPED_TRACE(entry.path().string());
    const RunResult props = RunZorvel({"props", entry.path().string()});
    ASSERT_EQ(props.code, 0) << props.err;
    const std::vector<std::string> lines = Lines(props.out);
    EXPECT_EQ(lines.size(), 74u);
    ExpectPropertyLines(lines);
    const RunResult info = RunZorvel({"info", entry.path().string()});
    EXPECT_EQ(info.code, 0) << info.err;
    EXPECT_NE(info.out.find("Slide size:"), std::string::npos);
  }
}

}  // namespace
}  // namespace cli_test
