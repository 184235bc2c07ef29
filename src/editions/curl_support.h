// Shared libcurl groundwork for every HTTPS transfer of the program: the
// process-wide set-up, owners that release handles, header lists and parsed
// addresses with their scope, and the two safety settings every transfer
// takes (https only, the trusted certificates).
#ifndef TALVENOR_EDITIONS_CURL_SUPPORT_H_
#define TALVENOR_EDITIONS_CURL_SUPPORT_H_

#include <curl/curl.h>

#include <string>

namespace talvenor::editions {

// Initialises libcurl on the first call (thread-safe); true when it is ready.
bool EnsureCurlReady();

// One easy handle. `get()` is null when the handle could not be made.
class CurlEasy {
 public:
  CurlEasy();
  ~CurlEasy();
  CurlEasy(const CurlEasy&) = delete;
  CurlEasy& operator=(const CurlEasy&) = delete;

  CURL* get() const { return handle_; }

 private:
  CURL* handle_ = nullptr;
};

// A list of request header lines.
class CurlHeaderList {
 public:
  CurlHeaderList() = default;
  ~CurlHeaderList();
  CurlHeaderList(const CurlHeaderList&) = delete;
  CurlHeaderList& operator=(const CurlHeaderList&) = delete;

  // False when the line could not be added.
  bool Append(const char* line);
  curl_slist* get() const { return list_; }

 private:
  curl_slist* list_ = nullptr;
};

// One address parsed by libcurl's URL API. `get()` is null when it could not
// be made.
class CurlUrl {
 public:
  CurlUrl();
  CurlUrl(CurlUrl&& other) noexcept;
  ~CurlUrl();
  CurlUrl(const CurlUrl&) = delete;
  CurlUrl& operator=(const CurlUrl&) = delete;
  CurlUrl& operator=(CurlUrl&& other) noexcept;

  CURLU* get() const { return handle_; }

  // An independent copy of this address (null when this is null or memory
  // ran out).
  CurlUrl Duplicate() const;

  // The part `what` of the address ("" when it has none); `flags` as for
  // curl_url_get.
  std::string Part(CURLUPart what, unsigned int flags = 0) const;

 private:
  explicit CurlUrl(CURLU* handle) : handle_(handle) {}

  CURLU* handle_ = nullptr;
};

// Neither the address nor any redirect may lead anywhere but to https.
// False when libcurl refused the setting.
bool AllowOnlyHttps(CURL* handle);

// The certificates to trust when extra ones are named: giving libcurl a
// bundle of its own replaces its default bundle, so the default bundle comes
// first and `extraCaFile` (PEM) follows. An unreadable extra file leaves the
// default bundle alone. Empty when neither could be read.
std::string TrustedCertificates(const std::string& extraCaFile);

// Verifies the server's certificate and host name, against `trusted` (PEM,
// as TrustedCertificates makes it) or, when it is empty, against the
// system's store. False when libcurl refused a setting.
bool VerifyServer(CURL* handle, const std::string& trusted);

// Sets one option; true when libcurl took it.
template <typename Value>
bool SetOption(CURL* handle, CURLoption option, Value value) {
  return curl_easy_setopt(handle, option, value) == CURLE_OK;
}

}  // namespace talvenor::editions

#endif  // TALVENOR_EDITIONS_CURL_SUPPORT_H_
