#!/usr/bin/env bash
# Registers DBA.dll in a throwaway Wine prefix and drives it with
# DBA-smoke.exe: every method through COM, then the journal line by line, then
# a data folder with malformed settings, then unregistration.
#
#   standin/com/smoke/run-smoke.sh BUILD_DIR
#
# BUILD_DIR is a cross build (cmake/mingw-w64.cmake) with the targets DBA and
# DBA-smoke built. Needs Wine (started through scripts/wine); no display. Set KEEP_PREFIX=1 to keep the prefix.
set -euo pipefail

if [[ $# -ne 1 ]]; then
  echo "usage: $0 BUILD_DIR" >&2
  exit 2
fi
build=$(realpath -- "$1")
dll=$build/standin/com/DBA.dll
exe=$build/standin/com/smoke/DBA-smoke.exe
for file in "$dll" "$exe"; do
  [[ -f $file ]] || { echo "$0: $file is missing: build DBA and DBA-smoke first" >&2; exit 2; }
done

prefix=$(mktemp -d /tmp/dba-smoke.XXXXXX)
export WINEPREFIX=$prefix WINEARCH=win64
# The project's one way to start Wine.
wine=$(dirname "$0")/../../../scripts/wine
unset DISPLAY WAYLAND_DISPLAY
finish() {
  "$wine" --server -k 2>/dev/null || true  # this prefix's server only
  if [[ ${KEEP_PREFIX:-0} == 1 ]]; then
    echo "prefix kept: $prefix"
  else
    rm -rf -- "$prefix"
  fi
}
trap finish EXIT

echo "Preparing the Wine prefix $prefix"
"$wine" --boot

c=$prefix/drive_c
data=$c/DBA/DBA-data
mkdir -p "$data" "$c/smoke app/INSTALLMAJ" "$c/smoke bases/BASE É/INSTALLMAJ"
cp "$dll" "$exe" "$c/DBA/"
cat >"$data/settings.txt" <<'SETTINGS'
[users]
ADM =

[base BASE É]
directory = C:\smoke bases\BASE É

[base BASE REFUSED]
directory = C:\refused
refuse = 0x80040006

[fault]
call = QUI
answer = empty
times = 1
SETTINGS
printf 'package file A\r\n' >"$c/smoke app/INSTALLMAJ/A.DAT"
printf 'package file B' >"$c/smoke app/INSTALLMAJ/Mise à jour.txt"
cp "$c/smoke app/INSTALLMAJ/A.DAT" "$c/smoke bases/BASE É/INSTALLMAJ/a.dat"
cp "$c/smoke app/INSTALLMAJ/Mise à jour.txt" "$c/smoke bases/BASE É/INSTALLMAJ/"

status=0
"$wine" regsvr32 /s 'C:\DBA\DBA.dll' || { echo "FAIL regsvr32 DBA.dll"; exit 1; }
echo "ok   regsvr32 /s C:\\DBA\\DBA.dll"
"$wine" 'C:\DBA\DBA-smoke.exe' | tr -d '\r' || status=1

cat >"$prefix/expected-journal" <<'JOURNAL'
client 1: Create() -> 0
client 1: Connect(user="NOBODY", password="", third="") -> 0x80040201 -- unknown user
client 1: Connect(user="ADM", password="", third="") -> 0
client 1: OpenDatabase(name="MERIDOXAN", entry="NO SUCH BASE") -> 0x80040202 -- unknown base entry
client 1: OpenDatabase(name="MERIDOXAN", entry="BASE REFUSED") -> 0x80040006 -- refused to ADM
client 1: OpenDatabase(name="MERIDOXAN", entry="BASE É") -> 0
base BASE É: Execute(command=["P", "QUI"], argument="") -> 0 answer=[] -- injected empty answer
base BASE É: Execute(command=["P", "QUI"], argument="") -> 0 answer=["C:\smoke bases\BASE É"]
base BASE É: Execute(command=["P", "QUIT"], argument="") -> 0x80040205 -- unknown command "QUIT"
base BASE É: Execute(command=["P", "LANCEMAJCD C:\smoke app C VIDE C:\smoke bases\BASE É"], argument="") -> 0 answer=["OK"]
base BASE É: OpenFile(name="NOPE") -> 0x80040203 -- no such file
base BASE É: OpenFile(name="INSTALLMAJ") -> 0
base BASE É: Read(file="INSTALLMAJ", key="712") -> 0 record=["C:\smoke app", "C", "C:\smoke bases\BASE É"]
base BASE É: Read(file="INSTALLMAJ", key="999") -> 0x8004000B
client 1: Disconnect() -> 0
base BASE É: Read(file="INSTALLMAJ", key="712") -> 0x80040019 -- not connected
client 2: Create() -> 0
JOURNAL
if diff -u "$prefix/expected-journal" "$data/journal.txt"; then
  echo "ok   the journal holds exactly the calls made"
else
  echo "FAIL the journal differs"
  status=1
fi

# A data folder named by DBA.ini, with a settings file that does not load.
mkdir -p "$c/broken data"
printf '[users]\nADM =\n[base A]\nstore = A\n' >"$c/broken data/settings.txt"
printf 'data = C:\\broken data\r\n' >"$c/DBA/DBA.ini"
"$wine" 'C:\DBA\DBA-smoke.exe' --broken-settings | tr -d '\r' || status=1
expected='DBA.dll cannot load the stand-in server: C:\broken data\settings.txt:3: [base A] has no directory = line'
if [[ $(cat "$c/broken data/journal.txt") == "$expected" ]]; then
  echo "ok   the load error is in the journal of that data folder"
else
  echo "FAIL load error line: $(cat "$c/broken data/journal.txt" 2>&1)"
  status=1
fi

"$wine" regsvr32 /u /s 'C:\DBA\DBA.dll' || { echo "FAIL regsvr32 /u"; status=1; }
if "$wine" reg query 'HKCR\DBA.CClient' >/dev/null 2>&1 ||
   "$wine" reg query 'HKCR\CLSID\{A4D331EF-C576-11D2-B53A-006008527429}' >/dev/null 2>&1; then
  echo "FAIL the registration is still there after regsvr32 /u"
  status=1
else
  echo "ok   regsvr32 /u removed the registration"
fi

if [[ $status == 0 ]]; then echo "smoke: all passed"; else echo "smoke: FAILED"; fi
exit $status
