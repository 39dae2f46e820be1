#include "tests/win32/operator/Act.h"

#include <cwctype>
#include <string>

#include "support/win32/ComOwners.h"
#include "tests/win32/operator/Look.h"

namespace op {

namespace {

constexpr UINT kSettleMs = 3000;
constexpr ULONGLONG kStableMs = 250;
constexpr LPARAM kAltDown = LPARAM{1} << 29;
constexpr LPARAM kReleased = (LPARAM{1} << 30) | (LPARAM{1} << 31);

LPARAM KeyData(UINT vk) {
  return 1 | static_cast<LPARAM>(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC)) << 16;
}

// What typing or a key can change: which control has the focus, its text and
// its selection.
std::wstring Fingerprint(HWND window) {
  const HWND focus = FocusOf(window);
  if (!focus) return L"";
  DWORD_PTR selection = 0;
  SendMessageTimeoutW(focus, EM_GETSEL, 0, 0, SMTO_ABORTIFHUNG | SMTO_BLOCK, kSettleMs, &selection);
  return std::to_wstring(reinterpret_cast<ULONG_PTR>(focus)) + L"|" + std::to_wstring(selection) +
         L"|" + TextOf(focus);
}

HWND Target(HWND window) {
  const HWND focus = FocusOf(window);
  return focus ? focus : window;
}

bool Refused(std::string& error) {
  error = "the window does not take input (error " + std::to_string(GetLastError()) + ")";
  return false;
}

bool Post(HWND target, UINT message, WPARAM wParam, LPARAM lParam, std::string& error) {
  return PostMessageW(target, message, wParam, lParam) || Refused(error);
}

// The rest of a keystroke, once its first message is posted: the window may
// already have handled that one and closed (Enter on a dialog), and a real
// keyboard's release then goes to no window of it.
bool PostRest(HWND target, UINT message, WPARAM wParam, LPARAM lParam, std::string& error) {
  return PostMessageW(target, message, wParam, lParam) || !IsWindow(target) || Refused(error);
}

bool PostKey(HWND target, UINT vk, std::string& error) {
  return Post(target, WM_KEYDOWN, vk, KeyData(vk), error) &&
         PostRest(target, WM_KEYUP, vk, KeyData(vk) | kReleased, error);
}

}  // namespace

void Settle(HWND window) {
  // Sent messages are handled before posted ones: the first answer comes
  // before the posted input is taken, the second once it has been handled (or
  // once a modal loop that it opened is waiting for messages). Not for input
  // that closes the window: a message pending for a window that is destroyed
  // is answered only after a long delay under Wine.
  for (int i = 0; i < 2 && IsWindow(window); ++i) {
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG | SMTO_BLOCK, kSettleMs, &ignored);
  }
  // A thread that waits inside a call of its own answers sent messages before
  // it takes its posted input: the input has been handled once what the
  // operator sees stays the same for a while.
  const ULONGLONG end = GetTickCount64() + kSettleMs;
  std::wstring seen = Fingerprint(window);
  ULONGLONG stableSince = GetTickCount64();
  while (IsWindow(window) && GetTickCount64() < end) {
    Sleep(30);
    std::wstring now = Fingerprint(window);
    if (now != seen) {
      seen = std::move(now);
      stableSince = GetTickCount64();
    } else if (GetTickCount64() - stableSince >= kStableMs) {
      return;
    }
  }
}

bool WaitGone(HWND window, DWORD milliseconds) {
  const ULONGLONG end = GetTickCount64() + milliseconds;
  while (IsWindow(window) && IsWindowVisible(window)) {
    if (GetTickCount64() >= end) return false;
    Sleep(20);
  }
  return true;
}

bool TypeText(HWND window, std::wstring_view text, std::string& error) {
  const HWND target = Target(window);
  for (const wchar_t c : text)
    if (!Post(target, WM_CHAR, c, 1, error)) return false;
  return true;
}

bool PressKey(HWND window, std::wstring_view key, std::string& error) {
  const HWND target = Target(window);
  bool posted = false;
  if (key == L"Enter") {
    posted = PostKey(target, VK_RETURN, error);
  } else if (key == L"Escape") {
    posted = PostKey(target, VK_ESCAPE, error);
  } else if (key == L"Tab") {
    posted = PostKey(target, VK_TAB, error);
  } else if (key == L"Close") {
    posted = Post(window, WM_SYSCOMMAND, SC_CLOSE, 0, error);
  } else if (key == L"Alt+F4") {
    // To the window itself: its default handling turns it into a close request.
    posted = Post(window, WM_SYSKEYDOWN, VK_F4, KeyData(VK_F4) | kAltDown, error) &&
             PostRest(window, WM_SYSKEYUP, VK_F4, KeyData(VK_F4) | kAltDown | kReleased, error);
  } else if (key == L"WM_CLOSE") {
    posted = Post(window, WM_CLOSE, 0, 0, error);
  } else if (key.size() == 5 && key.substr(0, 4) == L"Alt+" && std::iswalnum(key[4])) {
    const auto vk = static_cast<UINT>(std::towupper(key[4]));
    const auto letter = static_cast<WPARAM>(std::towlower(key[4]));
    posted = Post(target, WM_SYSKEYDOWN, vk, KeyData(vk) | kAltDown, error) &&
             PostRest(target, WM_SYSCHAR, letter, KeyData(vk) | kAltDown, error) &&
             PostRest(target, WM_SYSKEYUP, vk, KeyData(vk) | kAltDown | kReleased, error);
  } else {
    error = "unknown key \"" + com::Narrow(key) +
            "\" (Enter, Escape, Tab, Alt+letter, Alt+F4, Close or WM_CLOSE)";
    return false;
  }
  return posted;
}

bool PressButton(HWND window, std::wstring_view label, std::string& error) {
  for (const HWND control : ControlsOf(window)) {
    if (_wcsicmp(ClassOf(control).c_str(), L"Button") != 0) continue;
    const std::wstring text = TextOf(control);
    if (text != label && WithoutAccessMarks(text) != label) continue;
    if (!IsWindowVisible(control) || !IsWindowEnabled(control)) {
      error = "the button \"" + com::Narrow(label) + "\" is hidden or disabled";
      return false;
    }
    return Post(control, BM_CLICK, 0, 0, error);
  }
  error = "no button \"" + com::Narrow(label) + "\"";
  return false;
}

}  // namespace op
