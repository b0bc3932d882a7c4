// JSON string literals for the machine-readable outputs of zorvel and zorvel serve.
#pragma once

#include <string>
#include <string_view>

namespace zorvel_cli {

// `text` (UTF-8) as a quoted JSON string, control characters, quotes and backslashes escaped.
std::string JsonString(std::string_view text);

}  // namespace zorvel_cli
