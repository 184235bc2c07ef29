#include "batch/record_pipeline.h"

#include <algorithm>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <exception>
#include <limits>
#include <memory>
#include <mutex>
#include <string_view>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

#include "batch/line_reader.h"
#include "batch/record_conversion.h"
#include "batch/temporary_files.h"

namespace talvenor::batch {
namespace {

// All chunks in flight together are sized to this much memory; the size
// of one chunk follows from it and their number, within the two limits
// below. What a chunk holds beyond its size (its line buffer is kept at
// half the size, its bookkeeping vectors may have room to spare) stays
// below three quarters of it, so the chunks never take 30 MB.
constexpr std::size_t kChunksBudget = std::size_t{16} << 20;
constexpr std::size_t kLargestChunk = std::size_t{1} << 20;
constexpr std::size_t kSmallestChunk = std::size_t{16} << 10;
// What one record may cost beyond its line and the line's copy in the
// output: the new BIC and IBAN (quoted, perhaps twice), the result code,
// the line end, and the chunk's bookkeeping.
constexpr std::size_t kRecordOverhead = 256;

constexpr std::uint64_t kNoSequence = std::numeric_limits<std::uint64_t>::max();

// A run of consecutive record lines, converted by one worker and written
// as a whole.
struct Chunk {
  struct Record {
    std::size_t end;  // where its output line ends in `output`
    int group;        // its output file
    bool assumedRule;
    bool unchecked;
  };

  std::uint64_t sequence = 0;  // its place in the input, from 0
  // Filled by the reader.
  std::string lines;                  // the record lines back to back, without line ends
  std::vector<std::size_t> lineEnds;  // where each line ends in `lines`
  std::size_t outputBound = 0;        // room for the output of all lines
  // What reading met behind the last line: kLine when the chunk is full
  // and more may follow; otherwise reading ended there.
  LineReader::Next after = LineReader::Next::kLine;
  // Filled by a worker.
  std::string output;           // the output lines back to back
  std::vector<Record> records;  // one per converted line, in order
  bool refused = false;         // the line behind the converted ones does not fit the layout
};

class Pipeline {
 public:
  Pipeline(ByteSource& input, const RecordLayout& layout, const BankDirectory& directory,
           RecordOutput& output, const RecordLoopOptions& options);
  // Ends and joins every thread still running.
  ~Pipeline();
  Pipeline(const Pipeline&) = delete;
  Pipeline& operator=(const Pipeline&) = delete;

  std::optional<int> Run(std::string& message, RecordNotes& notes);

 private:
  // The reader thread: fills chunks with lines, in input order.
  void Read();
  void Fill(Chunk& chunk, LineReader& lines) const;
  // A worker thread: converts chunks.
  void Convert();
  static void ConvertChunk(Chunk& chunk, RecordConverter& converter);
  // The calling thread: writes the chunks in input order.
  int Write(std::string& message, RecordNotes& notes);
  // kGoOn, or a result of the whole run.
  int WriteChunk(const Chunk& chunk, std::string& message, RecordNotes& seen);

  // Waits for a free chunk for `sequence`; null when the run needs no more.
  Chunk* TakeFreeChunk(std::uint64_t sequence);
  void Recycle(Chunk* chunk);
  // Waits for chunk `sequence` to be converted; null when a thread failed.
  Chunk* TakeConverted(std::uint64_t sequence);
  // A thread ended with an exception: the run ends, and the calling thread
  // throws it once every thread has ended.
  void Fail(std::exception_ptr exception);
  void StopAndJoin();

  static constexpr int kGoOn = 2;

  ByteSource& input_;
  const RecordLayout& layout_;
  const BankDirectory& directory_;
  RecordOutput& output_;
  const int groups_;
  const int threads_;
  std::size_t chunkBytes_;
  std::size_t chunkRecords_;
  std::size_t recordExtra_;  // output room of a record beyond its line's length

  std::mutex mutex_;
  std::condition_variable chunkFree_;       // for the reader
  std::condition_variable chunkRead_;       // for the workers
  std::condition_variable chunkConverted_;  // for the writer
  std::vector<std::unique_ptr<Chunk>> chunks_;
  std::vector<Chunk*> free_;
  std::deque<Chunk*> read_;                   // waiting for a worker, in input order
  std::vector<Chunk*> converted_;             // converted and not yet written, at sequence % size
  std::uint64_t lastSequence_ = kNoSequence;  // no chunk behind it is written
  bool stopping_ = false;
  std::exception_ptr failure_;

  std::vector<std::thread> workers_;
  std::thread reader_;
};

Pipeline::Pipeline(ByteSource& input, const RecordLayout& layout, const BankDirectory& directory,
                   RecordOutput& output, const RecordLoopOptions& options)
    : input_(input),
      layout_(layout),
      directory_(directory),
      output_(output),
      groups_(output.fileCount()),
      threads_(std::clamp(options.threads, 1, kMaxRecordThreads)) {
  // Two chunks per worker keep it busy while the writer takes the one it
  // finished; two more let the reader work ahead.
  const std::size_t slots = 2 * static_cast<std::size_t>(threads_) + 2;
  chunkBytes_ = options.chunkBytes != 0
                    ? options.chunkBytes
                    : std::clamp(kChunksBudget / slots, kSmallestChunk, kLargestChunk);
  chunkRecords_ =
      options.chunkRecords != 0 ? options.chunkRecords : std::numeric_limits<std::size_t>::max();
  recordExtra_ = 3 * (layout.fields.size() + 1) + kRecordOverhead;
  for (std::size_t i = 0; i < slots; ++i) {
    chunks_.push_back(std::make_unique<Chunk>());
    free_.push_back(chunks_.back().get());
  }
  converted_.assign(slots, nullptr);
}

Pipeline::~Pipeline() { StopAndJoin(); }

std::optional<int> Pipeline::Run(std::string& message, RecordNotes& notes) {
  // A machine that refuses threads gets as many workers as it allows.
  for (int i = 0; i < threads_; ++i) {
    try {
      workers_.emplace_back(&Pipeline::Convert, this);
    } catch (const std::system_error&) {
      break;
    }
  }
  if (workers_.empty()) return std::nullopt;
  try {
    reader_ = std::thread(&Pipeline::Read, this);
  } catch (const std::system_error&) {
    return std::nullopt;  // nothing read yet
  }
  const int result = Write(message, notes);
  StopAndJoin();
  if (failure_) std::rethrow_exception(failure_);
  return result;
}

void Pipeline::Read() {
  BlockInterruptionsOnThisThread();
  try {
    LineReader lines(input_);
    for (std::uint64_t sequence = 0;; ++sequence) {
      Chunk* chunk = TakeFreeChunk(sequence);
      if (chunk == nullptr) return;
      Fill(*chunk, lines);
      const bool last = chunk->after != LineReader::Next::kLine;
      {
        std::lock_guard lock(mutex_);
        if (last) lastSequence_ = std::min(lastSequence_, sequence);
        read_.push_back(chunk);
      }
      chunkRead_.notify_one();
      // After a stop the line reader is not asked again, as on one thread.
      if (last) return;
    }
  } catch (...) {
    Fail(std::current_exception());
  }
}

void Pipeline::Fill(Chunk& chunk, LineReader& lines) const {
  // Each line weighs at least twice its length, so the lines of a chunk
  // never need more room than this, and the buffer is allocated once.
  chunk.lines.reserve(chunkBytes_ / 2 + kMaxLineWithEnd);
  chunk.lines.clear();
  chunk.lineEnds.clear();
  chunk.outputBound = 0;
  chunk.after = LineReader::Next::kLine;
  std::size_t weight = 0;
  while (weight < chunkBytes_ && chunk.lineEnds.size() < chunkRecords_) {
    std::string_view line;
    const LineReader::Next next = lines.Read(line);
    if (next != LineReader::Next::kLine) {
      chunk.after = next;
      return;
    }
    chunk.lines.append(line);
    chunk.lineEnds.push_back(chunk.lines.size());
    const std::size_t bound = line.size() + recordExtra_;
    chunk.outputBound += bound;
    weight += line.size() + bound;
  }
}

void Pipeline::Convert() {
  BlockInterruptionsOnThisThread();
  try {
    RecordConverter converter(layout_, directory_, groups_);
    for (;;) {
      Chunk* chunk = nullptr;
      bool wanted = false;
      {
        std::unique_lock lock(mutex_);
        chunkRead_.wait(lock, [&] { return stopping_ || !read_.empty(); });
        if (stopping_) return;
        chunk = read_.front();
        read_.pop_front();
        // A chunk behind a refused line is never written.
        wanted = chunk->sequence <= lastSequence_;
      }
      if (!wanted) {
        Recycle(chunk);
        continue;
      }
      ConvertChunk(*chunk, converter);
      {
        std::lock_guard lock(mutex_);
        if (chunk->refused) lastSequence_ = std::min(lastSequence_, chunk->sequence);
        converted_[chunk->sequence % converted_.size()] = chunk;
      }
      chunkConverted_.notify_one();
    }
  } catch (...) {
    Fail(std::current_exception());
  }
}

void Pipeline::ConvertChunk(Chunk& chunk, RecordConverter& converter) {
  chunk.output.clear();
  chunk.output.reserve(chunk.outputBound);
  chunk.records.clear();
  chunk.records.reserve(chunk.lineEnds.size());
  chunk.refused = false;
  std::size_t begin = 0;
  for (const std::size_t end : chunk.lineEnds) {
    const std::string_view line(chunk.lines.data() + begin, end - begin);
    begin = end;
    const std::size_t assumedBefore = converter.assumedRuleRecords();
    const std::size_t uncheckedBefore = converter.uncheckedRecords();
    if (!converter.Convert(line)) {
      chunk.refused = true;
      return;
    }
    chunk.output.append(converter.output());
    chunk.records.push_back({chunk.output.size(), converter.group(),
                             converter.assumedRuleRecords() != assumedBefore,
                             converter.uncheckedRecords() != uncheckedBefore});
  }
}

int Pipeline::Write(std::string& message, RecordNotes& notes) {
  RecordNotes seen;
  for (std::uint64_t sequence = 0;; ++sequence) {
    Chunk* chunk = TakeConverted(sequence);
    if (chunk == nullptr) return kRecordsStopped;  // a thread failed; Run throws
    const int end = WriteChunk(*chunk, message, seen);
    Recycle(chunk);
    if (end != kGoOn) {
      if (end == kRecordsWritten) notes = seen;
      return end;
    }
  }
}

int Pipeline::WriteChunk(const Chunk& chunk, std::string& message, RecordNotes& seen) {
  std::size_t begin = 0;
  for (const Chunk::Record& record : chunk.records) {
    const std::string_view line(chunk.output.data() + begin, record.end - begin);
    begin = record.end;
    if (!WriteConvertedRecord(output_, record.group, line, message)) return kRecordsStopped;
    seen.assumedRule += record.assumedRule ? 1 : 0;
    seen.unchecked += record.unchecked ? 1 : 0;
  }
  if (chunk.refused) {
    message = kMalformedInputMessage;
    return kRecordsStopped;
  }
  switch (chunk.after) {
    case LineReader::Next::kLine:
      return kGoOn;
    case LineReader::Next::kEnd:
      return kRecordsWritten;
    case LineReader::Next::kMalformed:
      message = kMalformedInputMessage;
      return kRecordsStopped;
    case LineReader::Next::kReadError:
      message = kMalformedInputMessage;
      return kRecordsInputFailed;
  }
  return kRecordsStopped;
}

Chunk* Pipeline::TakeFreeChunk(std::uint64_t sequence) {
  std::unique_lock lock(mutex_);
  chunkFree_.wait(lock, [&] { return stopping_ || sequence > lastSequence_ || !free_.empty(); });
  if (stopping_ || sequence > lastSequence_) return nullptr;
  Chunk* chunk = free_.back();
  free_.pop_back();
  chunk->sequence = sequence;
  return chunk;
}

void Pipeline::Recycle(Chunk* chunk) {
  {
    std::lock_guard lock(mutex_);
    free_.push_back(chunk);
  }
  chunkFree_.notify_one();
}

Chunk* Pipeline::TakeConverted(std::uint64_t sequence) {
  Chunk*& slot = converted_[sequence % converted_.size()];
  std::unique_lock lock(mutex_);
  chunkConverted_.wait(lock, [&] { return stopping_ || slot != nullptr; });
  if (stopping_) return nullptr;
  Chunk* chunk = slot;
  slot = nullptr;
  return chunk;
}

void Pipeline::Fail(std::exception_ptr exception) {
  {
    std::lock_guard lock(mutex_);
    if (!failure_) failure_ = std::move(exception);
    stopping_ = true;
  }
  chunkFree_.notify_all();
  chunkRead_.notify_all();
  chunkConverted_.notify_all();
}

void Pipeline::StopAndJoin() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  chunkFree_.notify_all();
  chunkRead_.notify_all();
  chunkConverted_.notify_all();
  if (reader_.joinable()) reader_.join();
  for (std::thread& worker : workers_) {
    if (worker.joinable()) worker.join();
  }
}

}  // namespace

std::optional<int> ConvertRecordsOnThreads(ByteSource& input, const RecordLayout& layout,
                                           const BankDirectory& directory, RecordOutput& output,
                                           const RecordLoopOptions& options, std::string& message,
                                           RecordNotes& notes) {
  Pipeline pipeline(input, layout, directory, output, options);
  return pipeline.Run(message, notes);
}

}  // namespace talvenor::batch
