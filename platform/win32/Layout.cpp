#include "platform/win32/Layout.h"

namespace maj::win32 {
namespace {

// A function of user32 that older systems lack, or null.
template <class Fn>
Fn User32Function(const char* name) {
  const HMODULE user32 = GetModuleHandleW(L"user32.dll");
  if (!user32) return nullptr;
  // Through the generic function type, the one cast the compilers accept
  // between unrelated function pointer types.
  return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(GetProcAddress(user32, name)));
}

using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
using AdjustWindowRectExForDpiFn = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);

UINT SystemDpi() {
  const HDC screen = GetDC(nullptr);
  const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : USER_DEFAULT_SCREEN_DPI;
  if (screen) ReleaseDC(nullptr, screen);
  return dpi > 0 ? static_cast<UINT>(dpi) : USER_DEFAULT_SCREEN_DPI;
}

// The system's message font (the one of its message boxes); only its face
// and character set are used, so the DPI it was measured at does not matter.
LOGFONTW MessageFont() {
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof metrics;
  if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, metrics.cbSize, &metrics, 0)) {
    return metrics.lfMessageFont;
  }
  LOGFONTW font{};
  font.lfCharSet = DEFAULT_CHARSET;
  lstrcpynW(font.lfFaceName, L"MS Shell Dlg 2", LF_FACESIZE);
  return font;
}

int CALLBACK FoundFace(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found) {
  *reinterpret_cast<bool*>(found) = true;
  return 0;
}

}  // namespace

UINT WindowDpi(HWND window) {
  static const auto forWindow = User32Function<GetDpiForWindowFn>("GetDpiForWindow");
  if (forWindow && window) {
    const UINT dpi = forWindow(window);
    if (dpi != 0) return dpi;
  }
  return SystemDpi();
}

bool FaceInstalled(const wchar_t* face) {
  LOGFONTW wanted{};
  wanted.lfCharSet = DEFAULT_CHARSET;
  lstrcpynW(wanted.lfFaceName, face, LF_FACESIZE);
  bool found = false;
  const HDC screen = GetDC(nullptr);
  if (!screen) return false;
  EnumFontFamiliesExW(screen, &wanted, FoundFace, reinterpret_cast<LPARAM>(&found), 0);
  ReleaseDC(nullptr, screen);
  return found;
}

namespace {

// The size of the window whose client area is `width` x `height` twips.
SIZE FrameSize(HWND window, int widthTwips, int heightTwips, UINT dpi) {
  RECT frame{0, 0, TwipsToPixels(widthTwips, dpi), TwipsToPixels(heightTwips, dpi)};
  const auto style = static_cast<DWORD>(GetWindowLongPtrW(window, GWL_STYLE));
  const auto exStyle = static_cast<DWORD>(GetWindowLongPtrW(window, GWL_EXSTYLE));
  static const auto forDpi = User32Function<AdjustWindowRectExForDpiFn>("AdjustWindowRectExForDpi");
  if (!(forDpi && forDpi(&frame, style, FALSE, exStyle, dpi))) {
    AdjustWindowRectEx(&frame, style, FALSE, exStyle);
  }
  return {frame.right - frame.left, frame.bottom - frame.top};
}

}  // namespace

void SizeAndPlace(HWND window, int widthTwips, int heightTwips, Placement placement) {
  const SIZE size = FrameSize(window, widthTwips, heightTwips, WindowDpi(window));
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTOPRIMARY), &monitor);
  const RECT& area = monitor.rcWork;
  const int left = area.left + (area.right - area.left - size.cx) / 2;
  const int room = area.bottom - area.top - size.cy;
  const int top = area.top + (placement == Placement::Centre ? room / 2 : room / 3);
  SetWindowPos(window, nullptr, left, top, size.cx, size.cy, SWP_NOZORDER | SWP_NOACTIVATE);
}

void FollowDpiChange(HWND window, int widthTwips, int heightTwips, UINT dpi,
                     const RECT& suggested) {
  const SIZE size = FrameSize(window, widthTwips, heightTwips, dpi);
  SetWindowPos(window, nullptr, suggested.left, suggested.top, size.cx, size.cy,
               SWP_NOZORDER | SWP_NOACTIVATE);
}

void TakeOverDpiChanges(HWND dialog) {
  // DDC_DISABLE_ALL: neither resizing nor moving of the controls by the
  // dialog manager (Windows 10 1703 and later).
  using SetDialogDpiChangeBehaviorFn = BOOL(WINAPI*)(HWND, int, int);
  static const auto behaviour =
      User32Function<SetDialogDpiChangeBehaviorFn>("SetDialogDpiChangeBehavior");
  constexpr int kDisableAll = 0x0001;
  if (behaviour) behaviour(dialog, kDisableAll, kDisableAll);
}

void PlaceChild(HWND child, int left, int top, int width, int height, UINT dpi) {
  MoveWindow(child, TwipsToPixels(left, dpi), TwipsToPixels(top, dpi), TwipsToPixels(width, dpi),
             TwipsToPixels(height, dpi), TRUE);
}

FontOwner CreateDialogFont(UINT dpi) {
  return CreateFaceFont(kFormFaces, 800, dpi);
}

FontOwner CreateFaceFont(const wchar_t* const* faces, int hundredthsOfPoint, UINT dpi) {
  LOGFONTW font{};
  font.lfHeight = -MulDiv(hundredthsOfPoint, static_cast<int>(dpi), 72 * 100);
  font.lfWeight = FW_NORMAL;
  font.lfCharSet = ANSI_CHARSET;
  font.lfOutPrecision = OUT_DEFAULT_PRECIS;
  font.lfClipPrecision = CLIP_DEFAULT_PRECIS;
  font.lfQuality = DEFAULT_QUALITY;
  font.lfPitchAndFamily = DEFAULT_PITCH | FF_SWISS;
  const wchar_t* chosen = nullptr;
  for (const wchar_t* const* face = faces; *face && !chosen; ++face) {
    if (FaceInstalled(*face)) chosen = *face;
  }
  if (chosen) {
    lstrcpynW(font.lfFaceName, chosen, LF_FACESIZE);
  } else {
    const LOGFONTW fallback = MessageFont();
    lstrcpynW(font.lfFaceName, fallback.lfFaceName, LF_FACESIZE);
    font.lfCharSet = fallback.lfCharSet;
  }
  return FontOwner(CreateFontIndirectW(&font));
}

}  // namespace maj::win32
