// The individual declarations that make up ZORVELDICOMLib, shared between the files that
// define them; users of the library go through TypeLibrary.h.
#pragma once

#include <ZorvelDicom/ZorvelDicom.h>

#include "TypeLibrary.h"

namespace ZorvelTypeLib {

using zplatform::automation::CoclassDecl;
using zplatform::automation::EnumDecl;
using zplatform::automation::InterfaceDecl;

// An interface pointer that is [in, out] at one level of indirection: the callee receives the
// object itself (and fills it), so the passed type is the pointer, not a reference to it.
constexpr zplatform::automation::ParamDecl inoutObject(std::u16string_view name, const IID* iid) {
  return {name, VT_DISPATCH, PARAMFLAG_FIN | PARAMFLAG_FOUT, iid};
}

// Slide access and the host objects it writes into.
extern const InterfaceDecl kIKLVZorvel;
extern const InterfaceDecl kIKLVBitmapImage;
extern const InterfaceDecl kIKLVZorvel2;
extern const EnumDecl kE_KLVImageType;
extern const InterfaceDecl kIKLVMemoryBuffer;
extern const InterfaceDecl kIKLVZorvel3;

// Slide data records and the host's slide storage.
extern const InterfaceDecl kISeSlideFlagProvider;
extern const InterfaceDecl kISeSlideDataProvider;
extern const InterfaceDecl kISeSlideInOut;
extern const EnumDecl kCSeSlideOpenMode;
extern const InterfaceDecl kISeSlideInOutMessages;
extern const EnumDecl kCSeSlideLayerType;
extern const EnumDecl kCSeSlideDataAccessMode;
extern const InterfaceDecl kISeSlideDataRec;
extern const InterfaceDecl kISeSlideDataAccessibilityRec;
extern const InterfaceDecl kISeSlideFlagDataRec;

// Binary annotations.
extern const InterfaceDecl kIKLVBinAnnotProviderSlideBase;
extern const InterfaceDecl kIKLVBinAnnotCollectionBase;
extern const InterfaceDecl kIKLVBinAnnotDataBase;
extern const InterfaceDecl kIKLVBinAnnotShapeBase;
extern const InterfaceDecl kIKLVBinAnnotShapeSetterBase;
extern const InterfaceDecl kIKLVBinAnnotDataSchemeBase;
extern const InterfaceDecl kIKLVBinAnnotDataSetterBase;
extern const InterfaceDecl kIKLVBinAnnotFilterBase;
extern const InterfaceDecl kIKLVBinAnnotProgressCallback;
extern const InterfaceDecl kIKLVBinAnnotDataBaseEx;
extern const InterfaceDecl kIKLVBinAnnotProviderBase;
extern const InterfaceDecl kIKLVBinAnnotSchemeProviderBase;
extern const InterfaceDecl kIKLVBinAnnotFilterProviderBase;
extern const InterfaceDecl kIKLVBinAnnotProviderBaseEx;
extern const InterfaceDecl kIKLVBinAnnotGetterTMAMarker1;
extern const InterfaceDecl kIKLVBinAnnotGetterShapePoint1;

}  // namespace ZorvelTypeLib
