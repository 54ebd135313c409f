// Nickname lookup against a nickname service of our own on 127.0.0.1: the request it sends,
// the nickname cut from the answer, the 25/26-byte rule, and what a failed request leaves.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "commands/nickname.h"
#include "common/command.h"
#include "common/run_directory.h"
#include "http_test_server.h"
#include "loopback_socket.h"
#include "plugin/export_layer.h"
#include "temp_dir.h"

namespace {

using test_support::HttpResponse;
using test_support::LoopbackHttpServer;
using test_support::RequestLine;

constexpr const char* kTarget = "/fcg-bin/cgi_get_score.fcg?mask=7&uins=";

// An answer in the service's shape, the nickname in the fifth field.
std::string Answer(const std::string& qq, const std::string& nickname) {
  return "portraitCallBack({\"" + qq + "\":[\"http://q.qlogo.cn/g?b=qq&nk=" + qq +
         "\",0,0,0,\"" + nickname + "\",0]})";
}

std::string LookupReply(const std::string& nickname, const std::string& qq) {
  return "[name]，你要查询的昵称是：" + nickname + "[enter]为你寻找的QQ号是：" + qq;
}

class NicknameTest : public ::testing::Test {
 protected:
  void TearDown() override { plugin::ReleaseAllSlots(); }

  // Points the setting at `address` ("地址" in section "昵称服务" of 昵称服务.ini).
  void SetServiceAddress(const std::string& address) {
    test_support::WriteFile(common::ProfilePath("昵称服务.ini"),
                            "[昵称服务]\r\n地址=" + address + "\r\n");
  }

  struct Outcome {
    std::string result;     // what the fetch returned
    std::string parameter;  // what the fetch left in its parameter
    std::string reply;      // 昵称获取's reply for the same parameter
  };
  static Outcome Run(const std::string& qq) {
    Outcome outcome;
    outcome.parameter = qq;
    outcome.result = commands::FetchNickname(outcome.parameter).c_str();
    common::CommandArgs args{qq, "2", "3", "4", "5"};
    outcome.reply = commands::NicknameLookup(args).c_str();
    return outcome;
  }

  test_support::RunDirectoryFixture run_directory_;
};

TEST_F(NicknameTest, ShortFieldIsTheNicknameLongFieldIsTheResult) {
  const std::string field24 = "小明小明小明小明小明小明";  // 24 bytes
  struct Case {
    std::string body;
    std::string extracted;
    bool field_is_result;
  };
  const Case cases[] = {
      {Answer("10001", "小明"), "小明", false},
      {Answer("10001", ""), "", false},
      {Answer("10001", field24 + "a"), field24 + "a", false},                // 25 bytes
      {Answer("10001", field24 + "小"), field24 + "小", true},               // 26 bytes
      {Answer("10001", field24 + field24), field24 + field24, true},        // 48 bytes
      // Only the first start marker counts.
      {"x,\"first\",y,\"second\",", "first", false},
      // No start marker: the answer from its first byte up to the first end marker.
      {"abc\",def", "abc", false},
      {std::string(30, 'z') + "\",tail", std::string(30, 'z'), true},
      // Start marker without an end marker after it, or no marker at all.
      {"x,\"nickname", "", false},
      {"nothing to see", "", false},
      {"", "", false},
      // The answer is text up to its first zero byte.
      {std::string(",\"ab\0cd\",", 9), "", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.body);
    LoopbackHttpServer server(HttpResponse("200 OK", c.body));
    SetServiceAddress(server.Address());
    const Outcome outcome = Run("10001");
    const std::string result = c.field_is_result ? c.extracted : "10001";
    EXPECT_EQ(outcome.parameter, c.extracted);
    EXPECT_EQ(outcome.result, result);
    EXPECT_EQ(outcome.reply, LookupReply(c.extracted, result));
    EXPECT_EQ(server.Requests().size(), 2u);
  }
}

TEST_F(NicknameTest, AnErrorStatusStillHasItsBodyRead) {
  LoopbackHttpServer server(HttpResponse("404 Not Found", Answer("10001", "阿强")));
  SetServiceAddress(server.Address());
  EXPECT_EQ(Run("10001").reply, LookupReply("阿强", "10001"));
}

// The QQ text goes into the URL as typed; the HTTP client ends the target at '#' and escapes
// blanks and line breaks. The reply repeats the parameter unchanged.
TEST_F(NicknameTest, SendsTheParameterAsTyped) {
  struct Case {
    std::string qq;
    std::string sent;
  };
  const Case cases[] = {
      {"10001", "10001"},
      {"", ""},
      {"abc", "abc"},
      {"12 34", "12%2034"},
      {" 10001\r\n", "%2010001%0D%0A"},
      {"123#456", "123"},
      {"#456", ""},
      {"１２", "１２"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.qq);
    LoopbackHttpServer server(HttpResponse("200 OK", Answer("x", "昵称")));
    SetServiceAddress(server.Address());
    const Outcome outcome = Run(c.qq);
    EXPECT_EQ(outcome.result, c.qq);
    EXPECT_EQ(outcome.reply, LookupReply("昵称", c.qq));
    const std::vector<std::string> requests = server.Requests();
    ASSERT_FALSE(requests.empty());
    EXPECT_EQ(RequestLine(requests[0]), "GET " + std::string(kTarget) + c.sent + " HTTP/1.0");
  }
}

TEST_F(NicknameTest, TrailingSlashOfTheAddressIsNotDoubled) {
  LoopbackHttpServer server(HttpResponse("200 OK", Answer("1", "n")));
  SetServiceAddress(server.Address() + "/");
  Run("1");
  ASSERT_FALSE(server.Requests().empty());
  EXPECT_EQ(RequestLine(server.Requests()[0]), "GET " + std::string(kTarget) + "1 HTTP/1.0");
}

// Unreachable service, no setting, or an empty one: an empty nickname and the QQ number back.
TEST_F(NicknameTest, FailedOrImpossibleRequestGivesAnEmptyNickname) {
  const std::string unreachable =
      "http://127.0.0.1:" + std::to_string(test_support::UnusedLoopbackPort());
  struct Case {
    const char* name;
    const char* setting;  // null: no settings file at all
  };
  const Case cases[] = {
      {"unreachable", unreachable.c_str()},
      {"empty setting", ""},
      {"not http", "https://127.0.0.1:1"},
      {"no settings file", nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::remove(common::ProfilePath("昵称服务.ini").c_str());
    if (c.setting != nullptr) SetServiceAddress(c.setting);
    const Outcome outcome = Run("10001");
    EXPECT_EQ(outcome.parameter, "");
    EXPECT_EQ(outcome.result, "10001");
    EXPECT_EQ(outcome.reply, "[name]，你要查询的昵称是：[enter]为你寻找的QQ号是：10001");
  }
}

// 获取昵称 through the export wrapper: the caller's text is a copy, only the result comes back.
TEST_F(NicknameTest, ExportReturnsOnlyTheFetchResult) {
  LoopbackHttpServer server(HttpResponse("200 OK", Answer("10001", "小明")));
  SetServiceAddress(server.Address());
  const char qq[] = "10001";
  const char* text = plugin::RunExport(plugin::Slot::kFetchNickname, commands::FetchNickname, qq);
  EXPECT_STREQ(text, "10001");
  EXPECT_STREQ(qq, "10001");
}

}  // namespace
