// The host bitmap: sizing, both lending protocols, hand-back checks, resizing refused while lent,
// and concurrent writers through one loan.
#include <gtest/gtest.h>

#include <thread>

#include "bitmap/BitmapImage.h"
#include <zplatform/com_ptr.h>

namespace Components::Testing {
namespace {

constexpr LONG kBgr24 = 0x00021808;
constexpr LONG kGrey8 = 0x00100803;

ComPtr<IKLVBitmapImage2> SecondInterface(IKLVBitmapImage* bitmap) {
  void* p = nullptr;
  EXPECT_EQ(bitmap->QueryInterface(IID_IKLVBitmapImage2, &p), S_OK);
  return ComPtr<IKLVBitmapImage2>(static_cast<IKLVBitmapImage2*>(p));
}

TEST(BitmapImageTest, CreateChecksTheGeometry) {
  struct Case {
    LONG width, height, stride, format;
    HRESULT expected;
  };
  const Case cases[] = {
      {5, 3, 16, kBgr24, S_OK},          {5, 3, 15, kBgr24, S_OK},        {5, 3, 14, kBgr24, E_INVALIDARG},
      {5, 3, 8, kGrey8, S_OK},           {0, 0, 0, kBgr24, S_OK},         {-1, 3, 16, kBgr24, E_INVALIDARG},
      {5, -3, 16, kBgr24, E_INVALIDARG}, {5, 3, 16, 0, E_INVALIDARG},     {5, 3, -16, kBgr24, E_INVALIDARG},
      {65536, 65536, 0x7FFFFFFF, kBgr24, E_OUTOFMEMORY},
  };
  auto bitmap = ComPtr<IKLVBitmapImage>(CreateBitmapImage());
  for (const auto& c : cases) {
    EXPECT_EQ(bitmap->Create(c.width, c.height, c.stride, c.format), c.expected)
        << c.width << "x" << c.height << " stride " << c.stride;
  }
  EXPECT_EQ(bitmap->get_Width(nullptr), E_POINTER);
}

TEST(BitmapImageTest, LendsKeepsAndRefusesResizingWhileLent) {
  auto bitmap = ComPtr<IKLVBitmapImage>(CreateBitmapImage());
  auto second = SecondInterface(bitmap.Get());
  ULONG size = 0;
  BYTE* bits = nullptr;
  EXPECT_EQ(second->RemoteGetBits(&size, &bits), E_FAIL);  // no size yet
  ASSERT_EQ(second->Create(4, 2, 12, kBgr24), S_OK);
  ASSERT_EQ(second->RemoteGetBits(&size, &bits), S_OK);
  ASSERT_EQ(size, 24u);
  bits[0] = 0xAB;
  EXPECT_EQ(bitmap->Create(8, 8, 24, kBgr24), E_ACCESSDENIED);
  ULONG wrongSize = size - 1;
  EXPECT_EQ(second->RemotePassBits(&wrongSize, &bits), E_INVALIDARG);
  ASSERT_EQ(second->RemotePassBits(&size, &bits), S_OK);
  EXPECT_EQ(size, 0u);
  EXPECT_EQ(bits, nullptr);
  EXPECT_EQ(second->RemotePassBits(&size, &bits), E_INVALIDARG);  // nothing lent any more
  CHAR* locked = nullptr;
  ASSERT_EQ(bitmap->LockBits(&locked), S_OK);
  EXPECT_EQ(static_cast<BYTE>(locked[0]), 0xAB);  // kept after the hand-back
  EXPECT_EQ(bitmap->UnlockBits(locked + 1), E_INVALIDARG);
  EXPECT_EQ(bitmap->UnlockBits(locked), S_OK);
  ASSERT_EQ(second->RemoteGetBits(&size, &bits), S_OK);
  EXPECT_EQ(second->RemoteCancelBits(&size, &bits), S_OK);
  EXPECT_EQ(bits, nullptr);
  EXPECT_EQ(bitmap->Create(8, 8, 24, kBgr24), S_OK);  // every loan is back
}

TEST(BitmapImageTest, ManyThreadsWriteThroughOneLoan) {
  auto bitmap = ComPtr<IKLVBitmapImage>(CreateBitmapImage());
  auto second = SecondInterface(bitmap.Get());
  const LONG width = 64, height = 64, stride = 192;
  ASSERT_EQ(second->Create(width, height, stride, kBgr24), S_OK);
  ULONG size = 0;
  BYTE* bits = nullptr;
  ASSERT_EQ(second->RemoteGetBits(&size, &bits), S_OK);
  std::vector<std::thread> writers;
  for (int t = 0; t < 4; ++t) {
    writers.emplace_back([=] {
      for (LONG y = t; y < height; y += 4) std::fill_n(bits + y * stride, stride, static_cast<BYTE>(y));
    });
  }
  for (auto& writer : writers) writer.join();
  BYTE* lent = bits;
  ASSERT_EQ(second->RemotePassBits(&size, &bits), S_OK);
  for (LONG y = 0; y < height; ++y) ASSERT_EQ(lent[y * stride + stride - 1], static_cast<BYTE>(y));
}

TEST(BitmapImageTest, AnswersBothInterfacesOnOneObject) {
  auto bitmap = ComPtr<IKLVBitmapImage>(CreateBitmapImage());
  auto second = SecondInterface(bitmap.Get());
  void* back = nullptr;
  ASSERT_EQ(second->QueryInterface(IID_IKLVBitmapImage, &back), S_OK);
  EXPECT_EQ(back, bitmap.Get());
  static_cast<IUnknown*>(back)->Release();
  void* none = nullptr;
  EXPECT_EQ(bitmap->QueryInterface(IID_IKLVMemoryBuffer, &none), E_NOINTERFACE);
}

}  // namespace
}  // namespace Components::Testing
