// The run log's file: lines appended, nothing else. None of these calls
// shows anything or changes the system's last error.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/Errors.h"

namespace maj {

// A file open for appending whole lines, shared with other writers; closed
// when destroyed. Each Append is one write, so that lines of two writers
// interleave whole.
class LineSink {
 public:
  virtual ~LineSink() = default;
  [[nodiscard]] virtual ErrorNumber Append(const std::string& bytes) = 0;
  [[nodiscard]] virtual ErrorNumber Length(std::uint64_t& length) = 0;
};

class LogFiles {
 public:
  virtual ~LogFiles() = default;
  // Creates the file when it is missing, with `header` as its first bytes:
  // only the one that creates it writes them, before any other writer can
  // append; a folder of that name, a locked file or a read-only place are
  // refused.
  [[nodiscard]] virtual ErrorNumber OpenLines(const std::string& path, const std::string& header,
                                              std::unique_ptr<LineSink>& sink) = 0;
};

}  // namespace maj
