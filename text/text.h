// Plain text helpers of Orvane, below every other library: what reads a file of text or shows a
// piece of one in a message.
//
// Map of this library:
//   text.h   Trim, Quoted and WholeNumber: the blanks around a cell, a text shown in quotes in a
//            message, a whole number read from a cell.
//   csv.h    CsvReader: the comma-separated values that spreadsheets write, read one record at
//            a time (the census file and the table sources), and CsvLine to write them.
//
// Nothing here throws but std::bad_alloc; what a text means is for the caller to judge.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace orvane::text {

// The blanks a spreadsheet cell may carry around its text.
inline constexpr std::string_view kCellBlanks = " \t";

// `text` without the characters of `blanks` at either end; a view into `text`.
std::string_view Trim(std::string_view text, std::string_view blanks = kCellBlanks);

// The text in double quotes, for messages: Quoted("M-Proj") is "\"M-Proj\"".
std::string Quoted(std::string_view text);

// The whole number that `text` holds, digits with an optional leading "-" and nothing around
// them; nothing for any other text or a number outside int.
std::optional<int> WholeNumber(std::string_view text);

}  // namespace orvane::text
