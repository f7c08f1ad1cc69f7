// The main window on the Qt backend: every control in its place with its text and initial
// visibility, fonts and colours, hints, overlapping controls, the fixed frame, clicks reaching
// their handlers, and screenshots of the window at start and in operation.

#include <QFont>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>

#include <set>
#include <string>
#include <vector>

#include "station_windows.h"

namespace gui_test {
namespace {

struct Place {
    std::string name;
    std::string parent;  // empty: the window itself
    QRect rect;
    std::string text;  // caption, title or status text; empty for pictures and spin edits
    bool visible;       // at creation, within its parent
};

const char* const kInputA = "Ввод группы А   (m =  ";
const char* const kInputB = "Ввод группы Б   (m =  ";

std::vector<Place> MainWindowPlaces() {
    std::vector<Place> rows = {
        {"Button1", "", {8, 8, 81, 25}, "Сеть Транзит", true},
        {"GroupBox7", "", {104, 0, 65, 33}, "Прием", true},
        {"PriemZ", "GroupBox7", {24, 16, 12, 12}, "", true},
        {"PriemK", "GroupBox7", {24, 16, 12, 12}, "", true},
        {"GroupBox9", "", {176, 0, 65, 33}, "Передача", true},
        {"PeredZ", "GroupBox9", {24, 16, 12, 12}, "", true},
        {"PeredK", "GroupBox9", {24, 16, 12, 12}, "", true},
        {"Lab18", "", {272, 16, 165, 16}, "Контроллер имеет №", true},
        {"Lab1", "", {440, 7, 33, 29}, "00", true},
        {"GroupBox3", "", {480, 0, 81, 35}, "Шкала", true},
        {"Shkala", "GroupBox3", {12, 10, 57, 21}, "5,0", true},
        {"ListBox1", "", {568, 8, 73, 25}, "", false},
        {"RxGIFAnimator2", "", {648, 8, 65, 27}, "", true},
        {"GroupBox11", "", {2, 40, 465, 49}, kInputA, true},
        {"GroupBox14", "", {2, 92, 465, 49}, kInputB, true},
        {"GroupBox4", "", {472, 40, 241, 102}, kInputB, false},
        {"GroupBox6", "", {472, 38, 209, 104}, " Отзывы и пожелания ", true},
        {"Image3", "GroupBox6", {8, 16, 193, 78}, "", true},
        {"StatusBar1", "", {0, 329, 715, 20},
         "                                          Опрос группы А каждые - 30 сек. ,   группы Б  каждые - 15 сек.",
         true},
    };
    for (int k = 1; k <= 8; ++k) {
        const std::string n = std::to_string(k);
        rows.push_back({"TIT" + n, "GroupBox11", {11 + 56 * (k - 1), 17, 54, 24}, "0.0", true});
        rows.push_back({"TC" + n, "GroupBox14", {11 + 56 * (k - 1), 17, 54, 24}, "0.0", true});
        const int left[] = {11, 67, 123, 179};
        rows.push_back({"TC" + std::to_string(k + 8), "GroupBox4", {left[(k - 1) % 4], k <= 4 ? 17 : 70, 54, 24},
                        "0.0", true});
    }
    const int column[] = {8, 184, 360, 536};
    const char* group[] = {"GroupBox1", "GroupBox2", "GroupBox5", "GroupBox8"};
    const char* panel[] = {"Image2", "Image1", "Image13", "Image19"};
    for (int k = 1; k <= 4; ++k) {
        const std::string n = std::to_string(k);
        const int x = column[k - 1];
        const std::vector<Place> loop = {
            {"Kontur" + n + "_Dispetch", "", {x, 144, 153, 63}, "", false},
            {"Kontur" + n + "_Mestn", "", {k == 1 ? 16 : x, 144, 141, 63}, "", false},
            {"Zadanie" + n, "", {x, 152, 137, 49}, "Задание", false},
            {"nastr_koff" + n, "Zadanie" + n, {4, 17, 69, 24}, "14.63", false},
            {"CS_koff" + n, "Zadanie" + n, {72, 19, 20, 22}, "", false},
            {"OK_koff" + n, "Zadanie" + n, {96, 16, 33, 25}, "OK", false},
            {"Zadanie" + n + "1", "", {x, 152, 129, 49}, "Уставка", false},
            {"nastr_koff" + n + "1", "Zadanie" + n + "1", {4, 17, 57, 24}, "4.61", false},
            {"CS_koff" + n + "1", "Zadanie" + n + "1", {64, 19, 20, 22}, "", false},
            {"OK_koff" + n + "1", "Zadanie" + n + "1", {88, 16, 33, 25}, "OK", true},
            {group[k - 1], "", {x, 208, 169, 121}, "Контур регулирования  №" + n, true},
            {panel[k - 1], group[k - 1], {5, 24, 158, 91}, "", true},
            {"Kontur" + n + "_LU", group[k - 1], {8, 40, 12, 12}, "", false},
            {"Kontur" + n + "_DU", group[k - 1], {27, 35, 20, 20}, "", false},
            {"Kontur" + n + "_BS", group[k - 1], {97, 40, 12, 12}, "", false},
            {"Kontur" + n + "_PS", group[k - 1], {141, 35, 20, 20}, "", false},
            {"koff" + n, group[k - 1], {16, 80, 58, 29}, "00.00", true},
            {"koff" + n + "1", group[k - 1], {96, 80, 57, 29}, "00.00", true},
        };
        rows.insert(rows.end(), loop.begin(), loop.end());
    }
    return rows;
}

QString TextOf(QWidget* w) {
    if (auto* g = qobject_cast<QGroupBox*>(w)) return g->title();
    if (auto* b = qobject_cast<QPushButton*>(w)) return b->text();
    if (auto* l = qobject_cast<QLabel*>(w)) return l->text();
    return {};
}

// Checks the widgets of a window against a table of places.
void ExpectPlaces(const vcl::TForm& form, const std::vector<Place>& rows) {
    QWidget* window = WidgetOf(form);
    for (const Place& row : rows) {
        SCOPED_TRACE(row.name);
        QWidget* w = WidgetNamed(form, row.name);
        ASSERT_NE(w, nullptr);
        QWidget* parent = row.parent.empty() ? window : WidgetNamed(form, row.parent);
        EXPECT_EQ(w->parentWidget(), parent);
        EXPECT_EQ(w->geometry(), row.rect);
        EXPECT_EQ(TextOf(w), Q(row.text));
        EXPECT_EQ(!w->isHidden(), row.visible);
    }
}

TEST_F(MainAndNetworkWindows, EveryControlOfTheMainWindowIsInItsPlace) {
    const std::vector<Place> rows = MainWindowPlaces();
    ExpectPlaces(*main, rows);
    // And the window holds no control the table does not name.
    std::set<std::string> named;
    for (const Place& row : rows) named.insert(row.name);
    for (const auto& c : main->Components())
        if (dynamic_cast<vcl::TControl*>(c.get())) EXPECT_TRUE(named.count(c->Name())) << c->Name();
}

TEST_F(MainAndNetworkWindows, TheMainWindowIsFixedInSizeWithoutMaximise) {
    QWidget* w = WidgetOf(*main);
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Тест контроллеров Ремиконт Р-130"));
    EXPECT_EQ(w->minimumSize(), QSize(715, 349));
    EXPECT_EQ(w->maximumSize(), QSize(715, 349));
    EXPECT_EQ(w->pos(), QPoint(52, 106));
    const Qt::WindowFlags flags = w->windowFlags();
    EXPECT_TRUE(flags & Qt::WindowMinimizeButtonHint);
    EXPECT_TRUE(flags & Qt::WindowCloseButtonHint);
    EXPECT_FALSE(flags & Qt::WindowMaximizeButtonHint);
    EXPECT_FALSE(w->windowIcon().isNull());
    EXPECT_TRUE(w->isHidden());  // shown by the wait window once start-up is over
}

struct Look {
    std::string name;
    int pixels;
    bool bold, italic;
    QColor color;
    Qt::Alignment align;  // horizontal, for labels; 0 for others
};

TEST_F(MainAndNetworkWindows, FontsColoursAndAlignment) {
    const QColor navy(0, 0, 128), red(255, 0, 0), blue(0, 0, 255), text(0, 0, 0);
    const Look looks[] = {
        {"Lab18", 13, true, true, navy, Qt::AlignLeft},
        {"Lab1", 24, true, false, red, Qt::AlignHCenter},
        {"Shkala", 19, false, false, navy, Qt::AlignHCenter},
        {"ListBox1", 16, true, false, text, {}},
        {"TIT1", 19, false, false, text, Qt::AlignHCenter},
        {"TC8", 19, false, false, text, Qt::AlignHCenter},
        {"TC16", 19, false, false, text, Qt::AlignHCenter},
        {"nastr_koff2", 19, false, true, red, Qt::AlignHCenter},
        {"nastr_koff21", 19, false, true, blue, Qt::AlignHCenter},
        {"koff3", 24, false, false, red, Qt::AlignHCenter},
        {"koff31", 24, false, false, blue, Qt::AlignHCenter},
        {"StatusBar1", 11, false, false, text, {}},
        {"Button1", 11, false, false, text, {}},
        {"GroupBox11", 11, false, false, text, {}},
    };
    for (const Look& look : looks) {
        SCOPED_TRACE(look.name);
        QWidget* w = WidgetNamed(*main, look.name);
        ASSERT_NE(w, nullptr);
        EXPECT_EQ(w->font().pixelSize(), look.pixels);
        EXPECT_EQ(w->font().bold(), look.bold);
        EXPECT_EQ(w->font().italic(), look.italic);
        EXPECT_EQ(w->palette().color(QPalette::WindowText), look.color);
        if (look.align) EXPECT_EQ(qobject_cast<QLabel*>(w)->alignment() & Qt::AlignHorizontal_Mask, look.align);
    }
    // The scale label lets the group box show through.
    EXPECT_FALSE(WidgetNamed(*main, "Shkala")->autoFillBackground());
}

TEST_F(MainAndNetworkWindows, HintsAndHandCursorsOnlyWhereTheyBelong) {
    std::map<std::string, std::string> hints = {
        {"Shkala", "Сменить шкалу"},
        {"GroupBox6", "Убрать"},
        {"Image3", "Убрать"},
    };
    for (int k = 1; k <= 4; ++k) {
        const std::string n = std::to_string(k);
        hints["koff" + n] = "Изменить задание";
        hints["koff" + n + "1"] = "Изменить уставку";
        hints["Kontur" + n + "_PS"] = "Включить ВЗ";
    }
    for (const auto& c : main->Components()) {
        if (!dynamic_cast<vcl::TControl*>(c.get())) continue;
        SCOPED_TRACE(c->Name());
        QWidget* w = WidgetOf(*c);
        const bool hand = w->testAttribute(Qt::WA_SetCursor) && w->cursor().shape() == Qt::PointingHandCursor;
        if (c->Name() == "RxGIFAnimator2") {
            EXPECT_TRUE(w->toolTip().contains(QLatin1Char('@')));  // a contact address
            EXPECT_TRUE(hand);
        } else if (auto it = hints.find(c->Name()); it != hints.end()) {
            EXPECT_EQ(w->toolTip(), Q(it->second));
            EXPECT_TRUE(hand);
        } else {
            EXPECT_TRUE(w->toolTip().isEmpty());
            EXPECT_FALSE(hand);
        }
    }
}

TEST_F(MainAndNetworkWindows, SpinEditsStartWithTheirRanges) {
    for (int k = 1; k <= 4; ++k) {
        const std::string n = std::to_string(k);
        auto* setpoint = qobject_cast<QSpinBox*>(WidgetNamed(*main, "CS_koff" + n));
        auto* setting = qobject_cast<QSpinBox*>(WidgetNamed(*main, "CS_koff" + n + "1"));
        ASSERT_TRUE(setpoint && setting);
        EXPECT_EQ(setpoint->minimum(), 2);
        EXPECT_EQ(setpoint->maximum(), 98);
        EXPECT_EQ(setpoint->value(), 50);
        EXPECT_EQ(setting->minimum(), 1);
        EXPECT_EQ(setting->maximum(), 20);
        EXPECT_EQ(setting->value(), 10);
    }
    auto* list = qobject_cast<QListWidget*>(WidgetNamed(*main, "ListBox1"));
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(list->count(), 3);
    EXPECT_EQ(list->item(0)->text(), QStringLiteral("100.0"));
    EXPECT_EQ(list->item(1)->text(), QStringLiteral("20.0"));
    EXPECT_EQ(list->item(2)->text(), QStringLiteral("5.0"));
}

// The control the operator would hit at a point of the window.
QWidget* HitAt(const vcl::TForm& form, QPoint p) { return WidgetOf(form)->childAt(p); }

bool Within(QWidget* hit, const vcl::TControl& c) {
    QWidget* w = WidgetOf(c);
    return hit && (hit == w || w->isAncestorOf(hit));
}

TEST_F(MainAndNetworkWindows, OverlappingControlsLieInTheirOrder) {
    ShowNow(app, *main);
    // The red exchange lamps over the green ones.
    EXPECT_EQ(HitAt(*main, {104 + 30, 22}), WidgetOf(*main->PriemK));
    EXPECT_EQ(HitAt(*main, {176 + 30, 22}), WidgetOf(*main->PeredK));

    // The feedback box over the second group B box.
    main->GroupBox4->Show();
    EXPECT_TRUE(Within(HitAt(*main, {600, 60}), *main->GroupBox6));
    EXPECT_TRUE(Within(HitAt(*main, {476, 45}), *main->GroupBox6));
    main->GroupBox6->Hide();
    EXPECT_TRUE(Within(HitAt(*main, {600, 60}), *main->GroupBox4));

    // Over each loop box: the setting editor over the setpoint editor over the mode animations.
    for (console::LoopControls& loop : main->Loops) {
        SCOPED_TRACE(loop.loop);
        const int x = loop.group->Left();
        loop.Dispetch->Show();
        loop.Mestn->Show();
        EXPECT_TRUE(Within(HitAt(*main, {x + 30, 160}), *loop.Mestn));
        loop.setpoint.box->Show();
        EXPECT_TRUE(Within(HitAt(*main, {x + 30, 160}), *loop.setpoint.box));
        EXPECT_TRUE(Within(HitAt(*main, {x + 133, 190}), *loop.setpoint.box));  // beyond the setting box
        loop.setting.box->Show();
        EXPECT_TRUE(Within(HitAt(*main, {x + 30, 160}), *loop.setting.box));
    }

    // The lamps over the panel picture, the value labels over its fields.
    console::LoopControls& loop = main->Loops[2];
    loop.PS->Show();
    EXPECT_EQ(HitAt(*main, {loop.group->Left() + 150, 208 + 45}), WidgetOf(*loop.PS));
    EXPECT_EQ(HitAt(*main, {loop.group->Left() + 40, 208 + 95}), WidgetOf(*loop.setpoint.value));
}

void Click(QWidget* w, QPoint at = {}) {
    ASSERT_NE(w, nullptr);
    QTest::mouseClick(w, Qt::LeftButton, {}, at.isNull() ? w->rect().center() : at);
}

TEST_F(MainAndNetworkWindows, ClicksReachTheirHandlers) {
    ShowNow(app, *main);
    ProcessImage.Scale = 5.0f;

    Click(WidgetOf(*main->Shkala));
    auto* list = qobject_cast<QListWidget*>(WidgetOf(*main->ListBox1));
    ASSERT_TRUE(list->isVisible());
    list->scrollToItem(list->item(1));
    Click(list->viewport(), list->visualItemRect(list->item(1)).center());
    EXPECT_FALSE(list->isVisible());
    EXPECT_EQ(qobject_cast<QLabel*>(WidgetOf(*main->Shkala))->text(), QStringLiteral("20,0"));
    EXPECT_EQ(ProcessImage.Scale, 20.0f);

    ProcessImage.FeedbackPanel = 1;
    Click(WidgetOf(*main->Image3));
    EXPECT_EQ(ProcessImage.FeedbackPanel, 0);
    ProcessImage.FeedbackPanel = 1;
    Click(WidgetOf(*main->GroupBox6), {100, 8});  // on the box's title, beside the picture
    EXPECT_EQ(ProcessImage.FeedbackPanel, 0);

    Click(WidgetOf(*main->Button1));
    EXPECT_TRUE(WidgetOf(*Form4)->isVisible());
}

// A greyed value label of a loop out of use takes no click; once the loop is in use it does.
TEST_F(MainAndNetworkWindows, AGreyedLoopLabelTakesNoClick) {
    ShowNow(app, *main);
    int clicks = 0;
    main->koff21->OnClick = [&] { ++clicks; };
    ProcessImage.GroupBKind = 0;
    ProcessImage.LoopState[2] = 10;
    main->Timer1Timer();
    QWidget* label = WidgetOf(*main->koff21);
    EXPECT_FALSE(label->isEnabled());
    Click(label);
    EXPECT_EQ(clicks, 0);
    ProcessImage.LoopState[2] = 1;
    main->Timer1Timer();
    EXPECT_TRUE(label->isEnabled());
    Click(label);
    EXPECT_EQ(clicks, 1);
}

TEST_F(MainAndNetworkWindows, ScreenshotAtStart) {
    ShowNow(app, *main);
    SaveScreenshot(*main, QStringLiteral("main_window_start.png"));
}

// A controller with eight inputs in group A, twelve discrete ones in group B and its four
// loops in four different modes.
void FillLiveState() {
    TProcessImage& pi = ProcessImage;
    pi.ControllerNo = 7;
    pi.CountA = 8;
    pi.CountB = 12;
    pi.Scale = 100.0f;
    const int a[] = {4096, 1234, 8191, 0, 2048, 6000, 300, 7777};
    for (int k = 1; k <= 8; ++k) pi.InputA[k] = a[k - 1];
    pi.GroupBKind = 0;
    const int b[] = {1, 0, 1, 0, 1, 1, 0, 1};
    for (int k = 1; k <= 8; ++k) pi.InputB[k] = b[k - 1];
    for (int k = 9; k <= 12; ++k) pi.InputBUpper[k] = k % 2;
    const int states[] = {1, 2, 31, 32};
    for (int k = 1; k <= 4; ++k) {
        pi.LoopState[k] = states[k - 1];
        pi.LoopSetpoint[k] = 1024 * k - 100;
        pi.LoopUstavka[k] = 200 * k;
    }
    pi.RxLamp = 1;
    pi.TxLamp = 0;
}

TEST_F(MainAndNetworkWindows, ScreenshotInOperation) {
    FillLiveState();
    main->Lab1->SetCaption("07");
    main->Timer1Timer();
    main->Timer4Timer();
    ShowNow(app, *main);
    EXPECT_EQ(TextOf(WidgetOf(*main->TIT1)), QStringLiteral("50.00"));
    EXPECT_TRUE(WidgetOf(*main->GroupBox4)->isVisible());
    EXPECT_FALSE(WidgetOf(*main->GroupBox6)->isVisible());
    EXPECT_TRUE(WidgetOf(*main->Kontur3_Dispetch)->isVisible());
    SaveScreenshot(*main, QStringLiteral("main_window_operation.png"));
}

// What the operator opens: both editors of loop 1 (the setting over the setpoint), the
// setpoint editor of loop 3 and the scale list.
TEST_F(MainAndNetworkWindows, ScreenshotWithEditorsOpen) {
    FillLiveState();
    main->Timer1Timer();
    for (console::LoopEditor* editor : {&main->Loops[0].setpoint, &main->Loops[0].setting, &main->Loops[2].setpoint}) {
        editor->preview->Show();
        editor->spin->Show();
        editor->ok->Show();
        editor->box->Show();
    }
    main->Timer4Timer();
    main->Shkala3Click();
    ShowNow(app, *main);
    SaveScreenshot(*main, QStringLiteral("main_window_editors.png"));
}

}  // namespace
}  // namespace gui_test
