#include "engine/vector_exp.h"

#include <cmath>

#if defined(__x86_64__) && defined(VANTOR_HAVE_SLEEF)
#include <emmintrin.h>
#include <sleef.h>
#endif

namespace vantor {

void ExpBatchSse2(const double* x, double* out, int n) {
#if defined(__x86_64__) && defined(VANTOR_HAVE_SLEEF)
  // The library picks its best two-lane version (SSE2 or SSE4) itself.
  for (int i = 0; i < n; i += 2) _mm_storeu_pd(out + i, Sleef_expd2_u10(_mm_set_pd(x[i + 1], x[i])));
#else
  for (int i = 0; i < n; ++i) out[i] = std::exp(x[i]);
#endif
}

bool ProcessorHasAvx2() {
#if defined(__x86_64__) && defined(VANTOR_HAVE_SLEEF)
  __builtin_cpu_init();  // in case this runs before the library's own constructors
  return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma");
#else
  return false;
#endif
}

ExpBatch ChooseExpBatch() { return ProcessorHasAvx2() ? ExpBatchAvx2 : ExpBatchSse2; }

}  // namespace vantor
