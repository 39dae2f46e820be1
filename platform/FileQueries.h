// What may be learnt of files and folders without changing any: the one file
// interface the pre-check is given.
//
// Paths are Windows paths ("\\server\share\x", "C:\x").
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "platform/Errors.h"

namespace maj {

enum class EntryKind { Missing, Folder, Other };

// What a write into a folder would add: a file, or a folder.
enum class FolderWrite { File, Folder };

// A file open for sequential reading of its bytes; closed when destroyed.
class ByteSource {
 public:
  virtual ~ByteSource() = default;
  // Up to `capacity` bytes; `got` is 0 only at the end of the file.
  [[nodiscard]] virtual ErrorNumber Read(std::span<char> buffer, std::size_t& got) = 0;
};

// The Windows file-system object ("Scripting.FileSystemObject").
class FileSystemObject {
 public:
  virtual ~FileSystemObject() = default;
  // getfolder(folder).Files: the full path of each file directly in the folder,
  // in the collection's own enumeration order.
  [[nodiscard]] virtual ErrorNumber GetFolderFiles(const std::string& folder,
                                                   std::vector<std::string>& files) = 0;
};

class FileQueries {
 public:
  virtual ~FileQueries() = default;

  // Whether an entry of that name exists, as a folder or as a plain file.
  [[nodiscard]] virtual ErrorNumber FindEntry(const std::string& path, bool& found) = 0;
  // Whether the entry is missing, a folder, or something else (a plain file).
  [[nodiscard]] virtual ErrorNumber FindEntryKind(const std::string& path, EntryKind& kind) = 0;
  [[nodiscard]] virtual ErrorNumber OpenForInput(const std::string& path,
                                                 std::unique_ptr<ByteSource>& file) = 0;
  [[nodiscard]] virtual ErrorNumber FileLength(const std::string& path, std::uint64_t& length) = 0;
  // Whether the file is marked hidden or system, which copies skip unless
  // told otherwise.
  [[nodiscard]] virtual ErrorNumber HiddenOrSystem(const std::string& path, bool& marked) = 0;
  // Whether the operator may add to the folder, by its access rights alone:
  // nothing is created. `what` says what would be added there.
  [[nodiscard]] virtual ErrorNumber WriteAllowed(const std::string& folder, FolderWrite what,
                                                 bool& allowed) = 0;
  // The bytes the operator may still write on the disk that holds `folder`.
  [[nodiscard]] virtual ErrorNumber FreeSpace(const std::string& folder, std::uint64_t& bytes) = 0;
  // The folder listing goes through the file-system object.
  [[nodiscard]] virtual ErrorNumber CreateFileSystemObject(
      std::shared_ptr<FileSystemObject>& fso) = 0;
};

}  // namespace maj
