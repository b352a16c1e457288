#pragma once

#include <cstdint>

#include "tables/table_store.h"

namespace orvane::tables::detail {

// Read-only view of a TableStore's counters and read cursor, for tests and diagnostics.
struct StoreProbe {
  // Tries of block reads since the store was made, failed ones included.
  static std::int64_t Tries(const TableStore& store) { return store.tries_; }
  // Blocks returned by ReadDataAt since the store was made.
  static std::int64_t BlocksRead(const TableStore& store) { return store.blocks_read_; }
  // Tables read as stored (rule 1 of the decision order) since the store was made.
  static std::int64_t DirectLoads(const TableStore& store) { return store.direct_loads_; }
  // The 1-based position of the next length byte in the cursor's block.
  static std::int32_t BlockPosition(const TableStore& store) { return store.BlockPosition; }
  // The number of the block that the next block load fetches.
  static std::int32_t NextBlock(const TableStore& store) { return store.NextBlock; }
};

}  // namespace orvane::tables::detail
