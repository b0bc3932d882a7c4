// libFuzzer target: one bulk annotations file through the dataset parse and the annotation
// reader (groups, coordinates, point indices, measurements, references).
#include "FuzzFile.h"
#include "annotations/AnnotationReader.h"
#include "dataset/DatasetReader.h"

using namespace dicominterop;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const FuzzFile file(data, size);
  if (!file.Ok()) return 0;
  InstanceInfo info;
  ReadInstance(file.Path(), info, ReadAnnotations);
  return 0;
}
