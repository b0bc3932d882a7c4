// One opened slide for a command: the loaded module and the slide object, opened from SLIDE_DIR
// with the module named by --module, $ZORVEL_MODULE or the default beside the executable.
#pragma once

#include <string>

#include "CommandLine.h"
#include <zplatform/com_ptr.h>
#include "ModuleHost.h"

namespace zorvel_cli {

struct SlideSession {
  ModuleHost host;
  ComPtr<IKLVZorvel3> slide;

  // Returns 0 when the slide is open and answers its width, else the exit code after reporting
  // the failed call.
  int Open(const ParsedArguments& arguments, const std::string& slideDir);
};

inline constexpr const char* kModuleOptionHelp =
    "  --module PATH   ZorvelDicom.so to load (default: $ZORVEL_MODULE, else ../lib/ZorvelDicom.so\n"
    "                  beside the zorvel executable)\n";

}  // namespace zorvel_cli
