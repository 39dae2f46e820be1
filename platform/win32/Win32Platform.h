// The Windows implementation of Platform: real windows, dialogs and message
// boxes, processes, files through the wide API, the file-system object and
// the system's ANSI code page. All calls on the window thread, which has
// initialised COM.
//
// What an operator (or the helper of the end-to-end tests) finds on screen:
// - Frm_MAJ: class "MiseANiveau.Frm_MAJ", title "Mise à niveau", Label1 a
//   "Static" with ID 100 (MainWindow.h);
// - message boxes: class "#32770", the given title ("Message MERIDOXAN"), the
//   text in the child of ID 0xFFFF, the button IDOK;
// - the input box: class "#32770", title "MiseANiveau"; prompt "Static" 100,
//   answer "Edit" 101, "OK" 102, "Annuler" 103;
// - dialogs rendered from a DialogModel: class "#32770", title the caption,
//   control IDs 100 + index in creation order (DialogView.h).
#pragma once

#include <windows.h>
// shobjidl.h needs the types windows.h declares.
#include <shobjidl.h>

#include "platform/Platform.h"
#include "platform/win32/BusyPointer.h"
#include "platform/win32/MainWindow.h"
#include "support/win32/ComOwners.h"
#include "support/win32/Handles.h"

namespace maj::win32 {

// The application's title, shown by boxes that have no title of their own.
inline constexpr const char* kApplicationTitle = "MiseANiveau";

class Win32Platform final : public Platform {
 public:
  // Frm_MAJ: created hidden, then displayed and painted.
  [[nodiscard]] ErrorNumber CreateMainWindow() { return main_.Create(); }
  void ShowMainWindow(int showCommand) { main_.Show(showCommand); }
  HWND MainWindowHandle() const { return main_.Handle(); }

  // The main window and the pointer.
  [[nodiscard]] ErrorNumber SetBusyPointer(bool busy) override;
  [[nodiscard]] ErrorNumber EnableMainWindow(bool enabled) override;
  [[nodiscard]] ErrorNumber UnloadMainWindow() override;
  void DoEvents() override;
  [[nodiscard]] ErrorNumber RefuseClose(bool refuse) override;
  // Answered by the main window (WM_QUERYENDSESSION), with
  // ShutdownBlockReasonCreate where the system has it.
  [[nodiscard]] ErrorNumber HoldSessionEnd(const std::string& reason,
                                           std::function<void()> onRequest) override;
  void ReleaseSessionEnd() override;

  // Modal boxes (Boxes.cpp).
  [[nodiscard]] ErrorNumber MsgBox(const std::string& text, BoxIcon icon,
                                   const std::string& title) override;
  [[nodiscard]] ErrorNumber InputBox(const std::string& prompt, std::string& answer) override;
  [[nodiscard]] ErrorNumber ShowModal(DialogModel& dialog) override;

  // Objects and processes (FileSystemObject.cpp, Processes.cpp).
  [[nodiscard]] ErrorNumber CreateFileSystemObject(std::shared_ptr<FileSystemObject>& fso) override;
  [[nodiscard]] ErrorNumber StartProcess(const std::string& commandLine, StartWindow window,
                                         std::unique_ptr<Process>& process) override;
  [[nodiscard]] ErrorNumber StartSystemProcess(const std::string& program,
                                               const std::string& commandLine, StartWindow window,
                                               std::unique_ptr<Process>& process) override;

  // Files and folders (Files.cpp).
  [[nodiscard]] ErrorNumber FindEntry(const std::string& path, bool& found) override;
  [[nodiscard]] ErrorNumber CreateFolder(const std::string& path) override;
  [[nodiscard]] ErrorNumber OpenForInput(const std::string& path,
                                         std::unique_ptr<ByteSource>& file) override;
  [[nodiscard]] ErrorNumber OpenForAppend(const std::string& path) override;
  [[nodiscard]] ErrorNumber FileLength(const std::string& path, std::uint64_t& length) override;
  [[nodiscard]] ErrorNumber RewriteFile(const std::string& path, const std::string& bytes) override;
  [[nodiscard]] ErrorNumber FindEntryKind(const std::string& path, EntryKind& kind) override;
  // FolderChecks.cpp: the folder's security against the process's token, and
  // GetDiskFreeSpaceExW.
  [[nodiscard]] ErrorNumber WriteAllowed(const std::string& folder, FolderWrite what,
                                         bool& allowed) override;
  [[nodiscard]] ErrorNumber FreeSpace(const std::string& folder, std::uint64_t& bytes) override;

  // The system (System.cpp).
  [[nodiscard]] ErrorNumber AppPath(std::string& folder) override;
  [[nodiscard]] ErrorNumber CurrentFolder(std::string& folder) override;
  bool UserName(std::string& name) override;
  std::string ToAnsi(const std::string& utf8) override;
  std::string FromAnsi(const std::string& ansi) override;
  // LCMapStringEx with the user's locale.
  std::string ToUpper(const std::string& utf8) override;
  // SingleRun.cpp: a named mutex of the global namespace (of this session's
  // when the global one is refused), owned until the platform goes; a
  // refused claim keeps nothing.
  [[nodiscard]] ErrorNumber ClaimSingleRun(bool& alone) override;

  // What the run log needs (RunLogCalls.cpp).
  [[nodiscard]] ErrorNumber OpenLines(const std::string& path, const std::string& header,
                                      std::unique_ptr<LineSink>& sink) override;
  [[nodiscard]] ErrorNumber RenameOver(const std::string& from, const std::string& to) override;
  [[nodiscard]] ErrorNumber ProgramFile(std::string& path) override;
  bool ComputerName(std::string& name) override;
  LocalTime Now() override;
  std::string ErrorText(ErrorNumber number) override;

  // The taskbar button (Taskbar.cpp).
  void TaskbarProgress(TaskbarState state, int done, int total) override;

 private:
  // Flashes the taskbar button while another program is in front, before a
  // box or dialog waits for the operator.
  void AttractOperator();

  MainWindow main_;
  BusyPointer busy_;
  com::ComPtr<ITaskbarList3> taskbar_;
  bool taskbarTried_ = false;
  OwnedMutex singleRun_;
};

}  // namespace maj::win32
