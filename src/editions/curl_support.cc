#include "editions/curl_support.h"

#include <fstream>
#include <iterator>
#include <utility>

namespace talvenor::editions {
namespace {

// Appends the whole file and a line end to `text`; false when it cannot be
// read.
bool AppendFile(const std::string& path, std::string& text) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  text.append(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  text.push_back('\n');
  return !in.bad();
}

}  // namespace

bool EnsureCurlReady() {
  // curl_global_init is not thread-safe itself; the static's initialisation
  // is, so it runs exactly once. Nothing calls curl_global_cleanup: the
  // state lives until the process ends.
  static const bool ready = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
  return ready;
}

CurlEasy::CurlEasy() {
  if (EnsureCurlReady()) handle_ = curl_easy_init();
}

CurlEasy::~CurlEasy() {
  if (handle_ != nullptr) curl_easy_cleanup(handle_);
}

CurlHeaderList::~CurlHeaderList() { curl_slist_free_all(list_); }

bool CurlHeaderList::Append(const char* line) {
  curl_slist* longer = curl_slist_append(list_, line);
  if (longer == nullptr) return false;
  list_ = longer;
  return true;
}

CurlUrl::CurlUrl() {
  if (EnsureCurlReady()) handle_ = curl_url();
}

CurlUrl::CurlUrl(CurlUrl&& other) noexcept : handle_(other.handle_) { other.handle_ = nullptr; }

CurlUrl& CurlUrl::operator=(CurlUrl&& other) noexcept {
  std::swap(handle_, other.handle_);
  return *this;
}

CurlUrl CurlUrl::Duplicate() const {
  return CurlUrl(handle_ == nullptr ? nullptr : curl_url_dup(handle_));
}

CurlUrl::~CurlUrl() {
  if (handle_ != nullptr) curl_url_cleanup(handle_);
}

std::string CurlUrl::Part(CURLUPart what, unsigned int flags) const {
  if (handle_ == nullptr) return {};
  char* part = nullptr;
  if (curl_url_get(handle_, what, &part, flags) != CURLUE_OK || part == nullptr) return {};
  std::string text(part);
  curl_free(part);
  return text;
}

bool AllowOnlyHttps(CURL* handle) {
#if LIBCURL_VERSION_NUM >= 0x075500  // 7.85.0 names protocols by text
  return SetOption(handle, CURLOPT_PROTOCOLS_STR, "https") &&
         SetOption(handle, CURLOPT_REDIR_PROTOCOLS_STR, "https");
#else
  return SetOption(handle, CURLOPT_PROTOCOLS, static_cast<long>(CURLPROTO_HTTPS)) &&
         SetOption(handle, CURLOPT_REDIR_PROTOCOLS, static_cast<long>(CURLPROTO_HTTPS));
#endif
}

std::string TrustedCertificates(const std::string& extraCaFile) {
  std::string pem;
  const curl_version_info_data* info = curl_version_info(CURLVERSION_NOW);
  if (info != nullptr && info->cainfo != nullptr) AppendFile(info->cainfo, pem);
  if (!extraCaFile.empty()) AppendFile(extraCaFile, pem);
  return pem;
}

bool VerifyServer(CURL* handle, const std::string& trusted) {
  if (!SetOption(handle, CURLOPT_SSL_VERIFYPEER, 1L) ||
      !SetOption(handle, CURLOPT_SSL_VERIFYHOST, 2L)) {
    return false;
  }
  if (trusted.empty()) return true;
  // libcurl copies the blob.
  curl_blob blob{const_cast<char*>(trusted.data()), trusted.size(), CURL_BLOB_COPY};
  return SetOption(handle, CURLOPT_CAINFO_BLOB, &blob);
}

}  // namespace talvenor::editions
