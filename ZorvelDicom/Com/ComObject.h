// The module's COM classes on the project's object framework (zplatform/com_object.h): every live
// object and every host reference to a class factory holds one lock of the module object, which is
// what DllCanUnloadNow counts.
#pragma once

#include <zplatform/com_object.h>

#include "RegistrationFreeComModule.h"

namespace ZorvelCom {

struct ModuleServerLock {
  static void Lock() { ModuleInstance().Lock(); }
  static void Unlock() { ModuleInstance().Unlock(); }
};

using ComObjectRoot = zplatform::com::ComObjectRoot<ModuleServerLock>;
using ClassFactory = zplatform::com::ClassFactory<ModuleServerLock>;
using zplatform::com::ComObject;
using zplatform::com::CreateComInstance;

}  // namespace ZorvelCom
