// Parsing of a zorvel command's arguments: positional values, "--name value" options, flags
// and strict integer conversion. Nothing here prints; errors come back as text.
#pragma once

#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace zorvel_cli {

struct ParsedArguments {
  std::vector<std::string> positional;
  std::map<std::string, std::string> options;  // "--level 2" -> {"--level", "2"}
  std::set<std::string> flags;                 // "--decode"
  std::string error;                           // non-empty when the arguments were not understood
};

// valueOptions take one value each (also as "--name=value"); flagOptions take none. "-h" and
// "--help" are always flags.
ParsedArguments ParseArguments(const std::vector<std::string>& arguments, const std::set<std::string>& valueOptions,
                               const std::set<std::string>& flagOptions);

// A whole decimal number (optionally negative) or, when allowHex, "0x" followed by hex digits.
std::optional<long long> ParseInteger(const std::string& text, bool allowHex);

}  // namespace zorvel_cli
