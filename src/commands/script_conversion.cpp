// The conversion commands 简体到繁体 and 繁体到简体: echo the parameter, then its conversion.
#include "commands/script_conversion.h"

#include <string>
#include <string_view>
#include <utility>

#include "commands/script_converter.h"

namespace commands {
namespace {

// The parameter is used exactly as received, blanks, line breaks and host placeholders
// included, both in the echo and as the text converted.
common::Reply EchoAndConvert(std::string_view first_fragment, const std::string& parameter,
                             ScriptDirection direction) {
  constexpr std::string_view kSecondFragment = "[enter]转换后的文字是：";
  std::string converted = ConvertScript(parameter, direction);
  std::string reply;
  reply.reserve(first_fragment.size() + parameter.size() + kSecondFragment.size() +
                converted.size());
  reply.append(first_fragment).append(parameter).append(kSecondFragment).append(converted);
  return common::Reply::Owned(std::move(reply));
}

}  // namespace

common::Reply ToTraditional(common::CommandArgs& args) {
  return EchoAndConvert("[name]，你要转换的文字是：", args.parameter,
                        ScriptDirection::kSimplifiedToTraditional);
}

// This reply has no colon after "是", unlike the other direction's.
common::Reply ToSimplified(common::CommandArgs& args) {
  return EchoAndConvert("[name]，你要转换的文字是", args.parameter,
                        ScriptDirection::kTraditionalToSimplified);
}

}  // namespace commands
