// Module handles and file names: a module handle is the load address of a shared object (its
// ELF header) or of the executable; names come from dladdr, /proc/self/exe for the executable.
// Reference counts are never changed (GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT behaviour).
#include <dlfcn.h>
#include <link.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <string>
#include <vector>

#include "kernel_object.h"
#include "wide_text.h"

namespace zplatform::kernel {
namespace {

struct LoadedObject {
  void* base;  // address of the first loaded segment, i.e. the ELF header
  std::string path;
};

// Every loaded object with its base; the executable comes first with an empty path.
std::vector<LoadedObject> LoadedObjects() {
  std::vector<LoadedObject> objects;
  dl_iterate_phdr(
      [](dl_phdr_info* info, size_t, void* out) {
        ElfW(Addr) lowest = ~ElfW(Addr){0};
        for (int i = 0; i < info->dlpi_phnum; ++i) {
          if (info->dlpi_phdr[i].p_type == PT_LOAD) lowest = std::min(lowest, info->dlpi_phdr[i].p_vaddr);
        }
        if (lowest != ~ElfW(Addr){0}) {
          const auto pageMask = static_cast<ElfW(Addr)>(::sysconf(_SC_PAGESIZE)) - 1;
          const auto base = reinterpret_cast<void*>(info->dlpi_addr + (lowest & ~pageMask));
          static_cast<std::vector<LoadedObject>*>(out)->push_back({base, info->dlpi_name ? info->dlpi_name : ""});
        }
        return 0;
      },
      &objects);
  return objects;
}

std::string ExecutablePath() {
  std::vector<char> buffer(4096);
  for (;;) {
    const ssize_t n = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
    if (n < 0) return {};
    if (static_cast<size_t>(n) < buffer.size()) return std::string(buffer.data(), static_cast<size_t>(n));
    buffer.resize(buffer.size() * 2);
  }
}

std::string AbsolutePath(std::string path) {
  if (path.empty() || path.front() == '/') return path;
  std::vector<char> cwd(4096);
  if (::getcwd(cwd.data(), cwd.size()) == nullptr) return path;
  return std::string(cwd.data()) + "/" + path;
}

// The file of the module whose base is `handle`; empty when no loaded object has that base.
std::string ModulePath(HMODULE handle) {
  const auto objects = LoadedObjects();
  for (size_t i = 0; i < objects.size(); ++i) {
    if (objects[i].base != handle) continue;
    return i == 0 ? ExecutablePath() : AbsolutePath(objects[i].path);
  }
  return {};
}

std::u16string_view FileNamePart(std::u16string_view path) {
  const size_t cut = path.find_last_of(u"/\\");
  return cut == std::u16string_view::npos ? path : path.substr(cut + 1);
}

// The loaded module whose file name equals `name` (ASCII case ignored); null for none.
HMODULE FindModuleByName(std::u16string_view name) {
  const auto objects = LoadedObjects();
  const std::u16string_view wanted = FileNamePart(name);
  for (size_t i = 0; i < objects.size(); ++i) {
    const std::string path = i == 0 ? ExecutablePath() : objects[i].path;
    if (EqualsNoCase(FileNamePart(Utf8ToUtf16(path)), wanted)) return objects[i].base;
  }
  return nullptr;
}

HMODULE ModuleContaining(const void* address) {
  Dl_info info{};
  if (address == nullptr || ::dladdr(address, &info) == 0) return nullptr;
  return info.dli_fbase;
}

}  // namespace
}  // namespace zplatform::kernel

using namespace zplatform::kernel;

extern "C" ZPLATFORM_API HMODULE GetModuleHandleW(LPCWSTR lpModuleName) {
  if (lpModuleName == nullptr) return LoadedObjects().front().base;
  HMODULE module = FindModuleByName(lpModuleName);
  if (module == nullptr) SetLastError(ERROR_MOD_NOT_FOUND);
  return module;
}

extern "C" ZPLATFORM_API BOOL GetModuleHandleExW(DWORD dwFlags, LPCWSTR lpModuleName, HMODULE* phModule) {
  if (phModule == nullptr) return Fail(ERROR_INVALID_PARAMETER);
  *phModule = nullptr;
  HMODULE module = (dwFlags & GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS)
                       ? ModuleContaining(reinterpret_cast<const void*>(lpModuleName))
                       : GetModuleHandleW(lpModuleName);
  if (module == nullptr) return Fail(ERROR_MOD_NOT_FOUND);
  *phModule = module;
  return TRUE;
}

extern "C" ZPLATFORM_API DWORD GetModuleFileNameW(HMODULE hModule, LPWSTR lpFilename, DWORD nSize) {
  const std::string native = hModule == nullptr ? ExecutablePath() : ModulePath(hModule);
  if (native.empty()) return Fail(hModule == nullptr ? ERROR_FILE_NOT_FOUND : ERROR_MOD_NOT_FOUND);
  if (lpFilename == nullptr || nSize == 0) return Fail(ERROR_INSUFFICIENT_BUFFER);
  const std::u16string path = Utf8ToUtf16(native);
  if (path.size() >= nSize) {
    std::copy_n(path.begin(), nSize - 1, lpFilename);
    lpFilename[nSize - 1] = u'\0';
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return nSize;
  }
  std::copy(path.begin(), path.end(), lpFilename);
  lpFilename[path.size()] = u'\0';
  SetLastError(ERROR_SUCCESS);
  return static_cast<DWORD>(path.size());
}

extern "C" ZPLATFORM_API BOOL DisableThreadLibraryCalls(HMODULE) { return TRUE; }
