// The loan helpers around the host's bitmap and memory buffer: lending, handing back, refusing
// a hand-back that does not match the loan, and clearing on every path.
#include <KLVMemoryBufferHelper.h>
#include <KLVZorvelHelper.h>

#include <cstring>

#include "decoder_support.h"

namespace decoder_test {
namespace {

using KLVMemoryBufferHelper::CKLVMemoryBufferHelper;
using KLVZorvelHelper::CKLVBitmapImage2LockHelper;

TEST(BitmapLoanHelper, LendsWritesAndHandsBack) {
  ComPtr<IKLVBitmapImage2> bitmap;
  ASSERT_EQ(CreateComponent(CLSID_KLVBitmapImage, IID_IKLVBitmapImage2, bitmap), S_OK);
  ASSERT_EQ(bitmap->Create(4, 2, 12, 0x00021808), S_OK);
  {
    CKLVBitmapImage2LockHelper lock;
    ULONG size = 0;
    BYTE* bits = nullptr;
    EXPECT_EQ(lock.RWLockBitsForNative(nullptr, size, bits), E_INVALIDARG);
    ASSERT_EQ(lock.RWLockBitsForNative(bitmap.Get(), size, bits), S_OK);
    ASSERT_EQ(size, 24u);
    std::memset(bits, 0x42, size);
  }  // destruction hands the bytes back, keeping them
  ULONG size = 0;
  BYTE* bits = nullptr;
  ASSERT_EQ(bitmap->RemoteGetBits(&size, &bits), S_OK);
  EXPECT_EQ(bits[23], 0x42);
  bitmap->RemoteCancelBits(&size, &bits);
  CKLVBitmapImage2LockHelper idle;
  idle.Clear();  // nothing held: nothing happens
}

TEST(MemoryBufferLoanHelper, MismatchedHandBackKeepsTheLoanUntilClear) {
  ComPtr<IKLVMemoryBuffer> buffer;
  ASSERT_EQ(CreateComponent(CLSID_KLVMemoryBuffer, IID_IKLVMemoryBuffer, buffer), S_OK);
  ASSERT_EQ(buffer->ReCreateWithAlloc(16), S_OK);
  CKLVMemoryBufferHelper helper;
  EXPECT_EQ(helper.PassRWPtr(16, nullptr), E_FAIL);  // nothing lent yet
  LONG size = 0;
  char* data = nullptr;
  ASSERT_EQ(helper.GetRWPtr(buffer.Get(), size, data), S_OK);
  ASSERT_EQ(size, 16);
  std::memset(data, 0x17, 16);
  EXPECT_EQ(helper.PassRWPtr(15, data), E_INVALIDARG);
  EXPECT_EQ(helper.PassRWPtr(16, data + 1), E_INVALIDARG);
  helper.Clear();  // hands the held pointer back
  EXPECT_EQ(helper.PassRWPtr(16, data), E_FAIL);
  ASSERT_EQ(helper.GetRWPtr(buffer.Get(), size, data), S_OK);
  EXPECT_EQ(data[15], 0x17);
  EXPECT_EQ(helper.PassRWPtr(size, data), S_OK);
  EXPECT_EQ(helper.GetRWPtr(nullptr, size, data), E_INVALIDARG);
}

}  // namespace
}  // namespace decoder_test
