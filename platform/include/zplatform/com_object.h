// The one COM object framework of the project, shared by the module and the components: objects
// with their own IUnknown or aggregated inside an outer object, their instance creators, and the
// class factory over an instance creator. A ServerLock type (static Lock / Unlock) says what keeps
// the server loaded: every live object and every host reference to a class factory hold one lock.
// Counts are atomic: objects and factories are free-threaded.
#pragma once

#include <atomic>
#include <new>

#include "../unknwn.h"

namespace zplatform::com {

// For servers that are never unloaded.
struct NoServerLock {
  static void Lock() {}
  static void Unlock() {}
};

using InstanceCreator = HRESULT (*)(IUnknown* outer, REFIID riid, void** ppv);

// Reference count during tear-down: references taken and dropped meanwhile never reach 0 again.
inline constexpr LONG kDestructionGuard = -1073741823;

namespace detail {

// The count and non-delegating IUnknown calls of an object that owns its count: Self is the class
// deleted at 0, Inner the COM class that answers InternalQueryInterface and FinalConstruct.
template <class Self>
class OwnCount {
 public:
  ULONG Add() { return static_cast<ULONG>(++m_refCount); }
  ULONG Drop(Self* self) {
    const LONG count = --m_refCount;
    if (count == 0) delete self;
    return static_cast<ULONG>(count);
  }
  void BeginDestruction() { m_refCount = kDestructionGuard; }
  template <class Inner>
  HRESULT Query(IUnknown* identity, Inner& inner, REFIID riid, void** ppv) {
    if (ppv == nullptr) return E_POINTER;
    if (IsEqualGUID(riid, IID_IUnknown)) {
      *ppv = identity;
      Add();
      return S_OK;
    }
    return inner.InternalQueryInterface(riid, ppv);
  }
  // FinalConstruct runs with one temporary reference so that pointers handed out meanwhile cannot
  // destroy the object; the reference is dropped without destroying.
  template <class Inner>
  HRESULT Construct(Inner& inner) {
    ++m_refCount;
    const HRESULT hr = inner.FinalConstruct();
    --m_refCount;
    return hr;
  }

 private:
  std::atomic<LONG> m_refCount{0};
};

}  // namespace detail

// Base of a COM class. A class T derived from it provides
//   IUnknown* GetIdentityUnknown()                         (its IUnknown-compatible interface),
//   HRESULT InternalQueryInterface(REFIID, void**)          (every interface but IUnknown),
// and may hide FinalConstruct / FinalRelease.
template <class Lock>
class ComObjectRoot {
 public:
  using ServerLock = Lock;
  IUnknown* GetControllingUnknown() const { return m_pControllingUnknown; }
  HRESULT FinalConstruct() { return S_OK; }
  void FinalRelease() {}

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
    T::ServerLock::Lock();
  }
  ~ComObject() {
    m_count.BeginDestruction();
    this->FinalRelease();
    T::ServerLock::Unlock();
  }
  ComObject(const ComObject&) = delete;
  ComObject& operator=(const ComObject&) = delete;

  STDMETHOD(QueryInterface)(REFIID riid, void** ppv) override {
    return m_count.Query(this->GetIdentityUnknown(), static_cast<T&>(*this), riid, ppv);
  }
  STDMETHOD_(ULONG, AddRef)() override { return m_count.Add(); }
  STDMETHOD_(ULONG, Release)() override { return m_count.Drop(this); }
  HRESULT Construct() { return m_count.Construct(static_cast<T&>(*this)); }

 private:
  detail::OwnCount<ComObject> m_count;
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
  explicit ComAggObject(IUnknown* outer) : m_contained(outer) { T::ServerLock::Lock(); }
  ~ComAggObject() {
    m_count.BeginDestruction();
    m_contained.FinalRelease();
    T::ServerLock::Unlock();
  }
  ComAggObject(const ComAggObject&) = delete;
  ComAggObject& operator=(const ComAggObject&) = delete;

  STDMETHOD(QueryInterface)(REFIID riid, void** ppv) override {
    return m_count.Query(this, static_cast<T&>(m_contained), riid, ppv);
  }
  STDMETHOD_(ULONG, AddRef)() override { return m_count.Add(); }
  STDMETHOD_(ULONG, Release)() override { return m_count.Drop(this); }
  HRESULT Construct() { return m_count.Construct(static_cast<T&>(m_contained)); }

 private:
  detail::OwnCount<ComAggObject> m_count;
  ComContainedObject<T> m_contained;
};

// Instance creator: a plain object, or an aggregated one when outer is given (then only IUnknown
// may be asked for). A failed construction or query destroys the object again.
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

// Instance creator of a class that cannot be aggregated: CLASS_E_NOAGGREGATION for any outer object.
template <class T>
HRESULT CreateUnaggregatedInstance(IUnknown* outer, REFIID riid, void** ppv) {
  if (ppv == nullptr) return E_POINTER;
  *ppv = nullptr;
  if (outer != nullptr) return CLASS_E_NOAGGREGATION;
  return CreateComInstance<T>(nullptr, riid, ppv);
}

// The class object of a creatable class: IClassFactory over its instance creator. The first
// reference is its owner's (a class cache or registry); every further one, a host's, holds a server
// lock, as LockServer does.
template <class Lock>
class ClassFactory final : public IClassFactory {
 public:
  // Class-factory creator: a new factory asked for riid.
  static HRESULT Create(InstanceCreator createInstance, REFIID riid, void** ppv) {
    if (ppv == nullptr) return E_POINTER;
    *ppv = nullptr;
    auto* factory = new (std::nothrow) ClassFactory(createInstance);
    if (factory == nullptr) return E_OUTOFMEMORY;
    factory->AddRef();
    const HRESULT hr = factory->QueryInterface(riid, ppv);
    factory->Release();
    return hr;
  }

  STDMETHOD(QueryInterface)(REFIID riid, void** ppv) override {
    if (ppv == nullptr) return E_POINTER;
    if (IsEqualGUID(riid, IID_IUnknown) || IsEqualGUID(riid, IID_IClassFactory)) {
      *ppv = static_cast<IClassFactory*>(this);
      AddRef();
      return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
  }
  STDMETHOD_(ULONG, AddRef)() override {
    const LONG count = ++m_refCount;
    if (count == 2) Lock::Lock();
    return static_cast<ULONG>(count);
  }
  STDMETHOD_(ULONG, Release)() override {
    const LONG count = --m_refCount;
    if (count == 1) Lock::Unlock();
    if (count == 0) delete this;
    return static_cast<ULONG>(count);
  }
  STDMETHOD(CreateInstance)(IUnknown* outer, REFIID riid, void** ppv) override {
    return m_createInstance(outer, riid, ppv);
  }
  STDMETHOD(LockServer)(BOOL lock) override {
    if (lock) {
      Lock::Lock();
    } else {
      Lock::Unlock();
    }
    return S_OK;
  }

 private:
  explicit ClassFactory(InstanceCreator createInstance) : m_createInstance(createInstance) {}
  ~ClassFactory() = default;

  InstanceCreator m_createInstance;
  std::atomic<LONG> m_refCount{0};
};

}  // namespace zplatform::com
