// Type libraries declared as data: interfaces (members, DISPIDs, invoke kinds, parameters),
// enumerations and coclasses; IDispatch served from them through ITypeInfo::Invoke.
// Declarations must outlive the process-wide type-library cache (use static storage).
#pragma once

#include <cstring>
#include <string_view>
#include <type_traits>
#include <utility>
#include <variant>
#include <vector>

#include "../oleauto.h"

namespace zplatform::automation {

// Calls one interface method with arguments already coerced to the declared types.
// args[i] holds parameter i in declaration order (retval last); self is the interface pointer.
using InvokeFunction = HRESULT (*)(void* self, VARIANTARG* args);

struct Thunk {
  InvokeFunction function = nullptr;
  int arity = -1;  // number of C++ parameters, checked against the declaration when the library is built
};

// One parameter as the vtable method receives it. `type` is the passed type: VT_I4 for long,
// VT_BYREF | VT_I4 for long*, VT_ARRAY | VT_I4 for SAFEARRAY(long), VT_VARIANT for VARIANT,
// VT_BYREF | VT_VARIANT for VARIANT*, VT_CLSID for GUID, VT_UNKNOWN / VT_DISPATCH for interfaces.
struct ParamDecl {
  std::u16string_view name;
  VARTYPE type = VT_EMPTY;
  USHORT flags = PARAMFLAG_FIN;  // PARAMFLAG_FIN / FOUT / FRETVAL / FOPT
  const IID* iid = nullptr;      // interface pointers: the interface the callee expects (QueryInterface'd)
};

constexpr ParamDecl in(std::u16string_view name, VARTYPE type, const IID* iid = nullptr) {
  return {name, type, PARAMFLAG_FIN, iid};
}
constexpr ParamDecl out(std::u16string_view name, VARTYPE type, const IID* iid = nullptr) {
  return {name, static_cast<VARTYPE>(type | VT_BYREF), PARAMFLAG_FOUT, iid};
}
constexpr ParamDecl inout(std::u16string_view name, VARTYPE type, const IID* iid = nullptr) {
  return {name, static_cast<VARTYPE>(type | VT_BYREF), PARAMFLAG_FIN | PARAMFLAG_FOUT, iid};
}
constexpr ParamDecl retval(std::u16string_view name, VARTYPE type, const IID* iid = nullptr) {
  return {name, static_cast<VARTYPE>(type | VT_BYREF), PARAMFLAG_FOUT | PARAMFLAG_FRETVAL, iid};
}
constexpr ParamDecl optional(ParamDecl p) {
  p.flags |= PARAMFLAG_FOPT;
  return p;
}

struct MemberDecl {
  std::u16string_view name;
  DISPID id = DISPID_UNKNOWN;
  INVOKEKIND kind = INVOKE_FUNC;
  Thunk thunk;
  std::vector<ParamDecl> params;
  std::u16string_view help;  // empty: no help string
};

struct InterfaceDecl {
  std::u16string_view name;
  IID iid;
  std::u16string_view help;
  const InterfaceDecl* base = nullptr;  // null: derives from IDispatch (dual) or IUnknown
  WORD typeFlags = TYPEFLAG_FDUAL | TYPEFLAG_FOLEAUTOMATION | TYPEFLAG_FDISPATCHABLE;
  std::vector<MemberDecl> members;  // own members only, in vtable order
};

struct EnumDecl {
  std::u16string_view name;
  std::u16string_view help;
  std::vector<std::pair<std::u16string_view, LONG>> values;
};

struct CoclassDecl {
  std::u16string_view name;
  CLSID clsid;
  std::u16string_view help;
  std::vector<std::pair<const InterfaceDecl*, INT>> interfaces;  // with IMPLTYPEFLAG_*
};

using TypeDecl = std::variant<const InterfaceDecl*, const EnumDecl*, const CoclassDecl*>;

struct LibraryDecl {
  std::u16string_view name;
  GUID libid;
  WORD majorVersion = 1;
  WORD minorVersion = 0;
  LCID lcid = 0;
  std::u16string_view help;
  std::vector<TypeDecl> types;  // library order
};

// ---- Member declarations ----

inline MemberDecl method(std::u16string_view name, DISPID id, Thunk thunk, std::vector<ParamDecl> params = {},
                         std::u16string_view help = {}) {
  return {name, id, INVOKE_FUNC, thunk, std::move(params), help};
}
inline MemberDecl propget(std::u16string_view name, DISPID id, Thunk thunk, std::vector<ParamDecl> params,
                          std::u16string_view help = {}) {
  return {name, id, INVOKE_PROPERTYGET, thunk, std::move(params), help};
}
inline MemberDecl propput(std::u16string_view name, DISPID id, Thunk thunk, std::vector<ParamDecl> params,
                          std::u16string_view help = {}) {
  return {name, id, INVOKE_PROPERTYPUT, thunk, std::move(params), help};
}
inline MemberDecl propputref(std::u16string_view name, DISPID id, Thunk thunk, std::vector<ParamDecl> params,
                             std::u16string_view help = {}) {
  return {name, id, INVOKE_PROPERTYPUTREF, thunk, std::move(params), help};
}

// ---- Thunks: call<&IFoo::Bar> unpacks the coerced arguments and calls the method ----

namespace detail {

// The coerced argument holds exactly the declared type, so the value sits at the start of the
// VARIANT's data area (or is the whole VARIANT / DECIMAL / GUID).
template <class T>
T ArgumentAs(VARIANTARG& arg) {
  if constexpr (std::is_same_v<T, VARIANT>) {
    return arg;
  } else if constexpr (std::is_same_v<T, DECIMAL>) {
    DECIMAL value = arg.decVal;
    value.wReserved = 0;
    return value;
  } else {
    static_assert(std::is_trivially_copyable_v<T> && sizeof(T) <= 16, "parameter type cannot travel in a VARIANT");
    T value;
    std::memcpy(&value, &arg.llVal, sizeof(T));
    return value;
  }
}

template <auto Method>
struct MethodCall;

template <class Interface, class... Args, HRESULT (STDMETHODCALLTYPE Interface::*Method)(Args...)>
struct MethodCall<Method> {
  static HRESULT Invoke(void* self, VARIANTARG* args) {
    return Invoke(static_cast<Interface*>(self), args, std::index_sequence_for<Args...>{});
  }
  template <std::size_t... I>
  static HRESULT Invoke(Interface* self, VARIANTARG* args, std::index_sequence<I...>) {
    (void)args;
    return (self->*Method)(ArgumentAs<Args>(args[I])...);
  }
  static constexpr int kArity = sizeof...(Args);
};

}  // namespace detail

template <auto Method>
inline constexpr Thunk call{&detail::MethodCall<Method>::Invoke, detail::MethodCall<Method>::kArity};

// A thunk from a capture-less lambda `HRESULT(void* self, VARIANTARG* args)` taking `arity` args.
constexpr Thunk custom(InvokeFunction function, int arity) { return {function, arity}; }

}  // namespace zplatform::automation

// ---- Services ----

// Builds the library once and registers it process-wide under its LIBID and version, so that
// LoadRegTypeLib finds it and LoadTypeLib finds it under the file of the image that declared it.
// E_INVALIDARG when a member's thunk arity or parameter list is inconsistent.
extern "C++" ZPLATFORM_API HRESULT ZRegisterTypeLibDecl(const zplatform::automation::LibraryDecl& decl,
                                                         ITypeLib** pptlib);
// The type information of one interface of a registered library (TYPE_E_ELEMENTNOTFOUND if absent).
extern "C++" ZPLATFORM_API HRESULT ZGetTypeInfoOfDecl(const zplatform::automation::LibraryDecl& decl, REFIID iid,
                                                       ITypeInfo** pptinfo);

namespace zplatform::automation {

// Serves the four IDispatch members of a dual interface from its declaration in `Library`.
// Derive the object's class from DispatchImpl<IFoo, kLibraryDecl, IID_IFoo> instead of IFoo.
template <class Interface, const LibraryDecl& Library, const IID& Iid>
class DispatchImpl : public Interface {
 public:
  STDMETHODIMP GetTypeInfoCount(UINT* pctinfo) override {
    if (pctinfo == nullptr) return E_POINTER;
    *pctinfo = 1;
    return S_OK;
  }
  STDMETHODIMP GetTypeInfo(UINT iTInfo, LCID, ITypeInfo** ppTInfo) override {
    if (ppTInfo == nullptr) return E_POINTER;
    *ppTInfo = nullptr;
    if (iTInfo != 0) return DISP_E_BADINDEX;
    ITypeInfo* info = TypeInfo();
    if (info == nullptr) return TYPE_E_ELEMENTNOTFOUND;
    info->AddRef();
    *ppTInfo = info;
    return S_OK;
  }
  STDMETHODIMP GetIDsOfNames(REFIID riid, LPOLESTR* rgszNames, UINT cNames, LCID, DISPID* rgDispId) override {
    if (!IsEqualGUID(riid, GUID_NULL)) return DISP_E_UNKNOWNINTERFACE;
    ITypeInfo* info = TypeInfo();
    return info == nullptr ? TYPE_E_ELEMENTNOTFOUND : DispGetIDsOfNames(info, rgszNames, cNames, rgDispId);
  }
  STDMETHODIMP Invoke(DISPID dispIdMember, REFIID riid, LCID, WORD wFlags, DISPPARAMS* pDispParams,
                      VARIANT* pVarResult, EXCEPINFO* pExcepInfo, UINT* puArgErr) override {
    if (!IsEqualGUID(riid, GUID_NULL)) return DISP_E_UNKNOWNINTERFACE;
    ITypeInfo* info = TypeInfo();
    if (info == nullptr) return TYPE_E_ELEMENTNOTFOUND;
    return DispInvoke(static_cast<Interface*>(this), info, dispIdMember, wFlags, pDispParams, pVarResult,
                      pExcepInfo, puArgErr);
  }

 private:
  // Loaded once per interface and kept for the life of the process, like a loaded type library.
  static ITypeInfo* TypeInfo() {
    static ITypeInfo* const info = [] {
      ITypeInfo* loaded = nullptr;
      return SUCCEEDED(ZGetTypeInfoOfDecl(Library, Iid, &loaded)) ? loaded : nullptr;
    }();
    return info;
  }
};

}  // namespace zplatform::automation
