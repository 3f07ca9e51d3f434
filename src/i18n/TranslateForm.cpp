#include "i18n/TranslateForm.h"

#include "i18n/Escapes.h"
#include "i18n/TStringLoader.h"
#include "i18n/TextLines.h"

#include <optional>
#include <string>
#include <type_traits>
#include <variant>
#include <vector>

namespace i18n {

namespace {

struct TextChange {
    TranslatableComponent* component;
    TextProperty property;
    std::string text;
};
struct ItemsChange {
    TranslatableComponent* component;
    std::vector<std::string> items;
};
struct CellChange {
    TranslatableComponent* component;
    int column;
    int row;
    std::string text;
};
struct WriteBack {
    std::string key;
    std::string text;
};
using Change = std::variant<TextChange, ItemsChange, CellChange, WriteBack>;

constexpr TextProperty kGenericProperties[] = {TextProperty::Caption, TextProperty::Title,
                                               TextProperty::Filter, TextProperty::Hint, TextProperty::Text};

// Each item followed by CR LF: the text a translation of the items is compared with.
std::string itemsText(const std::vector<std::string>& items) {
    std::string text;
    for (const std::string& item : items) {
        text += item + "\r\n";
    }
    return text;
}

// The items a value stands for: its lines.
std::vector<std::string> itemLines(std::string_view value) {
    const std::vector<std::string_view> lines = splitLines(value);
    return {lines.begin(), lines.end()};
}

// One translation: the walk collects changes, apply() makes them in walk order.
class Translation {
public:
    Translation(TStringLoader& loader, std::string_view section) : m_loader(loader), m_section(section) {}

    void component(TranslatableComponent& component) {
        switch (component.kind()) {
        case ComponentKind::Action:
            return;
        case ComponentKind::ToolButton:
        case ComponentKind::SpeedButton:
        case ComponentKind::MenuItem:
            property(component, TextProperty::Caption);
            property(component, TextProperty::Hint);
            return;
        case ComponentKind::Label:
            property(component, TextProperty::Caption);
            return;
        case ComponentKind::Grid:
            if (!component.name().empty()) {
                grid(component);
                return;
            }
            break;
        case ComponentKind::RadioGroup:
        case ComponentKind::DropDownList:
        case ComponentKind::Other:
            break;
        }
        for (const TextProperty p : kGenericProperties) {
            property(component, p);
        }
        if (component.kind() == ComponentKind::RadioGroup) {
            if (std::optional<TranslatedItems> translated = translatedItems(component)) {
                m_changes.push_back(ItemsChange{&component, std::move(translated->items)});
            }
            return;
        }
        for (TranslatableComponent* owned : component.ownedComponents()) {
            this->component(*owned);
        }
    }

    // A completed list is written back, so the translator finds every item in the file.
    void comboItems(TranslatableComponent& list) {
        std::optional<TranslatedItems> translated = translatedItems(list);
        if (!translated) {
            return;
        }
        std::string text = itemsText(translated->items);
        m_changes.push_back(ItemsChange{&list, std::move(translated->items)});
        if (translated->completed) {
            m_changes.push_back(WriteBack{list.name() + ".items", std::move(text)});
        }
    }

    // Makes the changes in walk order. Once a write-back has failed the loader is disabled, and
    // like every lookup after that point the remaining changes give way to the design texts.
    void apply() {
        for (Change& change : m_changes) {
            if (auto* writeBack = std::get_if<WriteBack>(&change)) {
                m_loader.RecordEntry(m_section, writeBack->key, writeBack->text);
            } else if (!m_loader.disabled()) {
                std::visit(
                    [](auto& c) {
                        using T = std::decay_t<decltype(c)>;
                        if constexpr (std::is_same_v<T, TextChange>) {
                            c.component->setText(c.property, c.text);
                        } else if constexpr (std::is_same_v<T, ItemsChange>) {
                            c.component->setItems(c.items);
                        } else if constexpr (std::is_same_v<T, CellChange>) {
                            c.component->setCell(c.column, c.row, c.text);
                        }
                    },
                    change);
            }
        }
    }

private:
    // The decoded value of "<component>.<suffix>", or nothing when the key is missing.
    std::optional<std::string> lookup(const TranslatableComponent& component, std::string_view suffix) const {
        const std::optional<std::string> raw =
            m_loader.value(m_section, component.name() + "." + std::string(suffix));
        if (!raw) {
            return std::nullopt;
        }
        return DecodeEscapes(*raw);
    }

    // An empty design text never takes a translation, except a hint; nor does one that the
    // translation leaves empty or unchanged.
    void property(TranslatableComponent& component, TextProperty p) {
        const std::optional<std::string> current = component.text(p);
        const std::string designed = current.value_or(std::string());
        if (designed.empty() && p != TextProperty::Hint) {
            return;
        }
        std::optional<std::string> value = lookup(component, propertyName(p));
        if (value && !value->empty() && *value != designed && current) {
            m_changes.push_back(TextChange{&component, p, std::move(*value)});
        }
    }

    struct TranslatedItems {
        std::vector<std::string> items;
        bool completed; // the translation had fewer lines than the design has items
    };

    // The translated items when the value differs from the design items. Items are setting values
    // by position (login choice, post-action, sort order), so a translation keeps their number: a
    // short one is completed with the remaining design items and extra lines are dropped.
    std::optional<TranslatedItems> translatedItems(const TranslatableComponent& component) const {
        const std::vector<std::string> design = component.items();
        const std::string designed = itemsText(design);
        if (designed.empty()) {
            return std::nullopt;
        }
        const std::optional<std::string> value = lookup(component, "items");
        if (!value || *value == designed) {
            return std::nullopt;
        }
        TranslatedItems translated{itemLines(*value), false};
        std::vector<std::string>& items = translated.items;
        if (items.size() < design.size()) {
            translated.completed = true;
            items.insert(items.end(), design.begin() + static_cast<std::ptrdiff_t>(items.size()),
                         design.end());
        }
        items.resize(design.size());
        return translated;
    }

    // Every heading and cell takes its translation; one without a translation is written back
    // with its design text, so the translator finds the key in the file.
    void grid(TranslatableComponent& grid) {
        for (int column = 1; column <= grid.columnCount(); ++column) {
            for (int row = 0; row <= grid.rowCount(); ++row) {
                const std::string key = "col_" + std::to_string(column) + ".row_" + std::to_string(row);
                std::string value = lookup(grid, key).value_or(std::string());
                if (value.empty()) {
                    m_changes.push_back(WriteBack{grid.name() + "." + key, grid.cell(column, row)});
                } else {
                    m_changes.push_back(CellChange{&grid, column, row, std::move(value)});
                }
            }
        }
    }

    TStringLoader& m_loader;
    std::string m_section;
    std::vector<Change> m_changes;
};

// Nothing is looked up, changed or written back while the loader is disabled.
template <typename Walk> void translate(std::string_view section, Walk walk) {
    TStringLoader& loader = GetLoader();
    if (loader.disabled()) {
        return;
    }
    Translation translation(loader, section);
    walk(translation);
    translation.apply();
}

} // namespace

void TranslateForm(TranslatableComponent& dialog, std::string_view section) {
    dialog.applyDialogFont();
    translate(section, [&](Translation& translation) { translation.component(dialog); });
}

void TranslateComboItems(TranslatableComponent& list, std::string_view section) {
    translate(section, [&](Translation& translation) { translation.comboItems(list); });
}

} // namespace i18n
