// An owning pointer to one COM interface reference, released when it goes out of scope.
// Not thread-safe; moves transfer the reference.
#pragma once

#include <utility>

namespace zorvel_cli {

template <class T>
class ComRef {
 public:
  ComRef() = default;
  ComRef(const ComRef&) = delete;
  ComRef& operator=(const ComRef&) = delete;
  ComRef(ComRef&& other) noexcept : m_p(std::exchange(other.m_p, nullptr)) {}
  ComRef& operator=(ComRef&& other) noexcept {
    if (this != &other) {
      Reset();
      m_p = std::exchange(other.m_p, nullptr);
    }
    return *this;
  }
  ~ComRef() { Reset(); }

  void Reset() {
    if (m_p != nullptr) m_p->Release();
    m_p = nullptr;
  }
  T* operator->() const { return m_p; }
  T* Get() const { return m_p; }
  explicit operator bool() const { return m_p != nullptr; }
  void** OutVoid() {
    Reset();
    return reinterpret_cast<void**>(&m_p);
  }

 private:
  T* m_p = nullptr;
};

}  // namespace zorvel_cli
