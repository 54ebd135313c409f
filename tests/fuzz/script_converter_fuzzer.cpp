// Fuzzes the ScriptConverter walk on arbitrary bytes: the result keeps the byte length and
// every byte outside a converted GBK pair, a converted pair is again a GBK double-byte code,
// converting twice changes nothing more, and nothing past the end of the text is read.
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

#include "commands/script_converter.h"
#include "fuzz_support.h"

namespace {

bool TableLead(unsigned byte) { return byte >= 0x81 && byte <= 0xFE; }
bool TableTrail(unsigned byte) { return (byte >= 0x40 && byte <= 0x7E) || (byte >= 0x80 && byte <= 0xFE); }

// Checks the walk: single bytes and pairs outside the tables stay, table pairs become table
// pairs, and the walk over the result meets the same character boundaries.
void CheckWalk(std::string_view in, std::string_view out) {
  fuzz::Check(in.size() == out.size(), "the byte length is kept");
  std::size_t at = 0;
  while (at < in.size()) {
    const auto lead = static_cast<unsigned char>(in[at]);
    if (lead < 0x80 || at + 1 == in.size()) {
      fuzz::Check(in[at] == out[at], "a single byte is copied");
      ++at;
      continue;
    }
    const auto trail = static_cast<unsigned char>(in[at + 1]);
    if (TableLead(lead) && TableTrail(trail)) {
      fuzz::Check(TableLead(static_cast<unsigned char>(out[at])) &&
                      TableTrail(static_cast<unsigned char>(out[at + 1])),
                  "a converted character is a GBK double-byte code");
    } else {
      fuzz::Check(in.substr(at, 2) == out.substr(at, 2), "a pair outside the tables is copied");
    }
    at += 2;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::Fields in(data, size);
  const auto direction = (in.flags() & 1) != 0 ? commands::ScriptDirection::kTraditionalToSimplified
                                               : commands::ScriptDirection::kSimplifiedToTraditional;
  const std::string_view text = in.Text();
  const std::string once = commands::ConvertScript(text, direction);
  CheckWalk(text, once);
  const std::string twice = commands::ConvertScript(once, direction);
  if (twice != once) {
    std::fprintf(stderr, "converted again: \"%s\" became \"%s\"\n", fuzz::Printable(once).c_str(),
                 fuzz::Printable(twice).c_str());
    fuzz::Check(false, "converting twice in one direction changes nothing more");
  }
  return 0;
}
