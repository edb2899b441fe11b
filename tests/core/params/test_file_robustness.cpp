// Every reader of the program's text files meets truncated, mutated and
// oversized versions of a good file. None may crash or hang, what it leaves
// behind must be usable, and it must say it failed exactly when it did.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <random>
#include <string>

#include "params/file_fixture.h"
#include "vantor/params/gate_table.h"
#include "vantor/params/list_files.h"
#include "vantor/params/parameter_file.h"
#include "vantor/params/preferences.h"

namespace vantor {
namespace {

using testing::ReadAll;
using testing::ScratchDir;
using testing::WriteAll;

bool IsToken(const std::string& text, std::size_t limit) {
  if (text.empty() || text.size() > limit) return false;
  for (char c : text)
    if (c == '\0' || std::isspace(static_cast<unsigned char>(c))) return false;
  return true;
}

// The messages that say a read failed: one when it did, none otherwise;
// warnings of what was read all the same ("80,5" as 80) may come beside.
long Errors(const CollectedMessages& messages) {
  return std::count_if(messages.entries.begin(), messages.entries.end(),
                       [](const auto& m) { return m.caption != kReadWarningCaption; });
}

void ExpectUsable(const ParameterSet& params) {
  for (int k = 0; k < kParameterCount; ++k) {
    ASSERT_TRUE(std::isfinite(params.Value(k))) << k;
    ASSERT_TRUE(std::isfinite(params.Minimum(k)) && std::isfinite(params.Maximum(k))) << k;
    ASSERT_LE(params.Prompt(k).size(), kPromptLimit);
    ASSERT_EQ(params.Prompt(k).find_first_of(std::string("\n\0", 2)), std::string::npos);
  }
  ASSERT_LE(params.Comment().size(), kCommentLimit);
  ASSERT_EQ(params.Comment().find('\n'), std::string::npos);
  for (int i = 0; i < kTraceCount; ++i) {
    const TraceRow& row = params.Trace(i);
    ASSERT_TRUE(std::isfinite(row.maximum) && std::isfinite(row.minimum) &&
                std::isfinite(row.plot));
    ASSERT_TRUE(IsToken(row.unit, kUnitLimit)) << i;
    ASSERT_TRUE(IsToken(row.prefix, kPrefixLimit)) << i;
    ASSERT_TRUE(IsToken(row.suffix, kSuffixLimit)) << i;
  }
}

// One reader: the file it reads, a good version of it, and a check run on
// whatever content the file has.
struct Reader {
  std::string name;
  std::string good;
  std::function<void(const std::string& path)> check;
};

class FileRobustness : public ::testing::Test {
 protected:
  void SetUp() override {
    CollectedMessages ignored;
    WriteParameterFile(dir_ / "good.vt4", ParameterSet(), ignored);
    WriteParameterFile(dir_ / "a.vts", ParameterSet(), ignored);
    goodCompanion_ = ReadAll(dir_ / "a.cin");
    goodVersion3_ = ReadAll(dir_ / "a.vts");
  }

  std::vector<Reader> Readers() {
    const std::string companion = dir_ / "a.cin";
    std::vector<Reader> readers;
    readers.push_back({"vmodels.val", ReadAll(VANTOR_SOURCE_DIR "/data/vmodels.val"),
                       [](const std::string& path) {
                         GateTable table;
                         CollectedMessages messages;
                         const bool loaded = LoadGateTable(path, table, messages);
                         ASSERT_EQ(loaded, messages.entries.empty());
                         ASSERT_EQ(loaded, table.Loaded());
                         ASSERT_LE(messages.entries.size(), 1u);
                         for (int r = 1; r <= kGateRowCount; ++r)
                           for (int c = 0; c < kGateColumnCount; ++c)
                             ASSERT_TRUE(std::isfinite(table.Coefficient(r, c)));
                       }});
    readers.push_back({"p.vt4", ReadAll(dir_ / "good.vt4"), [](const std::string& path) {
                         ParameterSet params;
                         CollectedMessages messages;
                         const bool ok = ReadParameterFile(path, params, messages);
                         ASSERT_EQ(ok, Errors(messages) == 0);
                         ASSERT_LE(Errors(messages), 1);
                         ExpectUsable(params);
                         // Whatever was read can be saved again.
                         if (ok) {
                           ASSERT_TRUE(WriteParameterFile(path + ".out.vt4", params, messages).ok);
                         }
                       }});
    readers.push_back({"a.vts", goodVersion3_, [this, companion](const std::string& path) {
                         WriteAll(companion, goodCompanion_);
                         ParameterSet params;
                         CollectedMessages messages;
                         const bool ok = ReadParameterFile(path, params, messages);
                         // The companion is good, so a success says nothing.
                         ASSERT_EQ(ok, Errors(messages) == 0);
                         ASSERT_LE(Errors(messages), 1);
                         ExpectUsable(params);
                         if (ok) {
                           ASSERT_EQ(params.Value(param::MembraneArea), 29000.0f);
                         }
                       }});
    readers.push_back({"a.cin", goodCompanion_, [this](const std::string& path) {
                         WriteAll(dir_ / "a.vts", goodVersion3_);
                         ParameterSet params;
                         CollectedMessages messages;
                         // A bad companion never fails the parameter file.
                         ASSERT_TRUE(ReadParameterFile(dir_ / "a.vts", params, messages));
                         ASSERT_LE(messages.entries.size(), 1u);
                         if (!messages.entries.empty()) {
                           ASSERT_EQ(messages.entries[0].text.rfind(path, 0), 0u);
                         }
                         ExpectUsable(params);
                         float values[kCompanionCount] = {};
                         messages.entries.clear();
                         const bool ok = ReadValueFile(path, values, kCompanionCount, messages);
                         ASSERT_EQ(ok, messages.entries.empty());
                         for (float v : values) ASSERT_TRUE(std::isfinite(v));
                       }});
    readers.push_back({"VANTORW.INI", ReadAll(VANTOR_SOURCE_DIR "/data/VANTORW.INI"),
                       [](const std::string& path) {
                         Preferences preferences;
                         CollectedMessages messages;
                         ReadCountList(path, preferences.values.data(), kPreferenceCount, messages);
                         ASSERT_LE(messages.entries.size(), 2u);
                         for (const auto& entry : messages.entries)
                           ASSERT_TRUE(entry.text == path + " file could not be read." ||
                                       entry.text == path + " file has wrong number of parameters.")
                               << entry.text;
                       }});
    readers.push_back(
        {"VANTOR.mnx", ReadAll(VANTOR_SOURCE_DIR "/data/VANTOR.mnx"), [](const std::string& path) {
           ParameterSet params;
           CollectedMessages messages;
           ReadInitFile(ReplaceExtension(path, ".cin"), params, messages);
           ASSERT_LE(messages.entries.size(), 1u);
           ExpectUsable(params);
         }});
    return readers;
  }

  void Feed(const Reader& reader, const std::string& content, const std::string& what) {
    const std::string path = dir_ / reader.name;
    WriteAll(path, content);
    SCOPED_TRACE(reader.name + ": " + what);
    reader.check(path);
  }

  ScratchDir dir_;
  std::string goodCompanion_;
  std::string goodVersion3_;
};

TEST_F(FileRobustness, GoodFilesReadCleanly) {
  for (const Reader& reader : Readers()) {
    const std::string path = dir_ / reader.name;
    WriteAll(path, reader.good);
    CollectedMessages messages;
    ParameterSet params;
    GateTable table;
    if (reader.name == "vmodels.val") {
      EXPECT_TRUE(LoadGateTable(path, table, messages));
    }
    if (reader.name == "p.vt4" || reader.name == "a.vts" || reader.name == "a.cin") {
      EXPECT_TRUE(
          ReadParameterFile(reader.name == "p.vt4" ? path : dir_ / "a.vts", params, messages));
    }
    EXPECT_TRUE(messages.entries.empty()) << reader.name;
    Feed(reader, reader.good, "good");
  }
}

TEST_F(FileRobustness, EveryTruncation) {
  for (const Reader& reader : Readers())
    for (std::size_t length = 0; length < reader.good.size(); ++length) {
      Feed(reader, reader.good.substr(0, length), "prefix " + std::to_string(length));
      if (HasFatalFailure()) return;
    }
}

TEST_F(FileRobustness, RandomMutations) {
  const std::vector<std::string> inserts = {"nan",
                                            "1e999",
                                            "-1e999",
                                            "1e-999",
                                            "inf",
                                            "99999999999999999999999",
                                            std::string(1, '\0'),
                                            "\r",
                                            "\n",
                                            " ",
                                            "-",
                                            ".",
                                            "e",
                                            "+",
                                            "\xE6",
                                            "0x1p3",
                                            std::string(3000, '7')};
  std::mt19937 random(20240611);
  auto pick = [&](std::size_t n) { return static_cast<std::size_t>(random() % n); };
  for (const Reader& reader : Readers())
    for (int round = 0; round < 300; ++round) {
      std::string text = reader.good;
      const int edits = 1 + static_cast<int>(pick(3));
      for (int e = 0; e < edits && !text.empty(); ++e) {
        const std::size_t at = pick(text.size());
        switch (pick(4)) {
          case 0:
            text[at] = static_cast<char>(pick(256));
            break;
          case 1:
            text.insert(at, inserts[pick(inserts.size())]);
            break;
          case 2:
            text.erase(at, 1 + pick(40));
            break;
          default:
            text.insert(at, text.substr(pick(text.size()), pick(60)));
            break;
        }
      }
      Feed(reader, text, "round " + std::to_string(round));
      if (HasFatalFailure()) return;
    }
}

TEST_F(FileRobustness, TenMegabyteLines) {
  const std::string letters(10 << 20, 'x');
  const std::string digits(10 << 20, '9');
  for (const Reader& reader : Readers()) {
    const std::size_t middle = reader.good.find('\n', reader.good.size() / 2);
    Feed(reader, reader.good.substr(0, middle) + letters + reader.good.substr(middle), "letters");
    Feed(reader, reader.good.substr(0, middle + 1) + digits + reader.good.substr(middle + 1),
         "digits");
    if (HasFatalFailure()) return;
  }
}

}  // namespace
}  // namespace vantor
