// Builds the three parallel tag-directory arrays with the common library's safe vectors.
// Every array is complete before any out parameter is written.
#include "Properties/PropertyTagList.h"

#include <base/SeComHelper.h>

namespace {

HRESULT FillVectors(std::span<const PropertyTagRow> rows, CSeSafeVector& tags, CSeSafeVector& names,
                    CSeSafeVector& descriptions) {
  const auto count = static_cast<ULONG>(rows.size());
  HRESULT hr = tags.AllocNew(VT_I4, count);
  if (SUCCEEDED(hr)) hr = names.AllocNew(VT_BSTR, count);
  if (SUCCEEDED(hr)) hr = descriptions.AllocNew(VT_BSTR, count);
  for (LONG i = 0; SUCCEEDED(hr) && i < static_cast<LONG>(count); ++i) {
    hr = tags.SetVectorElement(i, static_cast<INT>(rows[i].tag));
    if (SUCCEEDED(hr)) hr = names.SetVectorElement(i, rows[i].name);
    if (SUCCEEDED(hr)) hr = descriptions.SetVectorElement(i, rows[i].description);
  }
  return hr;
}

HRESULT HandOut(CSeSafeVector& vector, VARIANT* out) {
  if (out == nullptr) return S_OK;
  return vector.Detach(out);
}

}  // namespace

HRESULT BuildPropertyTagList(std::span<const PropertyTagRow> rows, VARIANT* tags, VARIANT* names,
                             VARIANT* descriptions) {
  CSeSafeVector tagVector, nameVector, descriptionVector;
  HRESULT hr = FillVectors(rows, tagVector, nameVector, descriptionVector);
  if (SUCCEEDED(hr)) hr = HandOut(tagVector, tags);
  if (SUCCEEDED(hr)) hr = HandOut(nameVector, names);
  if (SUCCEEDED(hr)) hr = HandOut(descriptionVector, descriptions);
  return hr;
}
