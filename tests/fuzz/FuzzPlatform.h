// A test platform whose one text file lives in memory, so that a fuzzer can
// run millions of inputs without touching the disk.
#pragma once

#include <algorithm>
#include <cstring>
#include <string>

#include "tests/support/TestPlatform.h"

namespace maj::test {

class FuzzPlatform : public TestPlatform {
 public:
  std::string content;    // the file every open reads
  std::string rewritten;  // what the last rewrite wrote
  bool wasRewritten = false;

  void Reset(const std::string& bytes) {
    content = bytes;
    rewritten.clear();
    wasRewritten = false;
    calls.clear();
  }

  ErrorNumber OpenForInput(const std::string&, std::unique_ptr<ByteSource>& file) override {
    file = std::make_unique<Memory>(content);
    return kOk;
  }
  ErrorNumber FileLength(const std::string&, std::uint64_t& length) override {
    length = content.size();
    return kOk;
  }
  ErrorNumber FindEntry(const std::string&, bool& found) override {
    found = true;
    return kOk;
  }
  ErrorNumber RewriteFile(const std::string&, const std::string& bytes) override {
    rewritten = bytes;
    wasRewritten = true;
    return kOk;
  }

 private:
  // Hands the bytes out in small, uneven pieces so that line ends fall across reads.
  class Memory : public ByteSource {
   public:
    explicit Memory(const std::string& bytes) : bytes_(bytes) {}
    ErrorNumber Read(std::span<char> buffer, std::size_t& got) override {
      got = std::min<std::size_t>({buffer.size(), bytes_.size() - at_, 1 + (at_ % 7)});
      std::memcpy(buffer.data(), bytes_.data() + at_, got);
      at_ += got;
      return kOk;
    }

   private:
    const std::string& bytes_;
    std::size_t at_ = 0;
  };
};

// The lines of a text as sequential input sees them: split at CR or CR LF.
inline std::vector<std::string> ReferenceLines(const std::string& bytes) {
  std::vector<std::string> lines;
  std::string line;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    if (bytes[i] != '\r') {
      line += bytes[i];
      continue;
    }
    lines.push_back(line);
    line.clear();
    if (i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
  }
  if (!line.empty()) lines.push_back(line);
  return lines;
}

}  // namespace maj::test
