// Object wrappers that give a COM class of the module its IUnknown: a plain object with its own
// reference count, or an object aggregated inside an outer object, and the creator for both.
// Counts are atomic; every live object holds one module lock from construction to destruction.
#pragma once

#include <atomic>
#include <new>

#include <unknwn.h>

#include "RegistrationFreeComModule.h"

namespace ZorvelCom {

// Reference count during tear-down: references taken and dropped meanwhile never reach 0 again.
inline constexpr LONG kDestructionGuard = -1073741823;

// Base of the module's COM classes. A class T derived from it provides
//   IUnknown* GetIdentityUnknown()                         (its IUnknown-compatible interface),
//   HRESULT InternalQueryInterface(REFIID, void**)          (every interface but IUnknown),
//   HRESULT FinalConstruct(), void FinalRelease().
class ComObjectRoot {
 public:
  IUnknown* GetControllingUnknown() const { return m_pControllingUnknown; }

 protected:
  ComObjectRoot() = default;
  ~ComObjectRoot() = default;

  IUnknown* m_pControllingUnknown = nullptr;  // not owned: the object itself or its outer object
};

// A stand-alone object: IUnknown is the object's own.
template <class T>
class ComObject final : public T {
 public:
  ComObject() {
    this->m_pControllingUnknown = this->GetIdentityUnknown();
    ModuleInstance().Lock();
  }
  ~ComObject() {
    m_refCount = kDestructionGuard;
    this->FinalRelease();
    ModuleInstance().Unlock();
  }
  ComObject(const ComObject&) = delete;
  ComObject& operator=(const ComObject&) = delete;

  STDMETHOD(QueryInterface)(REFIID riid, void** ppv) override {
    if (ppv == nullptr) return E_POINTER;
    if (IsEqualGUID(riid, IID_IUnknown)) {
      *ppv = this->GetIdentityUnknown();
      AddRef();
      return S_OK;
    }
    return this->InternalQueryInterface(riid, ppv);
  }
  STDMETHOD_(ULONG, AddRef)() override { return static_cast<ULONG>(++m_refCount); }
  STDMETHOD_(ULONG, Release)() override {
    const LONG count = --m_refCount;
    if (count == 0) delete this;
    return static_cast<ULONG>(count);
  }

  // FinalConstruct runs with one temporary reference so that pointers handed out meanwhile cannot
  // destroy the object; the reference is dropped without destroying.
  HRESULT Construct() {
    ++m_refCount;
    const HRESULT hr = this->FinalConstruct();
    --m_refCount;
    return hr;
  }

 private:
  std::atomic<LONG> m_refCount{0};
};

// The aggregated part: every IUnknown call goes to the outer object.
template <class T>
class ComContainedObject final : public T {
 public:
  explicit ComContainedObject(IUnknown* outer) { this->m_pControllingUnknown = outer; }

  STDMETHOD(QueryInterface)(REFIID riid, void** ppv) override {
    return this->m_pControllingUnknown->QueryInterface(riid, ppv);
  }
  STDMETHOD_(ULONG, AddRef)() override { return this->m_pControllingUnknown->AddRef(); }
  STDMETHOD_(ULONG, Release)() override { return this->m_pControllingUnknown->Release(); }
};

// An object aggregated inside an outer object; this is its non-delegating IUnknown.
template <class T>
class ComAggObject final : public IUnknown {
 public:
  explicit ComAggObject(IUnknown* outer) : m_contained(outer) { ModuleInstance().Lock(); }
  ~ComAggObject() {
    m_refCount = kDestructionGuard;
    m_contained.FinalRelease();
    ModuleInstance().Unlock();
  }
  ComAggObject(const ComAggObject&) = delete;
  ComAggObject& operator=(const ComAggObject&) = delete;

  STDMETHOD(QueryInterface)(REFIID riid, void** ppv) override {
    if (ppv == nullptr) return E_POINTER;
    if (IsEqualGUID(riid, IID_IUnknown)) {
      *ppv = static_cast<IUnknown*>(this);
      AddRef();
      return S_OK;
    }
    return m_contained.InternalQueryInterface(riid, ppv);
  }
  STDMETHOD_(ULONG, AddRef)() override { return static_cast<ULONG>(++m_refCount); }
  STDMETHOD_(ULONG, Release)() override {
    const LONG count = --m_refCount;
    if (count == 0) delete this;
    return static_cast<ULONG>(count);
  }

  HRESULT Construct() {
    ++m_refCount;
    const HRESULT hr = m_contained.FinalConstruct();
    --m_refCount;
    return hr;
  }

 private:
  std::atomic<LONG> m_refCount{0};
  ComContainedObject<T> m_contained;
};

// Instance creator of the object map: a plain object, or an aggregated one when outer is given
// (then only IUnknown may be asked for). A failed construction or query destroys the object again.
template <class T>
HRESULT CreateComInstance(IUnknown* outer, REFIID riid, void** ppv) {
  if (ppv == nullptr) return E_POINTER;
  *ppv = nullptr;
  if (outer != nullptr && !IsEqualGUID(riid, IID_IUnknown)) return CLASS_E_NOAGGREGATION;
  IUnknown* object = nullptr;
  HRESULT hr = S_OK;
  if (outer == nullptr) {
    auto* plain = new (std::nothrow) ComObject<T>();
    if (plain == nullptr) return E_OUTOFMEMORY;
    object = plain->GetIdentityUnknown();
    hr = plain->Construct();
  } else {
    auto* aggregated = new (std::nothrow) ComAggObject<T>(outer);
    if (aggregated == nullptr) return E_OUTOFMEMORY;
    object = aggregated;
    hr = aggregated->Construct();
  }
  object->AddRef();
  if (SUCCEEDED(hr)) hr = object->QueryInterface(riid, ppv);
  object->Release();
  return hr;
}

}  // namespace ZorvelCom
