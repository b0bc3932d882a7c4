// The error log of the common runtime, as the module's reporting sites use it:
// SeGetErrorLogFile()->LogError(source, line constant, code, L"Class::Method").
#pragma once

#include <base/SeErrorHandler.h>
