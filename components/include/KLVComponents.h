// Entry point of libZorvelComponents.so. Loading the library registers its classes (JPEG and
// JPEG 2000 codecs, host bitmap, memory buffer) with CoRegisterClassObject; a class a host
// registered earlier keeps answering. ZorvelComponentsRegister is idempotent and thread-safe.
#pragma once

#include <winerror.h>

#define ZCOMPONENTS_API __attribute__((visibility("default")))

// Registers the classes if that has not happened yet; S_OK, or the first registration failure.
extern "C" ZCOMPONENTS_API HRESULT ZorvelComponentsRegister();
