// OLE Automation services: BSTR, VARIANT and SAFEARRAY management, the per-type parsers and
// formatters (VarXxxFromYyy), VariantChangeType(Ex), DispInvoke and type-library loading.
// All are thread-safe on distinct objects; conversions never depend on the C locale.
#pragma once

#include "oaidl.h"
#include "winnls.h"

// ---- BSTR ----
STDAPI_(BSTR) SysAllocString(const OLECHAR* psz);
STDAPI_(BSTR) SysAllocStringLen(const OLECHAR* pch, UINT cch);
STDAPI_(BSTR) SysAllocStringByteLen(LPCSTR psz, UINT len);
STDAPI_(INT) SysReAllocString(BSTR* pbstr, const OLECHAR* psz);
STDAPI_(INT) SysReAllocStringLen(BSTR* pbstr, const OLECHAR* psz, UINT len);
STDAPI_(void) SysFreeString(BSTR bstrString);
STDAPI_(UINT) SysStringLen(BSTR pbstr);
STDAPI_(UINT) SysStringByteLen(BSTR bstr);

// ---- VARIANT ----
#define VARIANT_NOVALUEPROP 0x01
#define VARIANT_ALPHABOOL 0x02
#define VARIANT_NOUSEROVERRIDE 0x04
#define VARIANT_CALENDAR_HIJRI 0x08
#define VARIANT_LOCALBOOL 0x10

STDAPI_(void) VariantInit(VARIANTARG* pvarg);
STDAPI VariantClear(VARIANTARG* pvarg);
STDAPI VariantCopy(VARIANTARG* pvargDest, const VARIANTARG* pvargSrc);
STDAPI VariantCopyInd(VARIANT* pvarDest, const VARIANTARG* pvargSrc);
STDAPI VariantChangeType(VARIANTARG* pvargDest, const VARIANTARG* pvarSrc, USHORT wFlags, VARTYPE vt);
STDAPI VariantChangeTypeEx(VARIANTARG* pvargDest, const VARIANTARG* pvarSrc, LCID lcid, USHORT wFlags, VARTYPE vt);

// ---- SAFEARRAY ----
STDAPI_(SAFEARRAY*) SafeArrayCreate(VARTYPE vt, UINT cDims, SAFEARRAYBOUND* rgsabound);
STDAPI_(SAFEARRAY*) SafeArrayCreateVector(VARTYPE vt, LONG lLbound, ULONG cElements);
STDAPI SafeArrayAllocDescriptor(UINT cDims, SAFEARRAY** ppsaOut);
STDAPI SafeArrayAllocDescriptorEx(VARTYPE vt, UINT cDims, SAFEARRAY** ppsaOut);
STDAPI SafeArrayAllocData(SAFEARRAY* psa);
STDAPI SafeArrayDestroy(SAFEARRAY* psa);
STDAPI SafeArrayDestroyData(SAFEARRAY* psa);
STDAPI SafeArrayDestroyDescriptor(SAFEARRAY* psa);
STDAPI SafeArrayLock(SAFEARRAY* psa);
STDAPI SafeArrayUnlock(SAFEARRAY* psa);
STDAPI SafeArrayAccessData(SAFEARRAY* psa, void** ppvData);
STDAPI SafeArrayUnaccessData(SAFEARRAY* psa);
STDAPI SafeArrayPtrOfIndex(SAFEARRAY* psa, LONG* rgIndices, void** ppvData);
STDAPI SafeArrayPutElement(SAFEARRAY* psa, LONG* rgIndices, void* pv);
STDAPI SafeArrayGetElement(SAFEARRAY* psa, LONG* rgIndices, void* pv);
STDAPI_(UINT) SafeArrayGetDim(SAFEARRAY* psa);
STDAPI_(UINT) SafeArrayGetElemsize(SAFEARRAY* psa);
STDAPI SafeArrayGetLBound(SAFEARRAY* psa, UINT nDim, LONG* plLbound);
STDAPI SafeArrayGetUBound(SAFEARRAY* psa, UINT nDim, LONG* plUbound);
STDAPI SafeArrayGetVartype(SAFEARRAY* psa, VARTYPE* pvt);
STDAPI SafeArrayCopy(SAFEARRAY* psa, SAFEARRAY** ppsaOut);
STDAPI SafeArrayCopyData(SAFEARRAY* psaSource, SAFEARRAY* psaTarget);
STDAPI SafeArrayRedim(SAFEARRAY* psa, SAFEARRAYBOUND* psaboundNew);

// ---- Per-type conversions (dwFlags: LOCALE_NOUSEROVERRIDE and the VAR_* flags) ----
#define VAR_TIMEVALUEONLY 0x00000001u
#define VAR_DATEVALUEONLY 0x00000002u
#define VAR_VALIDDATE 0x00000004u
#define VAR_CALENDAR_HIJRI 0x00000008u
#define VAR_LOCALBOOL 0x00000010u
#define VAR_FORMAT_NOSUBSTITUTE 0x00000020u
#define VAR_FOURDIGITYEARS 0x00000040u
#define VAR_BOOLONOFF 0x00000100u
#define VAR_BOOLYESNO 0x00000200u

STDAPI VarI1FromStr(LPCOLESTR strIn, LCID lcid, ULONG dwFlags, CHAR* pcOut);
STDAPI VarI2FromStr(LPCOLESTR strIn, LCID lcid, ULONG dwFlags, SHORT* psOut);
STDAPI VarI4FromStr(LPCOLESTR strIn, LCID lcid, ULONG dwFlags, LONG* plOut);
STDAPI VarI8FromStr(LPCOLESTR strIn, LCID lcid, ULONG dwFlags, LONG64* pi64Out);
STDAPI VarUI1FromStr(LPCOLESTR strIn, LCID lcid, ULONG dwFlags, BYTE* pbOut);
STDAPI VarUI2FromStr(LPCOLESTR strIn, LCID lcid, ULONG dwFlags, USHORT* puiOut);
STDAPI VarUI4FromStr(LPCOLESTR strIn, LCID lcid, ULONG dwFlags, ULONG* pulOut);
STDAPI VarUI8FromStr(LPCOLESTR strIn, LCID lcid, ULONG dwFlags, ULONG64* pi64Out);
STDAPI VarR4FromStr(LPCOLESTR strIn, LCID lcid, ULONG dwFlags, FLOAT* pfltOut);
STDAPI VarR8FromStr(LPCOLESTR strIn, LCID lcid, ULONG dwFlags, DOUBLE* pdblOut);
STDAPI VarCyFromStr(LPCOLESTR strIn, LCID lcid, ULONG dwFlags, CY* pcyOut);
STDAPI VarDateFromStr(LPCOLESTR strIn, LCID lcid, ULONG dwFlags, DATE* pdateOut);
STDAPI VarBoolFromStr(LPCOLESTR strIn, LCID lcid, ULONG dwFlags, VARIANT_BOOL* pboolOut);
STDAPI VarDecFromStr(LPCOLESTR strIn, LCID lcid, ULONG dwFlags, DECIMAL* pdecOut);

STDAPI VarBstrFromI1(CHAR cIn, LCID lcid, ULONG dwFlags, BSTR* pbstrOut);
STDAPI VarBstrFromI2(SHORT iVal, LCID lcid, ULONG dwFlags, BSTR* pbstrOut);
STDAPI VarBstrFromI4(LONG lIn, LCID lcid, ULONG dwFlags, BSTR* pbstrOut);
STDAPI VarBstrFromI8(LONG64 i64In, LCID lcid, ULONG dwFlags, BSTR* pbstrOut);
STDAPI VarBstrFromUI1(BYTE bVal, LCID lcid, ULONG dwFlags, BSTR* pbstrOut);
STDAPI VarBstrFromUI2(USHORT uiIn, LCID lcid, ULONG dwFlags, BSTR* pbstrOut);
STDAPI VarBstrFromUI4(ULONG ulIn, LCID lcid, ULONG dwFlags, BSTR* pbstrOut);
STDAPI VarBstrFromUI8(ULONG64 ui64In, LCID lcid, ULONG dwFlags, BSTR* pbstrOut);
STDAPI VarBstrFromR4(FLOAT fltIn, LCID lcid, ULONG dwFlags, BSTR* pbstrOut);
STDAPI VarBstrFromR8(DOUBLE dblIn, LCID lcid, ULONG dwFlags, BSTR* pbstrOut);
STDAPI VarBstrFromCy(CY cyIn, LCID lcid, ULONG dwFlags, BSTR* pbstrOut);
STDAPI VarBstrFromDate(DATE dateIn, LCID lcid, ULONG dwFlags, BSTR* pbstrOut);
STDAPI VarBstrFromBool(VARIANT_BOOL boolIn, LCID lcid, ULONG dwFlags, BSTR* pbstrOut);
STDAPI VarBstrFromDec(const DECIMAL* pdecIn, LCID lcid, ULONG dwFlags, BSTR* pbstrOut);

STDAPI VarR8FromDec(const DECIMAL* pdecIn, DOUBLE* pdblOut);
STDAPI VarDecFromR8(DOUBLE dblIn, DECIMAL* pdecOut);
STDAPI VarDecFromI8(LONG64 i64In, DECIMAL* pdecOut);
STDAPI VarR8FromCy(CY cyIn, DOUBLE* pdblOut);
STDAPI VarCyFromR8(DOUBLE dblIn, CY* pcyOut);
STDAPI VarI4FromR8(DOUBLE dblIn, LONG* plOut);
STDAPI VarDateFromUdate(const SYSTEMTIME* pst, ULONG dwFlags, DATE* pdateOut);
STDAPI_(INT) SystemTimeToVariantTime(const SYSTEMTIME* lpSystemTime, DOUBLE* pvtime);
STDAPI_(INT) VariantTimeToSystemTime(DOUBLE vtime, SYSTEMTIME* lpSystemTime);

// ---- Late binding through type information ----
STDAPI DispGetIDsOfNames(ITypeInfo* ptinfo, LPOLESTR* rgszNames, UINT cNames, DISPID* rgdispid);
STDAPI DispInvoke(void* _this, ITypeInfo* ptinfo, DISPID dispidMember, WORD wFlags, DISPPARAMS* pparams,
                  VARIANT* pvarResult, EXCEPINFO* pexcepinfo, UINT* puArgErr);
STDAPI LoadTypeLib(LPCOLESTR szFile, ITypeLib** pptlib);
STDAPI LoadRegTypeLib(REFGUID rguid, WORD wVerMajor, WORD wVerMinor, LCID lcid, ITypeLib** pptlib);
