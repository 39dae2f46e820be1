#include "tests/support/TestPlatform.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <fstream>
#include <iterator>

#include "platform/Text.h"
#include "standin/StandIn.h"
#include "tests/support/Cp1252.h"

namespace fs = std::filesystem;

namespace maj::test {
namespace {

constexpr ErrorNumber kWin32BadNetPath = FromWin32(53);
constexpr ErrorNumber kFsoPathNotFound = 0x800A004C;

bool StartsWith(const std::string& s, const std::string& prefix) {
  return s.compare(0, prefix.size(), prefix) == 0;
}

bool IsUnc(const std::string& path) {
  return StartsWith(path, R"(\\)");
}

std::string Lower(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return s;
}

bool IsReadOnly(const fs::path& p) {
  struct stat st {};
  return ::stat(p.c_str(), &st) == 0 && (st.st_mode & S_IWUSR) == 0;
}

// Splits a command line into arguments the way Windows programs do for the
// simple forms used here: blanks separate, double quotes group.
std::vector<std::string> SplitCommandLine(const std::string& line) {
  std::vector<std::string> args;
  std::string current;
  bool quoted = false, any = false;
  for (const char c : line) {
    if (c == '"') {
      quoted = !quoted;
      any = true;
    } else if (c == ' ' && !quoted) {
      if (any) args.push_back(current);
      current.clear();
      any = false;
    } else {
      current += c;
      any = true;
    }
  }
  if (any) args.push_back(current);
  return args;
}

class TestByteSource : public ByteSource {
 public:
  TestByteSource(const fs::path& path, int& openFiles)
      : in_(path, std::ios::binary), openFiles_(openFiles) {
    ++openFiles_;
  }
  ~TestByteSource() override { --openFiles_; }
  TestByteSource(const TestByteSource&) = delete;
  TestByteSource& operator=(const TestByteSource&) = delete;

  ErrorNumber Read(std::span<char> buffer, std::size_t& got) override {
    in_.read(buffer.data(), static_cast<std::streamsize>(buffer.size()));
    got = static_cast<std::size_t>(in_.gcount());
    return in_.bad() ? FromWin32(30) : kOk;  // ERROR_READ_FAULT
  }

 private:
  std::ifstream in_;
  int& openFiles_;
};

class TestProcess : public Process {
 public:
  TestProcess(TestPlatform& platform, std::deque<std::string> wakes)
      : platform_(platform), wakes_(std::move(wakes)) {
    ++platform_.runningProcesses;
  }
  ~TestProcess() override {
    if (!ended_) --platform_.runningProcesses;
  }
  TestProcess(const TestProcess&) = delete;
  TestProcess& operator=(const TestProcess&) = delete;

  // Recorded as "WaitForEnd(100, ended)", "(100, message)" or "(100, time)".
  ErrorNumber WaitForEnd(std::uint32_t milliseconds, bool& ended) override {
    std::string woken = "ended";
    if (!ended_ && !wakes_.empty()) {
      woken = wakes_.front();
      wakes_.pop_front();
    } else if (!ended_) {
      ended_ = true;
      --platform_.runningProcesses;
    }
    if (const ErrorNumber err =
            platform_.Call("WaitForEnd", std::to_string(milliseconds) + ", " + woken)) {
      return err;
    }
    ended = ended_;
    return kOk;
  }

  ErrorNumber ExitCode(std::uint32_t& code) override {
    if (const ErrorNumber err = platform_.Injected("ExitCode")) return err;
    if (!ended_) return kErrInvalidCall;
    code = platform_.exitCode;
    return kOk;
  }

 private:
  TestPlatform& platform_;
  std::deque<std::string> wakes_;
  bool ended_ = false;
};

// A log file: each Append is one write of the whole line, at the end.
class TestLineSink : public LineSink {
 public:
  TestLineSink(TestPlatform& platform, fs::path path)
      : platform_(platform), path_(std::move(path)) {
    ++platform_.openFiles;
  }
  ~TestLineSink() override { --platform_.openFiles; }
  TestLineSink(const TestLineSink&) = delete;
  TestLineSink& operator=(const TestLineSink&) = delete;

  ErrorNumber Append(const std::string& bytes) override {
    if (const ErrorNumber err = platform_.Injected("AppendLine")) return err;
    std::uint64_t length = 0;
    if (Length(length) == kOk && length + bytes.size() > platform_.logDiskSpace) {
      return FromWin32(112);  // ERROR_DISK_FULL
    }
    std::ofstream out(path_, std::ios::binary | std::ios::app);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.flush();
    return out ? kOk : FromWin32(29);  // ERROR_WRITE_FAULT
  }

  ErrorNumber Length(std::uint64_t& length) override {
    std::error_code ec;
    const auto size = fs::file_size(path_, ec);
    if (ec) return kWin32FileNotFound;
    length = size;
    return kOk;
  }

 private:
  TestPlatform& platform_;
  fs::path path_;
};

class TestFso : public FileSystemObject {
 public:
  explicit TestFso(TestPlatform& platform) : platform_(platform) {}

  // The files directly in the folder, by name regardless of case, as the file
  // system of a Windows server lists them.
  ErrorNumber GetFolderFiles(const std::string& folder, std::vector<std::string>& files) override {
    platform_.calls.push_back("GetFolderFiles(" + folder + ")");
    const fs::path dir = platform_.Map(folder);
    std::error_code ec;
    if (!fs::is_directory(dir, ec)) return kFsoPathNotFound;
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir)) {
      if (entry.is_regular_file()) names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end(),
              [](const std::string& a, const std::string& b) { return Lower(a) < Lower(b); });
    files.clear();
    for (const auto& name : names) files.push_back(folder + "\\" + name);
    return kOk;
  }

 private:
  TestPlatform& platform_;
};

}  // namespace

DialogAnswer LoginOk(const std::string& user, const std::string& password) {
  return {{{"Txt_Utilisateur", user}, {"Txt_MotPasse", password}}, "Cmd_Ok"};
}
DialogAnswer LoginCancel() {
  return {{}, "Cmd_Annuler"};
}
DialogAnswer LoginClose() {
  return {{}, ""};
}

TestPlatform::TestPlatform() {
  std::string pattern = (fs::temp_directory_path() / "maj-test-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) std::abort();
  root_ = pattern;
  mapper_ = standin::FolderMapper(root_);
  MakeFolder(R"(\\127.0.0.1\UNIDATA)");
}

TestPlatform::~TestPlatform() {
  std::error_code ec;
  // Read-only files inside would not stop the removal; permissions are restored anyway.
  fs::permissions(root_, fs::perms::owner_all, fs::perm_options::add, ec);
  fs::remove_all(root_, ec);
}

fs::path TestPlatform::Map(const std::string& windowsPath) const {
  return mapper_(windowsPath);
}

void TestPlatform::WriteFile(const std::string& windowsPath, const std::string& bytes) {
  const fs::path p = Map(windowsPath);
  fs::create_directories(p.parent_path());
  std::ofstream(p, std::ios::binary | std::ios::trunc) << bytes;
}

std::string TestPlatform::ReadFile(const std::string& windowsPath) const {
  std::ifstream in(Map(windowsPath), std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

bool TestPlatform::Exists(const std::string& windowsPath) const {
  std::error_code ec;
  return fs::exists(Map(windowsPath), ec);
}

void TestPlatform::MakeFolder(const std::string& windowsPath) {
  fs::create_directories(Map(windowsPath));
}

void TestPlatform::SetReadOnly(const std::string& windowsPath, bool readOnly) {
  fs::permissions(Map(windowsPath), fs::perms::owner_write,
                  readOnly ? fs::perm_options::remove : fs::perm_options::add);
}

void TestPlatform::Fail(const std::string& key, ErrorNumber err, int times) {
  failures_[key] = {err, times};
}

std::vector<std::string> TestPlatform::Calls(const std::vector<std::string>& prefixes) const {
  std::vector<std::string> out;
  for (const auto& call : calls) {
    for (const auto& prefix : prefixes) {
      if (StartsWith(call, prefix)) {
        out.push_back(call);
        break;
      }
    }
  }
  return out;
}

ErrorNumber TestPlatform::Call(const std::string& name, const std::string& argument) {
  const std::string call = argument.empty() ? name : name + "(" + argument + ")";
  calls.push_back(call);
  if (name == closeRequestAt) CloseRequest();
  if (name == sessionEndAt) sessionEndAnswers.push_back(SessionEndRequest() ? "end" : "wait");
  return Injected(name, argument);
}

ErrorNumber TestPlatform::Injected(const std::string& name, const std::string& argument) {
  const std::string call = argument.empty() ? name : name + "(" + argument + ")";
  for (const std::string& key : {call, name}) {
    auto it = failures_.find(key);
    if (it == failures_.end() || it->second.times == 0) continue;
    if (it->second.times > 0) --it->second.times;
    return it->second.err;
  }
  return kOk;
}

void TestPlatform::CloseRequest() {
  if (closeRefused || closedByOperator) {
    calls.push_back("CloseRequest(refused)");
    return;
  }
  calls.push_back("CloseRequest(closed)");
  closedByOperator = true;
}

ErrorNumber TestPlatform::Reach(const std::string& path) const {
  std::error_code ec;
  if (IsUnc(path) && !fs::is_directory(Map(R"(\\127.0.0.1\UNIDATA)"), ec)) return kWin32BadNetPath;
  return kOk;
}

ErrorNumber TestPlatform::SetBusyPointer(bool on) {
  if (const ErrorNumber err = Call("SetBusyPointer", on ? "true" : "false")) return err;
  busy = on;
  return kOk;
}

ErrorNumber TestPlatform::EnableMainWindow(bool on) {
  if (const ErrorNumber err = Call("EnableMainWindow", on ? "true" : "false")) return err;
  enabled = on;
  return kOk;
}

ErrorNumber TestPlatform::HoldSessionEnd(const std::string& reason,
                                         std::function<void(SessionEnd)> onRequest) {
  // Not recorded in `calls`: the journals of earlier runs stay as they were.
  if (const ErrorNumber err = Injected("HoldSessionEnd")) return err;
  sessionEndReason = reason;
  onSessionEnd = std::move(onRequest);
  return kOk;
}

void TestPlatform::ReleaseSessionEnd() {
  sessionEndReason.clear();
  onSessionEnd = nullptr;
}

bool TestPlatform::SessionEndRequest() {
  if (!onSessionEnd) return true;
  onSessionEnd(SessionEnd::Asked);
  return false;
}

ErrorNumber TestPlatform::RefuseClose(bool refuse) {
  if (const ErrorNumber err = Call("RefuseClose", refuse ? "true" : "false")) return err;
  closeRefused = refuse;
  return kOk;
}

ErrorNumber TestPlatform::UnloadMainWindow() {
  if (const ErrorNumber err = Call("UnloadMainWindow")) return err;
  if (unloaded) unexpected.push_back("the main window was unloaded twice");
  unloaded = true;
  return kOk;
}

void TestPlatform::DoEvents() {
  calls.push_back("DoEvents");
}

ErrorNumber TestPlatform::MsgBox(const std::string& text, BoxIcon icon, const std::string& title) {
  if (const ErrorNumber err = Call("MsgBox", text)) return err;
  boxes.push_back({text, icon, title, busy, enabled, singleRunHeld});
  return kOk;
}

ErrorNumber TestPlatform::InputBox(const std::string& prompt, std::string& answer) {
  if (const ErrorNumber err = Call("InputBox", prompt)) return err;
  prompts.push_back(prompt);
  if (inputAnswers.empty()) {
    unexpected.push_back("an input box nobody expected: " + prompt);
    answer.clear();
    return kOk;
  }
  answer = inputAnswers.front();
  inputAnswers.pop_front();
  return kOk;
}

ErrorNumber TestPlatform::ShowModal(DialogModel& dialog) {
  if (const ErrorNumber err = Call("ShowModal", dialog.Design().caption)) return err;
  dialog.Form_Load();
  DialogSeen seen{dialog.Design().caption, {}, busy, enabled};
  for (const auto& control : dialog.Design().controls) {
    if (const TextBoxState* box = dialog.Box(control.name)) seen.boxes[control.name] = *box;
  }
  dialogs.push_back(seen);
  if (dialogAnswers.empty()) {
    unexpected.push_back("a dialog nobody expected: " + dialog.Design().caption);
    return kErrInvalidCall;
  }
  const DialogAnswer answer = dialogAnswers.front();
  dialogAnswers.pop_front();
  for (const auto& [name, text] : answer.typed) {
    if (TextBoxState* box = dialog.Box(name)) box->text = text;
  }
  if (!answer.button.empty()) {
    dialog.Click(answer.button);
    if (!dialog.unloadRequested) unexpected.push_back(answer.button + " did not close the dialog");
  }
  return kOk;
}

ErrorNumber TestPlatform::CreateFileSystemObject(std::shared_ptr<FileSystemObject>& fso) {
  if (const ErrorNumber err = Call("CreateFileSystemObject")) return err;
  fso = std::make_shared<TestFso>(*this);
  return kOk;
}

ErrorNumber TestPlatform::StartProcess(const std::string& commandLine, StartWindow window,
                                       std::unique_ptr<Process>& process) {
  if (const ErrorNumber err = Call("StartProcess", commandLine)) return err;
  if (window != StartWindow::NoConsoleWindow) {
    unexpected.push_back("a process started with a console window");
  }
  if (runningProcesses != 0) unexpected.push_back("two processes at once: " + commandLine);
  commands.push_back(commandLine);
  if (StartsWith(commandLine, "xcopy ")) RunXcopy(commandLine);
  process = std::make_unique<TestProcess>(*this, wakesBeforeEnd);
  return kOk;
}

ErrorNumber TestPlatform::StartSystemProcess(const std::string& program,
                                             const std::string& commandLine, StartWindow window,
                                             std::unique_ptr<Process>& process) {
  programs.push_back(program);
  return StartProcess(commandLine, window, process);
}

void TestPlatform::RunXcopy(const std::string& commandLine) {
  const std::vector<std::string> args = SplitCommandLine(commandLine);
  const bool withHidden = args.size() == 6 && args[5] == "/H";
  if ((args.size() != 5 && !withHidden) || args[3] != "/C" || args[4] != "/Y") return;
  // Without /H xcopy skips a hidden or system file: "File not found".
  if (hidden_.contains(args[1]) && !withHidden) return;
  const fs::path source = Map(args[1]);
  const fs::path destination = Map(args[2]);
  const std::string name = source.filename().string();
  std::error_code ec;
  if (fs::is_regular_file(destination, ec)) {
    // /Y: a file of the destination's name is written over.
    fs::copy_file(source, destination, fs::copy_options::overwrite_existing, ec);
    return;
  }
  // A path xcopy cannot name (MAX_PATH, its zero included) is a destination it
  // cannot see: it asks "file or directory?", in a window nobody sees.
  const bool named = Utf16Length(args[1]) < 260 && Utf16Length(args[2] + "\\" + name) < 260;
  if (!named || !fs::is_directory(destination, ec)) {
    xcopyAsked = true;
    return;
  }
  fs::copy_file(source, destination / name, fs::copy_options::overwrite_existing, ec);
}

ErrorNumber TestPlatform::FindEntry(const std::string& path, bool& found) {
  if (const ErrorNumber err = Call("FindEntry", path)) return err;
  if (const ErrorNumber err = Reach(path)) return err;
  std::error_code ec;
  found = fs::exists(Map(path), ec);
  return kOk;
}

ErrorNumber TestPlatform::CreateFolder(const std::string& path) {
  if (const ErrorNumber err = Call("CreateFolder", path)) return err;
  if (const ErrorNumber err = Reach(path)) return err;
  const fs::path p = Map(path);
  std::error_code ec;
  if (fs::exists(p, ec)) return kWin32AlreadyExists;
  if (!fs::is_directory(p.parent_path(), ec)) return kWin32PathNotFound;
  return fs::create_directory(p, ec) ? kOk : kWin32AccessDenied;
}

ErrorNumber TestPlatform::OpenForInput(const std::string& path, std::unique_ptr<ByteSource>& file) {
  if (const ErrorNumber err = Call("OpenForInput", path)) return err;
  if (const ErrorNumber err = Reach(path)) return err;
  const fs::path p = Map(path);
  std::error_code ec;
  if (!fs::is_directory(p.parent_path(), ec)) return kWin32PathNotFound;
  if (!fs::is_regular_file(p, ec)) return kWin32FileNotFound;
  file = std::make_unique<TestByteSource>(p, openFiles);
  return kOk;
}

// Opens the file for appending, as Windows would allow it, and closes it:
// creates it empty when missing.
ErrorNumber TestPlatform::Append(const std::string& path) const {
  if (const ErrorNumber err = Reach(path)) return err;
  const fs::path p = Map(path);
  std::error_code ec;
  if (!fs::is_directory(p.parent_path(), ec)) return kWin32PathNotFound;
  if (fs::exists(p, ec) && (IsReadOnly(p) || fs::is_directory(p, ec))) return kWin32AccessDenied;
  std::ofstream out(p, std::ios::binary | std::ios::app);
  return out ? kOk : kWin32AccessDenied;
}

ErrorNumber TestPlatform::OpenForAppend(const std::string& path) {
  if (const ErrorNumber err = Call("OpenForAppend", path)) return err;
  return Append(path);
}

ErrorNumber TestPlatform::FileLength(const std::string& path, std::uint64_t& length) {
  if (const ErrorNumber err = Call("FileLength", path)) return err;
  std::error_code ec;
  const auto size = fs::file_size(Map(path), ec);
  if (ec) return kWin32FileNotFound;
  length = size;
  return kOk;
}

ErrorNumber TestPlatform::RewriteFile(const std::string& path, const std::string& bytes) {
  if (const ErrorNumber err = Call("RewriteFile", path)) return err;
  if (const ErrorNumber err = Reach(path)) return err;
  const fs::path target = Map(path);
  std::error_code ec;
  if (!fs::is_directory(target.parent_path(), ec)) return kWin32PathNotFound;
  if (fs::exists(target, ec) && IsReadOnly(target)) return kWin32AccessDenied;
  // The new content goes beside the file, reaches the disk, then takes its
  // place in one rename: a crash leaves either the old file or the new one.
  const fs::path temporary = target.string() + ".new";
  const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (fd < 0) return kWin32AccessDenied;
  bool written = true;
  for (std::size_t done = 0; written && done < bytes.size();) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    written = n > 0;
    if (written) done += static_cast<std::size_t>(n);
  }
  written = ::fsync(fd) == 0 && written;
  ::close(fd);
  if (!written || ::rename(temporary.c_str(), target.c_str()) != 0) {
    fs::remove(temporary, ec);
    return FromWin32(29);  // ERROR_WRITE_FAULT
  }
  return kOk;
}

ErrorNumber TestPlatform::FindEntryKind(const std::string& path, EntryKind& kind) {
  if (const ErrorNumber err = Call("FindEntryKind", path)) return err;
  if (const ErrorNumber err = Reach(path)) return err;
  const fs::path p = Map(path);
  std::error_code ec;
  kind = !fs::exists(p, ec)        ? EntryKind::Missing
         : fs::is_directory(p, ec) ? EntryKind::Folder
                                   : EntryKind::Other;
  return kOk;
}

ErrorNumber TestPlatform::WriteAllowed(const std::string& folder, FolderWrite what, bool& allowed) {
  if (const ErrorNumber err =
          Call("WriteAllowed", folder + (what == FolderWrite::File ? ", file" : ", folder"))) {
    return err;
  }
  if (const ErrorNumber err = Reach(folder)) return err;
  std::error_code ec;
  if (!fs::is_directory(Map(folder), ec)) return kWin32PathNotFound;
  allowed = !IsReadOnly(Map(folder));
  return kOk;
}

ErrorNumber TestPlatform::FreeSpace(const std::string& folder, std::uint64_t& bytes) {
  if (const ErrorNumber err = Call("FreeSpace", folder)) return err;
  if (const ErrorNumber err = Reach(folder)) return err;
  std::error_code ec;
  if (!fs::exists(Map(folder), ec)) return kWin32PathNotFound;
  bytes = freeSpace;
  return kOk;
}

ErrorNumber TestPlatform::AppPath(std::string& folder) {
  if (const ErrorNumber err = Call("AppPath")) return err;
  folder = appPath;
  return kOk;
}

bool TestPlatform::UserName(std::string& name) {
  calls.push_back("UserName");
  // No system holds a login name longer than 256 characters.
  if (loginNameFails || Utf8ToCp1252(loginName).size() > 256) return false;
  name = Cp1252ToUtf8(Utf8ToCp1252(loginName));
  return true;
}

std::string TestPlatform::ToAnsi(const std::string& utf8) {
  return Utf8ToCp1252(utf8);
}
std::string TestPlatform::FromAnsi(const std::string& ansi) {
  return Cp1252ToUtf8(ansi);
}

ErrorNumber TestPlatform::OpenLines(const std::string& path, const std::string& header,
                                    std::unique_ptr<LineSink>& sink) {
  if (const ErrorNumber err = Injected("OpenLines", path)) return err;
  std::error_code ec;
  const bool created = !fs::exists(Map(path), ec);
  if (const ErrorNumber err = Append(path)) return err;
  auto opened = std::make_unique<TestLineSink>(*this, Map(path));
  if (created && !header.empty()) {
    if (const ErrorNumber err = opened->Append(header)) {
      opened.reset();
      fs::remove(Map(path), ec);
      return err;
    }
  }
  sink = std::move(opened);
  return kOk;
}

ErrorNumber TestPlatform::RenameOver(const std::string& from, const std::string& to) {
  if (const ErrorNumber err = Injected("RenameOver", from)) return err;
  std::error_code ec;
  fs::rename(Map(from), Map(to), ec);
  return ec ? kWin32AccessDenied : kOk;
}

ErrorNumber TestPlatform::CurrentFolder(std::string& folder) {
  if (const ErrorNumber err = Call("CurrentFolder")) return err;
  folder = currentFolder;
  return kOk;
}

ErrorNumber TestPlatform::ProgramFile(std::string& path) {
  if (const ErrorNumber err = Injected("ProgramFile")) return err;
  path = appPath + R"(\MiseANiveau.exe)";
  return kOk;
}

bool TestPlatform::ComputerName(std::string& name) {
  name = computerName;
  return !computerName.empty();
}

LocalTime TestPlatform::Now() {
  LocalTime now = clock;
  now.millisecond = static_cast<int>(clock.tick % 1000);
  clock.tick += clockStep;
  return now;
}

std::string TestPlatform::ErrorText(ErrorNumber number) {
  // A few of the system's texts, as Windows words them; others have none.
  switch (number) {
    case kWin32FileNotFound:
      return "The system cannot find the file specified.\r\n";
    case kWin32AccessDenied:
      return "Access is denied.\r\n";
    case FromWin32(112):
      return "There is not enough space on the disk.\r\n";
    // OLE's own numbers, which the component's share.
    case 0x80040006:
      return "There is no cache to operate on.\r\n";
    case 0x8004000B:
      return "Object is static; operation not allowed.\r\n";
    case 0x80040154:
      return "Class not registered\r\n";
    default:
      return {};
  }
}

void TestPlatform::TaskbarPaused(bool paused) {
  taskbar.push_back(paused ? "Paused" : "Unpaused");
}

ErrorNumber TestPlatform::HiddenOrSystem(const std::string& path, bool& marked) {
  if (const ErrorNumber err = Injected("HiddenOrSystem", path)) return err;
  marked = hidden_.contains(path);
  return kOk;
}

void TestPlatform::TaskbarProgress(TaskbarState state, int done, int total) {
  const char* name = state == TaskbarState::None     ? "None"
                     : state == TaskbarState::Normal ? "Normal"
                                                     : "Error";
  taskbar.push_back(std::string(name) + " " + std::to_string(done) + "/" + std::to_string(total));
}

std::string TestPlatform::ToUpper(const std::string& utf8) {
  calls.push_back("ToUpper(" + utf8 + ")");
  return UpperCase(utf8);
}

ErrorNumber TestPlatform::ClaimSingleRun(bool& alone) {
  if (const ErrorNumber err = Call("ClaimSingleRun")) return err;
  alone = !anotherRun;
  singleRunHeld = alone;
  return kOk;
}

void TestPlatform::ReleaseSingleRun() {
  singleRunHeld = false;
}

}  // namespace maj::test
