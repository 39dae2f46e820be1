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

maj::RunRecord Run(int showCommand) {
  maj::win32::Win32Platform platform;
  std::vector<std::string> arguments;
  if (!Arguments(arguments)) return {.end = maj::Ending::Unexpected};
  const maj::RunMode mode = maj::ReadCommandLine(arguments);
  if (mode == maj::RunMode::Usage || mode == maj::RunMode::Unknown) {
    const std::string typed = maj::ArgumentsAsTyped(com::Narrow(GetCommandLineW()));
    return {.mode = mode, .end = maj::ShowUsage(platform, mode, typed)};
  }
  // A second run on the same machine says so and ends: no window, no
  // component, no file.
  if (maj::AnotherRunGoesOn(platform, platform)) {
    return {.mode = mode, .end = maj::Ending::AnotherRun};
  }
  // A window that cannot be created does not stop the run: its boxes then
  // have no owner.
  if (platform.CreateMainWindow() == maj::kOk) platform.ShowMainWindow(showCommand);
  maj::ComDbaFactory factory;
  // The run's objects (the client, the file-system object) go with the state,
  // before the factory and the platform, while COM is still initialised.
  maj::RunState state;
  return maj::Form_Load(state, platform.All(), factory, mode);
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
  try {
    record = Run(showCommand);
  } catch (...) {
    // Nothing is thrown on purpose; whatever escapes (memory exhausted) must
    // not read as a success to the script that started the program.
    record.end = maj::Ending::Unexpected;
  }
  const maj::ExitCode code = maj::ExitCodeOf(record);
  if (SUCCEEDED(com)) CoUninitialize();
  return maj::AsInt(code);
}
