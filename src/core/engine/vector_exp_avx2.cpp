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
  // Four loads of one value each: the caller has just stored them one by
  // one, and a wide load of narrow stores would wait for them to retire.
  for (int i = 0; i < n; i += 4)
    _mm256_storeu_pd(out + i,
                     Sleef_expd4_u10avx2(_mm256_set_pd(x[i + 3], x[i + 2], x[i + 1], x[i])));
#else
  ExpBatchSse2(x, out, n);
#endif
}

}  // namespace vantor
