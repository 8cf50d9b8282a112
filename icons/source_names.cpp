#include "icons/source_names.h"

namespace tavrin {

std::string LastThreeLowered(std::string_view path) {
    std::string last(path.size() > 3 ? path.substr(path.size() - 3) : path);
    for (char& c : last) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return last;
}

bool HasBitmapEnding(std::string_view path) {
    return path.size() >= 4 && path[path.size() - 4] == '.' && LastThreeLowered(path) == "bmp";
}

}  // namespace tavrin
