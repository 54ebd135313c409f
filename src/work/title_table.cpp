// The TitleTable as the highest count of each slot; the slots are 5, 8, 6, 6 and 5 counts wide.
#include "work/title_table.h"

#include <array>

namespace work {
namespace {

constexpr std::array<std::int32_t, kTitleCount> kHighestCountOfSlot = {5, 13, 19, 25, 30};

}  // namespace

std::optional<int> TitleSlot(std::int32_t count) {
  if (count < 1) return std::nullopt;
  for (int slot = 1; slot <= kTitleCount; ++slot) {
    if (count <= kHighestCountOfSlot[static_cast<std::size_t>(slot - 1)]) return slot;
  }
  return std::nullopt;
}

}  // namespace work
