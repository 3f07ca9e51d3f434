#include "desktop/WindowTranslation.h"

#include "desktop/QtText.h"
#include "i18n/Escapes.h"
#include "i18n/FormDesigns.h"
#include "i18n/TranslateForm.h"

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QAction>
#include <QFontDatabase>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QRadioButton>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTableWidget>

#include <memory>
#include <stdexcept>

namespace desktop {

namespace {

using i18n::ComponentKind;
using i18n::TextProperty;

// The dynamic property holding a dialog text that no widget shows: a file dialog's title and filter.
const char* dialogTextProperty(TextProperty property) {
    return property == TextProperty::Title ? "Title" : property == TextProperty::Filter ? "Filter" : nullptr;
}

// The tab widget showing `page`, when it is one of its pages.
QTabWidget* tabOf(QObject* page) {
    auto* widget = qobject_cast<QWidget*>(page);
    auto* stack = widget ? qobject_cast<QStackedWidget*>(widget->parentWidget()) : nullptr;
    return stack ? qobject_cast<QTabWidget*>(stack->parentWidget()) : nullptr;
}

class WidgetComponent final : public i18n::TranslatableComponent {
public:
    WidgetComponent(QObject& object, const i18n::ComponentDesign& design, bool isWindow)
        : m_object(object), m_design(design), m_isWindow(isWindow) {}

    ComponentKind kind() const override { return m_design.kind; }
    std::string name() const override { return std::string(m_design.name); }

    std::optional<std::string> text(TextProperty property) const override {
        if (const char* dynamic = dialogTextProperty(property)) {
            const QVariant value = m_object.property(dynamic);
            return value.isValid() ? std::optional(fromQt(value.toString())) : std::nullopt;
        }
        if (property == TextProperty::Caption)
            return caption();
        if (property == TextProperty::Hint)
            return hint();
        if (auto* edit = qobject_cast<QLineEdit*>(&m_object))
            return fromQt(edit->text());
        if (auto* combo = qobject_cast<QComboBox*>(&m_object); combo && combo->isEditable())
            return fromQt(combo->currentText());
        return std::nullopt;
    }

    void setText(TextProperty property, const std::string& value) override {
        const QString text = toQt(value);
        if (const char* dynamic = dialogTextProperty(property))
            m_object.setProperty(dynamic, text);
        else if (property == TextProperty::Caption)
            setCaption(text);
        else if (property == TextProperty::Hint)
            setHint(text);
        else if (auto* edit = qobject_cast<QLineEdit*>(&m_object))
            edit->setText(text);
        else if (auto* combo = qobject_cast<QComboBox*>(&m_object))
            combo->setEditText(text);
    }

    std::vector<std::string> items() const override {
        std::vector<std::string> found;
        if (auto* combo = qobject_cast<QComboBox*>(&m_object))
            for (int i = 0; i < combo->count(); ++i)
                found.push_back(fromQt(combo->itemText(i)));
        for (QRadioButton* button : radioItems())
            found.push_back(fromQt(button->text()));
        return found;
    }

    void setItems(const std::vector<std::string>& items) override {
        if (auto* combo = qobject_cast<QComboBox*>(&m_object)) {
            const QSignalBlocker quiet(combo);
            const int current = combo->currentIndex();
            combo->clear();
            for (const std::string& item : items)
                combo->addItem(toQt(item));
            combo->setCurrentIndex(current < combo->count() ? current : -1);
            return;
        }
        const QList<QRadioButton*> buttons = radioItems();
        for (qsizetype i = 0; i < buttons.size() && i < static_cast<qsizetype>(items.size()); ++i)
            buttons[i]->setText(toQt(items[static_cast<std::size_t>(i)]));
    }

    int columnCount() const override { return table() ? table()->columnCount() : 0; }
    int rowCount() const override { return table() ? table()->rowCount() : 0; }
    std::string cell(int column, int row) const override {
        const QTableWidgetItem* item = tableItem(column, row);
        return item ? fromQt(item->text()) : std::string();
    }
    void setCell(int column, int row, const std::string& text) override {
        QTableWidget* grid = table();
        if (!grid)
            return;
        if (row == 0)
            grid->setHorizontalHeaderItem(column - 1, new QTableWidgetItem(toQt(text)));
        else
            grid->setItem(row - 1, column - 1, new QTableWidgetItem(toQt(text)));
    }

    void applyDialogFont() override {
        // Widgets with a font of their own (the fixed-pitch sample, the link) keep what they set.
        if (auto* window = qobject_cast<QWidget*>(&m_object))
            window->setFont(QFontDatabase::systemFont(QFontDatabase::GeneralFont));
    }

private:
    std::optional<std::string> caption() const {
        if (m_isWindow)
            return fromQt(static_cast<QWidget&>(m_object).windowTitle());
        if (QTabWidget* tabs = tabOf(&m_object))
            return fromQt(tabs->tabText(tabs->indexOf(static_cast<QWidget*>(&m_object))));
        if (auto* action = qobject_cast<QAction*>(&m_object))
            return fromQt(action->text());
        if (auto* menu = qobject_cast<QMenu*>(&m_object))
            return fromQt(menu->title());
        if (auto* label = qobject_cast<QLabel*>(&m_object))
            return fromQt(label->text());
        if (auto* button = qobject_cast<QAbstractButton*>(&m_object))
            return fromQt(button->text());
        if (auto* group = qobject_cast<QGroupBox*>(&m_object))
            return fromQt(group->title());
        return std::nullopt;
    }

    void setCaption(const QString& text) {
        if (m_isWindow)
            static_cast<QWidget&>(m_object).setWindowTitle(text);
        else if (QTabWidget* tabs = tabOf(&m_object))
            tabs->setTabText(tabs->indexOf(static_cast<QWidget*>(&m_object)), text);
        else if (auto* action = qobject_cast<QAction*>(&m_object))
            action->setText(text);
        else if (auto* menu = qobject_cast<QMenu*>(&m_object))
            menu->setTitle(text);
        else if (auto* label = qobject_cast<QLabel*>(&m_object))
            label->setText(text);
        else if (auto* button = qobject_cast<QAbstractButton*>(&m_object))
            button->setText(text);
        else if (auto* group = qobject_cast<QGroupBox*>(&m_object))
            group->setTitle(text);
    }

    // A command's hint is the status-bar text; a widget's the tool tip, also shown in the status bar.
    std::optional<std::string> hint() const {
        if (auto* action = qobject_cast<QAction*>(&m_object))
            return fromQt(action->statusTip());
        if (auto* menu = qobject_cast<QMenu*>(&m_object))
            return fromQt(menu->menuAction()->statusTip());
        if (QTabWidget* tabs = tabOf(&m_object))
            return fromQt(tabs->tabToolTip(tabs->indexOf(static_cast<QWidget*>(&m_object))));
        if (auto* widget = qobject_cast<QWidget*>(&m_object))
            return fromQt(widget->toolTip());
        return std::nullopt;
    }

    void setHint(const QString& text) {
        if (auto* menu = qobject_cast<QMenu*>(&m_object)) {
            menu->menuAction()->setStatusTip(text);
        } else if (auto* action = qobject_cast<QAction*>(&m_object)) {
            action->setStatusTip(text);
            action->setToolTip(text);
        } else if (QTabWidget* tabs = tabOf(&m_object)) {
            tabs->setTabToolTip(tabs->indexOf(static_cast<QWidget*>(&m_object)), text);
        } else if (auto* widget = qobject_cast<QWidget*>(&m_object)) {
            widget->setToolTip(text);
            widget->setStatusTip(text);
        }
    }

    QList<QRadioButton*> radioItems() const {
        if (m_design.kind != ComponentKind::RadioGroup)
            return {};
        return m_object.findChildren<QRadioButton*>();
    }

    QTableWidget* table() const { return qobject_cast<QTableWidget*>(&m_object); }
    QTableWidgetItem* tableItem(int column, int row) const {
        QTableWidget* grid = table();
        if (!grid)
            return nullptr;
        return row == 0 ? grid->horizontalHeaderItem(column - 1) : grid->item(row - 1, column - 1);
    }

    QObject& m_object;
    const i18n::ComponentDesign& m_design;
    bool m_isWindow;
};

const i18n::FormDesign& designOf(std::string_view section) {
    for (const i18n::FormDesign& design : i18n::formDesigns())
        if (design.section == section)
            return design;
    throw std::logic_error("no window design for " + std::string(section));
}

// A title or filter that no widget shows is held by the window as a dynamic property, under the
// dialog's own object when no widget carries the name.
void holdDialogTexts(QWidget& window, const i18n::ComponentDesign& component, QObject* object) {
    for (const i18n::DesignText& text : component.texts) {
        if (text.property != "Title" && text.property != "Filter")
            continue;
        if (!object) {
            object = new QObject(&window);
            object->setObjectName(toQt(std::string(component.name)));
        }
        if (!object->property(text.property.data()).isValid())
            object->setProperty(std::string(text.property).c_str(), toQt(std::string(text.english)));
    }
}

// The window's components by its design table: the window first, then each named object.
std::vector<std::unique_ptr<WidgetComponent>> componentsOf(QWidget& window, const i18n::FormDesign& design) {
    std::vector<std::unique_ptr<WidgetComponent>> components;
    bool first = true;
    for (const i18n::ComponentDesign& component : design.components) {
        const QString name = toQt(std::string(component.name));
        QObject* object = first ? &window : window.findChild<QObject*>(name);
        holdDialogTexts(window, component, object);
        if (!object)
            object = window.findChild<QObject*>(name);
        if (object)
            components.push_back(std::make_unique<WidgetComponent>(*object, component, first));
        first = false;
    }
    return components;
}

class WindowComponent final : public i18n::TranslatableComponent {
public:
    WindowComponent(std::vector<std::unique_ptr<WidgetComponent>> components)
        : m_components(std::move(components)) {}

    ComponentKind kind() const override { return m_components.front()->kind(); }
    std::string name() const override { return m_components.front()->name(); }
    std::optional<std::string> text(TextProperty p) const override { return m_components.front()->text(p); }
    void setText(TextProperty p, const std::string& text) override { m_components.front()->setText(p, text); }
    void applyDialogFont() override { m_components.front()->applyDialogFont(); }
    std::vector<TranslatableComponent*> ownedComponents() override {
        std::vector<TranslatableComponent*> owned;
        for (std::size_t i = 1; i < m_components.size(); ++i)
            owned.push_back(m_components[i].get());
        return owned;
    }

private:
    std::vector<std::unique_ptr<WidgetComponent>> m_components;
};

template <class Walk> std::exception_ptr reported(Walk&& walk) {
    try {
        walk();
    } catch (const i18n::EscapeError&) {
        return std::current_exception();
    }
    return nullptr;
}

QString dialogText(const QObject* window, const char* name, const char* property, const QString& fallback) {
    const QObject* holder = window ? window->findChild<QObject*>(QLatin1String(name)) : nullptr;
    const QVariant value = holder ? holder->property(property) : QVariant();
    return value.isValid() ? value.toString() : fallback;
}

} // namespace

std::exception_ptr translateWindow(QWidget& window, std::string_view section) {
    WindowComponent dialog(componentsOf(window, designOf(section)));
    return reported([&] { i18n::TranslateForm(dialog, section); });
}

std::exception_ptr translateComboItems(QComboBox& list, std::string_view section) {
    for (const i18n::ComponentDesign& component : designOf(section).components) {
        if (toQt(std::string(component.name)) == list.objectName()) {
            WidgetComponent adapted(list, component, false);
            return reported([&] { i18n::TranslateComboItems(adapted, section); });
        }
    }
    throw std::logic_error("no design for the list " + fromQt(list.objectName()));
}

void reportLater(QObject& context, std::exception_ptr error,
                 std::function<void(const std::exception&)> show) {
    if (!error)
        return;
    QMetaObject::invokeMethod(
        &context,
        [error, show = std::move(show)] {
            try {
                std::rethrow_exception(error);
            } catch (const std::exception& e) {
                show(e);
            }
        },
        Qt::QueuedConnection);
}

QString fileDialogTitle(const QObject* window, const char* name, const QString& fallback) {
    return dialogText(window, name, "Title", fallback);
}

QString fileDialogFilter(const QObject* window, const char* name, const QString& fallback) {
    const QString filter = dialogText(window, name, "Filter", QString());
    if (filter.isEmpty())
        return fallback;
    // "Name|pattern|Name|pattern": the names, which show their patterns, one per Qt filter.
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList names;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2)
        names.push_back(parts[i].contains(QLatin1Char('('))
                            ? parts[i]
                            : parts[i] + QStringLiteral(" (") + parts[i + 1] + ')');
    return names.join(QStringLiteral(";;"));
}

} // namespace desktop
