// Mutated parameter, companion, limits and gate files fed to every command:
// whatever the bytes, vantor-cli ends in time with 0, 1 or 2, says why it
// refused, leaves the outputs alone when it refuses and no temporary file
// behind.
#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <sstream>

#include "cli/cli_process.h"

namespace vantor::testing {
namespace {

namespace fs = std::filesystem;

constexpr int kCasesPerPart = 100;
const std::string kOld = "OLD\n";

std::string Mutate(std::string bytes, std::mt19937& pick) {
  const auto at = [&](std::size_t n) { return n == 0 ? 0 : pick() % n; };
  switch (pick() % 10) {
    case 0:  // truncated
      bytes.resize(at(bytes.size()));
      break;
    case 1:  // bits flipped
      for (int i = 1 + static_cast<int>(pick() % 8); i > 0 && !bytes.empty(); --i)
        bytes[at(bytes.size())] ^= static_cast<char>(1u << (pick() % 8));
      break;
    case 2: {  // oversized
      const std::string copy = bytes;
      for (int i = 0; i < 300; ++i) bytes += copy;
      break;
    }
    case 3:  // binary
      bytes.resize(at(4096));
      for (char& c : bytes) c = static_cast<char>(pick());
      break;
    case 4: {  // CRLF
      std::string crlf;
      for (char c : bytes) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
      bytes = crlf;
      break;
    }
    case 5: {  // a number out of range
      static const char* kNumbers[] = {"1e30",  "-1e30", "nan", "inf", "-inf", "1e-45", "0",
                                       "-0",    "99999999999999999999", "3.4e39", "-200000",
                                       "1e6",   "0.001"};
      std::vector<std::size_t> starts;
      for (std::size_t i = 0; i < bytes.size(); ++i)
        if ((bytes[i] >= '0' && bytes[i] <= '9') && (i == 0 || bytes[i - 1] == ' ' || bytes[i - 1] == '\n'))
          starts.push_back(i);
      if (starts.empty()) break;
      const std::size_t s = starts[at(starts.size())];
      std::size_t e = s;
      while (e < bytes.size() && bytes[e] != ' ' && bytes[e] != '\n') ++e;
      bytes.replace(s, e - s, kNumbers[at(std::size(kNumbers))]);
      break;
    }
    case 6:
      bytes.clear();
      break;
    case 7:
    case 8: {  // a line removed or doubled
      std::vector<std::string> lines;
      std::istringstream in(bytes);
      for (std::string l; std::getline(in, l);) lines.push_back(l);
      if (lines.empty()) break;
      const std::size_t n = at(lines.size());
      if (bytes.size() % 2 == 0) lines.erase(lines.begin() + static_cast<long>(n));
      else lines.insert(lines.begin() + static_cast<long>(n), lines[n]);
      bytes.clear();
      for (const auto& l : lines) bytes += l + "\n";
      break;
    }
    default:  // NUL bytes
      for (int i = 0; i < 3 && !bytes.empty(); ++i) bytes.insert(at(bytes.size()), 1, '\0');
      break;
  }
  return bytes;
}

class CliStress : public ::testing::TestWithParam<int> {};

TEST_P(CliStress, MutatedInputsEndCleanly) {
  const fs::path dir = TestFolder();
  const fs::path bin = VANTOR_BIN_DIR;
  const std::string v4 = ReadFile(bin / "examples" / "synaptic-trains.vt4");
  const std::string limits = ReadFile(bin / "VANTOR.mnx");
  const std::string gates = ReadFile(bin / "vmodels.val");
  {
    CliCall make;
    make.dir = dir;
    make.args = {"defaults", "base.vts"};
    ASSERT_EQ(RunCli(make).status, 0);
  }
  const std::string v3 = ReadFile(dir / "base.vts");
  const std::string companion = ReadFile(dir / "base.cin");
  fs::remove(dir / "base.vts");
  fs::remove(dir / "base.cin");

  const std::vector<std::string> outputs{"out.csv", "out.png", "out.vts", "out.cin"};
  for (int c = 0; c < kCasesPerPart; ++c) {
    const int index = GetParam() * kCasesPerPart + c;
    std::mt19937 pick(static_cast<unsigned>(index) * 2654435761u + 7u);
    // Every input as shipped, one of them mutated.
    std::map<std::string, std::string> inputs{
        {"p.vt4", v4}, {"p.vts", v3}, {"p.cin", companion}, {"l.mnx", limits}, {"g.val", gates}};
    const int kind = index % 5;
    const std::string mutated = std::vector<std::string>{"p.vt4", "p.vts", "p.cin", "l.mnx", "g.val"}[kind];
    inputs[mutated] = Mutate(inputs[mutated], pick);
    for (const auto& [name, bytes] : inputs) WriteFile(dir / name, bytes);
    for (const auto& name : outputs) WriteFile(dir / name, kOld);

    const std::string param = kind == 0 ? "p.vt4" : "p.vts";
    const bool picture = pick() % 8 == 0;
    std::vector<std::string> args;
    switch (kind == 3 ? 3 + pick() % 2 : kind == 4 ? 5 : pick() % 3) {
      case 0:
        args = {"run", param, "--set", "duration=5", "--csv", "out.csv"};
        break;
      case 1:
        args = {"convert", param, "out.vts"};
        break;
      case 2:
        args = {"run", "--overlay", param, "--set", "duration=5", "--csv", "out.csv"};
        if (!picture) args.insert(args.end(), {"--svg", "-"});
        break;
      case 3:
        args = {"run", "--limits", "l.mnx", "--set", "duration=5", "--csv", "out.csv"};
        break;
      case 4:
        args = {"params", "--limits", "l.mnx", "--json"};
        break;
      default:
        args = {"run", "--gates", "g.val", "--set", "duration=5", "--csv", "out.csv"};
        break;
    }
    if (picture && args[0] == "run") args.insert(args.end(), {"--png", "out.png", "--size", "200x150"});

    CliCall call;
    call.dir = dir;
    call.args = args;
    call.env["TMPDIR"] = dir.string();
    const CliOutcome run = RunCli(call);
    std::string what = "case " + std::to_string(index) + " (" + mutated + "):";
    for (const auto& a : args) what += " " + a;
    ASSERT_FALSE(run.timedOut) << what;
    ASSERT_TRUE(run.status == 0 || run.status == 1 || run.status == 2)
        << what << " status " << run.status << " signal " << run.termSignal << "\n" << run.err;
    if (run.status != 0) {
      EXPECT_NE(run.err.find("vantor-cli: error: "), std::string::npos) << what << "\n" << run.err;
      for (const auto& name : outputs) EXPECT_EQ(ReadFile(dir / name), kOld) << what << " " << name;
    }
    for (const auto& [name, bytes] : inputs) EXPECT_EQ(ReadFile(dir / name), bytes) << what << " " << name;
    for (const std::string& name : FileNames(dir)) {
      const bool input = inputs.count(name) != 0;
      const bool output = std::find(outputs.begin(), outputs.end(), name) != outputs.end();
      EXPECT_TRUE(input || output) << what << " left " << name;
    }
    if (::testing::Test::HasFailure()) break;
  }
  fs::remove_all(dir);
}

INSTANTIATE_TEST_SUITE_P(Batches, CliStress, ::testing::Range(0, 5));

}  // namespace
}  // namespace vantor::testing
