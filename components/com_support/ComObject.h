// The component classes on the project's object framework (zplatform/com_object.h): AutomationObject
// adds a type-library-free IDispatch and answers QueryInterface from the class's Find(riid).
// Free-threaded; the components' library is never unloaded, so objects hold no server lock.
#pragma once

#include <oaidl.h>
#include <zplatform/com_object.h>

namespace Components {

using zplatform::com::CreateUnaggregatedInstance;

// Derived provides void* Find(REFIID): the interface pointer for riid, or null. First is the identity.
template <typename Derived, typename First, typename... Rest>
class AutomationObject : public zplatform::com::ComObjectRoot<zplatform::com::NoServerLock>,
                         public First,
                         public Rest... {
 public:
  IUnknown* GetIdentityUnknown() { return static_cast<First*>(this); }
  HRESULT InternalQueryInterface(REFIID riid, void** ppv) {
    *ppv = static_cast<Derived*>(this)->Find(riid);
    if (*ppv == nullptr) return E_NOINTERFACE;
    GetIdentityUnknown()->AddRef();
    return S_OK;
  }

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

// A new object of class T asked for Interface, with one reference; null when out of memory.
template <class T, class Interface>
Interface* NewComponentObject(REFIID iid) {
  void* object = nullptr;
  CreateUnaggregatedInstance<T>(nullptr, iid, &object);
  return static_cast<Interface*>(object);
}

}  // namespace Components
