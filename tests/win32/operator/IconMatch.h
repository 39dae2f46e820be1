// Which standard icon an icon control shows. Another process's icon handle
// cannot be read, so the control's pixels on the screen are compared with each
// standard icon drawn here on the same background.
#pragma once

#include <windows.h>

#include <string>

namespace op {

// "critical", "information", "warning" or "question"; "unknown (...)" when the
// pixels match none of them.
std::string IdentifyIcon(HWND iconControl);

}  // namespace op
