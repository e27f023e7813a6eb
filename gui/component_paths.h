// The owner paths of components, as language files address them: a named
// component is "<owner path>.<name>", a window owned by the unnamed
// application root is its own name.
#pragma once

#include <string>
#include <vector>

#include "gui/component.h"

struct ComponentPath {
  std::wstring path;
  Component* component;
};

// Every named component under root (root included), depth first in owner
// order. A component whose name or path is in excluded (letter case ignored)
// is left out, but its own components are still collected under its path.
// An unnamed component passes no prefix to its components.
std::vector<ComponentPath> CollectComponents(Component& root, const std::vector<std::wstring>& excluded = {});

// The component listed under path (letter case ignored), or nullptr.
Component* FindByPath(const std::vector<ComponentPath>& paths, const std::wstring& path);
