// Built for AVX2 and FMA (see CMakeLists.txt); called only where the
// processor has both. Nothing else may live here: any inline function this
// file compiled could be the copy the whole program links.
#include "engine/vector_exp.h"

#if defined(__x86_64__) && defined(VANTOR_HAVE_SLEEF)
#include <immintrin.h>
#include <sleef.h>
#endif

namespace vantor {

void ExpBatchAvx2(const double* x, double* out, int n) {
#if defined(__x86_64__) && defined(VANTOR_HAVE_SLEEF)
  // The caller has just stored the values one by one. A wide load of the
  // last four would wait for those stores to retire, so they are loaded one
  // at a time (the empty statement keeps the compiler from joining the
  // loads); the earlier ones are long stored and load whole.
  if (n <= 0) return;
  int i = 0;
  for (; i + 4 < n; i += 4)
    _mm256_storeu_pd(out + i, Sleef_expd4_u10avx2(_mm256_loadu_pd(x + i)));
  __m128d low = _mm_load_sd(x + i), high = _mm_load_sd(x + i + 2);
  asm("" : "+x"(low), "+x"(high));
  low = _mm_loadh_pd(low, x + i + 1);
  high = _mm_loadh_pd(high, x + i + 3);
  const __m256d last = _mm256_insertf128_pd(_mm256_castpd128_pd256(low), high, 1);
  _mm256_storeu_pd(out + i, Sleef_expd4_u10avx2(last));
#else
  ExpBatchSse2(x, out, n);
#endif
}

}  // namespace vantor
