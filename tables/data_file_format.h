// The layout of the data file MortalityTables, in one place for its reader (the table store)
// and its writer and checker (sources/, run by orvane-tables):
//
//   block          256 bytes; block n at byte 256 n; at most 65,536 blocks
//   directory      blocks 0..L (L = bytes 0-1 of block 0, big-endian), 16 entries of 16 bytes;
//                  an entry's bytes 2-3 hold its start block, bytes 8-15 its name
//   name           8 single-byte characters, padded on the right with blanks
//   catalogue      the table file "INDEX13 ": up to 10 blocks of 32 names, ended by a blank name
//   table file     fields from byte 2 of each block: a length byte 128 + n, then n bytes; a
//                  length byte above 252 continues the file in the next block
//   table content  field 1 unread, field 2 the description, fields 3-122 the value of ages
//                  1-120 as 3 packed-decimal bytes with 6 decimals
// A name is found by scanning the directory from block 0, one block read per 16 entries.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "mortality/packed_decimal.h"
#include "mortality/table_name.h"

namespace orvane::tables::format {

inline constexpr int kBlockSize = 256;
inline constexpr std::int64_t kMostBlocks = 65536;

inline constexpr std::size_t kNameLength = mortality::kNameLength;
inline constexpr std::string_view kBlankName = "        ";
inline constexpr std::string_view kCatalogueName = "INDEX13 ";

inline constexpr int kEntriesPerBlock = 16;
inline constexpr int kEntryLength = 16;
inline constexpr std::size_t kEntryStartAt = 2;
inline constexpr std::size_t kEntryNameAt = 8;

inline constexpr int kCatalogueBlocks = 10;
inline constexpr int kNamesPerCatalogueBlock = 32;
inline constexpr int kLongestCatalogue = kCatalogueBlocks * kNamesPerCatalogueBlock;

inline constexpr int kLengthBase = 128;
inline constexpr int kLongestField = 124;  // the largest length byte that is not a marker
inline constexpr int kFirstFieldAt = 2;    // 0-based byte of a block's first length byte

// The tables the loader opens by name, one of each pair for each sex: what the projections and
// blends build from.
struct TablePair {
  std::string_view male;
  std::string_view female;
  constexpr std::string_view Of(bool male_life) const { return male_life ? male : female; }
};
inline constexpr TablePair kNonannuitantBase = {"M-N-Base", "F-N-Base"};  // of the year 2000
inline constexpr TablePair kAnnuitantBase = {"M-A-Base", "F-A-Base"};     // of the year 2000
inline constexpr TablePair kImprovementScale = {"M-Proj  ", "F-Proj  "};
inline constexpr TablePair kAnnuitantWeights = {"M Weight", "F Weight"};  // annuitant share by age
inline constexpr std::string_view kNoneTable = "None    ";  // the pre-retirement default

// Every table the loader opens by name; the data file must hold them all.
inline constexpr std::string_view kLoaderTables[] = {kNoneTable,
                                                     kNonannuitantBase.male,
                                                     kNonannuitantBase.female,
                                                     kAnnuitantBase.male,
                                                     kAnnuitantBase.female,
                                                     kImprovementScale.male,
                                                     kImprovementScale.female,
                                                     kAnnuitantWeights.male,
                                                     kAnnuitantWeights.female};

inline constexpr int kAges = 120;
inline constexpr int kRateBytes = mortality::kRateBytes;
inline constexpr int kRateDecimals = mortality::kRateDecimals;

// The length byte that the writer puts after a block's last field when the table file goes on
// in the next block; the reader takes any length byte above kLengthBase + kLongestField.
inline constexpr int kContinuationMarker = 255;

}  // namespace orvane::tables::format
