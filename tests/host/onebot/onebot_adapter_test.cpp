// The OneBot adapter end to end: the real robothost in onebot mode with the real plugin,
// driven by our own OneBot peer over loopback WebSocket and HTTP.
#include <chrono>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <thread>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "child_process.h"
#include "encoding.h"
#include "http_test_server.h"
#include "onebot_peer.h"
#include "platform.h"
#include "temp_dir.h"

namespace {

using nlohmann::json;
using onebot_test::ApiCall;
using onebot_test::HttpPeer;
using onebot_test::PeerState;
using onebot_test::WsPeer;
using onebot_test::WsServerPeer;
using test_support::StopRequest;
using namespace std::chrono_literals;
namespace fs = std::filesystem;

// UTF-8 text from a u8 literal.
std::string U8(std::u8string_view text) { return std::string(text.begin(), text.end()); }

constexpr std::int64_t kGroup = 5550001;
constexpr std::int64_t kOwner = 20001;
constexpr std::int64_t kAdmin = 20002;
constexpr std::int64_t kMember = 20003;

// A group message event; `message` is a string (CQ codes) or an array of segments.
json GroupEvent(const json& message, std::int64_t user = kMember, const std::string& role = "member",
                const std::string& card = U8(u8"小红")) {
  json event = {{"time", 1700000000},
                {"self_id", 10000},
                {"post_type", "message"},
                {"message_type", "group"},
                {"sub_type", "normal"},
                {"message_id", 1},
                {"group_id", kGroup},
                {"user_id", user},
                {"message", message},
                {"raw_message", message.is_string() ? message.get<std::string>() : std::string()},
                {"font", 0},
                {"sender", {{"user_id", user}, {"nickname", "nick"}, {"card", card}, {"role", role}}}};
  return event;
}

json TextSegment(const std::string& text) { return {{"type", "text"}, {"data", {{"text", text}}}}; }

// robothost in onebot mode, run from a fresh copy of the build's run directory.
class AdapterProcess {
 public:
  explicit AdapterProcess(const json& config) {
    const fs::path build = test_support::NativeBuildPath(std::getenv("CQP_BUILD_DIR"));
    const std::string suffix(robothost::platform::PluginLibrarySuffix());
    for (const std::string& name : {std::string("robothost" ROBOTHOST_EXECUTABLE_SUFFIX), "cqapi" + suffix}) {
      fs::copy_file(build / name, dir_.path() / name);
    }
    // The plugin goes where robothost looks for it, under its Unicode name. The build wrote that
    // name as UTF-8 bytes, which the C runtime's narrow path names on Linux and under Wine alike
    // (Wine reads Linux file names in the locale's code page, and so does the runtime).
    const std::string plugin = test_support::ReadFile(test_support::NativeBuildPath(
        std::string(std::getenv("CQP_BUILD_DIR")) + "/" + U8(u8"Quessa宠物系统2.0.cqp") + suffix));
    EXPECT_FALSE(plugin.empty()) << "the plugin is not built";
    std::ofstream(dir_.path() / (fs::path(u8"Quessa宠物系统2.0.cqp") += suffix), std::ios::binary)
        << plugin;
    fs::copy(build / "examples", dir_.path() / "examples", fs::copy_options::recursive);
    fs::create_directories(dir_.path() / "config");
    test_support::WriteFile((dir_.path() / "onebot.json").string(), config.dump(2));
  }

  const fs::path& dir() const { return dir_.path(); }

  // Starts the process and waits for the line that names the address of `listener`
  // ("reverse_ws", "forward_ws" or "http_post"); returns its port (0 when it did not appear in
  // time).
  std::uint16_t Start(const std::string& listener) {
    const std::string program = (dir_.path() / "robothost" ROBOTHOST_EXECUTABLE_SUFFIX).string();
    const std::string config = (dir_.path() / "onebot.json").string();
    log_path_ = (dir_.path() / "stderr.log").string();
    if (!process_.Start(program, {"onebot", "--config", config}, log_path_)) return 0;
    const std::string marker = listener + ": " + (listener == "http_post" ? "http" : "ws") +
                               "://127.0.0.1:";
    for (int i = 0; i < 500; ++i) {
      const std::string log = Log();
      if (const std::size_t at = log.find(marker); at != std::string::npos) {
        return static_cast<std::uint16_t>(std::stoi(log.substr(at + marker.size())));
      }
      std::this_thread::sleep_for(20ms);
    }
    return 0;
  }

  std::string Log() const { return test_support::ReadFile(log_path_); }

  // Waits for `text` (UTF-8) in the log.
  bool WaitForLog(const std::string& text, std::chrono::milliseconds timeout = 10s) const {
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (std::chrono::steady_clock::now() < end) {
      if (Log().find(text) != std::string::npos) return true;
      std::this_thread::sleep_for(20ms);
    }
    return false;
  }

  // Stops the adapter the way an operator does and expects a clean end: exit code 0, the plugin
  // unloaded, within `limit`. Where such a request cannot be delivered (under Wine) there is
  // nothing to check; the process is killed when the test ends.
  void ExpectCleanStop(StopRequest request, std::chrono::milliseconds limit = 10s) {
    if (!test_support::StopRequestsCanBeDelivered()) return;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(process_.Stop(request), 0) << Log();
    EXPECT_LT(std::chrono::steady_clock::now() - start, limit);
    EXPECT_NE(Log().find(U8(u8"插件已卸载")), std::string::npos) << Log();
  }

 private:
  test_support::TempDir dir_;
  std::string log_path_;
  test_support::BackgroundProcess process_;
};

json WsConfig(const std::string& token = "") {
  return {{"reverse_ws", {{"host", "127.0.0.1"}, {"port", 0}, {"path", "/onebot/v11/ws"}}},
          {"access_token", token},
          {"log_level", "debug"}};
}

class OneBotWs : public ::testing::Test {
 protected:
  void StartAdapter(const json& config = WsConfig()) {
    adapter_.emplace(config);
    port_ = adapter_->Start("reverse_ws");
    ASSERT_NE(port_, 0) << adapter_->Log();
  }
  int Connect(WsPeer& peer, const std::string& token = "") {
    return peer.Connect(port_, "/onebot/v11/ws", token);
  }
  // The messages sent to the group so far, after waiting for `count` of them.
  std::vector<std::string> Sent(std::size_t count) {
    std::vector<std::string> messages;
    for (const ApiCall& call : state_.WaitFor("send_group_msg", count)) {
      EXPECT_EQ(call.params.value("group_id", std::int64_t{0}), kGroup);
      messages.push_back(call.params.value("message", std::string()));
    }
    return messages;
  }

  PeerState state_;
  std::optional<AdapterProcess> adapter_;
  std::uint16_t port_ = 0;
};

const std::string kMenuStart = U8(u8"bot为你查询Morvel宠物系统的相关功能：\n     ①：@喂养");

TEST_F(OneBotWs, GroupMessagesInBothFormatsGetReplies) {
  ASSERT_NO_FATAL_FAILURE(StartAdapter());
  WsPeer peer(state_);
  ASSERT_EQ(Connect(peer), 101);
  // The bot's own message (user_id is self_id), as Lagrange.OneBot may report it: never answered.
  peer.Send(GroupEvent(U8(u8"@命令表"), 10000));
  // String format; [cqname] comes from get_login_info, [enter] is a line break.
  peer.Send(GroupEvent(U8(u8"@命令表")));
  // Array format, a parameter with an emoji (outside GBK) and brackets that must go out escaped.
  peer.Send(GroupEvent(json::array({TextSegment(U8(u8"@简-繁[")),
                                    TextSegment(U8(u8"汉字😀[x]&")), TextSegment("]")})));
  // String format with CQ escapes in the text: "@繁-简[" written by a user is "&#91;" on the wire.
  peer.Send(GroupEvent(U8(u8"@繁-简&#91;漢字&#93;")));
  // Not a trigger, and an image segment that no trigger matches inside.
  peer.Send(GroupEvent(U8(u8"你好")));
  peer.Send(GroupEvent(json::array({{{"type", "image"}, {"data", {{"file", "a.jpg"}}}}})));
  const std::vector<std::string> sent = Sent(3);
  ASSERT_EQ(sent.size(), 3u) << adapter_->Log();
  EXPECT_TRUE(sent[0].starts_with(kMenuStart)) << sent[0];
  EXPECT_NE(sent[1].find(U8(u8"漢字😀&#91;x&#93;&amp;")), std::string::npos) << sent[1];
  EXPECT_NE(sent[2].find(U8(u8"汉字")), std::string::npos) << sent[2];
  std::this_thread::sleep_for(200ms);
  EXPECT_EQ(state_.Calls("send_group_msg").size(), 3u);
  EXPECT_EQ(state_.Calls("send_group_msg")[0].params.value("auto_escape", true), false);
}

TEST_F(OneBotWs, KickPolicyTable) {
  state_.roles = {{kOwner, "owner"}, {kAdmin, "admin"}, {kMember, "member"}, {10000, "admin"}};
  ASSERT_NO_FATAL_FAILURE(StartAdapter());
  WsPeer peer(state_);
  ASSERT_EQ(Connect(peer), 101);
  struct Case {
    const char* caller;
    std::int64_t caller_id;
    std::int64_t target;
    bool kicked;
  };
  const Case cases[] = {
      {"owner", kOwner, kOwner, false},   {"owner", kOwner, kAdmin, true},
      {"owner", kOwner, kMember, true},   {"owner", kOwner, 10000, false},
      {"admin", kAdmin, kOwner, false},   {"admin", kAdmin, kAdmin, false},
      {"admin", kAdmin, kMember, true},   {"admin", kAdmin, 10000, false},
      {"member", kMember, kOwner, false}, {"member", kMember, kAdmin, false},
      {"member", kMember, kMember, false}, {"member", kMember, 10000, false},
  };
  for (const Case& c : cases) {
    peer.Send(GroupEvent("@T&#91;" + std::to_string(c.target) + "&#93;", c.caller_id, c.caller,
                         c.caller));
  }
  // Not a number, and not in the group: refused without a kick.
  peer.Send(GroupEvent(U8(u8"@T&#91;张三&#93;"), kOwner, "owner", "owner"));
  peer.Send(GroupEvent("@T&#91;99999&#93;", kOwner, "owner", "owner"));
  const std::vector<std::string> sent = Sent(std::size(cases) + 2);
  ASSERT_EQ(sent.size(), std::size(cases) + 2) << adapter_->Log();
  std::vector<std::int64_t> expected_kicks;
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    const Case& c = cases[i];
    const std::string success = c.caller + U8(u8"，T人成功，被T人：") + std::to_string(c.target);
    const std::string refused = c.caller + U8(u8"，没有踢出 ") + std::to_string(c.target) + U8(u8"：");
    EXPECT_TRUE(sent[i].starts_with(c.kicked ? success : refused))
        << c.caller << " -> " << c.target << ": " << sent[i];
    if (c.kicked) expected_kicks.push_back(c.target);
  }
  EXPECT_TRUE(sent[12].starts_with(U8(u8"owner，没有踢出 张三："))) << sent[12];
  EXPECT_TRUE(sent[13].starts_with(U8(u8"owner，没有踢出 99999："))) << sent[13];
  std::vector<std::int64_t> kicks;
  for (const ApiCall& call : state_.Calls("set_group_kick")) {
    EXPECT_EQ(call.params.value("group_id", std::int64_t{0}), kGroup);
    kicks.push_back(call.params.value("user_id", std::int64_t{0}));
  }
  EXPECT_EQ(kicks, expected_kicks);
  EXPECT_TRUE(adapter_->WaitForLog(U8(u8"已拒绝")));
}

TEST_F(OneBotWs, OperatorMayKickAnAdminButNeverTheOwner) {
  state_.roles = {{kOwner, "owner"}, {kAdmin, "admin"}, {kMember, "member"}};
  json config = WsConfig();
  config["operators"] = {kMember};
  ASSERT_NO_FATAL_FAILURE(StartAdapter(config));
  WsPeer peer(state_);
  ASSERT_EQ(Connect(peer), 101);
  peer.Send(GroupEvent("@T&#91;" + std::to_string(kAdmin) + "&#93;", kMember, "member", "op"));
  peer.Send(GroupEvent("@T&#91;" + std::to_string(kOwner) + "&#93;", kMember, "member", "op"));
  const std::vector<std::string> sent = Sent(2);
  ASSERT_EQ(sent.size(), 2u);
  EXPECT_TRUE(sent[0].starts_with(U8(u8"op，T人成功"))) << sent[0];
  EXPECT_TRUE(sent[1].starts_with(U8(u8"op，没有踢出"))) << sent[1];
  ASSERT_EQ(state_.Calls("set_group_kick").size(), 1u);
}

TEST_F(OneBotWs, WrongTokenIsRefusedAndTheRightOneAccepted) {
  ASSERT_NO_FATAL_FAILURE(StartAdapter(WsConfig("s3cret")));
  for (const std::string& token : {std::string(), std::string("wrong"), std::string("s3cret!")}) {
    WsPeer peer(state_);
    EXPECT_NE(Connect(peer, token), 101) << token;
  }
  EXPECT_TRUE(adapter_->WaitForLog(U8(u8"access_token 不对")));
  WsPeer peer(state_);
  ASSERT_EQ(Connect(peer, "s3cret"), 101);
  peer.Send(GroupEvent(U8(u8"@命令表")));
  EXPECT_EQ(Sent(1).size(), 1u);
}

TEST_F(OneBotWs, MalformedInputIsSkippedAndTheConnectionStays) {
  ASSERT_NO_FATAL_FAILURE(StartAdapter());
  WsPeer peer(state_);
  ASSERT_EQ(Connect(peer), 101);
  peer.SendText("{not json");
  peer.SendText("[1,2,3]");
  peer.Send(json{{"post_type", "message"}, {"message_type", "group"}, {"message", "@x"}});
  json bad_message = GroupEvent(U8(u8"@命令表"));
  bad_message["message"] = 42;
  bad_message.erase("raw_message");
  peer.Send(bad_message);
  peer.Send(json{{"post_type", "meta_event"}, {"meta_event_type", "heartbeat"}});
  peer.Send(GroupEvent(U8(u8"@命令表")));
  const std::vector<std::string> sent = Sent(1);
  ASSERT_EQ(sent.size(), 1u) << adapter_->Log();
  EXPECT_TRUE(sent[0].starts_with(kMenuStart));
  EXPECT_TRUE(adapter_->WaitForLog(U8(u8"不是有效的 JSON")));
}

TEST_F(OneBotWs, SplitEventAndApiConnectionsWork) {
  // go-cqhttp with separate api/event URLs and Lagrange.OneBot without UseUniversalClient open one
  // connection per role: replies to the events of one go out on the other.
  ASSERT_NO_FATAL_FAILURE(StartAdapter());
  PeerState event_state;
  WsPeer events(event_state);
  ASSERT_EQ(events.Connect(port_, "/onebot/v11/ws", "", "Event"), 101);
  // No API connection yet: the reply cannot go out, and says so in the log.
  events.Send(GroupEvent(U8(u8"@命令表")));
  ASSERT_TRUE(adapter_->WaitForLog(U8(u8"没有 X-Client-Role 为 API 的"))) << adapter_->Log();
  WsPeer api(state_);
  ASSERT_EQ(api.Connect(port_, "/onebot/v11/ws", "", "API"), 101);
  events.Send(GroupEvent(U8(u8"@命令表")));
  const std::vector<std::string> sent = Sent(1);
  ASSERT_EQ(sent.size(), 1u) << adapter_->Log();
  EXPECT_TRUE(sent[0].starts_with(kMenuStart));
  EXPECT_TRUE(event_state.Calls("send_group_msg").empty());
  // Any other role is refused.
  WsPeer other(state_);
  EXPECT_NE(other.Connect(port_, "/onebot/v11/ws", "", "Observer"), 101);
  EXPECT_TRUE(adapter_->WaitForLog(U8(u8"X-Client-Role 只能是 Universal、API 或 Event，收到 Observer")));
}

TEST_F(OneBotWs, DroppedConnectionIsReplacedByTheNextOne) {
  ASSERT_NO_FATAL_FAILURE(StartAdapter());
  {
    WsPeer first(state_);
    ASSERT_EQ(Connect(first), 101);
    first.Drop();
  }
  ASSERT_TRUE(adapter_->WaitForLog(U8(u8"连接")));
  WsPeer second(state_);
  ASSERT_EQ(Connect(second), 101);
  second.Send(GroupEvent(U8(u8"@命令表")));
  EXPECT_EQ(Sent(1).size(), 1u) << adapter_->Log();
}

TEST_F(OneBotWs, StopsCleanlyOnSignals) {
  if (!test_support::StopRequestsCanBeDelivered()) {
    GTEST_SKIP() << "Wine cannot send console control events to another process";
  }
  for (const StopRequest request : {StopRequest::kTerminate, StopRequest::kInterrupt}) {
    ASSERT_NO_FATAL_FAILURE(StartAdapter());
    WsPeer peer(state_);
    ASSERT_EQ(Connect(peer), 101);
    adapter_->ExpectCleanStop(request);
    EXPECT_TRUE(peer.WaitClosed(5s));
  }
}

// ---- Forward WebSocket ----

class OneBotForward : public ::testing::Test {
 protected:
  json ForwardConfig(std::uint16_t port, const std::string& token, int initial_ms, int max_ms) {
    return {{"forward_ws",
             {{"url", "ws://127.0.0.1:" + std::to_string(port) + "/onebot/v11/ws"},
              {"reconnect_initial_ms", initial_ms},
              {"reconnect_max_ms", max_ms}}},
            {"access_token", token},
            {"log_level", "debug"}};
  }
  void StartAdapter(const json& config) {
    adapter_.emplace(config);
    ASSERT_NE(adapter_->Start("forward_ws"), 0) << adapter_->Log();
  }
  // Sends the menu trigger and waits for the reply that makes `total` replies so far.
  void ExpectReply(WsServerPeer& server, std::size_t total) {
    server.Send(GroupEvent(U8(u8"@命令表")));
    const std::vector<ApiCall> sent = state_.WaitFor("send_group_msg", total);
    ASSERT_EQ(sent.size(), total) << adapter_->Log();
    EXPECT_TRUE(sent.back().params.value("message", std::string()).starts_with(kMenuStart));
  }
  // The gaps between consecutive handshake requests, in milliseconds.
  static std::vector<long long> Gaps(const std::vector<WsServerPeer::Attempt>& attempts) {
    std::vector<long long> gaps;
    for (std::size_t i = 1; i < attempts.size(); ++i) {
      gaps.push_back(std::chrono::duration_cast<std::chrono::milliseconds>(
                         attempts[i].when - attempts[i - 1].when)
                         .count());
    }
    return gaps;
  }
  // How often `text` occurs in the adapter's log.
  std::size_t LogCount(const std::string& text) {
    const std::string log = adapter_->Log();
    std::size_t count = 0;
    for (std::size_t at = log.find(text); at != std::string::npos; at = log.find(text, at + 1)) {
      ++count;
    }
    return count;
  }

  PeerState state_;
  std::optional<AdapterProcess> adapter_;
};

TEST_F(OneBotForward, RepliesOverItsConnectionAndComesBackAfterDropsAndOutages) {
  WsServerPeer server(state_, "");
  const std::uint16_t port = server.Listen();
  ASSERT_NE(port, 0);
  ASSERT_NO_FATAL_FAILURE(StartAdapter(ForwardConfig(port, "", 200, 1600)));
  ASSERT_TRUE(server.WaitForOpen(1, 5s)) << adapter_->Log();
  ASSERT_NO_FATAL_FAILURE(ExpectReply(server, 1));
  // get_login_info and send_group_msg went over the same connection.
  EXPECT_EQ(state_.Calls("get_login_info").size(), 1u);

  // Dropped: the adapter dials again after the first delay and events flow again.
  server.Drop();
  ASSERT_TRUE(server.WaitForOpen(2, 5s)) << adapter_->Log();
  ASSERT_NO_FATAL_FAILURE(ExpectReply(server, 2));

  // Down for a while: refused dials back off with growing delays, then the server returns on
  // the same port and the adapter finds it.
  server.Shutdown();
  const auto down = std::chrono::steady_clock::now();
  std::this_thread::sleep_for(2500ms);
  ASSERT_EQ(server.Listen(port), port);
  ASSERT_TRUE(server.WaitForOpen(3, 5s)) << adapter_->Log();
  EXPECT_LT(std::chrono::steady_clock::now() - down, 5500ms);
  ASSERT_NO_FATAL_FAILURE(ExpectReply(server, 3));
  // 200, 400, 800 ms (each within a fifth) fit in the outage: at least three refused dials.
  EXPECT_GE(LogCount(U8(u8"正向 WebSocket 连接失败")), 3u) << adapter_->Log();
  EXPECT_GE(LogCount(U8(u8"正向 WebSocket 连接断开")), 2u) << adapter_->Log();
  adapter_->ExpectCleanStop(StopRequest::kTerminate);
}

TEST_F(OneBotForward, WrongTokenIsRefusedAndRetriedWithGrowingDelaysUntilStopped) {
  // Refused at the handshake, or accepted and then refused by a message: a connection that never
  // got an event does not count as a success, so the delays grow either way.
  struct Case {
    WsServerPeer::TokenRefusal refusal;
    int status;
    std::string logged;
  };
  const Case cases[] = {
      {WsServerPeer::TokenRefusal::kAtHandshake, 401, "HTTP 401"},
      {WsServerPeer::TokenRefusal::kAfterAccepting, 1403, U8(u8"[WARN] OneBot 实现报告错误")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.status);
    WsServerPeer server(state_, "right", c.refusal);
    const std::uint16_t port = server.Listen();
    ASSERT_NE(port, 0);
    ASSERT_NO_FATAL_FAILURE(StartAdapter(ForwardConfig(port, "wrong", 150, 1000)));
    // Dials at about 0, 150, 450, 1050, 2050 ms: the delays double up to the cap.
    const std::vector<WsServerPeer::Attempt> attempts = server.WaitForAttempts(5, 8s);
    ASSERT_GE(attempts.size(), 5u) << adapter_->Log();
    for (const WsServerPeer::Attempt& attempt : attempts) EXPECT_EQ(attempt.status, c.status);
    const std::vector<long long> gaps = Gaps(attempts);
    EXPECT_GE(gaps[0], 100) << adapter_->Log();
    EXPECT_GT(gaps[1], gaps[0]);
    EXPECT_GT(gaps[2], gaps[1]);
    EXPECT_GE(gaps[3], 700);   // capped at 1000 ms, less a fifth
    EXPECT_LE(gaps[3], 2500);  // and not beyond the cap, with room for a slow machine
    EXPECT_NE(adapter_->Log().find(c.logged), std::string::npos) << adapter_->Log();
    // A stop while waiting to redial ends the loop and the process at once.
    adapter_->ExpectCleanStop(StopRequest::kInterrupt, 3s);
  }
}

// ---- HTTP POST ----

class OneBotHttp : public ::testing::Test {
 protected:
  json HttpConfig(const std::string& secret = "") {
    return {{"http_post",
             {{"host", "127.0.0.1"},
              {"port", 0},
              {"path", "/onebot"},
              {"api_url", "http://127.0.0.1:" + std::to_string(api_.api_port())}}},
            {"secret", secret},
            {"access_token", "tok"},
            {"quick_reply_timeout_ms", 400},
            {"log_level", "debug"}};
  }
  void StartAdapter(const json& config) {
    adapter_.emplace(config);
    port_ = adapter_->Start("http_post");
    ASSERT_NE(port_, 0) << adapter_->Log();
  }
  HttpPeer::PostResult Post(const json& event, const std::string& secret = "") {
    const std::string body = event.dump();
    return HttpPeer::PostEvent(port_, "/onebot", body,
                               secret.empty() ? std::string() : onebot_test::Sign(secret, body));
  }

  PeerState state_;
  HttpPeer api_{state_};
  std::optional<AdapterProcess> adapter_;
  std::uint16_t port_ = 0;
};

TEST_F(OneBotHttp, QuickOperationRepliesInBothFormats) {
  ASSERT_NO_FATAL_FAILURE(StartAdapter(HttpConfig()));
  for (const json& message : {json(U8(u8"@命令表")), json::array({TextSegment(U8(u8"@命令表"))})}) {
    const HttpPeer::PostResult result = Post(GroupEvent(message));
    ASSERT_EQ(result.status, 200) << adapter_->Log();
    const json body = json::parse(result.body);
    EXPECT_TRUE(body["reply"].get<std::string>().starts_with(kMenuStart)) << result.body;
    EXPECT_EQ(body["at_sender"], false);
    EXPECT_EQ(body["auto_escape"], false);
  }
  // Not a trigger: answered at once with nothing to do.
  const HttpPeer::PostResult chatter = Post(GroupEvent(U8(u8"你好")));
  EXPECT_EQ(chatter.status, 204);
  EXPECT_LT(chatter.elapsed, 300ms);
  // [cqname] was learnt through the HTTP API, with the access token.
  ASSERT_EQ(state_.Calls("get_login_info").size(), 1u);
  EXPECT_EQ(api_.api_authorizations().at(0), "Bearer tok");
}

TEST_F(OneBotHttp, BadSignaturesAndMalformedBodiesAreRefused) {
  ASSERT_NO_FATAL_FAILURE(StartAdapter(HttpConfig("key")));
  const std::string body = GroupEvent(U8(u8"@命令表")).dump();
  struct Case {
    std::string body;
    std::string signature;
    int status;
  };
  const Case cases[] = {
      {body, "", 403},
      {body, onebot_test::Sign("other", body), 403},
      {body, onebot_test::Sign("key", body + " "), 403},
      {"{oops", onebot_test::Sign("key", "{oops"), 400},
      {R"({"post_type":"message","message_type":"group"})",
       onebot_test::Sign("key", R"({"post_type":"message","message_type":"group"})"), 400},
      {body, onebot_test::Sign("key", body), 200},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(HttpPeer::PostEvent(port_, "/onebot", c.body, c.signature).status, c.status)
        << c.body << " " << c.signature;
  }
  EXPECT_EQ(HttpPeer::PostEvent(port_, "/elsewhere", body, onebot_test::Sign("key", body)).status,
            404);
  // A trailing slash is the same path.
  EXPECT_EQ(HttpPeer::PostEvent(port_, "/onebot/", body, onebot_test::Sign("key", body)).status,
            200);
}

TEST_F(OneBotHttp, NoTimeForQuickOperationsSendsEveryReplyThroughTheApi) {
  // For implementations that ignore the answer to a post (Lagrange.OneBot): the answer is always
  // empty and at once, and replies take the HTTP API.
  json config = HttpConfig();
  config["quick_reply_timeout_ms"] = 0;
  ASSERT_NO_FATAL_FAILURE(StartAdapter(config));
  for (int i = 0; i < 3; ++i) {
    const HttpPeer::PostResult result = Post(GroupEvent(U8(u8"@命令表")));
    EXPECT_EQ(result.status, 204) << i;
    EXPECT_EQ(result.body, "") << i;
  }
  const std::vector<ApiCall> sent = state_.WaitFor("send_group_msg", 3);
  ASSERT_EQ(sent.size(), 3u) << adapter_->Log();
  for (const ApiCall& call : sent) {
    EXPECT_TRUE(call.params["message"].get<std::string>().starts_with(kMenuStart));
  }
}

TEST_F(OneBotHttp, SlowPluginCallDoesNotHoldUpOtherEvents) {
  // The nickname lookup asks a service that takes 3 s to answer.
  test_support::LoopbackHttpServer slow([](const std::string&) {
    std::this_thread::sleep_for(3000ms);
    return test_support::ScriptedResponse{
        test_support::HttpResponse("200 OK", "portraitCallBack({\"123\":[\"x\",0,\"\",0,\"nick\",0]})"),
        0};
  });
  ASSERT_NO_FATAL_FAILURE(StartAdapter(HttpConfig()));
  // A Unicode path: the file's name is not ASCII.
  std::ofstream(adapter_->dir() / "config" / fs::path(u8"昵称服务.ini"), std::ios::binary)
      << robothost::Utf8ToGbk("[昵称服务]\r\n地址=" + slow.Address() + "\r\n").text;
  const HttpPeer::PostResult lookup = Post(GroupEvent(U8(u8"@获取&#91;123&#93;")));
  EXPECT_EQ(lookup.status, 204);
  EXPECT_LT(lookup.elapsed, 1000ms);
  for (int i = 0; i < 3; ++i) {
    const HttpPeer::PostResult menu = Post(GroupEvent(U8(u8"@命令表")));
    EXPECT_EQ(menu.status, 204) << i;
    EXPECT_LT(menu.elapsed, 1000ms) << i;
  }
  // The replies that missed their quick operation go out through the HTTP API, in order.
  const std::vector<ApiCall> sent = state_.WaitFor("send_group_msg", 4);
  ASSERT_EQ(sent.size(), 4u) << adapter_->Log();
  EXPECT_NE(sent[0].params["message"].get<std::string>().find("123"), std::string::npos);
  for (int i = 1; i < 4; ++i) {
    EXPECT_TRUE(sent[static_cast<std::size_t>(i)].params["message"].get<std::string>().starts_with(
        kMenuStart));
  }
}

}  // namespace
