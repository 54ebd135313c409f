// The LevelTable as rows of key ranges with one slot per column, matched textually.
#include "pet/level_table.h"

#include <array>

#include "common/numbers.h"
#include "common/text.h"

namespace pet {
namespace {

// A slot value that stands for the feed column's top entry.
constexpr int kTop = 0;

// Every multiple of ten from `low` to `high` (both included) is a key whose entry is
// `feed_slot` in the feed column and `query_slot` in the query column.
struct LevelRow {
  int low;
  int high;
  int feed_slot;
  int query_slot;
};

// The two columns differ at 260, 630 and 690, where the query shows one level away from what
// the feed announced for the same total; both replies keep the levels they have always shown.
//
// The key 700: the feed column gives its top entry ("you have reached the peak"). The query
// column is ours to choose, since the query once held two rows for 700 (slot 9 before slot 10,
// so that the first match hid slot 10). We give slot 10: a pet at the peak then shows the top
// level's name, and that name is reachable from the query at all; 640 to 690 stay at slot 9.
constexpr std::array<LevelRow, 13> kLevelRows = {{
    {0, 40, 1, 1},
    {50, 100, 2, 2},
    {110, 170, 3, 3},
    {180, 250, 4, 4},
    {260, 260, 4, 5},
    {270, 340, 5, 5},
    {350, 440, 6, 6},
    {450, 570, 7, 7},
    {580, 620, 8, 8},
    {630, 630, 9, 8},
    {640, 680, 9, 9},
    {690, 690, 10, 9},
    {700, 700, kTop, 10},
}};

constexpr int kHighestKey = 700;

// The row whose key text equals `total` byte for byte, if any. The keys are the decimal texts
// of 0, 10, ..., 700 with no sign, leading zero or decimals, so a total matches a key exactly
// when it is such a text: at most three ASCII digits that read back to the same text.
const LevelRow* FindRow(std::string_view total) {
  if (total.empty() || total.size() > 3) return nullptr;
  int value = 0;
  for (const char byte : total) {
    if (!common::IsAsciiDigit(byte)) return nullptr;
    value = value * 10 + (byte - '0');
  }
  if (value % 10 != 0 || value > kHighestKey) return nullptr;
  if (common::IntegerToText(value) != total) return nullptr;  // a leading zero, e.g. "070"
  for (const LevelRow& row : kLevelRows) {
    if (value >= row.low && value <= row.high) return &row;
  }
  return nullptr;
}

}  // namespace

LevelEntry LookUpFeedLevel(std::string_view total) {
  const LevelRow* row = FindRow(total);
  if (row == nullptr) return {};
  if (row->feed_slot == kTop) return {LevelEntry::Kind::kTop, 0};
  return {LevelEntry::Kind::kSlot, row->feed_slot};
}

LevelEntry LookUpQueryLevel(std::string_view total) {
  const LevelRow* row = FindRow(total);
  if (row == nullptr) return {};
  return {LevelEntry::Kind::kSlot, row->query_slot};
}

}  // namespace pet
