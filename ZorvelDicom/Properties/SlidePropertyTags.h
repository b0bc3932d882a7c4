// Named numbers of the slide property tags (GetSlideProperties) that the slide-access object
// computes; the tags answered by one proprietary-metadata getter are rows of MetadataPropertyTable.
#pragma once

#include "windows.h"

namespace SlideTag {

enum : LONG {
  kCompressed = 301,
  kCompressionMode = 302,
  kCompressionType = 303,
  kCompressionFactor = 304,
  kWidthInPixels = 306,
  kHeightInPixels = 307,
  kPixelWidth = 308,
  kPixelHeight = 309,
  kScanningDate = 312,
  kChannelCount = 313,
  kBrightness = 317,
  kContrast = 318,
  kGamma = 319,
  kSlideType = 320,
  kObjectiveMagnification = 321,
  kScanningTime = 323,
  kRoiPosition = 325,
  kRoiSize = 326,
  kBitDepth = 327,
  kHasZStack = 328,
  kHasExtendedFocus = 329,
  kZStackCount = 330,
  kZStackFirstLevel = 331,
  kRotation = 336,
  kVerticalFlip = 337,
  kHorizontalFlip = 338,
  kBarcodeFlip = 339,
  kZStackEnabled = 340,
  kCurrentZStackLevel = 341,
  kRawImageList = 342,
  kSlideSize = 344,
  kColorBalanceRed = 345,
  kColorBalanceGreen = 346,
  kColorBalanceBlue = 347,
  kHasStoredBrightness = 348,
  kHasStoredContrast = 349,
  kHasStoredGamma = 350,
  kScannerHardwareVersion = 351,
  kScannerHardwareId = 352,
  kScannerSoftwareVersion = 353,
  kIsLossless = 354,
  kSlideId = 372,
  kScanningDateUtc = 373,
  kZStackZeroFocusLevel = 375,
  kLabelText = 378,
  kDoubleWide = 379,
  kLargeRawTiles = 396,
  kRawTileSize = 397,
  kRawZoomList = 414,
  kFirstFocusLevelOffset = 550,  // offsets of focus levels -100 to 100 around the zero focus level
  kZeroFocusLevelOffset = 650,
  kLastFocusLevelOffset = 750,
  kSlideIdAgain = 1007,
  kStudyUid = 1008,
  kSlideTypeAgain = 40000,
  kHistogramParameters = 40014,
  kDoubleWideAgain = 51300,
};

}  // namespace SlideTag
