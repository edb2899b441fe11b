// The message of a run that ends early: where it stopped and why.
#pragma once

#include <string>

namespace vantor {

// "The run stopped at t = 12.5 ms: " followed by `what`.
std::string StoppedAt(double t, const std::string& what);

}  // namespace vantor
