// Nickname lookup (获取昵称, 昵称获取): one HTTP request to the nickname service, whose
// answer carries the nickname between the markers ," and ",.
#include "commands/nickname.h"

#include <string>

#include "common/numbers.h"
#include "common/profile_store.h"
#include "common/run_directory.h"
#include "common/text.h"
#include "platform/http.h"

namespace commands {
namespace {

constexpr const char* kQueryPath = "/fcg-bin/cgi_get_score.fcg?mask=7&uins=";

// The service's answer for `qq`, as text; empty when no address is set or the request fails.
std::string AskService(const std::string& qq) {
  // The operator's setting: scheme, host and port, e.g. http://127.0.0.1:8080. A trailing
  // slash is dropped so it does not double the one the path starts with.
  std::string address = common::ReadProfileValue(common::ProfilePath("昵称服务.ini"),
                                                 "昵称服务", "地址");
  while (!address.empty() && address.back() == '/') address.pop_back();
  if (address.empty()) return {};
  // The QQ text goes into the URL exactly as received: the HTTP client ends the request target
  // at a '#' and sends blanks and control bytes escaped.
  return common::BytesToText(platform::HttpGet(address + kQueryPath + qq));
}

}  // namespace

common::Reply FetchNickname(std::string& qq) {
  std::string as_passed = qq;
  qq = common::TextBetween(AskService(as_passed), ",\"", "\",");
  // A short text is taken as a nickname and the caller gets its QQ number back; a long one
  // is not a nickname and is handed back itself.
  if (common::TextLength(qq) < 26) return common::Reply::Owned(std::move(as_passed));
  return common::Reply::Owned(qq);
}

common::Reply NicknameLookup(common::CommandArgs& args) {
  const common::Reply result = FetchNickname(args.parameter);
  return common::Reply::Owned("[name]，你要查询的昵称是：" + args.parameter +
                              "[enter]为你寻找的QQ号是：" + result.c_str());
}

}  // namespace commands
