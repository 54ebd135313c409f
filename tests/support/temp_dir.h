// Test support: a temporary run directory with a config directory, removed at the end.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace test_support {

// A fresh directory below the system's temporary directory; removed with everything in it
// when the object dies.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& path() const { return path_; }
  std::string string() const { return path_.string(); }

 private:
  std::filesystem::path path_;
};

// A temporary run directory with an empty config directory, installed as the module's run
// directory for the lifetime of the object.
class RunDirectoryFixture {
 public:
  explicit RunDirectoryFixture(bool with_config_directory = true);
  ~RunDirectoryFixture();

  const std::filesystem::path& path() const { return dir_.path(); }
  // The path of the profile file `gbk_file_name` (GBK bytes) as the module builds it.
  std::string ProfilePath(std::string_view gbk_file_name) const;

 private:
  TempDir dir_;
};

// The whole content of a file, or the empty string when it cannot be read.
std::string ReadFile(const std::string& path);

// Replaces the content of a file.
void WriteFile(const std::string& path, std::string_view content);

}  // namespace test_support
