// The stimulus file (.vtp): a versioned text form of a Stimulus, read and
// written without loss. The format is described in vantor-cli(1).
#pragma once

#include <optional>
#include <string>

#include "vantor/engine/stimulus.h"

namespace vantor {

constexpr int kStimulusVersion = 1;
// Larger files are refused (a stimulus is a few lines; waveforms are
// files of their own).
constexpr std::size_t kMaxStimulusBytes = 1 << 20;

struct StimulusRead {
  std::optional<Stimulus> stimulus;
  std::string error;  // "FILE, line N, field F: ..." when refused
};

// Parses the text of a stimulus file; `name` is used in messages and
// `directory` is where relative waveform paths are looked up (waveform
// files are read too; empty directory: the current one).
StimulusRead ParseStimulus(const std::string& text, const std::string& name,
                           const std::string& directory);
// Reads a stimulus file and the waveforms it names.
StimulusRead ReadStimulusFile(const std::string& path);

// The text of a stimulus; ParseStimulus gives back an equal stimulus.
std::string StimulusText(const Stimulus& stimulus);
// Writes it through an atomic output file; false with `error` set.
bool WriteStimulusFile(const std::string& path, const Stimulus& stimulus, std::string& error);

// "cell.vt4" -> "cell.vtp": the stimulus kept beside a parameter file.
std::string CompanionStimulusPath(const std::string& parameterFile);

}  // namespace vantor
