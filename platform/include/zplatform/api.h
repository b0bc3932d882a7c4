// Export macro of libZorvelPlatform.so, the stand-in for the operating system's service libraries,
// and the calling-convention macros that code written against the platform headers uses.
#pragma once

#define ZPLATFORM_API __attribute__((visibility("default")))

#define WINAPI
#define STDAPI extern "C" ZPLATFORM_API HRESULT
#define STDAPI_(type) extern "C" ZPLATFORM_API type
#define STDMETHODCALLTYPE
#define STDMETHODIMP HRESULT STDMETHODCALLTYPE
#define STDMETHODIMP_(type) type STDMETHODCALLTYPE
