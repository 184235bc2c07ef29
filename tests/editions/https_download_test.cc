// One HTTPS GET against a local file server (tests/support/file_server.py)
// with a self-signed certificate: the exact bytes on success, and a failure
// naming its cause for every way a server or the network can go wrong.
#include "editions/https_download.h"

#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "support/https_test_server.h"

namespace talvenor::editions {
namespace {

using test_support::HttpsTestServer;
using test_support::ScopedEnv;

constexpr char kFile[] = "blz-aktuell-txt-data.txt";

// Every byte value, repeated: 64 KiB.
std::string FileBytes() {
  std::string bytes;
  for (int i = 0; i < 65536; ++i) bytes.push_back(static_cast<char>((i * 7) % 256));
  return bytes;
}

// Records every report; cancels once `cancelAfter` bytes have arrived.
class RecordingProgress : public DownloadProgress {
 public:
  explicit RecordingProgress(std::optional<std::uint64_t> cancelAfter = std::nullopt)
      : cancelAfter_(cancelAfter) {}
  bool Report(std::uint64_t received, std::uint64_t expected) override {
    reports.push_back({received, expected});
    return !cancelAfter_ || received < *cancelAfter_;
  }
  std::vector<std::pair<std::uint64_t, std::uint64_t>> reports;

 private:
  std::optional<std::uint64_t> cancelAfter_;
};

class HttpsDownload : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    if (!test_support::HttpsTestServerUnavailable().empty()) return;
    server_ = new HttpsTestServer();
    if (server_->ready()) server_->AddFile(kFile, FileBytes());
  }
  static void TearDownTestSuite() {
    delete server_;
    server_ = nullptr;
  }
  void SetUp() override {
    const std::string missing = test_support::HttpsTestServerUnavailable();
    if (!missing.empty()) GTEST_SKIP() << missing;
    ASSERT_TRUE(server_ != nullptr && server_->ready()) << "the file server did not start";
  }

  static HttpsDownloader Trusting() {
    return HttpsDownloader(server_->authorityFile().string(), "1.65.0");
  }
  static DownloadLimits Limits() { return DownloadLimits{1u << 20, 5, 2, 10}; }

  static HttpsTestServer* server_;

 private:
  // The server is on this machine; a proxy of the developer's must not stand
  // between.
  ScopedEnv httpsProxy_{"https_proxy", std::nullopt};
  ScopedEnv httpsProxyUpper_{"HTTPS_PROXY", std::nullopt};
  ScopedEnv allProxy_{"all_proxy", std::nullopt};
  ScopedEnv allProxyUpper_{"ALL_PROXY", std::nullopt};
  ScopedEnv noProxy_{"no_proxy", std::nullopt};
  ScopedEnv noProxyUpper_{"NO_PROXY", std::nullopt};
};

HttpsTestServer* HttpsDownload::server_ = nullptr;

TEST_F(HttpsDownload, GivesTheExactBytes) {
  struct Case {
    const char* path;
    const char* finalPath;
  };
  const Case cases[] = {
      {"/blz-aktuell-txt-data.txt", "/blz-aktuell-txt-data.txt"},
      {"/redirect/blz-aktuell-txt-data.txt", "/blz-aktuell-txt-data.txt"},
      {"/chunked/blz-aktuell-txt-data.txt", "/chunked/blz-aktuell-txt-data.txt"},
  };
  for (const auto& [path, finalPath] : cases) {
    SCOPED_TRACE(path);
    RecordingProgress progress;
    const DownloadResult result = Trusting().Get(server_->Url(path), Limits(), &progress);
    EXPECT_TRUE(result.ok) << result.error;
    EXPECT_EQ(result.httpStatus, 200);
    EXPECT_TRUE(result.body == FileBytes());
    EXPECT_EQ(result.finalUrl, server_->Url(finalPath));
    EXPECT_EQ(result.error, "");
    EXPECT_FALSE(result.cancelled);
    ASSERT_FALSE(progress.reports.empty());
    EXPECT_EQ(progress.reports.back().first, FileBytes().size());
  }
  const std::vector<std::string> log = test_support::ReadLogLines(server_->log());
  ASSERT_FALSE(log.empty());
  EXPECT_NE(log.back().find("\"user-agent\": \"Talvenor/1.65.0\""), std::string::npos)
      << log.back();
}

TEST_F(HttpsDownload, FailuresNameTheirCause) {
  struct Case {
    std::string path;
    std::size_t maxBytes;
    const char* cause;
  };
  const std::string file = kFile;
  const std::size_t whole = FileBytes().size();
  const Case cases[] = {
      {"/status/403/" + file, whole, "HTTP-Status 403 (Zugriff verweigert)."},
      {"/status/404/" + file, whole, "HTTP-Status 404 (Nicht gefunden)."},
      {"/status/500/" + file, whole, "HTTP-Status 500 (Interner Serverfehler)."},
      {"/status/204/" + file, whole, "HTTP-Status 204."},
      {"/missing-txt-data.txt", whole, "HTTP-Status 404 (Nicht gefunden)."},
      {"/loop/0", whole, "Der Server leitet mehr als 5-mal weiter"},
      {"/redirect-http/" + file, whole, "die nicht mit https beginnt."},
      {"/stall/" + file, whole, "Der Server hat seit 2 Sekunden keine Daten gesendet."},
      {"/cut/" + file, whole, "Die Verbindung brach ab, bevor die Datei vollständig"},
      {"/" + file, whole - 1, "Die Datei ist größer als die erlaubten 65535 Bytes."},
      {"/chunked/" + file, whole - 1, "Die Datei ist größer als die erlaubten 65535 Bytes."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    DownloadLimits limits = Limits();
    limits.maxBytes = c.maxBytes;
    const std::string url = server_->Url(c.path);
    const DownloadResult result = Trusting().Get(url, limits, nullptr);
    EXPECT_FALSE(result.ok);
    EXPECT_FALSE(result.cancelled);
    EXPECT_EQ(result.body, "");
    EXPECT_EQ(result.error.rfind("Die Datei " + url + " konnte nicht geladen werden: ", 0), 0u)
        << result.error;
    EXPECT_NE(result.error.find(c.cause), std::string::npos) << result.error;
  }
}

TEST_F(HttpsDownload, TrustsOnlyTheSystemAndTheExtraAuthorities) {
  const std::string url = server_->Url(std::string("/") + kFile);
  for (const std::string& extra :
       {std::string(), server_->strangerFile().string(), std::string("/nonexistent/ca.pem")}) {
    SCOPED_TRACE(extra);
    const DownloadResult result = HttpsDownloader(extra).Get(url, Limits(), nullptr);
    EXPECT_FALSE(result.ok);
    EXPECT_NE(result.error.find("Das Zertifikat des Servers ist nicht vertrauenswürdig."),
              std::string::npos)
        << result.error;
  }
}

TEST_F(HttpsDownload, RefusesPlainHttp) {
  const std::string url = "http://localhost:" + std::to_string(server_->port()) + "/" + kFile;
  const DownloadResult result = Trusting().Get(url, Limits(), nullptr);
  EXPECT_FALSE(result.ok);
  EXPECT_NE(result.error.find("nur Adressen geladen, die mit https beginnen"), std::string::npos)
      << result.error;
}

TEST_F(HttpsDownload, ProgressCancels) {
  // The stalled transfer would take 30 seconds to give up by itself.
  DownloadLimits limits = Limits();
  limits.stallSeconds = 30;
  RecordingProgress progress(1);
  const auto start = std::chrono::steady_clock::now();
  const DownloadResult result =
      Trusting().Get(server_->Url(std::string("/stall/") + kFile), limits, &progress);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
  EXPECT_FALSE(result.ok);
  EXPECT_TRUE(result.cancelled);
  EXPECT_EQ(result.body, "");
  EXPECT_NE(result.error.find("Das Laden wurde abgebrochen."), std::string::npos) << result.error;
  ASSERT_FALSE(progress.reports.empty());
  EXPECT_EQ(progress.reports.back().second, FileBytes().size());  // the announced length
}

TEST_F(HttpsDownload, UsesTheProxyOfTheEnvironment) {
  // A port nobody listens on, held so that no one else takes it.
  const int held = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  ASSERT_EQ(bind(held, reinterpret_cast<sockaddr*>(&address), length), 0);
  ASSERT_EQ(getsockname(held, reinterpret_cast<sockaddr*>(&address), &length), 0);
  const std::string proxy = "http://127.0.0.1:" + std::to_string(ntohs(address.sin_port));
  const std::string url = server_->Url(std::string("/") + kFile);
  {
    ScopedEnv viaProxy("https_proxy", proxy);
    const DownloadResult result = Trusting().Get(url, Limits(), nullptr);
    EXPECT_FALSE(result.ok);
    EXPECT_NE(result.error.find("keine Verbindung"), std::string::npos) << result.error;
    ScopedEnv notForLocalhost("no_proxy", std::string("localhost"));
    EXPECT_TRUE(Trusting().Get(url, Limits(), nullptr).ok);
  }
  close(held);
}

}  // namespace
}  // namespace talvenor::editions
