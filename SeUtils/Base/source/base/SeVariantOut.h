// Clearing a caller's out VARIANT before it receives a result, with the report lines of the
// calling function; shared by the conversion sources of the library.
#pragma once

#include "oleauto.h"

// E_POINTER (logged at storeLine) for a null out; a failed clear is logged at clearLine.
HRESULT SeClearOutVariant(VARIANT* out, INT clearLine, INT storeLine, LPCWSTR function);
