// The program's entry: Frm_MAJ is created and displayed, its load handler runs
// the whole upgrade, and the program ends when the handler has returned.
// <windows.h> first: the other system headers rely on its types.
#include <windows.h>

#include <commctrl.h>
#include <objbase.h>

#include "app/Frm_MAJ.h"
#include "app/SingleRun.h"
#include "connection/com/ComDba.h"
#include "platform/win32/DllSearch.h"
#include "platform/win32/Win32Platform.h"
#include "state/RunState.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int showCommand) {
  // Before anything else is loaded.
  maj::win32::RemoveCurrentFolderFromDllSearch();
  // COM on the window thread, before any object exists.
  const HRESULT com = CoInitialize(nullptr);

  INITCOMMONCONTROLSEX controls{};
  controls.dwSize = sizeof controls;
  controls.dwICC = ICC_STANDARD_CLASSES;
  InitCommonControlsEx(&controls);

  int exitCode = 0;
  {
    maj::win32::Win32Platform platform;
    // A second run on the same machine says so and ends: no window, no
    // component, no file.
    if (maj::AnotherRunGoesOn(platform)) {
      if (SUCCEEDED(com)) CoUninitialize();
      return 0;
    }
    // A window that cannot be created does not stop the run: its boxes then
    // have no owner.
    if (platform.CreateMainWindow() == maj::kOk) platform.ShowMainWindow(showCommand);
    maj::ComDbaFactory factory;
    {
      maj::RunState state;
      maj::Form_Load(state, platform, factory);
    }  // the run's objects (the client, the file-system object) are released here
    // A quit asked for during the run was held until it ended: its code is
    // the program's.
    exitCode = platform.QuitCode().value_or(0);
  }
  if (SUCCEEDED(com)) CoUninitialize();
  return exitCode;
}
