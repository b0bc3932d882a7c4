// Owners of the VARIANTs and SAFEARRAYs the module hands to hosts: CSeSafeVariant (one VARIANT),
// CSeSafeArrayBase (array life cycle, access counting, linking a foreign array), CSeSafeVector
// (1-D, lower bound 0) and CSeConfigParamArray (2 x N VARIANT table of names and values).
// One thread at a time per holder; failures are logged with the source "SeComHelper" and returned.
#pragma once

#include <string>

#include "oleauto.h"

class CSeSafeVariant {
 public:
  CSeSafeVariant();
  virtual HRESULT VariantIsValid(const VARIANT& value) = 0;
  virtual HRESULT CheckVarType(VARTYPE elementType) = 0;
  virtual ~CSeSafeVariant();
  virtual HRESULT Clear();
  CSeSafeVariant(const CSeSafeVariant&) = delete;
  CSeSafeVariant& operator=(const CSeSafeVariant&) = delete;

  // Hands the VARIANT over (the holder becomes empty); null out just clears. Fails with
  // 0x80070001 for a linked holder, which stays unchanged.
  HRESULT Detach(VARIANT* out);
  HRESULT CheckVariant();
  // A copy of the held VARIANT that does not own anything.
  VARIANT GetRawVariant() const { return m_variant; }
  VARTYPE GetElementType() const { return static_cast<VARTYPE>(m_variant.vt & ~VT_ARRAY); }
  bool HasArray() const { return m_variant.vt != VT_EMPTY && m_variant.vt != VT_NULL; }
  bool IsLinked() const { return m_linked; }
  LONG GetAccessCount() const { return m_accessCount; }

 protected:
  VARIANT m_variant;
  bool m_linked = false;    // the array belongs to somebody else
  LONG m_accessCount = 0;   // AccessData calls not yet balanced
};

class CSeSafeArrayBase : public CSeSafeVariant {
 public:
  ~CSeSafeArrayBase() override;
  HRESULT VariantIsValid(const VARIANT& value) override;
  HRESULT Clear() override;

  // Creates an array with the given element counts (lower bounds 0), replacing the content.
  HRESULT AllocNewArray(VARTYPE elementType, UINT dimensions, const ULONG* counts);
  HRESULT AccessData(void** data);
  HRESULT UnaccessData();
  // Holds a foreign array without owning it: Clear and destruction leave it alone.
  HRESULT LinkTo(SAFEARRAY* foreign);

 protected:
  HRESULT internalUpperBound(LONG& size);
  HRESULT internalSetArrayElement(LONG* indices, const VARIANT& value);
  HRESULT internalSetArrayElement(LONG* indices, INT value);
  HRESULT internalSetArrayElement(LONG* indices, LPCWSTR text);
  HRESULT internalSetArrayElement(LONG* indices, const std::u16string& text);
};

class CSeSafeVector : public CSeSafeArrayBase {
 public:
  ~CSeSafeVector() override = default;
  HRESULT VariantIsValid(const VARIANT& value) override;
  HRESULT CheckVarType(VARTYPE elementType) override;

  HRESULT AllocNew(VARTYPE elementType, ULONG count);
  HRESULT GetVectorSize(LONG& count);
  HRESULT SetVectorElement(LONG index, INT value);
  HRESULT SetVectorElement(LONG index, LPCWSTR text);
  HRESULT SetVectorElement(LONG index, const VARIANT& value);
};

class CSeConfigParamArray : public CSeSafeArrayBase {
 public:
  ~CSeConfigParamArray() override = default;
  HRESULT VariantIsValid(const VARIANT& value) override;
  HRESULT CheckVarType(VARTYPE elementType) override;

  HRESULT AllocNew(ULONG count);
  // Entry `index`: the name at [0, index], the value at [1, index].
  HRESULT SetVectorElement(LONG index, LPCWSTR name, const VARIANT& value);
  HRESULT SetVectorElement(LONG index, LPCWSTR name, INT value);
  HRESULT SetVectorElement(LONG index, LPCWSTR name, LPCWSTR value);
  HRESULT SetVectorElement(LONG index, LPCWSTR name, bool value);
};

// A GUID together with its registry text ("{XXXXXXXX-XXXX-...}").
class CSeGuidString {
 public:
  CSeGuidString() = default;
  ~CSeGuidString();
  CSeGuidString(const CSeGuidString&) = delete;
  CSeGuidString& operator=(const CSeGuidString&) = delete;

  HRESULT CreateNewGUID();
  HRESULT InitGuid(const GUID& guid);
  BSTR GetText() const { return m_text; }  // owned by the object; null before the first success
  const GUID& GetGuid() const { return m_guid; }

 private:
  HRESULT Replace(const GUID& guid, LPOLESTR text);

  BSTR m_text = nullptr;
  GUID m_guid{};
};
