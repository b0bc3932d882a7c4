// Test support: runs the built zorvel executable through the shell and captures its exit code,
// stdout and stderr; generated slides in a per-process scratch directory.
#pragma once

#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace cli_test {

struct RunResult {
  int code = -1;
  std::string out;
  std::string err;
};

inline const std::filesystem::path& ScratchDir() {
  static const std::filesystem::path dir = [] {
    std::string pattern = (std::filesystem::temp_directory_path() / "zorvel-cli-XXXXXX").string();
    const char* made = mkdtemp(pattern.data());
    static const std::filesystem::path removeAtExit = made != nullptr ? made : pattern;
    std::atexit([] { std::filesystem::remove_all(removeAtExit); });
    return removeAtExit;
  }();
  return dir;
}

inline std::string Quote(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

inline std::string ReadFile(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

inline RunResult RunZorvel(const std::vector<std::string>& arguments) {
  const std::filesystem::path errFile = ScratchDir() / "stderr.txt";
  std::string command = Quote(ZORVEL_CLI);
  for (const std::string& argument : arguments) command.append(" ").append(Quote(argument));
  command.append(" 2>").append(Quote(errFile.string()));
  RunResult result;
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return result;
  char buffer[4096];
  for (size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;) result.out.append(buffer, n);
  const int status = pclose(pipe);
  result.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  result.err = ReadFile(errFile);
  return result;
}

// Writes a slide with the generator into ScratchDir()/name (once per process); empty on failure.
inline std::filesystem::path MakeSlide(const std::string& name, const std::string& options) {
  const std::filesystem::path dir = ScratchDir() / name;
  if (std::filesystem::exists(dir / "manifest.json")) return dir;
  const std::string command = std::string(ZORVEL_PYTHON) + " " + ZORVEL_SOURCE_DIR "/tools/make_test_slide.py " +
                              Quote(dir.string()) + " " + options + " > /dev/null";
  return std::system(command.c_str()) == 0 ? dir : std::filesystem::path();
}

// Samples of `a` and `b` that differ by more than two JPEG decoders may (everything on a size mismatch).
inline size_t FarSamples(const std::vector<unsigned char>& a, const std::string& b) {
  size_t far = a.size() == b.size() ? 0 : a.size() + b.size();
  for (size_t i = 0; far == 0 && i < a.size(); ++i) far += std::abs(a[i] - static_cast<unsigned char>(b[i])) > 3;
  return far;
}

inline std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

inline std::vector<std::string> Fields(const std::string& line) {
  std::vector<std::string> fields;
  size_t start = 0;
  for (size_t tab; (tab = line.find('\t', start)) != std::string::npos; start = tab + 1) {
    fields.push_back(line.substr(start, tab - start));
  }
  fields.push_back(line.substr(start));
  return fields;
}

}  // namespace cli_test
