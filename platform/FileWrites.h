// Every change the program makes to files and folders, apart from the run
// log's lines.
#pragma once

#include <string>

#include "platform/Errors.h"

namespace maj {

class FileWrites {
 public:
  virtual ~FileWrites() = default;

  [[nodiscard]] virtual ErrorNumber CreateFolder(const std::string& path) = 0;
  // Opens for appending and closes at once: creates the file empty when it is
  // missing, leaves it unchanged otherwise.
  [[nodiscard]] virtual ErrorNumber OpenForAppend(const std::string& path) = 0;
  // Replaces the file's content with `bytes` in one step: the new content is
  // written beside it and then put in its place, so the file holds either its
  // old content or the new one, never a part. On failure the file is unchanged.
  // A read-only file is refused. Only where that safe rewrite is refused for
  // access (no file may be made beside it, or it may not be replaced) is an
  // existing file written over in place instead.
  [[nodiscard]] virtual ErrorNumber RewriteFile(const std::string& path,
                                                const std::string& bytes) = 0;
  // Renames `from` to `to`, replacing `to` when it exists.
  [[nodiscard]] virtual ErrorNumber RenameOver(const std::string& from, const std::string& to) = 0;
};

}  // namespace maj
