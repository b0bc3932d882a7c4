// The single-image type and property directories as hosts list them. Type 103 (the overview) is
// served but not listed.
#include "Properties/SingleImageTable.h"

namespace SingleImageTable {
namespace {

constexpr PropertyTagRow kTypeRows[] = {
    {kLabel, u"Label area", u"label area"},
    {kOriginalPreview, u"Original preview", u"original image from the preview camera"},
    {kGeneratedPreview, u"Generated preview", u"generated preview image"},
};

constexpr PropertyTagRow kPropertyRows[] = {
    {500, u"Width", u"single image width in pixels"},
    {501, u"Height", u"single image height in pixels"},
    {502, u"Existing", u"the single image exists in the file (boolean)"},
};

}  // namespace

std::span<const PropertyTagRow> TypeRows() { return kTypeRows; }
std::span<const PropertyTagRow> PropertyRows() { return kPropertyRows; }

}  // namespace SingleImageTable
