// Keeping a stimulus beside a parameter file: NAME.vtp next to NAME.vt4,
// written atomically. The parameter file itself is never touched here.
#pragma once

#include <string>

#include "vantor/engine/stimulus.h"

namespace vantor {

// The stimulus as it is to be written beside `parameterFile`: a waveform
// file named relative to the folder of the file the stimulus was read from
// (Stimulus::name) is named relative to the companion's folder instead, so
// that the companion finds the same waveform.
Stimulus StimulusForCompanion(const Stimulus& stimulus, const std::string& parameterFile);

// Writes StimulusForCompanion to CompanionStimulusPath(parameterFile)
// through an atomic output file; false with `error` set (nothing changed).
bool WriteCompanionStimulus(const std::string& parameterFile, const Stimulus& stimulus,
                            std::string& error);

}  // namespace vantor
