#include "tables/detail/block_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "tables/data_file_format.h"

namespace orvane::tables::detail {
namespace {

constexpr std::int64_t kBlockSize = format::kBlockSize;

// Closes the descriptor on every path out of the try.
class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : fd_(fd) {}
  ~FileDescriptor() {
    if (fd_ >= 0)
      ::close(fd_);
  }
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  int get() const { return fd_; }

 private:
  int fd_;
};

}  // namespace

bool TryReadBlock(const std::filesystem::path& file, std::int32_t location, std::string& buffer) {
  if (location < 0 || buffer.size() < static_cast<std::size_t>(kBlockSize))
    return false;
  // A plain read-only open takes no lock, so another program may replace the file at any time;
  // the next try then opens the new file. Without O_NONBLOCK a FIFO would hold the open until a
  // writer came; it, a device or a folder is no data file and fails the try at once.
  const FileDescriptor fd(::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  struct stat info {};
  if (fd.get() < 0 || ::fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode))
    return false;
  const off_t offset = static_cast<off_t>(location) * kBlockSize;
  std::int64_t done = 0;
  while (done < kBlockSize) {
    const ssize_t got = ::pread(fd.get(), buffer.data() + done,
                                static_cast<std::size_t>(kBlockSize - done), offset + done);
    if (got < 0 && errno == EINTR)
      continue;
    if (got <= 0)
      return false;  // an error, or the end of the file inside the block
    done += got;
  }
  return true;
}

}  // namespace orvane::tables::detail
