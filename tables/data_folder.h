// Where the programs find MortalityTables, "Full Yield Curve.xls" and "417e Segment Rates.csv"
// when no folder is named: the current directory, as a user's own data folder and `make run` have
// it, or else the folder the installation put the shipped files in, so that the window opens on
// its data when it is started from the desktop menu.
#pragma once

#include <filesystem>
#include <string_view>

namespace orvane::tables {

// The data folder: `current` when it holds a MortalityTables file, otherwise `installed` when
// that holds one, otherwise `current` (so the data-file question is about the usual place).
// An empty `installed` is never taken. Never throws.
std::filesystem::path DataFolder(const std::filesystem::path& current,
                                 const std::filesystem::path& installed);

// The installed data folder of the running program: `from_bin` (the data folder relative to the
// folder the program file lies in, "../share/orvane") taken from the program file's folder as
// /proc/self/exe names it. Relative, so a package staged under DESTDIR or moved to another
// prefix still finds its data. Empty when the program file cannot be found. Never throws.
std::filesystem::path InstalledDataFolder(std::string_view from_bin);

}  // namespace orvane::tables
