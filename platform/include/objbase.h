// COM run-time services: initialisation, the in-process class registry and object creation,
// task memory, GUID text, the free-threaded marshaler and the global interface table.
// Thread-safe; every apartment is the multi-threaded one.
#pragma once

#include "interlockedapi.h"
#include "oleauto.h"
#include "utilapiset.h"

enum COINIT : DWORD {
  COINIT_APARTMENTTHREADED = 0x2,
  COINIT_MULTITHREADED = 0x0,
  COINIT_DISABLE_OLE1DDE = 0x4,
  COINIT_SPEED_OVER_MEMORY = 0x8
};

enum REGCLS : DWORD {
  REGCLS_SINGLEUSE = 0,
  REGCLS_MULTIPLEUSE = 1,
  REGCLS_MULTI_SEPARATE = 2,
  REGCLS_SUSPENDED = 4,
  REGCLS_SURROGATE = 8
};

// Initialisation is counted per thread; S_FALSE when the thread was already initialised.
STDAPI CoInitialize(LPVOID pvReserved);
STDAPI CoInitializeEx(LPVOID pvReserved, DWORD dwCoInit);
STDAPI_(void) CoUninitialize();

// The class registry is process-wide. Lookups take the earliest live registration of a CLSID, so a
// host that registers its own class first replaces a component's later registration.
STDAPI CoRegisterClassObject(REFCLSID rclsid, IUnknown* pUnk, DWORD dwClsContext, DWORD flags, LPDWORD lpdwRegister);
STDAPI CoRevokeClassObject(DWORD dwRegister);
STDAPI CoResumeClassObjects();
STDAPI CoGetClassObject(REFCLSID rclsid, DWORD dwClsContext, LPVOID pvReserved, REFIID riid, LPVOID* ppv);
STDAPI CoCreateInstance(REFCLSID rclsid, LPUNKNOWN pUnkOuter, DWORD dwClsContext, REFIID riid, LPVOID* ppv);
STDAPI CoCreateFreeThreadedMarshaler(LPUNKNOWN punkOuter, LPUNKNOWN* ppunkMarshal);

STDAPI_(LPVOID) CoTaskMemAlloc(SIZE_T cb);
STDAPI_(LPVOID) CoTaskMemRealloc(LPVOID pv, SIZE_T cb);
STDAPI_(void) CoTaskMemFree(LPVOID pv);

STDAPI CoCreateGuid(GUID* pguid);
STDAPI StringFromCLSID(REFCLSID rclsid, LPOLESTR* lplpsz);  // free the text with CoTaskMemFree
STDAPI StringFromIID(REFIID rclsid, LPOLESTR* lplpsz);
STDAPI_(INT) StringFromGUID2(REFGUID rguid, LPOLESTR lpsz, INT cchMax);
STDAPI CLSIDFromString(LPCOLESTR lpsz, LPCLSID pclsid);
STDAPI IIDFromString(LPCOLESTR lpsz, LPIID lpiid);
