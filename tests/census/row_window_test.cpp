// The census's row pipeline aimed at its hazards: rows valued out of order on several workers must
// come out in input order, each with its own value, never more rows in the ring than its
// capacity, and a writer that gives up must stop the reading and let every worker go home.
#include "census/row_window.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <optional>
#include <thread>
#include <vector>

namespace orvane::census {
namespace {

struct Case {
  std::size_t capacity;
  unsigned workers;
  int rows;
  int stop_at;  // the row whose write says the output takes no more; -1: none
};

// The value of a row, after a pause that differs from row to row, so that the workers finish
// their batches out of order.
long Value(const int& row) {
  std::this_thread::sleep_for(std::chrono::microseconds((row * 7919) % 13 * 20));
  return 3L * row + 1;
}

TEST(RowWindow, WritesEveryRowOnceInInputOrderWithinItsCapacity) {
  // Capacities below, at and above a worker's batch (kRowsPerTake) and the reader's (8 times it).
  const Case cases[] = {{1, 3, 40, -1},     {5, 2, 500, -1}, {kRowsPerTake, 4, 333, -1},
                        {100, 3, 1000, -1}, {64, 2, 0, -1},  {7, 3, 300, 123},
                        {200, 2, 1000, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "capacity " << c.capacity << ", workers " << c.workers
                                    << ", rows " << c.rows << ", stop at " << c.stop_at);
    RowWindow<int, long> window(c.capacity);
    std::vector<std::thread> workers;
    for (unsigned k = 0; k < c.workers; ++k)
      workers.emplace_back([&window] { window.Work(Value); });

    int handed = 0, written = 0;
    bool stopped = false;
    std::size_t most_in_ring = 0;
    std::vector<std::size_t> progress;
    const auto read = [&]() -> std::optional<int> {
      EXPECT_FALSE(stopped) << "a row was read after the output took no more";
      if (handed == c.rows)
        return std::nullopt;
      return handed++;
    };
    const auto write = [&](RowWindow<int, long>::Row& row) {
      EXPECT_EQ(row.input, written);
      EXPECT_EQ(row.output, 3L * written + 1);
      most_in_ring = std::max(most_in_ring, static_cast<std::size_t>(handed - written));
      stopped = written == c.stop_at;
      ++written;
      return !stopped;
    };
    window.Run(read, write, [&](std::size_t done) { progress.push_back(done); });
    for (std::thread& worker : workers) worker.join();

    EXPECT_EQ(written, c.stop_at < 0 ? c.rows : c.stop_at + 1);
    EXPECT_LE(most_in_ring, c.capacity);
    ASSERT_FALSE(progress.empty());
    EXPECT_EQ(progress.front(), 0u);
    EXPECT_EQ(progress.back(), static_cast<std::size_t>(handed));  // every row read is let go
    EXPECT_TRUE(std::is_sorted(progress.begin(), progress.end()));
  }
}

}  // namespace
}  // namespace orvane::census
