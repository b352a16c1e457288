#pragma once

// The SOA's XTbML table files, as mort.soa.org serves them:
//
//   <XTbML>
//     <ContentClassification> <TableIdentity>2801</TableIdentity> <TableName>...</TableName> ...
//     <Table>                                        one or more
//       <MetaData> <ScalingFactor>0</ScalingFactor> <TableDescription>...</TableDescription>
//                  <AxisDef id="Age"> ... </AxisDef>  one per axis, the outer axis first
//       <Values>
//         one axis:   <Axis> <Y t="1">0.000380</Y> ... </Axis>
//         two axes:   <Axis t="20"> <Axis> <Y t="1951">-0.0148</Y> ... </Axis> </Axis> ...
//
// The reader keeps every rate as its text, so a caller can read it exactly (decimal_rate.h).

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace orvane::sources {

// One <Y> element: the keys of its outer and, for a two-axis table, inner axis, and its text.
struct XtbmlValue {
  int outer = 0;
  int inner = 0;  // 0 in a one-axis table
  std::string text;
};

struct XtbmlTable {
  int number = 0;                 // 1-based position in the file
  std::string description;        // MetaData/TableDescription
  std::string scaling_factor;     // MetaData/ScalingFactor as written; empty when absent
  std::vector<std::string> axes;  // the AxisDef ids, outer first ("Age", "Duration", "Year")
  std::vector<XtbmlValue> values;
};

struct XtbmlFile {
  std::string identity;  // ContentClassification/TableIdentity
  std::string name;      // ContentClassification/TableName
  std::vector<XtbmlTable> tables;
};

// Reads XTbML from `bytes` (UTF-8, with or without a byte order mark). Throws SourceError starting
// with `origin` for malformed XML (with the line), a root other than XTbML, a file without
// tables, a table whose values do not follow its axes, and a key ("t") that is not a whole
// number.
XtbmlFile ParseXtbml(std::string_view bytes, const std::string& origin);

// ParseXtbml of the file's content; throws SourceError naming the file when it cannot be read.
XtbmlFile ReadXtbmlFile(const std::filesystem::path& file);

}  // namespace orvane::sources
