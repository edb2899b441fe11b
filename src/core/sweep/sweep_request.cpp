#include "vantor/sweep/sweep_request.h"

#include <algorithm>
#include <charconv>

#include "vantor/params/messages.h"
#include "vantor/params/parameter_names.h"
#include "vantor/params/parameter_rules.h"
#include "vantor/text/text_helpers.h"

namespace vantor {
namespace {

// A list given as numbers: the text it would have been given as.
void TakeList(const std::vector<float>& values, SweepAxis& axis) {
  axis.values = values;
  axis.given.clear();
  for (float v : values) {
    char text[32];
    const auto end = std::to_chars(text, text + sizeof text, v);
    if (!axis.given.empty()) axis.given += ',';
    axis.given.append(text, end.ptr);
  }
  axis.from = axis.to = values.front();
  for (float v : values) axis.from = std::min(axis.from, v), axis.to = std::max(axis.to, v);
  axis.list = true;
}

}  // namespace

PlanRefusal MakeSweepPlan(const SweepRequest& request, const ParameterSet& params,
                          const SweepTerms& terms, SweepPlan& plan) {
  plan = SweepPlan{};
  plan.samples = request.samples;
  plan.seed = request.seed;
  for (const AxisRequest& asked : request.axes) {
    SweepAxis axis;
    axis.index = asked.index >= 0 ? asked.index : FindParameterKey(params, asked.key);
    if (axis.index < 0)
      return {PlanFault::NoSuchParameter, std::string(kShellCaption),
              NoParameterMessage(Utf8ToCp437(asked.key))};
    const std::string key = asked.index >= 0 ? CommandLineName(axis.index) : asked.key;
    for (const SweepAxis& earlier : plan.axes)
      if (earlier.index == axis.index)
        return {PlanFault::BadAxis, "", terms.vary + " names " + key + " twice"};
    if (asked.text.empty() && !asked.values.empty()) {
      TakeList(asked.values, axis);
    } else {
      std::string error;
      if (!ParseAxisValues(asked.text, axis, error))
        return {PlanFault::BadAxis, "", terms.vary + " " + key + ": " + error};
    }
    axis.name = CommandLineName(axis.index);
    for (float v : {axis.from, axis.to})
      if (!params.InRange(axis.index, v))
        return {PlanFault::OutOfRange, std::string(kRangeCaption), RangeMessage(params, axis.index)};
    plan.axes.push_back(std::move(axis));
  }
  const long runs = plan.Runs();
  if (runs > kGridLimit && !request.force)
    return {PlanFault::TooManyRuns, std::string(kShellCaption),
            "The sweep has " + std::to_string(runs) + " runs, more than " +
                std::to_string(kGridLimit) + ". Add " + terms.force + " to run it all the same."};
  return {};
}

}  // namespace vantor
