// Scratch paths private to the running test. ctest runs every test as a
// process of its own, several at a time, so fixed names in the shared
// temporary directory would be written by two tests at once.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>

namespace vantor::testing {

namespace detail {

inline std::filesystem::path ScratchDirOf(const ::testing::TestInfo* info) {
  std::string name = "vantor-";
  if (info != nullptr) name.append(info->test_suite_name()).append(".").append(info->name());
  name.append("-").append(std::to_string(getpid()));
  return std::filesystem::path(::testing::TempDir()) / name;
}

// Each test's scratch directory goes when the test ends, so runs of the
// suite leave nothing behind in the shared temporary directory.
class ScratchCleaner : public ::testing::EmptyTestEventListener {
  void OnTestEnd(const ::testing::TestInfo& info) override {
    std::error_code error;
    std::filesystem::remove_all(ScratchDirOf(&info), error);
  }
};

inline const bool kScratchCleanerInstalled = [] {
  ::testing::UnitTest::GetInstance()->listeners().Append(new ScratchCleaner);
  return true;
}();

}  // namespace detail

inline std::filesystem::path TestScratchDir() {
  const std::filesystem::path dir =
      detail::ScratchDirOf(::testing::UnitTest::GetInstance()->current_test_info());
  std::filesystem::create_directories(dir);
  return dir;
}

inline std::string TestScratchPath(const std::string& file) {
  return (TestScratchDir() / file).string();
}

}  // namespace vantor::testing
