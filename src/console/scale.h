#pragma once
// The full scale of the display, as the caption of the scale label writes it ("100", "20,0",
// "5,0"). The captions are fixed texts with a comma, so they are read with either mark as the
// decimal point instead of the system's separator, which would refuse them outside comma
// locales.

#include <optional>
#include <string>

namespace console {

// The number a scale caption states; nullopt if the text is not a plain decimal number.
std::optional<float> ScaleFromCaption(const std::string& caption);

}  // namespace console
