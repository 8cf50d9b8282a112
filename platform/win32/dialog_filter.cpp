#include "platform/win32/dialog_filter.h"

#include <vector>

#include "platform/wide_text.h"

namespace tavrin::win32 {

std::wstring ConvertDialogFilter(std::string_view filter) {
    std::vector<std::string_view> parts;
    while (!filter.empty()) {
        const std::size_t bar = filter.find('|');
        parts.push_back(filter.substr(0, bar));
        if (bar == std::string_view::npos) break;
        filter.remove_prefix(bar + 1);
    }
    std::wstring result;
    for (std::size_t i = 0; i + 1 < parts.size(); i += 2) {
        auto label = WideFromUtf8(parts[i]);
        auto pattern = WideFromUtf8(parts[i + 1]);
        if (!label || !pattern || pattern->empty()) continue;
        result += *label;
        result += L'\0';
        result += *pattern;
        result += L'\0';
    }
    if (!result.empty()) result += L'\0';
    return result;
}

}  // namespace tavrin::win32
