// ITypeLib over a declared library, and the process-wide cache of built libraries (by declaration,
// by LIBID and version, by the file of the image that declared them). Libraries are never unloaded.
#pragma once

#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "com/automation/type_info.h"

namespace zplatform::automation::detail {

class DeclTypeLibrary final : public ITypeLib {
 public:
  explicit DeclTypeLibrary(const LibraryDecl& decl);

  HRESULT Validate() const;
  const LibraryDecl& Decl() const { return decl_; }
  DeclTypeInfo* TypeAt(UINT index) const { return index < types_.size() ? types_[index].get() : nullptr; }
  // The library index of a declared interface, or -1 when the library does not declare it.
  int IndexOf(const void* declaration) const;

  STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
  STDMETHODIMP_(ULONG) AddRef() override;
  STDMETHODIMP_(ULONG) Release() override;

  STDMETHODIMP_(UINT) GetTypeInfoCount() override;
  STDMETHODIMP GetTypeInfo(UINT index, ITypeInfo** ppTInfo) override;
  STDMETHODIMP GetTypeInfoType(UINT index, TYPEKIND* pTKind) override;
  STDMETHODIMP GetTypeInfoOfGuid(REFGUID guid, ITypeInfo** ppTinfo) override;
  STDMETHODIMP GetLibAttr(TLIBATTR** ppTLibAttr) override;
  STDMETHODIMP GetTypeComp(ITypeComp** ppTComp) override;
  STDMETHODIMP GetDocumentation(INT index, BSTR* pBstrName, BSTR* pBstrDocString, DWORD* pdwHelpContext,
                                BSTR* pBstrHelpFile) override;
  STDMETHODIMP IsName(LPOLESTR szNameBuf, ULONG lHashVal, BOOL* pfName) override;
  STDMETHODIMP FindName(LPOLESTR szNameBuf, ULONG lHashVal, ITypeInfo** ppTInfo, MEMBERID* rgMemId,
                        USHORT* pcFound) override;
  STDMETHODIMP_(void) ReleaseTLibAttr(TLIBATTR* pTLibAttr) override;

 private:
  const LibraryDecl& decl_;
  std::vector<std::unique_ptr<DeclTypeInfo>> types_;  // library order
  std::atomic<ULONG> refs_{1};                        // the cache's reference is never released
};

}  // namespace zplatform::automation::detail
