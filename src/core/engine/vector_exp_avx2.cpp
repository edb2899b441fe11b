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
  for (int i = 0; i < n; i += 4)
    _mm256_storeu_pd(out + i, Sleef_expd4_u10avx2(_mm256_loadu_pd(x + i)));
#else
  ExpBatchSse2(x, out, n);
#endif
}

}  // namespace vantor
