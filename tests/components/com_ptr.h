// A minimal owning interface pointer for the component tests: releases its reference at the end.
#pragma once

#include <memory>

#include <unknwn.h>

namespace Components::Testing {

struct ReleaseInterface {
  void operator()(IUnknown* p) const {
    if (p != nullptr) p->Release();
  }
};

template <typename T>
using Owned = std::unique_ptr<T, ReleaseInterface>;

}  // namespace Components::Testing
