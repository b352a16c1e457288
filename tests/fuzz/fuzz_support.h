// Helpers shared by the fuzz targets: a per-process scratch file that each run overwrites, and a
// way to stop the run with a message when a library breaks its own contract.
#pragma once

#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <string_view>
#include <system_error>

namespace orvane::fuzz {

// Ends the run as a crash, which libFuzzer records with the input that caused it, printing the
// parts of the message one after the other. For broken contracts that are not sanitizer findings:
// a NaN let out, an error type nobody documented.
template <typename... Parts>
[[noreturn]] void Fail(const Parts&... parts) {
  std::ostringstream what;
  (what << ... << parts);
  std::fprintf(stderr, "fuzz check failed: %s\n", what.str().c_str());
  std::abort();
}

// Fails unless the contract holds; the parts are only printed, so passing them costs nothing.
template <typename... Parts>
void Check(bool holds, const Parts&... parts) {
  if (!holds)
    Fail(parts...);
}

// One file of a fixed name in a folder of this process's own (the libraries look their files up
// by name), rewritten by every run and removed with the folder when the process exits. Kept in
// /dev/shm where it exists: the table store opens the file once per block read.
class ScratchFile {
 public:
  explicit ScratchFile(std::string_view name) {
    std::error_code ignored;
    const std::filesystem::path base = std::filesystem::is_directory("/dev/shm", ignored)
                                           ? "/dev/shm"
                                           : std::filesystem::temp_directory_path();
    // A crashed run never removes its folder (in fork mode every crash is a process of its
    // own): the folders of ended processes go first.
    for (const auto& entry : std::filesystem::directory_iterator(base, ignored)) {
      const std::string folder = entry.path().filename().string();
      if (folder.rfind("orvane-fuzz-", 0) == 0 && ::kill(std::atoi(folder.c_str() + 12), 0) != 0 &&
          errno == ESRCH)
        std::filesystem::remove_all(entry.path(), ignored);
    }
    folder_ = base / ("orvane-fuzz-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder_);
    file_ = folder_ / name;
  }
  ~ScratchFile() {
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
  }

  // Replaces the file's content with the run's bytes.
  void Write(const std::uint8_t* data, std::size_t size) const {
    std::ofstream out(file_, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    out.close();
    Check(static_cast<bool>(out), "cannot write the scratch file ", file_.string());
  }
  const std::filesystem::path& path() const { return file_; }

 private:
  std::filesystem::path folder_, file_;
};

}  // namespace orvane::fuzz
