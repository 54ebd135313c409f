// The adapter's text handling and settings: GB18030 both ways, CQ-code escaping, flattening of
// both message formats, and the settings file's checks.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "onebot/config.h"
#include "onebot/message_text.h"

namespace {

using nlohmann::json;
using namespace robothost::onebot;

std::string U8(std::u8string_view text) { return std::string(text.begin(), text.end()); }

TEST(OneBotText, Gb18030RoundTripsWhatGbkCannotHold) {
  for (const std::string& text : {U8(u8"汉字"), U8(u8"😀 emoji"), U8(u8"€ ¤ 𠀀"), std::string()}) {
    const std::optional<std::string> gb = Utf8ToGb18030(text);
    ASSERT_TRUE(gb) << text;
    EXPECT_EQ(Gb18030ToUtf8(*gb), text);
  }
  EXPECT_EQ(*Utf8ToGb18030(U8(u8"汉")), "\xBA\xBA");  // GBK characters keep their GBK bytes
  EXPECT_FALSE(Utf8ToGb18030("\xC3"));                  // malformed UTF-8 is refused
  EXPECT_FALSE(Utf8ToGb18030("a\xED\xA0\x80"));         // a surrogate is not UTF-8
  // Bytes no GB18030 text holds become U+FFFD, one each, and the rest survives.
  EXPECT_EQ(Gb18030ToUtf8("a\xFF" "b\x81"), U8(u8"a\uFFFDb\uFFFD"));
}

TEST(OneBotText, CqEscapingRoundTrips) {
  EXPECT_EQ(EscapeCqText("[a]&b,c"), "&#91;a&#93;&amp;b,c");
  EXPECT_EQ(UnescapeCqText("&#91;a&#93;&amp;b&#44;c&amp;#91;&x"), "[a]&b,c&#91;&x");
  EXPECT_EQ(UnescapeCqText(EscapeCqText("&#91;")), "&#91;");
}

TEST(OneBotText, MessagePlainTextOfBothFormats) {
  struct Case {
    json message;
    std::optional<std::string> text;
  };
  const Case cases[] = {
      {"@T&#91;123&#93;", "@T[123]"},
      {"a[CQ:face,id=1]&amp;b", "a[CQ:face,id=1]&b"},
      {"[CQ:at,qq=1", "[CQ:at,qq=1"},
      {json::array({{{"type", "text"}, {"data", {{"text", "@T["}}}},
                    {{"type", "text"}, {"data", {{"text", "1]"}}}}}),
       "@T[1]"},
      {json::array({{{"type", "at"}, {"data", {{"qq", "1"}}}},
                    {{"type", "image"}, {"data", {{"file", "a,b]"}}}}}),
       "[CQ:at,qq=1][CQ:image,file=a&#44;b&#93;]"},
      {json::array(), ""},
      {json::array({{{"type", "text"}}}), std::nullopt},
      {json::array({"x"}), std::nullopt},
      {42, std::nullopt},
  };
  for (const Case& c : cases) EXPECT_EQ(MessagePlainText(c.message), c.text) << c.message.dump();
}

TEST(OneBotConfig, ReadsSettingsAndRefusesMistakes) {
  Config config;
  std::string error;
  ASSERT_TRUE(ParseConfig(R"({
      // comments are allowed
      "reverse_ws": {"port": 8080, "path": "/onebot/v11/ws"},
      "operators": [123], "at_sender": true, "log_level": "warning"})",
                          config, error))
      << error;
  EXPECT_EQ(config.reverse_ws->host, "127.0.0.1");
  EXPECT_EQ(config.reverse_ws->port, 8080);
  EXPECT_TRUE(config.operators.contains(123));
  EXPECT_TRUE(config.at_sender);
  EXPECT_FALSE(config.http_post);

  // Forward WebSocket: the URL split, default port and path, back-off defaults and overrides.
  struct ForwardCase {
    const char* json;
    const char* host;
    std::uint16_t port;
    const char* path;
    int initial_ms;
    int max_ms;
  };
  const ForwardCase forward_cases[] = {
      {R"({"forward_ws": {"url": "ws://127.0.0.1:3001"}})", "127.0.0.1", 3001, "/", 1000, 60000},
      {R"({"forward_ws": {"url": "ws://bot.lan/onebot/v11/ws?x=1", "reconnect_initial_ms": 50,
                          "reconnect_max_ms": 50}})",
       "bot.lan", 80, "/onebot/v11/ws?x=1", 50, 50},
  };
  for (const ForwardCase& c : forward_cases) {
    Config forward;
    ASSERT_TRUE(ParseConfig(c.json, forward, error)) << c.json << ": " << error;
    ASSERT_TRUE(forward.forward_ws);
    EXPECT_EQ(forward.forward_ws->host, c.host);
    EXPECT_EQ(forward.forward_ws->port, c.port);
    EXPECT_EQ(forward.forward_ws->path, c.path);
    EXPECT_EQ(forward.forward_ws->reconnect_initial_ms, c.initial_ms);
    EXPECT_EQ(forward.forward_ws->reconnect_max_ms, c.max_ms);
  }

  const char* const bad[] = {
      "{",
      "[]",
      "{}",                                                        // no transport
      R"({"reverse_ws": {"port": 70000}})",                        // port out of range
      R"({"reverse_ws": {"path": "/x"}})",                         // no port
      R"({"reverse_ws": {"port": 1, "path": "x"}})",               // path without /
      R"({"reverse_ws": {"port": 1}, "acess_token": "t"})",        // misspelt key
      R"({"http_post": {"port": 1}})",                             // no api_url
      R"({"reverse_ws": {"port": 1}, "operators": ["1"]})",
      R"({"reverse_ws": {"port": 1}, "log_level": "loud"})",
      R"({"reverse_ws": {"port": 1}, "quick_reply_timeout_ms": -1})",
      R"({"forward_ws": {}})",                                     // no url
      R"({"forward_ws": {"url": "wss://example.org"}})",           // only ws://
      R"({"forward_ws": {"url": "ws://:3001"}})",                  // no host
      R"({"forward_ws": {"url": "ws://h:0"}})",                    // port out of range
      R"({"forward_ws": {"url": "ws://h:3x"}})",                   // port not a number
      R"({"forward_ws": {"url": "ws://h", "reconnect_initial_ms": 0}})",
      R"({"forward_ws": {"url": "ws://h", "reconnect_initial_ms": 5000,
                         "reconnect_max_ms": 1000}})",              // cap below the start
      R"({"forward_ws": {"url": "ws://h", "retry": 1}})",          // misspelt key
  };
  for (const char* text : bad) {
    Config ignored;
    EXPECT_FALSE(ParseConfig(text, ignored, error)) << text;
    EXPECT_FALSE(error.empty());
  }
}

}  // namespace
