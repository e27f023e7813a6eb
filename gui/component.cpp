#include "gui/component.h"

#include <algorithm>
#include <iterator>

#include "platform/win_path.h"

namespace {

struct NamedProperty {
  Property property;
  const wchar_t* name;
};

constexpr NamedProperty kPropertyNames[] = {
    {Property::Caption, L"Caption"},     {Property::Text, L"Text"},           {Property::Hint, L"Hint"},
    {Property::ShowHint, L"ShowHint"},   {Property::Items, L"Items"},         {Property::Lines, L"Lines"},
    {Property::ItemIndex, L"ItemIndex"}, {Property::Font, L"Font"},           {Property::Alignment, L"Alignment"},
    {Property::Layout, L"Layout"},
};

}  // namespace

std::optional<Property> PropertyByName(const std::wstring& name) {
  for (const NamedProperty& p : kPropertyNames)
    if (platform::EqualsNoCase(name, p.name)) return p.property;
  return std::nullopt;
}

const wchar_t* PropertyName(Property property) {
  for (const NamedProperty& p : kPropertyNames)
    if (p.property == property) return p.name;
  return L"";
}

FontSpec DesignFont() { return FontSpec{L"MS Sans Serif", 1, 8}; }

bool FitsProperty(Property property, const PropertyValue& value) {
  switch (property) {
    case Property::Caption:
    case Property::Text:
    case Property::Hint:
      return std::holds_alternative<std::wstring>(value);
    case Property::ShowHint:
      return std::holds_alternative<bool>(value);
    case Property::Items:
    case Property::Lines:
      return std::holds_alternative<StringList>(value);
    case Property::ItemIndex:
    case Property::Alignment:
    case Property::Layout:
      return std::holds_alternative<int>(value);
    case Property::Font:
      return std::holds_alternative<FontSpec>(value);
  }
  return false;
}

Component::Component(std::wstring name, Component* owner) : name_(std::move(name)), owner_(owner) {
  if (owner_) owner_->components_.push_back(this);
}

Component::~Component() {
  // Components still registered outlive their owner only in careless code;
  // they become roots rather than keep a dangling owner.
  for (Component* c : components_) c->owner_ = nullptr;
  if (owner_) {
    auto& siblings = owner_->components_;
    siblings.erase(std::remove(siblings.begin(), siblings.end(), this), siblings.end());
  }
}

Component* Component::FindComponent(const std::wstring& name) const {
  for (Component* c : components_)
    if (platform::EqualsNoCase(c->Name(), name)) return c;
  return nullptr;
}

const Component::Exposed* Component::Find(Property property) const {
  for (const Exposed& e : exposed_)
    if (e.property == property) return &e;
  return nullptr;
}

bool Component::Has(Property property) const { return Find(property) != nullptr; }

std::optional<PropertyValue> Component::Get(Property property) const {
  const Exposed* e = Find(property);
  if (!e) return std::nullopt;
  return e->get();
}

bool Component::Set(Property property, const PropertyValue& value) {
  const Exposed* e = Find(property);
  if (!e || !FitsProperty(property, value)) return false;
  e->set(value);
  return true;
}

bool Component::HasProperty(const std::wstring& name) const {
  std::optional<Property> p = PropertyByName(name);
  return p && Has(*p);
}

std::optional<PropertyValue> Component::GetProperty(const std::wstring& name) const {
  std::optional<Property> p = PropertyByName(name);
  if (!p) return std::nullopt;
  return Get(*p);
}

bool Component::SetProperty(const std::wstring& name, const PropertyValue& value) {
  std::optional<Property> p = PropertyByName(name);
  return p && Set(*p, value);
}

void Component::Expose(Property property, Getter get, Setter set) {
  for (Exposed& e : exposed_) {
    if (e.property != property) continue;
    // A derived class refines what its base exposed.
    e.get = std::move(get);
    e.set = std::move(set);
    return;
  }
  exposed_.push_back(Exposed{property, std::move(get), std::move(set)});
}

void Component::ExposeText(Property property, std::function<std::wstring()> get,
                           std::function<void(const std::wstring&)> set) {
  Expose(property, [get] { return PropertyValue(get()); },
         [set](const PropertyValue& v) { set(std::get<std::wstring>(v)); });
}

void Component::ExposeBool(Property property, std::function<bool()> get, std::function<void(bool)> set) {
  Expose(property, [get] { return PropertyValue(get()); }, [set](const PropertyValue& v) { set(std::get<bool>(v)); });
}

void Component::ExposeInt(Property property, std::function<int()> get, std::function<void(int)> set) {
  Expose(property, [get] { return PropertyValue(get()); }, [set](const PropertyValue& v) { set(std::get<int>(v)); });
}

void Component::ExposeList(Property property, std::function<StringList()> get,
                           std::function<void(const StringList&)> set) {
  Expose(property, [get] { return PropertyValue(get()); },
         [set](const PropertyValue& v) { set(std::get<StringList>(v)); });
}

void Component::ExposeFont(std::function<FontSpec()> get, std::function<void(const FontSpec&)> set) {
  Expose(Property::Font, [get] { return PropertyValue(get()); },
         [set](const PropertyValue& v) { set(std::get<FontSpec>(v)); });
}

Component& ApplicationComponent() {
  static Component application(L"");
  return application;
}
