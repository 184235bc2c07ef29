#include "app/update_fetch.h"

#include <fstream>
#include <iterator>
#include <utility>

#include "app/update_curl.h"

namespace talvenor::app {
namespace {

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

// Appends the whole file to `text`; false when it cannot be read.
bool AppendFile(const std::string& path, std::string& text) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  text.append(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  text.push_back('\n');
  return !in.bad();
}

// The certificates to trust when the server names extra ones: giving libcurl
// a bundle of its own replaces its default bundle, so the default bundle
// comes first and the extra file follows. An unreadable extra file leaves
// the system's store alone.
std::string TrustedCertificates(const std::string& extraCaFile) {
  std::string pem;
  const curl_version_info_data* info = curl_version_info(CURLVERSION_NOW);
  if (info != nullptr && info->cainfo != nullptr) AppendFile(info->cainfo, pem);
  AppendFile(extraCaFile, pem);
  return pem;
}

// Whole seconds, rounded up, at least one.
long WholeSeconds(long milliseconds) {
  return milliseconds <= 1000 ? 1 : (milliseconds + 999) / 1000;
}

template <typename Value>
bool Set(CURL* handle, CURLoption option, Value value) {
  return curl_easy_setopt(handle, option, value) == CURLE_OK;
}

// Neither the address nor a redirect may lead anywhere but to https.
bool OnlyHttps(CURL* handle) {
#if LIBCURL_VERSION_NUM >= 0x075500  // 7.85.0 names protocols by text
  return Set(handle, CURLOPT_PROTOCOLS_STR, "https") &&
         Set(handle, CURLOPT_REDIR_PROTOCOLS_STR, "https");
#else
  return Set(handle, CURLOPT_PROTOCOLS, static_cast<long>(CURLPROTO_HTTPS)) &&
         Set(handle, CURLOPT_REDIR_PROTOCOLS, static_cast<long>(CURLPROTO_HTTPS));
#endif
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
  bool ok = Set(handle, CURLOPT_URL, url.c_str()) && OnlyHttps(handle) &&
            Set(handle, CURLOPT_FOLLOWLOCATION, 1L) &&
            Set(handle, CURLOPT_MAXREDIRS, kMaxRedirects) && Set(handle, CURLOPT_HTTPGET, 1L) &&
            Set(handle, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_1)) &&
            Set(handle, CURLOPT_USERAGENT, userAgent.c_str()) &&
            Set(handle, CURLOPT_HTTPHEADER, headers.get()) && Set(handle, CURLOPT_NOSIGNAL, 1L) &&
            Set(handle, CURLOPT_CONNECTTIMEOUT_MS, timeouts.connectMs) &&
            Set(handle, CURLOPT_LOW_SPEED_LIMIT, 1L) &&
            Set(handle, CURLOPT_LOW_SPEED_TIME, transferSeconds) &&
            Set(handle, CURLOPT_TIMEOUT_MS, overallMs) && Set(handle, CURLOPT_SSL_VERIFYPEER, 1L) &&
            Set(handle, CURLOPT_SSL_VERIFYHOST, 2L) &&
            Set(handle, CURLOPT_PROXYAUTH, static_cast<long>(CURLAUTH_ANY)) &&
            Set(handle, CURLOPT_WRITEFUNCTION, &CollectBody) &&
            Set(handle, CURLOPT_WRITEDATA, static_cast<void*>(&download));
  if (ok && !trusted.empty()) {
    // libcurl copies the blob.
    curl_blob blob{const_cast<char*>(trusted.data()), trusted.size(), CURL_BLOB_COPY};
    ok = Set(handle, CURLOPT_CAINFO_BLOB, &blob);
  }
  return ok;
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
      if (!Set(handle, CURLOPT_PROXYUSERNAME, user.c_str()) ||
          !Set(handle, CURLOPT_PROXYPASSWORD, password.c_str())) {
        return std::nullopt;
      }
      continue;
    }
    if (result != CURLE_OK || !IsPageStatus(status)) return std::nullopt;
    return std::move(download.body);
  }
}

}  // namespace talvenor::app
