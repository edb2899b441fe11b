#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "vantor/files/output_file.h"
#include "params/file_fixture.h"

namespace vantor {
namespace {

namespace fs = std::filesystem;
using testing::ReadAll;
using testing::ScratchDir;
using testing::WriteAll;

TEST(OutputFile, TheTargetChangesOnlyOnCommit) {
  ScratchDir dir;
  WriteAll(dir / "t.txt", "old");
  {
    OutputFile file;
    ASSERT_TRUE(file.Open(dir / "t.txt"));
    EXPECT_TRUE(file.IsOpen());
    file.Write("new text");
    EXPECT_EQ(ReadAll(dir / "t.txt"), "old");
    EXPECT_EQ(dir.Names().size(), 2u);  // the temporary file lies beside it
  }                                     // dropped without a commit
  EXPECT_EQ(ReadAll(dir / "t.txt"), "old");
  EXPECT_EQ(dir.Names(), std::vector<std::string>{"t.txt"});

  OutputFile file;
  ASSERT_TRUE(file.Open(dir / "t.txt"));
  file.Write("thrown away");
  file.Abandon();
  EXPECT_FALSE(file.IsOpen());
  EXPECT_EQ(ReadAll(dir / "t.txt"), "old");
  EXPECT_EQ(dir.Names(), std::vector<std::string>{"t.txt"});

  // Opening again drops the unfinished temporary file of the first Open.
  ASSERT_TRUE(file.Open(dir / "t.txt"));
  ASSERT_TRUE(file.Open(dir / "t.txt"));
  EXPECT_EQ(dir.Names().size(), 2u);
  file.Write("new ");
  std::fputs("text", file.Stream());  // the stream and Write mix freely
  ASSERT_TRUE(file.Commit());
  EXPECT_FALSE(file.IsOpen());
  EXPECT_EQ(file.Stream(), nullptr);
  EXPECT_EQ(ReadAll(dir / "t.txt"), "new text");
  EXPECT_EQ(dir.Names(), std::vector<std::string>{"t.txt"});
  EXPECT_FALSE(file.Commit());  // nothing left to commit
}

TEST(OutputFile, LongestNamesPermissionsAndLinks) {
  ScratchDir dir;
  const std::string longest = dir / std::string(255, 'n');
  OutputFile file;
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
  EXPECT_EQ(file.Target(), dir / "private");
  file.Write("through the link");
  ASSERT_TRUE(file.Commit());
  EXPECT_TRUE(fs::is_symlink(dir / "link"));
  EXPECT_EQ(ReadAll(dir / "private"), "through the link");

  // A relative link to a link whose file does not exist yet: the file is
  // created where the chain ends and both links stay.
  fs::create_directory(dir / "sub");
  fs::create_symlink("sub/later", dir / "first");
  fs::create_symlink("../future", dir / "sub/later");
  ASSERT_TRUE(file.Open(dir / "first"));
  file.Write("made through two links");
  ASSERT_TRUE(file.Commit());
  EXPECT_TRUE(fs::is_symlink(dir / "first"));
  EXPECT_TRUE(fs::is_symlink(dir / "sub/later"));
  EXPECT_EQ(ReadAll(dir / "future"), "made through two links");
}

TEST(OutputFile, RefusesWhatCannotBeReplaced) {
  ScratchDir dir;
  OutputFile file;
  EXPECT_FALSE(file.Open(""));
  EXPECT_FALSE(file.Open(dir.Path().string()));
  EXPECT_FALSE(file.Open(dir / "missing/dir/file"));
  // A NUL would cut the name short and write some other file.
  EXPECT_FALSE(file.Open(dir / std::string("cut\0off", 7)));
  EXPECT_FALSE(file.OpenDevice(dir / std::string("cut\0off", 7)));
  EXPECT_FALSE(file.OpenDevice(""));
  fs::create_symlink("loop-b", dir / "loop-a");
  fs::create_symlink("loop-a", dir / "loop-b");
  EXPECT_FALSE(file.Open(dir / "loop-a"));
  EXPECT_FALSE(file.IsOpen());
  EXPECT_EQ(file.Stream(), nullptr);
  EXPECT_FALSE(file.Commit());
  EXPECT_EQ(dir.Names(), (std::vector<std::string>{"loop-a", "loop-b"}));
}

TEST(OutputFile, LeavesAReadOnlyFileAlone) {
  ScratchDir dir;
  WriteAll(dir / "locked", "keep");
  fs::permissions(dir / "locked", fs::perms::owner_read);
  if (std::FILE* probe = std::fopen((dir / "locked").c_str(), "r+b")) {
    std::fclose(probe);
    GTEST_SKIP() << "this user may write read-only files";
  }
  OutputFile file;
  EXPECT_FALSE(file.Open(dir / "locked"));
  EXPECT_EQ(ReadAll(dir / "locked"), "keep");
  EXPECT_EQ(dir.Names(), std::vector<std::string>{"locked"});
}

TEST(OutputFile, AFailedWriteOrRenameKeepsTheOldFile) {
  ScratchDir dir;
  OutputFile file;
  // The rename cannot put a file where a directory now stands.
  ASSERT_TRUE(file.Open(dir / "t"));
  file.Write("lost");
  fs::create_directories(dir / "t/inside");
  EXPECT_FALSE(file.Commit());
  EXPECT_TRUE(fs::is_directory(dir / "t/inside"));
  EXPECT_EQ(dir.Names(), std::vector<std::string>{"t"});  // no temporary left over

  // A device that takes no bytes fails the commit.
  ASSERT_TRUE(file.OpenDevice("/dev/full"));
  EXPECT_EQ(file.Target(), "/dev/full");
  file.Write(std::string(1 << 16, 'x'));
  EXPECT_FALSE(file.Commit());
  EXPECT_FALSE(file.IsOpen());
}

TEST(OutputFile, ADeviceIsWrittenDirectly) {
  ScratchDir dir;
  WriteAll(dir / "port", "old");
  OutputFile file;
  ASSERT_TRUE(file.OpenDevice(dir / "port"));
  EXPECT_EQ(dir.Names(), std::vector<std::string>{"port"});  // no temporary file
  file.Write("page");
  ASSERT_TRUE(file.Commit());
  EXPECT_EQ(ReadAll(dir / "port"), "page");
  EXPECT_FALSE(file.OpenDevice(dir / "missing/port"));
}

TEST(OutputFile, FifosAreWrittenIntoAndNamedWritersGetTheTemporaryFile) {
  ScratchDir dir;
  ASSERT_EQ(mkfifo((dir / "pipe").c_str(), 0644), 0);
  std::string received;
  std::thread reader([&] { received = ReadAll(dir / "pipe"); });
  {
    OutputFile file;
    ASSERT_TRUE(file.Open(dir / "pipe"));
    EXPECT_TRUE(file.IsDirect());
    file.Write("through");
    EXPECT_TRUE(file.Commit());
  }
  reader.join();
  EXPECT_EQ(received, "through");
  struct stat info {};
  ASSERT_EQ(stat((dir / "pipe").c_str(), &info), 0);
  EXPECT_TRUE(S_ISFIFO(info.st_mode));

  // A writer that opens a name itself writes the temporary file, which
  // Commit then puts in place; abandoned, it goes.
  WriteAll(dir / "out.cgm", "old");
  OutputFile file;
  ASSERT_TRUE(file.Open(dir / "out.cgm"));
  EXPECT_FALSE(file.IsDirect());
  const std::string temporary = file.HandOver();
  EXPECT_NE(temporary, dir / "out.cgm");
  WriteAll(temporary, "new");
  EXPECT_EQ(ReadAll(dir / "out.cgm"), "old");
  ASSERT_TRUE(file.Commit());
  EXPECT_EQ(ReadAll(dir / "out.cgm"), "new");
  ASSERT_TRUE(file.Open(dir / "out.cgm"));
  WriteAll(file.HandOver(), "newer");
  file.Abandon();
  EXPECT_EQ(ReadAll(dir / "out.cgm"), "new");
  EXPECT_EQ(dir.Names(), (std::vector<std::string>{"out.cgm", "pipe"}));
}

}  // namespace
}  // namespace vantor
