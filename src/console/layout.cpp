// The main window's controls: places, texts, fonts and initial states. Controls created later
// lie above earlier ones where they overlap, so the creation order below is part of the layout.

#include <string>
#include <tuple>
#include <type_traits>
#include <utility>

#include "console/read_write.h"

namespace {

using vcl::TFont;


TFont PixelFont(int height, vcl::TColor color = vcl::clWindowText, bool bold = false, bool italic = false) {
    return TFont{.Name = "MS Sans Serif", .Height = height, .Color = color, .Bold = bold, .Italic = italic};
}

vcl::TLabel* MakeLabel(vcl::TForm& form, vcl::TWinControl* parent, const std::string& name, int left, int top,
                       int width, int height, const std::string& caption, const TFont& font) {
    auto* label = form.Make<vcl::TLabel>(parent, name);
    label->SetBounds(left, top, width, height);
    label->SetCaption(caption);
    label->SetFont(font);
    label->SetAlignment(vcl::TAlignment::taCenter);
    return label;
}

vcl::TGroupBox* MakeBox(vcl::TForm& form, const std::string& name, int left, int top, int width, int height,
                        const std::string& caption) {
    auto* box = form.Make<vcl::TGroupBox>(&form, name);
    box->SetBounds(left, top, width, height);
    box->SetCaption(caption);
    return box;
}

template <class Picture>
Picture* MakePicture(vcl::TForm& form, vcl::TWinControl* parent, const std::string& name, int left, int top,
                     int width, int height, vcl::TPicture picture) {
    auto* p = form.Make<Picture>(parent, name);
    p->SetBounds(left, top, width, height);
    p->SetPicture(picture);
    p->SetTransparent(true);
    if constexpr (std::is_same_v<Picture, vcl::TRxGIFAnimator>) p->SetAnimate(true);
    return p;
}

void GiveHint(vcl::TControl* c, const std::string& hint) {
    c->SetHint(hint);
    c->SetShowHint(true);
}

// One loop's column: its mode animations and editors above its box, and the box itself.
struct LoopPlace {
    int left;        // the column
    int mestnLeft;   // the local-mode animation of loop 1 sits 8 pixels further right
    const char* group;
    const char* panel;
    const char* caption;
};

constexpr LoopPlace kLoopPlaces[4] = {
    {8, 16, "GroupBox1", "Image2", "Контур регулирования  №1"},
    {184, 184, "GroupBox2", "Image1", "Контур регулирования  №2"},
    {360, 360, "GroupBox5", "Image13", "Контур регулирования  №3"},
    {536, 536, "GroupBox8", "Image19", "Контур регулирования  №4"},
};

// Setpoint and setting editors differ in width, colour, range and start value.
struct EditorPlace {
    const char* caption;
    int boxWidth;
    int previewWidth;
    const char* previewText;
    vcl::TColor color;
    int spinLeft;
    int minValue, maxValue, startValue;
    int okLeft;
    bool okVisible;  // the setting's OK starts visible inside its hidden box
    const char* valueHint;
    int valueLeft, valueWidth;
};

constexpr EditorPlace kSetpointEditor{"Задание", 137, 69, "14.63", vcl::clRed, 72, 2, 98, 50, 96, false,
                                      "Изменить задание", 16, 58};
constexpr EditorPlace kSettingEditor{"Уставка", 129, 57, "4.61", vcl::clBlue, 64, 1, 20, 10, 88, true,
                                     "Изменить уставку", 96, 57};

void MakeEditor(vcl::TForm& form, console::LoopEditor& editor, const EditorPlace& place, int left,
                const std::string& suffix) {
    editor.box = MakeBox(form, "Zadanie" + suffix, left, 152, place.boxWidth, 49, place.caption);
    editor.box->Hide();
    editor.preview = MakeLabel(form, editor.box, "nastr_koff" + suffix, 4, 17, place.previewWidth, 24,
                               place.previewText, PixelFont(19, place.color, false, true));
    editor.preview->Hide();
    editor.spin = form.Make<vcl::TCSpinEdit>(editor.box, "CS_koff" + suffix);
    editor.spin->SetBounds(place.spinLeft, 19, 20, 22);
    editor.spin->SetRange(place.minValue, place.maxValue);
    editor.spin->SetValue(place.startValue);
    editor.spin->Hide();
    editor.ok = form.Make<vcl::TButton>(editor.box, "OK_koff" + suffix);
    editor.ok->SetBounds(place.okLeft, 16, 33, 25);
    editor.ok->SetCaption("OK");
    editor.ok->SetVisible(place.okVisible);
}

void MakeValueLabel(vcl::TForm& form, console::LoopEditor& editor, const EditorPlace& place,
                    vcl::TWinControl* group, const std::string& suffix) {
    editor.value = MakeLabel(form, group, "koff" + suffix, place.valueLeft, 80, place.valueWidth, 29, "00.00",
                             PixelFont(24, place.color));
    editor.value->SetCursor(vcl::TCursor::crHandPoint);
    GiveHint(editor.value, place.valueHint);
}

}  // namespace

TForm1::TForm1(vcl::TApplication& app) : vcl::TForm(app, "Form1") {
    SetCaption("Тест контроллеров Ремиконт Р-130");
    SetBounds(52, 106, 715, 349);
    SetBorderStyle(vcl::TFormBorderStyle::bsSingle);
    SetBorderIcons({.biSystemMenu = true, .biMinimize = true, .biMaximize = false});
    SetIcon(vcl::TPicture::WindowIcon);

    LayOutTopStrip();
    LayOutInputs();
    LayOutLoops();
    WireCommands();

    StatusBar1 = Make<vcl::TStatusBar>(this, "StatusBar1");
    StatusBar1->SetBounds(0, 329, 715, 20);
    StatusBar1->SetFont(PixelFont(11));
    StatusBar1->SetCaption("                                          Опрос группы А каждые - 30 сек. ,   "
                           "группы Б  каждые - 15 сек.");

    Timer1 = MakeTimer("Timer1", 2000, [this] { Timer1Timer(); });
    Timer2 = MakeTimer("Timer2", 500, [this] { Timer2Timer(); });
    Timer3 = MakeTimer("Timer3", 55000, [this] { Timer3Timer(); });
    Timer4 = MakeTimer("Timer4", 200, [this] { Timer4Timer(); });

    OnCreate = [this] { FormCreate(); };
    OnClose = [this](vcl::TCloseAction& action) { FormClose(action); };
}

void TForm1::LayOutTopStrip() {
    Button1 = Make<vcl::TButton>(this, "Button1");
    Button1->SetBounds(8, 8, 81, 25);
    Button1->SetCaption("Сеть Транзит");
    Button1->OnClick = [this] { Button1Click(); };

    // Each exchange lamp: the red bitmap above the green one at the same place.
    const auto lampPair = [this](vcl::TGroupBox* box, const char* green, const char* red) {
        auto* z = MakePicture<vcl::TImage>(*this, box, green, 24, 16, 12, 12, vcl::TPicture::LampGreen);
        auto* k = MakePicture<vcl::TImage>(*this, box, red, 24, 16, 12, 12, vcl::TPicture::LampRed);
        z->SetCenter(true);
        k->SetCenter(true);
        return std::pair{z, k};
    };
    GroupBox7 = MakeBox(*this, "GroupBox7", 104, 0, 65, 33, "Прием");
    std::tie(PriemZ, PriemK) = lampPair(GroupBox7, "PriemZ", "PriemK");
    GroupBox9 = MakeBox(*this, "GroupBox9", 176, 0, 65, 33, "Передача");
    std::tie(PeredZ, PeredK) = lampPair(GroupBox9, "PeredZ", "PeredK");

    Lab18 = MakeLabel(*this, this, "Lab18", 272, 16, 165, 16, "Контроллер имеет №", PixelFont(13, vcl::clNavy, true, true));
    Lab18->SetAlignment(vcl::TAlignment::taLeftJustify);
    Lab1 = MakeLabel(*this, this, "Lab1", 440, 7, 33, 29, "00", PixelFont(24, vcl::clRed, true));

    GroupBox3 = MakeBox(*this, "GroupBox3", 480, 0, 81, 35, "Шкала");
    Shkala = MakeLabel(*this, GroupBox3, "Shkala", 12, 10, 57, 21, "5,0", PixelFont(19, vcl::clNavy));
    Shkala->SetTransparent(true);
    Shkala->SetCursor(vcl::TCursor::crHandPoint);
    GiveHint(Shkala, "Сменить шкалу");
    Shkala->OnClick = [this] { Shkala3Click(); };

    ListBox1 = Make<vcl::TListBox>(this, "ListBox1");
    ListBox1->SetBounds(568, 8, 73, 25);
    ListBox1->SetFont(PixelFont(16, vcl::clWindowText, true));
    ListBox1->SetColor(vcl::clWindow);
    ListBox1->SetItemHeight(20);
    ListBox1->SetItems({"100.0", "20.0", "5.0"});
    ListBox1->Hide();
    ListBox1->OnClick = [this] { ListBox1Click(); };

    RxGIFAnimator2 = MakePicture<vcl::TRxGIFAnimator>(*this, this, "RxGIFAnimator2", 648, 8, 65, 27,
                                                      vcl::TPicture::Logo);
    RxGIFAnimator2->SetCursor(vcl::TCursor::crHandPoint);
    GiveHint(RxGIFAnimator2, vcl::kContactAddress);
}

void TForm1::LayOutInputs() {
    const std::string inputCaption = "Ввод группы Б   (m =  ";
    GroupBox11 = MakeBox(*this, "GroupBox11", 2, 40, 465, 49, "Ввод группы А   (m =  ");
    for (int k = 1; k <= 8; ++k)
        InputALabels[k - 1] = MakeLabel(*this, GroupBox11, "TIT" + std::to_string(k), 11 + 56 * (k - 1), 17, 54,
                                        24, "0.0", PixelFont(19));
    GroupBox14 = MakeBox(*this, "GroupBox14", 2, 92, 465, 49, inputCaption);
    for (int k = 1; k <= 8; ++k)
        InputBLabels[k - 1] = MakeLabel(*this, GroupBox14, "TC" + std::to_string(k), 11 + 56 * (k - 1), 17, 54,
                                        24, "0.0", PixelFont(19));

    // The second box of group B: inputs 9 to 12 in the upper row, 13 to 16 in the lower.
    GroupBox4 = MakeBox(*this, "GroupBox4", 472, 40, 241, 102, inputCaption);
    GroupBox4->Hide();
    for (int k = 9; k <= 16; ++k)
        InputBLabels[k - 1] = MakeLabel(*this, GroupBox4, "TC" + std::to_string(k), 11 + 56 * ((k - 9) % 4),
                                        k <= 12 ? 17 : 70, 54, 24, "0.0", PixelFont(19));

    // Created after GroupBox4, so it lies above it.
    GroupBox6 = MakeBox(*this, "GroupBox6", 472, 38, 209, 104, " Отзывы и пожелания ");
    GroupBox6->SetCursor(vcl::TCursor::crHandPoint);
    GiveHint(GroupBox6, "Убрать");
    GroupBox6->OnClick = [this] { GroupBox6Click(); };
    Image3 = MakePicture<vcl::TImage>(*this, GroupBox6, "Image3", 8, 16, 193, 78, vcl::TPicture::Feedback);
    Image3->SetCursor(vcl::TCursor::crHandPoint);
    GiveHint(Image3, "Убрать");
    Image3->OnClick = [this] { Image3Click(); };
}

void TForm1::LayOutLoops() {
    // Above each loop box: the two mode animations, then the setpoint editor, then the setting
    // editor, each later one covering the earlier ones.
    for (int i = 0; i < 4; ++i) {
        console::LoopControls& loop = Loops[i];
        const LoopPlace& place = kLoopPlaces[i];
        const std::string k = std::to_string(i + 1);
        loop.loop = i + 1;
        loop.Dispetch = MakePicture<vcl::TRxGIFAnimator>(*this, this, "Kontur" + k + "_Dispetch", place.left, 144,
                                                         153, 63, vcl::TPicture::DispatcherAnim);
        loop.Dispetch->Hide();
        loop.Mestn = MakePicture<vcl::TRxGIFAnimator>(*this, this, "Kontur" + k + "_Mestn", place.mestnLeft, 144,
                                                      141, 63, vcl::TPicture::LocalAnim);
        loop.Mestn->Hide();
        MakeEditor(*this, loop.setpoint, kSetpointEditor, place.left, k);
        MakeEditor(*this, loop.setting, kSettingEditor, place.left, k + "1");
    }

    // The loop boxes: the panel picture, the four lamps over its marks, the two value labels
    // in its fields.
    for (int i = 0; i < 4; ++i) {
        console::LoopControls& loop = Loops[i];
        const LoopPlace& place = kLoopPlaces[i];
        const std::string k = std::to_string(i + 1);
        loop.group = MakeBox(*this, place.group, place.left, 208, 169, 121, place.caption);
        loop.panel = MakePicture<vcl::TImage>(*this, loop.group, place.panel, 5, 24, 158, 91,
                                              vcl::TPicture::LoopPanel);
        loop.LU = MakePicture<vcl::TImage>(*this, loop.group, "Kontur" + k + "_LU", 8, 40, 12, 12,
                                           vcl::TPicture::LampGreen);
        loop.LU->Hide();
        loop.DU = MakePicture<vcl::TRxGIFAnimator>(*this, loop.group, "Kontur" + k + "_DU", 27, 35, 20, 20,
                                                   vcl::TPicture::LampRedBlink);
        loop.DU->Hide();
        loop.BS = MakePicture<vcl::TImage>(*this, loop.group, "Kontur" + k + "_BS", 97, 40, 12, 12,
                                           vcl::TPicture::LampGreen);
        loop.BS->Hide();
        loop.PS = MakePicture<vcl::TRxGIFAnimator>(*this, loop.group, "Kontur" + k + "_PS", 141, 35, 20, 20,
                                                   vcl::TPicture::LampRedBlink);
        loop.PS->SetCursor(vcl::TCursor::crHandPoint);
        GiveHint(loop.PS, "Включить ВЗ");
        loop.PS->Hide();
        MakeValueLabel(*this, loop.setpoint, kSetpointEditor, loop.group, k);
        MakeValueLabel(*this, loop.setting, kSettingEditor, loop.group, k + "1");
    }
}

void TForm1::WireCommands() {
    using Handler = void (TForm1::*)();
    struct LoopHandlers {
        Handler openSetpoint, openSetting, writeSetpoint, writeSetting, switchLoop;
    };
    static constexpr LoopHandlers kHandlers[4] = {
        {&TForm1::koff1Click, &TForm1::koff11Click, &TForm1::OK_koffClick, &TForm1::OK_koff11Click,
         &TForm1::Kontur1_PSClick},
        {&TForm1::koff2Click, &TForm1::koff21Click, &TForm1::OK_koff2Click, &TForm1::OK_koff21Click,
         &TForm1::Kontur2_PSClick},
        {&TForm1::koff3Click, &TForm1::koff31Click, &TForm1::OK_koff3Click, &TForm1::OK_koff31Click,
         &TForm1::Kontur3_PSClick},
        {&TForm1::koff4Click, &TForm1::koff41Click, &TForm1::OK_koff4Click, &TForm1::OK_koff41Click,
         &TForm1::Kontur4_PSClick},
    };
    for (int i = 0; i < 4; ++i) {
        console::LoopControls& loop = Loops[i];
        const LoopHandlers& h = kHandlers[i];
        const auto wire = [this](std::function<void()>& event, Handler handler) {
            event = [this, handler] { (this->*handler)(); };
        };
        wire(loop.setpoint.value->OnClick, h.openSetpoint);
        wire(loop.setting.value->OnClick, h.openSetting);
        wire(loop.setpoint.ok->OnClick, h.writeSetpoint);
        wire(loop.setting.ok->OnClick, h.writeSetting);
        wire(loop.PS->OnClick, h.switchLoop);
    }
}
