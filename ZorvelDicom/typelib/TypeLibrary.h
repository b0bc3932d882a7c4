// The module's type library ZORVELDICOMLib as data: every coclass, interface, member and
// enumeration in library order, each member bound to its C++ method for late-bound calls.
// Static storage, initialised when the image loads: use it only after static initialisation.
#pragma once

#include <zplatform/automation.h>

namespace ZorvelTypeLib {

// LIBID_ZORVELDICOMLib, version 1.0, locale 1033. Serve an interface's IDispatch members with
// zplatform::automation::DispatchImpl<IKLVZorvel3, ZorvelTypeLib::kZORVELDICOMLib, IID_IKLVZorvel3>.
extern const zplatform::automation::LibraryDecl kZORVELDICOMLib;

}  // namespace ZorvelTypeLib
