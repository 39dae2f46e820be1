#include "platform/win32/DialogView.h"

#include <algorithm>
#include <numeric>
#include <string>
#include <utility>
#include <vector>

#include "platform/win32/BusyPointer.h"
#include "platform/win32/Callbacks.h"
#include "platform/win32/Layout.h"
#include "platform/win32/WindowStates.h"
#include "support/win32/ComOwners.h"
#include "support/win32/Handles.h"
#include "support/win32/Win32Errors.h"

namespace maj::win32 {
namespace {

// Posted at creation: puts the focus and the selection in place once the
// dialog is shown and activated (activation moves the focus by itself).
constexpr UINT kApplyFocus = WM_APP + 1;

// A dialog with no controls and no font of its own: the view creates the
// controls at their pixel places and gives them the system's dialog font.
struct EmptyTemplate {
  DLGTEMPLATE header;
  WORD menu;
  WORD windowClass;
  WORD title;
};

// A control's text in UTF-8. The UTF-16 copy is wiped: it may be a password.
std::string WindowText(HWND window) {
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
  const int length = GetWindowTextW(window, text.data(), static_cast<int>(text.size()));
  std::string utf8 = com::Narrow(std::wstring_view(text.data(), static_cast<std::size_t>(length)));
  SecureZeroMemory(text.data(), text.size() * sizeof(wchar_t));
  return utf8;
}

class DialogView {
 public:
  DialogView(DialogModel& model, HWND owner, Placement placement)
      : model_(model), design_(model.Design()), owner_(owner), placement_(placement) {}

  ErrorNumber Run() {
    alignas(DWORD) EmptyTemplate empty{};
    // Visible from the start: it is shown as soon as it is created, before
    // the posted focus request is handled.
    empty.header.style =
        WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE | DS_MODALFRAME | DS_3DLOOK;
    previousActive_ = GetActiveWindow();
    states_.DisableAllBut(owner_);
    SetLastError(0);
    const INT_PTR result = DialogBoxIndirectParamW(GetModuleHandleW(nullptr), &empty.header, owner_,
                                                   Proc, reinterpret_cast<LPARAM>(this));
    states_.Restore();
    ThrowKept();
    return result <= 0 ? LastError() : kOk;
  }

 private:
  // A handler that throws ends the dialog: its caller throws it on.
  static INT_PTR CALLBACK Proc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    return Guarded<INT_PTR>(
        FALSE, [&] { return Dispatch(dialog, message, wParam, lParam); },
        [dialog] { EndDialog(dialog, 0); });
  }

  static INT_PTR Dispatch(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
      SetWindowLongPtrW(dialog, DWLP_USER, lParam);
      auto* view = reinterpret_cast<DialogView*>(lParam);
      view->dialog_ = dialog;
      view->Create();
      return FALSE;  // the focus is set by the view
    }
    auto* view = reinterpret_cast<DialogView*>(GetWindowLongPtrW(dialog, DWLP_USER));
    return view ? view->Handle(message, wParam, lParam) : FALSE;
  }

  INT_PTR Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
      case WM_COMMAND:
        if (HIWORD(wParam) == BN_CLICKED) Command(LOWORD(wParam));
        return TRUE;
      case kApplyFocus:
        ApplyFocus();
        return TRUE;
      case WM_CLOSE:
        // The title-bar close and Alt+F4 close the dialog without any handler.
        Close();
        return TRUE;
      case WM_SETCURSOR:
        if (!BusyPointer::AnswerSetCursor()) return FALSE;
        SetWindowLongPtrW(dialog_, DWLP_MSGRESULT, TRUE);
        return TRUE;
      case WM_DPICHANGED: {
        dpi_ = HIWORD(wParam);
        Layout();
        FollowDpiChange(dialog_, design_.clientWidth, design_.clientHeight, dpi_,
                        *reinterpret_cast<const RECT*>(lParam));
        return TRUE;
      }
      default:
        return FALSE;
    }
  }

  void Create() {
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    SetWindowTextW(dialog_, com::Widen(design_.caption).c_str());
    const auto& controls = design_.controls;
    for (std::size_t i = 0; i < controls.size(); ++i) {
      const ControlDesign& design = controls[i];
      const wchar_t* windowClass = L"Static";
      DWORD style = WS_CHILD | WS_VISIBLE;
      DWORD exStyle = 0;
      switch (design.kind) {
        case ControlKind::PushButton:
          windowClass = L"Button";
          style |= WS_TABSTOP | (design.isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON);
          break;
        case ControlKind::TextBox:
          windowClass = L"Edit";
          style |= WS_TABSTOP | ES_LEFT | ES_AUTOHSCROLL | (design.passwordChar ? ES_PASSWORD : 0);
          exStyle = WS_EX_CLIENTEDGE;
          break;
        case ControlKind::Label:
          style |= SS_LEFT | SS_NOPREFIX;  // a label has no access key
          break;
      }
      const HWND control = CreateWindowExW(
          exStyle, windowClass, com::Widen(design.text).c_str(), style, 0, 0, 0, 0, dialog_,
          reinterpret_cast<HMENU>(static_cast<INT_PTR>(kFirstControlId + i)), instance, nullptr);
      if (design.passwordChar) {
        SendMessageW(control, EM_SETPASSWORDCHAR,
                     static_cast<WPARAM>(static_cast<unsigned char>(design.passwordChar)), 0);
      }
      if (design.isDefault) {
        SendMessageW(dialog_, DM_SETDEFID, static_cast<WPARAM>(kFirstControlId + i), 0);
      }
      controls_.push_back(control);
    }
    TakeOverDpiChanges(dialog_);
    dpi_ = WindowDpi(dialog_);
    Layout();
    OrderTabs();
    SizeAndPlace(dialog_, design_.clientWidth, design_.clientHeight, placement_);

    model_.Form_Load();
    for (std::size_t i = 0; i < controls.size(); ++i) {
      if (const TextBoxState* box = Box(i)) {
        SetWindowTextW(controls_[i], com::Widen(box->text).c_str());
      }
    }
    if (model_.unloadRequested) {
      Close();
      return;
    }
    ApplyFocus();
    PostMessageW(dialog_, kApplyFocus, 0, 0);
  }

  // Positions and font at the current DPI.
  void Layout() {
    FontOwner font = CreateDialogFont(dpi_);
    for (std::size_t i = 0; i < controls_.size(); ++i) {
      const ControlDesign& design = design_.controls[i];
      PlaceChild(controls_[i], design.left, design.top, design.width, design.height, dpi_);
      SendMessageW(controls_[i], WM_SETFONT, reinterpret_cast<WPARAM>(font.Get()), TRUE);
    }
    font_ = std::move(font);  // the controls no longer use the previous one
  }

  // The dialog manager moves the focus in window order: put the controls in
  // the order of their tab indexes.
  void OrderTabs() {
    tabOrder_.resize(controls_.size());
    std::iota(tabOrder_.begin(), tabOrder_.end(), std::size_t{0});
    std::stable_sort(tabOrder_.begin(), tabOrder_.end(), [this](std::size_t a, std::size_t b) {
      return design_.controls[a].tabIndex < design_.controls[b].tabIndex;
    });
    HWND previous = HWND_TOP;
    for (const std::size_t i : tabOrder_) {
      SetWindowPos(controls_[i], previous, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
      previous = controls_[i];
    }
  }

  // The focus on the first control in tab order that can take it, and each
  // box's selection as the model holds it.
  void ApplyFocus() {
    for (const std::size_t i : tabOrder_) {
      if (design_.controls[i].kind != ControlKind::Label) {
        SetFocus(controls_[i]);
        break;
      }
    }
    for (std::size_t i = 0; i < controls_.size(); ++i) {
      if (const TextBoxState* box = Box(i)) {
        const int length = GetWindowTextLengthW(controls_[i]);
        const int start = std::clamp(box->selStart, 0, length);
        const int end = start + std::clamp(box->selLength, 0, length - start);
        SendMessageW(controls_[i], EM_SETSEL, static_cast<WPARAM>(start), static_cast<LPARAM>(end));
      }
    }
  }

  // The model's state of control i when it is a text box, else null.
  TextBoxState* Box(std::size_t i) {
    const ControlDesign& design = design_.controls[i];
    return design.kind == ControlKind::TextBox ? model_.Box(design.name) : nullptr;
  }

  void Command(WORD id) {
    std::size_t pressed = controls_.size();
    if (id == IDCANCEL) {
      // Escape: the cancel button, when the dialog has one.
      for (std::size_t i = 0; i < controls_.size(); ++i) {
        if (design_.controls[i].isCancel) pressed = i;
      }
    } else if (id >= kFirstControlId) {
      pressed = static_cast<std::size_t>(id - kFirstControlId);  // past the last: none
    }
    if (pressed < controls_.size() && design_.controls[pressed].kind == ControlKind::PushButton) {
      Press(pressed);
    }
  }

  void Press(std::size_t button) {
    for (std::size_t i = 0; i < controls_.size(); ++i) {
      if (TextBoxState* box = Box(i)) {
        box->text = WindowText(controls_[i]);
        DWORD start = 0;
        DWORD end = 0;
        SendMessageW(controls_[i], EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                     reinterpret_cast<LPARAM>(&end));
        box->selStart = static_cast<int>(start);
        box->selLength = static_cast<int>(end - start);
      }
    }
    model_.Click(design_.controls[button].name);
    if (model_.unloadRequested) Close();
  }

  void Close() {
    if (closing_) return;
    closing_ = true;
    // Before the dialog goes: the window that gets the activation back must
    // already be in its own state.
    states_.Restore();
    // A dialog with no owner hands the activation back itself; else the
    // system may give it to another program, and the next box would open
    // behind that program's windows.
    if (GetActiveWindow() == dialog_ && previousActive_ && IsWindowVisible(previousActive_) &&
        IsWindowEnabled(previousActive_)) {
      SetActiveWindow(previousActive_);
    }
    EndDialog(dialog_, 1);
  }

  DialogModel& model_;
  const DialogDesign& design_;
  HWND owner_;
  Placement placement_;
  WindowStates states_;
  HWND dialog_ = nullptr;
  HWND previousActive_ = nullptr;
  std::vector<HWND> controls_;  // in creation order; destroyed with the dialog
  std::vector<std::size_t> tabOrder_;
  FontOwner font_;
  UINT dpi_ = USER_DEFAULT_SCREEN_DPI;
  bool closing_ = false;
};

}  // namespace

ErrorNumber RunModal(DialogModel& dialog, HWND owner, Placement placement) {
  DialogView view(dialog, owner, placement);
  return view.Run();
}

}  // namespace maj::win32
