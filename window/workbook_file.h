// Where the window writes an exported workbook: a new file in the temporary folder, never one
// that exists.
#pragma once

#include <QString>

namespace orvane::window {

// A new, empty file "<stem> <yyyyMMdd-HHmmss>-<n>.xlsx" in `folder`, created exclusively so that
// no earlier workbook (of this or another running window) is ever overwritten; empty when the
// folder takes no new file. Does not throw.
QString ReserveWorkbookFile(const QString& folder, const QString& stem);

}  // namespace orvane::window
