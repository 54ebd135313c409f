// The section index of a profile file: header offsets in file order and a hash of first names.
#include "platform/posix/profile_index.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace platform::profile {
namespace {

bool IsBlank(char byte) { return byte == ' ' || (byte >= '\t' && byte <= '\r'); }

// Calls `found(offset, name)` for every header line that starts in [begin, end) of `text`;
// `begin` is the start of a line. Jumps from '[' to '[': only a '[' with nothing but blanks
// before it on its line can open a header (a '[' that is the second byte of a Chinese
// character follows its first byte), so most lines are never looked at one by one.
template <typename Found>
void ScanHeaders(std::string_view text, std::size_t begin, std::size_t end, Found found) {
  std::size_t at = begin;
  while (at < end) {
    const void* bracket = std::memchr(text.data() + at, '[', end - at);
    if (bracket == nullptr) return;
    const auto open = static_cast<std::size_t>(static_cast<const char*>(bracket) - text.data());
    std::size_t line_begin = open;
    while (line_begin > begin && text[line_begin - 1] != '\n' && IsBlank(text[line_begin - 1])) {
      --line_begin;
    }
    const Line line = LineAt(text, line_begin);
    if (line_begin == begin || text[line_begin - 1] == '\n') {
      const ParsedLine parsed = ParseLine(text, line);
      if (parsed.kind == LineKind::kSection) found(line_begin, parsed.name);
    }
    at = line.end;
  }
}

std::string_view HeaderName(std::string_view text, std::size_t offset) {
  return ParseLine(text, LineAt(text, offset)).name;
}

constexpr std::uint64_t kNumberMask = 0xFFFFFFFFu;

}  // namespace

void SectionIndex::Build(std::string_view text) {
  headers_.clear();
  slots_.clear();
  std::vector<std::uint32_t> hashes;
  ScanHeaders(text, 0, text.size(), [&](std::size_t offset, std::string_view name) {
    headers_.push_back(offset);
    hashes.push_back(NameHash(name));
  });
  Grow();
  for (std::size_t number = 0; number < headers_.size(); ++number) {
    Insert(text, hashes[number], static_cast<std::uint32_t>(number));
  }
}

void SectionIndex::Insert(std::string_view text, std::uint32_t hash,
                          std::uint32_t header_number) {
  const std::size_t mask = slots_.size() - 1;
  for (std::size_t at = hash & mask;; at = (at + 1) & mask) {
    const std::uint64_t slot = slots_[at];
    if (slot == 0) {
      slots_[at] = (static_cast<std::uint64_t>(hash) << 32) | (header_number + 1u);
      return;
    }
    // Only the first section of a name is reachable, as with the platform's reader.
    if ((slot >> 32) == hash &&
        NamesEqual(HeaderName(text, headers_[(slot & kNumberMask) - 1]),
                   HeaderName(text, headers_[header_number]))) {
      return;
    }
  }
}

void SectionIndex::Grow() {
  if (!slots_.empty() && slots_.size() >= headers_.size() * 2) return;
  std::size_t capacity = slots_.empty() ? 16 : slots_.size();
  while (capacity < headers_.size() * 2) capacity *= 2;
  std::vector<std::uint64_t> old;
  old.swap(slots_);
  slots_.assign(capacity, 0);
  const std::size_t mask = capacity - 1;
  for (const std::uint64_t slot : old) {
    if (slot == 0) continue;
    std::size_t at = (slot >> 32) & mask;
    while (slots_[at] != 0) at = (at + 1) & mask;
    slots_[at] = slot;
  }
}

std::optional<SectionSpan> SectionIndex::Find(std::string_view text,
                                              std::string_view name) const {
  if (slots_.empty()) return std::nullopt;
  name = TrimBlanks(name);
  const std::uint64_t hash = NameHash(name);
  const std::size_t mask = slots_.size() - 1;
  for (std::size_t at = hash & mask;; at = (at + 1) & mask) {
    const std::uint64_t slot = slots_[at];
    if (slot == 0) return std::nullopt;
    if ((slot >> 32) != hash) continue;
    const std::size_t number = (slot & kNumberMask) - 1;
    const Line line = LineAt(text, headers_[number]);
    if (!NamesEqual(ParseLine(text, line).name, name)) continue;
    const std::size_t body_end =
        number + 1 < headers_.size() ? headers_[number + 1] : text.size();
    return SectionSpan{line.begin, line.end, body_end};
  }
}

SectionIndex::PendingEdit SectionIndex::Prepare(std::string_view old_text,
                                                const Edit& edit) const {
  // The lines the edit touches: from the start of the line holding its first byte to the end
  // of the line holding the first byte after it. Past that the new text is the old one moved
  // by `delta` bytes.
  PendingEdit pending;
  const std::size_t old_after = edit.offset + edit.erase;
  pending.region_begin = edit.offset;
  while (pending.region_begin > 0 && old_text[pending.region_begin - 1] != '\n') {
    --pending.region_begin;
  }
  pending.old_region_end = old_text.size();
  if (old_after < old_text.size()) {
    const void* newline =
        std::memchr(old_text.data() + old_after, '\n', old_text.size() - old_after);
    if (newline != nullptr) {
      pending.old_region_end =
          static_cast<std::size_t>(static_cast<const char*>(newline) - old_text.data()) + 1;
    }
  }
  pending.delta = static_cast<std::ptrdiff_t>(edit.insert.size()) -
                  static_cast<std::ptrdiff_t>(edit.erase);
  const auto first = std::lower_bound(headers_.begin(), headers_.end(), pending.region_begin);
  const auto after = std::lower_bound(first, headers_.end(), pending.old_region_end);
  for (auto at = first; at != after; ++at) {
    pending.old_names.emplace_back(HeaderName(old_text, *at));
  }
  return pending;
}

void SectionIndex::Apply(std::string_view new_text, const PendingEdit& pending) {
  const auto first = std::lower_bound(headers_.begin(), headers_.end(), pending.region_begin);
  const auto after = first + static_cast<std::ptrdiff_t>(pending.old_names.size());
  const std::size_t new_region_end = static_cast<std::size_t>(
      static_cast<std::ptrdiff_t>(pending.old_region_end) + pending.delta);
  std::vector<std::size_t> new_headers;
  std::vector<std::string_view> new_names;
  ScanHeaders(new_text, pending.region_begin, new_region_end,
              [&](std::size_t offset, std::string_view name) {
                new_headers.push_back(offset);
                new_names.push_back(name);
              });

  if (new_names.size() == pending.old_names.size() &&
      std::equal(new_names.begin(), new_names.end(), pending.old_names.begin())) {
    // The common case: a value changed or a key was added; headers only move.
    std::copy(new_headers.begin(), new_headers.end(), first);
    for (auto at = after; at != headers_.end(); ++at) {
      *at = static_cast<std::size_t>(static_cast<std::ptrdiff_t>(*at) + pending.delta);
    }
    return;
  }
  if (first == headers_.end()) {
    // A section appended at the end.
    const std::size_t first_new = headers_.size();
    headers_.insert(headers_.end(), new_headers.begin(), new_headers.end());
    Grow();
    for (std::size_t number = first_new; number < headers_.size(); ++number) {
      Insert(new_text, NameHash(new_names[number - first_new]),
             static_cast<std::uint32_t>(number));
    }
    return;
  }
  Build(new_text);
}

}  // namespace platform::profile
