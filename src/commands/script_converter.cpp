// ScriptConverter: dense per-direction tables over every GBK double-byte code, built at compile
// time from the generated pairs in script_tables.inc, and the byte walk that applies them.
#include "commands/script_converter.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

#include "common/text.h"

namespace commands {
namespace {

#include "commands/script_tables.inc"

constexpr unsigned kFirstLead = 0x81;
constexpr unsigned kLastLead = 0xFE;
constexpr unsigned kTrailsPerLead = 190;  // 0x40..0x7E and 0x80..0xFE
constexpr std::size_t kCodeCount = (kLastLead - kFirstLead + 1) * kTrailsPerLead;  // 23940

constexpr bool IsTableLead(unsigned byte) { return byte >= kFirstLead && byte <= kLastLead; }
constexpr bool IsTableTrail(unsigned byte) {
  return (byte >= 0x40 && byte <= 0x7E) || (byte >= 0x80 && byte <= 0xFE);
}

// The slot of a code whose lead and trail bytes are both in the table's ranges.
constexpr std::size_t CodeIndex(unsigned lead, unsigned trail) {
  const unsigned column = trail < 0x7F ? trail - 0x40 : trail - 0x41;
  return (lead - kFirstLead) * kTrailsPerLead + column;
}

using DenseTable = std::array<std::uint16_t, kCodeCount>;

// Every code maps to itself except the (code, replacement) pairs listed.
constexpr DenseTable BuildTable(std::span<const std::uint16_t> pairs) {
  DenseTable table{};
  for (std::size_t i = 0; i < kCodeCount; ++i) {
    const unsigned lead = kFirstLead + static_cast<unsigned>(i / kTrailsPerLead);
    const unsigned column = static_cast<unsigned>(i % kTrailsPerLead);
    const unsigned trail = column < 0x3F ? 0x40 + column : 0x41 + column;
    table[i] = static_cast<std::uint16_t>(lead << 8 | trail);
  }
  for (std::size_t i = 0; i + 1 < pairs.size(); i += 2) {
    table[CodeIndex(pairs[i] >> 8, pairs[i] & 0xFFu)] = pairs[i + 1];
  }
  return table;
}

constexpr DenseTable kToTraditional = BuildTable(kSimplifiedToTraditionalPairs);
constexpr DenseTable kToSimplified = BuildTable(kTraditionalToSimplifiedPairs);

const DenseTable& TableFor(ScriptDirection direction) {
  return direction == ScriptDirection::kSimplifiedToTraditional ? kToTraditional
                                                                : kToSimplified;
}

}  // namespace

std::string ConvertScript(std::string_view text, ScriptDirection direction) {
  const DenseTable& table = TableFor(direction);
  std::string converted(text);
  // The end of `text` stands for the terminating zero: a lead byte in the last place is
  // copied and nothing beyond the end is read.
  std::size_t at = 0;
  while (at < converted.size()) {
    if (!common::IsLeadByte(converted[at])) {
      ++at;
      continue;
    }
    const auto lead = static_cast<unsigned char>(converted[at]);
    if (at + 1 == converted.size()) break;
    const auto trail = static_cast<unsigned char>(converted[at + 1]);
    // 0x80 and 0xFF, or a trail byte outside the GBK ranges: the pair stays as it is.
    if (IsTableLead(lead) && IsTableTrail(trail)) {
      const std::uint16_t replacement = table[CodeIndex(lead, trail)];
      converted[at] = static_cast<char>(replacement >> 8);
      converted[at + 1] = static_cast<char>(replacement & 0xFFu);
    }
    at += 2;
  }
  return converted;
}

}  // namespace commands
