// The CSV's number formatter against printf("%.9g"), whose text it keeps.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <random>
#include <string>

#include "vantor/text/csv_number.h"

namespace vantor::cli {
namespace {

std::string Printf(double value) {
  char text[64];
  std::snprintf(text, sizeof text, "%.9g", value);
  return text;
}

std::string Ours(double value) {
  char text[40];
  return std::string(text, FormatNine(text, value));
}

TEST(CsvNumber, EveryKindOfNumberPrintsAsPrintfDoes) {
  for (double v : {0.0, -0.0, 1.0, -65.0, 80.0, 0.05, 1e-4, 9.99999999e-5, 0.0001, 123456789.0,
                   999999999.5, 999999999.4, 1e9, 1e8, 1e-5, 1e-45, 3.4e38, 5e-324, 1e300, 1e-300,
                   0.1, 10.0, 100000000.0, 1.5e-7, std::numeric_limits<double>::infinity(),
                   -std::numeric_limits<double>::infinity(), std::nan(""),
                   static_cast<double>(std::numeric_limits<float>::max()),
                   static_cast<double>(std::numeric_limits<float>::denorm_min())})
    EXPECT_EQ(Ours(v), Printf(v)) << v;
  std::mt19937 pick(12345);
  // Floats of every exponent, as a run records them ...
  for (int i = 0; i < 1000000; ++i) {
    const uint32_t bits = pick();
    float f;
    std::memcpy(&f, &bits, sizeof f);
    ASSERT_EQ(Ours(f), Printf(f)) << bits;
  }
  // ... values a run is full of (near whole numbers, small currents) ...
  std::uniform_real_distribution<float> membrane(-120, 60);
  for (int i = 0; i < 300000; ++i) {
    const float f = membrane(pick);
    ASSERT_EQ(Ours(f), Printf(f)) << f;
    const float small = f * 1e-6f;
    ASSERT_EQ(Ours(small), Printf(small)) << small;
  }
  // ... and doubles (interpolated rows, grid times).
  std::uniform_real_distribution<double> unit(-1, 1);
  for (int i = 0; i < 300000; ++i) {
    const double v = unit(pick) * std::pow(10.0, static_cast<int>(pick() % 60) - 30);
    ASSERT_EQ(Ours(v), Printf(v)) << v;
    const double grid = 0.1 * static_cast<double>(pick() % 1000000);
    ASSERT_EQ(Ours(grid), Printf(grid)) << grid;
  }
}

}  // namespace
}  // namespace vantor::cli
