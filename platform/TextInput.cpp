#include "platform/TextInput.h"

#include <span>
#include <string_view>

namespace maj {
namespace {
constexpr std::size_t kChunk = 4096;
constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
}  // namespace

ErrorNumber TextInput::Open(Platform& platform, const std::string& path) {
  platform_ = &platform;
  buffer_.clear();
  next_ = 0;
  utf8_ = false;
  return platform.OpenForInput(path, file_);
}

ErrorNumber TextInput::UseUtf8WhenMarked() {
  if (!file_) return kErrInvalidCall;  // not open
  // The mark may come in pieces: read until its three bytes are there, or the end.
  while (buffer_.size() < kUtf8Mark.size()) {
    const std::size_t had = buffer_.size();
    buffer_.resize(had + kChunk);
    std::size_t got = 0;
    const ErrorNumber err = file_->Read(std::span<char>(buffer_).subspan(had, kChunk), got);
    buffer_.resize(had + (err == kOk ? got : 0));
    if (err != kOk) return err;
    if (got == 0) break;
  }
  if (std::string_view(buffer_).substr(0, kUtf8Mark.size()) == kUtf8Mark) {
    next_ = kUtf8Mark.size();
    utf8_ = true;
  }
  return kOk;
}

ErrorNumber TextInput::Fill(bool& atEnd) {
  if (!file_) return kErrInvalidCall;  // not open
  if (next_ < buffer_.size()) {
    atEnd = false;
    return kOk;
  }
  buffer_.resize(kChunk);
  next_ = 0;
  std::size_t got = 0;
  const ErrorNumber err = file_->Read(buffer_, got);
  buffer_.resize(err == kOk ? got : 0);
  atEnd = buffer_.empty();
  return err;
}

ErrorNumber TextInput::Eof(bool& atEnd) {
  return Fill(atEnd);
}

ErrorNumber TextInput::LineInput(std::string& line) {
  bool atEnd = false;
  if (const ErrorNumber err = Fill(atEnd)) return err;
  if (atEnd) return kErrInputPastEnd;
  std::string bytes;
  for (;;) {
    const std::size_t cr = buffer_.find('\r', next_);
    bytes.append(buffer_, next_, cr == std::string::npos ? std::string::npos : cr - next_);
    if (cr != std::string::npos) {
      next_ = cr + 1;
      // A line feed right after the carriage return belongs to the same line end.
      if (const ErrorNumber err = Fill(atEnd)) return err;
      if (!atEnd && buffer_[next_] == '\n') ++next_;
      break;
    }
    next_ = buffer_.size();
    if (const ErrorNumber err = Fill(atEnd)) return err;
    if (atEnd) break;
  }
  line = utf8_ ? bytes : platform_->FromAnsi(bytes);
  return kOk;
}

}  // namespace maj
