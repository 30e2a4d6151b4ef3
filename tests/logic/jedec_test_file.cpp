#include "tests/logic/jedec_test_file.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <random>

namespace zelvo::testing {

FuseMap PatternFuseMap() {
  std::mt19937 random(134240);
  FuseMap map;
  for (std::string& row : map.rows) {
    while (row.size() < kFuseRowLength) row.push_back((random() & 1) != 0 ? '1' : '0');
  }
  return map;
}

std::string RowLines(const FuseMap& map, int from, size_t lineLength) {
  std::string text;
  for (int i = from; i < kFuseRowCount; ++i) {
    const std::string& row = map.rows[i];
    for (size_t at = 0; at < row.size(); at += lineLength)
      text += row.substr(at, lineLength) + "\n";
  }
  return text;
}

std::string JedecText(const FuseMap& map, size_t lineLength, const std::string& header) {
  std::string text = "\x02JEDEC file for ispLSI\n*QP44* QF30160* QV0*\nF0*\n" + header;
  text += RowLines(map, 0, lineLength);
  text +=
      "*C1F2E*\n\x03"
      "0000\n";
  return text;
}

TempDir::TempDir() {
  const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
  std::string name = "zelvo_logic_" + std::to_string(getpid());
  if (info != nullptr) name += std::string("_") + info->test_suite_name() + "_" + info->name();
  for (char& c : name) {
    if (c == '/') c = '_';
  }
  path_ = (std::filesystem::path(::testing::TempDir()) / name).string();
  std::filesystem::remove_all(path_);
  std::filesystem::create_directories(path_);
}

TempDir::~TempDir() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

std::string TempDir::Write(const std::string& name, const std::string& content) const {
  const std::string path = PathOf(name);
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(content.data(), static_cast<std::streamsize>(content.size()));
  EXPECT_TRUE(out.good()) << path;
  return path;
}

}  // namespace zelvo::testing
