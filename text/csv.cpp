#include "text/csv.h"

#include <istream>
#include <sstream>

namespace orvane::text {
namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

}  // namespace

// A cursor over the text that counts lines; CRLF is one line end, a lone CR another. Positions
// count from the start of the text; the buffer holds the text from the start of the current
// record on (MarkRecordStart), so a position within the record stays valid while more text is
// read, and what came before is let go.
class CsvReader::Reader {
 public:
  explicit Reader(std::istream& in) : in_(in) {
    Has(kByteOrderMark.size() - 1);
    if (std::string_view(buffer_).substr(0, kByteOrderMark.size()) == kByteOrderMark)
      pos_ = kByteOrderMark.size();
  }

  bool AtEnd() { return !Has(pos_); }
  char Peek() const { return buffer_[pos_ - base_]; }
  int line() const { return line_; }
  std::size_t pos() const { return pos_; }

  bool AtLineEnd() { return !AtEnd() && (Peek() == '\n' || Peek() == '\r'); }

  // Steps over the line end at the cursor, returning it as read ("\r\n", "\n" or "\r").
  std::string_view TakeLineEnd() {
    const std::size_t start = pos_;
    if (Peek() == '\r' && Has(pos_ + 1) && buffer_[pos_ + 1 - base_] == '\n') {
      pos_ += 2;
    } else {
      ++pos_;
    }
    ++line_;
    return Slice(start, pos_);
  }

  void Advance() { ++pos_; }

  // Moves to the start of the line after the cursor's line.
  void SkipRestOfLine() {
    while (!AtEnd() && !AtLineEnd()) ++pos_;
    if (!AtEnd())
      TakeLineEnd();
  }

  void JumpTo(std::size_t pos, int line) {
    pos_ = pos;
    line_ = line;
  }

  std::string_view Slice(std::size_t from, std::size_t to) const {
    return std::string_view(buffer_).substr(from - base_, to - from);
  }

  // Nothing before the cursor is read again.
  void MarkRecordStart() { record_start_ = pos_; }

 private:
  static constexpr std::size_t kChunk = 1 << 16;

  // Whether the text has a byte at `pos`, reading more when it is not in the buffer yet.
  bool Has(std::size_t pos) {
    while (pos >= base_ + buffer_.size()) {
      if (!in_)
        return false;
      // Let go of what lies before the record being read before the buffer grows.
      if (record_start_ > base_) {
        buffer_.erase(0, record_start_ - base_);
        base_ = record_start_;
      }
      const std::size_t size = buffer_.size();
      buffer_.resize(size + kChunk);
      in_.read(buffer_.data() + size, static_cast<std::streamsize>(kChunk));
      buffer_.resize(size + static_cast<std::size_t>(in_.gcount()));
    }
    return true;
  }

  std::istream& in_;
  std::string buffer_;
  std::size_t base_ = 0;  // position of buffer_[0]
  std::size_t record_start_ = 0;
  std::size_t pos_ = 0;
  int line_ = 1;
};

namespace {

std::string LinePrefix(int line) {
  return "line " + std::to_string(line) + ": ";
}

// Reads a quoted field, the cursor on its opening quote. Returns false, with the record's error
// set and the cursor on the line after the opening quote, when the quote is never closed.
bool ReadQuoted(CsvReader::Reader& reader, CsvRecord& record, std::string& cell) {
  const int open_line = reader.line();
  reader.Advance();
  const std::size_t content_start = reader.pos();
  // Where to resume when the quote turns out to be unclosed: the line after the opening one.
  std::size_t resume_pos = std::string_view::npos;
  std::size_t first_break = std::string_view::npos;
  for (;;) {
    if (reader.AtEnd()) {
      record.error = LinePrefix(open_line) + "a quoted field is not closed";
      if (resume_pos == std::string_view::npos) {
        cell = std::string(reader.Slice(content_start, reader.pos()));
      } else {
        cell = std::string(reader.Slice(content_start, first_break));
        reader.JumpTo(resume_pos, open_line + 1);
      }
      return false;
    }
    const char c = reader.Peek();
    if (c == '"') {
      reader.Advance();
      if (!reader.AtEnd() && reader.Peek() == '"') {
        cell += '"';
        reader.Advance();
        continue;
      }
      return true;
    }
    if (reader.AtLineEnd()) {
      const std::size_t before = reader.pos();
      const std::string_view end = reader.TakeLineEnd();
      if (resume_pos == std::string_view::npos) {
        first_break = before;
        resume_pos = reader.pos();
      }
      cell += end;
      continue;
    }
    cell += c;
    reader.Advance();
  }
}

}  // namespace

CsvReader::CsvReader(std::istream& in) : reader_(std::make_unique<Reader>(in)) {}
CsvReader::~CsvReader() = default;

std::optional<CsvRecord> CsvReader::Next() {
  Reader& reader = *reader_;
  for (;;) {
    reader.MarkRecordStart();
    if (reader.AtEnd())
      return std::nullopt;
    if (!reader.AtLineEnd())
      break;
    reader.TakeLineEnd();  // a line that holds nothing
  }
  CsvRecord record;
  record.line = reader.line();
  for (;;) {
    std::string cell;
    if (!reader.AtEnd() && reader.Peek() == '"') {
      if (!ReadQuoted(reader, record, cell)) {
        record.cells.push_back(std::move(cell));
        break;
      }
      if (!reader.AtEnd() && reader.Peek() != ',' && !reader.AtLineEnd()) {
        record.cells.push_back(std::move(cell));
        record.error = LinePrefix(reader.line()) + "text after the closing quote of cell " +
                       std::to_string(record.cells.size());
        reader.SkipRestOfLine();
        break;
      }
    } else {
      const std::size_t start = reader.pos();
      while (!reader.AtEnd() && reader.Peek() != ',' && !reader.AtLineEnd()) reader.Advance();
      cell = std::string(reader.Slice(start, reader.pos()));
    }
    record.cells.push_back(std::move(cell));
    if (reader.AtEnd())
      break;
    if (reader.Peek() == ',') {
      reader.Advance();
      continue;
    }
    reader.TakeLineEnd();
    break;
  }
  return record;
}

std::vector<CsvRecord> ParseCsv(std::string_view text) {
  std::istringstream in{std::string(text)};
  CsvReader reader(in);
  std::vector<CsvRecord> records;
  while (std::optional<CsvRecord> record = reader.Next()) records.push_back(std::move(*record));
  return records;
}

std::string CsvLine(const std::vector<std::string>& cells) {
  std::string line;
  for (std::size_t i = 0; i < cells.size(); ++i) {
    if (i > 0)
      line += ',';
    const std::string& cell = cells[i];
    // A cell that opens with a byte order mark is quoted too: at the start of a file a reader
    // takes an unquoted mark for the file's own and drops it from the cell.
    if (cell.find_first_of(",\"\r\n") == std::string::npos &&
        !std::string_view(cell).starts_with(kByteOrderMark)) {
      line += cell;
      continue;
    }
    line += '"';
    for (const char c : cell) {
      if (c == '"')
        line += '"';
      line += c;
    }
    line += '"';
  }
  line += '\n';
  return line;
}

}  // namespace orvane::text
