// The two exports of ZorvelDicom.so, through which a host reaches everything: the class objects
// of WSIAnnotations and KLVZorvelDICOM, and whether the module may be unloaded.
// Every other symbol of the module is hidden (visibility and the export map).
#include <unknwn.h>

#include "ModuleLog.h"
#include "RegistrationFreeComModule.h"

#define ZORVEL_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

constexpr int kLineDllGetClassObject = 26;

// Process attach. A module object whose construction failed stays uninitialised, and
// DllGetClassObject then refuses to work (a loader here cannot refuse the load). There are no
// thread notifications to switch off, and the module does not use the image-primitives library,
// so there is no thread count of it to set to one: the module's parallelism is all its own.
__attribute__((constructor)) void ProcessAttach() {}

}  // namespace

ZORVEL_EXPORT HRESULT DllGetClassObject(REFCLSID rclsid, REFIID riid, LPVOID* ppv) {
  const HRESULT hr = ZorvelCom::ModuleInstance().GetClassObject(rclsid, riid, ppv);
  if (FAILED(hr)) SeGetErrorLogFile()->LogError(u"ZorvelDicom", kLineDllGetClassObject, hr, u"DllGetClassObject");
  return hr;
}

ZORVEL_EXPORT HRESULT DllCanUnloadNow() { return ZorvelCom::ModuleInstance().DllCanUnloadNow(); }
