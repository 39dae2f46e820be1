"""A scenario: the world it sets up, the operator's steps with the exact texts
the program must show, and the checks of what the run left behind.

A scenario is a function that receives a Scenario `s`:

    @scenario("the road of one base")
    def road(s):
        s.install(r"C:\\APP", {"X.DAT": "paquet"})   # the program and its package
        s.base("BASEAFA", r"D:\\BASESCLIENTS\\BASEAFA")
        s.base_list("BASEAFA\\r\\n")
        s.start()                                     # the program runs from here
        s.message_box(lines("Mise à jour ...", "", "Base BASEAFA : mise à jour.", ""), INFORMATION)
        s.ends()                                      # no other window; the process ends
        s.check_package(r"D:\\BASESCLIENTS\\BASEAFA")
        s.check_version(b"\\r\\n")

Steps stop the scenario at the first window that is not the one expected; a
wrong text or state inside the expected window, and every check, is recorded
and the scenario goes on, so that one run shows every difference.
"""

import re
import shutil
import subprocess
import time

from . import standin as standin_module
from . import wine
from .operator import OperatorError
from .texts import bytes_shown, difference, list_difference, visible
from .world import SHARE

INFORMATION = "information"
CRITICAL = "critical"

MAIN_TITLE = "Mise à niveau"
MAIN_LABEL = "Mise à niveau en cours..."
BOX_TITLE = "Message MERIDOXAN"
INPUT_TITLE = "MiseANiveau"
LOGIN_TITLE = "Identification"
VERSION_FILE = SHARE + "\\MERIDOXAN\\VERSION.txt"
LOG_NAME = "MiseANiveau.log"
LOG_STAMP = re.compile(rb"^\d{4}-\d{2}-\d{2} \d{2}:\d{2}:\d{2}\.\d{3} ")
BASE_LIST = SHARE + "\\BASES.TXT"

SCENARIOS = []


def scenario(title):
    """Registers a scenario function under a one-line title."""
    def register(function):
        SCENARIOS.append((function.__name__.replace("_", "-"), title, function))
        return function
    return register


class Failure(Exception):
    """The scenario cannot go on; the message says what was expected and seen."""


class Scenario:
    def __init__(self, suite, world, standin, operator, artifacts, log):
        self.suite = suite
        self.world = world
        self.standin = standin
        self.op = operator
        self.artifacts = artifacts
        self.log = log
        self.problems = []
        self.measured = []  # figures for the report, not checked
        self.process = None
        self.main = None
        self.exit_watch = None
        self.app_folder = None
        self.package = {}
        self.login = "operateur"
        self.env = {}  # environment variables of the programs it starts, besides the suite's
        self._shot = 0

    # --- set-up ----------------------------------------------------------------

    def install(self, folder=r"C:\APP", package=None):
        """The program in `folder`, with the package files (name -> content) in
        its INSTALLMAJ folder; a name with a backslash lies in a sub-folder."""
        self.app_folder = folder
        self.package = dict(package or {})
        exe = self.world.host(folder + "\\MiseANiveau.exe")
        exe.parent.mkdir(parents=True, exist_ok=True)
        shutil.copy2(self.suite.program, exe)
        self.world.mkdir(folder + "\\INSTALLMAJ")
        for name, content in self.package.items():
            self.world.write(folder + "\\INSTALLMAJ\\" + name, content)

    def package_files(self):
        """The package files that lie directly in the package folder."""
        return {n: (c.encode("cp1252") if isinstance(c, str) else c)
                for n, c in self.package.items() if "\\" not in n}

    def base(self, entry, directory, installmaj=True, **standin):
        """A base the stand-in knows, with its directory made on its drive."""
        self.standin.base(entry, directory, **standin)
        if directory:
            self.world.mkdir(directory)
            if installmaj:
                self.world.mkdir(directory + "\\INSTALLMAJ")

    def base_list(self, content):
        """The list file's content (text in the ANSI code page, or bytes);
        None: no list file."""
        if content is not None:
            self.world.write(BASE_LIST, content)

    def version_file(self, content, read_only=False):
        path = self.world.write(VERSION_FILE, content)
        if read_only:
            path.chmod(0o444)

    def on_path(self, folder, files):
        """`files` (name -> file built here) in `folder`, which every Windows
        program of the scenario finds at the end of its PATH."""
        for name, built in files.items():
            target = self.world.host(folder + "\\" + name)
            target.parent.mkdir(parents=True, exist_ok=True)
            shutil.copy2(built, target)
        # Wine puts WINEPATH at the end of the programs' PATH.
        self.env["WINEPATH"] = folder
        self.standin.env["WINEPATH"] = folder

    def login_name(self, name):
        """The operator's system login name (what GetUserNameA answers)."""
        self.login = name

    # --- the run -----------------------------------------------------------------

    def start(self, timeout=30, args=(), again=False, exit_code=False):
        """Registers the stand-in, starts the program with `args` and finds its
        main window. `again`: a later start in the same scenario, on the
        stand-in as the earlier runs left it (its records, its journal).
        `exit_code`: the operator helper holds the program from then on, so
        that `ends(code=)` can read its exit code."""
        if not again:
            self.standin.install(self.world)
        self.launch(self.app_folder + "\\MiseANiveau.exe", timeout, args)
        self.exit_watch = self.op.watch_exit(self.main.pid, 900) if exit_code else None
        self.check_main_window(self.main)

    def launch(self, exe, timeout=30, args=()):
        """Starts a Windows program by its Windows path and finds its main window."""
        env = dict(self.suite.wine_env, USER=self.login, **self.env)
        self.log.write("== start %s %s as %s\n" % (exe, " ".join(args), self.login))
        self.log.flush()
        folder = self.world.host(exe.rsplit("\\", 1)[0])
        self.process = subprocess.Popen(wine.command(exe, *args), env=env, cwd=folder,
                                        stdin=subprocess.DEVNULL, stdout=self.log, stderr=self.log)
        answer = self.op.wait(timeout, title=MAIN_TITLE)
        if answer.status != 0:
            ended = self.process.poll()
            raise Failure("the main window «%s» did not appear within %d s (%s)%s"
                          % (MAIN_TITLE, timeout,
                             "the program is still running" if ended is None
                             else "the program ended with %s" % ended,
                             windows_shown(self.op, None, "windows on the screen")))
        self.main = answer.window

    def check_responsive_until(self, title, timeout):
        """The main window never hangs: it answers the system's "are you
        responding?" (WM_NULL) within the helper's hang limit at every sample
        until the window `title` shows. How fast it answers is reported, not
        checked: that is the machine's weather."""
        seen = self.op.responsive(self.main.hwnd, title, timeout)
        self.log.write("== responsiveness: %s\n" % seen)
        self.measured.append("WM_NULL answer median %.1f ms, worst %.1f ms (%d samples)"
                             % (seen["median-ms"], seen["worst-ms"], seen["samples"]))
        if seen["samples"] < 10:
            self.problems.append("only %d responsiveness samples: too few to tell" % seen["samples"])
        self.expect("WM_NULL answers later than %d ms (of %d, the worst %.1f ms)"
                    % (seen["limit-ms"], seen["samples"], seen["worst-ms"]), 0, seen["late"])

    def check_main_window(self, w):
        labels = [c.text for c in w.of_class("static")]
        self.expect("the main window's controls", [MAIN_LABEL], labels)
        self.expect("the main window's client area (pixels)", (205, 103), w.client)
        label = next(iter(w.of_class("static")), None)
        if label is not None:
            self.expect("the label's place and size (pixels)", (32, 40, 146, 16), label.rect)
        others = [c["class"] for c in w.controls if c.cls != "static"]
        self.expect("controls other than the label", [], others)

    def next_window(self, what, timeout=30):
        """The next window the program shows, besides its main window."""
        answer = self.op.wait(timeout, pid=self.main.pid, exclude=[self.main.hwnd])
        if answer.status == 0:
            return answer.window
        if answer.status == 3:
            raise Failure("expected %s, but the program ended (exit code %s)"
                          % (what, answer.fields.get("exited")))
        raise Failure("expected %s, but no window appeared within %d s%s"
                      % (what, timeout, self.program_windows()))

    def program_windows(self):
        """What the program shows, for a failure report."""
        return windows_shown(self.op, self.main.pid, "the program's windows")

    def require_title(self, w, title, what):
        if w.title != title:
            raise Failure("expected %s, but this window appeared:\n%s" % (what, indent(w.summary())))

    def main_enabled(self, expected, when):
        """The main window takes input (or not) at this point of the run. Only
        meaningful while no box is shown: a modal box disables its owner."""
        shown = self.op.show(self.main.hwnd).window
        if shown is None:
            raise Failure("the main window was gone %s" % when)
        self.expect("the main window enabled %s" % when, expected, shown.enabled)

    def message_box(self, text, icon, shot=None, timeout=30, while_shown=None):
        """The next window is the message box with exactly this text and icon;
        the operator presses OK. `while_shown(window)` runs before that, while
        the program waits in the box."""
        w = self.next_window("the message box «%s»" % visible(text.split("\r")[0]), timeout)
        self.require_title(w, BOX_TITLE, "a message box «%s»" % BOX_TITLE)
        if while_shown:
            while_shown(w)
        if shot:
            self.screenshot(w, shot)
        self.expect("the message box's text", text, w.message)
        self.expect("the message box's icon", icon, w.icon)
        self.expect("the message box's buttons", ["OK"], [c.text for c in w.of_class("button")])
        self.act(w, "press", "OK", closes=True)

    def input_box(self, prompt, answer=None, shot=None, while_shown=None):
        """The next window is the input box with this prompt; the operator types
        the answer and presses OK, or presses Annuler when the answer is None.
        `while_shown(window)` runs first, while the program waits in the box."""
        w = self.next_window("the input box", 30)
        self.require_title(w, INPUT_TITLE, "the input box «%s»" % INPUT_TITLE)
        if while_shown:
            while_shown(w)
        statics = [c.text for c in w.of_class("static") if c.text]
        self.expect("the input box's prompt", [prompt], statics)
        edits = w.of_class("edit")
        self.expect("the input box's text boxes (text, focus)", [("", True)],
                    [(e.text, e.focused) for e in edits])
        buttons = sorted(c.text.replace("&", "") for c in w.of_class("button"))
        self.expect("the input box's buttons", ["Annuler", "OK"], buttons)
        if shot:
            self.screenshot(w, shot)
        if answer is None:
            self.act(w, "press", "Annuler", closes=True)
            return
        typed = self.act(w, "type", answer)
        if typed and edits:
            box = next((c for c in typed.controls if c["hwnd"] == edits[0]["hwnd"]), None)
            self.expect("the input box's text after typing", answer, box.text if box else None)
        self.act(w, "press", "OK", closes=True)

    def close_requests(self, when, keys=("Close", "Alt+F4", "WM_CLOSE")):
        """The operator asks to close the main window each way in turn (the
        title bar's button, Alt+F4, a close message); it must stay."""
        if self.op.show(self.main.hwnd).window is None:
            raise Failure("the main window was gone %s" % when)
        for key in keys:
            answer = self.op.key(self.main.hwnd, key)
            shown = self.op.show(self.main.hwnd).window
            if answer.status != 0 or shown is None:
                raise Failure("the main window closed on «%s» %s" % (key, when))

    def second_run(self, text, icon=CRITICAL, leave_open=False, code=None):
        """The program started once more while this run goes on: it shows one
        box with this text, and nothing else, then ends once it is closed
        (with the exit code `code`, when given). With `leave_open` the box
        stays (an operator who walked away): the answer goes to
        `close_second_run` later."""
        exe = self.app_folder + "\\MiseANiveau.exe"
        self.log.write("== start a second %s\n" % exe)
        self.log.flush()
        second = subprocess.Popen(wine.command(exe),
                                  env=dict(self.suite.wine_env, USER=self.login, **self.env),
                                  cwd=self.world.host(self.app_folder), stdin=subprocess.DEVNULL,
                                  stdout=self.log, stderr=self.log)
        # Not a box the first run shows under the same title.
        first = [o.hwnd for o in self.op.list(self.main.pid)]
        answer = self.op.wait(30, title=BOX_TITLE, exclude=first)
        if answer.status != 0:
            raise Failure("expected the second run's box «%s»%s"
                          % (BOX_TITLE, windows_shown(self.op, None, "windows on the screen")))
        w = answer.window
        if w.pid == self.main.pid:
            raise Failure("expected the second run's box, but the first run showed:\n%s"
                          % indent(w.summary()))
        others = [o.title for o in self.op.list(w.pid) if o.hwnd != w.hwnd]
        self.expect("the second run's other windows", [], others)
        self.expect("the second run's text", text, w.message)
        self.expect("the second run's icon", icon, w.icon)
        self.expect("the second run's buttons", ["OK"], [c.text for c in w.of_class("button")])
        watch = self.op.watch_exit(w.pid, 60) if code is not None else None
        if leave_open:
            return w, second, watch, code
        self.close_second_run((w, second, watch, code))
        return None

    def close_second_run(self, shown):
        """The operator presses OK in the second run's box; that run ends."""
        w, second, watch, code = shown
        self.act(w, "press", "OK", closes=True)
        after = self.op.wait(20, pid=w.pid)
        if after.status == 0:
            raise Failure("the second run showed a window after its box:\n%s"
                          % indent(after.window.summary()))
        if after.status != 3:
            raise Failure("the second run did not end after its box")
        if watch:
            self.expect("the second run's exit code", str(code), self.op.finish_watch(watch))
        try:
            second.wait(timeout=15)
        except subprocess.TimeoutExpired:
            raise Failure("the second run's process did not end") from None

    def login_dialog(self, prefill, user=None, password=None, close="Enter", tabs=False,
                     shot=None):
        """The next window is the login dialog, prefilled with `prefill` (all of
        it selected, the focus in the user box, the password box empty). The
        operator types `user` over the selection, then Tab and `password`,
        then closes the dialog with `close`: a key ("Enter", "Escape",
        "Alt+O", "Alt+N", "Close") or a button label ("Ok", "Annuler")."""
        w = self.next_window("the login dialog «%s»" % LOGIN_TITLE, 30)
        self.require_title(w, LOGIN_TITLE, "the login dialog «%s»" % LOGIN_TITLE)
        self.check_login_layout(w)
        edits = sorted(w.of_class("edit"), key=lambda c: c.rect[1])
        if len(edits) != 2:
            raise Failure("the login dialog has %d text boxes, not 2" % len(edits))
        user_box, password_box = edits
        self.expect("the user box's text", prefill, user_box.text)
        self.expect("the user box's selection (all of it)",
                    "0,%d" % (len(prefill.encode("utf-16-le")) // 2), user_box["selection"])
        self.expect("the focus at opening", "the user box",
                    "the user box" if user_box.focused else describe_focus(w))
        self.expect("the password box's text", "", password_box.text)
        self.expect("the password box's password character", "*", password_box["password"])
        if shot:
            self.screenshot(w, shot)
        if user is not None:
            self.act(w, "type", user)
        if password is not None:
            after_tab = self.act(w, "key", "Tab")
            if after_tab:
                self.expect("the focus after Tab from the user box", "the password box",
                            "the password box" if focused_hwnd(after_tab) == password_box["hwnd"]
                            else describe_focus(after_tab))
            self.act(w, "type", password)
        if tabs:
            for expected in ("Ok", "Annuler"):
                after = self.act(w, "key", "Tab")
                if after:
                    f = after.focused_control()
                    self.expect("the focus after one more Tab", expected,
                                f.text.replace("&", "") if f else None)
        if close in ("Ok", "Annuler"):
            self.act(w, "press", close, closes=True)
        else:
            self.act(w, "key", close, closes=True)

    def check_login_layout(self, w):
        """The dialog's size and its six controls, at 96 dots per inch."""
        self.expect("the login dialog's client area (pixels)", (250, 90), w.client)

        def shown(kind, text, rect):
            return "%s «%s» at %d,%d size %dx%d" % ((kind, text) + tuple(rect))
        wanted = sorted([shown("button", "A&nnuler", (192, 56, 49, 25)),
                         shown("button", "&Ok", (136, 56, 49, 25)),
                         shown("edit", "", (120, 32, 121, 19)),
                         shown("edit", "", (120, 8, 121, 19)),
                         shown("static", "Mot de Passe", (16, 32, 65, 17)),
                         shown("static", "Utilisateur", (16, 8, 73, 17))])
        # The boxes' texts are checked on their own.
        seen = sorted(shown(c.cls, "" if c.cls == "edit" else c.text, c.rect) for c in w.controls)
        self.expect("the login dialog's controls", wanted, seen)
        default = [c.text for c in w.of_class("button") if c["kind"] == "default"]
        self.expect("the login dialog's default button", ["&Ok"], default)

    def ends(self, timeout=20, code=None):
        """No other window appears, and the program's process ends in time;
        with `code`, its exit code as Windows tells it (GetExitCodeProcess in
        the operator helper: the Wine loader's own status says nothing)."""
        answer = self.op.wait(timeout, pid=self.main.pid, exclude=[self.main.hwnd])
        if answer.status == 0:
            raise Failure("expected the program to end, but this window appeared:\n%s"
                          % indent(answer.window.summary()))
        if answer.status != 3:
            raise Failure("the program did not end within %d s%s" % (timeout, self.program_windows()))
        if code is not None:
            if not self.exit_watch:
                raise Failure("ends(code=) needs start(exit_code=True)")
            self.expect("the program's exit code", str(code),
                        self.op.finish_watch(self.exit_watch))
            self.exit_watch = None
        try:
            self.process.wait(timeout=15)
        except subprocess.TimeoutExpired:
            raise Failure("the program's windows closed but its process did not end") from None

    def act(self, w, verb, what, closes=False):
        """Types, presses a key or a button; returns the window as it is after,
        or None when it closed. A window that does not close as expected stops
        the scenario."""
        if verb == "type":
            answer = self.op.type(w.hwnd, what)
        else:
            answer = getattr(self.op, verb)(w.hwnd, what, closes=closes)
        if answer.status != 0:
            error = answer.fields.get("error", "failed")
            raise Failure("the operator's %s «%s» on «%s»: %s" % (verb, what, w.title, error))
        return answer.window

    def screenshot(self, w, name):
        """The window as it shows on the screen, kept as an artifact."""
        time.sleep(0.4)  # let it finish painting
        x, y, width, height = w.rect
        self._shot += 1
        path = self.artifacts / ("%02d-%s.png" % (self._shot, name))
        self.artifacts.mkdir(parents=True, exist_ok=True)
        subprocess.run(["import", "-display", self.suite.display, "-window", "root", "-crop",
                        "%dx%d+%d+%d" % (width, height, x, y), "+repage", str(path)],
                       check=False, capture_output=True, timeout=30)
        if not path.exists():
            self.problems.append("no screenshot %s could be taken" % path.name)

    def shoot_main(self, name):
        shown = self.op.show(self.main.hwnd).window
        if shown is not None:
            self.screenshot(shown, name)

    # --- checks ------------------------------------------------------------------

    def expect(self, what, expected, actual):
        if expected == actual:
            return True
        if isinstance(expected, str) or isinstance(actual, str):
            self.problems.append(difference(what, expected, actual))
        elif isinstance(expected, list) and isinstance(actual, list):
            self.problems.append(list_difference(what, [str(e) for e in expected],
                                                 [str(a) for a in actual]))
        else:
            self.problems.append("%s differs:\n  expected: %s\n  actual:   %s" % (what, expected, actual))
        return False

    def check_package(self, base_directory, expected=None):
        """The base's INSTALLMAJ folder holds exactly the package's files (or the
        files given), byte for byte."""
        expected = self.package_files() if expected is None else expected
        actual = self.world.files_in(base_directory + "\\INSTALLMAJ")
        where = base_directory + "\\INSTALLMAJ"
        if actual is None and expected:
            self.problems.append("%s does not exist (expected the files %s)"
                                 % (where, ", ".join(sorted(expected))))
            return
        actual = actual or {}
        self.expect("the files in " + where, sorted(expected), sorted(actual))
        for name in sorted(set(expected) & set(actual)):
            if expected[name] != actual[name]:
                self.problems.append(difference("the content of %s\\%s" % (where, name),
                                                bytes_shown(expected[name]), bytes_shown(actual[name])))

    def copy_order(self, base_directory):
        """The names in the base's INSTALLMAJ folder in the order they were
        written there (the change time of each file)."""
        folder = self.world.host(base_directory + "\\INSTALLMAJ")
        files = [p for p in folder.iterdir() if p.is_file()] if folder.is_dir() else []
        return [p.name for p in sorted(files, key=lambda p: p.stat().st_ctime_ns)]

    def check_file(self, windows_path, expected):
        """The file holds exactly these bytes (None: it does not exist)."""
        actual = self.world.read(windows_path)
        if actual != expected:
            self.problems.append(difference("the bytes of " + windows_path,
                                            bytes_shown(expected), bytes_shown(actual)))

    def check_version(self, expected):
        self.check_file(VERSION_FILE, expected)

    def check_journal(self, expected, calls=None, notes=False):
        """The stand-in's journal, keeping only the lines of the given calls,
        is exactly `expected`. The server's notes (" -- why") are left out
        unless `notes`: they explain, the rest is what the program sent."""
        actual = self.standin.journal(self.world, calls)
        if not notes:
            actual = [line.split(" -- ")[0] for line in actual]
        self.expect("the stand-in's journal" + (" (%s)" % ", ".join(calls) if calls else ""),
                    expected, actual)

    def run_log(self):
        """The run log's lines without their stamps, durations shown as "N ms":
        from the marker file's folder, else beside the program. Checks the
        byte-order mark, the CR LF ends and every stamp; [] when there is none."""
        data = None
        for folder in (SHARE + "\\MERIDOXAN", self.app_folder or ""):
            data = self.world.read(folder + "\\" + LOG_NAME)
            if data is not None:
                break
        if data is None:
            self.problems.append("no run log, neither in the marker folder nor beside the program")
            return []
        if not data.startswith(b"\xef\xbb\xbf") or not data.endswith(b"\r\n"):
            self.problems.append("the run log lacks its byte-order mark or its last CR LF")
        found = []
        for raw in data[3:].split(b"\r\n")[:-1]:
            if b"\n" in raw or b"\r" in raw or not LOG_STAMP.match(raw):
                self.problems.append("a run log line without its stamp or torn: %r" % raw)
                continue
            found.append(re.sub(r"\d+ ms", "N ms", raw[24:].decode("utf-8")))
        return found

    def check_log(self, expected):
        """The run log holds these lines in this order (others may come between);
        a line ending in "..." matches any line that starts with the rest."""
        found = self.run_log()
        at = 0
        for line in expected:
            def matches(candidate):
                return candidate.startswith(line[:-3]) if line.endswith("...") else candidate == line
            while at < len(found) and not matches(found[at]):
                at += 1
            if at == len(found):
                self.problems.append("the run log lacks, in its place, the line\n  %s\nit holds:\n%s"
                                     % (line, indent("\n".join(found))))
                return
            at += 1

    def check_secret_kept(self, secret):
        """No file the run could write holds `secret` (in the ANSI, UTF-8 or
        UTF-16 form): the shares and drives, the program's folder, the
        stand-in's folder and journal, the prefix's registry. The stand-in's
        settings, where the user list keeps it, are the one exception."""
        forms = {secret.encode("cp1252"), secret.encode("utf-8"), secret.encode("utf-16-le")}
        settings = self.world.host(standin_module.DATA + r"\settings.txt")
        folders = [self.world.root, self.world.host(self.app_folder),
                   self.world.host(standin_module.FOLDER)]
        files = [p for folder in folders if folder.is_dir() for p in folder.rglob("*")]
        files += list(self.world.prefix.glob("*.reg"))
        holding = sorted(str(p) for p in files
                         if p.is_file() and p != settings
                         and any(form in p.read_bytes() for form in forms))
        self.expect("the files holding the password", [], holding)


def windows_shown(operator, pid, what):
    try:
        shown = operator.list(pid)
    except OperatorError:
        return ""
    if not shown:
        return "\n  %s: none" % what
    return "\n  %s:\n%s" % (what, "\n".join(indent(w.summary(), "    ") for w in shown))


def indent(text, by="  "):
    return by + text.replace("\n", "\n" + by)


def focused_hwnd(w):
    f = w.focused_control()
    return f["hwnd"] if f else None


def describe_focus(w):
    f = w.focused_control()
    if f is None:
        return "no control of the dialog"
    return "%s «%s»" % (f["class"], f.text)
