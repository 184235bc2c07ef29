#include "platform/error_text.h"

#include <cerrno>
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

}  // namespace talvenor::platform
