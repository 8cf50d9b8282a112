#include "platform/runtime.h"

namespace tavrin {

std::string Runtime::GetText(Control control, Property property) {
    auto value = GetControlProperty(control, property);
    if (auto* text = std::get_if<std::string>(&value)) return *text;
    return {};
}

bool Runtime::GetBool(Control control, Property property) {
    auto value = GetControlProperty(control, property);
    if (auto* flag = std::get_if<bool>(&value)) return *flag;
    return false;
}

std::int32_t Runtime::GetInt(Control control, Property property) {
    auto value = GetControlProperty(control, property);
    if (auto* number = std::get_if<std::int32_t>(&value)) return *number;
    return 0;
}

}  // namespace tavrin
