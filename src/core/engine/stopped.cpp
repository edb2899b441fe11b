#include "engine/stopped.h"

#include "vantor/text/number_text.h"

namespace vantor {

std::string StoppedAt(double t, const std::string& what) {
  return "The run stopped at t = " + FormatGeneral(t) + " ms: " + what;
}

}  // namespace vantor
