// Loads ZorvelDicom.so as any host does (dlopen, DllGetClassObject, class factory) and opens a
// slide through the automation interface. Failures return the HRESULT and name the failing call.
#pragma once

#include <filesystem>
#include <string>

#include <ZorvelDicom/ZorvelDicom.h>

#include <zplatform/com_ptr.h>

namespace zorvel_cli {

struct CallResult {
  HRESULT hr = S_OK;
  std::string call;  // the call that failed; empty on success
};

class ModuleHost {
 public:
  // The module file: $ZORVEL_MODULE when set, else ../lib/ZorvelDicom.so beside the executable.
  static std::filesystem::path DefaultModulePath();
  // The directory of the running executable (the working directory when it cannot be read).
  static std::filesystem::path ExecutableDir();

  // Loads the module (once per process) and creates a slide object with IKLVZorvel3.
  CallResult CreateSlide(const std::filesystem::path& modulePath, ComPtr<IKLVZorvel3>& slide);

  // Creates the slide object and opens slideDir with OpenSlide.
  CallResult OpenSlide(const std::filesystem::path& modulePath, const std::filesystem::path& slideDir,
                       ComPtr<IKLVZorvel3>& slide);

 private:
  void* m_handle = nullptr;
};

}  // namespace zorvel_cli
