#include "platform/vcl/format.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <algorithm>
#include <cstdlib>
#include <string>

namespace vcl {

char DecimalSeparator = '.';

namespace {

// The decimal digits of |value| to 15 significant digits (what a double holds reliably),
// so that 2.675 is taken as the decimal 2.675 and not as 2.67499999999999982236431605997495353221893310546875.
struct Decimal {
    std::string digits;  // no leading zeros, at most 15
    int exponent = 0;    // value = 0.d1d2d3... x 10^exponent
};

Decimal ToDecimal(double magnitude) {
    Decimal d;
    if (magnitude == 0) return d;
    // to_chars ignores the C locale, which the GUI toolkit may have set from the environment.
    char buf[64];
    auto res = std::to_chars(buf, buf + sizeof buf - 1, magnitude, std::chars_format::scientific, 14);
    *res.ptr = '\0';  // d.dddddddddddddde+XX
    std::string mantissa;
    const char* p = buf;
    for (; *p && *p != 'e'; ++p)
        if (*p >= '0' && *p <= '9') mantissa += *p;
    d.exponent = std::atoi(p + 1) + 1;
    while (!mantissa.empty() && mantissa.back() == '0') mantissa.pop_back();
    d.digits = mantissa;
    return d;
}

// Keeps `keep` leading digits, rounding half away from zero; may carry into a new digit.
void RoundTo(Decimal& d, int keep) {
    if (keep < 0) {
        d.digits.clear();
        return;
    }
    if (static_cast<int>(d.digits.size()) <= keep) return;
    const bool up = d.digits[keep] >= '5';
    d.digits.resize(keep);
    if (up) {
        int i = keep - 1;
        for (; i >= 0 && d.digits[i] == '9'; --i) d.digits[i] = '0';
        if (i >= 0) {
            ++d.digits[i];
        } else {
            d.digits.insert(d.digits.begin(), '1');
            ++d.exponent;
        }
    }
    while (!d.digits.empty() && d.digits.back() == '0') d.digits.pop_back();
    if (d.digits.empty()) d.exponent = 0;
}

}  // namespace

std::string FloatToStrF(double value, TFloatFormat, int precision, int digits) {
    if (std::isnan(value)) return "NAN";
    if (std::isinf(value)) return value > 0 ? "INF" : "-INF";
    const bool negative = std::signbit(value) && value != 0;
    Decimal d = ToDecimal(std::fabs(value));
    if (!d.digits.empty()) {
        // Position of the last digit kept: `precision` significant digits or `digits` decimals,
        // whichever keeps fewer.
        const int bySignificance = precision;
        const int byDecimals = d.exponent + digits;
        RoundTo(d, std::min(bySignificance, byDecimals));
    }
    std::string intPart, fracPart;
    if (d.digits.empty()) {
        intPart = "0";
    } else if (d.exponent <= 0) {
        intPart = "0";
        fracPart = std::string(-d.exponent, '0') + d.digits;
    } else if (static_cast<int>(d.digits.size()) <= d.exponent) {
        intPart = d.digits + std::string(d.exponent - d.digits.size(), '0');
    } else {
        intPart = d.digits.substr(0, d.exponent);
        fracPart = d.digits.substr(d.exponent);
    }
    fracPart.resize(digits, '0');
    std::string text = (negative && !d.digits.empty()) ? "-" : "";
    text += intPart;
    if (digits > 0) {
        text += DecimalSeparator;
        text += fracPart;
    }
    return text;
}

std::string IntToStr(std::int64_t value) { return std::to_string(value); }

std::string IntToHex(std::int64_t value, int digits) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%0*llX", digits < 0 ? 0 : digits,
                  static_cast<unsigned long long>(value));
    return buf;
}

double StrToFloat(const std::string& text) {
    const auto fail = [&]() -> double {
        throw EConvertError("'" + text + "' is not a valid floating point value");
    };
    std::size_t b = text.find_first_not_of(' ');
    std::size_t e = text.find_last_not_of(' ');
    if (b == std::string::npos) return fail();
    std::string s = text.substr(b, e - b + 1);
    // Only the system separator marks the decimals; a '.' elsewhere is an error, as in the VCL.
    std::string c;
    for (char ch : s) {
        if (ch == DecimalSeparator) c += '.';
        else if (ch == '.' || ch == ',') return fail();
        else c += ch;
    }
    for (char ch : c)
        if (!((ch >= '0' && ch <= '9') || ch == '.' || ch == '-' || ch == '+' || ch == 'e' || ch == 'E'))
            return fail();
    if (!c.empty() && c.front() == '+') c.erase(c.begin());
    double v = 0;
    const auto [end, ec] = std::from_chars(c.data(), c.data() + c.size(), v);
    if (ec != std::errc() || end != c.data() + c.size()) return fail();
    return v;
}

}  // namespace vcl
