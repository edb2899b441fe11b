#include "vantor/params/parameter_names.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>

#include "vantor/text/text_helpers.h"

namespace vantor {
namespace {

struct Naming {
  const char* name;  // nullptr: the parameter table's short name
  const char* unit;
};

// In index order.
const Naming kNaming[kParameterCount] = {
    {"duration", "ms"},     {"base", "nA"},          {"onset", "ms"},
    {"offset", "ms"},       {"step", "nA"},          {nullptr, "\xC2\xB5S"},
    {nullptr, "\xC2\xB5S"}, {nullptr, "pL/s"},       {nullptr, "pL/s"},
    {nullptr, "\xC2\xB5S"}, {nullptr, "\xC2\xB5S"},  {nullptr, "\xC2\xB5S"},
    {nullptr, "\xC2\xB5S"}, {nullptr, ""},           {nullptr, ""},
    {"vstart", "mV"},       {"ipsc_onset", "ms"},    {nullptr, "\xC2\xB5S"},
    {"epsc_onset", "ms"},   {nullptr, "\xC2\xB5S"},  {nullptr, "mM"},
    {nullptr, "mM"},        {nullptr, "nM"},         {nullptr, "mM"},
    {nullptr, "mM"},        {nullptr, "mM"},         {nullptr, "mM"},
    {nullptr, "mM"},        {nullptr, "mM"},         {"ipsp_frequency", "Hz"},
    {"ipsp_count", ""},     {"ipsc_kinetics", ""},   {"gabaa_weight", ""},
    {"gabab_weight", ""},   {"epsp_frequency", "Hz"}, {"epsp_count", ""},
    {"epsc_kinetics", ""},  {"ampa_weight", ""},     {"nmda_weight", ""},
    {nullptr, "\xC2\xB5S"}, {nullptr, "\xC2\xB5S"},  {"hshift", "mV"},
    {"gate1", ""},          {"gate2", ""},           {"gate3", ""},
    {"plot_dv", "mV"},      {"plot_dt", "ms"},       {"plot", ""},
    {"max_change", "%"},    {"model", ""},           {"area", "\xC2\xB5m\xC2\xB2"},
    {"depth", "\xC2\xB5m"}, {"ca_removal", "1/ms"},  {"temperature", "\xC2\xB0" "C"},
};

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

bool SameIgnoringCase(const std::string& a, const std::string& b) { return Lower(a) == Lower(b); }

// Edits (insert, delete, replace, swap of neighbours) from a to b.
std::size_t Distance(const std::string& a, const std::string& b) {
  const std::size_t n = a.size(), m = b.size();
  std::vector<std::vector<std::size_t>> d(n + 1, std::vector<std::size_t>(m + 1));
  for (std::size_t i = 0; i <= n; ++i) d[i][0] = i;
  for (std::size_t j = 0; j <= m; ++j) d[0][j] = j;
  for (std::size_t i = 1; i <= n; ++i)
    for (std::size_t j = 1; j <= m; ++j) {
      const std::size_t cost = a[i - 1] == b[j - 1] ? 0 : 1;
      d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1, d[i - 1][j - 1] + cost});
      if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1])
        d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
    }
  return d[n][m];
}

}  // namespace

std::string CommandLineName(int k) {
  const char* own = kNaming[k].name;
  return own != nullptr ? own : ParameterSet::ShortName(k);
}

std::string ParameterUnit(int k) { return kNaming[k].unit; }

int FindParameterKey(const ParameterSet& params, const std::string& key) {
  if (key.empty()) return -1;
  if (std::all_of(key.begin(), key.end(), [](unsigned char c) { return std::isdigit(c); })) {
    if (key.size() > 2) return -1;
    const int k = std::atoi(key.c_str());
    return k < kParameterCount ? k : -1;
  }
  // Exact matches first: the parameter table's names, prompts as typed.
  if (const int k = params.Find(key); k >= 0) return k;
  const std::string bytes = Utf8ToCp437(key);
  if (const int k = params.Find(bytes); k >= 0) return k;
  for (int k = 0; k < kParameterCount; ++k)
    if (SameIgnoringCase(key, CommandLineName(k))) return k;
  for (int k = 0; k < kParameterCount; ++k)
    if (SameIgnoringCase(bytes, params.Prompt(k)) ||
        SameIgnoringCase(bytes, ParameterSet::BuiltInPrompt(k)))
      return k;
  return -1;
}

std::vector<std::string> SuggestParameterNames(const std::string& key) {
  const std::string typed = Lower(key);
  // A slip of one character in a short name, two in a longer one.
  const std::size_t allowed = typed.size() <= 4 ? 1 : 2;
  std::vector<std::pair<std::size_t, std::string>> close;
  for (int k = 0; k < kParameterCount; ++k) {
    const std::string name = CommandLineName(k);
    const std::size_t d = Distance(typed, Lower(name));
    if (d <= allowed) close.emplace_back(d, name);
  }
  std::stable_sort(close.begin(), close.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  std::vector<std::string> names;
  for (const auto& [d, name] : close) names.push_back(name);
  if (names.size() > 3) names.resize(3);
  return names;
}

}  // namespace vantor
