// Parameter files: version 4 (".vt4", all 54 parameters) and version 3 (any
// other name, parameters 0 .. 28, the rest in a companion ".cin" file).
#pragma once

#include <string>

#include "vantor/files/output_file.h"
#include "vantor/params/messages.h"
#include "vantor/params/parameter_set.h"

namespace vantor {

// The file types of the open and save dialogs, in the order shown; the
// first is selected when a dialog opens, and a name typed without an
// extension gets the default one.
struct ParameterFileType {
  const char* description;
  const char* pattern;
};
inline constexpr ParameterFileType kParameterFileTypes[] = {
    {"Vantor v.3 Files (*.vts)", "*.vts;*.VTS"},
    {"Vantor v.4 Files (*.vt4)", "*.vt4;*.VT4"},
    {"Vantor all Files (*.vt?)", "*.vt?;*.VT?"},
};
inline constexpr const char* kDefaultParameterExtension = "vts";

// Version 4 exactly when the file name's extension, upper-cased, is ".VT4".
// A "." in a directory name does not count.
bool IsVersion4Path(const std::string& path);
// The companion of a version 3 file: the extension replaced by ".cin", or
// ".cin" appended to a name without one.
std::string CompanionPath(const std::string& path);

// Where and why a parameter file could not be read: the line (1 for the
// comment, 0 when the file could not be opened at all) and the reason.
struct ParameterFileFailure {
  int line = 0;
  std::string reason;  // code page 437 where a prompt is quoted
};

// Reads the comment, the values with their prompts and the trace table.
// False after telling `messages` why (and filling `failure` when given);
// what was read before the failure keeps its new content. A missing or bad
// companion is reported but does not make the read fail.
bool ReadParameterFile(const std::string& path, ParameterSet& params, Messages& messages,
                       ParameterFileFailure* failure = nullptr);

struct ParameterFileWrite {
  bool ok = false;
  // The file that could not be written: the parameter file or its companion.
  std::string failedPath;
  explicit operator bool() const { return ok; }
};

// Writes the parameter file (and for version 3 its companion) through
// temporary files that replace the old ones only when complete; the
// companion is put in place first, so a companion that cannot be written
// leaves both previous files as they were. The caller reports a failure
// ("Could not write file %s"); only a companion that cannot be created is
// also reported here, with its path, since the shell's message names the
// parameter file alone.
// Refused, since they could not be read back: a value that is not a finite
// number, an empty trace token or one with a blank, and a version 3 file
// named like its own companion. Both files are written out before either
// is put in place; the temporary files go through `temporaries` when given.
// The path "-" is standard output, written as a version 4 file.
ParameterFileWrite WriteParameterFile(const std::string& path, const ParameterSet& params,
                                      Messages& messages, TemporaryFiles* temporaries = nullptr);

}  // namespace vantor
