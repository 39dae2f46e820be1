#include "tests/win32/operator/IconMatch.h"

#include <cstdint>
#include <cstdlib>
#include <utility>
#include <vector>

namespace op {

namespace {

// Owners of the GDI objects used for one comparison.
class ScreenDc {
 public:
  ScreenDc() : dc_(GetDC(nullptr)) {}
  ScreenDc(const ScreenDc&) = delete;
  ScreenDc& operator=(const ScreenDc&) = delete;
  ~ScreenDc() {
    if (dc_) ReleaseDC(nullptr, dc_);
  }
  HDC Get() const { return dc_; }

 private:
  HDC dc_;
};

// A 32-bit top-down bitmap selected into its own memory device context.
class Canvas {
 public:
  Canvas(int width, int height) : width_(width), height_(height) {
    dc_ = CreateCompatibleDC(nullptr);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    bits_ = static_cast<std::uint32_t*>(bits);
    if (dc_ && bitmap_) old_ = SelectObject(dc_, bitmap_);
  }
  Canvas(const Canvas&) = delete;
  Canvas& operator=(const Canvas&) = delete;
  ~Canvas() {
    if (old_) SelectObject(dc_, old_);
    if (bitmap_) DeleteObject(bitmap_);
    if (dc_) DeleteDC(dc_);
  }

  bool Ok() const { return dc_ && bitmap_ && bits_; }
  HDC Dc() const { return dc_; }
  std::uint32_t Pixel(int x, int y) const {
    return bits_[static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) +
                 static_cast<std::size_t>(x)] &
           0xFFFFFFu;
  }
  void Fill(std::uint32_t rgb) {
    GdiFlush();
    for (int i = 0; i < width_ * height_; ++i) bits_[i] = rgb;
  }

 private:
  int width_, height_;
  HDC dc_ = nullptr;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ old_ = nullptr;
  std::uint32_t* bits_ = nullptr;
};

bool Near(std::uint32_t a, std::uint32_t b) {
  for (int shift = 0; shift < 24; shift += 8) {
    const int ca = static_cast<int>((a >> shift) & 0xFF);
    const int cb = static_cast<int>((b >> shift) & 0xFF);
    if (std::abs(ca - cb) > 8) return false;
  }
  return true;
}

}  // namespace

std::string IdentifyIcon(HWND iconControl) {
  RECT r{};
  if (!GetWindowRect(iconControl, &r)) return "unknown (no rectangle)";
  const int width = r.right - r.left;
  const int height = r.bottom - r.top;
  if (width <= 0 || height <= 0 || width > 256 || height > 256) return "unknown (size)";

  Canvas seen(width, height);
  ScreenDc screen;
  if (!seen.Ok() || !screen.Get()) return "unknown (no canvas)";
  if (!BitBlt(seen.Dc(), 0, 0, width, height, screen.Get(), r.left, r.top, SRCCOPY))
    return "unknown (screen not readable)";
  GdiFlush();
  // A standard icon leaves its corners transparent: they show the background.
  const std::uint32_t background = seen.Pixel(0, 0);

  const std::pair<const wchar_t*, const char*> kStandard[] = {
      {IDI_HAND, "critical"},
      {IDI_ASTERISK, "information"},
      {IDI_EXCLAMATION, "warning"},
      {IDI_QUESTION, "question"},
  };
  const char* best = nullptr;
  long bestDiff = -1;
  for (const auto& [id, name] : kStandard) {
    Canvas drawn(width, height);
    const HICON icon = LoadIconW(nullptr, id);  // shared: never destroyed
    if (!drawn.Ok() || !icon) continue;
    drawn.Fill(background);
    DrawIconEx(drawn.Dc(), 0, 0, icon, 0, 0, 0, nullptr, DI_NORMAL);
    GdiFlush();
    long diff = 0;
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x)
        if (!Near(seen.Pixel(x, y), drawn.Pixel(x, y))) ++diff;
    if (bestDiff < 0 || diff < bestDiff) {
      bestDiff = diff;
      best = name;
    }
  }
  if (best == nullptr) return "unknown (no standard icon)";
  // A few pixels may differ through blending; a different icon differs widely.
  if (bestDiff * 50 > static_cast<long>(width) * height)
    return std::string("unknown (nearest ") + best + ", " + std::to_string(bestDiff) +
           " pixels differ)";
  return best;
}

}  // namespace op
