// The Python module "talvenor": the library's conversions, checks and file
// runs, and convert_many for whole columns of accounts.
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>
#include <talvenor/talvenor.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

namespace py = pybind11;

namespace {

// A failed file run; Python sees talvenor.FileConversionError.
struct FileConversionFailure {
  std::string message;
};

// The library the module-level functions use: the edition in force when
// the module first needs one.
// Editions passed over are told as Python warnings, as the program tells
// them on stderr.
void WarnAbout(const std::vector<std::string>& warnings) {
  for (const std::string& warning : warnings) {
    PyErr_WarnEx(PyExc_UserWarning, warning.c_str(), 1);
  }
}

const talvenor::Library& DefaultLibrary() {
  static const talvenor::Library library = [] {
    std::vector<std::string> warnings;
    talvenor::Library opened = talvenor::Library::OpenInForce(&warnings);
    WarnAbout(warnings);
    return opened;
  }();
  return library;
}

// The library of `path` (or of the edition in force) on `asOf`, with its
// warnings told; the library's Error becomes ValueError.
talvenor::Library OpenLibrary(const std::optional<std::string>& path,
                              const std::optional<std::string>& validFrom,
                              const std::optional<std::string>& asOf) {
  std::vector<std::string> warnings;
  talvenor::Library library = path ? talvenor::Library::OpenFile(*path, validFrom.value_or(""),
                                                                 &warnings, asOf.value_or(""))
                                   : talvenor::Library::OpenInForce(&warnings, asOf.value_or(""));
  WarnAbout(warnings);
  return library;
}

talvenor::Conversion Convert(const talvenor::Library& lib, const std::string& bankCode,
                             const std::string& account) {
  talvenor::Conversion c = lib.Convert(bankCode, account);
  if (!c.converted()) throw py::value_error(c.message);
  return c;
}

talvenor::FileConversion ConvertFile(const talvenor::Library& lib, const std::string& input,
                                     const std::string& output, const std::string& formatIni,
                                     int threads, bool group) {
  talvenor::FileConversion result;
  {
    py::gil_scoped_release release;
    result = lib.ConvertFile(input, output, formatIni, threads, group);
  }
  if (!result.succeeded) throw FileConversionFailure{result.message};
  return result;
}

// ---- convert_many ------------------------------------------------------

// One column of texts, read once with the interpreter held: fixed-width
// numpy strings are read from their buffer, anything else item by item.
struct Column {
  std::size_t size = 0;
  std::size_t width = 0;           // characters per item (fixed width)
  std::vector<char> fixed;         // size * width bytes, NUL-padded
  std::vector<std::string> texts;  // when not fixed width
  py::object keep;                 // the array read from, while reading

  std::string_view at(std::size_t i) const {
    if (!texts.empty()) return texts[i];
    const char* item = fixed.data() + i * width;
    return {item, strnlen(item, width)};
  }
};

// A character outside ASCII can be part of no bank code or account; it
// becomes a control character, which both refuse.
constexpr char kRefused = '\x01';

Column ReadColumn(const py::handle& values, const char* name) {
  Column column;
  if (py::isinstance<py::array>(values)) {
    py::array array = py::reinterpret_borrow<py::array>(values);
    const char kind = array.dtype().kind();
    if (kind == 'U' || kind == 'S') {
      array = py::module_::import("numpy").attr("ascontiguousarray")(array.attr("ravel")());
      column.size = static_cast<std::size_t>(array.size());
      const std::size_t itemsize = static_cast<std::size_t>(array.itemsize());
      column.width = kind == 'U' ? itemsize / 4 : itemsize;
      column.fixed.assign(column.size * column.width, '\0');
      if (kind == 'U') {
        const auto* chars = static_cast<const std::uint32_t*>(array.data());
        for (std::size_t i = 0; i < column.size * column.width; ++i) {
          const std::uint32_t c = chars[i];
          column.fixed[i] = c < 128 ? static_cast<char>(c) : kRefused;
        }
      } else {
        std::memcpy(column.fixed.data(), array.data(), column.fixed.size());
      }
      if (column.width == 0) column.texts.assign(column.size, std::string());
      return column;
    }
    if (kind != 'O') {
      throw py::type_error(std::string(name) + ": erwartet werden Texte (str), nicht " +
                           py::str(array.dtype()).cast<std::string>());
    }
  }
  const py::sequence sequence = py::reinterpret_borrow<py::sequence>(values);
  column.size = py::len(sequence);
  column.texts.reserve(column.size);
  for (const py::handle item : sequence) {
    if (!py::isinstance<py::str>(item)) {
      throw py::type_error(std::string(name) + ": erwartet werden Texte (str), nicht " +
                           py::str(py::type::of(item)).cast<std::string>());
    }
    Py_ssize_t length = 0;
    const char* text = PyUnicode_AsUTF8AndSize(item.ptr(), &length);
    if (text == nullptr) throw py::error_already_set();
    column.texts.emplace_back(text, static_cast<std::size_t>(length));
  }
  return column;
}

// Copies ASCII `text` into a fixed-width numpy string item.
void PutText(std::uint32_t* item, std::size_t width, std::string_view text) {
  const std::size_t n = std::min(width, text.size());
  for (std::size_t i = 0; i < n; ++i) item[i] = static_cast<unsigned char>(text[i]);
  std::fill(item + n, item + width, 0u);
}

constexpr std::size_t kIbanWidth = 34;  // the longest IBAN of any country
constexpr std::size_t kBicWidth = 11;

py::dict ConvertMany(const talvenor::Library& lib, const py::handle& bankCodes,
                     const py::handle& accounts, bool bankNames) {
  const Column codes = ReadColumn(bankCodes, "bank_codes");
  const Column numbers = ReadColumn(accounts, "accounts");
  if (codes.size != numbers.size) {
    throw py::value_error("bank_codes und accounts sind verschieden lang (" +
                          std::to_string(codes.size) + " und " + std::to_string(numbers.size) +
                          ")");
  }
  const std::size_t n = codes.size;
  const auto count = static_cast<py::ssize_t>(n);
  py::array iban(py::dtype("U" + std::to_string(kIbanWidth)), std::vector<py::ssize_t>{count});
  py::array bic(py::dtype("U" + std::to_string(kBicWidth)), std::vector<py::ssize_t>{count});
  py::array_t<std::int16_t> resultCode(count);
  py::array_t<bool> found(count);
  std::vector<std::string_view> names(bankNames ? n : 0);
  auto* ibanChars = static_cast<std::uint32_t*>(iban.mutable_data());
  auto* bicChars = static_cast<std::uint32_t*>(bic.mutable_data());
  std::int16_t* codesOut = resultCode.mutable_data();
  bool* foundOut = found.mutable_data();
  std::size_t nameWidth = 1;
  {
    py::gil_scoped_release release;
    talvenor::Library::Converter converter(lib);
    for (std::size_t i = 0; i < n; ++i) {
      const talvenor::ConversionView& view = converter.Convert(codes.at(i), numbers.at(i));
      PutText(ibanChars + i * kIbanWidth, kIbanWidth, view.iban);
      PutText(bicChars + i * kBicWidth, kBicWidth, view.bic);
      codesOut[i] = static_cast<std::int16_t>(view.resultCode);
      foundOut[i] = view.found;
      if (bankNames) {
        names[i] = view.bankName;  // lives in the edition, not the converter
        nameWidth = std::max(nameWidth, view.bankName.size());
      }
    }
  }
  py::dict result;
  result["iban"] = iban;
  result["bic"] = bic;
  result["result_code"] = resultCode;
  result["found"] = found;
  if (bankNames) {
    // Bank names (UTF-8 in the directory) vary in length and are few
    // distinct texts; a list of str serves them better than a wide array.
    py::list list(count);
    for (std::size_t i = 0; i < n; ++i) {
      list[i] = py::str(names[i].data(), names[i].size());
    }
    result["bank_name"] = list;
  }
  return result;
}

std::string Repr(const talvenor::Conversion& c) {
  return "Conversion(iban='" + c.iban + "', bic='" + c.bic +
         "', result_code=" + std::to_string(c.resultCode) + ", verdict='" + c.verdict +
         "', edition='" + c.edition + "', expired=" + (c.expired ? "True" : "False") + ")";
}

}  // namespace

PYBIND11_MODULE(talvenor, m) {
  m.doc() =
      "Deutsche Bankleitzahl und Kontonummer in IBAN und BIC umrechnen, IBANs prüfen, "
      "Prüfziffermethoden anwenden und IBANHIN-Dateien umrechnen.";
  m.attr("__version__") = TALVENOR_PROGRAM_VERSION;

  py::register_exception_translator([](std::exception_ptr p) {
    try {
      if (p) std::rethrow_exception(p);
    } catch (const talvenor::Error& e) {
      PyErr_SetString(PyExc_ValueError, e.what());
    }
  });
  static py::exception<FileConversionFailure> fileError(m, "FileConversionError",
                                                        PyExc_RuntimeError);
  py::register_exception_translator([](std::exception_ptr p) {
    try {
      if (p) std::rethrow_exception(p);
    } catch (const FileConversionFailure& e) {
      fileError(e.message.c_str());
    }
  });

  py::class_<talvenor::EditionInfo>(m, "Edition")
      .def_readonly("valid_from", &talvenor::EditionInfo::validFrom)
      .def_readonly("valid_until", &talvenor::EditionInfo::validUntil)
      .def_readonly("origin", &talvenor::EditionInfo::origin)
      .def_readonly("path", &talvenor::EditionInfo::path)
      .def_readonly("bank_codes", &talvenor::EditionInfo::bankCodes)
      .def_readonly("usable", &talvenor::EditionInfo::usable)
      .def_readonly("error", &talvenor::EditionInfo::error)
      .def_readonly("in_force", &talvenor::EditionInfo::inForce)
      .def_readonly("expired", &talvenor::EditionInfo::expired)
      .def_readonly("hidden", &talvenor::EditionInfo::hidden)
      .def("__repr__", [](const talvenor::EditionInfo& e) {
        return "Edition(valid_from='" + e.validFrom + "', valid_until='" + e.validUntil +
               "', origin='" + e.origin + "', bank_codes=" + std::to_string(e.bankCodes) +
               (e.inForce ? ", in_force=True" : "") + (e.usable ? "" : ", usable=False") + ")";
      });

  py::class_<talvenor::Conversion>(m, "Conversion")
      .def_readonly("iban", &talvenor::Conversion::iban)
      .def_readonly("bic", &talvenor::Conversion::bic)
      .def_readonly("bank_name", &talvenor::Conversion::bankName)
      .def_readonly("verdict", &talvenor::Conversion::verdict)
      .def_readonly("result_code", &talvenor::Conversion::resultCode)
      .def_readonly("deletion_notice", &talvenor::Conversion::deletionNotice)
      .def_readonly("account", &talvenor::Conversion::account)
      .def_readonly("rule_number", &talvenor::Conversion::ruleNumber)
      .def_readonly("check_method", &talvenor::Conversion::checkMethod)
      .def_readonly("not_released", &talvenor::Conversion::notReleased)
      .def_readonly("account_unchecked", &talvenor::Conversion::accountUnchecked)
      .def_readonly("edition", &talvenor::Conversion::edition)
      .def_readonly("expired", &talvenor::Conversion::expired)
      .def("__repr__", &Repr);

  py::class_<talvenor::IbanCheckResult>(m, "IbanCheck")
      .def_readonly("code", &talvenor::IbanCheckResult::code)
      // The same number under the name the conversion's results use.
      .def_readonly("result_code", &talvenor::IbanCheckResult::code)
      .def_property_readonly("plausible", &talvenor::IbanCheckResult::plausible)
      .def_readonly("verdict", &talvenor::IbanCheckResult::verdict)
      .def_readonly("iban", &talvenor::IbanCheckResult::iban)
      .def_readonly("paper_iban", &talvenor::IbanCheckResult::paperIban)
      .def_readonly("country", &talvenor::IbanCheckResult::country)
      .def_readonly("checksum_valid", &talvenor::IbanCheckResult::checksumValid)
      .def_readonly("bank_code", &talvenor::IbanCheckResult::bankCode)
      .def_readonly("account", &talvenor::IbanCheckResult::account)
      .def_readonly("bank_name", &talvenor::IbanCheckResult::bankName)
      .def_readonly("bic", &talvenor::IbanCheckResult::bic)
      .def_readonly("check_method", &talvenor::IbanCheckResult::checkMethod)
      .def_readonly("account_valid", &talvenor::IbanCheckResult::accountValid)
      .def_readonly("rule_iban", &talvenor::IbanCheckResult::ruleIban)
      .def_readonly("rule_result", &talvenor::IbanCheckResult::ruleResult)
      .def_readonly("rule_number", &talvenor::IbanCheckResult::ruleNumber)
      .def_readonly("edition", &talvenor::IbanCheckResult::edition)
      .def_readonly("expired", &talvenor::IbanCheckResult::expired)
      .def("__repr__", [](const talvenor::IbanCheckResult& r) {
        return "IbanCheck(code=" + std::to_string(r.code) + ", verdict='" + r.verdict + "')";
      });

  py::class_<talvenor::Verification>(m, "Verification")
      .def_readonly("method", &talvenor::Verification::method)
      .def_readonly("account", &talvenor::Verification::account)
      .def_readonly("bank_code", &talvenor::Verification::bankCode)
      .def_readonly("result", &talvenor::Verification::result)
      .def_readonly("adjusted_account", &talvenor::Verification::adjustedAccount)
      .def_property_readonly("valid", &talvenor::Verification::valid)
      .def("__repr__", [](const talvenor::Verification& v) {
        return "Verification(method='" + v.method + "', account='" + v.account +
               "', result=" + std::to_string(v.result) + ")";
      });

  py::class_<talvenor::FileConversion>(m, "FileConversion")
      .def_readonly("succeeded", &talvenor::FileConversion::succeeded)
      .def_readonly("message", &talvenor::FileConversion::message)
      .def_readonly("assumed_rule_records", &talvenor::FileConversion::assumedRuleRecords)
      .def_readonly("unchecked_records", &talvenor::FileConversion::uncheckedRecords)
      .def_readonly("edition", &talvenor::FileConversion::edition)
      .def_readonly("expired", &talvenor::FileConversion::expired);

  py::class_<talvenor::Library>(m, "Library",
                                "Eine Ausgabe der Bankdaten und die Umrechnungen darauf.")
      .def_property_readonly("edition", &talvenor::Library::edition)
      .def_property_readonly("expired", &talvenor::Library::expired)
      .def("convert", &Convert, py::arg("bank_code"), py::arg("account"))
      .def("check_iban", &talvenor::Library::CheckIban, py::arg("iban"))
      .def("convert_file", &ConvertFile, py::arg("input"), py::arg("output"),
           py::arg("format_ini") = "", py::arg("threads") = 0, py::arg("group") = false)
      .def("convert_many", &ConvertMany, py::arg("bank_codes"), py::arg("accounts"),
           py::arg("bank_names") = false);

  m.def(
      "editions",
      [](const std::optional<std::string>& asOf) { return talvenor::Editions(asOf.value_or("")); },
      py::arg("as_of") = py::none(),
      "Die bekannten Ausgaben (eingebaut, installiert, systemweit), nach Beginn geordnet; "
      "in_force und expired gelten für heute oder den Tag as_of (JJJJ-MM-TT).");
  m.def(
      "edition_in_force",
      [](const std::optional<std::string>& asOf) {
        return asOf ? OpenLibrary(std::nullopt, std::nullopt, asOf).edition()
                    : DefaultLibrary().edition();
      },
      py::arg("as_of") = py::none(),
      "Die heute (oder am Tag as_of) geltende Ausgabe; ohne as_of die, mit der die "
      "Funktionen des Moduls rechnen.");
  m.def(
      "load_edition",
      [](const std::optional<std::string>& path, std::optional<std::string> validFrom,
         std::optional<std::string> asOf) { return OpenLibrary(path, validFrom, asOf); },
      py::arg("path") = py::none(), py::arg("valid_from") = py::none(),
      py::arg("as_of") = py::none(),
      "Liest eine Bankleitzahlendatei (ohne path: die am Tag as_of geltende Ausgabe) und gibt "
      "eine Library darauf zurück.");
  m.def(
      "convert",
      [](const std::string& bankCode, const std::string& account) {
        return Convert(DefaultLibrary(), bankCode, account);
      },
      py::arg("bank_code"), py::arg("account"));
  m.def(
      "check_iban", [](const std::string& iban) { return DefaultLibrary().CheckIban(iban); },
      py::arg("iban"));
  m.def(
      "verify",
      [](const std::string& method, const std::string& account,
         std::optional<std::string> bankCode) {
        return talvenor::Verify(method, account, bankCode.value_or(""));
      },
      py::arg("method"), py::arg("account"), py::arg("bank_code") = py::none());
  m.def(
      "convert_file",
      [](const std::string& input, const std::string& output, const std::string& formatIni,
         int threads, bool group) {
        return ConvertFile(DefaultLibrary(), input, output, formatIni, threads, group);
      },
      py::arg("input"), py::arg("output"), py::arg("format_ini") = "", py::arg("threads") = 0,
      py::arg("group") = false);
  m.def(
      "convert_many",
      [](const py::handle& bankCodes, const py::handle& accounts, bool bankNames) {
        return ConvertMany(DefaultLibrary(), bankCodes, accounts, bankNames);
      },
      py::arg("bank_codes"), py::arg("accounts"), py::arg("bank_names") = false);
}
