// Reference counting, QueryInterface and (AutomationObject) a type-library-free IDispatch for the
// component classes. Derived classes list their interfaces and answer Find(riid) with the pointer.
// Free-threaded: the count is atomic; objects start with one reference owned by their creator.
#pragma once

#include <atomic>

#include <oaidl.h>

namespace Components {

template <typename Derived, typename... Interfaces>
class ComObject : public Interfaces... {
 public:
  STDMETHOD(QueryInterface)(REFIID riid, void** ppv) override {
    if (ppv == nullptr) return E_POINTER;
    *ppv = static_cast<Derived*>(this)->Find(riid);
    if (*ppv == nullptr) return E_NOINTERFACE;
    AddRef();
    return S_OK;
  }
  STDMETHOD_(ULONG, AddRef)() override { return m_references.fetch_add(1, std::memory_order_relaxed) + 1; }
  STDMETHOD_(ULONG, Release)() override {
    const ULONG left = m_references.fetch_sub(1, std::memory_order_acq_rel) - 1;
    if (left == 0) delete static_cast<Derived*>(this);
    return left;
  }

 protected:
  ComObject() = default;
  ~ComObject() = default;

 private:
  std::atomic<ULONG> m_references{1};
};

// For interfaces derived from IDispatch: reached through their vtables, with no type information.
template <typename Derived, typename... Interfaces>
class AutomationObject : public ComObject<Derived, Interfaces...> {
 public:
  STDMETHOD(GetTypeInfoCount)(UINT* pctinfo) override {
    if (pctinfo == nullptr) return E_POINTER;
    *pctinfo = 0;
    return S_OK;
  }
  STDMETHOD(GetTypeInfo)(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  STDMETHOD(GetIDsOfNames)(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
  STDMETHOD(Invoke)(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
    return E_NOTIMPL;
  }

 protected:
  AutomationObject() = default;
  ~AutomationObject() = default;
};

}  // namespace Components
