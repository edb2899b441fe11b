#include "vantor/params/startup_files.h"

#include "vantor/params/list_files.h"

namespace vantor {

std::string JoinPath(const std::string& directory, const std::string& name) {
  if (directory.empty() || directory.back() == '/') return directory + name;
  return directory + "/" + name;
}

StartupFiles StartupFiles::Load(const std::string& programDirectory, ParameterSet& params,
                                GateTable& gates, Messages& messages, bool extendedMode) {
  StartupFiles loaded;
  loaded.extendedMode = extendedMode;
  ReadCountList(JoinPath(programDirectory, "VANTORW.INI"), loaded.preferences.values.data(),
                kPreferenceCount, messages);
  if (loaded.preferences.values[Preferences::BackgroundColour] == kExtendedModeColour)
    loaded.extendedMode = true;
  // The limits file is named after the companion files; ".mnx" replaces
  // the extension.
  ReadInitFile(JoinPath(programDirectory, "VANTOR.cin"), params, messages);
  loaded.gateTableLoaded =
      LoadGateTable(JoinPath(programDirectory, "vmodels.val"), gates, messages);
  // Without kinetics there is nothing for the model editor to edit.
  if (!loaded.gateTableLoaded) loaded.extendedMode = false;
  return loaded;
}

}  // namespace vantor
