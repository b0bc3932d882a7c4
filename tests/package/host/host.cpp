// The smallest host, built against an installed ZorvelDicom: loads the module, makes a slide-access
// object and opens the slide named on the command line. Exit 0 when OpenSlide succeeded.
#include <ZorvelDicom/ZorvelDicom.h>
#include <dlfcn.h>
#include <oleauto.h>
#include <zplatform/text.h>

int main(int argc, char** argv) {
  using GetClassObject = HRESULT (*)(REFCLSID, REFIID, void**);
  void* module = dlopen(ZORVELDICOM_MODULE, RTLD_NOW);
  auto getClassObject = module ? reinterpret_cast<GetClassObject>(dlsym(module, "DllGetClassObject")) : nullptr;
  IClassFactory* factory = nullptr;
  if (getClassObject == nullptr || FAILED(getClassObject(CLSID_KLVZorvelDICOM, IID_IClassFactory,
                                                         reinterpret_cast<void**>(&factory)))) {
    return 2;
  }
  IKLVZorvel* slide = nullptr;
  HRESULT hr = factory->CreateInstance(nullptr, IID_IKLVZorvel, reinterpret_cast<void**>(&slide));
  factory->Release();
  if (FAILED(hr)) return 2;
  BSTR path = SysAllocString(zplatform::Utf8ToUtf16(argc > 1 ? argv[1] : "").c_str());
  hr = slide->OpenSlide(path);
  SysFreeString(path);
  slide->Release();
  return SUCCEEDED(hr) ? 0 : 1;
}
