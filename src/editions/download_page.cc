#include "editions/download_page.h"

#include <libxml/HTMLparser.h>
#include <libxml/parser.h>
#include <libxml/tree.h>

#include <algorithm>
#include <array>
#include <climits>
#include <cstddef>
#include <memory>
#include <unordered_set>
#include <utility>

#include "editions/curl_support.h"
#include "platform/number_text.h"

namespace talvenor::editions {
namespace {

using platform::IsDigit;

// ---------------------------------------------------------------------------
// The page's text and links, in document order.

// A link, with the length the page's text had when the link ended: a
// validity statement that starts before that point precedes the link.
struct LinkMark {
  std::string href;
  std::size_t textEnd = 0;
};

struct PageContent {
  // The visible text, folded so that the validity words are easy to find:
  // ASCII letters in lower case, "Ü" as "ü", every run of blanks (also
  // no-break and thin spaces, line ends) as one " ", dashes as "-".
  std::string text;
  std::vector<LinkMark> links;
  std::optional<std::string> baseHref;  // the first <base href>
};

struct XmlDocFree {
  void operator()(xmlDoc* doc) const { xmlFreeDoc(doc); }
};

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v';
}

void AppendBlank(std::string& text) {
  if (!text.empty() && text.back() != ' ') text.push_back(' ');
}

// Multi-byte UTF-8 sequences the folding replaces.
struct Fold {
  std::string_view from;
  std::string_view to;
};
constexpr std::array<Fold, 8> kFolds{{
    {"\xC3\x9C", "\xC3\xBC"},  // Ü -> ü
    {"\xC2\xA0", " "},         // no-break space
    {"\xE2\x80\x89", " "},     // thin space
    {"\xE2\x80\xAF", " "},     // narrow no-break space
    {"\xE2\x80\x90", "-"},     // hyphen
    {"\xE2\x80\x91", "-"},     // non-breaking hyphen
    {"\xE2\x80\x93", "-"},     // en dash
    {"\xE2\x80\x94", "-"},     // em dash
}};

void AppendFolded(std::string& text, std::string_view raw) {
  for (std::size_t i = 0; i < raw.size();) {
    bool folded = false;
    for (const Fold& fold : kFolds) {
      if (raw.substr(i, fold.from.size()) != fold.from) continue;
      if (fold.to == " ") {
        AppendBlank(text);
      } else {
        text.append(fold.to);
      }
      i += fold.from.size();
      folded = true;
      break;
    }
    if (folded) continue;
    const char c = raw[i++];
    if (IsBlank(c)) {
      AppendBlank(text);
    } else {
      text.push_back(c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c);
    }
  }
}

bool NameIs(const xmlNode& node, std::string_view name) {
  return node.name != nullptr && reinterpret_cast<const char*>(node.name) == name;
}

std::optional<std::string> Attribute(const xmlNode& node, const char* name) {
  xmlChar* value = xmlGetProp(&node, reinterpret_cast<const xmlChar*>(name));
  if (value == nullptr) return std::nullopt;
  std::string text(reinterpret_cast<const char*>(value));
  xmlFree(value);
  return text;
}

// Elements inside running text; every other element separates words, so
// that the text of neighbouring cells or paragraphs never runs together.
bool IsInline(const xmlNode& node) {
  for (const std::string_view name : {"a", "abbr", "b", "em", "font", "i", "mark", "small", "span",
                                      "strong", "sub", "sup", "time", "u"}) {
    if (NameIs(node, name)) return true;
  }
  return false;
}

bool SkipsContent(const xmlNode& node) {
  return node.type == XML_ELEMENT_NODE && (NameIs(node, "script") || NameIs(node, "style"));
}

void Enter(const xmlNode& node, PageContent& content) {
  if (node.type == XML_TEXT_NODE && node.content != nullptr) {
    AppendFolded(content.text, reinterpret_cast<const char*>(node.content));
  } else if (node.type == XML_ELEMENT_NODE) {
    if (!IsInline(node)) AppendBlank(content.text);
    if (NameIs(node, "base") && !content.baseHref) content.baseHref = Attribute(node, "href");
  }
}

void Leave(const xmlNode& node, PageContent& content) {
  if (node.type != XML_ELEMENT_NODE) return;
  if (!IsInline(node)) AppendBlank(content.text);
  if (!NameIs(node, "a")) return;
  if (std::optional<std::string> href = Attribute(node, "href")) {
    content.links.push_back({std::move(*href), content.text.size()});
  }
}

// Walks the tree without recursion: the lenient parser builds trees of any
// depth from junk.
void Walk(xmlDoc& doc, PageContent& content) {
  const xmlNode* node = doc.children;
  while (node != nullptr) {
    Enter(*node, content);
    if (node->children != nullptr && !SkipsContent(*node)) {
      node = node->children;
      continue;
    }
    while (node != nullptr) {
      Leave(*node, content);
      if (node->next != nullptr) {
        node = node->next;
        break;
      }
      node = node->parent;
      if (node == reinterpret_cast<const xmlNode*>(&doc)) node = nullptr;
    }
  }
}

std::optional<PageContent> ReadPage(std::string_view html) {
  // Sets up libxml2's global state once, before threads may parse at once.
  static const bool ready = (xmlInitParser(), true);
  if (!ready || html.size() > static_cast<std::size_t>(INT_MAX)) return std::nullopt;
  constexpr int kOptions =
      HTML_PARSE_RECOVER | HTML_PARSE_NOERROR | HTML_PARSE_NOWARNING | HTML_PARSE_NONET;
  const std::unique_ptr<xmlDoc, XmlDocFree> doc(
      htmlReadMemory(html.data(), static_cast<int>(html.size()), nullptr, nullptr, kOptions));
  if (doc == nullptr) return std::nullopt;
  PageContent content;
  Walk(*doc, content);
  return content;
}

// ---------------------------------------------------------------------------
// Validity statements in the folded text.

struct Statement {
  std::size_t at = 0;  // where "gültig" starts
  std::optional<Date> from;
  std::optional<Date> until;
};

bool IsWordByte(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || static_cast<unsigned char>(c) >= 0x80;
}

std::optional<Date> MakeDate(int year, int month, int day) {
  const Date date{std::chrono::year{year}, std::chrono::month{static_cast<unsigned>(month)},
                  std::chrono::day{static_cast<unsigned>(day)}};
  if (!date.ok()) return std::nullopt;
  return date;
}

// A written date such as "07.09.2026": whether one stands there, and the day
// when it is a real one.
struct WrittenDate {
  bool present = false;
  std::optional<Date> date;
};

// Reads the folded text from a position on.
class Cursor {
 public:
  Cursor(std::string_view text, std::size_t at) : text_(text), at_(at) {}

  void SkipBlanks() {
    while (at_ < text_.size() && text_[at_] == ' ') ++at_;
  }

  // Takes `word` when it stands here and no letter follows it.
  bool TakeWord(std::string_view word) {
    if (text_.substr(at_, word.size()) != word) return false;
    const std::size_t end = at_ + word.size();
    if (end < text_.size() && IsWordByte(text_[end])) return false;
    at_ = end;
    return true;
  }

  // Takes `sign` when it stands here.
  bool TakeSign(char sign) {
    if (at_ >= text_.size() || text_[at_] != sign) return false;
    ++at_;
    return true;
  }

  // Day and month of one or two digits, a year of four: "7.9.2026",
  // "07. 09. 2026".
  WrittenDate TakeDate() {
    const std::size_t start = at_;
    int day = 0;
    int month = 0;
    int year = 0;
    if (TakeNumber(1, 2, day) && TakeSign('.') && (SkipBlanks(), TakeNumber(1, 2, month)) &&
        TakeSign('.') && (SkipBlanks(), TakeNumber(4, 4, year))) {
      return {true, MakeDate(year, month, day)};
    }
    at_ = start;
    return {};
  }

 private:
  bool TakeNumber(std::size_t fewest, std::size_t most, int& value) {
    std::size_t digits = 0;
    value = 0;
    while (at_ < text_.size() && IsDigit(text_[at_]) && digits < most) {
      value = value * 10 + (text_[at_++] - '0');
      ++digits;
    }
    return digits >= fewest && (at_ >= text_.size() || !IsDigit(text_[at_]));
  }

  std::string_view text_;
  std::size_t at_;
};

// The statement after "gültig": "vom|von D [bis|- D]", "ab D" or "bis D".
// Nothing when no such words and date follow. A date that is no real day,
// or a range that ends before it begins, leaves the statement without dates:
// it still ends the reach of the statement before it.
std::optional<Statement> ReadStatement(Cursor& cursor, std::size_t at) {
  Statement statement{at, std::nullopt, std::nullopt};
  WrittenDate from;
  WrittenDate until;
  cursor.SkipBlanks();
  if (cursor.TakeWord("vom") || cursor.TakeWord("von")) {
    cursor.SkipBlanks();
    from = cursor.TakeDate();
    if (!from.present) return std::nullopt;
    cursor.SkipBlanks();
    if (cursor.TakeWord("bis") || cursor.TakeSign('-')) {
      cursor.SkipBlanks();
      until = cursor.TakeDate();
    }
  } else if (cursor.TakeWord("ab")) {
    cursor.SkipBlanks();
    from = cursor.TakeDate();
    if (!from.present) return std::nullopt;
  } else if (cursor.TakeWord("bis")) {
    cursor.SkipBlanks();
    until = cursor.TakeDate();
    if (!until.present) return std::nullopt;
  } else {
    return std::nullopt;
  }
  const bool real = (!from.present || from.date) && (!until.present || until.date);
  const bool ordered = !from.date || !until.date || *from.date <= *until.date;
  if (real && ordered) {
    statement.from = from.date;
    statement.until = until.date;
  }
  return statement;
}

std::vector<Statement> FindStatements(std::string_view text) {
  std::vector<Statement> statements;
  for (const std::string_view word :
       {std::string_view("g\xC3\xBCltig"), std::string_view("gueltig")}) {
    for (std::size_t at = text.find(word); at != std::string_view::npos;
         at = text.find(word, at + 1)) {
      if (at > 0 && IsWordByte(text[at - 1])) continue;  // "ungültig"
      Cursor cursor(text, at + word.size());
      if (std::optional<Statement> statement = ReadStatement(cursor, at)) {
        statements.push_back(*statement);
      }
    }
  }
  std::sort(statements.begin(), statements.end(),
            [](const Statement& a, const Statement& b) { return a.at < b.at; });
  return statements;
}

// ---------------------------------------------------------------------------
// Addresses.

// Resolves hrefs against the page's address, or against its <base href>.
class UrlResolver {
 public:
  explicit UrlResolver(const std::string& pageUrl) {
    if (base_.get() != nullptr &&
        curl_url_set(base_.get(), CURLUPART_URL, pageUrl.c_str(), 0) != CURLUE_OK) {
      base_ = CurlUrl();
    }
  }

  // Further hrefs resolve against `href`, itself resolved against the
  // page's address; an unusable `href` changes nothing.
  void Rebase(const std::string& href) {
    if (std::optional<CurlUrl> base = Resolve(href)) base_ = std::move(*base);
  }

  // The http or https address `href` names; nothing for other schemes and
  // for hrefs that are no address.
  std::optional<CurlUrl> Resolve(const std::string& href) const {
    const std::string cleaned = CleanHref(href);
    if (cleaned.empty()) return std::nullopt;
    CurlUrl url = base_.Duplicate();
    if (url.get() == nullptr) url = CurlUrl();
    if (url.get() == nullptr ||
        curl_url_set(url.get(), CURLUPART_URL, cleaned.c_str(), kFlags) != CURLUE_OK) {
      return std::nullopt;
    }
    const std::string scheme = url.Part(CURLUPART_SCHEME);
    if (scheme != "https" && scheme != "http") return std::nullopt;
    return url;
  }

 private:
#ifdef CURLU_ALLOW_SPACE
  static constexpr unsigned int kFlags = CURLU_ALLOW_SPACE | CURLU_URLENCODE;
#else
  static constexpr unsigned int kFlags = 0;
#endif

  // As browsers read an href: blanks and control characters at both ends
  // dropped, tabs and line ends inside removed.
  static std::string CleanHref(std::string_view href) {
    const auto outer = [](char c) { return static_cast<unsigned char>(c) <= 0x20; };
    while (!href.empty() && outer(href.front())) href.remove_prefix(1);
    while (!href.empty() && outer(href.back())) href.remove_suffix(1);
    std::string cleaned;
    for (const char c : href) {
      if (c != '\t' && c != '\n' && c != '\r') cleaned.push_back(c);
    }
    return cleaned;
  }

  CurlUrl base_;
};

// The percent-decoded last segment of the address's path; empty when it
// could not name a local file safely.
std::string LastSegment(const CurlUrl& url) {
  const std::string path = url.Part(CURLUPART_PATH);
  const std::size_t slash = path.rfind('/');
  const std::string segment = slash == std::string::npos ? path : path.substr(slash + 1);
  if (segment.empty() || segment.size() > static_cast<std::size_t>(INT_MAX)) return {};
  int length = 0;
  char* decoded =
      curl_easy_unescape(nullptr, segment.data(), static_cast<int>(segment.size()), &length);
  if (decoded == nullptr) return {};
  std::string name(decoded, static_cast<std::size_t>(length));
  curl_free(decoded);
  for (const char c : name) {
    if (c == '/' || c == '\\' || static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return {};
  }
  return name;
}

}  // namespace

std::optional<OfferedForm> BankCodeFileForm(std::string_view fileName) {
  std::string name(fileName);
  for (char& c : name) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  const auto endsWith = [&name](std::string_view suffix) {
    return name.size() >= suffix.size() &&
           name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0;
  };
  if (endsWith("-xml-data.xml")) return OfferedForm{OfferedFileKind::Xml, false};
  if (endsWith("-txt-data.txt")) return OfferedForm{OfferedFileKind::Text, false};
  if (endsWith("-csv-data.csv")) return OfferedForm{OfferedFileKind::Csv, false};
  constexpr std::string_view kPacked = "-zip-data.zip";
  if (!endsWith(kPacked)) return std::nullopt;
  // The last word of the stem that names a form decides.
  const std::string_view stem = std::string_view(name).substr(0, name.size() - kPacked.size());
  std::optional<OfferedForm> form;
  std::size_t start = 0;
  for (std::size_t i = 0; i <= stem.size(); ++i) {
    if (i < stem.size() && stem[i] != '-' && stem[i] != '_' && stem[i] != '.') continue;
    const std::string_view word = stem.substr(start, i - start);
    if (word == "xml") form = OfferedForm{OfferedFileKind::Xml, true};
    if (word == "txt") form = OfferedForm{OfferedFileKind::Text, true};
    if (word == "csv") form = OfferedForm{OfferedFileKind::Csv, true};
    start = i + 1;
  }
  return form;
}

std::optional<Date> FileNameDate(std::string_view fileName) {
  const auto number = [fileName](std::size_t at, std::size_t digits) {
    int value = 0;
    for (std::size_t i = at; i < at + digits; ++i) {
      if (i >= fileName.size() || !IsDigit(fileName[i])) return -1;
      value = value * 10 + (fileName[i] - '0');
    }
    return value;
  };
  const auto separator = [fileName](std::size_t at) {
    return at < fileName.size() && (fileName[at] == '_' || fileName[at] == '-');
  };
  for (std::size_t at = 0; at + 10 <= fileName.size(); ++at) {
    if (at > 0 && IsDigit(fileName[at - 1])) continue;
    const int year = number(at, 4);
    const int month = number(at + 5, 2);
    const int day = number(at + 8, 2);
    const bool digitAfter = at + 10 < fileName.size() && IsDigit(fileName[at + 10]);
    if (year < 0 || month < 0 || day < 0 || !separator(at + 4) || !separator(at + 7) ||
        digitAfter) {
      continue;
    }
    if (std::optional<Date> date = MakeDate(year, month, day)) return date;
  }
  return std::nullopt;
}

std::vector<OfferedFile> FindOfferedFiles(std::string_view html, const std::string& pageUrl) {
  const std::optional<PageContent> content = ReadPage(html);
  if (!content) return {};
  const std::vector<Statement> statements = FindStatements(content->text);
  UrlResolver resolver(pageUrl);
  if (content->baseHref) resolver.Rebase(*content->baseHref);

  std::vector<OfferedFile> files;
  std::unordered_set<std::string> seen;
  std::vector<int> groups(statements.size(), 0);
  int lastGroup = 0;
  std::size_t following = 0;  // the first statement that does not precede the link
  for (const LinkMark& link : content->links) {
    while (following < statements.size() && statements[following].at < link.textEnd) ++following;
    const std::optional<CurlUrl> url = resolver.Resolve(link.href);
    if (!url) continue;
    OfferedFile file;
    file.fileName = LastSegment(*url);
    const std::optional<OfferedForm> form = BankCodeFileForm(file.fileName);
    file.url = url->Part(CURLUPART_URL);
    if (!form || file.url.empty() || !seen.insert(file.url).second) continue;
    file.kind = form->kind;
    file.zipped = form->zipped;
    if (following > 0) {
      const std::size_t index = following - 1;
      if (groups[index] == 0) groups[index] = ++lastGroup;
      file.group = groups[index];
      file.validFrom = statements[index].from;
      file.validUntil = statements[index].until;
    }
    if (!file.validFrom) file.validFrom = FileNameDate(file.fileName);
    files.push_back(std::move(file));
  }
  return files;
}

}  // namespace talvenor::editions
