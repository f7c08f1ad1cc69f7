#include "console/scale.h"

#include <charconv>

namespace console {

std::optional<float> ScaleFromCaption(const std::string& caption) {
    const std::size_t b = caption.find_first_not_of(' ');
    if (b == std::string::npos) return std::nullopt;
    const std::size_t e = caption.find_last_not_of(' ');
    std::string text = caption.substr(b, e - b + 1);
    bool point = false;
    bool digit = false;
    for (char& c : text) {
        if (c == ',' || c == '.') {
            if (point) return std::nullopt;
            point = true;
            c = '.';
        } else if (c >= '0' && c <= '9') {
            digit = true;
        } else if (!(c == '-' && &c == &text.front())) {
            return std::nullopt;
        }
    }
    if (!digit) return std::nullopt;
    // from_chars is independent of the C locale, which the GUI toolkit may have set.
    float value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

}  // namespace console
