// ITypeInfo over one declared type (interface, enumeration or coclass) of a declared library.
// Interfaces see their base interfaces' members first, so a derived interface answers every
// DISPID of its chain. Immutable after construction; callable from any thread.
#pragma once

#include <atomic>
#include <memory>
#include <mutex>
#include <unordered_map>
#include <vector>

#include "zplatform/automation.h"

namespace zplatform::automation::detail {

class DeclTypeLibrary;

class DeclTypeInfo final : public ITypeInfo {
 public:
  DeclTypeInfo(DeclTypeLibrary* library, UINT index, TypeDecl decl);
  ~DeclTypeInfo();

  // Declaration checks: thunk arity, retval placement, property put shape. E_INVALIDARG if broken.
  HRESULT Validate() const;
  TYPEKIND Kind() const;
  const GUID* Guid() const;  // null for enumerations
  std::u16string_view Name() const;
  std::u16string_view Help() const;
  bool HasMemberNamed(std::u16string_view name, std::u16string_view* exact, MEMBERID* id) const;

  STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
  STDMETHODIMP_(ULONG) AddRef() override;
  STDMETHODIMP_(ULONG) Release() override;

  STDMETHODIMP GetTypeAttr(TYPEATTR** ppTypeAttr) override;
  STDMETHODIMP GetTypeComp(ITypeComp** ppTComp) override;
  STDMETHODIMP GetFuncDesc(UINT index, FUNCDESC** ppFuncDesc) override;
  STDMETHODIMP GetVarDesc(UINT index, VARDESC** ppVarDesc) override;
  STDMETHODIMP GetNames(MEMBERID memid, BSTR* rgBstrNames, UINT cMaxNames, UINT* pcNames) override;
  STDMETHODIMP GetRefTypeOfImplType(UINT index, HREFTYPE* pRefType) override;
  STDMETHODIMP GetImplTypeFlags(UINT index, INT* pImplTypeFlags) override;
  STDMETHODIMP GetIDsOfNames(LPOLESTR* rgszNames, UINT cNames, MEMBERID* pMemId) override;
  STDMETHODIMP Invoke(PVOID pvInstance, MEMBERID memid, WORD wFlags, DISPPARAMS* pDispParams, VARIANT* pVarResult,
                      EXCEPINFO* pExcepInfo, UINT* puArgErr) override;
  STDMETHODIMP GetDocumentation(MEMBERID memid, BSTR* pBstrName, BSTR* pBstrDocString, DWORD* pdwHelpContext,
                                BSTR* pBstrHelpFile) override;
  STDMETHODIMP GetDllEntry(MEMBERID memid, INVOKEKIND invKind, BSTR* pBstrDllName, BSTR* pBstrName,
                           WORD* pwOrdinal) override;
  STDMETHODIMP GetRefTypeInfo(HREFTYPE hRefType, ITypeInfo** ppTInfo) override;
  STDMETHODIMP AddressOfMember(MEMBERID memid, INVOKEKIND invKind, PVOID* ppv) override;
  STDMETHODIMP CreateInstance(IUnknown* pUnkOuter, REFIID riid, PVOID* ppvObj) override;
  STDMETHODIMP GetMops(MEMBERID memid, BSTR* pBstrMops) override;
  STDMETHODIMP GetContainingTypeLib(ITypeLib** ppTLib, UINT* pIndex) override;
  STDMETHODIMP_(void) ReleaseTypeAttr(TYPEATTR* pTypeAttr) override;
  STDMETHODIMP_(void) ReleaseFuncDesc(FUNCDESC* pFuncDesc) override;
  STDMETHODIMP_(void) ReleaseVarDesc(VARDESC* pVarDesc) override;

 private:
  struct Allocation;

  const MemberDecl* FindMember(MEMBERID memid, WORD flags) const;
  const MemberDecl* FindAnyMember(MEMBERID memid) const;
  HRESULT NameAndHelpOf(MEMBERID memid, std::u16string_view* name, std::u16string_view* help) const;
  template <class T>
  T* Keep(std::unique_ptr<Allocation> allocation, T* handed);

  DeclTypeLibrary* library_;  // owns this object
  UINT index_;
  TypeDecl decl_;
  std::vector<const MemberDecl*> members_;  // interfaces: base members first, then own
  UINT ownVtableSlots_ = 0;                 // IUnknown (3) or IDispatch (7) slots before the members
  mutable std::mutex allocationsMutex_;
  std::unordered_map<const void*, std::unique_ptr<Allocation>> allocations_;  // handed-out descriptors
};

// Member ids of enumeration constants: 0x40000000 + position.
constexpr MEMBERID kEnumMemberBase = 0x40000000;

bool EqualNames(std::u16string_view a, std::u16string_view b);
BSTR MakeBstr(std::u16string_view text);

}  // namespace zplatform::automation::detail
