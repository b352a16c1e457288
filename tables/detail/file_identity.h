#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>

namespace orvane::tables::detail {

// What tells one version of a file from another: a file replaced by a rename has a new inode, one
// rewritten in place a new size or modification time (kept to the nanosecond).
struct FileIdentity {
  std::uint64_t device = 0;
  std::uint64_t inode = 0;
  std::int64_t size = 0;
  std::int64_t mtime_seconds = 0;
  std::int64_t mtime_nanoseconds = 0;

  bool operator==(const FileIdentity&) const = default;
};

// The identity of `file` from one stat(), following symbolic links; nothing when it cannot be
// read. Never throws.
std::optional<FileIdentity> IdentityOf(const std::filesystem::path& file);

// Whether the modification time is under two seconds old (or ahead of the clock). A file system
// stamps times by a coarse tick (a few milliseconds; two seconds on FAT), so a file rewritten in
// place at its old size within one tick keeps its identity: a version this fresh is not to be
// trusted to tell changes apart. Never throws.
bool IsRecent(const FileIdentity& identity);

}  // namespace orvane::tables::detail
