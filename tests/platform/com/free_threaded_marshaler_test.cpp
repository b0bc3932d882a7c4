// The free-threaded marshaler aggregated in an outer object: identity and reference counting go
// to the outer object, and marshalling passes the raw pointer through a stream.
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <vector>

#include "objbase.h"

namespace {

// A memory stream with only the sequential part implemented, enough for marshalling packets.
class MemoryStream final : public IStream {
 public:
  STDMETHODIMP QueryInterface(REFIID, void**) override { return E_NOINTERFACE; }
  STDMETHODIMP_(ULONG) AddRef() override { return 1; }
  STDMETHODIMP_(ULONG) Release() override { return 1; }
  STDMETHODIMP Read(void* pv, ULONG cb, ULONG* pcbRead) override {
    const ULONG n = std::min<ULONG>(cb, static_cast<ULONG>(bytes.size() - position));
    std::memcpy(pv, bytes.data() + position, n);
    position += n;
    *pcbRead = n;
    return S_OK;
  }
  STDMETHODIMP Write(const void* pv, ULONG cb, ULONG* pcbWritten) override {
    bytes.insert(bytes.end(), static_cast<const char*>(pv), static_cast<const char*>(pv) + cb);
    *pcbWritten = cb;
    return S_OK;
  }
  STDMETHODIMP Seek(LARGE_INTEGER, DWORD, ULARGE_INTEGER*) override { return E_NOTIMPL; }
  STDMETHODIMP SetSize(ULARGE_INTEGER) override { return E_NOTIMPL; }
  STDMETHODIMP CopyTo(IStream*, ULARGE_INTEGER, ULARGE_INTEGER*, ULARGE_INTEGER*) override { return E_NOTIMPL; }
  STDMETHODIMP Commit(DWORD) override { return E_NOTIMPL; }
  STDMETHODIMP Revert() override { return E_NOTIMPL; }
  STDMETHODIMP LockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override { return E_NOTIMPL; }
  STDMETHODIMP UnlockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override { return E_NOTIMPL; }
  STDMETHODIMP Stat(STATSTG*, DWORD) override { return E_NOTIMPL; }
  STDMETHODIMP Clone(IStream**) override { return E_NOTIMPL; }
  std::vector<char> bytes;
  std::size_t position = 0;
};

// An object that aggregates the free-threaded marshaler, as a free-threaded class does.
class Outer final : public IUnknown {
 public:
  explicit Outer(bool* destroyed) : destroyed_(destroyed) {
    EXPECT_EQ(CoCreateFreeThreadedMarshaler(this, &marshaler_), S_OK);
  }
  ~Outer() { marshaler_->Release(); }
  STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
    if (IsEqualGUID(riid, IID_IUnknown)) {
      *ppv = this;
      AddRef();
      return S_OK;
    }
    if (IsEqualGUID(riid, IID_IMarshal)) return marshaler_->QueryInterface(riid, ppv);
    *ppv = nullptr;
    return E_NOINTERFACE;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return ++refs; }
  STDMETHODIMP_(ULONG) Release() override {
    const ULONG left = --refs;
    if (left == 0) {
      *destroyed_ = true;
      delete this;
    }
    return left;
  }
  std::atomic<ULONG> refs{1};

 private:
  IUnknown* marshaler_ = nullptr;
  bool* destroyed_;
};

// Each test starts with an outer object and its IMarshal; the outer object must be gone at the end.
class FreeThreadedMarshaler : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(outer->QueryInterface(IID_IMarshal, reinterpret_cast<void**>(&marshal)), S_OK);
  }
  void TearDown() override {
    outer->Release();
    EXPECT_TRUE(destroyed);
  }
  bool destroyed = false;
  Outer* outer = new Outer(&destroyed);
  IMarshal* marshal = nullptr;
};

}  // namespace

TEST_F(FreeThreadedMarshaler, AggregatedIdentityAndCounting) {
  EXPECT_EQ(outer->refs, 2u);  // the marshaler's interface counts on the outer object
  IUnknown* identity = nullptr;
  ASSERT_EQ(marshal->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&identity)), S_OK);
  EXPECT_EQ(identity, outer);
  identity->Release();
  CLSID unmarshaler;
  ASSERT_EQ(marshal->GetUnmarshalClass(IID_IUnknown, outer, MSHCTX_INPROC, nullptr, MSHLFLAGS_NORMAL, &unmarshaler),
            S_OK);
  EXPECT_EQ(unmarshaler, CLSID_InProcFreeMarshaler);
  EXPECT_EQ(marshal->GetUnmarshalClass(IID_IUnknown, outer, MSHCTX_DIFFERENTMACHINE, nullptr, 0, &unmarshaler),
            E_NOTIMPL);
  marshal->Release();
}

TEST_F(FreeThreadedMarshaler, MarshalsThePointerThroughAStream) {
  MemoryStream stream;
  ASSERT_EQ(marshal->MarshalInterface(&stream, IID_IUnknown, outer, MSHCTX_INPROC, nullptr, MSHLFLAGS_NORMAL), S_OK);
  DWORD size = 0;
  ASSERT_EQ(marshal->GetMarshalSizeMax(IID_IUnknown, outer, MSHCTX_INPROC, nullptr, 0, &size), S_OK);
  EXPECT_EQ(stream.bytes.size(), size);
  marshal->Release();

  IMarshal* unmarshaler = nullptr;
  ASSERT_EQ(CoCreateInstance(CLSID_InProcFreeMarshaler, nullptr, CLSCTX_INPROC_SERVER, IID_IMarshal,
                             reinterpret_cast<void**>(&unmarshaler)),
            S_OK);
  IUnknown* received = nullptr;
  ASSERT_EQ(unmarshaler->UnmarshalInterface(&stream, IID_IUnknown, reinterpret_cast<void**>(&received)), S_OK);
  EXPECT_EQ(received, outer);
  EXPECT_EQ(outer->refs, 2u);  // the packet's reference was consumed
  received->Release();
  EXPECT_EQ(unmarshaler->UnmarshalInterface(&stream, IID_IUnknown, reinterpret_cast<void**>(&received)),
            STG_E_READFAULT);
  unmarshaler->Release();
}

TEST_F(FreeThreadedMarshaler, ReleasingMarshalDataDropsTheReference) {
  MemoryStream stream;
  ASSERT_EQ(marshal->MarshalInterface(&stream, IID_IUnknown, outer, MSHCTX_INPROC, nullptr, MSHLFLAGS_TABLESTRONG),
            S_OK);
  ASSERT_EQ(marshal->ReleaseMarshalData(&stream), S_OK);
  marshal->Release();
  EXPECT_EQ(outer->refs, 1u);
  EXPECT_EQ(CoCreateFreeThreadedMarshaler(nullptr, nullptr), E_INVALIDARG);
}
