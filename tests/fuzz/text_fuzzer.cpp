// Fuzzes the text primitives and the two text utilities against straightforward models written
// from their contracts, with every text in a block of exactly its size (a read past the end is
// an AddressSanitizer report). Input: one byte choosing the operation and its flags, then
// texts and decimal numbers separated by zero bytes.
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

#include "common/text.h"
#include "fuzz_support.h"

namespace {

using Position = std::optional<std::int64_t>;

bool Lead(char byte) { return static_cast<unsigned char>(byte) >= 0x80; }

char Fold(char byte) { return (byte >= 'A' && byte <= 'Z') ? static_cast<char>(byte + 32) : byte; }

bool SameAt(std::string_view text, std::size_t at, std::string_view sought, bool ignore_case) {
  for (std::size_t k = 0; k < sought.size(); ++k) {
    const char a = text[at + k];
    const char b = sought[k];
    if (ignore_case ? Fold(a) != Fold(b) : a != b) return false;
  }
  return true;
}

// The 0-based offset a walk from the 1-based `start` begins at; none at or past the end.
std::optional<std::size_t> Begin(std::string_view text, Position start) {
  const __int128 begin = (!start || *start <= 1) ? 0 : static_cast<__int128>(*start) - 1;
  if (begin >= static_cast<__int128>(text.size())) return std::nullopt;
  return static_cast<std::size_t>(begin);
}

// The contract of FindText. `compare_at_last_lead` says whether a lead byte that is the last
// byte of the text is still compared before the walk ends there (the contract leaves it open).
std::int64_t ModelFind(std::string_view text, std::string_view sought, Position start,
                       bool ignore_case, bool compare_at_last_lead) {
  const auto begin = Begin(text, start);
  if (!begin) return -1;
  if (sought.empty()) return 1;
  std::size_t i = *begin;
  while (i < text.size()) {
    const bool last_lead = Lead(text[i]) && i + 1 == text.size();
    if (last_lead && !compare_at_last_lead) break;
    if (text.size() - i >= sought.size() && SameAt(text, i, sought, ignore_case)) {
      return static_cast<std::int64_t>(i) + 1;
    }
    if (last_lead) break;
    i += Lead(text[i]) ? 2 : 1;
  }
  return -1;
}

std::string ModelMid(std::string_view text, std::int64_t start, std::int64_t count) {
  const __int128 offset = static_cast<__int128>(start) - 1;
  if (offset < 0 || offset >= static_cast<__int128>(text.size()) || count <= 0) return {};
  return std::string(text.substr(static_cast<std::size_t>(offset),
                                 static_cast<std::size_t>(std::min<__int128>(
                                     count, static_cast<__int128>(text.size()) - offset))));
}

std::string ModelReplace(std::string_view text, std::string_view sought,
                         std::string_view replacement, Position start, Position limit,
                         bool case_sensitive) {
  const auto begin = Begin(text, start);
  if (text.empty() || sought.empty() || !begin || (limit && *limit == 0)) return std::string(text);
  std::string out(text.substr(0, *begin));
  std::size_t i = *begin;
  std::int64_t done = 0;
  while (text.size() - i >= sought.size()) {
    if (!(limit && *limit > 0 && done >= *limit) && SameAt(text, i, sought, !case_sensitive)) {
      out += replacement;
      i += sought.size();
      ++done;
      continue;
    }
    const std::size_t step = (Lead(text[i]) && i + 1 < text.size()) ? 2 : 1;
    out += text.substr(i, step);
    i += step;
  }
  out += text.substr(i);
  return out;
}

std::string ModelStrip(std::string_view text) {
  std::string out = ModelReplace(text, " ", "", std::nullopt, std::nullopt, true);
  out = ModelReplace(out, "\r\n", "", std::nullopt, std::nullopt, true);
  return ModelReplace(out, "\\r", "", std::nullopt, std::nullopt, true);
}

std::string ModelBetween(std::string_view text, std::string_view a, std::string_view b,
                         bool compare_at_last_lead) {
  const auto length = static_cast<std::int64_t>(a.size());
  const std::int64_t s = ModelFind(text, a, std::nullopt, true, compare_at_last_lead) + length;
  const std::int64_t q = ModelFind(text, b, s, true, compare_at_last_lead);
  return ModelMid(text, s, q - s);
}

void Mismatch(const char* operation, std::string_view got, std::string_view want) {
  std::fprintf(stderr, "%s: got \"%s\", model says \"%s\"\n", operation,
               fuzz::Printable(got).c_str(), fuzz::Printable(want).c_str());
  fuzz::Check(false, operation);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::Fields in(data, size);
  const std::uint8_t flags = in.flags();
  const bool flag_a = (flags & 0x08) != 0;  // a start position is given
  const bool flag_b = (flags & 0x10) != 0;  // ignore case / case-sensitive
  const bool flag_c = (flags & 0x20) != 0;  // a replacement limit is given
  switch (flags % 6) {
    case 0: {
      const std::string_view text = in.Text();
      fuzz::Check(common::TextLength(text) == text.size(), "TextLength");
      break;
    }
    case 1: {
      const std::string_view text = in.Text();
      const std::string_view sought = in.Text();
      const Position start = flag_a ? Position(in.Number()) : std::nullopt;
      const std::int64_t got = common::FindText(text, sought, start, flag_b);
      const std::int64_t want = ModelFind(text, sought, start, flag_b, true);
      const std::int64_t alternative = ModelFind(text, sought, start, flag_b, false);
      if (got != want && got != alternative) {
        Mismatch("FindText", std::to_string(got), std::to_string(want));
      }
      break;
    }
    case 2: {
      const std::string_view text = in.Text();
      const std::int64_t start = in.Number();
      const std::int64_t count = in.Number();
      const std::string got = common::MidText(text, start, count);
      const std::string want = ModelMid(text, start, count);
      if (got != want) Mismatch("MidText", got, want);
      break;
    }
    case 3: {
      const std::string_view text = in.Text();
      const std::string_view sought = in.Text();
      const std::string_view replacement = in.Text();
      const Position start = flag_a ? Position(in.Number()) : std::nullopt;
      const Position limit = flag_c ? Position(in.Number()) : std::nullopt;
      const std::string got = common::ReplaceText(text, sought, replacement, start, limit, flag_b);
      const std::string want = ModelReplace(text, sought, replacement, start, limit, flag_b);
      if (got != want) Mismatch("ReplaceText", got, want);
      break;
    }
    case 4: {
      const std::string_view original = in.Text();
      std::string variable(original);
      const std::string copy = common::StripSpacesAndBreaks(variable);
      const std::string want = ModelStrip(original);
      if (variable != want) Mismatch("StripSpacesAndBreaks (variable)", variable, want);
      if (copy != want) Mismatch("StripSpacesAndBreaks (copy)", copy, want);
      break;
    }
    case 5: {
      const std::string_view text = in.Text();
      const std::string_view start_marker = in.Text();
      const std::string_view end_marker = in.Text();
      const std::string got = common::TextBetween(text, start_marker, end_marker);
      const std::string want = ModelBetween(text, start_marker, end_marker, true);
      if (got != want && got != ModelBetween(text, start_marker, end_marker, false)) {
        Mismatch("TextBetween", got, want);
      }
      break;
    }
  }
  return 0;
}
