// Classes the platform itself provides (the standard global interface table and the in-process
// free-threaded unmarshaler), found by CoGetClassObject when no registration covers the CLSID.
#pragma once

#include "objbase.h"

namespace zplatform::com {

// True when rclsid is a built-in class; *ppv then holds the class factory's riid or null on failure.
bool GetBuiltinClassObject(REFCLSID rclsid, REFIID riid, void** ppv);

// The process-wide global interface table, with an added reference.
IGlobalInterfaceTable* GlobalInterfaceTable();

}  // namespace zplatform::com
