// ReadFirstSheet on FreeXL, which reads the BIFF (.xls) workbooks of Excel 97 to 2003.
//
// FreeXL 1.0.6 (Debian 12) faults on some damaged workbooks inside its own code (an invalid free,
// over-reads); a workbook the user drops into the data folder must never take the window down
// with it. So the workbook is read in a child process that hands the cells back through a pipe:
// a child that crashes, hangs or is killed becomes a SheetError.
#include <fcntl.h>
#include <freexl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <mutex>
#include <string>
#include <string_view>

#include "sheets/sheet_error.h"
#include "sheets/workbook.h"
#include "text/text.h"

// Present only in sanitizer builds.
extern "C" void __sanitizer_set_death_callback(void (*callback)()) __attribute__((weak));

namespace orvane::sheets {
namespace {

using text::Quoted;

// What a FreeXL return code means to a user.
std::string Reason(int code) {
  switch (code) {
    case FREEXL_FILE_NOT_FOUND:
      return "the file does not exist or cannot be opened";
    case FREEXL_INSUFFICIENT_MEMORY:
      return "there is not enough memory to read it";
    case FREEXL_BIFF_WORKBOOK_NOT_FOUND:
    case FREEXL_BIFF_ILLEGAL_SHEET_INDEX:
      return "it holds no worksheet";
    case FREEXL_CRAFTED_FILE:
      return "the file is severely damaged";
    default:
      return "it is not a readable Excel 97-2003 workbook (.xls) (code " + std::to_string(code) +
             ")";
  }
}

// Owns a FreeXL handle; FreeXL wants freexl_close even after a failed open.
class Handle {
 public:
  Handle() = default;
  ~Handle() {
    if (handle_ != nullptr) {
      freexl_close(handle_);
    }
  }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  const void** Out() { return &handle_; }
  const void* Get() const { return handle_; }

 private:
  const void* handle_ = nullptr;
};

}  // namespace

const Cell& UsedRange::At(int row, int column) const {
  static const Cell kNothing;
  if (row < 0 || column < 0 || row >= rows || column >= columns) {
    return kNothing;
  }
  return cells[static_cast<std::size_t>(row) * columns + column];
}

namespace detail {

UsedRange ReadFirstSheetInProcess(const std::filesystem::path& file) {
  const std::string name = Quoted(file.string());
  const auto fail = [&](int code) {
    return SheetError("cannot read the workbook " + name + ": " + Reason(code));
  };
  Handle handle;
  if (int code = freexl_open(file.string().c_str(), handle.Out()); code != FREEXL_OK) {
    throw fail(code);
  }
  unsigned int password = FREEXL_UNKNOWN;
  if (freexl_get_info(handle.Get(), FREEXL_BIFF_PASSWORD, &password) == FREEXL_OK &&
      password == FREEXL_BIFF_OBFUSCATED) {
    throw SheetError("cannot read the workbook " + name + ": it is protected by a password");
  }
  if (int code = freexl_select_active_worksheet(handle.Get(), 0); code != FREEXL_OK) {
    throw fail(code);
  }
  unsigned int rows = 0;
  unsigned short columns = 0;
  if (int code = freexl_worksheet_dimensions(handle.Get(), &rows, &columns); code != FREEXL_OK) {
    throw fail(code);
  }
  UsedRange range;
  range.rows = static_cast<int>(rows);
  range.columns = columns;
  range.cells.resize(static_cast<std::size_t>(rows) * columns);
  for (unsigned int row = 0; row < rows; ++row) {
    for (unsigned short column = 0; column < columns; ++column) {
      FreeXL_CellValue value;
      if (int code = freexl_get_cell_value(handle.Get(), row, column, &value); code != FREEXL_OK) {
        throw SheetError("cannot read cell " + CellLabel(static_cast<int>(row), column) + " of " +
                         name + ": " + Reason(code));
      }
      Cell& cell = range.cells[static_cast<std::size_t>(row) * columns + column];
      switch (value.type) {
        case FREEXL_CELL_INT:
          cell = static_cast<long>(value.value.int_value);
          break;
        case FREEXL_CELL_DOUBLE:
          cell = value.value.double_value;
          break;
        case FREEXL_CELL_TEXT:
        case FREEXL_CELL_SST_TEXT:
        case FREEXL_CELL_DATE:
        case FREEXL_CELL_DATETIME:
        case FREEXL_CELL_TIME:
          cell = std::string(value.value.text_value != nullptr ? value.value.text_value : "");
          break;
        default:
          break;  // FREEXL_CELL_NULL: an empty cell
      }
    }
  }
  return range;
}

}  // namespace detail

namespace {

// The child's answer: a byte 0 and the cells, or a byte 1 and the error message.
// Cells: rows, columns (int32 each), then per cell a type byte (0 nothing, 1 whole number,
// 2 number, 3 text) with its value; texts as a uint32 length and the bytes.
class Writer {
 public:
  void Byte(unsigned char b) { bytes_.push_back(static_cast<char>(b)); }
  template <typename T>
  void Raw(const T& value) {
    const char* p = reinterpret_cast<const char*>(&value);
    bytes_.append(p, sizeof(T));
  }
  void Text(const std::string& text) {
    Raw(static_cast<std::uint32_t>(text.size()));
    bytes_ += text;
  }
  const std::string& bytes() const { return bytes_; }

 private:
  std::string bytes_;
};

class Reader {
 public:
  explicit Reader(std::string_view bytes) : bytes_(bytes) {}
  template <typename T>
  bool Raw(T& value) {
    if (bytes_.size() - at_ < sizeof(T))
      return false;
    std::memcpy(&value, bytes_.data() + at_, sizeof(T));
    at_ += sizeof(T);
    return true;
  }
  bool Text(std::string& text) {
    std::uint32_t size = 0;
    if (!Raw(size) || bytes_.size() - at_ < size)
      return false;
    text.assign(bytes_.data() + at_, size);
    at_ += size;
    return true;
  }
  bool AtEnd() const { return at_ == bytes_.size(); }

 private:
  std::string_view bytes_;
  std::size_t at_ = 0;
};

std::string Encode(const UsedRange& range) {
  Writer out;
  out.Byte(0);
  out.Raw(static_cast<std::int32_t>(range.rows));
  out.Raw(static_cast<std::int32_t>(range.columns));
  for (const Cell& cell : range.cells) {
    if (const long* whole = std::get_if<long>(&cell)) {
      out.Byte(1);
      out.Raw(static_cast<std::int64_t>(*whole));
    } else if (const double* number = std::get_if<double>(&cell)) {
      out.Byte(2);
      out.Raw(*number);
    } else if (const std::string* text = std::get_if<std::string>(&cell)) {
      out.Byte(3);
      out.Text(*text);
    } else {
      out.Byte(0);
    }
  }
  return out.bytes();
}

std::string EncodeError(const std::string& message) {
  Writer out;
  out.Byte(1);
  out.Text(message);
  return out.bytes();
}

UsedRange Decode(std::string_view bytes, const std::string& name) {
  const SheetError garbled("cannot read the workbook " + name +
                           ": its reader gave an incomplete answer");
  Reader in(bytes);
  unsigned char status = 0;
  if (!in.Raw(status))
    throw garbled;
  if (status == 1) {
    std::string message;
    if (!in.Text(message))
      throw garbled;
    throw SheetError(message);
  }
  std::int32_t rows = 0;
  std::int32_t columns = 0;
  if (status != 0 || !in.Raw(rows) || !in.Raw(columns) || rows < 0 || columns < 0 ||
      static_cast<std::uint64_t>(rows) * static_cast<std::uint64_t>(columns) > bytes.size())
    throw garbled;
  UsedRange range;
  range.rows = rows;
  range.columns = columns;
  range.cells.resize(static_cast<std::size_t>(rows) * static_cast<std::size_t>(columns));
  for (Cell& cell : range.cells) {
    unsigned char type = 0;
    if (!in.Raw(type))
      throw garbled;
    if (type == 1) {
      std::int64_t whole = 0;
      if (!in.Raw(whole))
        throw garbled;
      cell = static_cast<long>(whole);
    } else if (type == 2) {
      double number = 0;
      if (!in.Raw(number))
        throw garbled;
      cell = number;
    } else if (type == 3) {
      std::string text;
      if (!in.Text(text))
        throw garbled;
      cell = std::move(text);
    } else if (type != 0) {
      throw garbled;
    }
  }
  if (!in.AtEnd())
    throw garbled;
  return range;
}

// Writes all of `bytes` to `fd`, going on after interruptions; false when the pipe is gone.
bool WriteAll(int fd, const std::string& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR)
      continue;
    if (n <= 0)
      return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

// A child that faults should just die: its parent reports the damaged file. Handlers that a
// sanitizer or a fuzzer installed in the parent would otherwise report the fault as their own.
void DieQuietly() {
  for (int signal_number : {SIGSEGV, SIGBUS, SIGILL, SIGFPE, SIGABRT}) {
    ::signal(signal_number, SIG_DFL);
  }
  if (__sanitizer_set_death_callback != nullptr)
    __sanitizer_set_death_callback(nullptr);
  // What the library or a sanitizer would print about the fault reaches nobody in a window.
  const int null_device = ::open("/dev/null", O_WRONLY);
  if (null_device >= 0) {
    ::dup2(null_device, STDERR_FILENO);
    ::close(null_device);
  }
}

// How long a workbook may take to read before its reader is given up as hung.
constexpr int kReadTimeoutMs = 30000;

}  // namespace

UsedRange ReadFirstSheet(const std::filesystem::path& file) {
  const std::string name = Quoted(file.string());
  // One read at a time: a child forked while another thread is inside FreeXL could inherit its
  // locks (iconv's among them) and hang.
  static std::mutex one_at_a_time;
  const std::lock_guard<std::mutex> lock(one_at_a_time);

  int fds[2];
  if (::pipe(fds) != 0)
    throw SheetError("cannot read the workbook " + name + ": " + std::strerror(errno));
  const pid_t child = ::fork();
  if (child < 0) {
    const int error = errno;
    ::close(fds[0]);
    ::close(fds[1]);
    throw SheetError("cannot read the workbook " + name + ": " + std::strerror(error));
  }
  if (child == 0) {
    ::close(fds[0]);
    DieQuietly();
    std::string answer;
    try {
      answer = Encode(detail::ReadFirstSheetInProcess(file));
    } catch (const std::exception& e) {
      answer = EncodeError(e.what());
    }
    // _exit: the child must not run the parent's exit handlers or flush its streams.
    ::_exit(WriteAll(fds[1], answer) ? 0 : 3);
  }

  ::close(fds[1]);
  std::string bytes;
  bool timed_out = false;
  char buffer[65536];
  for (;;) {
    pollfd waiting{fds[0], POLLIN, 0};
    const int ready = ::poll(&waiting, 1, kReadTimeoutMs);
    if (ready < 0 && errno == EINTR)
      continue;
    if (ready <= 0) {
      timed_out = true;
      break;
    }
    const ssize_t n = ::read(fds[0], buffer, sizeof buffer);
    if (n < 0 && errno == EINTR)
      continue;
    if (n <= 0)
      break;
    bytes.append(buffer, static_cast<std::size_t>(n));
  }
  ::close(fds[0]);
  if (timed_out)
    ::kill(child, SIGKILL);
  int status = 0;
  while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  if (timed_out) {
    throw SheetError("cannot read the workbook " + name + ": reading it took longer than " +
                     std::to_string(kReadTimeoutMs / 1000) + " seconds");
  }
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    throw SheetError("cannot read the workbook " + name +
                     ": the file is damaged (the workbook reader stopped on it)");
  }
  return Decode(bytes, name);
}

}  // namespace orvane::sheets
