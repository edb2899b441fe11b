// vantor-cli merge: the shard files of one sweep joined into the whole, in
// grid order, as one machine would have written it.
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "vantor/sweep/sweep_plan.h"
#include "vantor/sweep/sweep_rows.h"
#include "cli/commands.h"
#include "cli/diagnostics.h"
#include "cli/interrupts.h"
#include "cli/output_set.h"

namespace vantor::cli {
namespace {

int Merge(const std::vector<std::string>& args);

const CommandRegistration kMerge(
    {"merge", "SHARD... --out FILE", "join the shard files of a sweep into the whole, in grid order",
     "  Every shard K/N of one sweep must be given once, complete; the result is the file\n"
     "  the sweep would have written on one machine.\n",
     60, Merge});

int Fail(int status, const std::string& text) {
  if (status == kExitUsage) return UsageError("merge", text);
  PrintError(text);
  return status;
}

struct Shard {
  std::string path;
  SweepFile file;
  int k = 0;
  int n = 0;
};

// Splits "...; shard K/N" off a signature. False when it names no shard.
bool TakeShard(std::string& signature, int& k, int& n) {
  const std::size_t at = signature.rfind("; shard ");
  if (at == std::string::npos) return false;
  if (std::sscanf(signature.c_str() + at, "; shard %d/%d", &k, &n) != 2 || k < 1 || k > n) return false;
  signature.erase(at);
  return true;
}

long RunsOf(const std::string& signature) {
  long runs = -1;
  std::sscanf(signature.c_str(), "# vantor-cli sweep; runs %ld", &runs);
  return runs;
}

int Merge(const std::vector<std::string>& args) {
  std::string out;
  std::vector<std::string> inputs;
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--out") {
      if (i + 1 >= args.size() || args[i + 1].empty()) return Fail(2, "--out needs a file");
      out = args[++i];
    } else if (args[i].rfind("--out=", 0) == 0 && args[i].size() > 6) {
      out = args[i].substr(6);
    } else if (args[i].size() > 1 && args[i][0] == '-') {
      return Fail(2, "unknown option " + args[i]);
    } else {
      inputs.push_back(args[i]);
    }
  }
  if (out.empty() || inputs.empty()) return Fail(2, out.empty() ? "merge needs --out FILE" : "merge needs the shard files");

  std::vector<Shard> shards;
  std::string base;
  std::string header;
  for (const std::string& path : inputs) {
    Shard s;
    s.path = path;
    std::string error;
    if (!ReadSweepFile(path, s.file, error)) return Fail(1, error);
    std::string signature = s.file.signature;
    if (!TakeShard(signature, s.k, s.n)) return Fail(1, path + " is not a shard of a sweep (no --shard K/N)");
    if (base.empty()) {
      base = signature;
      header = s.file.header;
    } else if (signature != base || s.file.header != header) {
      return Fail(1, path + " belongs to another sweep than " + inputs.front());
    }
    shards.push_back(std::move(s));
  }
  const int n = shards.front().n;
  const long runs = RunsOf(base);
  if (runs < 0) return Fail(1, shards.front().path + " is not a sweep file (its signature names no runs)");
  std::map<int, const Shard*> byIndex;
  for (const Shard& s : shards) {
    if (s.n != n) return Fail(1, s.path + " is shard " + std::to_string(s.k) + "/" + std::to_string(s.n) +
                                     ", the others are of " + std::to_string(n));
    const auto [at, fresh] = byIndex.emplace(s.k, &s);
    if (!fresh)
      return Fail(1, "overlapping shards: " + at->second->path + " and " + s.path + " are both shard " +
                         std::to_string(s.k) + "/" + std::to_string(n));
  }
  for (int k = 1; k <= n; ++k)
    if (byIndex.find(k) == byIndex.end())
      return Fail(1, "shard " + std::to_string(k) + "/" + std::to_string(n) + " is missing");

  std::vector<const std::string*> rows(static_cast<std::size_t>(std::max(runs, 0L)), nullptr);
  for (const auto& [k, s] : byIndex) {
    const std::vector<long> expected = ShardRuns(runs, k, n);
    bool same = s->file.rows.size() == expected.size();
    for (std::size_t i = 0; same && i < expected.size(); ++i) same = s->file.rows[i].run == expected[i];
    if (!same)
      return Fail(1, s->path + " (shard " + std::to_string(k) + "/" + std::to_string(n) + ") is incomplete: " +
                         std::to_string(s->file.rows.size()) + " of " + std::to_string(expected.size()) +
                         " runs; finish it with --resume");
    for (std::size_t i = 0; i < expected.size(); ++i)
      rows[static_cast<std::size_t>(expected[i])] = &s->file.rows[i].text;
  }

  // Replacing a shard would lose it if the merged file were ever wrong.
  OutputSet outputs;
  outputs.Add("--out", out);
  if (!outputs.Open(inputs)) return kExitRefused;
  OutputFile& file = *outputs.File("--out");
  file.Write(base + "\n");
  file.Write(header);
  ReachedPhase("merge");
  for (const std::string* row : rows) file.Write(*row);
  return outputs.Commit() ? 0 : kExitRefused;
}

}  // namespace
}  // namespace vantor::cli
