// Named components: every window, control, menu item and text table knows its
// name, its owner and the components it owns (in creation order), and answers
// for its translatable properties by name at run time. Language files address
// components by path ("SettingsDlg.startup_chk") and properties by name, so
// this layer is portable: the loader is tested against fake components.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <variant>
#include <vector>

enum class Property { Caption, Text, Hint, ShowHint, Items, Lines, ItemIndex, Font, Alignment, Layout };

// The property of that name, letters compared without regard to case.
std::optional<Property> PropertyByName(const std::wstring& name);
const wchar_t* PropertyName(Property property);

// A font as the language files see it: face, character set (a Windows
// character-set number) and size in points.
struct FontSpec {
  std::wstring face;
  int charset = 1;  // DEFAULT_CHARSET
  int size = 8;
  bool operator==(const FontSpec& other) const {
    return face == other.face && charset == other.charset && size == other.size;
  }
  bool operator!=(const FontSpec& other) const { return !(*this == other); }
};

// The face and size every window and control is designed with.
FontSpec DesignFont();

using StringList = std::vector<std::wstring>;
// Caption, Text, Hint: text; ShowHint: bool; Items, Lines: StringList;
// ItemIndex, Alignment, Layout: int; Font: FontSpec.
using PropertyValue = std::variant<std::wstring, bool, int, StringList, FontSpec>;

// True when the value holds the type the property takes.
bool FitsProperty(Property property, const PropertyValue& value);

class Component {
 public:
  // Registers with the owner (appended to its components); a null owner makes
  // a root. An empty name is allowed: such a component is not addressed, but
  // its own components still are.
  explicit Component(std::wstring name, Component* owner = nullptr);
  virtual ~Component();
  Component(const Component&) = delete;
  Component& operator=(const Component&) = delete;

  const std::wstring& Name() const { return name_; }
  Component* Owner() const { return owner_; }
  // In creation order.
  const std::vector<Component*>& Components() const { return components_; }
  // The owned component of that name (letter case ignored), or nullptr.
  Component* FindComponent(const std::wstring& name) const;

  bool Has(Property property) const;
  // Empty when the component lacks the property.
  std::optional<PropertyValue> Get(Property property) const;
  // False when the component lacks the property or the value is of the wrong type.
  bool Set(Property property, const PropertyValue& value);

  // The same by name ("caption", "ITEMS"...); unknown names are lacked.
  bool HasProperty(const std::wstring& name) const;
  std::optional<PropertyValue> GetProperty(const std::wstring& name) const;
  bool SetProperty(const std::wstring& name, const PropertyValue& value);

 protected:
  using Getter = std::function<PropertyValue()>;
  using Setter = std::function<void(const PropertyValue&)>;
  // Derived classes expose each property they have once, in their constructor.
  // The setter is called only with a value that fits the property.
  void Expose(Property property, Getter get, Setter set);
  // Typed forms of Expose.
  void ExposeText(Property property, std::function<std::wstring()> get, std::function<void(const std::wstring&)> set);
  void ExposeBool(Property property, std::function<bool()> get, std::function<void(bool)> set);
  void ExposeInt(Property property, std::function<int()> get, std::function<void(int)> set);
  void ExposeList(Property property, std::function<StringList()> get, std::function<void(const StringList&)> set);
  void ExposeFont(std::function<FontSpec()> get, std::function<void(const FontSpec&)> set);

 private:
  struct Exposed {
    Property property;
    Getter get;
    Setter set;
  };
  const Exposed* Find(Property property) const;

  std::wstring name_;
  Component* owner_;
  std::vector<Component*> components_;
  std::vector<Exposed> exposed_;
};

// The root that owns every window of the program (it has no name), so that
// windows are first-level paths ("MainDlg") and their components second-level
// ones ("MainDlg.clean_btn").
Component& ApplicationComponent();
