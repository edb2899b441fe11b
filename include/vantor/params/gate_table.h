// The gate table: 17 rows of 8 coefficients A .. H, read from vmodels.val.
#pragma once

#include <array>
#include <string>

#include "vantor/params/messages.h"

namespace vantor {

constexpr int kGateRowCount = 17;
constexpr int kGateColumnCount = 8;

// Rows, numbered from 1 as the Model Editor numbers them.
namespace gate {
enum Row : int {
  mNa = 1, hNa, mK, mA, hA, mT, hT, mC, mL, mH, mM, mNap, mAHP,
  AMPA, NMDA, GABAa, GABAb,
};
}  // namespace gate

struct GateRow {
  bool operator==(const GateRow&) const = default;
  float A = 0, B = 0, C = 0, D = 0, E = 0, F = 0, G = 0, H = 0;
  // Column 0 .. 7 is A .. H. Through member pointers, since stepping a
  // pointer from A to the later members is not allowed.
  float& operator[](int column) { return this->*kColumns[column]; }
  float operator[](int column) const { return this->*kColumns[column]; }

 private:
  static constexpr float GateRow::*kColumns[8] = {&GateRow::A, &GateRow::B, &GateRow::C,
                                                  &GateRow::D, &GateRow::E, &GateRow::F,
                                                  &GateRow::G, &GateRow::H};
};

class GateTable {
 public:
  // Row r in 1 .. 17.
  const GateRow& Row(int r) const { return rows_[r - 1]; }
  GateRow& Row(int r) { return rows_[r - 1]; }
  float Coefficient(int r, int column) const { return rows_[r - 1][column]; }
  void SetCoefficient(int r, int column, float v) { rows_[r - 1][column] = v; }

  // The same 17 x 8 coefficients (the loaded flag aside).
  bool SameCoefficients(const GateTable& other) const { return rows_ == other.rows_; }

  bool Loaded() const { return loaded_; }
  void MarkLoaded() { loaded_ = true; }

  // "mNa" .. "mAHP" for gate numbers 1 .. 13; empty for any other number.
  static std::string GateName(int number);
  // "1  - mNa" .. "17-GABAb".
  static const char* EditorLabel(int row);

 private:
  std::array<GateRow, kGateRowCount> rows_{};
  bool loaded_ = false;
};

// Reads vmodels.val (or any file of that layout) into the table. On any
// failure the message goes to `messages` once and the table stays not loaded;
// coefficients read before the failure are kept.
bool LoadGateTable(const std::string& path, GateTable& table, Messages& messages);

// Writes the table in the layout LoadGateTable reads: a line per row, the
// gate's name and A .. H in as many digits as give the same single-precision
// number back. The file replaces `path` only once it is complete. False
// when a coefficient is not a finite number (nothing is written then) or
// when the file could not be written (errno says why; `path` is as it was).
bool SaveGateTable(const std::string& path, const GateTable& table);

}  // namespace vantor
