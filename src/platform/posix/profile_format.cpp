// The text form of a profile file, read the way the Windows profile functions read it.
#include "platform/posix/profile_format.h"

#include <cstring>

namespace platform::profile {
namespace {

// ASCII-only byte classes; GBK trail bytes (0x40 and above) are never blanks or separators.
constexpr bool IsBlank(char byte) {
  return byte == ' ' || (byte >= '\t' && byte <= '\r');
}

constexpr bool IsLeadByte(char byte) { return static_cast<unsigned char>(byte) >= 0x81; }

constexpr char FoldAscii(char byte) {
  return (byte >= 'A' && byte <= 'Z') ? static_cast<char>(byte - 'A' + 'a') : byte;
}

// The offset just past the character at `offset`: two bytes from a GBK lead byte (unless the
// text ends first), one otherwise. A ']' or a Latin letter can be the second byte of a Chinese
// character, so every scan for them walks characters, not bytes.
std::size_t NextCharacter(std::string_view text, std::size_t offset) {
  return (IsLeadByte(text[offset]) && offset + 1 < text.size()) ? offset + 2 : offset + 1;
}

std::size_t SkipBlanks(std::string_view text, std::size_t offset, std::size_t end) {
  while (offset < end && IsBlank(text[offset])) ++offset;
  return offset;
}

bool HasLineBreak(std::string_view text) {
  return text.find_first_of("\r\n") != std::string_view::npos;
}

}  // namespace

Line LineAt(std::string_view text, std::size_t offset) {
  Line line;
  line.begin = offset;
  const void* newline = std::memchr(text.data() + offset, '\n', text.size() - offset);
  if (newline == nullptr) {
    line.content_end = line.end = text.size();
    return line;
  }
  line.end = static_cast<std::size_t>(static_cast<const char*>(newline) - text.data()) + 1;
  line.content_end = line.end - 1;
  if (line.content_end > offset && text[line.content_end - 1] == '\r') --line.content_end;
  return line;
}

std::string_view TrimBlanks(std::string_view text) {
  std::size_t begin = 0;
  std::size_t end = text.size();
  while (begin < end && IsBlank(text[begin])) ++begin;
  while (end > begin && IsBlank(text[end - 1])) --end;
  return text.substr(begin, end - begin);
}

ParsedLine ParseLine(std::string_view text, const Line& line) {
  ParsedLine parsed;
  const std::size_t start = SkipBlanks(text, line.begin, line.content_end);
  if (start == line.content_end) return parsed;
  if (text[start] == ';') {
    parsed.kind = LineKind::kComment;
    return parsed;
  }
  if (text[start] == '[') {
    // The name ends at the first ']'; whatever follows it on the line is ignored.
    for (std::size_t at = start + 1; at < line.content_end; at = NextCharacter(text, at)) {
      if (text[at] == ']') {
        parsed.kind = LineKind::kSection;
        parsed.name = TrimBlanks(text.substr(start + 1, at - start - 1));
        return parsed;
      }
    }
  }
  const void* equals = std::memchr(text.data() + start, '=', line.content_end - start);
  if (equals == nullptr) {
    parsed.kind = LineKind::kOther;
    return parsed;
  }
  const auto equals_at = static_cast<std::size_t>(static_cast<const char*>(equals) - text.data());
  parsed.kind = LineKind::kEntry;
  parsed.name = TrimBlanks(text.substr(start, equals_at - start));
  parsed.value_begin = SkipBlanks(text, equals_at + 1, line.content_end);
  std::string_view value =
      TrimBlanks(text.substr(parsed.value_begin, line.content_end - parsed.value_begin));
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front()) {
    value = value.substr(1, value.size() - 2);
  }
  parsed.value = value;
  return parsed;
}

bool NamesEqual(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t at = 0; at < a.size();) {
    if (IsLeadByte(a[at]) && at + 1 < a.size()) {
      if (a[at] != b[at] || a[at + 1] != b[at + 1]) return false;
      at += 2;
    } else {
      if (FoldAscii(a[at]) != FoldAscii(b[at])) return false;
      ++at;
    }
  }
  return true;
}

std::uint32_t NameHash(std::string_view name) {
  // FNV-1a over the name with stand-alone ASCII letters folded to lower case.
  std::uint32_t hash = 2166136261u;
  const auto mix = [&hash](char byte) {
    hash ^= static_cast<unsigned char>(byte);
    hash *= 16777619u;
  };
  for (std::size_t at = 0; at < name.size();) {
    if (IsLeadByte(name[at]) && at + 1 < name.size()) {
      mix(name[at]);
      mix(name[at + 1]);
      at += 2;
    } else {
      mix(FoldAscii(name[at]));
      ++at;
    }
  }
  // FNV-1a leaves the low bits of similar names (QQ numbers) alike, and a table indexed by
  // them clusters; MurmurHash3's finalizer spreads every bit over the others.
  hash ^= hash >> 16;
  hash *= 0x85EBCA6Bu;
  hash ^= hash >> 13;
  hash *= 0xC2B2AE35u;
  hash ^= hash >> 16;
  return hash;
}

std::optional<SectionSpan> FindSectionByScan(std::string_view text, std::string_view name) {
  name = TrimBlanks(name);
  std::optional<SectionSpan> found;
  for (std::size_t offset = 0; offset < text.size();) {
    const Line line = LineAt(text, offset);
    const ParsedLine parsed = ParseLine(text, line);
    if (parsed.kind == LineKind::kSection) {
      if (found) {
        found->body_end = line.begin;
        return found;
      }
      if (NamesEqual(parsed.name, name)) found = SectionSpan{line.begin, line.end, text.size()};
    }
    offset = line.end;
  }
  return found;
}

std::optional<EntryLine> FindEntry(std::string_view text, const SectionSpan& section,
                                   std::string_view key) {
  key = TrimBlanks(key);
  for (std::size_t offset = section.body_begin; offset < section.body_end;) {
    const Line line = LineAt(text, offset);
    const ParsedLine parsed = ParseLine(text, line);
    if (parsed.kind == LineKind::kEntry && NamesEqual(parsed.name, key)) {
      return EntryLine{line, parsed};
    }
    offset = line.end;
  }
  return std::nullopt;
}

std::optional<WriteRequest> PrepareWrite(std::string_view section, std::string_view key,
                                         std::string_view value) {
  WriteRequest request{TrimBlanks(section), TrimBlanks(key), value};
  if (HasLineBreak(request.section) || HasLineBreak(request.key)) return std::nullopt;
  request.value = value.substr(0, value.find_first_of("\r\n"));
  return request;
}

std::optional<Edit> PlanWrite(std::string_view text, const std::optional<SectionSpan>& section,
                              const WriteRequest& request) {
  Edit edit;
  if (!section) {
    edit.offset = text.size();
    if (!text.empty() && text.back() != '\n') edit.insert = "\r\n";
    edit.insert.append("[").append(request.section).append("]\r\n");
    edit.insert.append(request.key).append("=").append(request.value).append("\r\n");
    return edit;
  }
  // One pass over the section: the key's line if it is there, else the last entry line.
  std::optional<Line> last_entry;
  for (std::size_t offset = section->body_begin; offset < section->body_end;) {
    const Line line = LineAt(text, offset);
    const ParsedLine parsed = ParseLine(text, line);
    if (parsed.kind == LineKind::kEntry) {
      if (NamesEqual(parsed.name, request.key)) {
        const std::string_view old_value =
            text.substr(parsed.value_begin, line.content_end - parsed.value_begin);
        if (old_value == request.value) return std::nullopt;
        edit.offset = parsed.value_begin;
        edit.erase = line.content_end - parsed.value_begin;
        edit.insert = request.value;
        return edit;
      }
      last_entry = line;
    }
    offset = line.end;
  }
  const Line after = last_entry ? *last_entry : LineAt(text, section->header);
  edit.offset = after.end;
  if (after.end == after.content_end) edit.insert = "\r\n";  // the file's last line, no break
  edit.insert.append(request.key).append("=").append(request.value).append("\r\n");
  return edit;
}

}  // namespace platform::profile
