// Scratch paths private to the running test. ctest runs every test as a
// process of its own, several at a time, so fixed names in the shared
// temporary directory would be written by two tests at once.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>

namespace vantor::testing {

inline std::filesystem::path TestScratchDir() {
  const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
  std::string name = "vantor-";
  if (info != nullptr) name.append(info->test_suite_name()).append(".").append(info->name());
  name.append("-").append(std::to_string(getpid()));
  const std::filesystem::path dir = std::filesystem::path(::testing::TempDir()) / name;
  std::filesystem::create_directories(dir);
  return dir;
}

inline std::string TestScratchPath(const std::string& file) {
  return (TestScratchDir() / file).string();
}

}  // namespace vantor::testing
