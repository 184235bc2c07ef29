// The update check: reading the update page, comparing versions, choosing
// the page to open, and the HTTPS exchange against a local stand-in server
// (update_server.py) with self-signed certificates.
#include "app/update_check.h"

#include <gtest/gtest.h>
#include <sys/utsname.h>

#include <chrono>
#include <memory>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/update_test_server.h"

namespace talvenor::app {
namespace {

namespace fs = std::filesystem;
using update_test::HaveTool;
using update_test::MakeCertificate;
using update_test::ReadLogLines;
using update_test::ScopedEnv;
using update_test::TempFolder;
using update_test::TestServer;

// ---------------------------------------------------------------------------
// The page's markers.

struct PageCase {
  const char* page;
  const char* version;
  const char* url;
};

TEST(ParseUpdatePage, Markers) {
  // clang-format off
  const PageCase cases[] = {
      {"<p>PRGVER : #2.1.0.4#</p><p>URL : #https://example.org/neu.htm#</p>", "2.1.0.4",
       "https://example.org/neu.htm"},
      {"", "", ""},
      {"no markers at all", "", ""},
      // A "#" right behind the marker stands at position 0: no version, and
      // the address is not looked for.
      {"PRGVER : ##URL : #https://example.org/#", "", ""},
      {"PRGVER : #2.0", "", ""},  // the version never ends
      {"PRGVER : #2.0#", "2.0", ""},
      {"PRGVER : #2.0#URL : #https://example.org/", "2.0", ""},  // the address never ends
      {"PRGVER : #2.0#URL : ##", "2.0", ""},
      // The address counts only after the version.
      {"URL : #https://example.org/#PRGVER : #2.0#", "2.0", ""},
      // The first "#" ends the version, even the one of the address marker;
      // "#https://example.org/#" behind it holds no further marker.
      {"PRGVER : #1.2URL : #https://example.org/#", "1.2URL : ", ""},
      {"PRGVER :#2.0#URL : #https://example.org/#", "", ""},
      {"prgver : #2.0#", "", ""},
      {"PRGVER : #3.0#x#URL : #a#PRGVER : #4.0#URL : #b#", "3.0", "a"},
      {"PRGVER : # 2.0 #URL : # https://example.org/ #", " 2.0 ", " https://example.org/ "},
  };
  // clang-format on
  for (const PageCase& c : cases) {
    const UpdatePageInfo info = ParseUpdatePage(c.page);
    EXPECT_EQ(info.version, c.version) << c.page;
    EXPECT_EQ(info.url, c.url) << c.page;
  }
}

TEST(IsNewerVersion, ComparesAsText) {
  struct Case {
    const char* version;
    const char* program;
    bool newer;
  };
  // clang-format off
  const Case cases[] = {
      {"1.0.0.1", "1.0.0.10", false},  // a prefix sorts first
      {"1.0.0.9", "1.0.0.10", true},   // "9" > "1" at the seventh character
      {"1.65.0", "1.65.0", false},
      {"1.65.0.1", "1.65.0", true},
      {"2.0", "", true},  // an unreadable program version
      {"", "1.0", false},
      {"10.0", "9.0", false},  // "1" < "9"
  };
  // clang-format on
  for (const Case& c : cases) {
    EXPECT_EQ(IsNewerVersion(c.version, c.program), c.newer) << c.version << " vs " << c.program;
  }
}

// ---------------------------------------------------------------------------
// Addresses.

TEST(UpdatePageToOpen, OnlyWebAddressesFromThePage) {
  const UpdateServer server{"update.example", 443, ""};
  const std::string fallback = "https://update.example/update/prgupd.htm";
  struct Case {
    const char* url;
    bool kept;
  };
  // clang-format off
  const Case cases[] = {
      {"https://example.org/neu.htm", true},
      {"http://example.org", true},
      {"HtTpS://example.org:8443/x?y=1", true},
      {"https://user@example.org/", true},
      {"https://[2001:db8::1]/x", true},
      {"", false},
      {"/update/prgupd.htm", false},
      {"file:///etc/passwd", false},
      {"javascript:alert(1)", false},
      {"ftp://example.org/", false},
      {"https:example.org", false},
      {"https://", false},
      {"https:///path", false},
      {"https://:443/", false},
      {"https://user@/x", false},
      {"https://[]/x", false},
      {" https://example.org/", false},
      {"https://exa mple.org/", false},
      {"https://example.org/\n", false},
      {"https://example.org/\x7F", false},
      {"xhttps://example.org/", false},
  };
  // clang-format on
  for (const Case& c : cases) {
    EXPECT_EQ(UpdatePageToOpen(c.url, server), c.kept ? std::string(c.url) : fallback) << c.url;
  }
}

TEST(DefaultUpdatePageUrl, NamesThePortOnlyWhenNotStandard) {
  EXPECT_EQ(DefaultUpdatePageUrl({"update.example", 443, ""}),
            "https://update.example/update/prgupd.htm");
  EXPECT_EQ(DefaultUpdatePageUrl({"localhost", 8443, ""}),
            "https://localhost:8443/update/prgupd.htm");
}

TEST(ConfiguredUpdateServer, EnvironmentOverridesTheBuild) {
  ScopedEnv noCa("TALVENOR_UPDATE_CA", std::nullopt);
  UpdateServer built;
  {
    ScopedEnv noHost("TALVENOR_UPDATE_HOST", std::nullopt);
    built = ConfiguredUpdateServer();
  }
  EXPECT_FALSE(built.host.empty());
  EXPECT_EQ(built.port, 443);
  EXPECT_EQ(built.extraCaFile, "");

  struct Case {
    const char* value;
    const char* host;  // null: the override is ignored
    int port;
  };
  // clang-format off
  const Case cases[] = {
      {"updates.example.org", "updates.example.org", 443},
      {"localhost:8443", "localhost", 8443},
      {"[::1]:8443", "[::1]", 8443},
      {"[::1]", "[::1]", 443},
      {"", nullptr, 0},
      {"host:0", nullptr, 0},
      {"host:65536", nullptr, 0},
      {"host:", nullptr, 0},
      {"host:80x", nullptr, 0},
      {"evil.example/x?", nullptr, 0},
      {"a b", nullptr, 0},
      {":443", nullptr, 0},
      {"[::1", nullptr, 0},
  };
  // clang-format on
  for (const Case& c : cases) {
    ScopedEnv host("TALVENOR_UPDATE_HOST", std::string(c.value));
    const UpdateServer server = ConfiguredUpdateServer();
    EXPECT_EQ(server.host, c.host != nullptr ? c.host : built.host) << c.value;
    EXPECT_EQ(server.port, c.host != nullptr ? c.port : built.port) << c.value;
  }

  ScopedEnv ca("TALVENOR_UPDATE_CA", std::string("/etc/talvenor/update-ca.pem"));
  EXPECT_EQ(ConfiguredUpdateServer().extraCaFile, "/etc/talvenor/update-ca.pem");
}

// The operating system as uname() names it, e.g. "Linux 6.1.0-18-amd64".
std::string SystemName() {
  utsname names{};
  EXPECT_EQ(uname(&names), 0);
  return std::string(names.sysname) + " " + names.release;
}

TEST(UpdateUserAgent, NamesTheSystem) {
  EXPECT_EQ(UpdateUserAgent(), "Orvex/1.0 (" + SystemName() + ")");
  EXPECT_EQ(UpdateUserAgent("Test"), "Orvex/1.0 (" + SystemName() + "; Test)");
}

// ---------------------------------------------------------------------------
// The exchange with a server.

const UpdateTimeouts kShortTimeouts{1000, 1000};

// Answers 407 prompts from a list; declines when the list is used up.
class ScriptedPrompt : public ProxyCredentialsPrompt {
 public:
  struct Answer {
    std::string user;
    std::string password;
  };
  explicit ScriptedPrompt(std::vector<Answer> answers) : answers_(std::move(answers)) {}

  bool Ask(std::string& user, std::string& password) override {
    ++calls;
    if (calls > answers_.size()) return false;
    user = answers_[calls - 1].user;
    password = answers_[calls - 1].password;
    return true;
  }

  std::size_t calls = 0;

 private:
  std::vector<Answer> answers_;
};

class UpdateExchange : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    if (!HaveTool("python3") || !HaveTool("openssl")) return;
    folder_ = std::make_unique<TempFolder>();
    const fs::path& f = folder_->path();
    ready_ = !f.empty() && MakeCertificate(f, "trusted", "localhost") &&
             MakeCertificate(f, "stranger", "localhost") &&
             MakeCertificate(f, "otherhost", "otherhost");
  }
  static void TearDownTestSuite() { folder_.reset(); }

  void SetUp() override {
    if (!ready_) GTEST_SKIP() << "needs python3 and openssl (Debian packages python3, openssl)";
    fs::remove(Log());
    fs::remove(ProxyLog());
  }

  static fs::path File(const std::string& name) { return folder_->path() / name; }
  static fs::path Log() { return File("server.log"); }
  static fs::path ProxyLog() { return File("proxy.log"); }

  // An https server with the certificate `stem`, answering with `status`
  // and `body`, plus further script arguments.
  static std::unique_ptr<TestServer> StartPageServer(int status, const std::string& body,
                                                     std::vector<std::string> more = {},
                                                     const std::string& stem = "trusted") {
    std::vector<std::string> arguments{"--mode",   "https",
                                       "--cert",   File(stem + ".pem").string(),
                                       "--key",    File(stem + ".key").string(),
                                       "--status", std::to_string(status),
                                       "--body",   body,
                                       "--log",    Log().string()};
    arguments.insert(arguments.end(), more.begin(), more.end());
    auto server = std::make_unique<TestServer>(arguments);
    EXPECT_NE(server->port(), 0) << "the stand-in server did not start";
    return server;
  }

  static UpdateServer Trusting(const TestServer& server, const std::string& stem = "trusted") {
    return UpdateServer{"localhost", server.port(), File(stem + ".pem").string()};
  }

  // The check as the dialog runs it, with a stale address beforehand so a
  // check that leaves it alone is caught.
  static std::string Check(const UpdateServer& server, const std::string& programVersion,
                           std::string& url, ProxyCredentialsPrompt* prompt = nullptr,
                           const UpdateTimeouts& timeouts = UpdateTimeouts{}) {
    url = "stale";
    return CheckForUpdate(server, true, programVersion, url, prompt, timeouts);
  }

  // No proxy from the surroundings comes between the test and its server.
  ScopedEnv httpsProxy_{"https_proxy", std::nullopt};
  ScopedEnv httpsProxyUpper_{"HTTPS_PROXY", std::nullopt};
  ScopedEnv allProxy_{"all_proxy", std::nullopt};
  ScopedEnv allProxyUpper_{"ALL_PROXY", std::nullopt};
  ScopedEnv noProxy_{"no_proxy", std::nullopt};
  ScopedEnv noProxyUpper_{"NO_PROXY", std::nullopt};

  static inline std::unique_ptr<TempFolder> folder_;
  static inline bool ready_ = false;
};

struct ExchangeCase {
  const char* name;
  int status;
  std::string body;
  const char* programVersion;
  const char* expectedVersion;
  const char* expectedUrl;
};

TEST_F(UpdateExchange, PagesAndStatuses) {
  const std::string page = "<html>PRGVER : #1.0.0.9#<br>URL : #https://example.org/neu.htm#</html>";
  // clang-format off
  const ExchangeCase cases[] = {
      {"newer as text", 200, page, "1.0.0.10", "1.0.0.9", "https://example.org/neu.htm"},
      {"older as text", 200, "PRGVER : #1.0.0.1#URL : #https://example.org/a#", "1.0.0.10",
       "1.0.0.1", "https://example.org/a"},
      {"hash at position 0", 200, "PRGVER : ##URL : #https://example.org/#", "1.0", "1.0", ""},
      {"no address", 200, "PRGVER : #2.0#", "1.0", "2.0", ""},
      {"empty program version", 200, page, "", "1.0.0.9", "https://example.org/neu.htm"},
      {"partial content", 206, page, "1.0", "1.0.0.9", "https://example.org/neu.htm"},
      {"empty page", 200, "", "1.0", "1.0", ""},
      {"not found", 404, page, "1.0", "1.0", ""},
      {"server error", 500, page, "1.0", "1.0", ""},
  };
  // clang-format on
  for (const ExchangeCase& c : cases) {
    SCOPED_TRACE(c.name);
    const auto server = StartPageServer(c.status, c.body);
    std::string url;
    EXPECT_EQ(Check(Trusting(*server), c.programVersion, url), c.expectedVersion);
    EXPECT_EQ(url, c.expectedUrl);
  }
}

TEST_F(UpdateExchange, RequestAsTheServerSeesIt) {
  const auto server = StartPageServer(200, "PRGVER : #2.0#");
  std::string url;
  ASSERT_EQ(Check(Trusting(*server), "1.0", url), "2.0");
  const std::vector<std::string> lines = ReadLogLines(Log());
  ASSERT_EQ(lines.size(), 1u);
  const auto request = nlohmann::json::parse(lines[0]);
  EXPECT_EQ(request["method"], "GET");
  EXPECT_EQ(request["path"], "/update/orvexupd.htm");
  EXPECT_EQ(request["version"], "HTTP/1.1");
  const auto& headers = request["headers"];
  EXPECT_EQ(headers.value("user-agent", ""), "Orvex/1.0 (" + SystemName() + ")");
  EXPECT_EQ(headers.value("cache-control", ""), "no-cache");
  EXPECT_EQ(headers.value("pragma", ""), "no-cache");
  EXPECT_EQ(headers.value("host", ""), "localhost:" + std::to_string(server->port()));
}

TEST_F(UpdateExchange, SwitchedOffTouchesNoNetwork) {
  const auto server = StartPageServer(200, "PRGVER : #2.0#URL : #https://example.org/#");
  std::string url = "stale";
  EXPECT_EQ(CheckForUpdate(Trusting(*server), false, "1.0", url, nullptr), "1.0");
  EXPECT_EQ(url, "");
  EXPECT_TRUE(ReadLogLines(Log()).empty());
}

TEST_F(UpdateExchange, PageSizeIsCappedAtOneMebibyte) {
  // 1 MiB = 1048576 bytes is accepted whole; one byte more refuses the page
  // even though its markers come first.
  const std::string body = "PRGVER : #7.0#URL : #https://example.org/7#";
  const std::size_t cap = 1048576;
  {
    const auto server = StartPageServer(200, body, {"--pad", std::to_string(cap - body.size())});
    std::string url;
    EXPECT_EQ(Check(Trusting(*server), "1.0", url), "7.0");
    EXPECT_EQ(url, "https://example.org/7");
  }
  {
    const auto server =
        StartPageServer(200, body, {"--trail", std::to_string(cap + 1 - body.size())});
    std::string url;
    EXPECT_EQ(Check(Trusting(*server), "1.0", url), "1.0");
    EXPECT_EQ(url, "");
  }
}

TEST_F(UpdateExchange, CertificatesAreVerified) {
  struct Case {
    const char* name;
    const char* serverStem;  // the certificate the server shows
    std::string extraCa;     // the certificate the check trusts besides the system's
  };
  // clang-format off
  const Case cases[] = {
      {"unknown authority", "stranger", File("trusted.pem").string()},
      {"no extra authority", "trusted", ""},
      {"extra authority file missing", "trusted", File("absent.pem").string()},
      {"wrong host name", "otherhost", File("otherhost.pem").string()},
  };
  // clang-format on
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fs::remove(Log());
    const auto server =
        StartPageServer(200, "PRGVER : #2.0#URL : #https://example.org/#", {}, c.serverStem);
    std::string url;
    EXPECT_EQ(Check(UpdateServer{"localhost", server->port(), c.extraCa}, "1.0", url), "1.0");
    EXPECT_EQ(url, "");
    EXPECT_TRUE(ReadLogLines(Log()).empty()) << "a request went out over an unverified connection";
  }
}

TEST_F(UpdateExchange, RedirectsStayOnHttps) {
  const std::string page = "PRGVER : #2.0#URL : #https://example.org/#";
  {
    const auto server = StartPageServer(200, page, {"--redirect", "/update/moved.htm"});
    std::string url;
    EXPECT_EQ(Check(Trusting(*server), "1.0", url), "2.0");
    ASSERT_EQ(ReadLogLines(Log()).size(), 2u);
    EXPECT_EQ(nlohmann::json::parse(ReadLogLines(Log())[1])["path"], "/update/moved.htm");
  }
  fs::remove(Log());
  {
    const fs::path plainLog = File("plain.log");
    TestServer plain({"--mode", "http", "--body", page, "--log", plainLog.string()});
    ASSERT_NE(plain.port(), 0);
    const auto server =
        StartPageServer(200, page,
                        {"--redirect", "http://localhost:" + std::to_string(plain.port()) +
                                           "/update/orvexupd.htm"});
    std::string url;
    EXPECT_EQ(Check(Trusting(*server), "1.0", url), "1.0");
    EXPECT_TRUE(ReadLogLines(plainLog).empty());
  }
}

TEST_F(UpdateExchange, ARedirectLoopEndsAtTheLimit) {
  // The page redirects to itself: the initial request and five redirects,
  // then the check gives up without a page.
  const auto server = StartPageServer(200, "PRGVER : #2.0#URL : #https://example.org/#",
                                      {"--redirect", "/update/orvexupd.htm"});
  std::string url;
  EXPECT_EQ(Check(Trusting(*server), "1.0", url), "1.0");
  EXPECT_EQ(url, "");
  const std::vector<std::string> requests = ReadLogLines(Log());
  EXPECT_EQ(requests.size(), 6u);
  for (const std::string& request : requests) {
    EXPECT_EQ(nlohmann::json::parse(request)["path"], "/update/orvexupd.htm");
  }
}

TEST_F(UpdateExchange, AServerThatTricklesIsCutOffByTheOverallBound) {
  // The markers come at once, then 30 filler bytes, a byte every half
  // second (15 s in all): too fast for the idle bound, which cuts off less
  // than one byte per second (one byte a second would sit on its edge), so
  // only the overall bound (connect time-out plus twice the transfer
  // time-out, 3 s here) ends the check, and a page cut off there is no page.
  TestServer server({"--mode", "trickle", "--cert", File("trusted.pem").string(), "--key",
                     File("trusted.key").string(), "--body",
                     "PRGVER : #2.0#URL : #https://example.org/#", "--trail", "30", "--interval",
                     "0.5", "--log", Log().string()});
  ASSERT_NE(server.port(), 0);
  const auto start = std::chrono::steady_clock::now();
  std::string url;
  EXPECT_EQ(Check(Trusting(server), "1.0", url, nullptr, kShortTimeouts), "1.0");
  const auto seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  EXPECT_EQ(url, "");
  EXPECT_EQ(ReadLogLines(Log()).size(), 1u);  // the request was answered, slowly
  EXPECT_GE(seconds, 2.9);
  EXPECT_LT(seconds, 8.0);
}

TEST_F(UpdateExchange, ServerThatNeverAnswersTimesOut) {
  // With the defaults each case would wait 15 or 20 seconds; the short
  // time-outs must end it within a few.
  for (const char* mode : {"silent", "tls-silent"}) {
    SCOPED_TRACE(mode);
    TestServer server({"--mode", mode, "--cert", File("trusted.pem").string(), "--key",
                       File("trusted.key").string()});
    ASSERT_NE(server.port(), 0);
    const auto start = std::chrono::steady_clock::now();
    std::string url;
    EXPECT_EQ(Check(Trusting(server), "1.0", url, nullptr, kShortTimeouts), "1.0");
    const auto seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_GE(seconds, 0.9);
    EXPECT_LT(seconds, 8.0);
  }
}

TEST_F(UpdateExchange, NothingListening) {
  // Take a port from a server and end it, so the port is free again.
  int port = 0;
  {
    TestServer server({"--mode", "silent"});
    port = server.port();
  }
  ASSERT_NE(port, 0);
  std::string url;
  EXPECT_EQ(Check(UpdateServer{"localhost", port, File("trusted.pem").string()}, "1.0", url,
                  nullptr, kShortTimeouts),
            "1.0");
  EXPECT_EQ(url, "");
}

// A proxy that wants the name "anna" and the password "geheim"; the
// credentials travel as "Basic " + base64("anna:geheim") =
// "Basic YW5uYTpnZWhlaW0=".
class UpdateThroughProxy : public UpdateExchange {
 protected:
  void SetUp() override {
    UpdateExchange::SetUp();
    if (IsSkipped()) return;
    server_ = StartPageServer(200, "PRGVER : #2.0#URL : #https://example.org/#");
    proxy_ = std::make_unique<TestServer>(std::vector<std::string>{
        "--mode", "proxy", "--proxy-user", "anna:geheim", "--log", ProxyLog().string()});
    ASSERT_NE(proxy_->port(), 0);
    proxyEnv_.emplace("https_proxy", "http://127.0.0.1:" + std::to_string(proxy_->port()));
  }
  void TearDown() override { proxyEnv_.reset(); }

  // The Proxy-Authorization of every request the proxy saw.
  static std::vector<std::string> ProxyCredentialsSeen() {
    std::vector<std::string> seen;
    for (const std::string& line : ReadLogLines(ProxyLog())) {
      const auto entry = nlohmann::json::parse(line);
      EXPECT_EQ(entry["method"], "CONNECT");
      seen.push_back(entry["proxy-authorization"].is_null()
                         ? "-"
                         : entry["proxy-authorization"].get<std::string>());
    }
    return seen;
  }

  std::unique_ptr<TestServer> server_;
  std::unique_ptr<TestServer> proxy_;
  std::optional<ScopedEnv> proxyEnv_;
};

TEST_F(UpdateThroughProxy, CredentialsFromThePromptAreSent) {
  ScriptedPrompt prompt(std::vector<ScriptedPrompt::Answer>{{"anna", "geheim"}});
  std::string url;
  EXPECT_EQ(Check(Trusting(*server_), "1.0", url, &prompt), "2.0");
  EXPECT_EQ(url, "https://example.org/");
  EXPECT_EQ(prompt.calls, 1u);
  const std::vector<std::string> seen = ProxyCredentialsSeen();
  ASSERT_GE(seen.size(), 2u);
  EXPECT_EQ(seen.front(), "-");
  EXPECT_EQ(seen.back(), "Basic YW5uYTpnZWhlaW0=");
  EXPECT_EQ(ReadLogLines(Log()).size(), 1u);  // the page came through the tunnel
}

TEST_F(UpdateThroughProxy, WrongCredentialsAskAgain) {
  ScriptedPrompt prompt(
      std::vector<ScriptedPrompt::Answer>{{"anna", "falsch"}, {"anna", "geheim"}});
  std::string url;
  EXPECT_EQ(Check(Trusting(*server_), "1.0", url, &prompt), "2.0");
  EXPECT_EQ(prompt.calls, 2u);
}

TEST_F(UpdateThroughProxy, DeclinedOrNoPromptEndsTheCheck) {
  ScriptedPrompt declining(std::vector<ScriptedPrompt::Answer>{});
  std::string url;
  EXPECT_EQ(Check(Trusting(*server_), "1.0", url, &declining), "1.0");
  EXPECT_EQ(url, "");
  EXPECT_EQ(declining.calls, 1u);
  EXPECT_EQ(Check(Trusting(*server_), "1.0", url, nullptr), "1.0");
  EXPECT_EQ(url, "");
  EXPECT_TRUE(ReadLogLines(Log()).empty());
  for (const std::string& credentials : ProxyCredentialsSeen()) EXPECT_EQ(credentials, "-");
}

}  // namespace
}  // namespace talvenor::app
