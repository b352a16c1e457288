// The data-file question of the window: asked when the data file cannot be read, with where it
// was looked for, answered Retry or Cancel.
#pragma once

#include <filesystem>

#include <QString>

#include "tables/table_store.h"

class QWidget;

namespace orvane::window {

// Shows "Data File not available, retry" in a modal box titled "Orvane" with OK and Cancel, and
// `detail` (the file and the folders where it was looked for) under it, and returns the answer
// (OK: kRetry, Cancel or closing the box: kCancel). Does not throw.
tables::RetryAnswer AskDataFileRetry(QWidget* parent, const QString& detail = {});

// The detail of the data-file question: the file read, and the folders it was looked for in as
// the data folder is chosen (the current folder, then `installed` unless empty), all absolute.
QString DataFileWhereabouts(const std::filesystem::path& file,
                            const std::filesystem::path& installed);

}  // namespace orvane::window
