// A modal dialog described as data plus handlers, so that its logic is portable
// and each platform renders it its own way.
#pragma once

#include <string>
#include <vector>

namespace maj {

enum class ControlKind { PushButton, TextBox, Label };

// Measures in twips (1440 to the inch, 15 to a pixel at 96 dots per inch).
struct ControlDesign {
  std::string name;
  ControlKind kind;
  std::string text;  // "&" marks the access key of a button
  int left, top, width, height;
  int tabIndex;
  bool isDefault = false;    // Enter presses it
  bool isCancel = false;     // Escape presses it
  char passwordChar = '\0';  // shown instead of each typed character
};

struct DialogDesign {
  std::string caption;
  int clientWidth, clientHeight;
  std::vector<ControlDesign> controls;  // in creation order
};

// What a handler sees of a text box, and what the view shows of it. The
// selection counts UTF-16 units, as the text box itself does.
struct TextBoxState {
  std::string text;
  int selStart = 0;
  int selLength = 0;
};

class DialogModel {
 public:
  virtual ~DialogModel() = default;
  virtual const DialogDesign& Design() const = 0;
  // The text box of that name, or nullptr.
  virtual TextBoxState* Box(const std::string& name) = 0;
  // Runs once, after the controls exist and before the dialog is shown.
  virtual void Form_Load() = 0;
  // A button was pressed (click, its access key, Enter or Escape). The view has
  // stored the boxes' current texts before the call.
  virtual void Click(const std::string& button) = 0;
  // Set by a handler that closes the dialog.
  bool unloadRequested = false;
};

}  // namespace maj
