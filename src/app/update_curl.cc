#include "app/update_curl.h"

namespace talvenor::app {

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

}  // namespace talvenor::app
