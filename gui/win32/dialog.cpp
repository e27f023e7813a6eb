#include "gui/win32/dialog.h"

#include "gui/win32/guard.h"

namespace gui {

namespace {

// DLGTEMPLATE followed by empty menu, class and title arrays; the caption and
// the size are set once the dialog exists.
struct EmptyTemplate {
  DLGTEMPLATE header;
  WORD menu, windowClass, title;
};

}  // namespace

Dialog::Dialog(std::wstring name, const DialogSpec& spec, Component* owner) : WindowBase(std::move(name), owner) {
  alignas(4) EmptyTemplate tmpl{};
  tmpl.header.style = spec.style & ~WS_VISIBLE;
  CreateDialogIndirectParamW(GetModuleHandleW(nullptr), &tmpl.header, spec.ownerWindow, DialogProc,
                             reinterpret_cast<LPARAM>(this));
  KeepDialogScalingOurs(Hwnd());
  SetCaption(spec.caption);
}

Dialog::~Dialog() = default;

INT_PTR CALLBACK Dialog::DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    auto* self = reinterpret_cast<Dialog*>(lParam);
    SetWindowLongPtrW(hwnd, DWLP_USER, lParam);
    self->Attach(hwnd);
    return FALSE;  // the focus is set when the dialog is shown
  }
  auto* self = reinterpret_cast<Dialog*>(GetWindowLongPtrW(hwnd, DWLP_USER));
  if (!self) return FALSE;
  return Guarded([&]() -> LRESULT {
    LRESULT result = 0;
    bool handled = self->HandleMessage(message, wParam, lParam, result) || self->Route(message, wParam, lParam, result);
    if (!handled && message == WM_CLOSE) {
      self->EndModal(IDCANCEL);
      handled = true;
    }
    if (message == WM_NCDESTROY) {
      SetWindowLongPtrW(hwnd, DWLP_USER, 0);
      self->Detach();
    }
    if (!handled) return FALSE;
    switch (message) {
      case WM_CTLCOLORSTATIC:
      case WM_CTLCOLORBTN:
      case WM_CTLCOLOREDIT:
      case WM_CTLCOLORDLG:
        return result;  // dialog procedures return brushes directly
    }
    SetWindowLongPtrW(hwnd, DWLP_MSGRESULT, result);
    return TRUE;
  });
}

void Dialog::SetDefaultId(int id) { SendMessageW(Hwnd(), DM_SETDEFID, WPARAM(id), 0); }

void Dialog::OnUnhandledCommand(int id) {
  if (id == IDCANCEL) EndModal(IDCANCEL);
}

int Dialog::ShowModal() {
  HWND owner = GetWindow(Hwnd(), GW_OWNER);
  const bool ownerWasEnabled = owner && IsWindowEnabled(owner);
  if (ownerWasEnabled) EnableWindow(owner, FALSE);
  modalResult_ = 0;
  inModal_ = true;
  ShowWindow(Hwnd(), SW_SHOWNORMAL);
  SetForegroundWindow(Hwnd());
  if (HWND first = GetNextDlgTabItem(Hwnd(), nullptr, FALSE)) SendMessageW(Hwnd(), WM_NEXTDLGCTL, WPARAM(first), TRUE);
  MSG msg;
  while (modalResult_ == 0) {
    const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got <= 0) {
      if (got == 0) PostQuitMessage(int(msg.wParam));  // the outer loop must see it too
      modalResult_ = IDCANCEL;
      break;
    }
    if (IsDialogMessageW(Hwnd(), &msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  inModal_ = false;
  // The owner first, so that the system activates it rather than another program.
  if (ownerWasEnabled) EnableWindow(owner, TRUE);
  ShowWindow(Hwnd(), SW_HIDE);
  return modalResult_;
}

}  // namespace gui
