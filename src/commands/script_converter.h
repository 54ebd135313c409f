// ScriptConverter: one-for-one GBK character mapping between simplified and traditional Chinese.
#pragma once

#include <string>
#include <string_view>

namespace commands {

enum class ScriptDirection { kSimplifiedToTraditional, kTraditionalToSimplified };

// `text` with every GBK double-byte character replaced by its counterpart in the other script,
// and every other byte as it was. The result always has the byte length of `text`: bytes below
// 0x80 are copied, as is any pair that is not a GBK double-byte code, and a lead byte at the
// very end. An empty text gives the empty text. Converting the result again in the same
// direction changes nothing.
std::string ConvertScript(std::string_view text, ScriptDirection direction);

}  // namespace commands
