#pragma once

// Two-dimensional improvement scales (age x calendar year, such as Scale MP-2021) and the
// generational tables improved by them, as the data file's sources give them:
//
//   a scale           an XTbML table with the axes Age and Year (t3611, t3612), or a CSV of
//                     that shape: a header row "Age,1951,1952,...", then one row per age with
//                     one rate per year (what `orvane-tables import --scale` writes);
//   the scale list    data/tables/improvement_scales.csv:
//                       scale,source,table,generational
//                       MP2021M,published/xtbml/t3612.xml,1,PriEM-G PriRM-G PriCM-G
//                     each row names a scale, its source (relative to the list; table = the
//                     XTbML table number, empty for a CSV) and the tables, separated by blanks,
//                     whose rates are the 2012 base of generational tables on that scale.
//
// How a scale and a generational table are laid out in the data file is described in
// tables/generational_table.h; this file builds those table files.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "mortality/improvement_scale.h"
#include "sources/csv_file.h"
#include "sources/table_sources.h"
#include "sources/xtbml_file.h"

namespace orvane::sources {

// The scale in table `table_number` of an XTbML file, named `origin`: the one reader of the SOA's
// scale files (t3611, t3612), for the data file and for the IRS construction. Throws SourceError
// starting with `origin` for a table whose axes are not Age and Year, an age or year missing
// inside the table's range (a gap), a rate that is not a number or has more than six decimals,
// and one outside -0.5 to 0.499999.
mortality::ImprovementScale ScaleFromXtbml(const XtbmlFile& file, int table_number,
                                           const std::string& origin);

// The scale in a CSV of ages by years, as above. Throws SourceError naming the file and line.
mortality::ImprovementScale ScaleFromCsv(const std::filesystem::path& file);

// The scale as a CSV of ages by years.
std::string ScaleCsvText(const mortality::ImprovementScale& scale);

// Reads the scale list `file` (already read into `rows`, header first) and adds each scale as
// a table file to `sources`, marking the tables it names as generational on it. The tables may
// come from files read later; AssembleDataFile's checks see a name that no file gives. Throws
// SourceError naming the list's line for a bad row, a scale name given twice or a table named by
// two scales.
void ReadImprovementScaleList(const std::filesystem::path& file, const std::vector<CsvRow>& rows,
                              SourceSet& sources);

// Gives the tables that `sources.generational` names their field-1 mark; throws SourceError for a
// name no source gives. Called once every source file is read.
void MarkGenerationalTables(SourceSet& sources);

}  // namespace orvane::sources
