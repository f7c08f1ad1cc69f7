#pragma once
// Number formatting and conversion of the VCL, with its global decimal separator.

#include <cstdint>
#include <stdexcept>
#include <string>

namespace vcl {

// The system's decimal separator; the backend sets it from the locale at start.
extern char DecimalSeparator;

class EConvertError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

enum class TFloatFormat { ffFixed };

// Fixed-point text with exactly `digits` decimals, the value rounded once to whichever is
// coarser of `precision` significant digits and `digits` decimals (half away from zero),
// with DecimalSeparator and a leading minus for negative values.
std::string FloatToStrF(double value, TFloatFormat format, int precision, int digits);

std::string IntToStr(std::int64_t value);

// Upper-case hexadecimal with at least `digits` digits.
std::string IntToHex(std::int64_t value, int digits);

// Text to number with DecimalSeparator; blanks around the number are allowed.
// Throws EConvertError ("'x' is not a valid floating point value") otherwise.
double StrToFloat(const std::string& text);

}  // namespace vcl
