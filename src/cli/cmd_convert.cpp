// vantor-cli convert IN OUT: reads a parameter file and writes it in the
// format OUT's name asks for. Reading starts from the built-in set, so a
// version 3 file without its companion keeps the built-in values 29 .. 53;
// that is reported but not a refusal, as in the program.
#include <cstdio>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "cli/stderr_messages.h"
#include "params/parameter_file.h"

namespace vantor::cli {

int ConvertCommand(const std::vector<std::string>& args) {
  if (args.size() != 2 || args[0].empty() || args[1].empty()) {
    std::fputs("usage: vantor-cli convert IN OUT\n", stderr);
    return 2;
  }
  StderrMessages messages;
  ParameterSet params;
  if (!ReadParameterFile(args[0], params, messages)) {
    // The reader's own message does not always name the file.
    messages.Warn(kShellCaption, "Could not read file " + args[0] + "!");
    return 1;
  }
  const ParameterFileWrite written = WriteParameterFile(args[1], params, messages);
  if (!written) {
    messages.Warn(kShellCaption, "Could not write file " + written.failedPath);
    return 1;
  }
  return 0;
}

}  // namespace vantor::cli
