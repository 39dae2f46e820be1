#include "state/RunLog.h"

#include <cstdio>

#include "contract/Dba.h"
#include "platform/Text.h"

namespace maj {
namespace {

inline constexpr const char* kByteOrderMark = "\xEF\xBB\xBF";
inline constexpr ErrorNumber kWin32SharingViolation = FromWin32(32);
inline constexpr ErrorNumber kWin32LockViolation = FromWin32(33);

std::string Stamp(const LocalTime& t) {
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d.%03d", t.year, t.month, t.day,
                t.hour, t.minute, t.second, t.millisecond);
  return text;
}

// A line of the log never holds a line end of its own.
std::string OneLine(const std::string& text) {
  std::string line;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    if (text[i] == '\r' || text[i] == '\n') {
      line += " | ";
    } else {
      line += text[i];
    }
  }
  return line;
}

// An interface's own numbers (facility 4, FACILITY_ITF) mean what that
// interface says: the system's texts for them belong to unrelated OLE calls
// and would mislead support. The component's meanings, in the log's words.
std::string ComponentText(ErrorNumber number) {
  switch (number) {
    case kDbaOpenRefused:
      return "Login or open refused.";
    case kDbaLoginNeeded:
      return "Not connected: login needed.";
    case kDbaKeyNotFound:
      return "Record not found.";
    default:
      return {};
  }
}

bool IsInterfaceNumber(ErrorNumber number) {
  return (number >> 16) == 0x8004u;  // a failure of facility 4
}

// The number followed by its meaning on one line, when it has one.
std::string WithMeaning(ErrorNumber number, std::string meaning) {
  const std::string text = HexNumber(number);
  while (!meaning.empty() &&
         (meaning.back() == '\r' || meaning.back() == '\n' || meaning.back() == ' ')) {
    meaning.pop_back();
  }
  meaning = OneLine(meaning);
  return meaning.empty() ? text : text + " " + meaning;
}

}  // namespace

// `writes` is null where the log may not be rotated.
RunLog::Place RunLog::OpenIn(LogFiles& files, FileWrites* writes, const std::string& folder) {
  const std::string path = folder + "\\" + kLogName;
  std::unique_ptr<LineSink> sink;
  if (const ErrorNumber err = files.OpenLines(path, kByteOrderMark, sink)) {
    // The file is there and in use elsewhere: the run goes without a log
    // rather than leave one in a place support does not look.
    return err == kWin32SharingViolation || err == kWin32LockViolation ? Place::None : Place::Next;
  }
  std::uint64_t length = 0;
  if (sink->Length(length) != kOk) return Place::Next;
  if (writes && length > kLogRotateBytes) {
    sink.reset();  // a file open here could not be renamed
    // An old log that cannot be set aside is written on: it grows past the
    // limit rather than lose the run.
    Unheeded(writes->RenameOver(path, path + ".1"));
    if (files.OpenLines(path, kByteOrderMark, sink) != kOk || sink->Length(length) != kOk) {
      return Place::None;
    }
  }
  sink_ = std::move(sink);
  return Place::Taken;
}

void RunLog::Open(LogFiles& files, System& system, const std::vector<std::string>& folders) {
  OpenFirst(files, nullptr, system, folders);
}

void RunLog::OpenRotated(LogFiles& files, FileWrites& writes, System& system,
                         const std::vector<std::string>& folders) {
  OpenFirst(files, &writes, system, folders);
}

void RunLog::OpenFirst(LogFiles& files, FileWrites* writes, System& system,
                       const std::vector<std::string>& folders) {
  system_ = &system;
  // A log opened before (for a refused start's box) would keep this one from
  // being renamed.
  sink_.reset();
  folder_.clear();
  for (const std::string& folder : folders) {
    if (folder.empty()) continue;
    const Place place = OpenIn(files, writes, folder);
    if (place == Place::Taken) folder_ = folder;
    if (place != Place::Next) return;
  }
}

void RunLog::Write(const std::string& text) {
  const std::string line = Stamp(system_->Now()) + " " + OneLine(text) + "\r\n";
  // A log that cannot be written (disk full, share gone) stops for the rest
  // of the run: the run itself goes on unchanged and no slower.
  if (sink_->Append(line) != kOk) sink_.reset();
}

std::string RunLog::Number(ErrorNumber number) const {
  if (number == kOk || !system_) return HexNumber(number);
  return WithMeaning(
      number, IsInterfaceNumber(number) ? ComponentText(number) : system_->ErrorText(number));
}

std::string RunLog::SystemNumber(ErrorNumber number) const {
  if (number == kOk || !system_) return HexNumber(number);
  return WithMeaning(number, system_->ErrorText(number));
}

std::uint64_t RunLog::Tick() const {
  return system_ ? system_->Now().tick : 0;
}

std::string Duration(const RunLog& log, std::uint64_t since) {
  return std::to_string(log.Tick() - since) + " ms";
}

}  // namespace maj
