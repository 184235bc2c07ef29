#include "app/update_check.h"

#include <sys/utsname.h>

#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <optional>
#include <utility>

#include "app/update_fetch.h"
#include "platform/number_text.h"

namespace talvenor::app {
namespace {

constexpr int kDefaultPort = 443;
constexpr std::string_view kVersionMarker = "PRGVER : #";
constexpr std::string_view kUrlMarker = "URL : #";

// ASCII only, whatever the locale says.
bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

// A host name (letters, digits, "-", ".") or an IPv6 address in brackets;
// anything else could change the meaning of the address it is put into.
bool IsHostText(std::string_view host) {
  if (host.size() > 2 && host.front() == '[' && host.back() == ']') {
    return std::all_of(host.begin() + 1, host.end() - 1, [](char c) {
      return platform::IsDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F') || c == ':' ||
             c == '.';
    });
  }
  return !host.empty() && std::all_of(host.begin(), host.end(), [](char c) {
    return platform::IsDigit(c) || IsLetter(c) || c == '-' || c == '.';
  });
}

// "host", "host:port", "[v6]" or "[v6]:port" with a port of 1 to 65535;
// nothing when malformed.
std::optional<UpdateServer> ParseHostAndPort(std::string_view text) {
  std::string_view host = text;
  std::optional<std::string_view> port;
  if (!text.empty() && text.front() == '[') {
    const std::size_t close = text.find(']');
    if (close == std::string_view::npos) return std::nullopt;
    host = text.substr(0, close + 1);
    const std::string_view rest = text.substr(close + 1);
    if (!rest.empty()) {
      if (rest.front() != ':') return std::nullopt;
      port = rest.substr(1);
    }
  } else if (const std::size_t colon = text.find(':'); colon != std::string_view::npos) {
    host = text.substr(0, colon);
    port = text.substr(colon + 1);
  }
  if (!IsHostText(host)) return std::nullopt;
  UpdateServer server;
  server.host = std::string(host);
  if (port) {
    const char* const end = port->data() + port->size();
    int value = 0;
    const auto [stop, error] = std::from_chars(port->data(), end, value);
    if (error != std::errc() || stop != end || value < 1 || value > 65535) return std::nullopt;
    server.port = value;
  }
  return server;
}

// The system's name and release, e.g. "Linux 6.1.0-18-amd64".
std::string OperatingSystemName() {
  utsname names{};
  if (uname(&names) != 0) return "Linux";
  return std::string(names.sysname) + " " + names.release;
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  const auto lower = [](char c) { return IsLetter(c) ? static_cast<char>(c | 0x20) : c; };
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                            [&](char x, char y) { return lower(x) == lower(y); });
}

// An http or https address with a host, free of blanks and control
// characters: only such a page is handed to the browser, never a local
// file, a script or a path.
bool IsWebAddress(std::string_view url) {
  if (std::any_of(url.begin(), url.end(), [](unsigned char c) { return c <= 0x20 || c == 0x7F; })) {
    return false;
  }
  const std::size_t separator = url.find("://");
  if (separator == std::string_view::npos) return false;
  const std::string_view scheme = url.substr(0, separator);
  if (!EqualsIgnoringCase(scheme, "http") && !EqualsIgnoringCase(scheme, "https")) return false;
  std::string_view authority = url.substr(separator + 3);
  authority = authority.substr(0, authority.find_first_of("/?#"));
  if (const std::size_t at = authority.rfind('@'); at != std::string_view::npos) {
    authority.remove_prefix(at + 1);  // user information is not the host
  }
  if (!authority.empty() && authority.front() == '[') {
    const std::size_t close = authority.find(']');
    return close != std::string_view::npos && close > 1;
  }
  return !authority.substr(0, authority.find(':')).empty();
}

}  // namespace

UpdateServer ConfiguredUpdateServer() {
  UpdateServer server;
  server.host = TALVENOR_UPDATE_HOST;
  if (const char* text = std::getenv("TALVENOR_UPDATE_HOST"); text != nullptr && *text != '\0') {
    // A malformed override is ignored rather than put into an address.
    if (std::optional<UpdateServer> parsed = ParseHostAndPort(text)) server = *parsed;
  }
  if (const char* file = std::getenv("TALVENOR_UPDATE_CA"); file != nullptr)
    server.extraCaFile = file;
  return server;
}

std::string DefaultUpdatePageUrl(const UpdateServer& server) {
  std::string url = "https://" + server.host;
  if (server.port != kDefaultPort) url.append(":").append(std::to_string(server.port));
  return url.append("/update/prgupd.htm");
}

std::string UpdateUserAgent(std::string_view extra) {
  std::string agent = "Orvex/1.0 (" + OperatingSystemName();
  if (!extra.empty()) agent.append("; ").append(extra);
  return agent + ")";
}

UpdatePageInfo ParseUpdatePage(std::string_view page) {
  UpdatePageInfo info;
  const std::size_t marker = page.find(kVersionMarker);
  if (marker == std::string_view::npos) return info;
  const std::string_view behind = page.substr(marker + kVersionMarker.size());
  const std::size_t end = behind.find('#');
  // A "#" right behind the marker names no version.
  if (end == std::string_view::npos || end == 0) return info;
  info.version = std::string(behind.substr(0, end));
  const std::string_view rest = behind.substr(end);
  const std::size_t urlMarker = rest.find(kUrlMarker);
  if (urlMarker == std::string_view::npos) return info;
  const std::string_view address = rest.substr(urlMarker + kUrlMarker.size());
  const std::size_t urlEnd = address.find('#');
  if (urlEnd != std::string_view::npos) info.url = std::string(address.substr(0, urlEnd));
  return info;
}

std::string CheckForUpdate(const UpdateServer& server, bool enabled,
                           const std::string& programVersion, std::string& updateUrl,
                           ProxyCredentialsPrompt* prompt) {
  return CheckForUpdate(server, enabled, programVersion, updateUrl, prompt, UpdateTimeouts{});
}

std::string CheckForUpdate(const UpdateServer& server, bool enabled,
                           const std::string& programVersion, std::string& updateUrl,
                           ProxyCredentialsPrompt* prompt, const UpdateTimeouts& timeouts) {
  updateUrl.clear();
  if (!enabled || !IsHostText(server.host) || server.port < 1 || server.port > 65535) {
    return programVersion;
  }
  const std::optional<std::string> page =
      FetchUpdatePage(server, UpdateUserAgent(), prompt, timeouts);
  if (!page) return programVersion;
  UpdatePageInfo info = ParseUpdatePage(*page);
  if (info.version.empty()) return programVersion;
  updateUrl = std::move(info.url);
  return info.version;
}

bool IsNewerVersion(std::string_view version, std::string_view programVersion) {
  return version > programVersion;
}

std::string UpdatePageToOpen(std::string_view url, const UpdateServer& server) {
  return IsWebAddress(url) ? std::string(url) : DefaultUpdatePageUrl(server);
}

}  // namespace talvenor::app
