// ZORVELDICOMLib itself: identity, the two creatable classes and the order in which the
// library lists its classes, interfaces and enumerations.

#include "TypeLibraryDecls.h"

namespace ZorvelTypeLib {

using namespace zplatform::automation;

static const CoclassDecl kKLVZorvelDICOM = {
    .name = u"KLVZorvelDICOM",
    .clsid = CLSID_KLVZorvelDICOM,
    .help = u"KLVZorvelDICOM Class",
    .interfaces = {{&kIKLVZorvel, IMPLTYPEFLAG_FDEFAULT}, {&kIKLVZorvel2, 0}, {&kIKLVZorvel3, 0}}};

static const CoclassDecl kWSIAnnotations = {.name = u"WSIAnnotations",
                                            .clsid = CLSID_WSIAnnotations,
                                            .help = u"WSIAnnotations Class",
                                            .interfaces = {{&kISeSlideFlagProvider, IMPLTYPEFLAG_FDEFAULT},
                                                           {&kISeSlideDataProvider, 0},
                                                           {&kISeSlideDataRec, 0},
                                                           {&kISeSlideFlagDataRec, 0},
                                                           {&kIKLVBinAnnotProviderSlideBase, 0},
                                                           {&kIKLVBinAnnotCollectionBase, 0},
                                                           {&kIKLVBinAnnotDataBase, 0},
                                                           {&kIKLVBinAnnotDataBaseEx, 0},
                                                           {&kIKLVBinAnnotProviderBase, 0},
                                                           {&kIKLVBinAnnotProviderBaseEx, 0},
                                                           {&kIKLVBinAnnotShapeBase, 0},
                                                           {&kIKLVBinAnnotGetterTMAMarker1, 0},
                                                           {&kIKLVBinAnnotGetterShapePoint1, 0},
                                                           {&kIKLVBinAnnotSchemeProviderBase, 0},
                                                           {&kIKLVBinAnnotDataSchemeBase, 0},
                                                           {&kIKLVBinAnnotFilterProviderBase, 0},
                                                           {&kIKLVBinAnnotFilterBase, 0}}};

const LibraryDecl kZORVELDICOMLib = {.name = u"ZORVELDICOMLib",
                                     .libid = LIBID_ZORVELDICOMLib,
                                     .majorVersion = 1,
                                     .minorVersion = 0,
                                     .lcid = 1033,
                                     .help = u"ZorvelDICOM 1.0 Type Library",
                                     .types = {
                                         &kKLVZorvelDICOM,
                                         &kIKLVZorvel,
                                         &kIKLVBitmapImage,
                                         &kIKLVZorvel2,
                                         &kE_KLVImageType,
                                         &kIKLVMemoryBuffer,
                                         &kIKLVZorvel3,
                                         &kWSIAnnotations,
                                         &kISeSlideFlagProvider,
                                         &kISeSlideDataProvider,
                                         &kISeSlideInOut,
                                         &kCSeSlideOpenMode,
                                         &kISeSlideInOutMessages,
                                         &kCSeSlideLayerType,
                                         &kCSeSlideDataAccessMode,
                                         &kISeSlideDataRec,
                                         &kISeSlideDataAccessibilityRec,
                                         &kISeSlideFlagDataRec,
                                         &kIKLVBinAnnotProviderSlideBase,
                                         &kIKLVBinAnnotCollectionBase,
                                         &kIKLVBinAnnotDataBase,
                                         &kIKLVBinAnnotShapeBase,
                                         &kIKLVBinAnnotShapeSetterBase,
                                         &kIKLVBinAnnotDataSchemeBase,
                                         &kIKLVBinAnnotDataSetterBase,
                                         &kIKLVBinAnnotFilterBase,
                                         &kIKLVBinAnnotProgressCallback,
                                         &kIKLVBinAnnotDataBaseEx,
                                         &kIKLVBinAnnotProviderBase,
                                         &kIKLVBinAnnotSchemeProviderBase,
                                         &kIKLVBinAnnotFilterProviderBase,
                                         &kIKLVBinAnnotProviderBaseEx,
                                         &kIKLVBinAnnotGetterTMAMarker1,
                                         &kIKLVBinAnnotGetterShapePoint1,
                                     }};

}  // namespace ZorvelTypeLib
