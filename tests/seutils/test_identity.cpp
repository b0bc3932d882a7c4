// The build identity of the test programs, which stand in for a module that links the library.
#include "base/SeBuildIdentity.h"

const SeBuildIdentity SeModuleBuildIdentity = {u"_QRN_TARGET_NAME", u"Dec 12 2025",     u"13:53:25",
                                               u"3.1.0.254167",     u"release/3.1@254167", u"_QRN_TARGET_EXTSTR"};
