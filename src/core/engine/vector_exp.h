// The exponential of many values at once, for the continuous method's rate
// evaluation (every gate's exponentials of one working point in one call).
// Four lanes of AVX2 where the processor has them, two of SSE2 otherwise;
// either is within 1 ulp of the exact exponential, as std::exp is, and both
// give 0 below -746, infinity above 710 and NaN for NaN.
#pragma once

namespace vantor {

// out[i] = e^x[i] for i < n. x and out hold at least RoundedExpCount(n)
// values: the lanes past n are computed and not used.
using ExpBatch = void (*)(const double* x, double* out, int n);

constexpr int RoundedExpCount(int n) { return (n + 3) / 4 * 4; }

// The fastest batch this processor runs.
ExpBatch ChooseExpBatch();
// Each one by name, for the checks (the AVX2 one only where the processor has it).
void ExpBatchSse2(const double* x, double* out, int n);
void ExpBatchAvx2(const double* x, double* out, int n);
bool ProcessorHasAvx2();

}  // namespace vantor
