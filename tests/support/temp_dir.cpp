// Test support: temporary directories and whole-file reads and writes.
#include "temp_dir.h"

#include <atomic>
#include <random>
#include <fstream>
#include <sstream>
#include <system_error>

#include "common/run_directory.h"

namespace test_support {
namespace {

std::atomic<unsigned> counter{0};

}  // namespace

TempDir::TempDir() {
  const auto base = std::filesystem::temp_directory_path();
  for (;;) {
    static std::random_device entropy;
    const auto candidate =
        base / ("cqp-test-" + std::to_string(entropy()) + "-" + std::to_string(counter++));
    std::error_code error;
    if (std::filesystem::create_directory(candidate, error)) {
      path_ = candidate;
      return;
    }
  }
}

TempDir::~TempDir() {
  std::error_code error;
  std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                               std::filesystem::perm_options::add, error);
  std::filesystem::remove_all(path_, error);
}

RunDirectoryFixture::RunDirectoryFixture(bool with_config_directory) {
  if (with_config_directory) std::filesystem::create_directory(dir_.path() / "config");
  common::SetRunDirectory(dir_.string());
}

RunDirectoryFixture::~RunDirectoryFixture() { common::SetRunDirectory({}); }

std::string RunDirectoryFixture::ProfilePath(std::string_view gbk_file_name) const {
  return common::ProfilePath(gbk_file_name);
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream content;
  content << in.rdbuf();
  return content.str();
}

void WriteFile(const std::string& path, std::string_view content) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(content.data(), static_cast<std::streamsize>(content.size()));
}

}  // namespace test_support
