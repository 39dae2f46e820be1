"""Showing texts and their differences with the line ends made visible."""

import difflib

CRLF = "\r\n"


def lines(*parts):
    """The parts joined by CR LF, as the program builds a multi-line text."""
    return CRLF.join(parts)


def visible(text):
    """The text on one or more display lines, each CR shown as \\r and each
    LF as \\n followed by a real line break, tabs and other controls escaped."""
    if text is None:
        return "(nothing)"
    out = []
    for c in text:
        if c == "\r":
            out.append("\\r")
        elif c == "\n":
            out.append("\\n\n")
        elif c == "\t":
            out.append("\\t")
        elif ord(c) < 0x20 or ord(c) == 0x7F:
            out.append("\\x%02X" % ord(c))
        else:
            out.append(c)
    return "".join(out)


def _block(label, text):
    shown = visible(text).split("\n")
    if len(shown) > 1 and shown[-1] == "":
        shown.pop()
    pad = " " * len(label)
    quoted = ["«" + s + "»" for s in shown] or ["«»"]
    return [label + quoted[0]] + [pad + s for s in quoted[1:]]


def difference(what, expected, actual):
    """A readable report of two texts that differ."""
    report = ["%s differs:" % what]
    report += _block("  expected: ", expected)
    report += _block("  actual:   ", actual)
    if expected is not None and actual is not None:
        n = next((i for i, (a, b) in enumerate(zip(expected, actual)) if a != b),
                 min(len(expected), len(actual)))
        want = visible(expected[n:n + 12]).replace("\n", "") or "(end)"
        got = visible(actual[n:n + 12]).replace("\n", "") or "(end)"
        report.append("  first difference at character %d: expected «%s», got «%s»" % (n + 1, want, got))
    return "\n".join(report)


def list_difference(what, expected, actual):
    """A readable report of two lists of one-line items that differ."""
    report = ["%s differs (- expected, + actual):" % what]
    for line in difflib.unified_diff([visible(e) for e in expected], [visible(a) for a in actual],
                                     lineterm="", n=2):
        if line.startswith(("---", "+++")):
            continue
        report.append("  " + line)
    return "\n".join(report)


def bytes_shown(data):
    """File bytes shown as text with the line ends visible."""
    if data is None:
        return None
    return data.decode("cp1252", errors="replace")
