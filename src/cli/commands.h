// The sub-commands of vantor-cli. Each returns the exit status: 0 success,
// 1 an input was refused (the message is on standard error), 2 usage error.
#pragma once

#include <string>
#include <vector>

namespace vantor::cli {

int DefaultsCommand(const std::vector<std::string>& args);
int ConvertCommand(const std::vector<std::string>& args);
int RunCommand(const std::vector<std::string>& args);
int MeasureCommand(const std::vector<std::string>& args);
int SweepCommand(const std::vector<std::string>& args);
int FiCommand(const std::vector<std::string>& args);
int MergeCommand(const std::vector<std::string>& args);

// The directory of the running program (where the shipped data lies).
std::string ProgramDirectory();

}  // namespace vantor::cli
