// Fetching the update page: one HTTPS GET to the update server with
// libcurl, the system's proxy settings (the proxy variables of the
// environment), certificates verified against the system's store plus the
// server's extra trusted certificates, and proxy credentials asked of a
// person when the proxy wants them. Every failure gives no page.
#ifndef TALVENOR_APP_UPDATE_FETCH_H_
#define TALVENOR_APP_UPDATE_FETCH_H_

#include <cstddef>
#include <optional>
#include <string>

#include "app/update_check.h"

namespace talvenor::app {

// The path of the page that names the current version.
inline constexpr char kUpdatePagePath[] = "/update/orvexupd.htm";

// A longer page is refused as a whole, so a hostile server cannot exhaust
// the memory.
inline constexpr std::size_t kMaxUpdatePageBytes = std::size_t{1} << 20;

// The body of the update page when the server answered 200 or 206 with at
// most kMaxUpdatePageBytes; nothing on any failure, including a proxy that
// keeps answering 407 after `prompt` (may be null) declined.
// REQUIRES: server.host is a host name or a bracketed IPv6 address.
std::optional<std::string> FetchUpdatePage(const UpdateServer& server, const std::string& userAgent,
                                           ProxyCredentialsPrompt* prompt,
                                           const UpdateTimeouts& timeouts);

}  // namespace talvenor::app

#endif  // TALVENOR_APP_UPDATE_FETCH_H_
