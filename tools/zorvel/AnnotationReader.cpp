// Reading flag records and TMA markers through the annotation interfaces.
#include "AnnotationReader.h"

#include <oleauto.h>

#include <zplatform/com_ptr.h>
#include <zplatform/text.h>

#include "VariantText.h"

namespace zorvel_cli {
namespace {

constexpr LONG kAnnotationsKey = 1009;

std::string Narrow(BSTR text) {
  std::string out = text ? zplatform::Utf16ToUtf8(std::u16string_view(text, SysStringLen(text))) : std::string();
  SysFreeString(text);
  return out;
}

// Entry i of the 2 x N attribute array: name at (0, i), value at (1, i).
CallResult ReadAttributes(ISeSlideFlagDataRec* record, FlagRecord& flag) {
  VARIANT array;
  VariantInit(&array);
  BSTR kind = nullptr;
  const HRESULT hr = record->GetAttributes(&array, &kind);
  if (FAILED(hr)) return {hr, "ISeSlideFlagDataRec::GetAttributes"};
  flag.kind = Narrow(kind);
  LONG upper = -1;
  if (array.vt == (VT_ARRAY | VT_VARIANT) && array.parray != nullptr) SafeArrayGetUBound(array.parray, 2, &upper);
  for (LONG i = 0; i <= upper; ++i) {
    VARIANT name, value;
    VariantInit(&name);
    VariantInit(&value);
    LONG nameAt[2] = {0, i}, valueAt[2] = {1, i};
    SafeArrayGetElement(array.parray, nameAt, &name);
    SafeArrayGetElement(array.parray, valueAt, &value);
    if (name.vt == VT_BSTR) {
      flag.attributes.push_back({Narrow(name.bstrVal), value.vt == VT_BSTR ? Narrow(value.bstrVal) : FormatVariant(value).value,
                                 value.vt == VT_I4});
      name.vt = VT_EMPTY;
      if (value.vt == VT_BSTR) value.vt = VT_EMPTY;
    }
    VariantClear(&name);
    VariantClear(&value);
  }
  VariantClear(&array);
  return {};
}

CallResult ReadFlags(ISeSlideFlagProvider* provider, SlideAnnotations& annotations) {
  HRESULT hr = provider->ConnectToSlide(nullptr, nullptr);
  if (FAILED(hr)) return {hr, "ISeSlideFlagProvider::ConnectToSlide"};
  LONG count = 0;
  if (FAILED(hr = provider->get_DataCount(&count))) return {hr, "ISeSlideFlagProvider::get_DataCount"};
  for (LONG i = 0; i < count; ++i) {
    ComPtr<IUnknown> data;
    ComPtr<ISeSlideFlagDataRec> record;
    if (FAILED(hr = provider->get_Data(i, data.Out())) || !data) return {FAILED(hr) ? hr : E_POINTER, "ISeSlideFlagProvider::get_Data"};
    if (FAILED(hr = data->QueryInterface(IID_ISeSlideFlagDataRec, record.OutVoid()))) {
      return {hr, "QueryInterface(ISeSlideFlagDataRec)"};
    }
    FlagRecord flag;
    BSTR id = nullptr;
    if (SUCCEEDED(record->get_ObjectGUID(&id))) flag.id = Narrow(id);
    if (FAILED(hr = record->GetBoundRect(&flag.left, &flag.top, &flag.right, &flag.bottom))) {
      return {hr, "ISeSlideFlagDataRec::GetBoundRect"};
    }
    if (const CallResult read = ReadAttributes(record.Get(), flag); FAILED(read.hr)) return read;
    annotations.flags.push_back(std::move(flag));
  }
  provider->DisconnectFromSlide(VARIANT_FALSE);
  return {};
}

template <class T>
CallResult As(IUnknown* object, REFIID iid, const char* name, ComPtr<T>& result) {
  const HRESULT hr = object->QueryInterface(iid, result.OutVoid());
  return FAILED(hr) ? CallResult{hr, std::string("QueryInterface(") + name + ")"} : CallResult{};
}

CallResult ReadMarker(IKLVBinAnnotGetterTMAMarker1* getter, IKLVBinAnnotGetterShapePoint1* point, TmaMarker& marker) {
  BSTR name = nullptr, comment = nullptr;
  HRESULT hr = getter->get_Name(&name);
  marker.name = Narrow(name);
  if (SUCCEEDED(hr)) hr = getter->get_Comment(&comment);
  marker.comment = Narrow(comment);
  if (SUCCEEDED(hr)) hr = getter->get_InnerDiameter(&marker.innerDiameter);
  if (SUCCEEDED(hr)) hr = getter->get_OuterDiameter(&marker.outerDiameter);
  if (SUCCEEDED(hr)) hr = getter->get_LineColor(&marker.lineColor);
  if (FAILED(hr)) return {hr, "IKLVBinAnnotGetterTMAMarker1"};
  if (FAILED(hr = point->GetPoint(&marker.x, &marker.y))) return {hr, "IKLVBinAnnotGetterShapePoint1::GetPoint"};
  return {};
}

CallResult ReadMarkers(IUnknown* provider, SlideAnnotations& annotations) {
  ComPtr<IKLVBinAnnotProviderSlideBase> attach;
  ComPtr<IKLVBinAnnotCollectionBase> collection;
  ComPtr<IKLVBinAnnotGetterTMAMarker1> getter;
  ComPtr<IKLVBinAnnotGetterShapePoint1> point;
  CallResult result = As(provider, IID_IKLVBinAnnotProviderSlideBase, "IKLVBinAnnotProviderSlideBase", attach);
  if (SUCCEEDED(result.hr)) result = As(provider, IID_IKLVBinAnnotCollectionBase, "IKLVBinAnnotCollectionBase", collection);
  if (SUCCEEDED(result.hr)) result = As(provider, IID_IKLVBinAnnotGetterTMAMarker1, "IKLVBinAnnotGetterTMAMarker1", getter);
  if (SUCCEEDED(result.hr)) result = As(provider, IID_IKLVBinAnnotGetterShapePoint1, "IKLVBinAnnotGetterShapePoint1", point);
  if (FAILED(result.hr)) return result;
  HRESULT hr = attach->AttachToSlide(nullptr);
  if (FAILED(hr)) return {hr, "IKLVBinAnnotProviderSlideBase::AttachToSlide"};
  LONG count = 0;
  if (FAILED(hr = collection->get_Count(&count))) return {hr, "IKLVBinAnnotCollectionBase::get_Count"};
  for (LONG i = 0; i < count; ++i) {
    ComPtr<IKLVBinAnnotDataBase> data;
    VARIANT_BOOL read = VARIANT_FALSE;
    if (FAILED(hr = collection->ReadNext(data.Out(), &read))) return {hr, "IKLVBinAnnotCollectionBase::ReadNext"};
    if (read != VARIANT_TRUE) break;
    TmaMarker marker;
    if (const CallResult one = ReadMarker(getter.Get(), point.Get(), marker); FAILED(one.hr)) return one;
    annotations.markers.push_back(std::move(marker));
  }
  return {};
}

}  // namespace

CallResult ReadAnnotations(IKLVZorvel* slide, SlideAnnotations& annotations) {
  VARIANT value;
  VariantInit(&value);
  const HRESULT hr = slide->get_Properties(kAnnotationsKey, &value);
  if (FAILED(hr)) return {hr, "get_Properties(1009)"};
  ComPtr<ISeSlideFlagProvider> provider;
  CallResult result;
  if (value.vt != VT_DISPATCH || value.pdispVal == nullptr) {
    result = {E_UNEXPECTED, "get_Properties(1009) (no annotations object)"};
  } else {
    result = As(value.pdispVal, IID_ISeSlideFlagProvider, "ISeSlideFlagProvider", provider);
  }
  VariantClear(&value);
  // Markers first: disconnecting after the flag records closes the object's annotation source.
  if (SUCCEEDED(result.hr)) result = ReadMarkers(provider.Get(), annotations);
  if (SUCCEEDED(result.hr)) result = ReadFlags(provider.Get(), annotations);
  return result;
}

}  // namespace zorvel_cli
