#include "editions/zip_package.h"

#include <zip.h>

#include <memory>
#include <vector>

#include "platform/display_text.h"

namespace talvenor::editions {
namespace {

// Entries archivers add beside the files themselves: a name with one of
// these folders in its path, one of these file names, or a file name that
// begins with "._" (macOS resource forks).
// clang-format off
constexpr std::string_view kJunkFolders[] = {"__MACOSX"};
constexpr std::string_view kJunkFiles[] = {".DS_Store", "Thumbs.db", "desktop.ini"};
// clang-format on

bool IsJunk(std::string_view name) {
  const std::size_t slash = name.rfind('/');
  const std::string_view last = slash == std::string_view::npos ? name : name.substr(slash + 1);
  if (last.starts_with("._")) return true;
  for (const std::string_view file : kJunkFiles) {
    if (last == file) return true;
  }
  for (const std::string_view folder : kJunkFolders) {
    for (std::size_t at = name.find(folder); at != std::string_view::npos;
         at = name.find(folder, at + 1)) {
      const bool starts = at == 0 || name[at - 1] == '/';
      const std::size_t end = at + folder.size();
      if (starts && (end == name.size() || name[end] == '/')) return true;
    }
  }
  return false;
}

std::string Shown(std::string_view name) {
  std::string text("„");
  text.append(platform::EscapeControlCharacters(name)).append("“");
  return text;
}

std::string LibzipText(zip_error_t* error) {
  std::string text(" (libzip: ");
  text.append(zip_error_strerror(error)).append(")");
  return text;
}

struct ArchiveCloser {
  void operator()(zip_t* archive) const { zip_discard(archive); }
};
struct FileCloser {
  void operator()(zip_file_t* file) const { zip_fclose(file); }
};
using Archive = std::unique_ptr<zip_t, ArchiveCloser>;

// Opens `package` for reading. Nothing, with `error` set, when libzip
// cannot read it.
Archive Open(std::string_view package, std::string& error) {
  zip_error_t failure;
  zip_error_init(&failure);
  zip_source_t* source = zip_source_buffer_create(package.data(), package.size(), 0, &failure);
  zip_t* archive = source == nullptr
                       ? nullptr
                       : zip_open_from_source(source, ZIP_RDONLY | ZIP_CHECKCONS, &failure);
  if (archive == nullptr) {
    if (source != nullptr) zip_source_free(source);
    error = "Die Datei ist kein lesbares ZIP-Paket" + LibzipText(&failure) + ".";
  }
  zip_error_fini(&failure);
  return Archive(archive);
}

// The index of the one file in `archive`. False with `error` set when
// there is none or more than one.
bool FindTheFile(zip_t* archive, zip_uint64_t& index, std::string& error) {
  std::vector<std::string> names;
  const zip_int64_t count = zip_get_num_entries(archive, 0);
  for (zip_int64_t i = 0; i < count; ++i) {
    const char* raw = zip_get_name(archive, static_cast<zip_uint64_t>(i), ZIP_FL_ENC_GUESS);
    const std::string_view name = raw == nullptr ? std::string_view{} : raw;
    if (name.ends_with('/') || IsJunk(name)) continue;
    names.emplace_back(name);
    index = static_cast<zip_uint64_t>(i);
  }
  if (names.empty()) {
    error = "Das ZIP-Paket enthält keine Datei.";
    return false;
  }
  if (names.size() > 1) {
    error = "Das ZIP-Paket enthält " + std::to_string(names.size()) + " Dateien (";
    for (std::size_t i = 0; i < names.size() && i < 3; ++i) {
      error.append(i > 0 ? ", " : "").append(Shown(names[i]));
    }
    error += names.size() > 3 ? ", …)" : ")";
    error += "; ein Paket der Bundesbank enthält genau eine Bankleitzahlendatei.";
    return false;
  }
  return true;
}

// Unpacks the entry at `index`, stated to be `stated` bytes, into `bytes`.
// False with `error` set when it fails or gives more than `limit` bytes.
bool ReadEntry(zip_t* archive, zip_uint64_t index, zip_uint64_t stated, std::size_t limit,
               std::string& bytes, std::string& error) {
  const std::unique_ptr<zip_file_t, FileCloser> file(zip_fopen_index(archive, index, 0));
  if (!file) {
    error = "Die Datei im ZIP-Paket kann nicht entpackt werden" +
            LibzipText(zip_get_error(archive)) + ".";
    return false;
  }
  bytes.reserve(static_cast<std::size_t>(stated));
  char chunk[1 << 16];
  for (;;) {
    const zip_int64_t n = zip_fread(file.get(), chunk, sizeof chunk);
    if (n < 0) {
      error = "Das ZIP-Paket ist beschädigt" + LibzipText(zip_file_get_error(file.get())) + ".";
      return false;
    }
    if (n == 0) break;
    bytes.append(chunk, static_cast<std::size_t>(n));
    if (bytes.size() > limit || bytes.size() > stated) {
      error =
          "Die Datei im ZIP-Paket entpackt zu mehr Daten, als das Paket angibt oder eine "
          "Bankleitzahlendatei haben kann; das Paket wird nicht gelesen.";
      return false;
    }
  }
  if (bytes.size() != stated) {
    error = "Das ZIP-Paket ist beschädigt: die Datei ist kürzer, als das Paket angibt.";
    return false;
  }
  return true;
}

}  // namespace

bool IsZipPackage(std::string_view bytes) {
  return bytes.starts_with(std::string_view("PK\x03\x04", 4)) ||
         bytes.starts_with(std::string_view("PK\x05\x06", 4));
}

bool UnpackSingleFile(std::string_view package, PackedFile& file, std::string& error,
                      std::size_t limit) {
  const Archive archive = Open(package, error);
  if (!archive) return false;
  zip_uint64_t index = 0;
  if (!FindTheFile(archive.get(), index, error)) return false;
  zip_stat_t stat;
  zip_stat_init(&stat);
  if (zip_stat_index(archive.get(), index, ZIP_FL_ENC_GUESS, &stat) != 0 ||
      (stat.valid & ZIP_STAT_SIZE) == 0 || (stat.valid & ZIP_STAT_NAME) == 0) {
    error = "Das ZIP-Paket ist beschädigt" + LibzipText(zip_get_error(archive.get())) + ".";
    return false;
  }
  const std::string name = stat.name;
  if ((stat.valid & ZIP_STAT_ENCRYPTION_METHOD) != 0 && stat.encryption_method != ZIP_EM_NONE) {
    error = "Die Datei " + Shown(name) +
            " im ZIP-Paket ist verschlüsselt; eine Bankleitzahlendatei der Bundesbank ist es nie.";
    return false;
  }
  if (stat.size > limit) {
    error = "Die Datei " + Shown(name) + " im ZIP-Paket ist entpackt " + std::to_string(stat.size) +
            " Bytes groß, mehr als eine Bankleitzahlendatei haben kann; das Paket wird nicht "
            "gelesen.";
    return false;
  }
  std::string bytes;
  if (!ReadEntry(archive.get(), index, stat.size, limit, bytes, error)) return false;
  file.name = name;
  file.bytes = std::move(bytes);
  return true;
}

}  // namespace talvenor::editions
