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
#include <string>
#include <string_view>
#include <system_error>

namespace orvane::fuzz {

// Ends the run as a crash, which libFuzzer records with the input that caused it. For broken
// contracts that are not sanitizer findings: a NaN let out, an error type nobody documented.
[[noreturn]] inline void Fail(const std::string& what) {
  std::fprintf(stderr, "fuzz check failed: %s\n", what.c_str());
  std::abort();
}

// A folder of this process's own holding one file of a fixed name, rewritten by every run and
// removed with the folder when the process exits. The libraries look their files up by name,
// so the folder is also the data folder a run points them at. Kept in /dev/shm where it exists:
// the table store opens the file once per block read.
class ScratchFile {
 public:
  explicit ScratchFile(std::string_view name) {
    std::error_code ignored;
    std::filesystem::path base = "/dev/shm";
    if (!std::filesystem::is_directory(base, ignored))
      base = std::filesystem::temp_directory_path();
    RemoveFoldersOfEndedProcesses(base);
    folder_ = base / (std::string(kPrefix) + std::to_string(::getpid()));
    std::filesystem::create_directories(folder_);
    file_ = folder_ / name;
  }
  ~ScratchFile() {
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
  }
  ScratchFile(const ScratchFile&) = delete;
  ScratchFile& operator=(const ScratchFile&) = delete;

  // Replaces the file's content with the run's bytes.
  void Write(const std::uint8_t* data, std::size_t size) const {
    std::ofstream out(file_, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    out.close();
    if (!out)
      Fail("cannot write the scratch file " + file_.string());
  }

  const std::filesystem::path& folder() const { return folder_; }
  const std::filesystem::path& path() const { return file_; }

 private:
  static constexpr std::string_view kPrefix = "orvane-fuzz-";

  // A run that crashes never removes its folder, and in fork mode every crash is a process of
  // its own; the next process clears the folders whose process has ended.
  static void RemoveFoldersOfEndedProcesses(const std::filesystem::path& base) {
    std::error_code ignored;
    for (const auto& entry : std::filesystem::directory_iterator(base, ignored)) {
      const std::string name = entry.path().filename().string();
      if (name.rfind(kPrefix, 0) != 0)
        continue;
      const std::string digits = name.substr(kPrefix.size());
      if (digits.empty() || digits.find_first_not_of("0123456789") != std::string::npos)
        continue;
      const long pid = std::strtol(digits.c_str(), nullptr, 10);
      if (::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH)
        std::filesystem::remove_all(entry.path(), ignored);
    }
  }

  std::filesystem::path folder_;
  std::filesystem::path file_;
};

}  // namespace orvane::fuzz
