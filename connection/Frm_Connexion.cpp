#include "connection/Frm_Connexion.h"

#include "platform/Text.h"

namespace maj {

std::string GetUser(System& system) {
  std::string name;
  if (!system.UserName(name)) return {};
  return name;
}

const DialogDesign Frm_Connexion::kDesign{
    "Identification",
    3750,
    1350,
    {
        {"Cmd_Annuler", ControlKind::PushButton, "A&nnuler", 2880, 840, 735, 375, 5, false, true},
        {"Cmd_Ok", ControlKind::PushButton, "&Ok", 2040, 840, 735, 375, 4, true, false},
        {"Txt_MotPasse", ControlKind::TextBox, "", 1800, 480, 1815, 285, 1, false, false, '*'},
        {"Txt_Utilisateur", ControlKind::TextBox, "", 1800, 120, 1815, 285, 0},
        {"Etq_MotPasse", ControlKind::Label, "Mot de Passe", 240, 480, 975, 255, 3},
        {"Etq_Utilisateur", ControlKind::Label, "Utilisateur", 240, 120, 1095, 255, 2},
    }};

Frm_Connexion::~Frm_Connexion() {
  SecureWipe(Txt_MotPasse.text);
}

TextBoxState* Frm_Connexion::Box(const std::string& name) {
  if (name == "Txt_Utilisateur") return &Txt_Utilisateur;
  if (name == "Txt_MotPasse") return &Txt_MotPasse;
  return nullptr;
}

void Frm_Connexion::Form_Load() {
  Txt_Utilisateur.text = state_.G_Utilisateur;
  Txt_Utilisateur.selStart = 0;
  Txt_Utilisateur.selLength = static_cast<int>(Utf16Length(Txt_Utilisateur.text));
}

void Frm_Connexion::Click(const std::string& button) {
  if (button == "Cmd_Ok") Cmd_Ok_Click();
  if (button == "Cmd_Annuler") Cmd_Annuler_Click();
}

void Frm_Connexion::Cmd_Ok_Click() {
  state_.G_Utilisateur = Txt_Utilisateur.text;
  SecureWipe(state_.G_MotPasse);  // the password typed before, if any
  state_.G_MotPasse = Txt_MotPasse.text;
  unloadRequested = true;
}

void Frm_Connexion::Cmd_Annuler_Click() {
  state_.G_Annuler = True;
  unloadRequested = true;
}

}  // namespace maj
