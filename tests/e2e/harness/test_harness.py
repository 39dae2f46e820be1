"""Checks of the harness's own pieces that need no Wine: reading the operator
helper's lines, showing differences, the expected summary texts, the paths
behind Windows paths and the stand-in's settings. `tests/e2e/run` runs them
first; `python3 -m unittest harness.test_harness` from tests/e2e runs them alone."""

import tempfile
import unittest
from pathlib import Path

from scenarios.common import summary

from .operator import parse, parse_windows, unescape
from .standin import StandIn
from .texts import difference, list_difference
from .world import World

DESCRIPTION = (
    "window\t0x1004c\npid\t48\nclass\t#32770\ntitle\tMessage MERIDOXAN\nrect\t1 2 30 40\n"
    "client\t24 15\nenabled\tyes\nowner\t0x0\nfocus\t0x10076\n"
    "message\tProbl\u00e8me : A\\r\\nMerci\n"
    "control\t1\thwnd=0x1006c\tid=1088\tclass=Static\ttext=\trect=12 11 32 32\ticon=critical\n"
    "control\t2\thwnd=0x10076\tid=1\tclass=Button\ttext=a\\tb=c\\\\d\tfocus=yes\tkind=default\n")


class OperatorLines(unittest.TestCase):
    def test_escapes_undone(self):
        self.assertEqual(unescape(r"a\tb\r\n\\c\x1E"), "a\tb\r\n\\c\x1e")
        self.assertEqual(unescape("sans échappement"), "sans échappement")
        self.assertEqual(unescape("fin\\"), "fin\\")

    def test_window_and_controls_read(self):
        window, loose = parse(DESCRIPTION)
        self.assertEqual(loose, {})
        self.assertEqual(window.hwnd, "0x1004c")
        self.assertEqual(window.pid, 48)
        self.assertEqual(window.message, "Problème : A\r\nMerci")
        self.assertEqual(window.icon, "critical")
        self.assertEqual(window.client, (24, 15))
        button = window.of_class("button")[0]
        # A "=" and a tab inside a value stay in it.
        self.assertEqual(button.text, "a\tb=c\\d")
        self.assertIs(window.focused_control(), button)

    def test_outcome_and_several_windows(self):
        window, loose = parse("state\tclosed\nexited\t0\n")
        self.assertIsNone(window)
        self.assertEqual(loose, {"state": "closed", "exited": "0"})
        windows = parse_windows(DESCRIPTION + "\n" + DESCRIPTION.replace("0x1004c", "0x2"))
        self.assertEqual([w.hwnd for w in windows], ["0x1004c", "0x2"])
        self.assertEqual(parse_windows(""), [])


class Differences(unittest.TestCase):
    def test_line_ends_made_visible(self):
        report = difference("the text", "A\r\nB", "A\nB")
        self.assertIn("expected: «A\\r\\n»", report)
        self.assertIn("actual:   «A\\n»", report)
        self.assertIn("first difference at character 2: expected «\\r\\nB», got «\\nB»", report)

    def test_missing_text_and_lists(self):
        self.assertIn("«(nothing)»", difference("the file", "x", None))
        report = list_difference("the journal", ["a", "b"], ["a", "c"])
        self.assertIn("-b", report)
        self.assertIn("+c", report)


class SummaryTexts(unittest.TestCase):
    def test_error_form_as_in_the_example(self):
        # The example of the result report: A and C upgraded, B not.
        self.assertEqual(
            summary([("A", True), ("B", False), ("C", True)]),
            "La mise à jour du serveur contient des erreurs.\r\n\r\nBase A : mise à jour.\r\n"
            "\r\nBase C : mise à jour.\r\n\r\nBase B : non mise à jour.\r\n\r\n"
            "Veuillez contacter MERIDOXAN.")

    def test_success_form_and_failures_after_the_last_success(self):
        self.assertEqual(summary([("A", True), ("B", True)]),
                         "Mise à jour du serveur terminée avec succès.\r\n\r\n"
                         "Base A : mise à jour.\r\nBase B : mise à jour.\r\n")
        # A failed base after the last success adds no empty line to the first part.
        self.assertEqual(summary([("A", True), ("B", False)]),
                         "La mise à jour du serveur contient des erreurs.\r\n\r\n"
                         "Base A : mise à jour.\r\n\r\nBase B : non mise à jour.\r\n\r\n"
                         "Veuillez contacter MERIDOXAN.")
        self.assertEqual(summary([("A", False)]),
                         "La mise à jour du serveur contient des erreurs.\r\n\r\n\r\n"
                         "Base A : non mise à jour.\r\n\r\nVeuillez contacter MERIDOXAN.")


class Places(unittest.TestCase):
    def test_windows_paths_on_this_machine(self):
        with tempfile.TemporaryDirectory() as root:
            prefix = Path(root) / "prefix"
            (prefix / "dosdevices").mkdir(parents=True)
            (prefix / "drive_c").mkdir()
            world = World(prefix, Path(root) / "work", set())
            world.reset()
            self.assertEqual(world.host(r"\\127.0.0.1\unidata\BASES.TXT"),
                             world.server / "UNIDATA" / "BASES.TXT")
            self.assertEqual(world.host(r"C:\Program Files\A B\x.exe"),
                             prefix / "drive_c" / "Program Files" / "A B" / "x.exe")
            d = world.host(r"d:\BASES\\BASE1\\")
            self.assertEqual(d, world.root / "drive_d" / "BASES" / "BASE1")
            self.assertEqual((prefix / "dosdevices" / "d:").resolve(), (world.root / "drive_d").resolve())
            self.assertEqual((prefix / "dosdevices" / "unc" / "127.0.0.1").resolve(),
                             world.server.resolve())
            # A reset removes what a scenario added and maps a fresh share.
            world.write(r"C:\APP\x.txt", "é")
            world.write(r"\\127.0.0.1\UNIDATA\BASES.TXT", "A\r\n").chmod(0o444)
            self.assertEqual(world.read(r"C:\APP\x.txt"), b"\xe9")
            world.reset()
            self.assertFalse((prefix / "drive_c" / "APP").exists())
            self.assertIsNone(world.read(r"\\127.0.0.1\UNIDATA\BASES.TXT"))
            self.assertFalse((prefix / "dosdevices" / "d:").exists())


class StandInSettings(unittest.TestCase):
    def test_settings_text(self):
        standin = StandIn(suite=None)
        standin.user("SUPPORT", "s3cret")
        standin.base("BASE1", r"D:\B1", refuse=[(0x80040006, ["ADM"])])
        standin.base(r"\\SRV\B2", r"D:\B2", refuse=[(0x80040019, [])])
        standin.fault("QUI", base="BASE1", answer="empty", times=2)
        text = standin.settings_text()
        self.assertIn("[users]\nADM =\nSUPPORT = s3cret\n", text)
        self.assertIn("[base BASE1]\ndirectory = D:\\B1\nstore = BASE1\nrefuse = 0x80040006 for ADM\n",
                      text)
        # An entry that is no plain folder name gets a store of its own.
        self.assertIn("[base \\\\SRV\\B2]\ndirectory = D:\\B2\nstore = _base2\nrefuse = 0x80040019\n",
                      text)
        self.assertIn("[fault]\ncall = QUI\nbase = BASE1\nanswer = empty\ntimes = 2\n", text)


if __name__ == "__main__":
    unittest.main()
