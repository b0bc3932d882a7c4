// The IJG decoder body over GDCM's 8-bit libjpeg build.
#include <csetjmp>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "JpegIjgDecoders.h"

extern "C" {
#include "gdcmjpeg/8/jpeglib.h"
#include "gdcmjpeg/8/jerror.h"
}

#define IJG_DECODE_FUNCTION DecodeWithIjg8
#include "IjgDecoder.inc"
