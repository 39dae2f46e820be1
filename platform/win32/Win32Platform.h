// The Windows implementation of the platform's pieces: real windows, dialogs and message
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

#include "platform/Pieces.h"
#include "platform/win32/BusyPointer.h"
#include "platform/win32/MainWindow.h"
#include "support/win32/ComOwners.h"
#include "support/win32/Handles.h"

namespace maj::win32 {

// The application's title, shown by boxes that have no title of their own.
inline constexpr const char* kApplicationTitle = "MiseANiveau";

// The operator's side: Frm_MAJ, the pointer, the boxes, the taskbar button.
// Every modal loop it runs keeps the rules of platform/Operator.h: a quit
// request posted to the thread is taken off the queue by a message hook
// before a box or a dialog sees it, and only remembered.
class Win32Operator : public Operator {
 public:
  Win32Operator();
  ~Win32Operator() override;
  Win32Operator(const Win32Operator&) = delete;
  Win32Operator& operator=(const Win32Operator&) = delete;

  // Frm_MAJ: created hidden, then displayed and painted.
  [[nodiscard]] ErrorNumber CreateMainWindow() { return main_.Create(); }
  void ShowMainWindow(int showCommand) { main_.Show(showCommand); }
  HWND MainWindowHandle() const { return main_.Handle(); }
  MainWindow& Main() { return main_; }
  // How many quit requests reached the program's threads so far.
  int QuitRequests() const;

  bool Attended() const override { return true; }

  // The main window and the pointer (Win32Platform.cpp).
  [[nodiscard]] ErrorNumber SetBusyPointer(bool busy) override;
  [[nodiscard]] ErrorNumber EnableMainWindow(bool enabled) override;
  [[nodiscard]] ErrorNumber UnloadMainWindow() override;
  void DoEvents() override;
  [[nodiscard]] ErrorNumber RefuseClose(bool refuse) override;

  // Modal boxes (Boxes.cpp).
  [[nodiscard]] ErrorNumber MsgBox(const std::string& text, BoxIcon icon,
                                   const std::string& title) override;
  [[nodiscard]] ErrorNumber InputBox(const std::string& prompt, std::string& answer) override;
  [[nodiscard]] ErrorNumber ShowModal(DialogModel& dialog) override;

  // The taskbar button (Taskbar.cpp).
  void TaskbarProgress(TaskbarState state, int done, int total) override;
  void TaskbarPaused(bool paused) override;

 private:
  // The interface, created at the first use; null where the system has none.
  ITaskbarList3* Taskbar();

  // Flashes the taskbar button while another program is in front, before a
  // box or dialog waits for the operator.
  void AttractOperator();

  MainWindow main_;
  BusyPointer busy_;
  com::ComPtr<ITaskbarList3> taskbar_;
  bool taskbarTried_ = false;
  TBPFLAG taskbarState_ = TBPF_NOPROGRESS;  // the state a pause goes back to
  HHOOK quitHook_ = nullptr;
};

// One run per machine, and the session held while it goes (RunGuards.cpp).
class Win32RunGuards : public RunGuards {
 public:
  explicit Win32RunGuards(MainWindow& main) : main_(main) {}

  // A named mutex of the global namespace (of this session's when the global
  // one is refused), owned until released; a refused claim keeps nothing.
  [[nodiscard]] ErrorNumber ClaimSingleRun(bool& alone) override;
  void ReleaseSingleRun() override;
  // Answered by the main window (WM_QUERYENDSESSION); the reason is given to
  // the system at once, so that it is shown even while the run is inside a
  // long call and no message is handled.
  [[nodiscard]] ErrorNumber HoldSessionEnd(const std::string& reason,
                                           std::function<void(SessionEnd)> onRequest) override;
  void ReleaseSessionEnd() override;

 private:
  MainWindow& main_;
  OwnedMutex singleRun_;
};

// Files and folders read through the wide API (FileQueries.cpp); the
// folder's security against the process's token, and GetDiskFreeSpaceExW
// (FolderChecks.cpp); the file-system object (FileSystemObject.cpp).
class Win32FileQueries : public FileQueries {
 public:
  [[nodiscard]] ErrorNumber FindEntry(const std::string& path, bool& found) override;
  [[nodiscard]] ErrorNumber FindEntryKind(const std::string& path, EntryKind& kind) override;
  [[nodiscard]] ErrorNumber OpenForInput(const std::string& path,
                                         std::unique_ptr<ByteSource>& file) override;
  [[nodiscard]] ErrorNumber FileLength(const std::string& path, std::uint64_t& length) override;
  [[nodiscard]] ErrorNumber HiddenOrSystem(const std::string& path, bool& marked) override;
  [[nodiscard]] ErrorNumber WriteAllowed(const std::string& folder, FolderWrite what,
                                         bool& allowed) override;
  [[nodiscard]] ErrorNumber FreeSpace(const std::string& folder, std::uint64_t& bytes) override;
  [[nodiscard]] ErrorNumber CreateFileSystemObject(std::shared_ptr<FileSystemObject>& fso) override;
};

// Files and folders changed (FileWrites.cpp; RenameOver in RunLogCalls.cpp).
class Win32FileWrites : public FileWrites {
 public:
  [[nodiscard]] ErrorNumber CreateFolder(const std::string& path) override;
  [[nodiscard]] ErrorNumber OpenForAppend(const std::string& path) override;
  [[nodiscard]] ErrorNumber RewriteFile(const std::string& path, const std::string& bytes) override;
  [[nodiscard]] ErrorNumber RenameOver(const std::string& from, const std::string& to) override;
};

// The run log's file (RunLogCalls.cpp).
class Win32LogFiles : public LogFiles {
 public:
  [[nodiscard]] ErrorNumber OpenLines(const std::string& path, const std::string& header,
                                      std::unique_ptr<LineSink>& sink) override;
};

// Processes (Processes.cpp).
class Win32Processes : public Processes {
 public:
  [[nodiscard]] ErrorNumber StartProcess(const std::string& commandLine, StartWindow window,
                                         std::unique_ptr<Process>& process) override;
  [[nodiscard]] ErrorNumber StartSystemProcess(const std::string& program,
                                               const std::string& commandLine, StartWindow window,
                                               std::unique_ptr<Process>& process) override;
};

// The system (System.cpp; the program's file, the computer, the clock and the
// error texts in RunLogCalls.cpp).
class Win32System : public System {
 public:
  [[nodiscard]] ErrorNumber AppPath(std::string& folder) override;
  [[nodiscard]] ErrorNumber ProgramFile(std::string& path) override;
  [[nodiscard]] ErrorNumber CurrentFolder(std::string& folder) override;
  bool UserName(std::string& name) override;
  bool ComputerName(std::string& name) override;
  LocalTime Now() override;
  std::string ErrorText(ErrorNumber number) override;
  std::string ToAnsi(const std::string& utf8) override;
  std::string FromAnsi(const std::string& ansi) override;
  // LCMapStringEx with the user's locale.
  std::string ToUpper(const std::string& utf8) override;
};

// The pieces of one program, composed: the guards answer through the
// operator's main window. All calls on the window thread, which has
// initialised COM.
class Win32Platform final : public Win32Operator,
                            public Win32RunGuards,
                            public Win32FileQueries,
                            public Win32FileWrites,
                            public Win32LogFiles,
                            public Win32Processes,
                            public Win32System {
 public:
  Win32Platform() : Win32RunGuards(Main()) {}
  Pieces All() { return {*this, *this, *this, *this, *this, *this, *this}; }
};

}  // namespace maj::win32
