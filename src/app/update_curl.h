// Owners of the libcurl objects the update check uses. libcurl's global
// state is set up once per process, before the first handle is made; each
// handle and header list is released when its owner goes out of scope.
#ifndef TALVENOR_APP_UPDATE_CURL_H_
#define TALVENOR_APP_UPDATE_CURL_H_

#include <curl/curl.h>

namespace talvenor::app {

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

}  // namespace talvenor::app

#endif  // TALVENOR_APP_UPDATE_CURL_H_
