// Helpers shared by the fuzz targets.
#include "fuzz_support.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "common/run_directory.h"
#include "temp_dir.h"

namespace fuzz {

Fields::Fields(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return;
  flags_ = data[0];
  rest_ = std::string_view(reinterpret_cast<const char*>(data) + 1, size - 1);
}

std::string_view Fields::Text() {
  if (position_ >= rest_.size()) {
    // Past the end: an empty text, marked used up.
    position_ = rest_.size() + 1;
    return {};
  }
  std::size_t end = rest_.find('\0', position_);
  if (end == std::string_view::npos) end = rest_.size();
  const std::size_t length = end - position_;
  blocks_.push_back(std::make_unique<char[]>(length));
  if (length != 0) std::memcpy(blocks_.back().get(), rest_.data() + position_, length);
  position_ = end + 1;
  return std::string_view(blocks_.back().get(), length);
}

std::int64_t Fields::Number() {
  const std::string_view text = Text();
  std::size_t i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
  __int128 value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    value = value * 10 + (text[i] - '0');
    if (value > (static_cast<__int128>(1) << 64)) value = static_cast<__int128>(1) << 64;
  }
  if (negative) value = -value;
  if (value > INT64_MAX) return INT64_MAX;
  if (value < INT64_MIN) return INT64_MIN;
  return static_cast<std::int64_t>(value);
}

std::string_view Fields::Rest() {
  const std::string_view rest = position_ < rest_.size() ? rest_.substr(position_) : std::string_view();
  position_ = rest_.size() + 1;
  blocks_.push_back(std::make_unique<char[]>(rest.size()));
  if (!rest.empty()) std::memcpy(blocks_.back().get(), rest.data(), rest.size());
  return std::string_view(blocks_.back().get(), rest.size());
}

const std::string& RunDirectory() {
  static test_support::TempDir* directory = [] {
    auto* made = new test_support::TempDir();
    std::filesystem::create_directory(made->path() / "config");
    common::SetRunDirectory(made->string());
    // Removed at a normal exit (the end of a bounded run); a crash leaves it for inspection.
    std::atexit([] { delete directory; });
    return made;
  }();
  static const std::string path = directory->string();
  return path;
}

std::string ProfilePath(std::string_view gbk_file_name) {
  RunDirectory();
  return common::ProfilePath(gbk_file_name);
}

bool WriteWholeFile(const std::string& path, std::string_view content) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(content.data(), static_cast<std::streamsize>(content.size()));
  return static_cast<bool>(out);
}

std::string ReadWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream content;
  content << in.rdbuf();
  return content.str();
}

void Check(bool condition, const char* what) {
  if (condition) return;
  std::fprintf(stderr, "fuzz check failed: %s\n", what);
  std::abort();
}

std::string Printable(std::string_view bytes) {
  std::string out;
  for (const char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 0x20 && byte < 0x7F && byte != '\\') {
      out += c;
    } else {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
      out += escaped;
    }
  }
  return out;
}

}  // namespace fuzz
