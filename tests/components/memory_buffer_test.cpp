// The memory buffer: allocation, lending protocol, refused reallocation while lent, byte arrays.
#include <gtest/gtest.h>

#include <cstring>

#include <oleauto.h>

#include <zplatform/com_ptr.h>
#include "membuffer/MemoryBuffer.h"

namespace Components::Testing {
namespace {

TEST(MemoryBufferTest, LendsKeepsAndReallocatesOnlyWhenNothingIsLent) {
  auto buffer = ComPtr<IKLVMemoryBuffer>(CreateMemoryBuffer());
  LONG size = -1;
  CHAR* data = reinterpret_cast<CHAR*>(1);
  ASSERT_EQ(buffer->RemoteGetPtr(&size, &data), S_OK);  // empty: nothing lent
  EXPECT_EQ(size, 0);
  EXPECT_EQ(data, nullptr);
  EXPECT_EQ(buffer->ReCreateWithAlloc(-1), E_INVALIDARG);
  ASSERT_EQ(buffer->ReCreateWithAlloc(10), S_OK);
  ASSERT_EQ(buffer->RemoteGetPtr(&size, &data), S_OK);
  ASSERT_EQ(size, 10);
  std::memcpy(data, "0123456789", 10);
  EXPECT_EQ(buffer->ReCreateWithAlloc(20), E_ACCESSDENIED);
  EXPECT_EQ(buffer->Destroy(), E_ACCESSDENIED);
  LONG other = 9;
  EXPECT_EQ(buffer->RemotePassPtr(&other, &data), E_INVALIDARG);
  ASSERT_EQ(buffer->RemotePassPtr(&size, &data), S_OK);
  EXPECT_EQ(size, 0);
  EXPECT_EQ(data, nullptr);
  ASSERT_EQ(buffer->ReCreateWithReAlloc(4), S_OK);  // keeps the first bytes
  ASSERT_EQ(buffer->RemoteGetPtr(&size, &data), S_OK);
  EXPECT_EQ(std::string(data, 4), "0123");
  EXPECT_EQ(buffer->RemoteCancelPtr(&size, &data), S_OK);
  EXPECT_EQ(buffer->RemoteCancelPtr(&size, &data), E_INVALIDARG);  // nothing lent any more
  EXPECT_EQ(buffer->GetSize(&size), S_OK);
  EXPECT_EQ(size, 4);
  EXPECT_EQ(buffer->Destroy(), S_OK);
  EXPECT_EQ(buffer->GetSize(&size), S_OK);
  EXPECT_EQ(size, 0);
  EXPECT_EQ(buffer->GetSize(nullptr), E_POINTER);
  EXPECT_EQ(buffer->RemoteGetPtr(nullptr, &data), E_POINTER);
}

// Refilling reuses the block while it fits; whichever way the size changes, the buffer reports
// and lends exactly the new size and a reallocation keeps the leading bytes.
TEST(MemoryBufferTest, ResizingKeepsSizesAndLeadingBytes) {
  auto buffer = ComPtr<IKLVMemoryBuffer>(CreateMemoryBuffer());
  LONG size = 0;
  CHAR* data = nullptr;
  ASSERT_EQ(buffer->ReCreateWithAlloc(10), S_OK);
  ASSERT_EQ(buffer->RemoteGetPtr(&size, &data), S_OK);
  std::memcpy(data, "0123456789", 10);
  ASSERT_EQ(buffer->RemotePassPtr(&size, &data), S_OK);
  for (LONG next : {7, 9, 30, 8}) {
    ASSERT_EQ(buffer->ReCreateWithReAlloc(next), S_OK);
    ASSERT_EQ(buffer->RemoteGetPtr(&size, &data), S_OK);
    ASSERT_EQ(size, next);
    EXPECT_EQ(std::string(data, 7), "0123456") << next;
    ASSERT_EQ(buffer->RemotePassPtr(&size, &data), S_OK);
    SAFEARRAY* bytes = nullptr;
    ASSERT_EQ(buffer->GetRAWArray(&bytes), S_OK);
    EXPECT_EQ(bytes->rgsabound[0].cElements, static_cast<ULONG>(next));
    SafeArrayDestroy(bytes);
  }
  ASSERT_EQ(buffer->ReCreateWithAlloc(0), S_OK);
  ASSERT_EQ(buffer->RemoteGetPtr(&size, &data), S_OK);
  EXPECT_EQ(size, 0);
  EXPECT_EQ(data, nullptr);
}

TEST(MemoryBufferTest, ByteArraysRoundTrip) {
  auto buffer = ComPtr<IKLVMemoryBuffer>(CreateMemoryBuffer());
  SAFEARRAY* in = SafeArrayCreateVector(VT_UI1, 0, 5);
  ASSERT_NE(in, nullptr);
  void* p = nullptr;
  ASSERT_EQ(SafeArrayAccessData(in, &p), S_OK);
  std::memcpy(p, "abcde", 5);
  ASSERT_EQ(SafeArrayUnaccessData(in), S_OK);
  ASSERT_EQ(buffer->SetRAWArray(in), S_OK);
  SafeArrayDestroy(in);
  SAFEARRAY* out = nullptr;
  ASSERT_EQ(buffer->GetRAWArray(&out), S_OK);
  ASSERT_EQ(SafeArrayAccessData(out, &p), S_OK);
  EXPECT_EQ(std::string(static_cast<char*>(p), 5), "abcde");
  SafeArrayUnaccessData(out);
  SafeArrayDestroy(out);
  SAFEARRAY* wrongType = SafeArrayCreateVector(VT_I4, 0, 2);
  EXPECT_EQ(buffer->SetRAWArray(wrongType), E_INVALIDARG);
  SafeArrayDestroy(wrongType);
  EXPECT_EQ(buffer->SetRAWArray(nullptr), E_POINTER);
  EXPECT_EQ(buffer->GetRAWArray(nullptr), E_POINTER);
}

}  // namespace
}  // namespace Components::Testing
