// What the command line calls each parameter: the short names of the
// parameter table ("gNa", "[Ca]o") and, for the parameters that have none
// there, names of the command line's own ("duration", "onset", "vstart").
#pragma once

#include <string>
#include <vector>

#include "vantor/params/parameter_set.h"

namespace vantor {

// The name --set and `params` use for parameter k (never empty).
std::string CommandLineName(int k);
// The unit of parameter k as a user reads it (UTF-8; empty for counts,
// weights and selectors).
std::string ParameterUnit(int k);

// The parameter a --set key names: an index 0 .. 53, a name above, or a
// prompt (the current one or the built-in one), typed in UTF-8 ("µ" matches
// the prompt's byte 0xE6). Names and prompts match without regard to case.
// -1 when none.
int FindParameterKey(const ParameterSet& params, const std::string& key);
// For a key that names nothing: the names closest to it (a typing slip or
// two away), best first; empty when nothing is close.
std::vector<std::string> SuggestParameterNames(const std::string& key);

}  // namespace vantor
