#pragma once
// An in-memory component tree for the translation walk: each fake holds the texts, items, cells
// and owned components it is given, and counts the font changes.

#include "i18n/TranslatableComponent.h"

#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace i18ntest {

class FakeComponent : public i18n::TranslatableComponent {
public:
    FakeComponent(i18n::ComponentKind kind, std::string name) : m_kind(kind), m_name(std::move(name)) {}

    i18n::ComponentKind kind() const override { return m_kind; }
    std::string name() const override { return m_name; }

    std::optional<std::string> text(i18n::TextProperty property) const override {
        const auto found = m_texts.find(property);
        return found == m_texts.end() ? std::nullopt : std::optional<std::string>(found->second);
    }
    void setText(i18n::TextProperty property, const std::string& text) override { m_texts[property] = text; }

    std::vector<std::string> items() const override { return m_items; }
    void setItems(const std::vector<std::string>& items) override { m_items = items; }

    std::vector<i18n::TranslatableComponent*> ownedComponents() override {
        std::vector<i18n::TranslatableComponent*> owned;
        for (const std::unique_ptr<FakeComponent>& child : m_owned) {
            owned.push_back(child.get());
        }
        return owned;
    }

    int columnCount() const override { return static_cast<int>(m_cells.size()); }
    int rowCount() const override { return m_cells.empty() ? 0 : static_cast<int>(m_cells[0].size()) - 1; }
    std::string cell(int column, int row) const override { return m_cells.at(column - 1).at(row); }
    void setCell(int column, int row, const std::string& text) override {
        m_cells.at(column - 1).at(row) = text;
    }

    void applyDialogFont() override { ++m_fontChanges; }

    // Builders and inspection for the tests.
    FakeComponent& with(i18n::TextProperty property, std::string text) {
        m_texts[property] = std::move(text);
        return *this;
    }
    FakeComponent& withItems(std::vector<std::string> items) {
        m_items = std::move(items);
        return *this;
    }
    // One vector per column: its heading, then its data cells.
    FakeComponent& withCells(std::vector<std::vector<std::string>> columns) {
        m_cells = std::move(columns);
        return *this;
    }
    FakeComponent& own(i18n::ComponentKind kind, std::string name) {
        m_owned.push_back(std::make_unique<FakeComponent>(kind, std::move(name)));
        return *m_owned.back();
    }
    std::string get(i18n::TextProperty property) const { return text(property).value_or("<none>"); }
    FakeComponent& child(const std::string& name) {
        for (const std::unique_ptr<FakeComponent>& owned : m_owned) {
            if (owned->m_name == name) {
                return *owned;
            }
        }
        throw std::out_of_range("no component " + name);
    }
    int fontChanges() const { return m_fontChanges; }

private:
    i18n::ComponentKind m_kind;
    std::string m_name;
    std::map<i18n::TextProperty, std::string> m_texts;
    std::vector<std::string> m_items;
    std::vector<std::vector<std::string>> m_cells;
    std::vector<std::unique_ptr<FakeComponent>> m_owned;
    int m_fontChanges = 0;
};

} // namespace i18ntest
