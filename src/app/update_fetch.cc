#include "app/update_fetch.h"

#include <utility>

#include "editions/curl_support.h"

namespace talvenor::app {
namespace {

using editions::AllowOnlyHttps;
using editions::CurlEasy;
using editions::CurlHeaderList;
using editions::SetOption;
using editions::TrustedCertificates;
using editions::VerifyServer;

// Redirects are followed, so that an update page that has moved is still
// found, but only to further https addresses and not endlessly.
constexpr long kMaxRedirects = 5;

// The response body as it arrives.
struct Download {
  CURL* handle = nullptr;
  std::string body;
};

bool IsPageStatus(long status) { return status == 200 || status == 206; }

std::size_t CollectBody(char* data, std::size_t size, std::size_t count, void* user) {
  auto* download = static_cast<Download*>(user);
  const std::size_t bytes = size * count;
  long status = 0;
  curl_easy_getinfo(download->handle, CURLINFO_RESPONSE_CODE, &status);
  // The body of a redirect that is being followed is dropped; any other
  // answer than a page is not read any further.
  if (status >= 300 && status < 400) return bytes;
  if (!IsPageStatus(status)) return 0;
  if (bytes > kMaxUpdatePageBytes - download->body.size()) return 0;
  download->body.append(data, bytes);
  return bytes;
}

// Whole seconds, rounded up, at least one.
long WholeSeconds(long milliseconds) {
  return milliseconds <= 1000 ? 1 : (milliseconds + 999) / 1000;
}

// Sets up one GET of the update page. `headers` and `download` must
// outlive the transfer.
bool Configure(CURL* handle, const std::string& url, const std::string& userAgent,
               const CurlHeaderList& headers, const std::string& trusted,
               const UpdateTimeouts& timeouts, Download& download) {
  // The connect time-out covers the connection phase; the receive and send
  // time-outs bound how long no byte may move, which libcurl expresses as
  // "below one byte per second for so many seconds". A server that sends a
  // byte now and then is cut off by the overall bound.
  const long transferSeconds = WholeSeconds(timeouts.transferMs);
  const long overallMs = timeouts.connectMs + 2 * transferSeconds * 1000;
  return SetOption(handle, CURLOPT_URL, url.c_str()) && AllowOnlyHttps(handle) &&
         SetOption(handle, CURLOPT_FOLLOWLOCATION, 1L) &&
         SetOption(handle, CURLOPT_MAXREDIRS, kMaxRedirects) &&
         SetOption(handle, CURLOPT_HTTPGET, 1L) &&
         SetOption(handle, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_1)) &&
         SetOption(handle, CURLOPT_USERAGENT, userAgent.c_str()) &&
         SetOption(handle, CURLOPT_HTTPHEADER, headers.get()) &&
         SetOption(handle, CURLOPT_NOSIGNAL, 1L) &&
         SetOption(handle, CURLOPT_CONNECTTIMEOUT_MS, timeouts.connectMs) &&
         SetOption(handle, CURLOPT_LOW_SPEED_LIMIT, 1L) &&
         SetOption(handle, CURLOPT_LOW_SPEED_TIME, transferSeconds) &&
         SetOption(handle, CURLOPT_TIMEOUT_MS, overallMs) && VerifyServer(handle, trusted) &&
         SetOption(handle, CURLOPT_PROXYAUTH, static_cast<long>(CURLAUTH_ANY)) &&
         SetOption(handle, CURLOPT_WRITEFUNCTION, &CollectBody) &&
         SetOption(handle, CURLOPT_WRITEDATA, static_cast<void*>(&download));
}

// The status that decides the outcome; a proxy's refusal of the tunnel
// counts as the answer's status.
long AnswerStatus(CURL* handle) {
  long status = 0;
  long connectStatus = 0;
  curl_easy_getinfo(handle, CURLINFO_RESPONSE_CODE, &status);
  curl_easy_getinfo(handle, CURLINFO_HTTP_CONNECTCODE, &connectStatus);
  return connectStatus == 407 ? connectStatus : status;
}

}  // namespace

std::optional<std::string> FetchUpdatePage(const UpdateServer& server, const std::string& userAgent,
                                           ProxyCredentialsPrompt* prompt,
                                           const UpdateTimeouts& timeouts) {
  CurlEasy easy;
  CURL* handle = easy.get();
  if (handle == nullptr) return std::nullopt;
  CurlHeaderList headers;
  if (!headers.Append("Cache-Control: no-cache") || !headers.Append("Pragma: no-cache")) {
    return std::nullopt;
  }
  const std::string trusted =
      server.extraCaFile.empty() ? std::string() : TrustedCertificates(server.extraCaFile);
  std::string url = "https://" + server.host;
  url.append(":").append(std::to_string(server.port)).append(kUpdatePagePath);
  Download download;
  download.handle = handle;
  if (!Configure(handle, url, userAgent, headers, trusted, timeouts, download)) return std::nullopt;

  std::string user;
  std::string password;
  for (;;) {
    download.body.clear();
    const CURLcode result = curl_easy_perform(handle);
    const long status = AnswerStatus(handle);
    if (status == 407) {
      // The person may try again as often as they like; declining ends it.
      if (prompt == nullptr || !prompt->Ask(user, password)) return std::nullopt;
      if (!SetOption(handle, CURLOPT_PROXYUSERNAME, user.c_str()) ||
          !SetOption(handle, CURLOPT_PROXYPASSWORD, password.c_str())) {
        return std::nullopt;
      }
      continue;
    }
    if (result != CURLE_OK || !IsPageStatus(status)) return std::nullopt;
    return std::move(download.body);
  }
}

}  // namespace talvenor::app
