#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "params/file_fixture.h"
#include "params/replacing_file.h"

namespace vantor {
namespace {

namespace fs = std::filesystem;
using testing::ReadAll;
using testing::ScratchDir;
using testing::WriteAll;

TEST(ReplacingFile, TheTargetChangesOnlyOnCommit) {
  ScratchDir dir;
  WriteAll(dir / "t.txt", "old");
  {
    ReplacingFile file;
    ASSERT_TRUE(file.Open(dir / "t.txt"));
    file.Write("new text");
    EXPECT_EQ(ReadAll(dir / "t.txt"), "old");
    EXPECT_EQ(dir.Names().size(), 2u);  // the temporary file lies beside it
  }                                     // dropped without a commit
  EXPECT_EQ(ReadAll(dir / "t.txt"), "old");
  EXPECT_EQ(dir.Names(), std::vector<std::string>{"t.txt"});

  ReplacingFile file;
  ASSERT_TRUE(file.Open(dir / "t.txt"));
  file.Write("new text");
  ASSERT_TRUE(file.Commit());
  EXPECT_EQ(ReadAll(dir / "t.txt"), "new text");
  EXPECT_EQ(dir.Names(), std::vector<std::string>{"t.txt"});
  EXPECT_FALSE(file.Commit());  // nothing left to commit
}

TEST(ReplacingFile, LongestNamesPermissionsAndLinks) {
  ScratchDir dir;
  const std::string longest = dir / std::string(255, 'n');
  ReplacingFile file;
  ASSERT_TRUE(file.Open(longest));
  file.Write("x");
  ASSERT_TRUE(file.Commit());
  EXPECT_EQ(ReadAll(longest), "x");

  WriteAll(dir / "private", "old");
  fs::permissions(dir / "private", fs::perms::owner_read | fs::perms::owner_write);
  ASSERT_TRUE(file.Open(dir / "private"));
  file.Write("new");
  ASSERT_TRUE(file.Commit());
  EXPECT_EQ(fs::status(dir / "private").permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write);

  fs::create_symlink(dir / "private", dir / "link");
  ASSERT_TRUE(file.Open(dir / "link"));
  file.Write("through the link");
  ASSERT_TRUE(file.Commit());
  EXPECT_TRUE(fs::is_symlink(dir / "link"));
  EXPECT_EQ(ReadAll(dir / "private"), "through the link");
}

TEST(ReplacingFile, RefusesWhatCannotBeReplaced) {
  ScratchDir dir;
  ReplacingFile file;
  EXPECT_FALSE(file.Open(""));
  EXPECT_FALSE(file.Open(dir.Path().string()));
  EXPECT_FALSE(file.Open(dir / "missing/dir/file"));
  EXPECT_EQ(file.Stream(), nullptr);
  EXPECT_FALSE(file.Commit());
  EXPECT_TRUE(dir.Names().empty());
}

}  // namespace
}  // namespace vantor
