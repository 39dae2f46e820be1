#!/bin/sh
# Runs a Windows test program under Wine.
#   wine-run.sh PREFIX PROGRAM [ARGUMENTS...]
# PREFIX is created on first use, with Wine's own fonts (raster ones included).
# Inside it the share \\127.0.0.1\UNIDATA maps to PREFIX/unc-server/UNIDATA;
# the program finds that path in MAJ_TEST_UNC. Without a display the program
# runs on a virtual one.
set -eu
prefix=$1
shift
export WINEPREFIX="$prefix"
# The project's one way to start Wine.
wine=$(dirname "$0")/../../../scripts/wine

# A prefix made before wine32 was installed has no syswow64 and cannot run a
# 32-bit test program: where this host runs those, make it again.
if [ -f "$prefix/system.reg" ] && [ ! -f "$prefix/drive_c/windows/syswow64/kernel32.dll" ] &&
   "$wine" --probe-32bit >/dev/null; then
  "$wine" --server -k 2>/dev/null || true
  rm -rf "$prefix"
fi
# Marked ready only once made whole: a failed making is made again next time.
ready="$prefix/.wine-run-ready"
if [ ! -f "$ready" ]; then
  mkdir -p "$prefix"
  "$wine" --boot || { echo "$0: no Wine prefix in $prefix" >&2; exit 1; }
  # The .fon files hold the raster "MS Sans Serif" that Windows has.
  cp /usr/share/wine/fonts/*.ttf /usr/share/wine/fonts/*.fon "$prefix/drive_c/windows/Fonts/" 2>/dev/null || true
  # With no window manager, Wine waits 2 s for one at each window it hides;
  # windows it manages itself need no such wait (and get drawn title bars).
  if ! said=$("$wine" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f 2>&1); then
    echo "$0: reg add in the new Wine prefix $prefix failed: $said" >&2
    exit 1
  fi
  "$wine" --server -w
  touch "$ready"
fi

# The server level is the link: a linked share would read as a reparse point.
mkdir -p "$prefix/unc-server/UNIDATA" "$prefix/dosdevices/unc"
ln -sfn "$prefix/unc-server" "$prefix/dosdevices/unc/127.0.0.1"
export MAJ_TEST_UNC='\\127.0.0.1\UNIDATA'

# Wine's server outlives the program by a few seconds: wait for it, so that
# the next run does not meet it still bound to a display that is gone.
run='wine=$1; shift; "$wine" "$@"; status=$?; "$wine" --server -w; exit $status'
if [ -n "${DISPLAY:-}" ]; then
  exec sh -c "$run" sh "$wine" "$@"
fi
exec xvfb-run -a -s "-screen 0 1280x1024x24" sh -c "$run" sh "$wine" "$@"
