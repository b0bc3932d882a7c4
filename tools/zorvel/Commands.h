// The zorvel commands. Each takes the arguments after its name and returns the process exit code
// (0 success, 1 a module call failed, 2 wrong usage); output goes to stdout, messages to stderr.
#pragma once

#include <string>
#include <vector>

namespace zorvel_cli {

using Arguments = std::vector<std::string>;

int RunInfo(const Arguments& arguments);
int RunProps(const Arguments& arguments);
int RunProp(const Arguments& arguments);
int RunTile(const Arguments& arguments);
int RunRender(const Arguments& arguments);
int RunThumbnail(const Arguments& arguments);
int RunImage(const Arguments& arguments);
int RunChannels(const Arguments& arguments);
int RunAnnotations(const Arguments& arguments);
int RunBench(const Arguments& arguments);
int RunServe(const Arguments& arguments);

}  // namespace zorvel_cli
