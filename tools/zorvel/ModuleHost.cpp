// Loading of ZorvelDicom.so with dlopen and creation of the slide-access object through its
// exported class object, exactly as an outside host does it.
#include "ModuleHost.h"

#include <dlfcn.h>
#include <unistd.h>

#include <cstdlib>
#include <system_error>

#include <oleauto.h>

namespace zorvel_cli {
namespace {

using GetClassObjectFn = HRESULT (*)(REFCLSID, REFIID, LPVOID*);

}  // namespace

std::filesystem::path ModuleHost::ExecutableDir() {
  std::error_code error;
  const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
  return error ? std::filesystem::current_path() : self.parent_path();
}

std::filesystem::path ModuleHost::DefaultModulePath() {
  if (const char* fromEnvironment = std::getenv("ZORVEL_MODULE"); fromEnvironment != nullptr && *fromEnvironment) {
    return fromEnvironment;
  }
  return (ExecutableDir().parent_path() / "lib" / "ZorvelDicom.so").lexically_normal();
}

CallResult ModuleHost::CreateSlide(const std::filesystem::path& modulePath, ComPtr<IKLVZorvel3>& slide) {
  if (m_handle == nullptr) m_handle = dlopen(modulePath.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (m_handle == nullptr) return {E_FAIL, "dlopen(" + modulePath.string() + ")"};
  auto getClassObject = reinterpret_cast<GetClassObjectFn>(dlsym(m_handle, "DllGetClassObject"));
  if (getClassObject == nullptr) return {E_FAIL, "dlsym(DllGetClassObject)"};

  ComPtr<IClassFactory> factory;
  HRESULT hr = getClassObject(CLSID_KLVZorvelDICOM, IID_IClassFactory, factory.OutVoid());
  if (FAILED(hr)) return {hr, "DllGetClassObject"};
  hr = factory->CreateInstance(nullptr, IID_IKLVZorvel3, slide.OutVoid());
  if (FAILED(hr)) return {hr, "IClassFactory::CreateInstance"};
  return {};
}

CallResult ModuleHost::OpenSlide(const std::filesystem::path& modulePath, const std::filesystem::path& slideDir,
                                 ComPtr<IKLVZorvel3>& slide) {
  CallResult created = CreateSlide(modulePath, slide);
  if (FAILED(created.hr)) return created;
  std::error_code error;
  const std::filesystem::path absolute = std::filesystem::absolute(slideDir, error);
  const std::u16string text = (error ? slideDir : absolute).u16string();
  BSTR name = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
  const HRESULT hr = slide->OpenSlide(name);
  SysFreeString(name);
  if (FAILED(hr)) return {hr, "OpenSlide"};
  return {};
}

}  // namespace zorvel_cli
