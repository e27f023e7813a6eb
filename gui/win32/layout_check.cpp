#include "gui/win32/layout_check.h"

#include "gui/win32/control.h"
#include "gui/win32/group_box.h"

namespace gui {

namespace {

std::wstring Describe(const RECT& r) {
  return L"(" + std::to_wstring(r.left) + L"," + std::to_wstring(r.top) + L")-(" + std::to_wstring(r.right) + L"," +
         std::to_wstring(r.bottom) + L")";
}

}  // namespace

std::vector<std::wstring> LayoutFaults(const WindowBase& window) {
  std::vector<const Control*> controls;
  for (const Component* c : window.Components())
    if (auto* control = dynamic_cast<const Control*>(c); control && control->Visible()) controls.push_back(control);

  std::vector<std::wstring> faults;
  RECT client{};
  GetClientRect(window.Hwnd(), &client);
  for (const Control* control : controls) {
    const RECT r = control->PixelRect();
    const int needed = control->ContentWidth();
    if (needed > r.right - r.left)
      faults.push_back(control->Name() + L": its text needs " + std::to_wstring(needed) + L" pixels, it has " +
                       std::to_wstring(r.right - r.left));
    const int neededHeight = control->ContentHeight();
    if (neededHeight > r.bottom - r.top)
      faults.push_back(control->Name() + L": its text needs " + std::to_wstring(neededHeight) +
                       L" pixels of height, it has " + std::to_wstring(r.bottom - r.top));
    if (r.left < client.left || r.top < client.top || r.right > client.right || r.bottom > client.bottom)
      faults.push_back(control->Name() + L": " + Describe(r) + L" lies outside the client area " + Describe(client));
  }
  for (size_t i = 0; i < controls.size(); ++i) {
    if (dynamic_cast<const GroupBox*>(controls[i])) continue;
    for (size_t j = i + 1; j < controls.size(); ++j) {
      if (dynamic_cast<const GroupBox*>(controls[j])) continue;
      if (controls[i]->Container() == controls[j] || controls[j]->Container() == controls[i]) continue;
      const RECT a = controls[i]->PixelRect(), b = controls[j]->PixelRect();
      RECT both{};
      if (IntersectRect(&both, &a, &b))
        faults.push_back(controls[i]->Name() + L" " + Describe(a) + L" overlaps " + controls[j]->Name() + L" " +
                         Describe(b));
    }
  }
  return faults;
}

int WindowIconWidth(HWND window, WPARAM kind) {
  const auto icon = reinterpret_cast<HICON>(SendMessageW(window, WM_GETICON, kind, 0));
  ICONINFO info{};
  if (!icon || !GetIconInfo(icon, &info)) return 0;
  BITMAP bitmap{};
  GetObjectW(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof bitmap, &bitmap);
  if (info.hbmColor) DeleteObject(info.hbmColor);
  if (info.hbmMask) DeleteObject(info.hbmMask);
  return bitmap.bmWidth;
}

}  // namespace gui
