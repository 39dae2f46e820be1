// The platform of the native tests: it records every call in order, answers
// the operator's boxes from a script, keeps files in a temporary folder, and
// runs "xcopy" command lines by copying the file itself.
//
// Windows paths map into the temporary folder through the stand-in's mapper,
// so that the stand-in server of a run sees the same files:
//   \\127.0.0.1\UNIDATA\X  ->  <root>/127.0.0.1/UNIDATA/X
//   D:\X                   ->  <root>/D/X
// A path it cannot map (relative, or climbing with "..") maps to nothing.
// Names are compared as they are written (the tests keep one spelling).
#pragma once

#include <cstdint>
#include <deque>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "platform/Pieces.h"

namespace maj::test {

// What the operator does with the next dialog: types into boxes, then presses
// a button ("" closes the dialog through its title bar instead).
struct DialogAnswer {
  std::map<std::string, std::string> typed;
  std::string button;
};
DialogAnswer LoginOk(const std::string& user, const std::string& password);
DialogAnswer LoginCancel();
DialogAnswer LoginClose();

struct BoxSeen {
  std::string text;
  BoxIcon icon;
  std::string title;
  bool busy;     // the busy pointer was on
  bool enabled;  // the main window was enabled
  bool held;     // the one run of the machine was held
};

struct DialogSeen {
  std::string caption;
  std::map<std::string, TextBoxState> boxes;  // as Form_Load left them
  bool busy;
  bool enabled;
};

class TestPlatform : public Operator,
                     public RunGuards,
                     public FileQueries,
                     public FileWrites,
                     public LogFiles,
                     public Processes,
                     public System {
 public:
  TestPlatform();
  ~TestPlatform() override;
  TestPlatform(const TestPlatform&) = delete;
  TestPlatform& operator=(const TestPlatform&) = delete;

  // Every piece, for a whole run.
  Pieces All() { return {*this, *this, *this, *this, *this, *this, *this}; }

  const std::filesystem::path& Root() const { return root_; }
  std::filesystem::path Map(const std::string& windowsPath) const;

  // Test helpers on the mapped files.
  void WriteFile(const std::string& windowsPath, const std::string& bytes);
  std::string ReadFile(const std::string& windowsPath) const;
  bool Exists(const std::string& windowsPath) const;
  void MakeFolder(const std::string& windowsPath);
  void SetReadOnly(const std::string& windowsPath, bool readOnly);
  // Marks a file hidden: xcopy skips it unless given /H.
  void SetHidden(const std::string& windowsPath) { hidden_.insert(windowsPath); }

  // Makes an operation fail with `err`: every call (times < 0) or the next
  // `times` calls. Keys are the operation name ("RewriteFile") or the name with
  // its path argument ("OpenForInput(\\127.0.0.1\UNIDATA\BASES.TXT)").
  void Fail(const std::string& key, ErrorNumber err, int times = -1);

  // Calls made, in order, whose text starts with one of the prefixes.
  std::vector<std::string> Calls(const std::vector<std::string>& prefixes) const;

  // The script.
  std::deque<std::string> inputAnswers;
  std::deque<DialogAnswer> dialogAnswers;
  std::string appPath = R"(C:\APP)";
  std::string currentFolder = R"(C:\APP)";
  std::string loginName = "operateur";
  bool loginNameFails = false;
  std::string computerName = "SERVEUR";
  std::uint32_t exitCode = 0;  // of every process started
  // The clock: the date stays, the tick (and its milliseconds) moves on by
  // `clockStep` at each reading.
  LocalTime clock{2026, 12, 7, 9, 30, 15, 0, 1000};
  std::uint64_t clockStep = 5;
  // The room for log files: an append that would pass it fails as on a full disk.
  std::uint64_t logDiskSpace = ~std::uint64_t{0};
  bool anotherRun = false;                           // another upgrade run holds the machine
  bool singleRunHeld = false;                        // this run holds it
  std::uint64_t freeSpace = std::uint64_t{1} << 40;  // on every disk
  // The operator asks to close the main window when this call is made
  // ("InputBox", "MsgBox"...): refused, or the window is gone.
  std::string closeRequestAt;
  // What ends each wait of a started process before the process itself does:
  // "message" (a window message arrived) or "time" (the bound passed); once
  // the script is used up, the next wait sees the process end. Every process
  // started follows it from its beginning.
  std::deque<std::string> wakesBeforeEnd;

  // What was seen.
  std::vector<std::string> calls;
  std::vector<BoxSeen> boxes;
  std::vector<DialogSeen> dialogs;
  std::vector<std::string> prompts;   // input boxes
  std::vector<std::string> commands;  // process command lines
  std::vector<std::string> unexpected;
  bool busy = false;
  bool enabled = true;
  bool unloaded = false;
  int openFiles = 0;
  int runningProcesses = 0;
  bool xcopyAsked = false;            // a copy whose destination folder was missing
  std::vector<std::string> taskbar;   // "Normal 1/3", "Error 2/3", "None 0/0"
  std::vector<std::string> programs;  // the system programs started, in order
  bool closeRefused = false;
  std::function<void(SessionEnd)> onSessionEnd;
  bool closedByOperator = false;  // the main window went away on a close request

  // The pieces.
  bool Attended() const override { return true; }
  ErrorNumber SetBusyPointer(bool on) override;
  ErrorNumber EnableMainWindow(bool on) override;
  ErrorNumber UnloadMainWindow() override;
  void DoEvents() override;
  ErrorNumber RefuseClose(bool refuse) override;
  // Held: the reason, and what a session end request calls (SessionEndRequest).
  ErrorNumber HoldSessionEnd(const std::string& reason,
                             std::function<void(SessionEnd)> onRequest) override;
  void ReleaseSessionEnd() override;
  // A log-off asked for now: true when the platform let it go on.
  bool SessionEndRequest();
  std::string sessionEndReason;
  // The call at which the operator logs off (one request each time), and
  // the answers given: "wait" or "end".
  std::string sessionEndAt;
  std::vector<std::string> sessionEndAnswers;
  ErrorNumber MsgBox(const std::string& text, BoxIcon icon, const std::string& title) override;
  ErrorNumber InputBox(const std::string& prompt, std::string& answer) override;
  ErrorNumber ShowModal(DialogModel& dialog) override;
  ErrorNumber CreateFileSystemObject(std::shared_ptr<FileSystemObject>& fso) override;
  ErrorNumber StartProcess(const std::string& commandLine, StartWindow window,
                           std::unique_ptr<Process>& process) override;
  ErrorNumber StartSystemProcess(const std::string& program, const std::string& commandLine,
                                 StartWindow window, std::unique_ptr<Process>& process) override;
  ErrorNumber FindEntry(const std::string& path, bool& found) override;
  ErrorNumber CreateFolder(const std::string& path) override;
  ErrorNumber OpenForInput(const std::string& path, std::unique_ptr<ByteSource>& file) override;
  ErrorNumber OpenForAppend(const std::string& path) override;
  ErrorNumber FileLength(const std::string& path, std::uint64_t& length) override;
  ErrorNumber HiddenOrSystem(const std::string& path, bool& marked) override;
  ErrorNumber RewriteFile(const std::string& path, const std::string& bytes) override;
  ErrorNumber FindEntryKind(const std::string& path, EntryKind& kind) override;
  // Allowed unless the folder is read-only (SetReadOnly).
  ErrorNumber WriteAllowed(const std::string& folder, FolderWrite what, bool& allowed) override;
  // `freeSpace` bytes on every disk.
  ErrorNumber FreeSpace(const std::string& folder, std::uint64_t& bytes) override;
  ErrorNumber AppPath(std::string& folder) override;
  ErrorNumber CurrentFolder(std::string& folder) override;
  bool UserName(std::string& name) override;
  std::string ToAnsi(const std::string& utf8) override;
  std::string FromAnsi(const std::string& ansi) override;
  // The run log's operations are not recorded in `calls`, so that a run's
  // journal is the same with a log and without; they fail as scripted all
  // the same ("OpenLines(path)", "AppendLine", "RenameOver", "ExitCode").
  ErrorNumber OpenLines(const std::string& path, const std::string& header,
                        std::unique_ptr<LineSink>& sink) override;
  ErrorNumber RenameOver(const std::string& from, const std::string& to) override;
  ErrorNumber ProgramFile(std::string& path) override;
  bool ComputerName(std::string& name) override;
  LocalTime Now() override;
  std::string ErrorText(ErrorNumber number) override;
  void TaskbarProgress(TaskbarState state, int done, int total) override;
  // "Paused" and "Unpaused" in `taskbar`.
  void TaskbarPaused(bool paused) override;
  // The portable table of platform/Text.h, which agrees with Windows on the
  // letters it covers.
  std::string ToUpper(const std::string& utf8) override;
  ErrorNumber ClaimSingleRun(bool& alone) override;
  // Not recorded in `calls`: `singleRunHeld` tells.
  void ReleaseSingleRun() override;

  // Records the call and answers the failure scripted for it, if any.
  ErrorNumber Call(const std::string& name, const std::string& argument = {});
  // Answers the failure scripted for a call without recording it.
  ErrorNumber Injected(const std::string& name, const std::string& argument = {});

 private:
  // The share is unreachable when its mapped folder is missing.
  ErrorNumber Reach(const std::string& path) const;
  ErrorNumber Append(const std::string& path) const;
  void RunXcopy(const std::string& commandLine);
  void CloseRequest();

  struct Failure {
    ErrorNumber err;
    int times;
  };
  std::filesystem::path root_;
  std::function<std::filesystem::path(const std::string&)> mapper_;
  std::map<std::string, Failure> failures_;
  std::set<std::string> hidden_;
};

}  // namespace maj::test
