#include "batch/iban_file_check.h"

#include <algorithm>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <exception>
#include <memory>
#include <mutex>
#include <new>
#include <system_error>
#include <thread>
#include <vector>

#include "batch/input_file.h"
#include "batch/line_reader.h"
#include "batch/output_files.h"
#include "batch/record_loop.h"
#include "batch/temporary_files.h"
#include "core/iban_check.h"
#include "platform/display_text.h"
#include "platform/separated_values.h"
#include "platform/utf8.h"

namespace talvenor::batch {
namespace {

using platform::AppendField;
using platform::kFieldSeparator;
using platform::SeparatedLine;

constexpr std::string_view kResultColumns =
    "Bankleitzahl;Kontonummer;Bankname;BIC;Ergebnis;Ergebniscode";
constexpr std::string_view kListColumn = "IBAN";
// Why a line cannot be read (after the file's name and the line's number).
constexpr std::string_view kLineTooLong =
    "die Zeile ist zu lang oder enthält einen einzelnen Wagenrücklauf";
constexpr std::string_view kQuoteNotClosed =
    "ein Feld in Anführungszeichen ist nicht richtig abgeschlossen";

// All chunks in flight together take about this much input; one chunk's
// share follows from their number, within the two limits below.
constexpr std::size_t kChunksBudget = std::size_t{16} << 20;
constexpr std::size_t kLargestChunk = std::size_t{256} << 10;
constexpr std::size_t kSmallestChunk = std::size_t{16} << 10;
constexpr std::size_t kDefaultChunkLines = 4096;
// Output goes to the file in pieces of whole lines of about this size (a
// piece must fit the output's buffer).
constexpr std::size_t kWritePiece = std::size_t{32} << 10;

std::string DisplayName(std::string_view name) { return platform::EscapeControlCharacters(name); }

std::string Quoted(std::string_view text) {
  std::string quoted = "„";
  quoted += platform::EscapeControlCharacters(text);
  quoted += "“";
  return quoted;
}

std::string FieldCount(std::size_t count) {
  std::string text = std::to_string(count);
  text += count == 1 ? " Feld" : " Felder";
  return text;
}

// Turns input lines into output lines. One per thread: it keeps buffers.
class LineChecker {
 public:
  // `column` is the field holding the IBAN in lines of `fields` fields, or
  // -1 when each line is an IBAN.
  LineChecker(const BankDirectory& directory, int column, std::size_t fields)
      : directory_(directory), column_(column), fields_(fields) {}

  // Appends the output line of `line` to `out`. False, with `why`, when
  // the line cannot be read.
  bool Check(std::string_view line, std::string& out, std::string& why);
  bool plausible() const { return plausible_; }

 private:
  const BankDirectory& directory_;
  const int column_;
  const std::size_t fields_;
  SeparatedLine split_;
  bool plausible_ = false;
};

// Whether `line` may stand in a file at all: no NUL byte, UTF-8 only.
bool Readable(std::string_view line, std::string& why) {
  if (std::memchr(line.data(), '\0', line.size()) != nullptr) {
    why = "enthält ein NUL-Zeichen";
    return false;
  }
  if (!platform::IsValidUtf8(line)) {
    why = "ist nicht in UTF-8 geschrieben";
    return false;
  }
  return true;
}

bool LineChecker::Check(std::string_view line, std::string& out, std::string& why) {
  if (!Readable(line, why)) return false;
  std::string_view iban = line;
  if (column_ < 0) {
    AppendField(out, line);
  } else {
    if (!split_.Split(line)) {
      why = kQuoteNotClosed;
      return false;
    }
    const auto& fields = split_.fields();
    if (fields.size() != fields_) {
      why = "hat " + FieldCount(fields.size());
      why += ", die Kopfzeile hat ";
      why += std::to_string(fields_);
      return false;
    }
    for (std::size_t i = 0; i < fields.size(); ++i) {
      if (i > 0) out += kFieldSeparator;
      AppendField(out, fields[i]);
    }
    iban = fields[static_cast<std::size_t>(column_)];
  }
  const IbanCheck check = CheckIban(directory_, iban);
  plausible_ = check.plausible();
  out += kFieldSeparator;
  out += check.bankCode;
  out += kFieldSeparator;
  out += check.account;
  out += kFieldSeparator;
  AppendField(out, check.bankName);
  out += kFieldSeparator;
  AppendField(out, check.bic);
  out += kFieldSeparator;
  AppendField(out, check.verdict);
  out += kFieldSeparator;
  const int code = IbanCheckNumber(check.code);
  out += static_cast<char>('0' + code / 10);
  out += static_cast<char>('0' + code % 10);
  out += '\n';
  return true;
}

// A run of consecutive lines, checked by one thread and written as a whole.
struct Chunk {
  // Filled by the reading thread.
  std::size_t firstLine = 0;          // the number of its first line, from 1
  std::string lines;                  // the lines back to back, without line ends
  std::vector<std::size_t> lineEnds;  // where each line ends in `lines`
  // What reading met behind the last line: kLine when more may follow;
  // otherwise reading ended there.
  LineReader::Next after = LineReader::Next::kLine;
  // Filled by the checking thread.
  std::string output;                // the output lines back to back
  std::vector<std::size_t> rowEnds;  // where each output line ends
  std::size_t plausible = 0;
  bool refused = false;  // the line behind the checked ones cannot be read
  std::string why;       // ... and why
};

void CheckChunk(Chunk& chunk, LineChecker& checker) {
  chunk.output.clear();
  chunk.rowEnds.clear();
  chunk.plausible = 0;
  chunk.refused = false;
  std::size_t begin = 0;
  for (const std::size_t end : chunk.lineEnds) {
    const std::string_view line(chunk.lines.data() + begin, end - begin);
    begin = end;
    if (!checker.Check(line, chunk.output, chunk.why)) {
      chunk.refused = true;
      return;
    }
    chunk.rowEnds.push_back(chunk.output.size());
    chunk.plausible += checker.plausible() ? 1 : 0;
  }
}

// Threads that check chunks handed to them, each with a checker of its own.
class CheckingThreads {
 public:
  CheckingThreads(const BankDirectory& directory, int column, std::size_t fields, int threads)
      : directory_(directory), column_(column), fields_(fields) {
    // A machine that refuses threads gets as many as it allows.
    for (int i = 0; i < threads; ++i) {
      try {
        threads_.emplace_back(&CheckingThreads::Work, this);
      } catch (const std::system_error&) {
        break;
      }
    }
  }
  ~CheckingThreads() {
    {
      std::lock_guard lock(mutex_);
      stopping_ = true;
    }
    queued_.notify_all();
    for (std::thread& thread : threads_) thread.join();
  }
  CheckingThreads(const CheckingThreads&) = delete;
  CheckingThreads& operator=(const CheckingThreads&) = delete;

  int count() const { return static_cast<int>(threads_.size()); }

  void Hand(Chunk* chunk) {
    {
      std::lock_guard lock(mutex_);
      queue_.push_back(chunk);
    }
    queued_.notify_one();
  }

  // Waits until `chunk` is checked. Throws what a thread threw instead.
  void Await(const Chunk* chunk) {
    std::unique_lock lock(mutex_);
    checked_.wait(lock, [&] {
      return failure_ || std::find(done_.begin(), done_.end(), chunk) != done_.end();
    });
    if (failure_) std::rethrow_exception(failure_);
    done_.erase(std::find(done_.begin(), done_.end(), chunk));
  }

 private:
  void Work() {
    // Interrupting signals go to the thread that writes the output, which
    // holds them back while the output takes its name.
    BlockInterruptionsOnThisThread();
    try {
      LineChecker checker(directory_, column_, fields_);
      for (;;) {
        Chunk* chunk = nullptr;
        {
          std::unique_lock lock(mutex_);
          queued_.wait(lock, [&] { return stopping_ || !queue_.empty(); });
          if (stopping_) return;
          chunk = queue_.front();
          queue_.pop_front();
        }
        CheckChunk(*chunk, checker);
        {
          std::lock_guard lock(mutex_);
          done_.push_back(chunk);
        }
        checked_.notify_all();
      }
    } catch (...) {
      {
        std::lock_guard lock(mutex_);
        if (!failure_) failure_ = std::current_exception();
      }
      checked_.notify_all();
    }
  }

  const BankDirectory& directory_;
  const int column_;
  const std::size_t fields_;
  std::mutex mutex_;
  std::condition_variable queued_;
  std::condition_variable checked_;
  std::deque<Chunk*> queue_;
  std::vector<const Chunk*> done_;
  bool stopping_ = false;
  std::exception_ptr failure_;
  std::vector<std::thread> threads_;
};

// One run over the input: its header, then its lines.
class Run {
 public:
  Run(std::string_view inputPath, std::string_view outputPath, InputFile& input, LineReader& lines,
      OutputFiles& output)
      : inputPath_(inputPath),
        outputPath_(outputPath),
        input_(input),
        lines_(lines),
        output_(output) {}

  // Reads the header (a table's), writes the output's header and prepares
  // the checking of the lines. False with `message` when it fails.
  bool Begin(const std::optional<std::string>& column, std::string& message);
  // Checks and writes every line. False with `message` when it fails.
  bool CheckLines(const IbanFileOptions& options, std::string& message, IbanFileSummary& summary);

 private:
  enum class Step { kGoOn, kDone, kFailed };

  // The next line, with a byte order mark at the very start dropped.
  LineReader::Next Next(std::string_view& line);
  // Reads a table's header and finds `column` in it; appends its fields to
  // `header`.
  bool ReadHeader(const std::string& column, std::string& header, std::string& message);
  void Fill(Chunk& chunk, std::size_t maxLines, std::size_t maxBytes);
  Step Write(const Chunk& chunk, std::string& message, IbanFileSummary& summary);
  bool Put(std::string_view bytes, std::string& message);
  std::string LineMessage(std::size_t line, std::string_view why) const;
  std::string ReadFailure() const;

  const std::string_view inputPath_;
  const std::string_view outputPath_;
  InputFile& input_;
  LineReader& lines_;
  OutputFiles& output_;
  std::size_t linesRead_ = 0;
  int column_ = -1;
  std::size_t fields_ = 1;
};

LineReader::Next Run::Next(std::string_view& line) {
  const LineReader::Next next = lines_.Read(line);
  if (next == LineReader::Next::kLine) {
    if (linesRead_ == 0 && line.starts_with(platform::kUtf8ByteOrderMark)) {
      line.remove_prefix(platform::kUtf8ByteOrderMark.size());
    }
    ++linesRead_;
  }
  return next;
}

std::string Run::LineMessage(std::size_t line, std::string_view why) const {
  std::string message = DisplayName(inputPath_);
  message += ", Zeile ";
  message += std::to_string(line);
  message += ": ";
  message += why;
  message += '.';
  return message;
}

std::string Run::ReadFailure() const {
  std::string failure = input_.Failure(inputPath_);
  return failure.empty() ? DisplayName(inputPath_).append(kCannotReadSuffix) : failure;
}

bool Run::Put(std::string_view bytes, std::string& message) {
  if (output_.WriteRecord(0, bytes) == RecordOutput::Status::kWritten) return true;
  message = "Fehler beim Erzeugen von:\n";
  message += DisplayName(outputPath_);
  message += '\n';
  message += kWriteFailedMessage;
  return false;
}

bool Run::Begin(const std::optional<std::string>& column, std::string& message) {
  std::string header;
  if (!column) {
    header = kListColumn;
  } else if (!ReadHeader(*column, header, message)) {
    return false;
  }
  header += kFieldSeparator;
  header += kResultColumns;
  header += '\n';
  return Put(header, message);
}

bool Run::ReadHeader(const std::string& column, std::string& header, std::string& message) {
  std::string_view line;
  switch (Next(line)) {
    case LineReader::Next::kLine:
      break;
    case LineReader::Next::kEnd:
      message = DisplayName(inputPath_);
      message += " ist leer: die Kopfzeile mit der Spalte ";
      message += Quoted(column);
      message += " fehlt.";
      return false;
    case LineReader::Next::kMalformed:
      message = LineMessage(1, kLineTooLong);
      return false;
    case LineReader::Next::kReadError:
      message = ReadFailure();
      return false;
  }
  std::string why;
  SeparatedLine names;
  if (!Readable(line, why)) {
    message = LineMessage(1, why);
    return false;
  }
  if (!names.Split(line)) {
    message = LineMessage(1, kQuoteNotClosed);
    return false;
  }
  const auto& fields = names.fields();
  const auto found = std::find(fields.begin(), fields.end(), column);
  if (found == fields.end()) {
    message = "Die Kopfzeile von ";
    message += DisplayName(inputPath_);
    message += " hat keine Spalte ";
    message += Quoted(column);
    message += "; sie hat ";
    for (std::size_t i = 0; i < fields.size(); ++i) {
      if (i > 0) message += ", ";
      message += Quoted(fields[i]);
    }
    message += '.';
    return false;
  }
  if (std::find(found + 1, fields.end(), column) != fields.end()) {
    message = "Die Kopfzeile von ";
    message += DisplayName(inputPath_);
    message += " hat mehr als eine Spalte ";
    message += Quoted(column);
    message += '.';
    return false;
  }
  column_ = static_cast<int>(found - fields.begin());
  fields_ = fields.size();
  for (std::size_t i = 0; i < fields.size(); ++i) {
    if (i > 0) header += kFieldSeparator;
    AppendField(header, fields[i]);
  }
  return true;
}

void Run::Fill(Chunk& chunk, std::size_t maxLines, std::size_t maxBytes) {
  chunk.firstLine = linesRead_ + 1;
  chunk.lines.clear();
  chunk.lineEnds.clear();
  chunk.after = LineReader::Next::kLine;
  while (chunk.lineEnds.size() < maxLines && chunk.lines.size() < maxBytes) {
    std::string_view line;
    const LineReader::Next next = Next(line);
    if (next != LineReader::Next::kLine) {
      chunk.after = next;
      return;
    }
    chunk.lines.append(line);
    chunk.lineEnds.push_back(chunk.lines.size());
  }
}

Run::Step Run::Write(const Chunk& chunk, std::string& message, IbanFileSummary& summary) {
  if (chunk.refused) {
    message = LineMessage(chunk.firstLine + chunk.rowEnds.size(), chunk.why);
    return Step::kFailed;
  }
  std::size_t begin = 0;
  std::size_t piece = 0;  // the end of the piece being gathered
  for (const std::size_t end : chunk.rowEnds) {
    if (end - begin > kWritePiece && piece > begin) {
      if (!Put(std::string_view(chunk.output).substr(begin, piece - begin), message)) {
        return Step::kFailed;
      }
      begin = piece;
    }
    piece = end;
  }
  if (piece > begin && !Put(std::string_view(chunk.output).substr(begin, piece - begin), message)) {
    return Step::kFailed;
  }
  summary.lines += chunk.rowEnds.size();
  summary.plausible += chunk.plausible;
  switch (chunk.after) {
    case LineReader::Next::kLine:
      return Step::kGoOn;
    case LineReader::Next::kEnd:
      return Step::kDone;
    case LineReader::Next::kMalformed:
      message = LineMessage(chunk.firstLine + chunk.lineEnds.size(), kLineTooLong);
      return Step::kFailed;
    case LineReader::Next::kReadError:
      message = ReadFailure();
      return Step::kFailed;
  }
  return Step::kFailed;
}

bool Run::CheckLines(const IbanFileOptions& options, std::string& message,
                     IbanFileSummary& summary) {
  const int wanted = std::clamp(options.threads, 1, kMaxRecordThreads);
  // The chunks outlive the threads, which may still hold some when the run
  // stops early.
  std::vector<std::unique_ptr<Chunk>> chunks;
  // On one thread the calling thread checks; otherwise it reads and
  // writes while the others check.
  std::unique_ptr<CheckingThreads> threads;
  if (wanted > 1) {
    threads = std::make_unique<CheckingThreads>(*options.directory, column_, fields_, wanted);
    if (threads->count() == 0) threads.reset();
  }
  // Two chunks per thread keep it busy while its last one is written; two
  // more let reading run ahead.
  const std::size_t slots = threads ? 2 * static_cast<std::size_t>(threads->count()) + 2 : 1;
  const std::size_t maxLines = options.chunkLines != 0 ? options.chunkLines : kDefaultChunkLines;
  const std::size_t maxBytes = std::clamp(kChunksBudget / slots, kSmallestChunk, kLargestChunk);
  std::vector<Chunk*> free;
  for (std::size_t i = 0; i < slots; ++i) {
    chunks.push_back(std::make_unique<Chunk>());
    free.push_back(chunks.back().get());
  }
  LineChecker checker(*options.directory, column_, fields_);
  std::deque<Chunk*> inFlight;  // in input order
  bool readingEnded = false;
  for (;;) {
    while (!readingEnded && !free.empty()) {
      Chunk* chunk = free.back();
      free.pop_back();
      Fill(*chunk, maxLines, maxBytes);
      readingEnded = chunk->after != LineReader::Next::kLine;
      if (threads) {
        threads->Hand(chunk);
      } else {
        CheckChunk(*chunk, checker);
      }
      inFlight.push_back(chunk);
    }
    // The last chunk read ends the run, so there is always one here.
    Chunk* chunk = inFlight.front();
    inFlight.pop_front();
    if (threads) threads->Await(chunk);
    switch (Write(*chunk, message, summary)) {
      case Step::kGoOn:
        break;
      case Step::kDone:
        return true;
      case Step::kFailed:
        return false;
    }
    free.push_back(chunk);
  }
}

}  // namespace

bool CheckIbanFile(std::string_view inputPath, std::string_view outputPath,
                   const IbanFileOptions& options, std::string& message, IbanFileSummary* summary) {
  message.clear();
  InputFile input;
  if (!input.Open(inputPath, message)) return false;
  // Writing the input over itself would destroy it before it is read.
  if (SameFile(std::filesystem::path(inputPath), std::filesystem::path(outputPath))) {
    message = DisplayName(inputPath).append(kSameFileSuffix);
    return false;
  }
  OutputFiles output({std::string(outputPath)},
                     options.fileCalls != nullptr ? *options.fileCalls : SystemFileCalls());
  if (!output.Open(0)) {
    message = DisplayName(outputPath).append(kCannotCreateSuffix);
    return false;
  }
  IbanFileSummary seen;
  try {
    LineReader lines(input.bytes(), /*emptyLines=*/true);
    Run run(inputPath, outputPath, input, lines, output);
    if (!run.Begin(options.column, message) || !run.CheckLines(options, message, seen)) {
      output.Discard();
      return false;
    }
  } catch (const std::bad_alloc&) {
    output.Discard();
    message = "Für die Prüfung von ";
    message += DisplayName(inputPath);
    message += " reicht der Arbeitsspeicher nicht.";
    return false;
  } catch (const std::exception& error) {
    output.Discard();
    message = "Die Prüfung von ";
    message += DisplayName(inputPath);
    message += " ist abgebrochen: ";
    message += platform::EscapeControlCharacters(error.what());
    return false;
  }
  std::vector<std::string> written;
  if (!output.Commit(written)) {
    message = "Fehler beim Erzeugen von:\n";
    message += DisplayName(outputPath);
    message += '\n';
    message += kWriteFailedMessage;
    return false;
  }
  if (summary != nullptr) *summary = seen;
  return true;
}

}  // namespace talvenor::batch
