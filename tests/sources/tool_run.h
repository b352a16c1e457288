#pragma once

// What the tests of tests/sources share: the project's own files and orvane-tables run as a user
// runs it.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace orvane::sources::testing {

inline std::filesystem::path Source(const std::string& relative) {
  const char* dir = std::getenv("ORVANE_SOURCE_DIR");  // set by the test's CMake helper
  return std::filesystem::path(dir == nullptr ? "." : dir) / relative;
}

inline std::string Slurp(const std::filesystem::path& file) {
  std::stringstream text;
  text << std::ifstream(file, std::ios::binary).rdbuf();
  return text.str();
}

struct Outcome {
  int exit_code = -1;
  std::string out, err;
};

// Runs orvane-tables with `arguments` (quoted where needed) in `folder`; its output goes
// through files in `scratch`.
inline Outcome RunTool(const std::string& arguments, const std::filesystem::path& scratch,
                       const std::filesystem::path& folder = ".") {
  const std::string out = (scratch / "out").string(), err = (scratch / "err").string();
  const int status = std::system(("cd '" + folder.string() + "' && '" + ORVANE_TABLES_TOOL + "' " +
                                  arguments + " >'" + out + "' 2>'" + err + "'")
                                     .c_str());
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, Slurp(out), Slurp(err)};
}

}  // namespace orvane::sources::testing
