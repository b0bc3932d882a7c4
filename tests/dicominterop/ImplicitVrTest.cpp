// Implicit VR Little Endian: a copy of a file rewritten without stated VRs (by pydicom) reads
// the same as the original: every value the library keeps, binary ones of every width included,
// and the same first frame.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>

#include "SlideTestSupport.h"
#include "annotations/AnnotationReader.h"
#include "dataset/DatasetReader.h"
#include "frames/InstanceFrames.h"

namespace {

namespace fs = std::filesystem;
using namespace dicominterop;

// The values of an instance the module can see, as one comparable text.
std::string Summary(const InstanceInfo& i) {
  std::ostringstream s;
  s << i.rows << ' ' << i.columns << ' ' << i.samplesPerPixel << ' ' << i.bitsAllocated << ' ' << i.bitsStored << ' '
    << i.photometric << " matrix " << i.totalColumns << 'x' << i.totalRows << " frames " << i.frameCount << ' '
    << i.focalPlaneCount << ' ' << i.tiledFull << " spacing " << i.rowSpacingMm << ' ' << i.columnSpacingMm << ' '
    << i.sliceSpacingMm << ' ' << i.originZ << " edf " << i.extendedDepthOfField << ' ' << i.edfFocalPlanes << ' '
    << i.edfPlaneDistance << " time " << i.acquisitionDateTime << ' ' << i.acquisitionDuration << ' ' << i.lossyRatio
    << " concatenation " << i.concatenationFrameOffset << " label " << i.labelText << '|' << i.barcode;
  for (const FramePosition& p : i.framePositions) s << " @" << p.column << ',' << p.row << ',' << p.z << ',' << p.pathIndex;
  for (const OpticalPath& p : i.opticalPaths) {
    s << " path " << p.identifier << ' ' << p.lightWavelength << ' ' << p.imageWavelength << ' ' << p.lightBandLow
      << ' ' << p.imageBandHigh << ' ' << p.objectiveLensPower << ' ' << p.lensName << ' ' << p.palette.entryCount
      << ' ' << p.palette.red.size();
  }
  s << " private " << i.privateBlock.size() << ' ' << (i.privateBlock.empty() ? "" : i.privateBlock.rbegin()->second);
  if (i.annotations) {
    for (size_t a = 0; a < i.annotations->kinds.size(); ++a) {
      s << " annotation " << i.annotations->kinds[a] << ' ' << i.annotations->colours[a] << ' '
        << i.annotations->points[a].size() << ' ' << i.annotations->measurements[a];
    }
  }
  return s.str();
}

slidetest::Bytes FirstFrame(const std::shared_ptr<InstanceInfo>& info) {
  const InstanceFrames frames(info);
  uint8_t* data = nullptr;
  uint64_t size = 0;
  if (frames.ReadFrame(0, &data, &size) != 0) return {};
  slidetest::Bytes bytes(data, data + size);
  std::free(data);
  return bytes;
}

struct Source {
  const char* name;
  const char* realFile;     // below the real test files, or null
  const char* generator;    // generator options, or null
  const char* generatedFile;
  const char* change = "";  // Python statement on the copy `d` before it is written
};

const Source kSources[] = {
    {"real_rgb", "rgb/sm_image.dcm", nullptr, nullptr},
    {"real_gray16", "gray16/sm_image_grayscale.dcm", nullptr, nullptr},
    {"real_annotations", "rgb/sm_annotations.dcm", nullptr, nullptr},
    // An unknown element whose value starts like an item but is none: kept as opaque bytes.
    {"unknown_value_like_an_item", "rgb/sm_image.dcm", nullptr, nullptr,
     "d.add_new(0x00091001,'OB',bytes([0xfe,0xff,0,0xe0,16,0,0,0,1,2,3,4]));"},
    {"extended_focus_fluorescence", nullptr,
     "--width 512 --height 512 --levels 0 --syntax explicit --extended-focus --focal-planes 3 --channels 2 "
     "--private-metadata --label",
     "level0_edf_p1-2.dcm"},
    {"sparse_planes", nullptr, "--width 768 --height 512 --levels 0 --syntax explicit --organization sparse --focal-planes 2",
     "level0_z0-1_p1.dcm"},
};

class ImplicitVr : public ::testing::TestWithParam<Source> {};

TEST_P(ImplicitVr, ReadsLikeTheExplicitOriginal) {
  const Source& source = GetParam();
  std::string original;
  if (source.realFile) {
    const fs::path real = fs::path(ZORVEL_TESTDATA_DIR) / "highdicom" / source.realFile;
    if (!fs::exists(real)) GTEST_SKIP() << "real test files absent: " << real;
    original = real.string();
  } else {
    const std::string dir = slidetest::GeneratedSlide(std::string("implicit_") + source.name, source.generator);
    ASSERT_FALSE(dir.empty()) << "generator failed";
    original = dir + "/" + source.generatedFile;
  }
  const std::string copy = slidetest::ScratchDir(std::string("implicit_") + source.name) + "/implicit.dcm";
  int status = 0;
  slidetest::Run(std::string(ZORVEL_PYTHON) +
                     " -c \"import sys,pydicom;from pydicom.uid import ImplicitVRLittleEndian as I;"
                     "d=pydicom.dcmread(sys.argv[1]);d.file_meta.TransferSyntaxUID=I;" +
                     source.change +
                     "d.is_implicit_VR=True;d.is_little_endian=True;d.save_as(sys.argv[2],write_like_original=False)\" '" +
                     original + "' '" + copy + "'",
                 &status);
  ASSERT_EQ(status, 0);

  auto explicitInfo = std::make_shared<InstanceInfo>(), implicitInfo = std::make_shared<InstanceInfo>();
  ASSERT_EQ(ReadInstance(original, *explicitInfo, ReadAnnotations), 0);
  ASSERT_EQ(ReadInstance(copy, *implicitInfo, ReadAnnotations), 0);
  EXPECT_EQ(implicitInfo->syntax, DicomInteropDefines::WSI_TS_IMPLICIT_VR_LITTLE_ENDIAN);
  EXPECT_EQ(Summary(*implicitInfo), Summary(*explicitInfo));
  if (!explicitInfo->annotations) {
    EXPECT_EQ(FirstFrame(implicitInfo), FirstFrame(explicitInfo));
  }
}

INSTANTIATE_TEST_SUITE_P(Files, ImplicitVr, ::testing::ValuesIn(kSources),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
