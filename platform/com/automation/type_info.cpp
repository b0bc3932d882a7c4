// DeclTypeInfo: descriptors (TYPEATTR, FUNCDESC, VARDESC), names, documentation and references
// of one declared type. Invoke lives in type_info_invoke.cpp.
#include "com/automation/type_info.h"

#include <deque>

#include "com/automation/type_library.h"
#include "objbase.h"
#include "zplatform/text.h"

namespace zplatform::automation::detail {

namespace {

bool IsDual(const InterfaceDecl& decl) { return (decl.typeFlags & TYPEFLAG_FDUAL) != 0; }

bool IsRetval(const ParamDecl& p) { return (p.flags & PARAMFLAG_FRETVAL) != 0; }

// The element description of a passed type: VT_PTR for byref, VT_SAFEARRAY for arrays.
void Describe(VARTYPE type, TYPEDESC* desc, std::deque<TYPEDESC>* pointed) {
  if (type & VT_BYREF) {
    desc->vt = VT_PTR;
    desc->lptdesc = &pointed->emplace_back();
    Describe(static_cast<VARTYPE>(type & ~VT_BYREF), desc->lptdesc, pointed);
  } else if (type & VT_ARRAY) {
    desc->vt = VT_SAFEARRAY;
    desc->lptdesc = &pointed->emplace_back();
    Describe(static_cast<VARTYPE>(type & ~VT_ARRAY), desc->lptdesc, pointed);
  } else {
    desc->vt = type;
    desc->lptdesc = nullptr;
  }
}

HRESULT CheckMember(const MemberDecl& m) {
  if (m.thunk.function == nullptr || m.thunk.arity != static_cast<int>(m.params.size())) return E_INVALIDARG;
  for (std::size_t i = 0; i < m.params.size(); ++i) {
    const ParamDecl& p = m.params[i];
    if (IsRetval(p) && (i + 1 != m.params.size() || !(p.type & VT_BYREF))) return E_INVALIDARG;
  }
  const bool hasRetval = !m.params.empty() && IsRetval(m.params.back());
  if ((m.kind == INVOKE_PROPERTYPUT || m.kind == INVOKE_PROPERTYPUTREF) && (m.params.empty() || hasRetval)) {
    return E_INVALIDARG;
  }
  return S_OK;
}

}  // namespace

struct DeclTypeInfo::Allocation {
  FUNCDESC func{};
  TYPEATTR attr{};
  VARDESC var{};
  VARIANT value{};
  std::vector<ELEMDESC> params;
  std::deque<TYPEDESC> pointed;
};

bool EqualNames(std::u16string_view a, std::u16string_view b) { return zplatform::EqualsNoCase(a, b); }

BSTR MakeBstr(std::u16string_view text) { return SysAllocStringLen(text.data(), static_cast<UINT>(text.size())); }

DeclTypeInfo::DeclTypeInfo(DeclTypeLibrary* library, UINT index, TypeDecl decl)
    : library_(library), index_(index), decl_(decl) {
  if (const auto* const* itf = std::get_if<const InterfaceDecl*>(&decl_)) {
    std::vector<const InterfaceDecl*> chain;
    for (const InterfaceDecl* d = *itf; d != nullptr && chain.size() < 64; d = d->base) chain.insert(chain.begin(), d);
    for (const InterfaceDecl* d : chain) {
      for (const MemberDecl& m : d->members) members_.push_back(&m);
    }
    ownVtableSlots_ = IsDual(*chain.front()) ? 7 : 3;
  }
}

DeclTypeInfo::~DeclTypeInfo() = default;

HRESULT DeclTypeInfo::Validate() const {
  if (const auto* const* itf = std::get_if<const InterfaceDecl*>(&decl_)) {
    int depth = 0;
    for (const InterfaceDecl* d = *itf; d != nullptr; d = d->base) {
      if (++depth > 64) return E_INVALIDARG;  // a cycle of base interfaces
    }
    for (const MemberDecl* m : members_) {
      if (FAILED(CheckMember(*m))) return E_INVALIDARG;
    }
  }
  if (const auto* const* cls = std::get_if<const CoclassDecl*>(&decl_)) {
    for (const auto& [itf, flags] : (*cls)->interfaces) {
      if (itf == nullptr || library_->IndexOf(itf) < 0) return E_INVALIDARG;
    }
  }
  return S_OK;
}

TYPEKIND DeclTypeInfo::Kind() const {
  if (const auto* const* itf = std::get_if<const InterfaceDecl*>(&decl_)) {
    return IsDual(**itf) ? TKIND_DISPATCH : TKIND_INTERFACE;
  }
  return std::holds_alternative<const EnumDecl*>(decl_) ? TKIND_ENUM : TKIND_COCLASS;
}

const GUID* DeclTypeInfo::Guid() const {
  if (const auto* const* itf = std::get_if<const InterfaceDecl*>(&decl_)) return &(*itf)->iid;
  if (const auto* const* cls = std::get_if<const CoclassDecl*>(&decl_)) return &(*cls)->clsid;
  return nullptr;
}

std::u16string_view DeclTypeInfo::Name() const {
  return std::visit([](const auto* d) { return d->name; }, decl_);
}

std::u16string_view DeclTypeInfo::Help() const {
  return std::visit([](const auto* d) { return d->help; }, decl_);
}

bool DeclTypeInfo::HasMemberNamed(std::u16string_view name, std::u16string_view* exact, MEMBERID* id) const {
  for (const MemberDecl* m : members_) {
    if (EqualNames(m->name, name)) {
      *exact = m->name;
      *id = m->id;
      return true;
    }
  }
  if (const auto* const* enm = std::get_if<const EnumDecl*>(&decl_)) {
    for (std::size_t i = 0; i < (*enm)->values.size(); ++i) {
      if (EqualNames((*enm)->values[i].first, name)) {
        *exact = (*enm)->values[i].first;
        *id = kEnumMemberBase + static_cast<MEMBERID>(i);
        return true;
      }
    }
  }
  return false;
}

STDMETHODIMP DeclTypeInfo::QueryInterface(REFIID riid, void** ppv) {
  if (ppv == nullptr) return E_POINTER;
  if (!IsEqualGUID(riid, IID_IUnknown) && !IsEqualGUID(riid, IID_ITypeInfo)) {
    *ppv = nullptr;
    return E_NOINTERFACE;
  }
  *ppv = static_cast<ITypeInfo*>(this);
  AddRef();
  return S_OK;
}

// Type information keeps its library alive, and lives exactly as long as it.
STDMETHODIMP_(ULONG) DeclTypeInfo::AddRef() { return library_->AddRef(); }
STDMETHODIMP_(ULONG) DeclTypeInfo::Release() { return library_->Release(); }

template <class T>
T* DeclTypeInfo::Keep(std::unique_ptr<Allocation> allocation, T* handed) {
  std::lock_guard lock(allocationsMutex_);
  allocations_[handed] = std::move(allocation);
  return handed;
}

STDMETHODIMP DeclTypeInfo::GetTypeAttr(TYPEATTR** ppTypeAttr) {
  if (ppTypeAttr == nullptr) return E_INVALIDARG;
  auto block = std::make_unique<Allocation>();
  TYPEATTR& attr = block->attr;
  const GUID* guid = Guid();
  attr.guid = guid != nullptr ? *guid : GUID_NULL;
  attr.lcid = library_->Decl().lcid;
  attr.memidConstructor = attr.memidDestructor = MEMBERID_NIL;
  attr.typekind = Kind();
  attr.cFuncs = static_cast<WORD>(members_.size());
  attr.cbAlignment = 8;
  attr.wMajorVerNum = library_->Decl().majorVersion;
  attr.wMinorVerNum = library_->Decl().minorVersion;
  if (const auto* const* itf = std::get_if<const InterfaceDecl*>(&decl_)) {
    attr.cImplTypes = (*itf)->base != nullptr ? 1 : 0;
    attr.cbSizeVft = static_cast<WORD>((ownVtableSlots_ + members_.size()) * sizeof(void*));
    attr.cbSizeInstance = sizeof(void*);
    attr.wTypeFlags = (*itf)->typeFlags;
  } else if (const auto* const* enm = std::get_if<const EnumDecl*>(&decl_)) {
    attr.cVars = static_cast<WORD>((*enm)->values.size());
    attr.cbSizeInstance = sizeof(LONG);
  } else if (const auto* const* cls = std::get_if<const CoclassDecl*>(&decl_)) {
    attr.cImplTypes = static_cast<WORD>((*cls)->interfaces.size());
    attr.wTypeFlags = TYPEFLAG_FCANCREATE;
  }
  *ppTypeAttr = Keep(std::move(block), &attr);
  return S_OK;
}

STDMETHODIMP DeclTypeInfo::GetFuncDesc(UINT index, FUNCDESC** ppFuncDesc) {
  if (ppFuncDesc == nullptr) return E_INVALIDARG;
  if (index >= members_.size()) return TYPE_E_ELEMENTNOTFOUND;
  const MemberDecl& m = *members_[index];
  auto block = std::make_unique<Allocation>();
  FUNCDESC& f = block->func;
  f.memid = m.id;
  f.funckind = FUNC_DISPATCH;
  f.invkind = m.kind;
  f.callconv = CC_STDCALL;
  f.oVft = static_cast<SHORT>((ownVtableSlots_ + index) * sizeof(void*));
  block->params.resize(m.params.size());
  for (std::size_t i = 0; i < m.params.size(); ++i) {
    Describe(m.params[i].type, &block->params[i].tdesc, &block->pointed);
    block->params[i].paramdesc.pparamdescex = nullptr;
    block->params[i].paramdesc.wParamFlags = m.params[i].flags;
    if (m.params[i].flags & PARAMFLAG_FOPT) ++f.cParamsOpt;
  }
  f.cParams = static_cast<SHORT>(m.params.size());
  f.lprgelemdescParam = block->params.empty() ? nullptr : block->params.data();
  f.elemdescFunc.tdesc.vt = VT_HRESULT;
  *ppFuncDesc = Keep(std::move(block), &f);
  return S_OK;
}

STDMETHODIMP DeclTypeInfo::GetVarDesc(UINT index, VARDESC** ppVarDesc) {
  if (ppVarDesc == nullptr) return E_INVALIDARG;
  const auto* const* enm = std::get_if<const EnumDecl*>(&decl_);
  if (enm == nullptr || index >= (*enm)->values.size()) return TYPE_E_ELEMENTNOTFOUND;
  auto block = std::make_unique<Allocation>();
  block->value.vt = VT_I4;
  block->value.lVal = (*enm)->values[index].second;
  VARDESC& v = block->var;
  v.memid = kEnumMemberBase + static_cast<MEMBERID>(index);
  v.lpvarValue = &block->value;
  v.elemdescVar.tdesc.vt = VT_I4;
  v.varkind = VAR_CONST;
  *ppVarDesc = Keep(std::move(block), &v);
  return S_OK;
}

STDMETHODIMP_(void) DeclTypeInfo::ReleaseTypeAttr(TYPEATTR* pTypeAttr) {
  std::lock_guard lock(allocationsMutex_);
  allocations_.erase(pTypeAttr);
}
STDMETHODIMP_(void) DeclTypeInfo::ReleaseFuncDesc(FUNCDESC* pFuncDesc) {
  std::lock_guard lock(allocationsMutex_);
  allocations_.erase(pFuncDesc);
}
STDMETHODIMP_(void) DeclTypeInfo::ReleaseVarDesc(VARDESC* pVarDesc) {
  std::lock_guard lock(allocationsMutex_);
  allocations_.erase(pVarDesc);
}

const MemberDecl* DeclTypeInfo::FindAnyMember(MEMBERID memid) const {
  for (const MemberDecl* m : members_) {
    if (m->id == memid) return m;
  }
  return nullptr;
}

// The member of memid that serves the invoke flags: a put for DISPATCH_PROPERTYPUT(REF), else a
// method for DISPATCH_METHOD, else a property get for DISPATCH_PROPERTYGET.
const MemberDecl* DeclTypeInfo::FindMember(MEMBERID memid, WORD flags) const {
  auto find = [&](INVOKEKIND kind) -> const MemberDecl* {
    for (const MemberDecl* m : members_) {
      if (m->id == memid && m->kind == kind) return m;
    }
    return nullptr;
  };
  if (flags & DISPATCH_PROPERTYPUT) {
    if (const MemberDecl* m = find(INVOKE_PROPERTYPUT)) return m;
    return find(INVOKE_PROPERTYPUTREF);
  }
  if (flags & DISPATCH_PROPERTYPUTREF) {
    if (const MemberDecl* m = find(INVOKE_PROPERTYPUTREF)) return m;
    return find(INVOKE_PROPERTYPUT);
  }
  const MemberDecl* m = nullptr;
  if (flags & DISPATCH_METHOD) m = find(INVOKE_FUNC);
  if (m == nullptr && (flags & DISPATCH_PROPERTYGET)) m = find(INVOKE_PROPERTYGET);
  return m;
}

HRESULT DeclTypeInfo::NameAndHelpOf(MEMBERID memid, std::u16string_view* name, std::u16string_view* help) const {
  if (memid == MEMBERID_NIL) {
    *name = Name();
    *help = Help();
    return S_OK;
  }
  if (const MemberDecl* m = FindAnyMember(memid)) {
    *name = m->name;
    *help = m->help;
    return S_OK;
  }
  if (const auto* const* enm = std::get_if<const EnumDecl*>(&decl_)) {
    const MEMBERID position = memid - kEnumMemberBase;
    if (position >= 0 && position < static_cast<MEMBERID>((*enm)->values.size())) {
      *name = (*enm)->values[static_cast<std::size_t>(position)].first;
      *help = {};
      return S_OK;
    }
  }
  return TYPE_E_ELEMENTNOTFOUND;
}

STDMETHODIMP DeclTypeInfo::GetNames(MEMBERID memid, BSTR* rgBstrNames, UINT cMaxNames, UINT* pcNames) {
  if (rgBstrNames == nullptr || pcNames == nullptr) return E_INVALIDARG;
  *pcNames = 0;
  std::u16string_view name, help;
  HRESULT hr = NameAndHelpOf(memid, &name, &help);
  if (FAILED(hr)) return hr;
  std::vector<std::u16string_view> names{name};
  if (const MemberDecl* m = FindAnyMember(memid)) {
    for (const ParamDecl& p : m->params) {
      if (!IsRetval(p)) names.push_back(p.name);
    }
  }
  for (UINT i = 0; i < names.size() && i < cMaxNames; ++i) {
    rgBstrNames[i] = MakeBstr(names[i]);
    ++*pcNames;
  }
  return S_OK;
}

STDMETHODIMP DeclTypeInfo::GetIDsOfNames(LPOLESTR* rgszNames, UINT cNames, MEMBERID* pMemId) {
  if (rgszNames == nullptr || pMemId == nullptr || cNames == 0) return E_INVALIDARG;
  for (UINT i = 0; i < cNames; ++i) pMemId[i] = MEMBERID_NIL;
  std::u16string_view exact;
  if (rgszNames[0] == nullptr || !HasMemberNamed(rgszNames[0], &exact, &pMemId[0])) return DISP_E_UNKNOWNNAME;
  HRESULT hr = S_OK;
  const MemberDecl* member = FindAnyMember(pMemId[0]);
  for (UINT i = 1; i < cNames; ++i) {
    hr = DISP_E_UNKNOWNNAME;
    for (std::size_t p = 0; member != nullptr && rgszNames[i] != nullptr && p < member->params.size(); ++p) {
      if (EqualNames(member->params[p].name, rgszNames[i])) {
        pMemId[i] = static_cast<MEMBERID>(p);
        hr = S_OK;
        break;
      }
    }
    if (FAILED(hr)) break;
  }
  for (UINT i = 1; i < cNames; ++i) {
    if (pMemId[i] == MEMBERID_NIL) return DISP_E_UNKNOWNNAME;
  }
  return S_OK;
}

STDMETHODIMP DeclTypeInfo::GetDocumentation(MEMBERID memid, BSTR* pBstrName, BSTR* pBstrDocString,
                                            DWORD* pdwHelpContext, BSTR* pBstrHelpFile) {
  std::u16string_view name, help;
  const HRESULT hr = NameAndHelpOf(memid, &name, &help);
  if (FAILED(hr)) return hr;
  if (pBstrName != nullptr) *pBstrName = MakeBstr(name);
  if (pBstrDocString != nullptr) *pBstrDocString = help.empty() ? nullptr : MakeBstr(help);
  if (pdwHelpContext != nullptr) *pdwHelpContext = 0;
  if (pBstrHelpFile != nullptr) *pBstrHelpFile = nullptr;
  return S_OK;
}

STDMETHODIMP DeclTypeInfo::GetRefTypeOfImplType(UINT index, HREFTYPE* pRefType) {
  if (pRefType == nullptr) return E_INVALIDARG;
  const void* referenced = nullptr;
  if (const auto* const* itf = std::get_if<const InterfaceDecl*>(&decl_)) {
    if (index == 0) referenced = (*itf)->base;
  } else if (const auto* const* cls = std::get_if<const CoclassDecl*>(&decl_)) {
    if (index < (*cls)->interfaces.size()) referenced = (*cls)->interfaces[index].first;
  }
  const int position = referenced != nullptr ? library_->IndexOf(referenced) : -1;
  if (position < 0) return TYPE_E_ELEMENTNOTFOUND;
  *pRefType = static_cast<HREFTYPE>(position);
  return S_OK;
}

STDMETHODIMP DeclTypeInfo::GetImplTypeFlags(UINT index, INT* pImplTypeFlags) {
  if (pImplTypeFlags == nullptr) return E_INVALIDARG;
  if (const auto* const* cls = std::get_if<const CoclassDecl*>(&decl_)) {
    if (index >= (*cls)->interfaces.size()) return TYPE_E_ELEMENTNOTFOUND;
    *pImplTypeFlags = (*cls)->interfaces[index].second;
    return S_OK;
  }
  *pImplTypeFlags = 0;
  return index == 0 ? S_OK : TYPE_E_ELEMENTNOTFOUND;
}

STDMETHODIMP DeclTypeInfo::GetRefTypeInfo(HREFTYPE hRefType, ITypeInfo** ppTInfo) {
  return library_->GetTypeInfo(hRefType, ppTInfo);
}

STDMETHODIMP DeclTypeInfo::CreateInstance(IUnknown* pUnkOuter, REFIID riid, PVOID* ppvObj) {
  if (ppvObj == nullptr) return E_INVALIDARG;
  *ppvObj = nullptr;
  const auto* const* cls = std::get_if<const CoclassDecl*>(&decl_);
  if (cls == nullptr) return TYPE_E_WRONGTYPEKIND;
  return CoCreateInstance((*cls)->clsid, pUnkOuter, CLSCTX_INPROC_SERVER, riid, ppvObj);
}

STDMETHODIMP DeclTypeInfo::GetContainingTypeLib(ITypeLib** ppTLib, UINT* pIndex) {
  if (ppTLib != nullptr) {
    *ppTLib = library_;
    library_->AddRef();
  }
  if (pIndex != nullptr) *pIndex = index_;
  return S_OK;
}

// Not available for declared types: there is no compiled binding, DLL entry or marshalling opcode.
STDMETHODIMP DeclTypeInfo::GetTypeComp(ITypeComp** ppTComp) {
  if (ppTComp != nullptr) *ppTComp = nullptr;
  return E_NOTIMPL;
}
STDMETHODIMP DeclTypeInfo::GetDllEntry(MEMBERID, INVOKEKIND, BSTR*, BSTR*, WORD*) { return TYPE_E_BADMODULEKIND; }
STDMETHODIMP DeclTypeInfo::AddressOfMember(MEMBERID, INVOKEKIND, PVOID* ppv) {
  if (ppv != nullptr) *ppv = nullptr;
  return TYPE_E_BADMODULEKIND;
}
STDMETHODIMP DeclTypeInfo::GetMops(MEMBERID, BSTR* pBstrMops) {
  if (pBstrMops != nullptr) *pBstrMops = nullptr;
  return S_OK;
}

}  // namespace zplatform::automation::detail
