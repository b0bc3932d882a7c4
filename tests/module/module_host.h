// Test support: ZorvelDicom.so loaded as a host loads it (dlopen, then the two exports), a small
// owning interface pointer, and generated test slides in a per-process scratch directory.
#pragma once

#include <dlfcn.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <utility>

#include <gtest/gtest.h>
#include <ZorvelDicom/ZorvelDicom.h>
#include <oleauto.h>
#include <zplatform/com_ptr.h>

namespace module_test {

using GetClassObjectFn = HRESULT (*)(REFCLSID, REFIID, LPVOID*);
using CanUnloadNowFn = HRESULT (*)();

struct ModuleHost {
  void* handle = nullptr;
  GetClassObjectFn getClassObject = nullptr;
  CanUnloadNowFn canUnloadNow = nullptr;

  static ModuleHost& Get() {
    static ModuleHost host = [] {
      ModuleHost loaded;
      loaded.handle = dlopen(ZORVEL_BINARY_DIR "/lib/ZorvelDicom.so", RTLD_NOW | RTLD_LOCAL);
      if (loaded.handle != nullptr) {
        loaded.getClassObject = reinterpret_cast<GetClassObjectFn>(dlsym(loaded.handle, "DllGetClassObject"));
        loaded.canUnloadNow = reinterpret_cast<CanUnloadNowFn>(dlsym(loaded.handle, "DllCanUnloadNow"));
      }
      return loaded;
    }();
    return host;
  }
};

inline ComPtr<IClassFactory> Factory(REFCLSID clsid) {
  ComPtr<IClassFactory> factory;
  EXPECT_EQ(ModuleHost::Get().getClassObject(clsid, IID_IClassFactory, factory.OutVoid()), S_OK);
  return factory;
}

template <class T>
ComPtr<T> Create(REFCLSID clsid, REFIID iid) {
  ComPtr<T> object;
  EXPECT_EQ(Factory(clsid)->CreateInstance(nullptr, iid, object.OutVoid()), S_OK);
  return object;
}

inline HRESULT PutBool(IKLVZorvel* slide, LONG key, bool on) {
  VARIANT value;
  VariantInit(&value);
  value.vt = VT_BOOL;
  value.boolVal = on ? VARIANT_TRUE : VARIANT_FALSE;
  return slide->put_Properties(key, value);
}

inline HRESULT Open(IKLVZorvel* slide, const std::filesystem::path& path) {
  const std::u16string text = path.u16string();
  BSTR name = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
  const HRESULT hr = slide->OpenSlide(name);
  SysFreeString(name);
  return hr;
}

// A scratch directory for this test process, removed at exit.
inline const std::filesystem::path& ScratchDir() {
  static const std::filesystem::path dir = [] {
    std::string pattern = (std::filesystem::temp_directory_path() / "zorvel-module-XXXXXX").string();
    const char* made = mkdtemp(pattern.data());
    std::filesystem::path path = made != nullptr ? made : pattern;
    static const std::filesystem::path removeAtExit = path;
    std::atexit([] { std::filesystem::remove_all(removeAtExit); });
    return path;
  }();
  return dir;
}

// Writes a slide with the generator into ScratchDir()/name (once per process); empty on failure.
inline std::filesystem::path MakeSlide(const std::string& name, const std::string& options) {
  const std::filesystem::path dir = ScratchDir() / name;
  if (std::filesystem::exists(dir / "manifest.json")) return dir;
  const std::string command = std::string(ZORVEL_PYTHON) + " " + ZORVEL_SOURCE_DIR "/tools/make_test_slide.py '" +
                              dir.string() + "' " + options + " > /dev/null";
  return std::system(command.c_str()) == 0 ? dir : std::filesystem::path();
}

// Copies the DICOM files of one slide directory into another under a prefix (two slides in one place).
inline void CopySlideFiles(const std::filesystem::path& from, const std::filesystem::path& to,
                           const std::string& prefix) {
  std::filesystem::create_directories(to);
  for (const auto& entry : std::filesystem::directory_iterator(from)) {
    if (entry.path().extension() == ".dcm") {
      std::filesystem::copy_file(entry.path(), to / (prefix + entry.path().filename().string()),
                                 std::filesystem::copy_options::overwrite_existing);
    }
  }
}

}  // namespace module_test
