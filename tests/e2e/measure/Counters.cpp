#include "tests/e2e/measure/Counters.h"

#include <winternl.h>
// After windows.h, which it needs.
#include <psapi.h>

#include <cstdint>
#include <vector>

#include "support/win32/Handles.h"
#include "tests/win32/operator/Output.h"

namespace op {
namespace {

using maj::win32::UniqueHandle;

// SystemExtendedHandleInformation: every open handle of the system with the
// process that holds it.
constexpr ULONG kSystemExtendedHandleInformation = 64;
constexpr NTSTATUS kInfoLengthMismatch = static_cast<NTSTATUS>(0xC0000004L);

struct HandleEntry {
  PVOID object;
  ULONG_PTR process;
  ULONG_PTR handle;
  ULONG access;
  USHORT creatorBackTrace;
  USHORT objectType;
  ULONG attributes;
  ULONG reserved;
};

// Where the PEB keeps the address of the process's GDI handle table.
constexpr std::size_t kGdiTableOffset = sizeof(void*) == 8 ? 0xF8 : 0x94;
// A 32-bit process under Wine's WoW64 leaves that field of its own PEB empty;
// the table is in the process's 64-bit PEB, one page below the 32-bit one.
constexpr std::ptrdiff_t kWow64PebDistance = -0x1000;
constexpr std::size_t kWow64GdiTableOffset = 0xF8;
constexpr std::size_t kGdiTableEntries = 0x10000;

// An entry of the GDI handle table; a live object has a non-zero type.
struct GdiEntry {
  std::uint64_t object;
  ULONG owner;
  USHORT unique;
  UCHAR type;
  UCHAR flags;
  std::uint64_t user;
};
static_assert(sizeof(GdiEntry) == 24);

bool SystemHandleCount(DWORD pid, unsigned long long& count) {
  std::vector<unsigned char> buffer(1 << 20);
  for (;;) {
    ULONG needed = 0;
    const NTSTATUS status = NtQuerySystemInformation(
        static_cast<SYSTEM_INFORMATION_CLASS>(kSystemExtendedHandleInformation), buffer.data(),
        static_cast<ULONG>(buffer.size()), &needed);
    if (status == kInfoLengthMismatch && buffer.size() < (256u << 20)) {
      buffer.resize(buffer.size() * 2);
      continue;
    }
    if (status != 0) return false;
    break;
  }
  // The count, a reserved word, then the entries.
  const ULONG_PTR entries = *reinterpret_cast<const ULONG_PTR*>(buffer.data());
  const auto* entry = reinterpret_cast<const HandleEntry*>(buffer.data() + 2 * sizeof(ULONG_PTR));
  count = 0;
  for (ULONG_PTR i = 0; i < entries; ++i) {
    if (entry[i].process == pid) ++count;
  }
  return true;
}

bool GdiTableCount(HANDLE process, unsigned long long& count) {
  PROCESS_BASIC_INFORMATION basic{};
  if (NtQueryInformationProcess(process, ProcessBasicInformation, &basic, sizeof basic, nullptr) !=
      0) {
    return false;
  }
  std::uint64_t table = 0;
  const auto* peb = reinterpret_cast<const unsigned char*>(basic.PebBaseAddress);
  if (!ReadProcessMemory(process, peb + kGdiTableOffset, &table, sizeof(void*), nullptr)) {
    return false;
  }
  if (table == 0 && sizeof(void*) == 4 &&
      !ReadProcessMemory(process, peb + kWow64PebDistance + kWow64GdiTableOffset, &table,
                         sizeof table, nullptr)) {
    return false;
  }
  if (table == 0 || table > UINTPTR_MAX) return false;
  std::vector<GdiEntry> entries(kGdiTableEntries);
  if (!ReadProcessMemory(process, reinterpret_cast<const void*>(static_cast<ULONG_PTR>(table)),
                         entries.data(), entries.size() * sizeof(GdiEntry), nullptr)) {
    return false;
  }
  count = 0;
  for (const GdiEntry& e : entries) {
    if (e.type != 0) ++count;
  }
  return true;
}

struct WindowCount {
  DWORD pid;
  unsigned long long count;
};

BOOL CALLBACK CountChild(HWND, LPARAM context) {
  ++reinterpret_cast<WindowCount*>(context)->count;
  return TRUE;
}

BOOL CALLBACK CountTop(HWND window, LPARAM context) {
  auto* windows = reinterpret_cast<WindowCount*>(context);
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  if (pid == windows->pid) {
    ++windows->count;
    EnumChildWindows(window, CountChild, context);
  }
  return TRUE;
}

// The process's windows, hidden and message-only ones included: the USER
// objects that can be counted from outside.
unsigned long long WindowsOf(DWORD pid) {
  WindowCount windows{pid, 0};
  EnumWindows(CountTop, reinterpret_cast<LPARAM>(&windows));
  for (HWND w = FindWindowExW(HWND_MESSAGE, nullptr, nullptr, nullptr); w;
       w = FindWindowExW(HWND_MESSAGE, w, nullptr, nullptr)) {
    DWORD owner = 0;
    GetWindowThreadProcessId(w, &owner);
    if (owner == pid) CountTop(w, reinterpret_cast<LPARAM>(&windows));
  }
  return windows.count;
}

// GetGuiResources, unless the system does not implement it (Wine answers 0
// and ERROR_CALL_NOT_IMPLEMENTED).
bool GuiResources(HANDLE process, DWORD which, unsigned long long& count) {
  SetLastError(ERROR_SUCCESS);
  const DWORD n = GetGuiResources(process, which);
  if (n == 0 && GetLastError() == ERROR_CALL_NOT_IMPLEMENTED) return false;
  count = n;
  return true;
}

}  // namespace

bool ReadCounters(DWORD pid, Counters& counters, std::string& error) {
  const UniqueHandle process(OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid));
  if (!process) {
    error = "cannot open process " + std::to_string(pid) + " (error " +
            std::to_string(GetLastError()) + ")";
    return false;
  }
  // A live process holds at least one handle: 0 is a stub's answer (Wine's).
  DWORD handles = 0;
  if (GetProcessHandleCount(process.Get(), &handles) && handles != 0) {
    counters.handles = {handles, "GetProcessHandleCount"};
  } else if (SystemHandleCount(pid, counters.handles.value)) {
    counters.handles.source = "system handle table";
  } else {
    error = "no handle count";
    return false;
  }

  if (GuiResources(process.Get(), GR_GDIOBJECTS, counters.gdi.value)) {
    counters.gdi.source = "GetGuiResources";
  } else if (GdiTableCount(process.Get(), counters.gdi.value)) {
    counters.gdi.source = "GDI handle table";
  } else {
    error = "no GDI object count";
    return false;
  }
  if (GuiResources(process.Get(), GR_USEROBJECTS, counters.user.value)) {
    counters.user.source = "GetGuiResources";
  } else {
    counters.user = {WindowsOf(pid), "windows of the process"};
  }

  PROCESS_MEMORY_COUNTERS_EX memory{};
  memory.cb = sizeof memory;
  if (!GetProcessMemoryInfo(process.Get(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory),
                            sizeof memory)) {
    error = "GetProcessMemoryInfo failed (error " + std::to_string(GetLastError()) + ")";
    return false;
  }
  counters.peakWorkingSet = memory.PeakWorkingSetSize;
  counters.workingSet = memory.WorkingSetSize;
  // Wine leaves PrivateUsage at 0 and gives the process's anonymous resident
  // memory as PagefileUsage, which Windows makes equal to PrivateUsage.
  counters.privateBytes = memory.PrivateUsage != 0 ? Count{memory.PrivateUsage, "PrivateUsage"}
                                                   : Count{memory.PagefileUsage, "PagefileUsage"};
  return true;
}

void PrintCounters(const Counters& counters) {
  const auto print = [](const char* key, const Count& count) {
    PrintField(key, std::to_string(count.value));
    PrintField(std::string(key) + "-source", count.source);
  };
  print("handles", counters.handles);
  print("gdi", counters.gdi);
  print("user", counters.user);
  PrintField("peak-working-set", std::to_string(counters.peakWorkingSet));
  PrintField("working-set", std::to_string(counters.workingSet));
  print("private", counters.privateBytes);
}

}  // namespace op
