// vantor-cli defaults OUT: the built-in parameter set as a parameter file,
// version 4 for a ".vt4" name, otherwise version 3 with its companion.
#include <cstdio>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "cli/stderr_messages.h"
#include "params/parameter_file.h"

namespace vantor::cli {

int DefaultsCommand(const std::vector<std::string>& args) {
  if (args.size() != 1 || args[0].empty()) {
    std::fputs("usage: vantor-cli defaults OUT\n", stderr);
    return 2;
  }
  StderrMessages messages;
  const ParameterSet builtIn;
  const ParameterFileWrite written = WriteParameterFile(args[0], builtIn, messages);
  if (!written) {
    messages.Warn(kShellCaption, "Could not write file " + written.failedPath);
    return 1;
  }
  return 0;
}

}  // namespace vantor::cli
