#include "device/vector_state.h"

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#include <immintrin.h>

namespace vantor {
namespace {

__attribute__((target("avx"))) void ZeroUpper() { _mm256_zeroupper(); }

bool HasAvx() {
  // The library's check includes the system saving the wide registers.
  static const bool has = [] {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx") != 0;
  }();
  return has;
}

}  // namespace

void ReleaseWideVectorState() {
  if (HasAvx()) ZeroUpper();
}

}  // namespace vantor

#else

namespace vantor {
void ReleaseWideVectorState() {}
}  // namespace vantor

#endif
