"""The Python side of maj-operator.exe: runs one step of it under Wine and
reads what it printed."""

import re
import subprocess
import tempfile
import time
from dataclasses import dataclass, field

from . import wine


class OperatorError(Exception):
    """The helper could not be run, or printed something unreadable."""


def unescape(text):
    """Undoes the helper's escapes: \\\\ \\t \\r \\n \\xHH."""
    out = []
    i = 0
    while i < len(text):
        c = text[i]
        if c != "\\" or i + 1 == len(text):
            out.append(c)
            i += 1
            continue
        n = text[i + 1]
        if n == "x" and i + 4 <= len(text):
            out.append(chr(int(text[i + 2:i + 4], 16)))
            i += 4
            continue
        out.append({"\\": "\\", "t": "\t", "r": "\r", "n": "\n"}.get(n, n))
        i += 2
    return "".join(out)


@dataclass
class Control:
    fields: dict

    def __getitem__(self, key):
        return self.fields.get(key, "")

    @property
    def text(self):
        return self["text"]

    @property
    def cls(self):
        return self["class"].lower()

    @property
    def focused(self):
        return self["focus"] == "yes"

    @property
    def rect(self):
        return tuple(int(v) for v in self["rect"].split())


@dataclass
class Window:
    fields: dict = field(default_factory=dict)
    controls: list = field(default_factory=list)

    def __getitem__(self, key):
        return self.fields.get(key)

    @property
    def hwnd(self):
        return self["window"]

    @property
    def pid(self):
        return int(self["pid"])

    @property
    def title(self):
        return self["title"]

    @property
    def message(self):
        return self["message"]

    @property
    def enabled(self):
        return self["enabled"] == "yes"

    @property
    def rect(self):
        return tuple(int(v) for v in self["rect"].split())

    @property
    def client(self):
        return tuple(int(v) for v in self["client"].split())

    @property
    def icon(self):
        return next((c["icon"] for c in self.controls if c["icon"]), None)

    def of_class(self, cls):
        return [c for c in self.controls if c.cls == cls.lower()]

    def focused_control(self):
        return next((c for c in self.controls if c.focused), None)

    def summary(self):
        """A few lines that say what the window is, for failure reports."""
        from .texts import visible
        out = ["window «%s» (class %s)" % (self.title, self["class"])]
        if self.message is not None:
            out.append("  message: «%s»" % visible(self.message).replace("\n", ""))
        for c in self.controls:
            if c.text or c.cls == "edit":
                out.append("  %s «%s»%s" % (c["class"], visible(c.text).replace("\n", ""),
                                            " (focus)" if c.focused else ""))
        return "\n".join(out)


@dataclass
class Answer:
    status: int
    window: Window = None
    fields: dict = field(default_factory=dict)
    raw: str = ""


def parse(output):
    """The helper's lines as an Answer's window and loose fields."""
    window = Window()
    loose = {}
    for line in output.replace("\r", "").split("\n"):
        if not line:
            continue
        parts = line.split("\t")
        if parts[0] == "control":
            fields = {}
            for part in parts[2:]:
                key, _, value = part.partition("=")
                fields[key] = unescape(value)
            window.controls.append(Control(fields))
        elif len(parts) >= 2:
            value = unescape(parts[1])
            if parts[0] in ("state", "error", "exited"):
                loose[parts[0]] = value
            else:
                window.fields[parts[0]] = value
    return (window if window.fields else None), loose


def fields(output):
    """Every "key<TAB>value" line of the output, unescaped."""
    found = {}
    for line in output.replace("\r", "").split("\n"):
        key, tab, value = line.partition("\t")
        if tab:
            found[key] = unescape(value)
    return found


def parse_windows(output):
    """The windows of a `list` answer (blocks separated by an empty line)."""
    blocks = output.replace("\r", "").split("\n\n")
    return [w for w in (parse(block)[0] for block in blocks) if w is not None]


class Operator:
    """Runs maj-operator.exe steps in one Wine prefix."""

    def __init__(self, exe_windows_path, env, log=None):
        self.exe = exe_windows_path
        self.env = env
        self.log = log

    def run(self, *args, timeout=10.0):
        # The helper prints a line with every answer, a failure included. No
        # answer at all means Wine did not run it (seen once in a fresh prefix:
        # status 1 after 20 ms): nothing was done, so it is started again.
        for attempt in range(3):
            answer = self.run_once(args, timeout)
            if answer.status != 1 or answer.raw.strip():
                return answer
            if self.log:
                self.log.write("(the helper gave no answer: started again)\n")
            time.sleep(0.5)
        raise OperatorError("maj-operator %s: Wine did not run it" % " ".join(map(str, args)))

    def run_once(self, args, timeout):
        argv = wine.command(self.exe, *args)
        if "--timeout" not in args and args and args[0] in ("wait", "key", "press"):
            argv += ["--timeout", "%g" % timeout]
        # Output goes through files: Wine's helper processes, started by the
        # first program of a prefix, inherit the handles and would hold a pipe open.
        begun = time.monotonic()
        with tempfile.TemporaryFile() as out_file, tempfile.TemporaryFile() as err_file:
            process = subprocess.Popen(argv, env=self.env, stdin=subprocess.DEVNULL,
                                       stdout=out_file, stderr=err_file)
            try:
                status = process.wait(timeout=timeout + 20)
            except subprocess.TimeoutExpired:
                process.kill()
                process.wait()
                raise OperatorError("maj-operator %s did not return in time"
                                    % " ".join(map(str, args))) from None
            out_file.seek(0)
            err_file.seek(0)
            out = out_file.read().decode("utf-8", errors="replace")
            err = err_file.read().decode("utf-8", errors="replace").strip()
        # The helper's last word is its status: it counts when Wine's loader
        # crashed after the helper was done and so ended with a status of its own.
        said = re.search(r"^maj-operator status (\d+)\r?$", err, re.M)
        if said:
            status = int(said.group(1))
            err = (err[:said.start()] + err[said.end():]).strip()
        if self.log:
            self.log.write("$ maj-operator %s\n[%d after %.2f s]\n%s\n" % (" ".join(map(str, args)), status, time.monotonic() - begun, out))
            if err:
                self.log.write("stderr: %s\n" % err)
            self.log.flush()
        if status == 2:
            raise OperatorError("maj-operator refused %s: %s" % (args, err))
        window, loose = parse(out)
        return Answer(status, window, loose, out)

    def watch_exit(self, pid, timeout):
        """Starts `exit-code PID` beside the program and returns at once: the
        helper holds the process, so its exit code can be read however soon
        it ends. `finish_watch` gives that code."""
        argv = wine.command(self.exe, "exit-code", pid, "--timeout", "%g" % timeout)
        out_file = tempfile.TemporaryFile()
        process = subprocess.Popen(argv, env=self.env, stdin=subprocess.DEVNULL,
                                   stdout=out_file, stderr=subprocess.DEVNULL)
        # The helper must hold the process before the scenario moves on: it
        # says so first ("held", or "exited" when the process was gone).
        deadline = time.monotonic() + 20
        while time.monotonic() < deadline and process.poll() is None:
            out_file.seek(0)
            if b"held\t" in out_file.read():
                break
            time.sleep(0.02)
        return process, out_file, timeout

    def finish_watch(self, watch):
        """The exit code a watch saw ("unknown" when the process was gone
        before the helper held it), or None when it saw no end in time."""
        process, out_file, timeout = watch
        try:
            process.wait(timeout=timeout + 20)
        except subprocess.TimeoutExpired:
            process.kill()
            process.wait()
        out_file.seek(0)
        out = out_file.read().decode("utf-8", errors="replace")
        out_file.close()
        if self.log:
            self.log.write("$ maj-operator exit-code (watch)\n[%s]\n%s\n" % (process.returncode, out))
        return fields(out).get("exited")

    def wait(self, timeout, **criteria):
        args = ["wait"]
        for key in ("title", "pid"):
            if criteria.get(key) is not None:
                args += ["--" + key, criteria[key]]
        if criteria.get("class_name"):
            args += ["--class", criteria["class_name"]]
        for hwnd in criteria.get("exclude", ()):
            args += ["--except", hwnd]
        return self.run(*args, "--timeout", "%g" % timeout, timeout=timeout)

    def show(self, hwnd):
        return self.run("show", hwnd)

    def type(self, hwnd, text):
        return self.run("type", hwnd, text)

    def key(self, hwnd, key, closes=False, timeout=10.0):
        return self.run("key", hwnd, key, *(["--closes"] if closes else []), timeout=timeout)

    def press(self, hwnd, button, closes=False, timeout=10.0):
        return self.run("press", hwnd, button, *(["--closes"] if closes else []), timeout=timeout)

    def figures(self, *args, timeout=10.0):
        """A step that prints figures ("key<TAB>value" lines): they as a dict."""
        answer = self.run(*args, timeout=timeout)
        if answer.status != 0:
            raise OperatorError("maj-operator %s: %s" % (args[0], answer.fields.get("error", "failed")))
        return fields(answer.raw)

    def counters(self, pid):
        """What the process holds: handles, gdi, user, peak-working-set,
        working-set, private (numbers), and where each count came from
        ("<figure>-source")."""
        found = self.figures("counters", pid)
        return {k: (v if k.endswith("-source") else int(v)) for k, v in found.items()}

    def responsive(self, hwnd, until, timeout):
        """Samples how the window answers WM_NULL until its process shows a
        window titled `until`: limit-ms (the answer time that counts as a
        hang), samples, late (beyond the limit), median-ms, worst-ms."""
        found = self.figures("responsive", hwnd, "--until", until, "--timeout", "%g" % timeout,
                             timeout=timeout)
        return {"limit-ms": int(found["limit-ms"]), "samples": int(found["samples"]),
                "late": int(found["late"]), "median-ms": float(found["median-ms"]),
                "worst-ms": float(found["worst-ms"])}

    def list(self, pid=None):
        """Every visible top-level window (of that process)."""
        return parse_windows(self.run("list", *(["--pid", pid] if pid else [])).raw)
