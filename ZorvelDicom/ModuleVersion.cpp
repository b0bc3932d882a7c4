// The version record of ZorvelDicom.so, handed to the error log when the module loads and
// written in the run banner: file and product version 3.1.0.254167 (numeric 3.1.0.57559).
#include <base/SeBuildIdentity.h>

extern const SeBuildIdentity SeModuleBuildIdentity = {
    u"_QRN_TARGET_NAME",
    u"Dec 12 2025",
    u"13:53:25",
    u"3.1.0.254167",
    u"/branches/release/3.1 (revision 254167)",
    u"_QRN_TARGET_EXTSTR",
};
