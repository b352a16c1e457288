#include "tables/detail/file_identity.h"

#include <sys/stat.h>

#include <ctime>

namespace orvane::tables::detail {

std::optional<FileIdentity> IdentityOf(const std::filesystem::path& file) {
  struct stat status {};
  if (::stat(file.c_str(), &status) != 0)
    return std::nullopt;
  return FileIdentity{
      static_cast<std::uint64_t>(status.st_dev), static_cast<std::uint64_t>(status.st_ino),
      static_cast<std::int64_t>(status.st_size), static_cast<std::int64_t>(status.st_mtim.tv_sec),
      static_cast<std::int64_t>(status.st_mtim.tv_nsec)};
}

bool IsRecent(const FileIdentity& identity) {
  constexpr std::int64_t kMargin = 2'000'000'000;  // nanoseconds
  timespec now{};
  ::clock_gettime(CLOCK_REALTIME, &now);
  const std::int64_t age =
      (static_cast<std::int64_t>(now.tv_sec) - identity.mtime_seconds) * 1'000'000'000 +
      (static_cast<std::int64_t>(now.tv_nsec) - identity.mtime_nanoseconds);
  return age < kMargin;
}

}  // namespace orvane::tables::detail
