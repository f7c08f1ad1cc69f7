#pragma once
// Colours, fonts, cursors and pictures as the forms name them.

#include <cstdint>
#include <string>

namespace vcl {

// 0x00BBGGRR as in the VCL; values with the top byte 0x80 are system colours.
using TColor = std::uint32_t;
constexpr TColor clBlack = 0x000000;
constexpr TColor clMaroon = 0x000080;
constexpr TColor clGreen = 0x008000;
constexpr TColor clNavy = 0x800000;
constexpr TColor clGray = 0x808080;
constexpr TColor clSilver = 0xC0C0C0;
constexpr TColor clRed = 0x0000FF;
constexpr TColor clLime = 0x00FF00;
constexpr TColor clBlue = 0xFF0000;
constexpr TColor clAqua = 0xFFFF00;
constexpr TColor clWhite = 0xFFFFFF;
constexpr TColor clBtnFace = 0x8000000F;
constexpr TColor clWindowText = 0x80000008;
constexpr TColor clWindow = 0x80000005;
constexpr TColor clBtnText = 0x80000012;
constexpr TColor clGrayText = 0x80000011;

constexpr bool IsSystemColor(TColor c) { return (c & 0xFF000000u) == 0x80000000u; }

enum class TCursor { crDefault, crHandPoint };
enum class TAlignment { taLeftJustify, taRightJustify, taCenter };
enum class TFontCharset { DEFAULT_CHARSET, RUSSIAN_CHARSET };

struct TFont {
    std::string Name = "MS Sans Serif";
    int Height = 11;  // character height in pixels
    TColor Color = clWindowText;
    bool Bold = false;
    bool Italic = false;
    TFontCharset Charset = TFontCharset::DEFAULT_CHARSET;

    bool operator==(const TFont&) const = default;
};

// Where operators send feedback: shown in the feedback picture and in the logo's hint.
inline constexpr const char* kContactAddress = "station@example.org";

// The pictures of the station. A model only names its picture; the backend draws it.
enum class TPicture {
    None,
    LampGreen,        // 12 x 12 green lamp
    LampRed,          // 12 x 12 red lamp
    LampRedBlink,     // 20 x 20 blinking red lamp, 5 frames
    LoopPanel,        // 158 x 91 loop control panel with six lamp marks, Задание and Уставка
    DispatcherAnim,   // 153 x 63, 18 frames: computer, line, controller units, running dot
    LocalAnim,        // 141 x 63, 13 frames: a hand pressing Меньше and Больше
    Logo,             // 65 x 27, 18 frames
    Feedback,         // 193 x 78 invitation to send feedback, with a contact address
    Hardware,         // controller hardware, for the wait and no-answer windows
    PersonAtComputer, // 107 x 98, 3 frames
    NetworkStrip,     // 335 x 37: numbers 1 to 14 over grey lamps
    WindowIcon,
};

}  // namespace vcl
