"""The world a scenario runs in: the Wine prefix's drives, the share
\\\\127.0.0.1\\UNIDATA, the installed program and its package, and the paths on
this machine behind each Windows path."""

import os
import shutil
import stat
import subprocess
from pathlib import Path

SHARE = "\\\\127.0.0.1\\UNIDATA"


class World:
    def __init__(self, prefix, root, baseline):
        self.prefix = Path(prefix)
        self.root = Path(root)
        self.server = self.root / "server"
        self.drives = {}
        self._baseline = baseline
        self._closed = []

    # --- Windows paths and the folders behind them ---------------------------

    def host(self, windows_path):
        """The path on this machine that a Windows path of the scenario names."""
        p = windows_path
        if p.upper().startswith(SHARE.upper()):
            rest = p[len(SHARE):]
            base = self.server / "UNIDATA"
        elif len(p) >= 2 and p[1] == ":":
            letter = p[0].lower()
            rest = p[2:]
            base = self.prefix / "drive_c" if letter == "c" else self.drive(letter)
        else:
            raise ValueError("not a Windows path: %r" % windows_path)
        parts = [part for part in rest.split("\\") if part]
        return base.joinpath(*parts)

    def drive(self, letter):
        """The folder behind a drive letter other than C:, mapped on first use."""
        letter = letter.lower()
        if letter not in self.drives:
            folder = self.root / ("drive_" + letter)
            folder.mkdir(parents=True, exist_ok=True)
            link = self.prefix / "dosdevices" / (letter + ":")
            if link.is_symlink() or link.exists():
                link.unlink()
            link.symlink_to(folder)
            self.drives[letter] = folder
        return self.drives[letter]

    # --- set-up and reset ----------------------------------------------------

    def reset(self):
        """Leaves the prefix as the suite prepared it and makes a fresh share."""
        self.reopen_closed_folders()
        dosdevices = self.prefix / "dosdevices"
        for entry in dosdevices.iterdir():
            name = entry.name.lower()
            if len(name) == 2 and name[1] == ":" and name[0] not in "cz":
                entry.unlink()
        unc = dosdevices / "unc"
        unc.mkdir(exist_ok=True)
        server_link = unc / "127.0.0.1"
        if server_link.is_symlink() or server_link.exists():
            server_link.unlink()
        for folder in snapshot(self.prefix) - self._baseline:
            remove_tree(folder)
        remove_tree(self.root)
        (self.server / "UNIDATA").mkdir(parents=True)
        # The server level is the link: a linked share would read as a reparse point.
        server_link.symlink_to(self.server)

    def write(self, windows_path, data):
        path = self.host(windows_path)
        path.parent.mkdir(parents=True, exist_ok=True)
        path.write_bytes(data.encode("cp1252") if isinstance(data, str) else data)
        return path

    def mkdir(self, windows_path):
        path = self.host(windows_path)
        path.mkdir(parents=True, exist_ok=True)
        return path

    def close_to_new_files(self, windows_path):
        """The folder lets its files be changed, but no file be created,
        renamed or deleted in it (as a share often is for operators). Its mode
        bits say so; for root, who passes them, the folder is made immutable."""
        path = self.host(windows_path)
        path.chmod(0o555)
        if os.geteuid() == 0:
            subprocess.run(["chattr", "+i", str(path)], check=True)
        self._closed.append(path)
        return path

    def reopen_closed_folders(self):
        """Undoes every close_to_new_files."""
        while self._closed:
            open_to_new_files(self._closed.pop())

    def read(self, windows_path):
        """The file's bytes, or None when it is missing."""
        path = self.host(windows_path)
        return path.read_bytes() if path.is_file() else None

    def files_in(self, windows_path):
        """Name -> bytes of every file directly in the folder; None when it is missing."""
        folder = self.host(windows_path)
        if not folder.is_dir():
            return None
        return {p.name: p.read_bytes() for p in sorted(folder.iterdir()) if p.is_file()}


def snapshot(prefix):
    """The folders a scenario may add under drive_c: its top level and Program Files."""
    drive_c = Path(prefix) / "drive_c"
    found = set()
    for folder in (drive_c, drive_c / "Program Files"):
        if folder.is_dir():
            found |= set(folder.iterdir())
    return found


def open_to_new_files(path):
    """Undoes World.close_to_new_files."""
    if os.geteuid() == 0:
        subprocess.run(["chattr", "-i", str(path)], check=False)
    os.chmod(path, 0o755)


def remove_tree(path):
    """Removes a file or a folder, read-only entries included."""
    path = Path(path)
    if path.is_symlink() or path.is_file():
        path.unlink()
        return
    if not path.exists():
        return

    def writable_again(func, name, _exc):
        os.chmod(name, stat.S_IWUSR | stat.S_IRUSR | stat.S_IXUSR)
        func(name)

    for sub in path.rglob("*"):
        if not sub.is_symlink():
            try:
                os.chmod(sub, sub.stat().st_mode | stat.S_IWUSR)
            except PermissionError:  # a folder closed to new files by an interrupted run
                open_to_new_files(sub)
    shutil.rmtree(path, onerror=writable_again)
