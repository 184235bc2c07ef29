#include "editions/https_download.h"

#include <curl/curl.h>

#include <algorithm>
#include <array>
#include <limits>
#include <utility>

#include "editions/curl_support.h"

namespace talvenor::editions {
namespace {

// One transfer's state, shared with libcurl's callbacks.
struct Transfer {
  CURL* handle = nullptr;
  std::size_t maxBytes = 0;
  std::string body;
  bool tooLarge = false;
  DownloadProgress* progress = nullptr;
  bool cancelled = false;
};

std::size_t CollectBody(char* data, std::size_t size, std::size_t count, void* user) {
  auto* transfer = static_cast<Transfer*>(user);
  const std::size_t bytes = size * count;
  long status = 0;
  curl_easy_getinfo(transfer->handle, CURLINFO_RESPONSE_CODE, &status);
  // The body of a redirect that is being followed is dropped; any other
  // answer than the file is not read any further.
  if (status >= 300 && status < 400) return bytes;
  if (status != 200) return 0;
  if (bytes > transfer->maxBytes - transfer->body.size()) {
    transfer->tooLarge = true;
    return 0;
  }
  transfer->body.append(data, bytes);
  return bytes;
}

int ReportProgress(void* user, curl_off_t expected, curl_off_t received, curl_off_t /*toSend*/,
                   curl_off_t /*sent*/) {
  auto* transfer = static_cast<Transfer*>(user);
  if (transfer->progress == nullptr) return 0;
  const auto count = [](curl_off_t bytes) {
    return static_cast<std::uint64_t>(std::max<curl_off_t>(bytes, 0));
  };
  if (transfer->progress->Report(count(received), count(expected))) return 0;
  transfer->cancelled = true;
  return 1;
}

// Sets up one GET. `userAgent` and `transfer` must outlive the transfer.
bool Configure(CURL* handle, const std::string& url, const DownloadLimits& limits,
               const std::string& userAgent, const std::string& trusted, Transfer& transfer) {
  const auto maxBytes = static_cast<curl_off_t>(
      std::min<std::size_t>(limits.maxBytes, std::numeric_limits<curl_off_t>::max()));
  // A transfer stalls when less than one byte a second arrives for
  // stallSeconds. The proxy settings are left to libcurl, which takes them
  // from the environment.
  return SetOption(handle, CURLOPT_URL, url.c_str()) && AllowOnlyHttps(handle) &&
         SetOption(handle, CURLOPT_FOLLOWLOCATION, 1L) &&
         SetOption(handle, CURLOPT_MAXREDIRS, limits.maxRedirects) &&
         SetOption(handle, CURLOPT_HTTPGET, 1L) &&
         SetOption(handle, CURLOPT_USERAGENT, userAgent.c_str()) &&
         SetOption(handle, CURLOPT_NOSIGNAL, 1L) &&
         SetOption(handle, CURLOPT_CONNECTTIMEOUT, std::max(limits.connectSeconds, 1L)) &&
         SetOption(handle, CURLOPT_LOW_SPEED_LIMIT, 1L) &&
         SetOption(handle, CURLOPT_LOW_SPEED_TIME, std::max(limits.stallSeconds, 1L)) &&
         SetOption(handle, CURLOPT_MAXFILESIZE_LARGE, maxBytes) && VerifyServer(handle, trusted) &&
         SetOption(handle, CURLOPT_PROXYAUTH, static_cast<long>(CURLAUTH_ANY)) &&
         SetOption(handle, CURLOPT_WRITEFUNCTION, &CollectBody) &&
         SetOption(handle, CURLOPT_WRITEDATA, static_cast<void*>(&transfer)) &&
         SetOption(handle, CURLOPT_XFERINFOFUNCTION, &ReportProgress) &&
         SetOption(handle, CURLOPT_XFERINFODATA, static_cast<void*>(&transfer)) &&
         SetOption(handle, CURLOPT_NOPROGRESS, 0L);
}

// ---------------------------------------------------------------------------
// Why a transfer failed, in German.

struct StatusText {
  long status;
  const char* text;
};
// clang-format off
constexpr std::array<StatusText, 13> kStatusTexts{{
    {400, "Ungültige Anfrage"},       {401, "Anmeldung erforderlich"},
    {403, "Zugriff verweigert"},      {404, "Nicht gefunden"},
    {407, "Anmeldung am Proxy erforderlich"},
    {408, "Zeitüberschreitung der Anfrage"},
    {410, "Nicht mehr vorhanden"},    {429, "Zu viele Anfragen"},
    {500, "Interner Serverfehler"},   {502, "Fehlerhaftes Gateway"},
    {503, "Dienst nicht verfügbar"},  {504, "Zeitüberschreitung am Gateway"},
    {505, "HTTP-Version nicht unterstützt"},
}};
// clang-format on

// "HTTP-Status 404 (Nicht gefunden)"
std::string StatusName(long status) {
  std::string name = "HTTP-Status " + std::to_string(status);
  for (const StatusText& known : kStatusTexts) {
    if (known.status == status) name.append(" (").append(known.text).append(")");
  }
  return name;
}

struct CurlCodeText {
  CURLcode code;
  const char* text;
};
// clang-format off
constexpr std::array<CurlCodeText, 12> kCurlCodeTexts{{
    {CURLE_URL_MALFORMAT, "Die Adresse ist ungültig."},
    {CURLE_COULDNT_RESOLVE_PROXY, "Der Name des Proxy-Servers ist unbekannt."},
    {CURLE_COULDNT_RESOLVE_HOST, "Der Name des Servers ist unbekannt."},
    {CURLE_COULDNT_CONNECT, "Es kam keine Verbindung zum Server oder zum Proxy-Server zustande."},
    {CURLE_PARTIAL_FILE, "Die Verbindung brach ab, bevor die Datei vollständig übertragen war."},
    {CURLE_RECV_ERROR, "Die Verbindung brach ab, bevor die Datei vollständig übertragen war."},
    {CURLE_SEND_ERROR, "Die Verbindung brach ab, bevor die Anfrage gesendet war."},
    {CURLE_GOT_NOTHING, "Der Server hat die Verbindung ohne Antwort beendet."},
    {CURLE_PEER_FAILED_VERIFICATION, "Das Zertifikat des Servers ist nicht vertrauenswürdig."},
    {CURLE_SSL_CONNECT_ERROR, "Die verschlüsselte Verbindung zum Server kam nicht zustande."},
    {CURLE_SSL_CACERT_BADFILE, "Die vertrauenswürdigen Zertifikate sind nicht lesbar."},
    {CURLE_OUT_OF_MEMORY, "Der Arbeitsspeicher reicht nicht aus."},
}};
// clang-format on

bool StartsWithHttps(const std::string& url) {
  constexpr std::string_view kHttps = "https://";
  if (url.size() < kHttps.size()) return false;
  for (std::size_t i = 0; i < kHttps.size(); ++i) {
    const char c = url[i];
    if ((c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c) != kHttps[i]) return false;
  }
  return true;
}

std::string CauseOfCode(CURLcode code, CURL* handle, const std::string& url,
                        const DownloadLimits& limits) {
  if (code == CURLE_TOO_MANY_REDIRECTS) {
    return "Der Server leitet mehr als " + std::to_string(limits.maxRedirects) +
           "-mal weiter; die Weiterleitungen enden nicht.";
  }
  if (code == CURLE_UNSUPPORTED_PROTOCOL) {
    if (!StartsWithHttps(url)) return "Es werden nur Adressen geladen, die mit https beginnen.";
    return "Der Server leitet auf eine Adresse weiter, die nicht mit https beginnt.";
  }
  if (code == CURLE_OPERATION_TIMEDOUT) {
    curl_off_t secured = 0;
    curl_easy_getinfo(handle, CURLINFO_APPCONNECT_TIME_T, &secured);
    if (secured == 0) {
      return "Die Verbindung zum Server kam nicht innerhalb von " +
             std::to_string(limits.connectSeconds) + " Sekunden zustande.";
    }
    return "Der Server hat seit " + std::to_string(limits.stallSeconds) +
           " Sekunden keine Daten gesendet.";
  }
  for (const CurlCodeText& known : kCurlCodeTexts) {
    if (known.code == code) return known.text;
  }
  return "Die Übertragung ist fehlgeschlagen (libcurl-Fehler " +
         std::to_string(static_cast<int>(code)) + ").";
}

// The cause of a failed transfer; empty when it succeeded.
std::string Cause(CURLcode code, const Transfer& transfer, const DownloadResult& result,
                  const std::string& url, const DownloadLimits& limits) {
  long proxyStatus = 0;
  curl_easy_getinfo(transfer.handle, CURLINFO_HTTP_CONNECTCODE, &proxyStatus);
  if (transfer.cancelled || code == CURLE_ABORTED_BY_CALLBACK)
    return "Das Laden wurde abgebrochen.";
  if (proxyStatus >= 300) {
    return "Der Proxy-Server antwortet mit " + StatusName(proxyStatus) + ".";
  }
  if (transfer.tooLarge || code == CURLE_FILESIZE_EXCEEDED) {
    return "Die Datei ist größer als die erlaubten " + std::to_string(limits.maxBytes) + " Bytes.";
  }
  const long status = result.httpStatus;
  const bool answered = code == CURLE_OK || code == CURLE_WRITE_ERROR;
  if (status >= 400 || (answered && status != 200 && status != 0)) {
    return "Der Server antwortet mit " + StatusName(status) + ".";
  }
  if (code == CURLE_OK) return {};
  return CauseOfCode(code, transfer.handle, url, limits);
}

}  // namespace

HttpsDownloader::HttpsDownloader(std::string extraCaFile, const std::string& programVersion)
    : extraCaFile_(std::move(extraCaFile)),
      userAgent_(programVersion.empty() ? "Talvenor" : "Talvenor/" + programVersion) {}

DownloadResult HttpsDownloader::Get(const std::string& url, const DownloadLimits& limits,
                                    DownloadProgress* progress) {
  DownloadResult result;
  const std::string failed = "Die Datei " + url + " konnte nicht geladen werden: ";
  CurlEasy easy;
  Transfer transfer;
  transfer.handle = easy.get();
  transfer.maxBytes = limits.maxBytes;
  transfer.progress = progress;
  const std::string trusted =
      extraCaFile_.empty() ? std::string() : TrustedCertificates(extraCaFile_);
  if (transfer.handle == nullptr ||
      !Configure(transfer.handle, url, limits, userAgent_, trusted, transfer)) {
    result.error = failed + "Die Übertragung ließ sich nicht einrichten.";
    return result;
  }
  const CURLcode code = curl_easy_perform(transfer.handle);
  curl_easy_getinfo(transfer.handle, CURLINFO_RESPONSE_CODE, &result.httpStatus);
  const char* finalUrl = nullptr;
  curl_easy_getinfo(transfer.handle, CURLINFO_EFFECTIVE_URL, &finalUrl);
  result.finalUrl = finalUrl != nullptr ? finalUrl : url;
  const std::string cause = Cause(code, transfer, result, url, limits);
  result.cancelled = transfer.cancelled || code == CURLE_ABORTED_BY_CALLBACK;
  if (!cause.empty()) {
    result.error = failed + cause;
    return result;
  }
  result.ok = true;
  result.body = std::move(transfer.body);
  return result;
}

}  // namespace talvenor::editions
