// A minimal free-standing COM object for tests: counts its references and reports destruction.
// Used by the VARIANT, SAFEARRAY and registry tests to see exactly when references are released.
#pragma once

#include <atomic>

#include "oaidl.h"

class CountedObject final : public IUnknown {
 public:
  explicit CountedObject(bool* destroyed = nullptr) : destroyed_(destroyed) {}
  STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
    if (ppv == nullptr) return E_POINTER;
    *ppv = IsEqualGUID(riid, IID_IUnknown) ? this : nullptr;
    if (*ppv == nullptr) return E_NOINTERFACE;
    AddRef();
    return S_OK;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return ++refs_; }
  STDMETHODIMP_(ULONG) Release() override {
    const ULONG left = --refs_;
    if (left == 0) {
      if (destroyed_ != nullptr) *destroyed_ = true;
      delete this;
    }
    return left;
  }
  ULONG refs() const { return refs_; }

 private:
  std::atomic<ULONG> refs_{1};
  bool* destroyed_;
};
