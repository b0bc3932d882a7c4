// Test support: new instances of the outside components' host objects (bitmap, memory buffer),
// registered on first use, as a host that links the components creates them.
#pragma once

#include <KLVComponents.h>
#include <KLVInterfaces/KLVHostObjects.h>
#include <objbase.h>

#include <gtest/gtest.h>
#include <zplatform/com_ptr.h>

namespace test_support {

template <class T>
ComPtr<T> NewComponent(REFCLSID clsid, REFIID iid) {
  ComPtr<T> object;
  EXPECT_EQ(ZorvelComponentsRegister(), S_OK);
  EXPECT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, iid, object.OutVoid()), S_OK);
  return object;
}

inline ComPtr<IKLVBitmapImage> NewBitmap() {
  return NewComponent<IKLVBitmapImage>(CLSID_KLVBitmapImage, IID_IKLVBitmapImage);
}

inline ComPtr<IKLVMemoryBuffer> NewBuffer() {
  return NewComponent<IKLVMemoryBuffer>(CLSID_KLVMemoryBuffer, IID_IKLVMemoryBuffer);
}

}  // namespace test_support
