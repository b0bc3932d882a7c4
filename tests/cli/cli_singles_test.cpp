// zorvel image, channels and annotations on generated slides: single images against Pillow's
// decoding of the stored frame, the label text, channel lines of a fluorescence slide, annotation
// lines and JSON, and a missing label failing with the call that says so.
#include <gtest/gtest.h>

#include "cli_runner.h"
#include "png_reading.h"

namespace cli_test {
namespace {

std::string Labelled() {
  return MakeSlide("labelled", "--width 600 --height 400 --syntax jpeg --channels 4 --label --label-text 'Case 9' "
                               "--overview --annotations 2d").string();
}

std::string Unlabelled() { return MakeSlide("unlabelled", "--width 512 --height 512").string(); }

TEST(ImageTest, SingleImagesAreTheStoredPictures) {
  const std::string slide = Labelled();
  ASSERT_FALSE(slide.empty());
  struct Kind {
    const char* name;
    const char* type;
  };
  for (const Kind kind : {Kind{"label", "LABEL"}, Kind{"overview", "OVERVIEW"}}) {
    const std::filesystem::path png = ScratchDir() / (std::string(kind.name) + ".png");
    const RunResult result = RunZorvel({"image", slide, kind.name, "-o", png.string()});
    ASSERT_EQ(result.code, 0) << result.err;
    const std::filesystem::path reference = ScratchDir() / "single.raw";
    const std::string command = std::string(ZORVEL_PYTHON) + " " ZORVEL_SOURCE_DIR "/tests/cli/single_image_reference.py " +
                                Quote(slide) + " " + kind.type + " " + Quote(reference.string());
    ASSERT_EQ(std::system(command.c_str()), 0);
    EXPECT_EQ(FarSamples(ReadPng(png).bytes, ReadFile(reference)), 0u) << kind.name;
    EXPECT_EQ(result.out.find("Label text: Case 9\n") != std::string::npos, kind.name == std::string("label")) << result.out;
  }
}

TEST(ImageTest, MissingImagesFailNamingTheCall) {
  const std::string slide = Unlabelled();
  ASSERT_FALSE(slide.empty());
  struct Missing {
    const char* kind;
    const char* message;
  };
  for (const Missing missing : {Missing{"label", "GetSingleImage(100) failed with 0x8103010D"},
                                Missing{"preview", "GetSingleImage(102) failed with 0x8103010D"},
                                Missing{"overview", "GetSingleImage(103) failed with 0x8103004F"}}) {
    const RunResult result = RunZorvel({"image", slide, missing.kind, "-o", (ScratchDir() / "none.png").string()});
    EXPECT_EQ(result.code, 1) << missing.kind;
    EXPECT_TRUE(result.out.empty()) << result.out;
    EXPECT_NE(result.err.find(missing.message), std::string::npos) << result.err;
  }
}

TEST(ChannelsTest, OneLinePerChannel) {
  const RunResult fluorescence = RunZorvel({"channels", Labelled()});
  ASSERT_EQ(fluorescence.code, 0) << fluorescence.err;
  EXPECT_EQ(fluorescence.out,
            "0\tDAPI\t358\t461\t0xFF0000\n1\tFITC\t495\t519\t0x00FF00\n2\tCy3\t550\t570\t0x00A0FF\n3\tCy5\t650\t670\t0x0000FF\n");
  const RunResult brightfield = RunZorvel({"channels", Unlabelled()});
  ASSERT_EQ(brightfield.code, 0) << brightfield.err;
  EXPECT_EQ(brightfield.out, "0\tBlue\t-\t-\t-\n1\tGreen\t-\t-\t-\n2\tRed\t-\t-\t-\n");
}

TEST(AnnotationsTest, LinesAndJsonListTheSameRecords) {
  const std::string slide = Labelled();
  const RunResult lines = RunZorvel({"annotations", slide});
  ASSERT_EQ(lines.code, 0) << lines.err;
  const std::vector<std::string> all = Lines(lines.out);
  ASSERT_EQ(all.size(), 15u);
  EXPECT_EQ(all.back(), "11 flag records, 3 TMA markers");
  EXPECT_EQ(Fields(all[0]).at(2), "SlideFlag");
  EXPECT_EQ(Fields(all[9]).at(2), "PolygonBookmark");
  EXPECT_NE(all[9].find("PolygonPointCount=61"), std::string::npos) << all[9];
  EXPECT_EQ(all[11].rfind("tma\t0\tTMA A1\t", 0), 0u) << all[11];

  const RunResult json = RunZorvel({"annotations", slide, "--json"});
  ASSERT_EQ(json.code, 0) << json.err;
  const std::filesystem::path file = ScratchDir() / "annotations.json";
  std::ofstream(file) << json.out;
  const std::string check = std::string(ZORVEL_PYTHON) +
                            " -c \"import json,sys; d=json.load(open(sys.argv[1])); "
                            "assert len(d['flags']) == 11 and len(d['tma_markers']) == 3; "
                            "e = d['flags'][9]['attributes']; assert e['PolygonPointCount'] == 61 and 'PolygonPointY60' in e; "
                            "assert d['tma_markers'][1]['name'] == 'TMA A2'\" " +
                            Quote(file.string());
  EXPECT_EQ(std::system(check.c_str()), 0) << json.out.substr(0, 400);
}

}  // namespace
}  // namespace cli_test
