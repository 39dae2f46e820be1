#include "tests/e2e/operator/Watch.h"

#include <tlhelp32.h>

#include <map>
#include <utility>

#include "support/win32/ComOwners.h"
#include "support/win32/Handles.h"
#include "tests/win32/operator/Look.h"
#include "tests/win32/operator/Output.h"

namespace op {
namespace {

struct Process {
  DWORD parent = 0;
  std::wstring name;
};

std::map<DWORD, Process> Processes() {
  std::map<DWORD, Process> found;
  const maj::win32::UniqueHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snapshot) return found;
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32FirstW(snapshot.Get(), &entry); more;
       more = Process32NextW(snapshot.Get(), &entry)) {
    found[entry.th32ProcessID] = {entry.th32ParentProcessID, entry.szExeFile};
  }
  return found;
}

BOOL CALLBACK CollectVisible(HWND window, LPARAM context) {
  if (IsWindowVisible(window)) reinterpret_cast<std::vector<HWND>*>(context)->push_back(window);
  return TRUE;
}

// Every visible top-level window, console windows included (a minimised
// window is visible too).
std::vector<HWND> VisibleWindows() {
  std::vector<HWND> found;
  EnumWindows(CollectVisible, reinterpret_cast<LPARAM>(&found));
  return found;
}

bool SameName(const std::wstring& a, const std::wstring& b) {
  return CompareStringOrdinal(a.c_str(), -1, b.c_str(), -1, TRUE) == CSTR_EQUAL;
}

}  // namespace

WindowWatch::WindowWatch(DWORD parent, std::wstring child)
    : parent_(parent), child_(std::move(child)) {
  for (const HWND window : VisibleWindows()) known_.insert(window);
}

void WindowWatch::Look() {
  const std::map<DWORD, Process> processes = Processes();
  for (const auto& [pid, process] : processes) {
    if (process.parent == parent_ && SameName(process.name, child_)) children_.insert(pid);
  }
  for (const HWND window : VisibleWindows()) {
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid == GetCurrentProcessId() || !known_.insert(window).second) continue;
    const auto process = processes.find(pid);
    (pid == parent_ ? own_ : windows_)
        .push_back({pid, process == processes.end() ? "?" : com::Narrow(process->second.name),
                    com::Narrow(ClassOf(window)), com::Narrow(TextOf(window))});
  }
  DWORD foreground = 0;
  if (const HWND window = GetForegroundWindow()) GetWindowThreadProcessId(window, &foreground);
  if (foreground != 0 && foreground != parent_ && foreground != GetCurrentProcessId()) {
    ++foreignForeground_;
  }
}

void WindowWatch::Print() const {
  PrintField("children", std::to_string(children_.size()));
  PrintField("windows", std::to_string(windows_.size()));
  for (const Sighting& seen : windows_) {
    PrintField("window", seen.program + " pid " + std::to_string(seen.pid) + " class " +
                             seen.className + " title " + seen.title);
  }
  PrintField("foreground-elsewhere", std::to_string(foreignForeground_));
  PrintField("own-windows", std::to_string(own_.size()));
  for (const Sighting& seen : own_) {
    PrintField("own-window", seen.program + " pid " + std::to_string(seen.pid) + " class " +
                                 seen.className + " title " + seen.title);
  }
}

}  // namespace op
