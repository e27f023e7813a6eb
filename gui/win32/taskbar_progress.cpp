#include "gui/win32/taskbar_progress.h"

#include "platform/windows_identity.h"

namespace gui {

namespace {

// {56FDF344-FD6D-11D0-958A-006097C9A090}
const CLSID kTaskbarListClass = {0x56FDF344, 0xFD6D, 0x11D0, {0x95, 0x8A, 0x00, 0x60, 0x97, 0xC9, 0xA0, 0x90}};
// {EA1AFB91-9E28-4B86-90E9-9E9F8A5EEFAF}
const IID kTaskbarList3 = {0xEA1AFB91, 0x9E28, 0x4B86, {0x90, 0xE9, 0x9E, 0x9F, 0x8A, 0x5E, 0xEF, 0xAF}};

}  // namespace

ITaskbarList3* CreateSystemTaskbarList() {
  platform::OsVersion version;
  if (!platform::QueryOsVersion(version) || version.major <= 5) return nullptr;
  void* taskbar = nullptr;
  if (FAILED(CoCreateInstance(kTaskbarListClass, nullptr, CLSCTX_INPROC_SERVER, kTaskbarList3, &taskbar)))
    return nullptr;
  return static_cast<ITaskbarList3*>(taskbar);
}

TTaskProgressBar::TTaskProgressBar(HWND window, const TaskbarListFactory& factory) : window_(window) {
  if (!window_ || !factory) return;
  taskbar_ = factory();
  if (!taskbar_) return;
  taskbar_->SetProgressState(window_, TBPF_NOPROGRESS);
  max_ = 100;
  position_ = 10;
  SetState(TaskbarProgressState::Normal);
  SetShown(false);
}

TTaskProgressBar::~TTaskProgressBar() {
  if (!taskbar_) return;
  SetState(TaskbarProgressState::None);
  taskbar_->Release();
}

void TTaskProgressBar::SetMax(int maximum) {
  max_ = maximum;
  SetPosition(position_);
}

void TTaskProgressBar::SetPosition(int position) {
  if (!taskbar_) return;
  position_ = position;
  // Negative numbers would wrap to huge unsigned ones; the taskbar shows none.
  const ULONGLONG completed = position_ > 0 ? ULONGLONG(position_) : 0;
  const ULONGLONG total = max_ > 0 ? ULONGLONG(max_) : 0;
  taskbar_->SetProgressValue(window_, completed, total);
}

void TTaskProgressBar::SetState(TaskbarProgressState state) {
  if (!taskbar_) return;
  state_ = state;
  taskbar_->SetProgressState(window_, TBPFLAG(state));
}

void TTaskProgressBar::SetShown(bool shown) {
  if (!taskbar_) return;
  shown_ = shown;
  if (!shown)
    SetState(TaskbarProgressState::None);
  else if (state_ != TaskbarProgressState::Normal)
    SetState(TaskbarProgressState::Normal);
}

}  // namespace gui
