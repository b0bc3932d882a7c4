// Parsing of DICOM decimal text (DS / IS and private-block numbers) in the C locale.
// Surrounding spaces and a leading '+' are accepted; anything else after the number fails.
#pragma once

#include <optional>
#include <string_view>

namespace dicominterop::attr {

std::optional<double> ParseDecimal(std::string_view text);

}  // namespace dicominterop::attr
