// The run log, MiseANiveau.log: what support needs to tell which step of
// which base failed, and with which number. One block per run, one stamped
// line per event, each appended on its own.
//
// The log is a bystander: whatever fails in it is dropped, nothing it does
// shows a box or touches the run's last error. It never holds the password.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/FileWrites.h"
#include "platform/LogFiles.h"
#include "platform/System.h"

namespace maj {

inline constexpr const char* kLogName = "MiseANiveau.log";
inline constexpr std::uint64_t kLogRotateBytes = 1u << 20;

class RunLog {
 public:
  // Opens the log in the first folder that takes it, in order. A locked log
  // means no log for this run; any other refusal tries the next folder.
  // Opened so, the log only ever gets lines appended.
  void Open(LogFiles& files, System& system, const std::vector<std::string>& folders);
  // The same, with a log over 1 MiB first renamed to MiseANiveau.log.1.
  void OpenRotated(LogFiles& files, FileWrites& writes, System& system,
                   const std::vector<std::string>& folders);
  // Closes the file; later lines are dropped.
  void Close() { sink_.reset(); }
  bool IsOpen() const { return sink_ != nullptr; }
  // The folder the log went to, "" when none.
  const std::string& Folder() const { return folder_; }

  // One stamped line of the parts joined (texts or string literals); line
  // ends inside are shown as " | ". Nothing is built when there is no log.
  template <class... Parts>
  void Line(const Parts&... parts) {
    if (!sink_) return;
    std::string text;
    (text.append(parts), ...);
    Write(text);
  }
  // "0x80070005 Access is denied." or "0x800A0035".
  std::string Number(ErrorNumber number) const;
  // The same with the system's text whatever the number: for numbers that
  // come from the system itself, never from the component.
  std::string SystemNumber(ErrorNumber number) const;
  // Milliseconds since some fixed moment, for durations; 0 before Open.
  std::uint64_t Tick() const;

 private:
  void Write(const std::string& text);

  // Taken: the log is open there; Next: try the next folder; None: no log.
  enum class Place { Taken, Next, None };
  Place OpenIn(LogFiles& files, FileWrites* writes, const std::string& folder);
  void OpenFirst(LogFiles& files, FileWrites* writes, System& system,
                 const std::vector<std::string>& folders);

  System* system_ = nullptr;
  std::unique_ptr<LineSink> sink_;
  std::string folder_;
};

// "1234 ms" between a tick and now.
std::string Duration(const RunLog& log, std::uint64_t since);

}  // namespace maj
