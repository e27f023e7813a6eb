#include "gui/component_paths.h"

#include "platform/win_path.h"

namespace {

bool IsExcluded(const std::vector<std::wstring>& excluded, const std::wstring& text) {
  for (const std::wstring& e : excluded)
    if (platform::EqualsNoCase(e, text)) return true;
  return false;
}

void Collect(const std::wstring& prefix, Component& component, const std::vector<std::wstring>& excluded,
             std::vector<ComponentPath>& paths) {
  const std::wstring& name = component.Name();
  const std::wstring path = prefix + name;
  if (!name.empty() && !IsExcluded(excluded, name) && !IsExcluded(excluded, path))
    paths.push_back(ComponentPath{path, &component});
  const std::wstring childPrefix = name.empty() ? std::wstring() : path + L".";
  for (Component* c : component.Components()) Collect(childPrefix, *c, excluded, paths);
}

}  // namespace

std::vector<ComponentPath> CollectComponents(Component& root, const std::vector<std::wstring>& excluded) {
  std::vector<ComponentPath> paths;
  Collect(std::wstring(), root, excluded, paths);
  return paths;
}

Component* FindByPath(const std::vector<ComponentPath>& paths, const std::wstring& path) {
  for (const ComponentPath& p : paths)
    if (platform::EqualsNoCase(p.path, path)) return p.component;
  return nullptr;
}
