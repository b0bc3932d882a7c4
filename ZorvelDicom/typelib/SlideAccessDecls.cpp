// Declarations of the slide-access interfaces (IKLVZorvel, IKLVZorvel2, IKLVZorvel3), the host
// bitmap and memory-buffer interfaces they write into, and the raw-tile image types.

#include "TypeLibraryDecls.h"

namespace ZorvelTypeLib {

using namespace zplatform::automation;

const InterfaceDecl kIKLVZorvel = {
    .name = u"IKLVZorvel",
    .iid = IID_IKLVZorvel,
    .help = u"IKLVZorvel Interface",
    .members = {
        method(u"OpenSlide", 1, call<&IKLVZorvel::OpenSlide>, {in(u"SlideName", VT_BSTR)}, u"method OpenSlide"),
        method(u"GetSlidePropertyTags", 2, call<&IKLVZorvel::GetSlidePropertyTags>,
               {out(u"PropTagArray", VT_VARIANT), out(u"PropTagNameArray", VT_VARIANT),
                out(u"PropTagDescArray", VT_VARIANT)},
               u"method GetSlidePropertyTags"),
        method(u"GetSlideProperties", 3, call<&IKLVZorvel::GetSlideProperties>,
               {in(u"SldPropTag", VT_I4), inout(u"SlideProperty", VT_VARIANT)}, u"method GetSlideProperties"),
        method(u"GetChannelPropertyTags", 4, call<&IKLVZorvel::GetChannelPropertyTags>,
               {out(u"PropTagArray", VT_VARIANT), out(u"PropTagNameArray", VT_VARIANT),
                out(u"PropTagDescArray", VT_VARIANT)},
               u"method GetChannelPropertyTags"),
        method(u"GetChannelProperties", 5, call<&IKLVZorvel::GetChannelProperties>,
               {in(u"ChannelPropTag", VT_I4), in(u"Channel", VT_I4), inout(u"ChannelProperty", VT_VARIANT)},
               u"method GetChannelProperties"),
        method(u"GetScanMap", 6, call<&IKLVZorvel::GetScanMap>,
               {in(u"Magnification", VT_I4), inoutObject(u"pPicture", &IID_IKLVBitmapImage)}, u"method GetScanMap"),
        method(u"GetSingleImageTypes", 7, call<&IKLVZorvel::GetSingleImageTypes>,
               {out(u"SingTypeArray", VT_VARIANT), out(u"SingTypeNameArray", VT_VARIANT),
                out(u"SingTypeDescArray", VT_VARIANT)},
               u"method GetSingleImageTypes"),
        method(u"GetSingleImagePropertyTags", 8, call<&IKLVZorvel::GetSingleImagePropertyTags>,
               {in(u"ImageType", VT_I4), out(u"PropTagArray", VT_VARIANT), out(u"PropTagNameArray", VT_VARIANT),
                inout(u"PropTagDescArray", VT_VARIANT)},
               u"method GetSingleImagePropertyTags"),
        method(u"GetSingleImageProperties", 9, call<&IKLVZorvel::GetSingleImageProperties>,
               {in(u"ImageType", VT_I4), in(u"SingImagePropTag", VT_I4), inout(u"SingImageProperty", VT_VARIANT)},
               u"method GetSingleImageProperties"),
        method(u"GetSingleImage", 10, call<&IKLVZorvel::GetSingleImage>,
               {in(u"ImageType", VT_I4), retval(u"pPicture", VT_DISPATCH, &IID_IKLVBitmapImage)},
               u"method GetSingleImage"),
        method(u"GetImage", 11, call<&IKLVZorvel::GetImage>,
               {in(u"x1", VT_I4), in(u"y1", VT_I4), in(u"x2", VT_I4), in(u"y2", VT_I4), in(u"Magnification", VT_I4),
                in(u"RedChn", VT_I4), in(u"GreenChn", VT_I4), in(u"BlueChn", VT_I4),
                inoutObject(u"pPicture", &IID_IKLVBitmapImage)},
               u"method GetImage"),
        propget(u"Properties", 12, call<&IKLVZorvel::get_Properties>,
                {in(u"PropTag", VT_I4), retval(u"pVal", VT_VARIANT)}, u"property Properties"),
        propput(u"Properties", 12, call<&IKLVZorvel::put_Properties>, {in(u"PropTag", VT_I4), in(u"value", VT_VARIANT)},
                u"property Properties"),
    }};

const InterfaceDecl kIKLVBitmapImage = {
    .name = u"IKLVBitmapImage",
    .iid = IID_IKLVBitmapImage,
    .help = u"IKLVBitmapImage Interface - It does not work through COM proxy!!!",
    .members = {
        method(u"Create", 1, call<&IKLVBitmapImage::Create>,
               {in(u"Width", VT_I4), in(u"Height", VT_I4), in(u"Stride", VT_I4), in(u"PixelFormat", VT_I4)},
               u"method Create"),
        method(u"LockBits", 2, call<&IKLVBitmapImage::LockBits>, {retval(u"lockedBitmapData", VT_PTR)},
               u"method LockBits - It does not work through COM proxy!!!"),
        method(u"UnlockBits", 3, call<&IKLVBitmapImage::UnlockBits>, {retval(u"lockedBitmapData", VT_I1)},
               u"method UnlockBits - Wrong signature! It should be '[in, out]'. It does not work through COM proxy!!!"),
        method(u"LockBitsVB", 4, call<&IKLVBitmapImage::LockBitsVB>, {retval(u"lockedVariantData", VT_VARIANT)},
               u"method LockBitsVB"),
        method(
            u"UnlockBitsVB", 5, call<&IKLVBitmapImage::UnlockBitsVB>, {retval(u"lockedVariantData", VT_VARIANT)},
            u"method UnlockBitsVB - Wrong signature! It should be '[in, out]'. It does not work through COM proxy!!!"),
        propget(u"Width", 6, call<&IKLVBitmapImage::get_Width>, {retval(u"pVal", VT_I4)}, u"property Width"),
        propget(u"Height", 7, call<&IKLVBitmapImage::get_Height>, {retval(u"pVal", VT_I4)}, u"property Height"),
        propget(u"Stride", 8, call<&IKLVBitmapImage::get_Stride>, {retval(u"pVal", VT_I4)}, u"property Stride"),
        propget(u"PixelFormat", 9, call<&IKLVBitmapImage::get_PixelFormat>, {retval(u"pVal", VT_I4)},
                u"property PixelFormat"),
        propget(u"Picture", 10, call<&IKLVBitmapImage::get_Picture>, {retval(u"pVal", VT_UNKNOWN, &IID_IPicture)},
                u"property Picture"),
    }};

const InterfaceDecl kIKLVZorvel2 = {
    .name = u"IKLVZorvel2",
    .iid = IID_IKLVZorvel2,
    .help = u"IKLVZorvel2 Interface",
    .base = &kIKLVZorvel,
    .members = {
        method(u"GetImageRaw", 15, call<&IKLVZorvel2::GetImageRaw>,
               {in(u"p_X", VT_I4), in(u"p_Y", VT_I4), in(u"p_ImgIdx", VT_I4), in(u"p_Focus", VT_I4),
                in(u"p_Zoom", VT_I4), out(u"pType", VT_I4), in(u"pData", VT_DISPATCH, &IID_IKLVMemoryBuffer)},
               u"method GetImageRaw"),
        method(u"GetImageMaskRaw", 16, call<&IKLVZorvel2::GetImageMaskRaw>,
               {in(u"p_X", VT_I4), in(u"p_Y", VT_I4), in(u"p_Focus", VT_I4), in(u"p_Zoom", VT_I4), out(u"pType", VT_I4),
                in(u"pData", VT_DISPATCH, &IID_IKLVMemoryBuffer)},
               u"method GetImageMaskRaw"),
    }};

const EnumDecl kE_KLVImageType = {.name = u"E_KLVImageType",
                                  .help = {},
                                  .values = {{u"D_KLV_IT_JPG", 0},
                                             {u"D_KLV_IT_JPGRGB", 1},
                                             {u"D_KLV_IT_PNG", 2},
                                             {u"D_KLV_IT_BMP", 3},
                                             {u"D_KLV_IT_JPGXR", 4},
                                             {u"D_KLV_IT_JPG2000", 5},
                                             {u"D_KLV_IT_NumOF", 6}}};

const InterfaceDecl kIKLVMemoryBuffer = {
    .name = u"IKLVMemoryBuffer",
    .iid = IID_IKLVMemoryBuffer,
    .help = u"IKLVMemoryBuffer Interface",
    .members = {
        method(u"ReCreateWithAlloc", 1, call<&IKLVMemoryBuffer::ReCreateWithAlloc>, {in(u"Size", VT_I4)},
               u"method ReCreateWithAlloc"),
        method(u"ReCreateWithReAlloc", 2, call<&IKLVMemoryBuffer::ReCreateWithReAlloc>, {in(u"Size", VT_I4)},
               u"method ReCreateWithReAlloc"),
        method(u"Destroy", 3, call<&IKLVMemoryBuffer::Destroy>, {}, u"method Destroy"),
        method(u"GetSize", 4, call<&IKLVMemoryBuffer::GetSize>, {retval(u"pSize", VT_I4)}, u"method GetSize"),
        method(u"RemoteGetPtr", 8, call<&IKLVMemoryBuffer::RemoteGetPtr>,
               {out(u"pSize", VT_I4), retval(u"pData", VT_PTR)}, u"method RemoteGetPtr"),
        method(u"RemotePassPtr", 9, call<&IKLVMemoryBuffer::RemotePassPtr>,
               {inout(u"pSize", VT_I4), inout(u"pData", VT_PTR)}, u"method RemotePassPtr"),
        method(u"RemoteCancelPtr", 10, call<&IKLVMemoryBuffer::RemoteCancelPtr>,
               {inout(u"pSize", VT_I4), inout(u"pData", VT_PTR)}, u"method RemoteCancelPtr"),
        method(u"GetRAWArray", 11, call<&IKLVMemoryBuffer::GetRAWArray>, {retval(u"Data", VT_ARRAY | VT_UI1)},
               u"method GetRAWArray"),
        method(u"SetRAWArray", 12, call<&IKLVMemoryBuffer::SetRAWArray>, {in(u"Data", VT_ARRAY | VT_UI1)},
               u"method SetRAWArray"),
    }};

const InterfaceDecl kIKLVZorvel3 = {
    .name = u"IKLVZorvel3",
    .iid = IID_IKLVZorvel3,
    .help = u"IKLVZorvel3 Interface",
    .base = &kIKLVZorvel2,
    .members = {
        method(u"GetImageRawBatch", 17, call<&IKLVZorvel3::GetImageRawBatch>,
               {in(u"Channel", VT_I4), in(u"ZStack", VT_I4), in(u"ZoomLevel", VT_I4), in(u"EncodedCount", VT_I4),
                in(u"EncodedXCoordinates", VT_BYREF | VT_I4), in(u"EncodedYCoordinates", VT_BYREF | VT_I4),
                in(u"EncodedImages", VT_BYREF | VT_DISPATCH, &IID_IKLVMemoryBuffer)},
               u"GetImageRawBatch"),
        method(u"GetImageMaskRawBatch", 18, call<&IKLVZorvel3::GetImageMaskRawBatch>,
               {in(u"Channel", VT_I4), in(u"ZStack", VT_I4), in(u"ZoomLevel", VT_I4), in(u"EncodedCount", VT_I4),
                in(u"EncodedXCoordinates", VT_BYREF | VT_I4), in(u"EncodedYCoordinates", VT_BYREF | VT_I4),
                in(u"EncodedImages", VT_BYREF | VT_DISPATCH, &IID_IKLVMemoryBuffer)},
               u"GetImageMaskRawBatch"),
        method(u"GetImageRawBatchSA", 19, call<&IKLVZorvel3::GetImageRawBatchSA>,
               {in(u"Channel", VT_I4), in(u"ZStack", VT_I4), in(u"ZoomLevel", VT_I4), in(u"EncodedCount", VT_I4),
                in(u"EncodedXCoordinates", VT_ARRAY | VT_I4), in(u"EncodedYCoordinates", VT_ARRAY | VT_I4),
                in(u"EncodedImages", VT_ARRAY | VT_DISPATCH)},
               u"GetImageRawBatchSA"),
        method(u"GetImageMaskRawBatchSA", 20, call<&IKLVZorvel3::GetImageMaskRawBatchSA>,
               {in(u"Channel", VT_I4), in(u"ZStack", VT_I4), in(u"ZoomLevel", VT_I4), in(u"EncodedCount", VT_I4),
                in(u"EncodedXCoordinates", VT_ARRAY | VT_I4), in(u"EncodedYCoordinates", VT_ARRAY | VT_I4),
                in(u"EncodedImages", VT_ARRAY | VT_DISPATCH)},
               u"GetImageMaskRawBatchSA"),
        method(u"GetScanMapRaw", 21, call<&IKLVZorvel3::GetScanMapRaw>,
               {in(u"p_Zoom", VT_I4), inoutObject(u"pPicture", &IID_IKLVBitmapImage)}, u"method GetScanMapRaw"),
    }};

}  // namespace ZorvelTypeLib
