#include "platform/TextInput.h"

#include <algorithm>
#include <span>
#include <string_view>

#include "platform/Text.h"

namespace maj {
namespace {
constexpr std::size_t kChunk = 4096;
constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LeMark = "\xFF\xFE";
constexpr std::string_view kUtf16BeMark = "\xFE\xFF";

// Whether the bytes are well-formed UTF-8 (no overlong form, no surrogate,
// nothing past U+10FFFF) with at least one character beyond ASCII.
bool IsUtf8BeyondAscii(std::string_view bytes) {
  bool beyond = false;
  for (std::size_t i = 0; i < bytes.size();) {
    const auto lead = static_cast<unsigned char>(bytes[i]);
    if (lead < 0x80) {
      ++i;
      continue;
    }
    std::size_t more = 0;
    unsigned char low = 0x80, high = 0xBF;  // the range of the second byte
    if (lead >= 0xC2 && lead <= 0xDF) {
      more = 1;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
      more = 2;
      if (lead == 0xE0) low = 0xA0;
      if (lead == 0xED) high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
      more = 3;
      if (lead == 0xF0) low = 0x90;
      if (lead == 0xF4) high = 0x8F;
    } else {
      return false;
    }
    if (bytes.size() - i <= more) return false;
    for (std::size_t k = 1; k <= more; ++k) {
      const auto c = static_cast<unsigned char>(bytes[i + k]);
      if (c < (k == 1 ? low : 0x80) || c > (k == 1 ? high : 0xBF)) return false;
    }
    i += more + 1;
    beyond = true;
  }
  return beyond;
}

// UTF-16 (after its mark) as UTF-8; a lone surrogate or a final odd byte
// becomes U+FFFD.
std::string Utf16ToUtf8(std::string_view bytes, bool bigEnd) {
  const auto unit = [&](std::size_t i) -> char32_t {
    const auto a = static_cast<unsigned char>(bytes[i]);
    const auto b = static_cast<unsigned char>(bytes[i + 1]);
    return bigEnd ? (a << 8) | b : (b << 8) | a;
  };
  std::string out;
  std::size_t i = 0;
  for (; i + 1 < bytes.size(); i += 2) {
    char32_t cp = unit(i);
    if (cp >= 0xD800 && cp <= 0xDBFF && i + 3 < bytes.size()) {
      const char32_t next = unit(i + 2);
      if (next >= 0xDC00 && next <= 0xDFFF) {
        cp = 0x10000 + ((cp - 0xD800) << 10) + (next - 0xDC00);
        i += 2;
      }
    }
    AppendUtf8(cp >= 0xD800 && cp <= 0xDFFF ? char32_t{0xFFFD} : cp, out);
  }
  if (i < bytes.size()) AppendUtf8(0xFFFD, out);
  return out;
}

}  // namespace

ErrorNumber TextInput::Open(FileQueries& files, System& system, const std::string& path) {
  system_ = &system;
  buffer_.clear();
  next_ = 0;
  utf8_ = whole_ = cut_ = false;
  return files.OpenForInput(path, file_);
}

ErrorNumber TextInput::DetectEncoding(std::size_t limit) {
  if (!file_) return kErrInvalidCall;  // not open
  // One byte past the limit tells whether the file goes on.
  while (buffer_.size() <= limit) {
    const std::size_t had = buffer_.size();
    const std::size_t want = std::min(kChunk, limit + 1 - had);
    buffer_.resize(had + want);
    std::size_t got = 0;
    const ErrorNumber err = file_->Read(std::span<char>(buffer_).subspan(had, want), got);
    buffer_.resize(had + (err == kOk ? got : 0));
    if (err != kOk) return err;
    if (got == 0) break;
  }
  file_.reset();
  whole_ = true;
  cut_ = buffer_.size() > limit;
  if (cut_) buffer_.resize(limit);
  Decode();
  // A line the limit cut in two is no line of the file.
  if (cut_) buffer_.resize(std::min(buffer_.size(), buffer_.rfind('\r') + 1));
  return kOk;
}

void TextInput::Decode() {
  const std::string_view bytes(buffer_);
  if (bytes.starts_with(kUtf16LeMark) || bytes.starts_with(kUtf16BeMark)) {
    buffer_ = Utf16ToUtf8(bytes.substr(2), bytes.starts_with(kUtf16BeMark));
    utf8_ = true;
  } else if (bytes.starts_with(kUtf8Mark)) {
    next_ = kUtf8Mark.size();
    utf8_ = true;
  } else {
    utf8_ = IsUtf8BeyondAscii(bytes);
  }
}

ErrorNumber TextInput::Fill(bool& atEnd) {
  if (next_ < buffer_.size()) {
    atEnd = false;
    return kOk;
  }
  if (whole_) {
    atEnd = true;
    return kOk;
  }
  if (!file_) return kErrInvalidCall;  // not open
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
  line = utf8_ ? bytes : system_->FromAnsi(bytes);
  return kOk;
}

}  // namespace maj
