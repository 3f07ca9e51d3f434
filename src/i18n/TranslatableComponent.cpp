#include "i18n/TranslatableComponent.h"

namespace i18n {

std::string_view propertyName(TextProperty property) {
    switch (property) {
    case TextProperty::Caption:
        return "Caption";
    case TextProperty::Title:
        return "Title";
    case TextProperty::Filter:
        return "Filter";
    case TextProperty::Hint:
        return "Hint";
    case TextProperty::Text:
        return "Text";
    }
    return {};
}

} // namespace i18n
