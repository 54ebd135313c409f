// The text form of a profile file: lines, section headers and entries read the way the Windows
// profile functions read them, and the one-line edits by which a write changes a file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace platform::profile {

// One line of a file: [begin, content_end) is its text without the line break, [content_end,
// end) the break itself (LF or CR LF; nothing on a last line without one).
struct Line {
  std::size_t begin = 0;
  std::size_t content_end = 0;
  std::size_t end = 0;
};

// The line that starts at `offset`; `offset` must be below text.size().
Line LineAt(std::string_view text, std::size_t offset);

enum class LineKind {
  kBlank,    // nothing but blanks
  kComment,  // ';' as its first non-blank byte
  kSection,  // '[' as its first non-blank byte and a ']' after it
  kEntry,    // anything else with an '=' in it
  kOther,    // anything else: ignored by readers, kept by writers
};

// What a line says. For a section header `name` is the trimmed text between '[' and the first
// ']'; for an entry `name` is the trimmed key and `value` the value as a read yields it
// (trimmed, one pair of enclosing quotes removed). `value_begin` is the offset in the file of
// the first byte after the '=' and the blanks that follow it: a write replaces the line from
// there to its content_end.
struct ParsedLine {
  LineKind kind = LineKind::kBlank;
  std::string_view name;
  std::string_view value;
  std::size_t value_begin = 0;
};

// Reads line `line` of `text`. Never fails: a line that is neither a header nor an entry is
// kBlank, kComment or kOther.
ParsedLine ParseLine(std::string_view text, const Line& line);

// `text` without blanks (space, tab, CR, LF, vertical tab, form feed) at either end.
std::string_view TrimBlanks(std::string_view text);

// Whether two section or key names are the same, ignoring the case of ASCII letters that stand
// alone; bytes of two-byte GBK characters must match exactly. Empty names match each other.
bool NamesEqual(std::string_view a, std::string_view b);

// A hash of a name that is the same for every pair of names that NamesEqual accepts.
std::uint32_t NameHash(std::string_view name);

// Where a section lies in a file: its header line starts at `header`, its lines run from
// `body_begin` (just after the header line) to `body_end` (the next header or the end).
struct SectionSpan {
  std::size_t header = 0;
  std::size_t body_begin = 0;
  std::size_t body_end = 0;
};

// The first section named `name` (compared with NamesEqual after trimming), by reading every
// line; nothing when there is none. Lines before the first header belong to no section.
std::optional<SectionSpan> FindSectionByScan(std::string_view text, std::string_view name);

// The first entry named `key` in the lines of `section`; nothing when there is none.
struct EntryLine {
  Line line;
  ParsedLine parsed;
};
std::optional<EntryLine> FindEntry(std::string_view text, const SectionSpan& section,
                                   std::string_view key);

// One change to a file: `erase` bytes at `offset` are replaced by `insert`.
struct Edit {
  std::size_t offset = 0;
  std::size_t erase = 0;
  std::string insert;
};

// The names and value of a write, cleaned up for storing: names trimmed of blanks, the value
// cut at its first line break (the rest could not be read back as part of it, and written
// out it would turn into lines of its own). Nothing when a name holds a line break, which no
// line of the file could carry.
struct WriteRequest {
  std::string_view section;
  std::string_view key;
  std::string_view value;
};
std::optional<WriteRequest> PrepareWrite(std::string_view section, std::string_view key,
                                         std::string_view value);

// The edit that stores request.value under request.key in the first section named
// request.section of `text`, where `section` is that section's span if the file has it:
// - the key exists: its value is replaced, everything else on its line and in the file kept;
// - the key does not: "key=value" CR LF is inserted after the last entry of the section (or
//   after the header when it has none);
// - the section does not exist: "[section]" CR LF "key=value" CR LF is appended at the end,
//   after a CR LF when the last line has no break.
// Nothing when the file already holds exactly that value text, so the write can be skipped.
std::optional<Edit> PlanWrite(std::string_view text, const std::optional<SectionSpan>& section,
                              const WriteRequest& request);

}  // namespace platform::profile
