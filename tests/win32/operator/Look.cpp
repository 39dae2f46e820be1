#include "tests/win32/operator/Look.h"

#include <algorithm>

#include "support/win32/ComOwners.h"
#include "tests/win32/operator/IconMatch.h"
#include "tests/win32/operator/Output.h"

namespace op {

namespace {

// A target that does not answer within this time is treated as showing nothing.
constexpr UINT kAnswerMs = 2000;

// The control that a message box uses for its text.
constexpr int kMessageTextId = 0xFFFF;

std::string Utf8(std::wstring_view wide) {
  return com::Narrow(wide);
}

std::string YesNo(bool value) {
  return value ? "yes" : "no";
}

std::string Rect(const RECT& r) {
  return std::to_string(r.left) + " " + std::to_string(r.top) + " " +
         std::to_string(r.right - r.left) + " " + std::to_string(r.bottom - r.top);
}

// Asks the window's thread, bounded in time; false when it did not answer.
bool Ask(HWND window, UINT message, WPARAM wParam, LPARAM lParam, DWORD_PTR& result) {
  result = 0;
  return SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG | SMTO_BLOCK,
                             kAnswerMs, &result) != 0;
}

struct Search {
  const Criteria* criteria;
  std::vector<HWND> found;
};

bool Matches(HWND window, const Criteria& criteria) {
  if (!IsWindowVisible(window)) return false;
  if (std::find(criteria.except.begin(), criteria.except.end(), window) != criteria.except.end())
    return false;
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  if (pid == GetCurrentProcessId()) return false;
  if (criteria.pid != 0 && pid != criteria.pid) return false;
  const std::wstring cls = ClassOf(window);
  if (cls == L"ConsoleWindowClass") return false;
  if (criteria.className && cls != *criteria.className) return false;
  if (criteria.title && TextOf(window) != *criteria.title) return false;
  return true;
}

BOOL CALLBACK CollectTop(HWND window, LPARAM context) {
  auto* search = reinterpret_cast<Search*>(context);
  if (Matches(window, *search->criteria)) search->found.push_back(window);
  return TRUE;
}

BOOL CALLBACK CollectChild(HWND window, LPARAM context) {
  reinterpret_cast<std::vector<HWND>*>(context)->push_back(window);
  return TRUE;
}

std::string ButtonKind(LONG style) {
  switch (style & BS_TYPEMASK) {
    case BS_DEFPUSHBUTTON:
      return "default";
    case BS_PUSHBUTTON:
      return "push";
    case BS_CHECKBOX:
    case BS_AUTOCHECKBOX:
      return "check";
    case BS_RADIOBUTTON:
    case BS_AUTORADIOBUTTON:
      return "radio";
    case BS_GROUPBOX:
      return "group";
    default:
      return "other";
  }
}

void DescribeControl(HWND control, HWND parent, HWND focus, std::size_t index) {
  const std::wstring cls = ClassOf(control);
  const LONG style = GetWindowLongW(control, GWL_STYLE);
  RECT r{};
  GetWindowRect(control, &r);
  MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);

  std::string line = "control\t" + std::to_string(index);
  auto add = [&line](std::string_view key, std::string_view value) {
    line += '\t';
    line += key;
    line += '=';
    line += Escape(value);
  };
  add("hwnd", Hex(reinterpret_cast<ULONG_PTR>(control)));
  add("id", std::to_string(GetDlgCtrlID(control)));
  add("class", Utf8(cls));
  add("text", Utf8(TextOf(control)));
  add("rect", Rect(r));
  add("visible", YesNo(IsWindowVisible(control) != FALSE));
  add("enabled", YesNo(IsWindowEnabled(control) != FALSE));
  add("tabstop", YesNo((style & WS_TABSTOP) != 0));
  add("focus", YesNo(control == focus));
  if (_wcsicmp(cls.c_str(), L"Button") == 0) add("kind", ButtonKind(style));
  if (_wcsicmp(cls.c_str(), L"Edit") == 0) {
    DWORD_PTR answer = 0;
    if (Ask(control, EM_GETPASSWORDCHAR, 0, 0, answer) && answer != 0) {
      const wchar_t shown[2] = {static_cast<wchar_t>(answer), L'\0'};
      add("password", Utf8(shown));
    } else {
      add("password", "");
    }
    // No pointers: they cannot reach another process; the packed answer can.
    if (Ask(control, EM_GETSEL, 0, 0, answer))
      add("selection", std::to_string(LOWORD(answer)) + "," + std::to_string(HIWORD(answer)));
    add("readonly", YesNo((style & ES_READONLY) != 0));
  }
  if (_wcsicmp(cls.c_str(), L"Static") == 0 && (style & SS_TYPEMASK) == SS_ICON)
    add("icon", IdentifyIcon(control));
  PrintLine(line);
}

}  // namespace

std::wstring TextOf(HWND window) {
  DWORD_PTR length = 0;
  if (Ask(window, WM_GETTEXTLENGTH, 0, 0, length)) {
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    DWORD_PTR copied = 0;
    if (Ask(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()), copied)) {
      text.resize(std::min<std::size_t>(copied, length));
      return text;
    }
  }
  // A thread that does not answer: the caption that the system keeps for it.
  wchar_t cached[1024] = {};
  const int n = GetWindowTextW(window, cached, 1024);
  return std::wstring(cached, n > 0 ? static_cast<std::size_t>(n) : 0);
}

std::wstring ClassOf(HWND window) {
  wchar_t name[256] = {};
  const int n = GetClassNameW(window, name, 256);
  return std::wstring(name, n > 0 ? static_cast<std::size_t>(n) : 0);
}

HWND FocusOf(HWND window) {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  const DWORD thread = GetWindowThreadProcessId(window, nullptr);
  if (!GetGUIThreadInfo(thread, &info)) return nullptr;
  return info.hwndFocus;
}

std::vector<HWND> TopWindows(const Criteria& criteria) {
  Search search{&criteria, {}};
  EnumWindows(CollectTop, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

std::vector<HWND> ControlsOf(HWND window) {
  std::vector<HWND> controls;
  EnumChildWindows(window, CollectChild, reinterpret_cast<LPARAM>(&controls));
  return controls;
}

std::wstring WithoutAccessMarks(std::wstring_view label) {
  std::wstring plain;
  for (std::size_t i = 0; i < label.size(); ++i) {
    if (label[i] == L'&') {
      if (i + 1 < label.size() && label[i + 1] == L'&') plain += L'&';
      ++i;
      if (i < label.size() && label[i] != L'&') plain += label[i];
      continue;
    }
    plain += label[i];
  }
  return plain;
}

void Describe(HWND window) {
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  RECT r{};
  GetWindowRect(window, &r);
  RECT client{};
  GetClientRect(window, &client);
  const HWND focus = FocusOf(window);

  PrintField("window", Hex(reinterpret_cast<ULONG_PTR>(window)));
  PrintField("pid", std::to_string(pid));
  PrintField("class", Utf8(ClassOf(window)));
  PrintField("title", Utf8(TextOf(window)));
  PrintField("rect", Rect(r));
  PrintField("client", std::to_string(client.right) + " " + std::to_string(client.bottom));
  PrintField("enabled", YesNo(IsWindowEnabled(window) != FALSE));
  PrintField("owner", Hex(reinterpret_cast<ULONG_PTR>(GetWindow(window, GW_OWNER))));
  PrintField("focus", Hex(reinterpret_cast<ULONG_PTR>(focus)));
  if (GetDlgItem(window, kMessageTextId) != nullptr) {
    // A message box: its text as the box's own text control holds it.
    std::wstring buffer(8192, L'\0');
    const UINT n = GetDlgItemTextW(window, kMessageTextId, buffer.data(), 8192);
    buffer.resize(n);
    PrintField("message", Utf8(buffer));
  }
  std::size_t index = 0;
  for (const HWND control : ControlsOf(window)) DescribeControl(control, window, focus, ++index);
}

}  // namespace op
