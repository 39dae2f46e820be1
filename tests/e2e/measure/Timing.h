// Timings taken from inside Wine, where a script's own clock would add the
// start of a helper process to every figure.
#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace op {

struct LaunchTimes {
  DWORD pid = 0;
  HWND window = nullptr;  // the window awaited
  double shownMs = 0;     // from CreateProcessW until it is visible
  double paintedMs = 0;   // ... until it and its controls have nothing left to paint
  HWND until = nullptr;   // the later window awaited, if any
  double untilMs = 0;     // from CreateProcessW until it is visible
};

// Starts the program (its folder as the working folder, the show state left
// to it, no console, as from the desktop) with `arguments` after its quoted
// path, and times its window titled `title`, then the window titled `until`.
// The program is left running. False with `error` when it ends first or a
// window does not come within `timeoutMs`.
bool Launch(const std::wstring& exe, const std::wstring& arguments, const std::wstring& title,
            const std::optional<std::wstring>& until, DWORD timeoutMs, LaunchTimes& times,
            std::string& error);

struct Responsiveness {
  int samples = 0;
  int late = 0;                   // not answered within the limit
  double worstMs = 0;             // the longest answer
  std::vector<double> answersMs;  // every sample's time, late ones included
};

// The middle value of `ms` (the mean of the two middle ones); 0 when empty.
double MedianMs(std::vector<double> ms);

// Sends WM_NULL to `window` with SendMessageTimeout (`limitMs`) about every
// 20 ms, as the system does to tell a hung window, until its process shows a
// window titled `until`. False with `error` when that window does not come
// within `timeoutMs` or the window goes away first.
bool SampleResponses(HWND window, const std::wstring& until, DWORD limitMs, DWORD timeoutMs,
                     Responsiveness& seen, std::string& error);

// How the copies are started: with a minimised console window, as the
// program used to, or without a console window (CREATE_NO_WINDOW), as it does.
enum class CopyWindow { Minimised, None };

// Runs each line of the UTF-8 file as a command line, one after the other,
// started from a process without a console as the program starts its copies,
// and prints how long each took from CreateProcessW to its end, with its exit
// code. With `look`, it is called about every 2 ms while each command runs
// (the times then include it). This process has no console afterwards.
bool TimeCommands(const std::wstring& file, CopyWindow window, DWORD timeoutMs,
                  const std::function<void()>& look, std::string& error);

}  // namespace op
