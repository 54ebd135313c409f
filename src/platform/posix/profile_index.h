// An index of the section headers of one profile file's text, so that a lookup costs a hash
// probe instead of a pass over the file, kept up to date across the store's own edits.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/posix/profile_format.h"

namespace platform::profile {

class SectionIndex {
 public:
  // Indexes every section header of `text`.
  void Build(std::string_view text);

  // The first section named `name` (trimmed, compared with NamesEqual) in `text`, the text the
  // index was built or last updated for; nothing when there is none.
  std::optional<SectionSpan> Find(std::string_view text, std::string_view name) const;

  // What an edit does to the index, noted from the text before the edit.
  struct PendingEdit {
    std::size_t region_begin = 0;    // the start of the first line the edit touches
    std::size_t old_region_end = 0;  // the end of the last such line, before the edit
    std::ptrdiff_t delta = 0;        // how far the text after the edit moves
    std::vector<std::string> old_names;  // the headers in the region, in order
  };

  // Notes what `edit` changes, from `old_text`, the text before it.
  PendingEdit Prepare(std::string_view old_text, const Edit& edit) const;

  // Brings the index to `new_text`, the text after the edit that `pending` describes. Costs a
  // pass over the headers after the edit, or none when the edit is at the end; an edit that
  // adds, removes or renames a header in the middle rebuilds the index.
  void Apply(std::string_view new_text, const PendingEdit& pending);

  // The number of header lines, duplicates included.
  std::size_t header_count() const { return headers_.size(); }

 private:
  // Makes `header_number`, whose name hashes to `hash`, reachable unless a section of that name
  // already is.
  void Insert(std::string_view text, std::uint32_t hash, std::uint32_t header_number);
  // Keeps the table at most half full.
  void Grow();

  // Offsets of every header line in file order, duplicates included: a section's body ends
  // where the next header starts.
  std::vector<std::size_t> headers_;
  // Open addressing, linear probing: the name hash in the high half, 1 + the header number of
  // the first section with that name in the low half, 0 for an empty slot.
  std::vector<std::uint64_t> slots_;
};

}  // namespace platform::profile
