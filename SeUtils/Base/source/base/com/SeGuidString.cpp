// CSeGuidString: a GUID and its registry text, replaced together only when both are known.
#include "base/SeComHelper.h"
#include "base/SeErrorHandler.h"
#include "objbase.h"

namespace {
constexpr LPCWSTR kSource = u"SeComHelper";
}

CSeGuidString::~CSeGuidString() { SysFreeString(m_text); }

HRESULT CSeGuidString::CreateNewGUID() {
  constexpr LPCWSTR kFunction = u"CSeGuidString::CreateNewGUID";
  GUID guid{};
  if (const HRESULT hr = CoCreateGuid(&guid); FAILED(hr)) return SeReportError(kSource, 2433, hr, kFunction);
  LPOLESTR text = nullptr;
  if (const HRESULT hr = StringFromCLSID(guid, &text); FAILED(hr)) return SeReportError(kSource, 2436, hr, kFunction);
  return Replace(guid, text);
}

HRESULT CSeGuidString::InitGuid(const GUID& guid) {
  LPOLESTR text = nullptr;
  if (const HRESULT hr = StringFromCLSID(guid, &text); FAILED(hr)) {
    return SeReportError(kSource, 2421, hr, u"CSeGuidString::InitGuid");
  }
  return Replace(guid, text);
}

// Takes the task-memory text from StringFromCLSID.
HRESULT CSeGuidString::Replace(const GUID& guid, LPOLESTR text) {
  BSTR copy = SysAllocString(text);
  CoTaskMemFree(text);
  if (copy == nullptr) return E_OUTOFMEMORY;
  SysFreeString(m_text);
  m_text = copy;
  m_guid = guid;
  return S_OK;
}
