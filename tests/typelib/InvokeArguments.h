// Builds the DISPPARAMS of a late-bound call from a member's declaration: every non-retval
// parameter gets a zero value of exactly its passed type, by-reference ones backed by storage.
#pragma once

#include <oleauto.h>
#include <zplatform/automation.h>

#include <deque>
#include <vector>

namespace typelib_test {

class InvokeArguments {
 public:
  explicit InvokeArguments(const zplatform::automation::MemberDecl& member) {
    for (const auto& param : member.params) {
      if (param.flags & PARAMFLAG_FRETVAL) continue;
      VARIANT arg{};  // a zero value of every type: null pointers, 0, empty text
      arg.vt = param.type;
      if (param.type & VT_BYREF) arg.byref = &storage_.emplace_back();
      if (param.type == VT_CLSID) {  // an identifier travels by value as its registry text
        arg.vt = VT_BSTR;
        arg.bstrVal = texts_.emplace_back(SysAllocString(u"{00000000-0000-0000-0000-000000000000}"));
      }
      args_.push_back(arg);
    }
    reversed_.assign(args_.rbegin(), args_.rend());
    params_.rgvarg = reversed_.data();
    params_.cArgs = static_cast<UINT>(reversed_.size());
    if (member.kind == INVOKE_PROPERTYPUT || member.kind == INVOKE_PROPERTYPUTREF) {
      params_.rgdispidNamedArgs = &putId_;
      params_.cNamedArgs = 1;
    }
  }
  ~InvokeArguments() {
    for (BSTR text : texts_) SysFreeString(text);
  }
  InvokeArguments(const InvokeArguments&) = delete;
  InvokeArguments& operator=(const InvokeArguments&) = delete;

  DISPPARAMS* Params() { return &params_; }

  // False when a parameter has no form a VARIANT can carry (a pointer to a pointer).
  static bool Representable(const zplatform::automation::MemberDecl& member) {
    for (const auto& param : member.params) {
      if ((param.type & VT_TYPEMASK) == VT_PTR) return false;
    }
    return true;
  }

 private:
  // Zeroed room for whatever a by-reference argument points at (the largest is a VARIANT).
  struct Slot {
    alignas(VARIANT) unsigned char bytes[sizeof(VARIANT)] = {};
  };
  std::deque<Slot> storage_;
  std::vector<BSTR> texts_;
  std::vector<VARIANT> args_;
  std::vector<VARIANT> reversed_;
  DISPID putId_ = DISPID_PROPERTYPUT;
  DISPPARAMS params_{};
};

}  // namespace typelib_test
