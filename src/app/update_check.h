// The online update check: asks the update server which program version is
// current and where its update page is. Every failure (no connection, a
// rejected certificate, a time-out, a status other than 200/206, a page
// without the markers) silently yields the running program's version.
#ifndef TALVENOR_APP_UPDATE_CHECK_H_
#define TALVENOR_APP_UPDATE_CHECK_H_

#include <string>
#include <string_view>

namespace talvenor::app {

// Where the update server is. The host comes from the build (CMake option
// TALVENOR_UPDATE_HOST) and can be overridden at run time through the
// environment: TALVENOR_UPDATE_HOST ("host" or "host:port") and
// TALVENOR_UPDATE_CA (a PEM file of further trusted certificates).
struct UpdateServer {
  std::string host;
  int port = 443;
  std::string extraCaFile;  // empty: the system's certificate store only
};
UpdateServer ConfiguredUpdateServer();

// "https://" + host (+ ":" + port unless 443) + "/update/prgupd.htm".
std::string DefaultUpdatePageUrl(const UpdateServer& server);

// Asks a person for proxy credentials after the proxy answered 407.
class ProxyCredentialsPrompt {
 public:
  virtual ~ProxyCredentialsPrompt() = default;
  // False when the person declined.
  virtual bool Ask(std::string& user, std::string& password) = 0;
};

// "Orvex/1.0 (" + operating system + [ "; " + extra ] + ")".
std::string UpdateUserAgent(std::string_view extra = {});

// What a page says: the version after "PRGVER : #" up to the next "#",
// and the address after a later "URL : #" up to the next "#".
struct UpdatePageInfo {
  std::string version;  // empty when the page names none
  std::string url;      // empty when the page names none
};
UpdatePageInfo ParseUpdatePage(std::string_view page);

// The update check: returns the version the server names, or
// `programVersion` when the check is switched off (`enabled` false), fails
// or the page names none. `updateUrl` is emptied and then filled from the
// page. `prompt` may be null (a 407 then ends the check).
std::string CheckForUpdate(const UpdateServer& server, bool enabled,
                           const std::string& programVersion, std::string& updateUrl,
                           ProxyCredentialsPrompt* prompt);

// How long the check waits. Connecting covers the name lookup, the proxy
// tunnel and the TLS handshake; the transfer ends when less than a byte a
// second moves for `transferMs` (rounded up to whole seconds), and one
// request with its answer is bounded by `connectMs` + twice that time.
struct UpdateTimeouts {
  long connectMs = 20000;
  long transferMs = 15000;
};

// The same check with other time-outs.
std::string CheckForUpdate(const UpdateServer& server, bool enabled,
                           const std::string& programVersion, std::string& updateUrl,
                           ProxyCredentialsPrompt* prompt, const UpdateTimeouts& timeouts);

// True when `version` sorts after `programVersion` as plain text.
bool IsNewerVersion(std::string_view version, std::string_view programVersion);

// The address to open for an update: `url` when it is an http or https
// address, otherwise the default update page.
std::string UpdatePageToOpen(std::string_view url, const UpdateServer& server);

}  // namespace talvenor::app

#endif  // TALVENOR_APP_UPDATE_CHECK_H_
