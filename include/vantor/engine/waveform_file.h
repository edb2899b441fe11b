// A recorded waveform: two columns, time (ms) and value, separated by a
// comma, a semicolon or blanks; '#' starts a comment; a first line that is
// not numbers is a header. Times strictly increase.
#pragma once

#include <string>
#include <vector>

namespace vantor {

constexpr std::size_t kMaxWaveformPoints = 20'000'000;

// False with `error` naming the file, the line and the field.
bool ReadWaveformFile(const std::string& path, std::vector<double>& times,
                      std::vector<double>& values, std::string& error);

}  // namespace vantor
