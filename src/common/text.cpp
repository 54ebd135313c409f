// The text primitives and the two text utilities built on them, all walking GBK by characters.
#include "common/text.h"

#include <initializer_list>

namespace common {
namespace {

// Whether `sought` occurs at `offset`; the caller makes sure that many bytes remain. With
// `ignore_case` only the Latin letters compare regardless of case, byte by byte, so a trail
// byte is compared as the byte it is.
bool MatchesAt(std::string_view text, std::size_t offset, std::string_view sought,
               bool ignore_case) {
  const std::string_view candidate = text.substr(offset, sought.size());
  if (!ignore_case) {
    return candidate == sought;
  }
  for (std::size_t i = 0; i < sought.size(); ++i) {
    if (AsciiToLower(candidate[i]) != AsciiToLower(sought[i])) {
      return false;
    }
  }
  return true;
}

// The 0-based offset where a walk from the 1-based `start` begins (the first byte when there
// is no start or it is 1 or less), or nothing when that lies at or beyond the end of the text.
// Works in 64 bits so a huge start cannot wrap on a 32-bit build.
std::optional<std::size_t> WalkBegin(std::string_view text, std::optional<std::int64_t> start) {
  const std::uint64_t begin =
      (!start.has_value() || *start <= 1) ? 0 : static_cast<std::uint64_t>(*start) - 1;
  if (begin >= text.size()) {
    return std::nullopt;
  }
  return static_cast<std::size_t>(begin);
}

}  // namespace

std::size_t TextLength(std::string_view text) { return text.size(); }

std::int64_t FindText(std::string_view text, std::string_view sought,
                      std::optional<std::int64_t> start, bool ignore_case) {
  const std::optional<std::size_t> begin = WalkBegin(text, start);
  if (!begin.has_value()) {
    return -1;
  }
  if (sought.empty()) {
    return 1;
  }
  // NextCharacter steps over a two-byte character whole, so a match never starts on its
  // second byte; a lead byte at the very end ends the walk.
  for (std::size_t i = *begin; text.size() - i >= sought.size(); i = NextCharacter(text, i)) {
    if (MatchesAt(text, i, sought, ignore_case)) {
      return static_cast<std::int64_t>(i) + 1;
    }
  }
  return -1;
}

std::string MidText(std::string_view text, std::int64_t start, std::int64_t count) {
  if (start < 1 || count <= 0) {
    return {};
  }
  const std::uint64_t offset = static_cast<std::uint64_t>(start) - 1;
  if (offset >= text.size()) {
    return {};
  }
  const std::uint64_t available = text.size() - offset;
  const std::uint64_t wanted = static_cast<std::uint64_t>(count);
  return std::string(text.substr(static_cast<std::size_t>(offset),
                                 static_cast<std::size_t>(wanted < available ? wanted : available)));
}

std::string ReplaceText(std::string_view text, std::string_view sought,
                        std::string_view replacement, std::optional<std::int64_t> start,
                        std::optional<std::int64_t> limit, bool case_sensitive) {
  const std::optional<std::size_t> begin = WalkBegin(text, start);
  if (!begin.has_value() || sought.empty() || (limit.has_value() && *limit == 0)) {
    return std::string(text);
  }
  std::string result;
  result.reserve(text.size());
  result.append(text.substr(0, *begin));
  std::size_t i = *begin;
  std::int64_t replaced = 0;
  while (text.size() - i >= sought.size()) {
    if (MatchesAt(text, i, sought, !case_sensitive)) {
      result.append(replacement);
      i += sought.size();
      ++replaced;
      if (limit.has_value() && replaced == *limit) {
        break;
      }
    } else {
      const std::size_t next = NextCharacter(text, i);
      result.append(text.substr(i, next - i));
      i = next;
    }
  }
  result.append(text.substr(i));
  return result;
}

std::string StripSpacesAndBreaks(std::string& text) {
  // Each pass works on the result of the one before: removing blanks can bring a CR LF pair
  // together, and removing CR LF can bring a backslash next to an r. A pass that would find
  // nothing is skipped, which leaves the text exactly as the pass would.
  for (const std::string_view sought : {std::string_view(" "), std::string_view("\r\n"),
                                        std::string_view("\\r")}) {
    if (FindText(text, sought, std::nullopt, false) != -1) {
      text = ReplaceText(text, sought, "", std::nullopt, std::nullopt, true);
    }
  }
  return text;
}

std::string TextBetween(std::string_view text, std::string_view start_marker,
                        std::string_view end_marker) {
  // Plain position arithmetic on purpose: when the start marker is absent its position is -1
  // and the search for the end marker starts at L - 1, which callers have come to see.
  const auto marker_length = static_cast<std::int64_t>(TextLength(start_marker));
  const std::int64_t after_start = FindText(text, start_marker, std::nullopt, true) + marker_length;
  const std::int64_t end = FindText(text, end_marker, after_start, true);
  return MidText(text, after_start, end - after_start);
}

}  // namespace common
