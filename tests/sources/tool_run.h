#pragma once

// What the tests of tests/sources share: the project's own files, orvane-tables run as a user
// runs it, and published CSV tables read with plain code of their own.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace orvane::sources::testing {

inline std::filesystem::path Source(const std::string& relative) {
  const char* dir = std::getenv("ORVANE_SOURCE_DIR");
  EXPECT_NE(dir, nullptr) << "ORVANE_SOURCE_DIR is not set";
  return std::filesystem::path(dir == nullptr ? "." : dir) / relative;
}

inline std::string Slurp(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

struct Outcome {
  int exit_code = -1;
  std::string out;
  std::string err;
};

// Runs orvane-tables with `arguments` (quoted where needed) in `folder`; its output goes
// through files in `scratch`.
inline Outcome RunTool(const std::string& arguments, const std::filesystem::path& scratch,
                       const std::filesystem::path& folder = ".") {
  const std::string out = (scratch / "out").string(), err = (scratch / "err").string();
  const std::string command = "cd '" + folder.string() + "' && '" + ORVANE_TABLES_TOOL + "' " +
                              arguments + " >'" + out + "' 2>'" + err + "'";
  const int status = std::system(command.c_str());
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, Slurp(out), Slurp(err)};
}

// The non-empty cells of a CSV table by column header and age, from its row beginning with
// "Age" or "age" on (the IRS files open with a line of their own).
inline std::map<std::string, std::map<int, double>> Columns(const std::filesystem::path& file) {
  std::istringstream in(Slurp(file));
  std::map<std::string, std::map<int, double>> columns;
  std::vector<std::string> header;
  for (std::string line; std::getline(in, line);) {
    std::vector<std::string> cells;
    std::stringstream split(line);
    for (std::string cell; std::getline(split, cell, ',');) cells.push_back(cell);
    if (!header.empty()) {
      for (std::size_t c = 1; c < cells.size() && c < header.size(); ++c) {
        if (cells[c].find_first_of("0123456789") != std::string::npos)
          columns[header[c]][std::stoi(cells[0])] = std::stod(cells[c]);
      }
    } else if (!cells.empty() && (cells[0] == "Age" || cells[0] == "age")) {
      header = cells;
    }
  }
  return columns;
}

// A rate in millionths as the data file holds it: a published 1 is 0.999999.
inline long Micro(double rate) {
  return std::min(999999L, std::lround(rate * 1e6));
}

}  // namespace orvane::sources::testing
