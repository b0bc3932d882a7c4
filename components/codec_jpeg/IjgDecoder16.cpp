// The IJG decoder body over GDCM's 16-bit libjpeg build.
#include <csetjmp>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "JpegIjgDecoders.h"

extern "C" {
#include "gdcmjpeg/16/jpeglib.h"
#include "gdcmjpeg/16/jerror.h"
}

#define IJG_DECODE_FUNCTION DecodeWithIjg16
#include "IjgDecoder.inc"
