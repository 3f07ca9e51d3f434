#pragma once
// Every window's translatable components with their kinds and English design texts, in design
// order: the one list of what each window shows. The windows are built to it, their tests check
// them against it, and the language files' tests check that a translation covers it.

#include "i18n/TranslatableComponent.h"

#include <string>
#include <string_view>
#include <vector>

namespace i18n {

struct DesignText {
    // "Caption", "Title", "Filter", "Hint", "Text", "items" (each item followed by CR LF) or a
    // grid cell such as "col_1.row_0".
    std::string_view property;
    std::string_view english;
};

struct ComponentDesign {
    std::string_view name;
    ComponentKind kind;
    std::vector<DesignText> texts;

    // The language-file key of one of its texts: "<name>.<property>".
    std::string key(const DesignText& text) const {
        return std::string(name) + "." + std::string(text.property);
    }
};

struct FormDesign {
    std::string_view section; // the dialog's class name, its section in a language file
    // The dialog itself first, under its own name.
    std::vector<ComponentDesign> components;
};

// TForm1, TTstatusForm, TchooseFolder, TTLangForm, TupdateForm, TfTipOfTheDay.
const std::vector<FormDesign>& formDesigns();

} // namespace i18n
