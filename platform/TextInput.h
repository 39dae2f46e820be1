// A text file read line by line, as sequential text input reads it: a line
// ends at a carriage return or at a carriage return followed by a line feed,
// the line end is not part of the line, and each line is converted from the
// system's ANSI code page (or as UTF-8 or UTF-16, see DetectEncoding). The
// file is closed when the reader goes away, on every path.
#pragma once

#include <cstddef>
#include <memory>
#include <string>

#include "platform/Errors.h"
#include "platform/FileQueries.h"
#include "platform/System.h"

namespace maj {

class TextInput {
 public:
  // Opens `path` for reading; on failure the reader stays closed.
  [[nodiscard]] ErrorNumber Open(FileQueries& files, System& system, const std::string& path);
  // Right after Open, reads the file, at most `limit` bytes of it, closes it
  // and chooses how to read those bytes, in this order: a UTF-16 byte-order mark (little or big end
  // first) reads it as UTF-16; the UTF-8 mark as UTF-8; valid UTF-8 holding at least one multi-byte
  // sequence as UTF-8; anything else through the ANSI code page (a Windows-1252 text with accents
  // is never valid UTF-8). Marks are dropped. A file longer than `limit` is cut after its last
  // whole line in it: Cut() tells so.
  [[nodiscard]] ErrorNumber DetectEncoding(std::size_t limit);
  bool Cut() const { return cut_; }
  // The next line; kErrInputPastEnd when the end of the file was reached before.
  [[nodiscard]] ErrorNumber LineInput(std::string& line);
  // Whether the end of the file has been reached.
  [[nodiscard]] ErrorNumber Eof(bool& atEnd);
  void Close() { file_.reset(); }

 private:
  // Reads buffer_ as the encoding it shows.
  void Decode();
  // Makes at least one byte available unless the file is at its end.
  [[nodiscard]] ErrorNumber Fill(bool& atEnd);

  System* system_ = nullptr;
  std::unique_ptr<ByteSource> file_;
  // After DetectEncoding the lines come from buffer_ alone.
  bool whole_ = false;
  bool cut_ = false;
  std::string buffer_;
  std::size_t next_ = 0;
  bool utf8_ = false;
};

}  // namespace maj
