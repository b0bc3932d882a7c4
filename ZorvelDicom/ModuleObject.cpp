// The module object with its object map (annotations first, then slide access), and what the
// module does while it is loaded: module object first, then the error log and its banner.
#include <base/SeSystemProperties.h>

#include "Annotations/WSIAnnotations.h"
#include "Com/ComObject.h"
#include "DicomZorvel.h"
#include "ModuleLog.h"
#include "RegistrationFreeComModule.h"

namespace ZorvelCom {
namespace {

ObjectMapEntry g_objectMap[] = {
    {&CLSID_WSIAnnotations, &ClassFactory::Create, &CreateComInstance<ComWSIAnnotations>, {nullptr}},
    {&CLSID_KLVZorvelDICOM, &ClassFactory::Create, &CreateComInstance<CDicomZorvel>, {nullptr}},
};

// Load-time order: the module object, the error log (which reads ModuleSettings.ini and, with
// logging on, writes the run banner), then the record of the machine's capabilities.
const bool g_moduleLoaded = [] {
  ModuleInstance();
  SeGetErrorLogFile();
  SeGetSystemCheckResult();
  return true;
}();

}  // namespace

CKLVRegistrationFreeCOMModule& ModuleInstance() {
  static CKLVRegistrationFreeCOMModule module(g_objectMap);
  return module;
}

}  // namespace ZorvelCom
