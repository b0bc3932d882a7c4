// CSeCArray: a growable array of values with index checks that report instead of throwing,
// for the library's callers that keep small lists (handles, names) beside COM code.
// Not thread-safe; one owner at a time.
#pragma once

#include <vector>

#include "windows.h"

template <class T>
class CSeCArray {
 public:
  INT GetSize() const { return static_cast<INT>(m_items.size()); }
  bool IsEmpty() const { return m_items.empty(); }
  void Add(const T& item) { m_items.push_back(item); }
  void RemoveAll() { m_items.clear(); }
  // E_INVALIDARG for an index outside 0..size-1; the array is unchanged then.
  HRESULT GetAt(INT index, T& item) const {
    if (index < 0 || index >= GetSize()) return E_INVALIDARG;
    item = m_items[static_cast<size_t>(index)];
    return S_OK;
  }
  HRESULT SetAt(INT index, const T& item) {
    if (index < 0 || index >= GetSize()) return E_INVALIDARG;
    m_items[static_cast<size_t>(index)] = item;
    return S_OK;
  }
  HRESULT RemoveAt(INT index) {
    if (index < 0 || index >= GetSize()) return E_INVALIDARG;
    m_items.erase(m_items.begin() + index);
    return S_OK;
  }
  const T* GetData() const { return m_items.data(); }

 private:
  std::vector<T> m_items;
};
