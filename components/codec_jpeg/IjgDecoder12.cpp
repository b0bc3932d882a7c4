// The IJG decoder body over GDCM's 12-bit libjpeg build.
#include <csetjmp>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "JpegIjgDecoders.h"

extern "C" {
#include "gdcmjpeg/12/jpeglib.h"
#include "gdcmjpeg/12/jerror.h"
}

#define IJG_DECODE_FUNCTION DecodeWithIjg12
#include "IjgDecoder.inc"
