#include "platform/error_text.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace talvenor::platform {

std::string ErrorText(int error) {
  switch (error) {
    case EACCES:
    case EPERM:
      return "keine Berechtigung";
    case ENOENT:
      return "nicht vorhanden";
    case ENOSPC:
    case EDQUOT:
      return "kein Speicherplatz mehr frei";
    case EFBIG:
      return "Datei zu groß";
    case EROFS:
      return "Dateisystem nur lesbar";
    case EIO:
      return "Ein-/Ausgabefehler";
    case EISDIR:
      return "ist ein Ordner";
    case ENOTDIR:
      return "ein Teil des Pfades ist kein Ordner";
    case ENAMETOOLONG:
      return "Name zu lang";
    case ELOOP:
      return "zu viele symbolische Verknüpfungen";
    default:
      return std::strerror(error);
  }
}

std::string Printable(std::string_view text) {
  std::string shown;
  shown.reserve(text.size());
  for (unsigned char c : text) {
    if (c < 0x20 || c == 0x7F) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\x%02X", c);
      shown += escaped;
    } else {
      shown += static_cast<char>(c);
    }
  }
  return shown;
}

}  // namespace talvenor::platform
