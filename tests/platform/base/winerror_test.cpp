// Status-code arithmetic the whole project relies on when it turns system errors into HRESULTs.
#include <gtest/gtest.h>

#include "windows.h"

TEST(WinError, Win32ErrorsMapIntoFacility7) {
  EXPECT_EQ(static_cast<std::uint32_t>(HRESULT_FROM_WIN32(ERROR_HANDLE_EOF)), 0x80070026u);
  EXPECT_EQ(static_cast<std::uint32_t>(HRESULT_FROM_WIN32(0x12345)), 0x80072345u);
  EXPECT_EQ(HRESULT_FROM_WIN32(0), S_OK);
}
