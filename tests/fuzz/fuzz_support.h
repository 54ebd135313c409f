// Helpers shared by the fuzz targets: cutting an input into texts and numbers, and a run
// directory with a config directory for the targets that reach the profile files.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace fuzz {

// An input read as one leading byte of flags followed by fields separated by zero bytes (the
// module's texts end at their first zero byte, so a field is exactly one possible text). Each
// field is handed out in a heap block of exactly its size, so a read one byte past the end of
// a text is an AddressSanitizer report rather than a read of the next separator.
class Fields {
 public:
  Fields(const std::uint8_t* data, std::size_t size);

  // The leading byte, 0 for an empty input.
  std::uint8_t flags() const { return flags_; }

  // The next field; the empty text once the input is used up.
  std::string_view Text();

  // The next field as a decimal number with an optional sign, saturated at the 64-bit range
  // so seeds can name the extremes; 0 for an empty field or one without digits.
  std::int64_t Number();

  // Everything after the fields taken so far, zero bytes included (for file contents).
  std::string_view Rest();

  // Whether any field is left.
  bool more() const { return position_ < rest_.size(); }

 private:
  std::uint8_t flags_ = 0;
  std::string_view rest_;
  std::size_t position_ = 0;
  std::vector<std::unique_ptr<char[]>> blocks_;
};

// A temporary run directory with an empty config directory, created on first use, installed as
// the module's run directory and removed when the process exits normally.
const std::string& RunDirectory();

// The native path of the profile file `gbk_file_name` in that run directory's config directory.
std::string ProfilePath(std::string_view gbk_file_name);

// Writes `content` to `path`, replacing the file; false when it cannot be written.
bool WriteWholeFile(const std::string& path, std::string_view content);

// The whole content of `path`, or the empty text when it cannot be read.
std::string ReadWholeFile(const std::string& path);

// Ends the process with a report on standard error when `condition` is false. The fuzzer
// treats the abort as a finding and saves the input.
void Check(bool condition, const char* what);

// Formats bytes for a report: printable ASCII as is, everything else as \xNN.
std::string Printable(std::string_view bytes);

}  // namespace fuzz
