// ITypeInfo::Invoke over a declaration: picks the member by DISPID and invoke flags, maps the
// reversed and named DISPPARAMS onto the declared parameters, coerces each with
// VariantChangeType, calls the member's thunk and hands back out values and the retval.
// Argument errors report the rgvarg index through puArgErr; a failing method gives DISP_E_EXCEPTION.
#include <cstring>
#include <vector>

#include "com/automation/type_info.h"
#include "com/automation/vartype_info.h"
#include "objbase.h"

namespace zplatform::automation::detail {

namespace {

bool IsMissing(const VARIANT& arg) { return arg.vt == VT_ERROR && arg.scode == DISP_E_PARAMNOTFOUND; }

// Storage of one declared parameter for the duration of a call.
struct Slot {
  VARIANTARG value{};         // what the thunk reads: exactly the declared type
  VARIANT owned{};            // a coerced copy, cleared after the call
  IUnknown* queried = nullptr;  // reference from QueryInterface, released after the call
  VARIANT outTemp{};          // out value stored here when the caller cannot take it directly
  VARIANT* writeBack = nullptr;  // caller's VARIANT receiving outTemp after a successful call
  bool hasOutTemp = false;
};

// The data area an out pointer to `temp` of base type vt designates.
void* OutPointer(VARIANT* temp, VARTYPE vt) {
  if (vt == VT_VARIANT) return temp;
  if (vt == VT_DECIMAL) return &temp->decVal;
  return &temp->llVal;
}

// An out value (outTemp of base type vt) as a VARIANT the caller owns; GUIDs travel as text.
HRESULT TakeOutValue(VARIANT* temp, VARTYPE vt, VARIANT* target) {
  VariantInit(target);
  if (vt == VT_VARIANT) {
    *target = *temp;
  } else if (vt == VT_CLSID) {
    GUID guid;
    std::memcpy(&guid, &temp->llVal, sizeof guid);
    OLECHAR text[39];
    StringFromGUID2(guid, text, 39);
    target->bstrVal = SysAllocString(text);
    if (target->bstrVal == nullptr) return E_OUTOFMEMORY;
    target->vt = VT_BSTR;
  } else if (vt == VT_DECIMAL) {
    target->decVal = temp->decVal;
    target->vt = VT_DECIMAL;
  } else {
    std::memcpy(&target->llVal, &temp->llVal, 16);
    target->vt = vt;
  }
  VariantInit(temp);
  return S_OK;
}

class CallFrame {
 public:
  explicit CallFrame(const MemberDecl& member) : member_(member), slots_(member.params.size()) {}
  ~CallFrame() {
    for (Slot& slot : slots_) {
      VariantClear(&slot.owned);
      if (slot.queried != nullptr) slot.queried->Release();
      if (slot.hasOutTemp) ClearOutTemp(slot);
    }
  }
  CallFrame(const CallFrame&) = delete;
  CallFrame& operator=(const CallFrame&) = delete;

  HRESULT Bind(const DISPPARAMS& params, UINT* argError);
  VARIANTARG* Arguments() {
    arguments_.resize(slots_.size());
    for (std::size_t i = 0; i < slots_.size(); ++i) arguments_[i] = slots_[i].value;
    return arguments_.data();
  }
  HRESULT Finish(VARIANT* result);

 private:
  std::size_t InputCount() const {
    const auto& p = member_.params;
    return !p.empty() && (p.back().flags & PARAMFLAG_FRETVAL) ? p.size() - 1 : p.size();
  }
  HRESULT MapArguments(const DISPPARAMS& params, std::vector<int>* sources, UINT* argError) const;
  HRESULT BindArgument(Slot& slot, const ParamDecl& param, VARIANTARG* arg);
  HRESULT BindScalar(Slot& slot, VARTYPE type, const IID* iid, VARIANTARG* arg);
  HRESULT BindOut(Slot& slot, VARTYPE type, const ParamDecl& param, VARIANTARG* arg);
  void PrepareOutTemp(Slot& slot, VARTYPE base);
  static void ClearOutTemp(Slot& slot) {
    if (slot.outTemp.vt != VT_CLSID) VariantClear(&slot.outTemp);
  }

  const MemberDecl& member_;
  std::vector<Slot> slots_;
  std::vector<VARIANTARG> arguments_;
};

// sources[i] = the rgvarg index feeding input parameter i, or -1 when the caller left it out.
HRESULT CallFrame::MapArguments(const DISPPARAMS& params, std::vector<int>* sources, UINT* argError) const {
  const std::size_t inputs = InputCount();
  const bool isPut = member_.kind == INVOKE_PROPERTYPUT || member_.kind == INVOKE_PROPERTYPUTREF;
  sources->assign(inputs, -1);
  for (UINT i = 0; i < params.cNamedArgs; ++i) {
    const DISPID id = params.rgdispidNamedArgs[i];
    const long long target = id == DISPID_PROPERTYPUT && isPut ? static_cast<long long>(inputs) - 1 : id;
    if (target < 0 || target >= static_cast<long long>(inputs) || (*sources)[static_cast<std::size_t>(target)] >= 0) {
      *argError = i;
      return DISP_E_PARAMNOTFOUND;
    }
    (*sources)[static_cast<std::size_t>(target)] = static_cast<int>(i);
  }
  const UINT positional = params.cArgs - params.cNamedArgs;
  if (positional > inputs) return DISP_E_BADPARAMCOUNT;
  for (UINT k = 0; k < positional; ++k) {
    if ((*sources)[k] >= 0) return DISP_E_BADPARAMCOUNT;
    (*sources)[k] = static_cast<int>(params.cArgs - 1 - k);
  }
  return S_OK;
}

HRESULT CallFrame::Bind(const DISPPARAMS& params, UINT* argError) {
  std::vector<int> sources;
  HRESULT hr = MapArguments(params, &sources, argError);
  if (FAILED(hr)) return hr;
  for (std::size_t i = 0; i < sources.size(); ++i) {
    const ParamDecl& param = member_.params[i];
    const bool optional = (param.flags & PARAMFLAG_FOPT) != 0;
    VARIANT missing;
    missing.vt = VT_ERROR;
    missing.scode = DISP_E_PARAMNOTFOUND;
    VARIANTARG* arg = sources[i] >= 0 ? &params.rgvarg[sources[i]] : &missing;
    if (sources[i] < 0 && !optional) return DISP_E_BADPARAMCOUNT;
    if (sources[i] >= 0 && IsMissing(*arg) && !optional) {
      *argError = static_cast<UINT>(sources[i]);
      return DISP_E_PARAMNOTOPTIONAL;
    }
    if (IsMissing(*arg) && param.type != VT_VARIANT) arg = nullptr;  // an omitted optional: the type's zero
    hr = BindArgument(slots_[i], param, arg);
    if (FAILED(hr)) {
      *argError = sources[i] >= 0 ? static_cast<UINT>(sources[i]) : 0;
      return hr;
    }
  }
  if (InputCount() < slots_.size()) {  // the retval receives into a temporary
    const VARTYPE base = static_cast<VARTYPE>(member_.params.back().type & ~VT_BYREF);
    Slot& slot = slots_.back();
    PrepareOutTemp(slot, base);
    slot.value.vt = member_.params.back().type;
    slot.value.byref = OutPointer(&slot.outTemp, base);
  }
  return S_OK;
}

void CallFrame::PrepareOutTemp(Slot& slot, VARTYPE base) {
  std::memset(&slot.outTemp, 0, sizeof slot.outTemp);
  slot.outTemp.vt = base == VT_VARIANT ? static_cast<VARTYPE>(VT_EMPTY) : base;
  slot.hasOutTemp = true;
}

HRESULT CallFrame::BindArgument(Slot& slot, const ParamDecl& param, VARIANTARG* arg) {
  const VARTYPE type = param.type;
  if (arg == nullptr) {  // omitted optional parameter
    if (type & VT_BYREF) {
      PrepareOutTemp(slot, static_cast<VARTYPE>(type & ~VT_BYREF));
      slot.value.vt = type;
      slot.value.byref = OutPointer(&slot.outTemp, static_cast<VARTYPE>(type & ~VT_BYREF));
      return S_OK;
    }
    VARIANT empty;
    VariantInit(&empty);
    return BindScalar(slot, type, nullptr, &empty);
  }
  if (type == VT_VARIANT) {
    slot.value = arg->vt == (VT_BYREF | VT_VARIANT) ? *arg->pvarVal : *arg;
    return S_OK;
  }
  if (type == (VT_BYREF | VT_VARIANT)) {
    slot.value.vt = type;
    slot.value.pvarVal = arg->vt == (VT_BYREF | VT_VARIANT) ? arg->pvarVal : arg;
    return S_OK;
  }
  if (type & VT_BYREF) return BindOut(slot, type, param, arg);
  return BindScalar(slot, type, param.iid, arg);
}

// An in value of a declared scalar, array, interface or GUID type.
HRESULT CallFrame::BindScalar(Slot& slot, VARTYPE type, const IID* iid, VARIANTARG* arg) {
  const VARIANT* view = arg->vt == (VT_BYREF | VT_VARIANT) ? arg->pvarVal : arg;
  if (type == VT_CLSID) {
    BSTR string = nullptr;
    if (view->vt == VT_BSTR) string = view->bstrVal;
    if (view->vt == (VT_BYREF | VT_BSTR)) string = *view->pbstrVal;
    GUID guid;
    if (string == nullptr || FAILED(CLSIDFromString(string, &guid))) return DISP_E_TYPEMISMATCH;
    slot.value.vt = VT_CLSID;
    std::memcpy(&slot.value.llVal, &guid, sizeof guid);
    return S_OK;
  }
  if (view->vt == type) {
    slot.value = *view;
  } else if (view->vt == (type | VT_BYREF) && !(type & VT_ARRAY) && type != VT_DECIMAL) {
    slot.value.vt = type;
    std::memcpy(&slot.value.llVal, view->byref, ElementSize(type));
  } else {
    const HRESULT hr = VariantChangeTypeEx(&slot.owned, view, LOCALE_USER_DEFAULT, 0, type);
    if (FAILED(hr)) return hr;
    slot.value = slot.owned;
  }
  if (iid != nullptr && (type == VT_UNKNOWN || type == VT_DISPATCH) && slot.value.punkVal != nullptr) {
    if (FAILED(slot.value.punkVal->QueryInterface(*iid, reinterpret_cast<void**>(&slot.queried)))) {
      return DISP_E_TYPEMISMATCH;
    }
    slot.value.punkVal = slot.queried;
  }
  return S_OK;
}

// An out or in/out pointer: the caller's own reference when the types match, else a temporary
// that is written back into the caller's VARIANT (passed as VT_BYREF | VT_VARIANT).
HRESULT CallFrame::BindOut(Slot& slot, VARTYPE type, const ParamDecl& param, VARIANTARG* arg) {
  const auto base = static_cast<VARTYPE>(type & ~VT_BYREF);
  if (arg->vt == type) {
    slot.value = *arg;
    return S_OK;
  }
  if (arg->vt != (VT_BYREF | VT_VARIANT) || base == VT_CLSID) return DISP_E_TYPEMISMATCH;
  PrepareOutTemp(slot, base);
  if ((param.flags & PARAMFLAG_FIN) && arg->pvarVal->vt != VT_EMPTY) {
    const HRESULT hr = VariantChangeTypeEx(&slot.outTemp, arg->pvarVal, LOCALE_USER_DEFAULT, 0, base);
    if (FAILED(hr)) return hr;
  }
  slot.value.vt = type;
  slot.value.byref = OutPointer(&slot.outTemp, base);
  slot.writeBack = arg->pvarVal;
  return S_OK;
}

HRESULT CallFrame::Finish(VARIANT* result) {
  for (std::size_t i = 0; i < InputCount(); ++i) {
    Slot& slot = slots_[i];
    if (slot.writeBack == nullptr) continue;
    VariantClear(slot.writeBack);
    const HRESULT hr = TakeOutValue(&slot.outTemp, static_cast<VARTYPE>(member_.params[i].type & ~VT_BYREF),
                                    slot.writeBack);
    if (FAILED(hr)) return hr;
  }
  if (InputCount() == slots_.size()) {
    if (result != nullptr) VariantInit(result);
    return S_OK;
  }
  Slot& retval = slots_.back();
  const auto base = static_cast<VARTYPE>(member_.params.back().type & ~VT_BYREF);
  if (result == nullptr) return S_OK;  // the destructor frees the unwanted value
  return TakeOutValue(&retval.outTemp, base, result);
}

}  // namespace

STDMETHODIMP DeclTypeInfo::Invoke(PVOID pvInstance, MEMBERID memid, WORD wFlags, DISPPARAMS* pDispParams,
                                  VARIANT* pVarResult, EXCEPINFO* pExcepInfo, UINT* puArgErr) {
  if (pvInstance == nullptr || pDispParams == nullptr || pDispParams->cNamedArgs > pDispParams->cArgs ||
      (pDispParams->cArgs > 0 && pDispParams->rgvarg == nullptr) ||
      (pDispParams->cNamedArgs > 0 && pDispParams->rgdispidNamedArgs == nullptr)) {
    return E_INVALIDARG;
  }
  const MemberDecl* member = FindMember(memid, wFlags);
  if (member == nullptr) return DISP_E_MEMBERNOTFOUND;
  CallFrame frame(*member);
  UINT argError = 0;
  HRESULT hr = frame.Bind(*pDispParams, &argError);
  if (FAILED(hr)) {
    if (puArgErr != nullptr && hr != DISP_E_BADPARAMCOUNT) *puArgErr = argError;
    return hr;
  }
  hr = member->thunk.function(pvInstance, frame.Arguments());
  if (FAILED(hr)) {
    if (pExcepInfo != nullptr) {
      std::memset(pExcepInfo, 0, sizeof *pExcepInfo);
      pExcepInfo->scode = hr;
      pExcepInfo->bstrSource = MakeBstr(Name());
    }
    return DISP_E_EXCEPTION;
  }
  return frame.Finish(pVarResult);
}

}  // namespace zplatform::automation::detail
