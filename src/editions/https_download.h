// Fetching one file over HTTPS, bounded and safe: only https addresses,
// also after redirects; the server's certificate and host name verified;
// at most so many redirects and bytes; a transfer that stalls is given up.
// Every failure comes back as a German sentence naming the address and the
// cause. Downloader is the interface, so callers can be tested with a fake.
#ifndef TALVENOR_EDITIONS_HTTPS_DOWNLOAD_H_
#define TALVENOR_EDITIONS_HTTPS_DOWNLOAD_H_

#include <cstddef>
#include <cstdint>
#include <string>

namespace talvenor::editions {

// Told how a transfer goes; may stop it.
class DownloadProgress {
 public:
  virtual ~DownloadProgress() = default;
  // Bytes received so far and expected (0 when unknown); false cancels the
  // transfer. Called from the thread that runs the transfer, about once a
  // second and whenever data arrives.
  virtual bool Report(std::uint64_t received, std::uint64_t expected) = 0;
};

// The bounds of one transfer.
struct DownloadLimits {
  std::size_t maxBytes = 0;  // a longer body fails the transfer
  long maxRedirects = 5;     // redirects followed at most
  long stallSeconds = 60;    // no byte for this long ends the transfer
  long connectSeconds = 30;  // name lookup, proxy tunnel, TLS handshake
};

struct DownloadResult {
  bool ok = false;         // status 200 and the whole body received
  long httpStatus = 0;     // of the last answer; 0 when none came
  std::string body;        // empty unless ok
  std::string finalUrl;    // the address after redirects
  std::string error;       // German: the address and the cause; empty when ok
  bool cancelled = false;  // DownloadProgress::Report returned false
};

class Downloader {
 public:
  virtual ~Downloader() = default;
  // One GET of `url`. `progress` may be null.
  // REQUIRES: limits.maxBytes > 0.
  virtual DownloadResult Get(const std::string& url, const DownloadLimits& limits,
                             DownloadProgress* progress) = 0;
};

// The downloader that goes to the network, with libcurl. It uses the proxy
// the environment names (https_proxy, no_proxy, ...). Get may run on any
// thread; one object may serve several threads at once.
class HttpsDownloader final : public Downloader {
 public:
  // `extraCaFile`: a PEM file of authorities trusted beside the system's
  // store (empty: the system's store alone). `programVersion` goes into the
  // user agent "Talvenor/<version>".
  explicit HttpsDownloader(std::string extraCaFile = {}, const std::string& programVersion = {});

  DownloadResult Get(const std::string& url, const DownloadLimits& limits,
                     DownloadProgress* progress) override;

 private:
  std::string extraCaFile_;
  std::string userAgent_;
};

}  // namespace talvenor::editions

#endif  // TALVENOR_EDITIONS_HTTPS_DOWNLOAD_H_
