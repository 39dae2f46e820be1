// The program's entry: Frm_MAJ is created and displayed, its load handler runs
// the whole upgrade (or the pre-check), and the program ends when the handler
// has returned, with the exit code of the way the run ended.
// <windows.h> first: the other system headers rely on its types.
#include <windows.h>

#include <commctrl.h>
#include <objbase.h>
#include <shellapi.h>

#include <exception>
#include <string>
#include <vector>

#include "app/CommandLine.h"
#include "app/ExitCode.h"
#include "app/Frm_MAJ.h"
#include "app/Silent.h"
#include "app/SingleRun.h"
#include "connection/com/ComDba.h"
#include "platform/win32/DllSearch.h"
#include "platform/win32/Win32Platform.h"
#include "state/RunState.h"
#include "support/win32/ComOwners.h"

namespace {

// The arguments after the program's name, in UTF-8; false when the command
// line cannot be split, which must not start a run nobody asked for.
bool Arguments(std::vector<std::string>& arguments) {
  int count = 0;
  LPWSTR* words = CommandLineToArgvW(GetCommandLineW(), &count);
  if (!words) return false;
  for (int i = 1; i < count; ++i) arguments.push_back(com::Narrow(words[i]));
  LocalFree(words);
  return true;
}

void WriteToConsole(HANDLE console, const std::string& text) {
  const std::wstring wide = com::Widen(text);
  DWORD written = 0;
  WriteConsoleW(console, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
}

void WriteInPage(HANDLE output, const std::string& text, UINT page) {
  const std::wstring wide = com::Widen(text);
  const int size = WideCharToMultiByte(page, 0, wide.data(), static_cast<int>(wide.size()), nullptr,
                                       0, nullptr, nullptr);
  std::string bytes(static_cast<std::size_t>(size > 0 ? size : 0), '\0');
  WideCharToMultiByte(page, 0, wide.data(), static_cast<int>(wide.size()), bytes.data(), size,
                      nullptr, nullptr);
  DWORD written = 0;
  WriteFile(output, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

// Where a run nobody watches was started from a console, or with its output
// taken (a remote command), the last box's text and the exit code, one line
// each; nothing where there is neither.
void TellWhoStartedIt(const std::string& lastBox, maj::ExitCode code) {
  std::string text = lastBox;
  for (std::size_t at = 0; (at = text.find("\r\n", at)) != std::string::npos;) text.erase(at, 1);
  if (!text.empty() && text.back() != '\n') text += '\n';
  text += "Code de sortie : " + std::to_string(maj::AsInt(code)) + "\n";
  const bool attached = AttachConsole(ATTACH_PARENT_PROCESS) != FALSE;
  const HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
  DWORD mode = 0;
  if (output && GetConsoleMode(output, &mode)) {
    // A console reads wide text, whatever its code page.
    WriteToConsole(output, text);
  } else if (output && output != INVALID_HANDLE_VALUE && GetFileType(output) != FILE_TYPE_UNKNOWN) {
    // Taken by a pipe or a file: in the console's code page, else UTF-8.
    WriteInPage(output, text, attached ? GetConsoleOutputCP() : CP_UTF8);
  } else if (attached) {
    const maj::win32::UniqueHandle console(CreateFileW(L"CONOUT$", GENERIC_WRITE,
                                                       FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                                       OPEN_EXISTING, 0, nullptr));
    if (console) WriteToConsole(console.Get(), text);
  }
  if (attached) FreeConsole();
}

maj::RunRecord Run(int showCommand, bool& silent, std::string& lastBox) {
  maj::win32::Win32Platform platform;
  std::vector<std::string> arguments;
  if (!Arguments(arguments)) return {.end = maj::Ending::Unexpected};
  silent = maj::AsksForSilence(arguments);
  const maj::RunMode mode = maj::ReadCommandLine(arguments);
  if (mode == maj::RunMode::Usage || mode == maj::RunMode::Unknown) {
    // Nobody would read the usage of a run nobody watches: its code says it.
    if (silent) return {.mode = mode, .end = maj::Ending::UnknownArgument};
    const std::string typed = maj::ArgumentsAsTyped(com::Narrow(GetCommandLineW()));
    return {.mode = mode, .end = maj::ShowUsage(platform, mode, typed)};
  }
  maj::ComDbaFactory factory;
  // The run's objects (the client, the file-system object) go with the state,
  // before the factory and the platform, while COM is still initialised.
  maj::RunState state;
  maj::SilentOperator unwatched(platform, state.Log);
  const maj::Pieces pieces = silent ? platform.All().With(unwatched) : platform.All();
  // Only the box of a refused start needs it before the run opens it.
  if (silent) state.Log.Open(platform, platform, maj::WhereTheLogGoes(platform).folders);
  // A second run on the same machine says so and ends: no window, no
  // component, no file.
  if (maj::AnotherRunGoesOn(platform, pieces.op, state.Log)) {
    lastBox = unwatched.LastBox();
    return {.mode = mode, .end = maj::Ending::AnotherRun};
  }
  // A window that cannot be created does not stop the run: its boxes then
  // have no owner. A run nobody watches has none.
  if (!silent && platform.CreateMainWindow() == maj::kOk) platform.ShowMainWindow(showCommand);
  const maj::RunRecord record = maj::Form_Load(state, pieces, factory, mode);
  lastBox = unwatched.LastBox();
  return record;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int showCommand) {
  // Before anything else is loaded.
  maj::win32::RemoveCurrentFolderFromDllSearch();
  // COM on the window thread, before any object exists.
  const HRESULT com = CoInitialize(nullptr);

  INITCOMMONCONTROLSEX controls{};
  controls.dwSize = sizeof controls;
  controls.dwICC = ICC_STANDARD_CLASSES;
  InitCommonControlsEx(&controls);

  // Whatever is thrown where it cannot be caught ends the program as an
  // unexpected failure, never as abort()'s 3, which reads as a cancelled login.
  std::set_terminate([] { ExitProcess(maj::AsInt(maj::ExitCode::Unexpected)); });
  maj::RunRecord record;
  bool silent = false;
  std::string lastBox;
  try {
    record = Run(showCommand, silent, lastBox);
  } catch (...) {
    // Nothing is thrown on purpose; whatever escapes (memory exhausted) must
    // not read as a success to the script that started the program.
    record.end = maj::Ending::Unexpected;
  }
  const maj::ExitCode code = maj::ExitCodeOf(record);
  if (silent) TellWhoStartedIt(lastBox, code);
  if (SUCCEEDED(com)) CoUninitialize();
  return maj::AsInt(code);
}
