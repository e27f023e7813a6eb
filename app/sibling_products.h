// The maker's two other products, started from the main window's group
// "More": each records its executable's path under its maker value; when that
// file is gone (or was never there) the product's page on the vendor's web
// site opens instead.
#pragma once

#include <functional>
#include <string>

// Hands a file or an address to the shell; tests record the call instead.
using ShellOpener = std::function<void(const std::wstring& target)>;
// platform::ShellOpen: default action, normal window, no error UI.
void DefaultShellOpen(const std::wstring& target);

enum class SiblingProduct { Shredder, DiskHealth };  // "Shred Files", "Disk Health"

// The product's executable when its maker value names an existing file, else
// its fallback address.
std::wstring SiblingProductTarget(SiblingProduct product);
// Opens that target; the shell's failure is not reported.
void OpenSiblingProduct(SiblingProduct product, const ShellOpener& open = DefaultShellOpen);
