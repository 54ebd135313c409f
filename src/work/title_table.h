// The TitleTable: which of the five work titles a work count earns.
#pragma once

#include <cstdint>
#include <optional>

namespace work {

// The number of title slots; their display names are the keys "称号1" to "称号5".
inline constexpr int kTitleCount = 5;

// The title slot for `count`: 1 to 5 for 1 to 5, 6 to 13, 14 to 19, 20 to 25 and 26 to 30;
// nothing for 0, negative counts and counts above 30.
std::optional<int> TitleSlot(std::int32_t count);

}  // namespace work
