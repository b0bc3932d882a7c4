// DeclTypeLibrary (ITypeLib over a LibraryDecl), the process-wide cache of declared libraries and
// the loading services: ZRegisterTypeLibDecl, LoadRegTypeLib, LoadTypeLib (by the file of the
// image that declared the library), DispGetIDsOfNames and DispInvoke.
#include "com/automation/type_library.h"

#include <dlfcn.h>

#include <cstdlib>
#include <mutex>

#include "zplatform/text.h"

namespace zplatform::automation::detail {

DeclTypeLibrary::DeclTypeLibrary(const LibraryDecl& decl) : decl_(decl) {
  for (std::size_t i = 0; i < decl.types.size(); ++i) {
    types_.push_back(std::make_unique<DeclTypeInfo>(this, static_cast<UINT>(i), decl.types[i]));
  }
}

HRESULT DeclTypeLibrary::Validate() const {
  for (const auto& type : types_) {
    const HRESULT hr = type->Validate();
    if (FAILED(hr)) return hr;
  }
  return S_OK;
}

int DeclTypeLibrary::IndexOf(const void* declaration) const {
  for (std::size_t i = 0; i < decl_.types.size(); ++i) {
    if (std::visit([](const auto* d) { return static_cast<const void*>(d); }, decl_.types[i]) == declaration) {
      return static_cast<int>(i);
    }
  }
  return -1;
}

STDMETHODIMP DeclTypeLibrary::QueryInterface(REFIID riid, void** ppv) {
  if (ppv == nullptr) return E_POINTER;
  if (!IsEqualGUID(riid, IID_IUnknown) && !IsEqualGUID(riid, IID_ITypeLib)) {
    *ppv = nullptr;
    return E_NOINTERFACE;
  }
  *ppv = static_cast<ITypeLib*>(this);
  AddRef();
  return S_OK;
}

STDMETHODIMP_(ULONG) DeclTypeLibrary::AddRef() { return ++refs_; }
STDMETHODIMP_(ULONG) DeclTypeLibrary::Release() { return --refs_; }

STDMETHODIMP_(UINT) DeclTypeLibrary::GetTypeInfoCount() { return static_cast<UINT>(types_.size()); }

STDMETHODIMP DeclTypeLibrary::GetTypeInfo(UINT index, ITypeInfo** ppTInfo) {
  if (ppTInfo == nullptr) return E_INVALIDARG;
  *ppTInfo = TypeAt(index);
  if (*ppTInfo == nullptr) return TYPE_E_ELEMENTNOTFOUND;
  (*ppTInfo)->AddRef();
  return S_OK;
}

STDMETHODIMP DeclTypeLibrary::GetTypeInfoType(UINT index, TYPEKIND* pTKind) {
  if (pTKind == nullptr) return E_INVALIDARG;
  if (TypeAt(index) == nullptr) return TYPE_E_ELEMENTNOTFOUND;
  *pTKind = TypeAt(index)->Kind();
  return S_OK;
}

STDMETHODIMP DeclTypeLibrary::GetTypeInfoOfGuid(REFGUID guid, ITypeInfo** ppTinfo) {
  if (ppTinfo == nullptr) return E_INVALIDARG;
  *ppTinfo = nullptr;
  for (const auto& type : types_) {
    if (type->Guid() != nullptr && IsEqualGUID(*type->Guid(), guid)) {
      *ppTinfo = type.get();
      type->AddRef();
      return S_OK;
    }
  }
  return TYPE_E_ELEMENTNOTFOUND;
}

STDMETHODIMP DeclTypeLibrary::GetLibAttr(TLIBATTR** ppTLibAttr) {
  if (ppTLibAttr == nullptr) return E_INVALIDARG;
  *ppTLibAttr = new (std::nothrow) TLIBATTR{decl_.libid, decl_.lcid, SYS_WIN64, decl_.majorVersion,
                                            decl_.minorVersion, LIBFLAG_FHASDISKIMAGE};
  return *ppTLibAttr != nullptr ? S_OK : E_OUTOFMEMORY;
}

STDMETHODIMP_(void) DeclTypeLibrary::ReleaseTLibAttr(TLIBATTR* pTLibAttr) { delete pTLibAttr; }

STDMETHODIMP DeclTypeLibrary::GetTypeComp(ITypeComp** ppTComp) {
  if (ppTComp != nullptr) *ppTComp = nullptr;
  return E_NOTIMPL;
}

STDMETHODIMP DeclTypeLibrary::GetDocumentation(INT index, BSTR* pBstrName, BSTR* pBstrDocString,
                                               DWORD* pdwHelpContext, BSTR* pBstrHelpFile) {
  if (index == -1) {
    if (pBstrName != nullptr) *pBstrName = MakeBstr(decl_.name);
    if (pBstrDocString != nullptr) *pBstrDocString = decl_.help.empty() ? nullptr : MakeBstr(decl_.help);
    if (pdwHelpContext != nullptr) *pdwHelpContext = 0;
    if (pBstrHelpFile != nullptr) *pBstrHelpFile = nullptr;
    return S_OK;
  }
  DeclTypeInfo* type = index >= 0 ? TypeAt(static_cast<UINT>(index)) : nullptr;
  if (type == nullptr) return TYPE_E_ELEMENTNOTFOUND;
  return type->GetDocumentation(MEMBERID_NIL, pBstrName, pBstrDocString, pdwHelpContext, pBstrHelpFile);
}

// Matches type and member names without regard to case and, as the platform does, rewrites the
// caller's buffer with the declared spelling.
STDMETHODIMP DeclTypeLibrary::IsName(LPOLESTR szNameBuf, ULONG, BOOL* pfName) {
  if (szNameBuf == nullptr || pfName == nullptr) return E_INVALIDARG;
  const std::u16string_view name(szNameBuf);
  *pfName = FALSE;
  for (const auto& type : types_) {
    std::u16string_view exact;
    MEMBERID id;
    if (EqualNames(type->Name(), name)) {
      exact = type->Name();
    } else if (!type->HasMemberNamed(name, &exact, &id)) {
      continue;
    }
    std::copy(exact.begin(), exact.end(), szNameBuf);
    *pfName = TRUE;
    return S_OK;
  }
  return S_OK;
}

STDMETHODIMP DeclTypeLibrary::FindName(LPOLESTR szNameBuf, ULONG, ITypeInfo** ppTInfo, MEMBERID* rgMemId,
                                       USHORT* pcFound) {
  if (szNameBuf == nullptr || ppTInfo == nullptr || rgMemId == nullptr || pcFound == nullptr) return E_INVALIDARG;
  const std::u16string_view name(szNameBuf);
  USHORT found = 0;
  for (const auto& type : types_) {
    if (found >= *pcFound) break;
    std::u16string_view exact;
    MEMBERID id = MEMBERID_NIL;
    if (!EqualNames(type->Name(), name) && !type->HasMemberNamed(name, &exact, &id)) continue;
    ppTInfo[found] = type.get();
    type->AddRef();
    rgMemId[found++] = id;
  }
  *pcFound = found;
  return S_OK;
}

namespace {

struct CachedLibrary {
  const LibraryDecl* decl;
  DeclTypeLibrary* library;
  std::string imagePath;  // canonical path of the shared object (or executable) that declared it
};

class LibraryCache {
 public:
  static LibraryCache& Instance() {
    static LibraryCache* cache = new LibraryCache;  // never destroyed: libraries stay loaded
    return *cache;
  }

  static std::string Canonical(const std::string& path) {
    char* resolved = realpath(path.c_str(), nullptr);
    if (resolved == nullptr) return path;
    std::string result(resolved);
    std::free(resolved);
    return result;
  }

  HRESULT Register(const LibraryDecl& decl, DeclTypeLibrary** out) {
    std::lock_guard lock(mutex_);
    for (const auto& cached : libraries_) {
      if (cached.decl == &decl) {
        *out = cached.library;
        return S_OK;
      }
    }
    auto library = std::make_unique<DeclTypeLibrary>(decl);
    const HRESULT hr = library->Validate();
    if (FAILED(hr)) return hr;
    *out = library.release();
    libraries_.push_back({&decl, *out, ImageOf(&decl)});
    return S_OK;
  }

  // The highest minor version at or above `minor` of the major version.
  DeclTypeLibrary* FindById(REFGUID libid, WORD major, WORD minor) {
    std::lock_guard lock(mutex_);
    DeclTypeLibrary* best = nullptr;
    for (const auto& cached : libraries_) {
      const LibraryDecl& d = *cached.decl;
      if (!IsEqualGUID(d.libid, libid) || d.majorVersion != major || d.minorVersion < minor) continue;
      if (best == nullptr || best->Decl().minorVersion < d.minorVersion) best = cached.library;
    }
    return best;
  }

  // The first library registered from the image at path, like a file's first type-library resource.
  DeclTypeLibrary* FindByImage(const std::string& path) {
    std::lock_guard lock(mutex_);
    for (const auto& cached : libraries_) {
      if (!cached.imagePath.empty() && cached.imagePath == path) return cached.library;
    }
    return nullptr;
  }

 private:
  static std::string ImageOf(const void* address) {
    Dl_info info{};
    if (dladdr(address, &info) == 0 || info.dli_fname == nullptr) return {};
    // The main program is named as it was started (possibly relative); its file is /proc/self/exe.
    return Canonical(info.dli_fname[0] == '/' ? info.dli_fname : "/proc/self/exe");
  }

  std::mutex mutex_;
  std::vector<CachedLibrary> libraries_;  // registration order
};

}  // namespace

}  // namespace zplatform::automation::detail

using zplatform::automation::detail::DeclTypeLibrary;
using zplatform::automation::detail::LibraryCache;

ZPLATFORM_API HRESULT ZRegisterTypeLibDecl(const zplatform::automation::LibraryDecl& decl, ITypeLib** pptlib) {
  if (pptlib != nullptr) *pptlib = nullptr;
  DeclTypeLibrary* library = nullptr;
  const HRESULT hr = LibraryCache::Instance().Register(decl, &library);
  if (FAILED(hr)) return hr;
  if (pptlib != nullptr) {
    library->AddRef();
    *pptlib = library;
  }
  return S_OK;
}

ZPLATFORM_API HRESULT ZGetTypeInfoOfDecl(const zplatform::automation::LibraryDecl& decl, REFIID iid,
                                         ITypeInfo** pptinfo) {
  if (pptinfo == nullptr) return E_INVALIDARG;
  *pptinfo = nullptr;
  DeclTypeLibrary* library = nullptr;
  const HRESULT hr = LibraryCache::Instance().Register(decl, &library);
  if (FAILED(hr)) return hr;
  return library->GetTypeInfoOfGuid(iid, pptinfo);
}

STDAPI LoadRegTypeLib(REFGUID rguid, WORD wVerMajor, WORD wVerMinor, LCID, ITypeLib** pptlib) {
  if (pptlib == nullptr) return E_INVALIDARG;
  *pptlib = LibraryCache::Instance().FindById(rguid, wVerMajor, wVerMinor);
  if (*pptlib == nullptr) return TYPE_E_LIBNOTREGISTERED;
  (*pptlib)->AddRef();
  return S_OK;
}

STDAPI LoadTypeLib(LPCOLESTR szFile, ITypeLib** pptlib) {
  if (szFile == nullptr || pptlib == nullptr) return E_INVALIDARG;
  const std::string path = LibraryCache::Canonical(zplatform::Utf16ToUtf8(szFile));
  *pptlib = LibraryCache::Instance().FindByImage(path);
  if (*pptlib == nullptr) return TYPE_E_CANTLOADLIBRARY;
  (*pptlib)->AddRef();
  return S_OK;
}

STDAPI DispGetIDsOfNames(ITypeInfo* ptinfo, LPOLESTR* rgszNames, UINT cNames, DISPID* rgdispid) {
  if (ptinfo == nullptr) return E_INVALIDARG;
  return ptinfo->GetIDsOfNames(rgszNames, cNames, rgdispid);
}

STDAPI DispInvoke(void* _this, ITypeInfo* ptinfo, DISPID dispidMember, WORD wFlags, DISPPARAMS* pparams,
                  VARIANT* pvarResult, EXCEPINFO* pexcepinfo, UINT* puArgErr) {
  if (ptinfo == nullptr) return E_INVALIDARG;
  return ptinfo->Invoke(_this, dispidMember, wFlags, pparams, pvarResult, pexcepinfo, puArgErr);
}
