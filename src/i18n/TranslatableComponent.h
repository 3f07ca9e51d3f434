#pragma once
// What the translation walk needs to know of a window's component, so that the walk and its keys
// are written once and every toolkit only adapts its widgets. An adapter overrides what its widget
// has; the defaults describe a component without texts, items, cells or owned components.
// As in the windows' design, the dialog owns every named component itself, in design order, so an
// adapter hands the walk one flat list under the dialog (the window tables of FormDesigns.h give
// each window's names and kinds): tool-bar buttons are ToolButton, menus and menu items MenuItem,
// labels and the link label Label, the exceptions grid Grid, the radio groups RadioGroup, the
// sort-order list DropDownList; buttons, check boxes, group boxes, edits, combo boxes, page tabs
// and file dialogs (Title, Filter) are Other.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace i18n {

// The kinds the walk treats differently; everything else (the dialog itself, buttons, check
// boxes, group boxes, panels, edits, page tabs, file dialogs) is Other.
enum class ComponentKind {
    Action,       // a non-visual command: neither it nor what it owns is translated
    ToolButton,   // Caption and Hint
    Label,        // Caption only; a label's hint is never translated
    SpeedButton,  // Caption and Hint
    MenuItem,     // Caption and Hint
    Grid,         // column headings and cells, keyed <name>.col_<c>.row_<r>
    RadioGroup,   // the generic texts, then its items
    DropDownList, // the generic texts; its items only through TranslateComboItems
    Other,        // the generic texts, then the components it owns
};

// The string properties a language file can replace, in the order the walk visits them.
enum class TextProperty { Caption, Title, Filter, Hint, Text };

// "Caption", "Title", "Filter", "Hint" or "Text": the part of the key after the component name.
std::string_view propertyName(TextProperty property);

class TranslatableComponent {
public:
    virtual ~TranslatableComponent() = default;

    virtual ComponentKind kind() const = 0;
    // The component name, unique within its window; the key's first part.
    virtual std::string name() const = 0;

    // The property's text, or nothing when the component has no such property.
    virtual std::optional<std::string> text(TextProperty) const { return std::nullopt; }
    // Called only for a property that text() answered.
    virtual void setText(TextProperty, const std::string&) {}

    // The item list of a radio group or drop-down list.
    virtual std::vector<std::string> items() const { return {}; }
    virtual void setItems(const std::vector<std::string>&) {}

    // The components this one owns, in creation order; valid while this component lives.
    virtual std::vector<TranslatableComponent*> ownedComponents() { return {}; }

    // A grid's size: columns count from 1, row 0 is the heading row and rows 1..rowCount() hold data.
    virtual int columnCount() const { return 0; }
    virtual int rowCount() const { return 0; }
    virtual std::string cell(int /*column*/, int /*row*/) const { return {}; }
    virtual void setCell(int /*column*/, int /*row*/, const std::string&) {}

    // Gives the dialog the desktop's standard dialog font; components with a font of their own
    // keep it. Called on the dialog only.
    virtual void applyDialogFont() {}
};

} // namespace i18n
