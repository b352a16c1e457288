// The mortality table store of Orvane: the block-structured data file MortalityTables, the
// fields and packed decimals inside its table files, the catalogue of table names and the table
// loader with its projection and blending rules.
//
// Map of this library:
//   table_store.h   TableStore: the read cursor, the block reader with its retry question,
//                   directory lookup, field decoding, GetTableList and LoadTable.
//   table_error.h   the error types of the library.
//   data_file_format.h  the layout of the data file, shared with its writer and checker in
//                   sources/.
//   detail/         the POSIX block read, the projection-year rule and a read-only probe of the
//                   store's counters for tests.
//
// A TableStore is owned by whoever shows the tables (the form model, a tool, a test) and is
// handed the data file's path and the retry question by that owner. Every block read opens the
// file, reads 256 bytes and closes it again, so a file replaced while the program runs is used
// from the next read on. The one thing a store keeps between loads is the improvement scales it
// has parsed, each checked against the data file's identity before every use (see scales_).
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "mortality/improvement_scale.h"
#include "mortality/q_table.h"
#include "tables/data_file_format.h"
#include "tables/detail/file_identity.h"
#include "tables/generational_table.h"
#include "tables/table_error.h"

namespace orvane::tables {

namespace detail {
struct StoreProbe;
}  // namespace detail

// The owner's answer to "Data File not available, retry".
enum class RetryAnswer { kRetry, kCancel };

// Asked after a series of failed block reads (1000 tries, then 999 after every kRetry).
// The window shows a modal message box; tools answer kCancel without asking.
using RetryQuestion = std::function<RetryAnswer()>;

// How many tries of a block read make one series before the retry question is asked. The
// defaults ride out a file that another program is replacing; an owner that would rather hear
// at once (a fuzzer feeding short files, a batch check) may lower them. Counts below 1 count as 1.
struct ReadTries {
  int first_series = 1000;
  int later_series = 999;
};

// One used entry of the directory (its start block above 0).
struct DirectoryEntry {
  std::int32_t block = 0;  // directory block
  int entry = 0;           // 1..16 within the block
  std::string name;        // the 8 stored characters
  std::int32_t start = 0;  // start block of the table file
};

// The thirteen arguments of LoadTable under their own names.
struct TableRequest {
  std::string TableName;  // a chooser's text; its first 8 characters name the table
  bool DontProjTable = true;
  bool ProjToValuation = false;
  bool ProjToRetirement = false;
  bool ProjToPayment = false;
  bool BlendAnn = false;
  bool BlendSex = false;
  int RetirementYear = 2008;
  int ValuationYear = 2008;
  bool Male = true;
  int YearOfBirth = 1943;
  bool Pre = false;
  bool FollowPreamble = false;
  // The year of birth of the life the table describes (the spouse's for a contingent table),
  // which only a generational table reads. The projections above follow YearOfBirth instead.
  std::optional<int> LifeYearOfBirth{};

  // The name of the table: the first 8 characters of TableName.
  std::string Name() const { return TableName.substr(0, format::kNameLength); }
  // Whether LoadTable reads the named table as it stands and looks at no other field: "No
  // Projection" is chosen, or the name is exactly "None" (no mortality in that role, never
  // projected; "None    " from a chooser's list is an ordinary table).
  bool IsDirect() const { return DontProjTable || Name() == "None"; }
};

class TableStore {
 public:
  static constexpr int kBlockSize = format::kBlockSize;

  // A store reading `data_file`, asking `ask` (empty: Cancel) after each series of `tries`
  // failed block reads. Reads nothing yet; never throws but std::bad_alloc.
  TableStore(std::filesystem::path data_file, RetryQuestion ask, ReadTries tries = {});

  const std::filesystem::path& data_file() const { return data_file_; }

  // The 256 bytes of block `location`. Retries and asks as described above; throws
  // DataFileUnavailable when the answer is kCancel.
  std::string ReadDataAt(std::int32_t location);

  // Big-endian unsigned value of the first `length` characters of data (0 for empty data;
  // characters beyond the data count as absent). Meant for lengths 0 to 4. Never throws.
  static std::uint32_t AscValue(std::string_view data, int length);

  // Start block of the table file `name` (first 8 characters, blank-padded), 0 when absent.
  // Scans the directory from block 0; throws DataFileUnavailable as ReadDataAt does.
  std::int32_t LocationFile(std::string_view name);

  // Trims `name`, looks it up and positions the read cursor on the table file's first block.
  // Returns the start block, or 0 for a blank name (nothing read) or an absent one (the cursor
  // then holds block 0). Throws DataFileUnavailable as ReadDataAt does.
  std::int32_t OpenFile(std::string_view name);

  // Loads block NextBlock into the read cursor and moves NextBlock on. Throws
  // DataFileUnavailable as ReadDataAt does.
  void OpenFileReadNext();

  // `temp` without leading and trailing blanks (code 32 only); `temp` itself is trimmed as
  // well. Never throws but std::bad_alloc.
  static std::string ClearBlanks(std::string& temp);

  // The next field of the open table file, loading the next block after a continuation marker.
  // Throws TableError naming the data file, the table and the block for a malformed field (a
  // length byte below 128, a missing marker, a marker at byte 2, a field past byte 255) and when
  // no table file is open; never reads outside the block.
  std::string ReadString();

  // Packed decimal digits of the first `length` bytes of data, divided by 10^decimal_position
  // (rates: 3 bytes, position 6). Half-bytes above 9 count their face value. Throws TableError
  // when data holds fewer than `length` bytes.
  static double UnPack(std::string_view data, int length, int decimal_position);

  // The used directory entries in directory order. Throws DataFileUnavailable as ReadDataAt.
  std::vector<DirectoryEntry> ReadDirectory();

  // The catalogue's names as stored (8 characters each) up to its first blank name, at most
  // 320; empty without a catalogue "INDEX13 ". Throws DataFileUnavailable as ReadDataAt does.
  std::vector<std::string> CatalogueNames();

  // The chooser entries in catalogue order: the 8-character name, a blank and the description;
  // the bare name when the directory lacks the table; empty without a catalogue "INDEX13 ".
  // Throws TableError for a malformed description field, DataFileUnavailable as ReadDataAt.
  std::vector<std::string> GetTableList();

  // The table that the request selects, built as the decision order says: rates as fractions
  // for ages 1..120, 1 at every age for a blank or absent name. Throws TableError for a
  // malformed table file, a request with no projection flag at all, or a projection without a
  // finite result; DataFileUnavailable as ReadDataAt does.
  mortality::QTable LoadTable(const TableRequest& request);

  // Whether the data file's table `name` is generational (its rates follow the life's year of
  // birth); false for a table the file lacks. Throws DataFileUnavailable as ReadDataAt does.
  bool IsGenerational(std::string_view name);

 private:
  friend struct detail::StoreProbe;

  // Rules of the decision order; each builds its table from further LoadTable calls.
  mortality::QTable DirectLoad(const std::string& name8, std::optional<int> life_year_of_birth);
  // The cohort of a generational table whose base the open table file held
  // (generational_loading.cpp).
  mortality::QTable GenerationalLoad(const std::string& name8, const mortality::QTable& base,
                                     const std::string& scale8,
                                     std::optional<int> life_year_of_birth);
  // The years and rates of the scale whose field 1 the cursor has just read.
  mortality::ImprovementScale ReadScale(const std::string& scale_name,
                                        const mortality::ScaleRange& range);
  mortality::QTable SexBlend(const TableRequest& request);
  mortality::QTable AnnuitantBlend(const TableRequest& request);
  mortality::QTable PreambleAdjustment(const TableRequest& request);
  mortality::QTable Projection(const TableRequest& request);

  // Positions the read cursor on the table file `name` (trimmed) that starts at block `start`.
  void OpenAt(std::int32_t start, const std::string& name);

  // A TableError for the open table file and the block in the cursor.
  [[noreturn]] void Malformed(const std::string& what) const;

  std::filesystem::path data_file_;
  RetryQuestion ask_;
  ReadTries read_tries_;
  // The read cursor.
  std::string BlockBuffer;
  std::int32_t BlockPosition = 1;
  std::int32_t NextBlock = 0;
  // The trimmed name given to the last OpenFile, for error messages.
  std::string open_table_;
  // The improvement scales parsed from the version of the data file that scales_version_
  // identifies, by trimmed name and start block. A scale is some 140 blocks, too many to read for
  // every generational table of every recalculation; a file replaced or rewritten since has
  // another identity, which empties the map, so the next load reads the new file.
  std::optional<detail::FileIdentity> scales_version_;
  std::map<std::pair<std::string, std::int32_t>, mortality::ImprovementScale> scales_;
  // Counters for tests and tools: tries of block reads, blocks returned, direct loads.
  std::int64_t tries_ = 0;
  std::int64_t blocks_read_ = 0;
  std::int64_t direct_loads_ = 0;
};

}  // namespace orvane::tables
