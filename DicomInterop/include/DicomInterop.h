// The slide library's whole contract: include this to read DICOM whole-slide images.
// Classes: CDirectorySource, CWSIZoomImage (CWSIImageBase), CCommonWSIMetadata, CWSIAnnotations.
#pragma once

#include "CommonWSIMetadata.h"
#include "DicomInteropBase.h"
#include "DicomInteropDefines.h"
#include "DirectorySource.h"
#include "WSIAnnotations.h"
#include "WSIImageBase.h"
#include "WSIZoomImage.h"
