// The one interface through which the program reaches the outside world:
// windows and dialogs, processes, files and the system user name.
// One implementation per system (platform/win32), one for the tests
// (tests/TestPlatform); the logic never knows which it runs on.
//
// Texts are UTF-8. Paths are Windows paths ("\\server\share\x", "C:\x").
// File contents are in the system's ANSI code page;
// ToAnsi and FromAnsi convert between that and UTF-8.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "platform/Dialog.h"
#include "platform/Errors.h"

namespace maj {

// The icon of a message box.
enum class BoxIcon { Critical, Information };

// How a started process shows its first window. NoConsoleWindow: a console
// program gets a console of its own that is never shown, so nothing appears
// and the focus stays where it was.
enum class StartWindow { Normal, Minimised, NoConsoleWindow };

enum class EntryKind { Missing, Folder, Other };

// What a write into a folder would add: a file, or a folder.
enum class FolderWrite { File, Folder };

// A started process. Owns every handle opened for it; they are closed with it.
class Process {
 public:
  virtual ~Process() = default;
  // Waits until the process ends, a window message arrives for this thread
  // (or one is already waiting), or `milliseconds` pass, whichever comes
  // first; `ended` tells whether the process has ended. A process that ended
  // with exit code 259 (STILL_ACTIVE) counts as ended.
  [[nodiscard]] virtual ErrorNumber WaitForEnd(std::uint32_t milliseconds, bool& ended) = 0;
  // The exit code of a process that has ended.
  [[nodiscard]] virtual ErrorNumber ExitCode(std::uint32_t& code) = 0;
};

// A file open for appending whole lines, shared with other writers; closed
// when destroyed. Each Append is one write, so that lines of two writers
// interleave whole.
class LineSink {
 public:
  virtual ~LineSink() = default;
  [[nodiscard]] virtual ErrorNumber Append(const std::string& bytes) = 0;
  [[nodiscard]] virtual ErrorNumber Length(std::uint64_t& length) = 0;
};

// The local date and time, and a clock for durations.
struct LocalTime {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, millisecond = 0;
  std::uint64_t tick = 0;  // milliseconds since some fixed moment, never going back
};

// What the program's taskbar button shows.
enum class TaskbarState { None, Normal, Error };

// The Windows file-system object ("Scripting.FileSystemObject").
class FileSystemObject {
 public:
  virtual ~FileSystemObject() = default;
  // getfolder(folder).Files: the full path of each file directly in the folder,
  // in the collection's own enumeration order.
  [[nodiscard]] virtual ErrorNumber GetFolderFiles(const std::string& folder,
                                                   std::vector<std::string>& files) = 0;
};

// A file open for sequential reading of its bytes; closed when destroyed.
class ByteSource {
 public:
  virtual ~ByteSource() = default;
  // Up to `capacity` bytes; `got` is 0 only at the end of the file.
  [[nodiscard]] virtual ErrorNumber Read(std::span<char> buffer, std::size_t& got) = 0;
};

class Platform {
 public:
  virtual ~Platform() = default;

  // The main window and the pointer.
  [[nodiscard]] virtual ErrorNumber SetBusyPointer(bool busy) = 0;
  [[nodiscard]] virtual ErrorNumber EnableMainWindow(bool enabled) = 0;
  [[nodiscard]] virtual ErrorNumber UnloadMainWindow() = 0;
  // Handles every window message already queued, then returns.
  virtual void DoEvents() = 0;
  // While refused, a request to close the main window (its title bar, Alt+F4,
  // a close message) does nothing; UnloadMainWindow still closes it.
  [[nodiscard]] virtual ErrorNumber RefuseClose(bool refuse) = 0;
  // From now on, a request to end the operator's session (log-off, restart,
  // shutdown) is answered by asking the system to wait, with `reason` shown
  // to whoever ends it, and `onRequest` is called. ReleaseSessionEnd, or the
  // main window's unloading, lets the session end as usual again.
  [[nodiscard]] virtual ErrorNumber HoldSessionEnd(const std::string& reason,
                                                   std::function<void()> onRequest) = 0;
  virtual void ReleaseSessionEnd() = 0;

  // Modal boxes. The answer of a message box is never used.
  [[nodiscard]] virtual ErrorNumber MsgBox(const std::string& text, BoxIcon icon,
                                           const std::string& title) = 0;
  // Shows the prompt with the application's title; "" when cancelled.
  [[nodiscard]] virtual ErrorNumber InputBox(const std::string& prompt, std::string& answer) = 0;
  // Creates the dialog, runs its Form_Load, shows it modally with no owner, and
  // returns once it has closed (by a handler, or by any other close request).
  [[nodiscard]] virtual ErrorNumber ShowModal(DialogModel& dialog) = 0;

  // Objects and processes.
  [[nodiscard]] virtual ErrorNumber CreateFileSystemObject(
      std::shared_ptr<FileSystemObject>& fso) = 0;
  [[nodiscard]] virtual ErrorNumber StartProcess(const std::string& commandLine, StartWindow window,
                                                 std::unique_ptr<Process>& process) = 0;
  // Starts `program`, a file of the system folder ("xcopy.exe"), named by its
  // full path so that no file of that name elsewhere runs instead; the command
  // line goes as it is.
  [[nodiscard]] virtual ErrorNumber StartSystemProcess(const std::string& program,
                                                       const std::string& commandLine,
                                                       StartWindow window,
                                                       std::unique_ptr<Process>& process) = 0;

  // Files and folders.
  // Whether an entry of that name exists, as a folder or as a plain file.
  [[nodiscard]] virtual ErrorNumber FindEntry(const std::string& path, bool& found) = 0;
  [[nodiscard]] virtual ErrorNumber CreateFolder(const std::string& path) = 0;
  [[nodiscard]] virtual ErrorNumber OpenForInput(const std::string& path,
                                                 std::unique_ptr<ByteSource>& file) = 0;
  // Opens for appending and closes at once: creates the file empty when it is
  // missing, leaves it unchanged otherwise.
  [[nodiscard]] virtual ErrorNumber OpenForAppend(const std::string& path) = 0;
  [[nodiscard]] virtual ErrorNumber FileLength(const std::string& path, std::uint64_t& length) = 0;
  // Replaces the file's content with `bytes` in one step: the new content is
  // written beside it and then put in its place, so the file holds either its
  // old content or the new one, never a part. On failure the file is unchanged.
  // A read-only file is refused. Where no file can be made beside it, or it
  // may not be replaced, an existing file is written over in place instead.
  [[nodiscard]] virtual ErrorNumber RewriteFile(const std::string& path,
                                                const std::string& bytes) = 0;
  // The run log's own operations. None of them shows anything or changes the
  // system's last error. OpenLines creates the file when it is missing, with
  // `header` as its first bytes: only the one that creates it writes them,
  // before any other writer can append; a folder of that name, a locked file
  // or a read-only place are refused.
  [[nodiscard]] virtual ErrorNumber OpenLines(const std::string& path, const std::string& header,
                                              std::unique_ptr<LineSink>& sink) = 0;
  // Renames `from` to `to`, replacing `to` when it exists.
  [[nodiscard]] virtual ErrorNumber RenameOver(const std::string& from, const std::string& to) = 0;
  // Whether the entry is missing, a folder, or something else (a plain file).
  [[nodiscard]] virtual ErrorNumber FindEntryKind(const std::string& path, EntryKind& kind) = 0;
  // Whether the operator may add to the folder, by its access rights alone:
  // nothing is created. `what` says what would be added there.
  [[nodiscard]] virtual ErrorNumber WriteAllowed(const std::string& folder, FolderWrite what,
                                                 bool& allowed) = 0;
  // The bytes the operator may still write on the disk that holds `folder`.
  [[nodiscard]] virtual ErrorNumber FreeSpace(const std::string& folder, std::uint64_t& bytes) = 0;

  // The system.
  // The folder that holds the program's executable, without a final backslash.
  [[nodiscard]] virtual ErrorNumber AppPath(std::string& folder) = 0;
  // The process's current folder, which the system puts before a relative
  // path, without a final backslash (but "C:\" for a drive's root).
  [[nodiscard]] virtual ErrorNumber CurrentFolder(std::string& folder) = 0;
  // The name under which the operator is logged in to the system, read through
  // the ANSI code page (a character outside it arrives as the code page makes
  // it). False when it cannot be read.
  [[nodiscard]] virtual bool UserName(std::string& name) = 0;
  virtual std::string ToAnsi(const std::string& utf8) = 0;
  virtual std::string FromAnsi(const std::string& ansi) = 0;
  // The program's executable, its full path.
  [[nodiscard]] virtual ErrorNumber ProgramFile(std::string& path) = 0;
  // The computer's name; false when it cannot be read.
  virtual bool ComputerName(std::string& name) = 0;
  virtual LocalTime Now() = 0;
  // The system's text for an error number, without a final line end; "" when
  // it has none.
  virtual std::string ErrorText(ErrorNumber number) = 0;

  // The taskbar button: bases done out of the bases listed, in the state
  // given (None clears it). Where the system has no such button, nothing.
  virtual void TaskbarProgress(TaskbarState state, int done, int total) = 0;
  // The upper case of a text by the system's rules for the user's locale.
  virtual std::string ToUpper(const std::string& utf8) = 0;
  // Claims the one upgrade run this machine may hold at a time, for as long as
  // the program lives. `alone` is false when another run holds it; a refused
  // claim then holds nothing, so that a later start is refused only while a
  // run goes on. A run that ended without letting go (killed) holds nothing.
  [[nodiscard]] virtual ErrorNumber ClaimSingleRun(bool& alone) = 0;
};

}  // namespace maj
