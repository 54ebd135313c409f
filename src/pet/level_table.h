// The LevelTable: which of the ten pet levels a total-experience text stands for, in the feed
// command's column and in the pet query's column.
#pragma once

#include <string_view>

namespace pet {

// The number of level slots; their display names are the keys "等级1" to "等级10".
inline constexpr int kLevelCount = 10;

// What the LevelTable gives for a total: a level slot, the top of the feed column, or nothing.
struct LevelEntry {
  enum class Kind { kNone, kSlot, kTop };
  Kind kind = Kind::kNone;
  int slot = 0;  // 1..kLevelCount when kind is kSlot, 0 otherwise

  friend bool operator==(const LevelEntry&, const LevelEntry&) = default;
};

// The feed command's column. The total is matched as text, byte for byte, against the keys
// "0", "10", ..., "700": "700" gives the top entry, "690" slot 10. Anything that is not one of
// those exact texts (a leading zero or blank, a sign, a decimal point, full-width digits, a
// total above 700 or not a multiple of ten, the empty text) gives no entry.
LevelEntry LookUpFeedLevel(std::string_view total);

// The pet query's column: the same keys, with "260" at slot 5, "630" at slot 8 and "690" at
// slot 9 where the feed column says 4, 9 and 10; "700" gives slot 10. Never the top entry.
LevelEntry LookUpQueryLevel(std::string_view total);

}  // namespace pet
