// ComPtr<T>: an owning pointer to one COM interface reference, released when it goes out of scope.
// Construction from a raw pointer adopts its reference; copies AddRef, moves transfer. Not thread-safe:
// one owner per ComPtr object, like any value.
#pragma once

#include <cstddef>
#include <utility>

template <class T>
class ComPtr {
 public:
  ComPtr() noexcept = default;
  ComPtr(std::nullptr_t) noexcept {}
  explicit ComPtr(T* adopted) noexcept : m_p(adopted) {}
  ComPtr(const ComPtr& other) noexcept : m_p(other.m_p) {
    if (m_p != nullptr) m_p->AddRef();
  }
  ComPtr(ComPtr&& other) noexcept : m_p(std::exchange(other.m_p, nullptr)) {}
  ComPtr& operator=(ComPtr other) noexcept {
    std::swap(m_p, other.m_p);
    return *this;
  }
  ~ComPtr() { Reset(); }

  // Releases the held reference and adopts `adopted` (which may be null).
  void Reset(T* adopted = nullptr) noexcept {
    T* old = std::exchange(m_p, adopted);
    if (old != nullptr) old->Release();
  }
  // Gives the reference up to the caller.
  T* Detach() noexcept { return std::exchange(m_p, nullptr); }
  T* Get() const noexcept { return m_p; }
  T* operator->() const noexcept { return m_p; }
  explicit operator bool() const noexcept { return m_p != nullptr; }
  // For out parameters: releases what is held and lends the slot.
  T** Out() noexcept {
    Reset();
    return &m_p;
  }
  void** OutVoid() noexcept { return reinterpret_cast<void**>(Out()); }

 private:
  T* m_p = nullptr;
};
