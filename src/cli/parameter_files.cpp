#include "cli/parameter_files.h"

#include "cli/diagnostics.h"
#include "cli/interrupts.h"
#include "cli/output_set.h"
#include "vantor/text/text_helpers.h"
#include "vantor/params/parameter_file.h"

namespace vantor::cli {

bool SaveParameterFile(const std::string& path, const ParameterSet& params,
                       const std::vector<std::string>& inputs) {
  std::vector<std::string> outputs{path};
  if (!IsVersion4Path(path)) outputs.push_back(CompanionPath(path));
  for (const std::string& out : outputs)
    for (const std::string& in : inputs)
      if (FileIdentity(out) == FileIdentity(in)) {
        PrintError("the output " + out + " is also an input (" + in + "); refusing to replace it");
        return false;
      }
  CollectedMessages messages;
  const ParameterFileWrite written = WriteParameterFile(path, params, messages, &CommandTemporaries());
  if (written) return true;
  // The writer tells about a companion itself; the rest is ours to say.
  for (const auto& entry : messages.entries) PrintError(Cp437ToUtf8(entry.text));
  const std::string reason = WriteProblem(written.failedPath);
  PrintError("Could not write file " + written.failedPath + (reason.empty() ? "" : " (" + reason + ")"));
  return false;
}

}  // namespace vantor::cli
