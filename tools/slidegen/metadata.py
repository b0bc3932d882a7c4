# The private metadata block: scanner values that no standard attribute carries, written as
# "Key=Value" lines into (0029,1010) UT under the private creator "ZORVEL WSI METADATA".
PRIVATE_GROUP = 0x0029
PRIVATE_CREATOR = "ZORVEL WSI METADATA"
PRIVATE_ELEMENT_OFFSET = 0x10  # (0029,1010) with the creator reserving block 0x10

SLIDE_DEFAULTS = {
    "CompressionFactor": "15",
    "PhysicalMagnify": "40",
    "ScannedFOVCount": "128",
    "AdapterSize": "1.0",
    "OptovarSize": "1.6",
    "CameraType": "CMOS 5MP",
    "ObjectiveName": "Plan-Apochromat 40x/0.95",
    "SlideOriginalSource": "microscopic",
    "FluorSlideMultispectralScanning": "False",
    "DiskPosition": "3",
    "FocusMap": "Surface",
    "FocusLimit": "True",
    "FocusLimitLO": "-120",
    "FocusLimitUP": "180",
    "FlatFieldCorrection": "Background",
    "CompensationAlg": "Linear",
    "ExtendedFocusAlg": "Wavelet",
    "SlideIsConfocal": "False",
    "IccProfileColorScheme": "1",
    "IccProfileWhitePoint": "6500",
    "IccProfileGamma": "22",
    "BarcodeAnonymized": "False",
    "SlideIsDoubleWide": "False",
    "CameraRealBitDepth": "12",
    "OriginalScanmapROIOffsetXPixels": "120",
    "OriginalScanmapROIOffsetYPixels": "80",
    "OriginalScanmapWidthPixels": "1024",
    "OriginalScanmapHeightPixels": "768",
    "OriginalCompressionType": "3",
    "OriginalCompressionFactor": "85",
    "Sqrt2Resized": "0",
    "Sharpened": "False",
    "GammaApplied": "1",
    "GammaValue": "2.2",
    "SlidePositionX": "25400",
    "SlidePositionY": "12700",
    "FluorSlideIndividuallyExpTime": "1",
    "FluorSlideScanningAlgorithm": "2",
    "FluorSlideFocusPlaneFindingStep": "4",
    "FluorSlideFocusmapCreatingStep": "8",
    "FluorSlideMaximumExposureTime": "2000",
    "FluorSlideFocusingType": "1",
    "FluorSlideDoNotScanEmptyFovs": "True",
    "SlideContent": "Tissue",
    "CameraImageDivisionsPerSide": "2",
    "TmaCoreFindingStat": "None",
    "ScannerCameraType": "Colour",
    "ObjectguideMaxHysteresisX": "5",
    "ObjectguideMaxHysteresisY": "7",
    "CameraRotation": "0.25",
    "WholeSlidePreviewRoiLeft": "10",
    "WholeSlidePreviewRoiTop": "20",
    "WholeSlidePreviewRoiRight": "310",
    "WholeSlidePreviewRoiBottom": "220",
    "WholeSlideBarcodeRoiLeft": "330",
    "WholeSlideBarcodeRoiTop": "20",
    "WholeSlideBarcodeRoiRight": "400",
    "WholeSlideBarcodeRoiBottom": "90",
}


def channel_defaults(index, name):
    """Per-channel record values, prefixed "Channel<i>."; they differ per channel."""
    values = {
        "Name": name,
        "ExposureTime": str(100 + 50 * index),
        "DigitalGain": str(index % 3),
        "ExtendedStepSize": "2",
        "ExtendedStepCount": "5",
        "ExcitationBandwidth": str(20 + index),
        "EmissionBandwidth": str(30 + index),
        "ZStackStepCount": "1",
        "FirstZStackLevel": "0",
        "ZDiff": f"{0.5 * index:.1f}",
        "ExposurePercentage": str(80 + index),
        "ExcitationPercentage": str(60 + index),
        "ConfocalGain": f"{1.5 + index:.1f}",
        "RatioOfFovsContainingSample": "0.75",
        "AverageOfFocusQualityWithinNonemptyFovs": "0.875",
        "AverageOfFocusQualityWithinWholeSlide": "0.625",
        "XDiff": f"{0.25 * index:.2f}",
        "YDiff": f"{-0.25 * index:.2f}",
        "FilterRealPosition": str(index + 1),
        "IsMasterFilter": "1" if index == 0 else "0",
        "StoringChannelNumber": str(index),
        "Active": "True",
        "Modify": "False",
        "Threshold": str(10 * (index + 1)),
    }
    return {f"Channel{index}.{key}": value for key, value in values.items()}


def build(channel_names, overrides):
    """The key/value set of the block: defaults, per-channel defaults, then the overrides."""
    values = dict(SLIDE_DEFAULTS)
    for index, name in enumerate(channel_names):
        values.update(channel_defaults(index, name))
    values.update(overrides)
    return values


def block_text(values):
    return "\n".join(f"{key}={value}" for key, value in values.items())


def apply(ds, values):
    block = ds.private_block(PRIVATE_GROUP, PRIVATE_CREATOR, create=True)
    block.add_new(PRIVATE_ELEMENT_OFFSET, "UT", block_text(values))
