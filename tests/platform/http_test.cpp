// The HTTP client (libcurl on Linux, WinINet under Wine) against a real server on 127.0.0.1:
// what goes on the wire, which bodies come back, and the limits on time and size.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "child_process.h"
#include "http_test_server.h"
#include "platform/http.h"
#include "platform/http_url.h"
#include "stopwatch.h"

namespace {

using test_support::HeaderValue;
using test_support::HttpResponse;
using test_support::LoopbackHttpServer;
using test_support::RequestLine;
using test_support::ScriptedResponse;

// Installs tighter limits for one test.
class ScopedHttpLimits {
 public:
  explicit ScopedHttpLimits(platform::HttpLimits limits) : limits_(limits) {
    platform::SetHttpLimitsForTesting(&limits_);
  }
  ~ScopedHttpLimits() { platform::SetHttpLimitsForTesting(nullptr); }

 private:
  platform::HttpLimits limits_;
};

TEST(HttpGetTest, SendsAPlainHttp10GetWithTheFixedHeaders) {
  LoopbackHttpServer server(HttpResponse("200 OK", "hello"));
  ASSERT_FALSE(server.Address().empty());
  EXPECT_EQ(platform::HttpGet(server.Address() + "/fcg-bin/cgi_get_score.fcg?mask=7&uins=10001"),
            "hello");
  const std::vector<std::string> requests = server.Requests();
  ASSERT_EQ(requests.size(), 1u);
  const std::string& request = requests[0];
  EXPECT_EQ(RequestLine(request), "GET /fcg-bin/cgi_get_score.fcg?mask=7&uins=10001 HTTP/1.0");
  EXPECT_EQ(HeaderValue(request, "User-Agent"),
            "Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)");
  EXPECT_EQ(HeaderValue(request, "Accept"), "*/*");
  EXPECT_EQ(HeaderValue(request, "Pragma"), "no-cache");
  EXPECT_EQ(HeaderValue(request, "Host"), "127.0.0.1:" + std::to_string(server.port()));
  for (const char* absent : {"Referer", "Expect", "Cookie", "Proxy-Connection", "Content-Length"}) {
    EXPECT_EQ(HeaderValue(request, absent), "") << absent;
  }
}

// What follows the address in the URL, and the request target both clients must send for it:
// the same bytes on Linux and under Wine.
TEST(HttpGetTest, RequestTargetEndsAtTheFragmentAndEscapesWhatCouldBeMisread) {
  struct Case {
    std::string rest;
    std::string target;
  };
  const Case cases[] = {
      {"/q?uins=12 34", "/q?uins=12%2034"},
      {"/q?uins= 1 ", "/q?uins=%201%20"},
      {"/q?uins=12#34", "/q?uins=12"},
      {"/q?uins=#", "/q?uins="},
      {"/q?uins=1 2#3 4", "/q?uins=1%202"},
      {"/q?uins=1\r\nX-Injected: yes", "/q?uins=1%0D%0AX-Injected:%20yes"},
      {"/q?uins=1\t\x7f", "/q?uins=1%09%7F"},
      {"/q?uins=abc%41", "/q?uins=abc%41"},
      {"/q?uins=中文", "/q?uins=中文"},
      {"/q?uins=a|b\"c<d>{e}^`", "/q?uins=a|b\"c<d>{e}^`"},
      // WinINet would turn a backslash into '/' and resolve dot segments against the path.
      {"/q?uins=a\\b", "/q?uins=a%5Cb"},
      {"/q?uins=./../x", "/q?uins=./%2E%2E/x"},
      {"/q?uins=1/./2/../3", "/q?uins=1/%2E/2/%2E%2E/3"},
      {"/q?uins=1/..", "/q?uins=1/%2E%2E"},
      {"/q?uins=..", "/q?uins=.."},
      {"/q?uins=a/.../b//c", "/q?uins=a/.../b//c"},
      {"", "/"},
      {"?uins=1", "/?uins=1"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.rest);
    LoopbackHttpServer server(HttpResponse("200 OK", "ok"));
    EXPECT_EQ(platform::HttpGet(server.Address() + c.rest), "ok");
    const std::vector<std::string> requests = server.Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(RequestLine(requests[0]), "GET " + c.target + " HTTP/1.0");
    EXPECT_EQ(HeaderValue(requests[0], "X-Injected"), "");
  }
}

TEST(HttpGetTest, ReadsTheBodyWhateverTheStatus) {
  const std::string body_with_zero("a\0b", 3);
  struct Case {
    std::string response;
    std::string body;
  };
  const Case cases[] = {
      {HttpResponse("404 Not Found", "no such page"), "no such page"},
      {HttpResponse("500 Internal Server Error", ",\"oops\","), ",\"oops\","},
      {HttpResponse("200 OK", ""), ""},
      {HttpResponse("200 OK", body_with_zero), body_with_zero},
      {HttpResponse("200 OK", std::string(300'000, 'x')), std::string(300'000, 'x')},
      // The connection ends before the announced length: the bytes that came are the body.
      {"HTTP/1.0 200 OK\r\nContent-Length: 100\r\n\r\nonly ten b", "only ten b"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.response.substr(0, 40));
    LoopbackHttpServer server(c.response);
    EXPECT_EQ(platform::HttpGet(server.Address() + "/x"), c.body);
  }
}

TEST(HttpGetTest, FollowsARedirectOverHttp) {
  LoopbackHttpServer server([](const std::string& request) {
    if (RequestLine(request) == "GET /first HTTP/1.0") {
      return ScriptedResponse{"HTTP/1.0 302 Found\r\nLocation: /second\r\n\r\nmoved", 0};
    }
    return ScriptedResponse{HttpResponse("200 OK", "second"), 0};
  });
  EXPECT_EQ(platform::HttpGet(server.Address() + "/first"), "second");
  EXPECT_EQ(server.Requests().size(), 2u);
}

TEST(HttpGetTest, RequestsThatCannotBeMadeGiveTheEmptyBody) {
  LoopbackHttpServer server(HttpResponse("200 OK", "should not be read"));
  const std::string port = std::to_string(server.port());
  const std::string unreachable =
      "http://127.0.0.1:" + std::to_string(test_support::UnusedLoopbackPort()) + "/x";
  for (const std::string& url : {unreachable, "https://127.0.0.1:" + port + "/x",
                                 "ftp://127.0.0.1:" + port + "/x", "127.0.0.1:" + port + "/x",
                                 std::string("http:///x"), std::string()}) {
    EXPECT_EQ(platform::HttpGet(url), "") << url;
  }
  EXPECT_TRUE(server.Requests().empty());
}

TEST(HttpGetTest, IgnoresProxiesNamedInTheEnvironment) {
  LoopbackHttpServer server(HttpResponse("200 OK", "direct"));
  const std::string proxy =
      "http://127.0.0.1:" + std::to_string(test_support::UnusedLoopbackPort());
  const char* const variables[] = {"http_proxy", "HTTP_PROXY", "ALL_PROXY", "all_proxy"};
  for (const char* variable : variables) test_support::SetEnvironmentValue(variable, proxy);
  const std::string body = platform::HttpGet(server.Address() + "/x");
  for (const char* variable : variables) test_support::SetEnvironmentValue(variable, "");
  EXPECT_EQ(body, "direct");
}

TEST(HttpGetTest, KeepsAtMostTheBodyLimit) {
  const std::size_t limit = platform::CurrentHttpLimits().max_body_bytes;
  EXPECT_EQ(limit, 1u << 20);
  std::string body(limit + 100'000, 'n');
  body[limit - 1] = 'L';
  LoopbackHttpServer server(HttpResponse("200 OK", body));
  const std::string received = platform::HttpGet(server.Address() + "/big");
  EXPECT_EQ(received.size(), limit);
  EXPECT_EQ(received, body.substr(0, limit));
}

TEST(HttpGetTest, AStalledAnswerEndsAtTheTimeLimitWithWhatCame) {
  ScopedHttpLimits limits({1'000, 800, 1 << 20});
  LoopbackHttpServer server([](const std::string&) {
    return ScriptedResponse{"HTTP/1.0 200 OK\r\n\r\n,\"partial", 10'000};
  });
  const std::int64_t start = test_support::MonotonicMilliseconds();
  EXPECT_EQ(platform::HttpGet(server.Address() + "/slow"), ",\"partial");
  EXPECT_LT(test_support::MonotonicMilliseconds() - start, 5'000);
}

TEST(HttpGetTest, ASilentServerEndsAtTheTimeLimitWithTheEmptyBody) {
  ScopedHttpLimits limits({1'000, 800, 1 << 20});
  LoopbackHttpServer server([](const std::string&) { return ScriptedResponse{"", 10'000}; });
  const std::int64_t start = test_support::MonotonicMilliseconds();
  EXPECT_EQ(platform::HttpGet(server.Address() + "/silent"), "");
  EXPECT_LT(test_support::MonotonicMilliseconds() - start, 5'000);
}

TEST(ParseHttpUrlTest, SplitsHostPortAndTarget) {
  struct Case {
    const char* url;
    bool valid;
    const char* host;
    int port;
    const char* target;
  };
  const Case cases[] = {
      {"http://127.0.0.1:8080/a?b=c", true, "127.0.0.1", 8080, "/a?b=c"},
      {"HTTP://Example.com/a", true, "Example.com", 80, "/a"},
      {"http://example.com", true, "example.com", 80, "/"},
      {"http://example.com?x=1", true, "example.com", 80, "/?x=1"},
      {"http://example.com#frag", true, "example.com", 80, "/"},
      {"http://[::1]:8080/v6", true, "::1", 8080, "/v6"},
      {"http://h:65535/", true, "h", 65535, "/"},
      {"http://h:0/", false, "", 0, ""},
      {"http://h:65536/", false, "", 0, ""},
      {"http://h:8a/", false, "", 0, ""},
      {"http://h:/", true, "h", 80, "/"},
      {"http://:80/", false, "", 0, ""},
      {"http://user@h/", false, "", 0, ""},
      {"http://a b/", false, "", 0, ""},
      {"http://[::1/", false, "", 0, ""},
      {"https://h/", false, "", 0, ""},
      {"http:/h/", false, "", 0, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.url);
    const auto parsed = platform::ParseHttpUrl(c.url);
    ASSERT_EQ(parsed.has_value(), c.valid);
    if (!parsed) continue;
    EXPECT_EQ(parsed->host, c.host);
    EXPECT_EQ(parsed->port, c.port);
    EXPECT_EQ(parsed->target, c.target);
  }
}

}  // namespace
