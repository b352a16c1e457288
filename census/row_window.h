// The ordered, bounded row pipeline of a census: rows are read on the calling thread, valued on
// worker threads in batches, and written back on the calling thread in input order, through a
// ring of slots that holds at most its capacity of rows however long the input. Knows nothing
// of CSV or of the form: the census hands it a reader, a valuer and a writer.
#pragma once

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <optional>
#include <utility>
#include <vector>

namespace orvane::census {

// Rows a worker takes at a time: few enough to keep both cores busy to the end, enough to keep
// the shared counter out of the way.
inline constexpr std::size_t kRowsPerTake = 32;

template <typename Input, typename Output>
class RowWindow {
 public:
  struct Row {
    Input input;
    Output output;
    bool done = false;
  };

  // A window of `capacity` rows (at least 1).
  explicit RowWindow(std::size_t capacity) : slots_(std::max<std::size_t>(capacity, 1)) {}

  // A worker's loop: values the rows read and not yet taken until the reading is over.
  // `value(const Input&)` returns the Output and may run on several workers at once.
  template <typename Value>
  void Work(Value&& value) {
    std::unique_lock lock(mutex_);
    for (;;) {
      rows_read_.wait(lock, [this] { return taken_ < read_ || finished_; });
      if (taken_ >= read_)
        return;
      const std::size_t begin = taken_;
      const std::size_t end = std::min(read_, begin + kRowsPerTake);
      taken_ = end;
      lock.unlock();
      for (std::size_t i = begin; i < end; ++i) {
        Row& row = Slot(i);
        row.output = value(std::as_const(row.input));
      }
      lock.lock();
      for (std::size_t i = begin; i < end; ++i) Slot(i).done = true;
      // The writer is woken only for the row it waits for: a wake-up is a system call.
      if (awaited_ >= begin && awaited_ < end)
        rows_done_.notify_one();
    }
  }

  // The reading and writing, on the calling thread, until every row read is written. `read()`
  // gives the next Input or nothing at the end. `write(Row&)` takes a valued row and tells
  // whether the output still takes more; after its first false nothing more is read or written.
  // `progress` is told the rows written, every tenth of a second at most, and at the end.
  template <typename Read, typename Write, typename Progress>
  void Run(Read&& read, Write&& write, Progress&& progress) {
    bool more_input = true;
    bool writing = true;
    std::size_t written = 0;
    auto drawn = std::chrono::steady_clock::now();
    progress(std::size_t{0});
    for (;;) {
      // read_ changes only on this thread, so it is read here without the lock.
      std::size_t added = 0;
      while (more_input && read_ + added - written < slots_.size() && added < kRowsPerTake * 8) {
        std::optional<Input> input = read();
        if (!input) {
          more_input = false;
          break;
        }
        Row& row = Slot(read_ + added);
        row.input = std::move(*input);
        row.output = Output();
        row.done = false;
        ++added;
      }
      {
        const std::lock_guard lock(mutex_);
        read_ += added;
        finished_ = !more_input;
      }
      rows_read_.notify_all();

      for (;;) {
        {
          const std::lock_guard lock(mutex_);
          if (written == read_ || !Slot(written).done)
            break;
        }
        if (writing && !write(Slot(written))) {
          writing = false;
          more_input = false;
          {
            const std::lock_guard lock(mutex_);
            finished_ = true;
          }
          // Idle workers wait for rows that will not come now; without this they wait forever.
          rows_read_.notify_all();
        }
        Slot(written).input = Input();  // the slot's memory goes back before the row is reused
        ++written;
      }
      if (!more_input && written == read_)
        break;
      const auto now = std::chrono::steady_clock::now();
      if (now - drawn >= kProgressStep) {
        progress(written);
        drawn = now;
      }
      if (!more_input || read_ - written >= slots_.size()) {
        std::unique_lock lock(mutex_);
        awaited_ = written;
        rows_done_.wait_for(lock, kProgressStep, [&] { return Slot(written).done; });
        awaited_ = kNoRow;
      }
    }
    progress(written);
  }

 private:
  static constexpr auto kProgressStep = std::chrono::milliseconds(100);

  Row& Slot(std::size_t row) { return slots_[row % slots_.size()]; }

  std::vector<Row> slots_;
  std::mutex mutex_;
  std::condition_variable rows_read_;
  std::condition_variable rows_done_;
  static constexpr std::size_t kNoRow = static_cast<std::size_t>(-1);
  std::size_t awaited_ = kNoRow;  // the row the writer waits for, if it waits
  std::size_t read_ = 0;          // rows put into the window so far
  std::size_t taken_ = 0;         // rows a worker has taken
  bool finished_ = false;         // nothing more will be read
};

}  // namespace orvane::census
