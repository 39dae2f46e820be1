"""The operator helper proves itself on a fixture program of known behaviour,
so that a failure of the real scenarios is the program's and not the helper's."""

from harness.scenario import CRITICAL, INFORMATION, scenario
from harness.texts import lines

FIXTURE = r"C:\maj-e2e\maj-fixture.exe"


def report(how, user, password):
    return lines("Fin : " + how, "Utilisateur=" + user, "Mot de passe=" + password)


@scenario("the operator helper on its fixture program")
def operator_self_test(s):
    s.login_name("opérateur")
    s.launch(FIXTURE)
    s.expect("the fixture's label", ["Mise à niveau en cours..."],
             [c.text for c in s.main.of_class("static")])
    s.message_box(lines("Problème dans l'ouverture de la Base de données : BASE1",
                        "Merci de contacter MERIDOXAN"), CRITICAL)

    # Typing replaces the selected prefill, Tab reaches the password box, the
    # password shows as stars, Alt+O presses "&Ok".
    w = s.next_window("the fixture's login dialog")
    user, password = sorted(w.of_class("edit"), key=lambda c: c.rect[1])
    s.expect("prefill", "opérateur", user.text)
    s.expect("selection of the prefill", "0,9", user["selection"])
    s.expect("focus at opening", True, user.focused)
    s.expect("password character", "*", password["password"])
    s.expect("default button", ["&Ok"], [b.text for b in w.of_class("button") if b["kind"] == "default"])
    after = s.act(w, "type", "Jérôme")
    s.expect("user box after typing", "Jérôme", next(c.text for c in after.controls if c["hwnd"] == user["hwnd"]))
    after = s.act(w, "key", "Tab")
    s.expect("focus after Tab", password["hwnd"], after.focused_control()["hwnd"])
    s.act(w, "type", "mot de passe")
    s.act(w, "key", "Alt+O", closes=True)
    s.message_box(report("ok", "Jérôme", "mot de passe"), INFORMATION)

    # The title bar's close runs neither button; Enter presses the default button.
    w = s.next_window("the fixture's login dialog, again")
    user = sorted(w.of_class("edit"), key=lambda c: c.rect[1])[0]
    s.expect("prefill the second time", "Jérôme", user.text)
    s.act(w, "key", "Close", closes=True)
    s.message_box(report("fermé", "Jérôme", "mot de passe"), INFORMATION)
    w = s.next_window("the fixture's login dialog, a third time")
    s.act(w, "key", "Enter", closes=True)
    s.message_box(report("ok", "Jérôme", ""), INFORMATION)

    # Escape presses the cancel button; the fixture then ends.
    w = s.next_window("the fixture's login dialog, a last time")
    s.act(w, "key", "Escape", closes=True)
    s.message_box(report("annulé", "Jérôme", ""), INFORMATION)
    s.ends()
