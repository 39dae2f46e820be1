// The login dialog "Identification" and the lookup of the system login name
// that prefills it. The dialog hands its result back through G_Utilisateur,
// G_MotPasse and G_Annuler.
#pragma once

#include <string>

#include "platform/Dialog.h"
#include "platform/System.h"
#include "state/RunState.h"

namespace maj {

// The name under which the operator is logged in to the system, read through
// the ANSI code page; the empty text when it cannot be read.
std::string GetUser(System& system);

class Frm_Connexion : public DialogModel {
 public:
  explicit Frm_Connexion(RunState& state) : state_(state) {}
  ~Frm_Connexion() override;
  Frm_Connexion(const Frm_Connexion&) = delete;
  Frm_Connexion& operator=(const Frm_Connexion&) = delete;

  // The dialog's caption, size and controls, in twips.
  static const DialogDesign kDesign;

  const DialogDesign& Design() const override { return kDesign; }
  TextBoxState* Box(const std::string& name) override;
  void Form_Load() override;
  void Click(const std::string& button) override;

  void Cmd_Ok_Click();
  void Cmd_Annuler_Click();

  TextBoxState Txt_Utilisateur;
  TextBoxState Txt_MotPasse;

 private:
  RunState& state_;
};

}  // namespace maj
