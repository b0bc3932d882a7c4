// Argument parsing for the zorvel commands.
#include "CommandLine.h"

#include <charconv>

namespace zorvel_cli {

ParsedArguments ParseArguments(const std::vector<std::string>& arguments, const std::set<std::string>& valueOptions,
                               const std::set<std::string>& flagOptions) {
  ParsedArguments parsed;
  for (size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    if (argument == "-h" || argument == "--help" || flagOptions.count(argument) != 0) {
      parsed.flags.insert(argument == "-h" ? "--help" : argument);
      continue;
    }
    if (argument.size() < 2 || argument[0] != '-' || ParseInteger(argument, false)) {
      parsed.positional.push_back(argument);
      continue;
    }
    const size_t equals = argument.find('=');
    const std::string name = argument.substr(0, equals);
    if (valueOptions.count(name) == 0) {
      parsed.error = "unknown option '" + argument + "'";
    } else if (equals != std::string::npos) {
      parsed.options[name] = argument.substr(equals + 1);
    } else if (i + 1 < arguments.size()) {
      parsed.options[name] = arguments[++i];
    } else {
      parsed.error = "option '" + name + "' needs a value";
    }
    if (!parsed.error.empty()) return parsed;
  }
  return parsed;
}

std::optional<long long> ParseInteger(const std::string& text, bool allowHex) {
  const bool hex = allowHex && text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
  const char* first = text.data() + (hex ? 2 : 0);
  const char* last = text.data() + text.size();
  if (first == last || *first == '+') return std::nullopt;
  long long value = 0;
  const auto [end, error] = std::from_chars(first, last, value, hex ? 16 : 10);
  if (error != std::errc() || end != last || (hex && *first == '-')) return std::nullopt;
  return value;
}

}  // namespace zorvel_cli
