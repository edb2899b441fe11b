// The fields of each segment kind as the stimulus file names them, shared by
// its reader and its writer so that both always agree.
#pragma once

#include <string_view>

#include "vantor/engine/stimulus.h"

namespace vantor::stimulus_fields {

enum class Type { Number, Count, Seed, Sweep, Path };

struct Field {
  const char* name;
  Type type;
  double Segment::*number;  // Type::Number only
  bool required;
};

struct Kind {
  const char* name;
  SegmentKind kind;
  const Field* fields;
  int fieldCount;
};

// Every kind in file order; null when `name` is none of them.
const Kind* KindNamed(std::string_view name);
const Kind& KindOf(SegmentKind kind);

}  // namespace vantor::stimulus_fields
