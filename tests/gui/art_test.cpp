// The pictures drawn in code: frames and sizes, the lamp marks under the forms' lamps, the
// calm and light places text is laid over, and a PNG of every frame for anyone to look at.

#include <QDir>
#include <QFont>
#include <QIcon>
#include <QImage>
#include <QPainter>
#include <QSet>
#include <algorithm>
#include <cmath>
#include <functional>
#include <gtest/gtest.h>
#include <numbers>
#include <ostream>
#include <string>
#include <vector>

#include "platform/qt/art/art.h"

namespace {

using vcl::TPicture;

struct PictureCase {
    TPicture picture;
    const char* name;
    QSize size;
    int frames;
};

void PrintTo(const PictureCase& c, std::ostream* os) { *os << c.name; }

// Each picture at the size of the control that shows it.
const PictureCase kPictures[] = {
    {TPicture::LampGreen, "lamp-green", {12, 12}, 1},
    {TPicture::LampRed, "lamp-red", {12, 12}, 1},
    {TPicture::LampRedBlink, "lamp-red-blink", {20, 20}, 5},
    {TPicture::LoopPanel, "loop-panel", {158, 91}, 1},
    {TPicture::DispatcherAnim, "dispatcher", {153, 63}, 18},
    {TPicture::LocalAnim, "local", {141, 63}, 13},
    {TPicture::Logo, "logo", {65, 27}, 18},
    {TPicture::Feedback, "feedback", {193, 78}, 1},
    {TPicture::Hardware, "hardware-wait", {235, 144}, 1},
    {TPicture::Hardware, "hardware-no-answer", {300, 205}, 1},
    {TPicture::PersonAtComputer, "person-at-computer", {107, 98}, 3},
    {TPicture::NetworkStrip, "network-strip", {335, 37}, 1},
    {TPicture::WindowIcon, "window-icon-32", {32, 32}, 1},
    {TPicture::WindowIcon, "window-icon-16", {16, 16}, 1},
};

QString ArtDir() {
    const QString dir = QStringLiteral(SCREENSHOT_DIR "/art");
    QDir().mkpath(dir);
    return dir;
}

int Luma(QRgb c) { return (299 * qRed(c) + 587 * qGreen(c) + 114 * qBlue(c)) / 1000; }
int Spread(QRgb c) {
    return std::max({qRed(c), qGreen(c), qBlue(c)}) - std::min({qRed(c), qGreen(c), qBlue(c)});
}

// Where the opaque part of a lamp picture lies.
QRect OpaqueBounds(const QImage& img, int minAlpha = 128) {
    QRect r;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (qAlpha(img.pixel(x, y)) >= minAlpha) r |= QRect(x, y, 1, 1);
    return r;
}

int Distance(QRgb a, QRgb b) {
    return std::abs(qRed(a) - qRed(b)) + std::abs(qGreen(a) - qGreen(b)) + std::abs(qBlue(a) - qBlue(b)) +
           std::abs(qAlpha(a) - qAlpha(b));
}

// The round mark near `lamp`: the centre and the diameter of the patch of pixels, within two
// pixels around the lamp, that stand out from the background. Lens, bezel and recess all count,
// light or dark, so the patch is as round as the mark whatever its shading.
struct Mark {
    double centreX = 0, centreY = 0, diameter = 0;
};
Mark FindMark(const QImage& img, const QRect& lamp, const std::function<bool(int x, int y)>& background) {
    const QRect window = lamp.adjusted(-2, -2, 2, 2) & img.rect();
    double n = 0, sx = 0, sy = 0;
    for (int y = window.top(); y <= window.bottom(); ++y)
        for (int x = window.left(); x <= window.right(); ++x)
            if (!background(x, y)) ++n, sx += x, sy += y;
    if (n == 0) return {};
    return {sx / n, sy / n, 2.0 * std::sqrt(n / std::numbers::pi)};
}

// The lamp of the blinking picture, as the form lays it over a mark.
QRect BlinkLampRect() {
    const art::Frames blink = art::Draw(TPicture::LampRedBlink, QSize(20, 20));
    // The darkest frame has no halo: its opaque part is the lamp itself.
    return OpaqueBounds(blink.images.at(blink.images.size() / 2));
}

// A lamp of `lampSize` whose top left lies at `lampAt` (picture coordinates) covers a mark of
// the picture: an unlit grey mark, centred under it and about as wide.
void ExpectMarkUnder(const QImage& img, QPoint lampAt, QSize lampSize,
                     const std::function<bool(int x, int y)>& background, const std::string& what) {
    SCOPED_TRACE(what);
    const QRect lamp(lampAt, lampSize);
    ASSERT_TRUE(img.rect().contains(lamp));
    const QRgb middle = img.pixel(lamp.center());
    EXPECT_FALSE(background(lamp.center().x(), lamp.center().y())) << "no mark under the lamp's middle";
    EXPECT_LT(Spread(middle), 16) << "the mark is unlit grey";
    const Mark m = FindMark(img, lamp, background);
    EXPECT_NEAR(m.centreX, lamp.left() + (lamp.width() - 1) / 2.0, 0.6);
    EXPECT_NEAR(m.centreY, lamp.top() + (lamp.height() - 1) / 2.0, 0.6);
    EXPECT_GE(m.diameter, lampSize.width()) << "the lamp's rim shows around the lamp";
    EXPECT_LE(m.diameter, lampSize.width() + 5);
}

class ArtPicture : public ::testing::TestWithParam<PictureCase> {};

TEST_P(ArtPicture, FramesAtTheControlSize) {
    const PictureCase& c = GetParam();
    const art::Frames f = art::Draw(c.picture, c.size);
    ASSERT_EQ(static_cast<int>(f.images.size()), c.frames);
    QSet<QByteArray> distinct;
    for (std::size_t i = 0; i < f.images.size(); ++i) {
        const QImage& img = f.images[i];
        EXPECT_EQ(img.size(), c.size) << "frame " << i;
        EXPECT_TRUE(img.hasAlphaChannel());
        EXPECT_FALSE(OpaqueBounds(img).isEmpty()) << "frame " << i << " is blank";
        distinct.insert(QByteArray(reinterpret_cast<const char*>(img.constBits()), img.sizeInBytes()));
        EXPECT_TRUE(img.save(QStringLiteral("%1/%2-%3.png").arg(ArtDir(), c.name).arg(i)));
    }
    if (c.frames > 1) {
        EXPECT_GT(f.frameMs, 0);
        EXPECT_GT(distinct.size(), 1) << "an animation whose frames are all alike";
    } else {
        EXPECT_EQ(f.frameMs, 0);
    }
}

INSTANTIATE_TEST_SUITE_P(Art, ArtPicture, ::testing::ValuesIn(kPictures),
                         [](const auto& info) {
                             std::string n = info.param.name;
                             std::replace(n.begin(), n.end(), '-', '_');
                             return n;
                         });

TEST(Art, DrawsAtAnySizeAskedAndNothingForNoPicture) {
    const QSize odd(50, 30);
    for (const PictureCase& c : kPictures) {
        const art::Frames f = art::Draw(c.picture, odd);
        ASSERT_EQ(static_cast<int>(f.images.size()), c.frames) << c.name;
        for (const QImage& img : f.images) EXPECT_EQ(img.size(), odd) << c.name;
    }
    EXPECT_TRUE(art::Draw(TPicture::None, QSize(12, 12)).images.empty());
    EXPECT_TRUE(art::Draw(TPicture::LoopPanel, QSize(0, 91)).images.empty());
}

TEST(Art, LampsAreRoundWithTransparentCorners) {
    const QImage green = art::Draw(TPicture::LampGreen, QSize(12, 12)).images.at(0);
    const QImage red = art::Draw(TPicture::LampRed, QSize(12, 12)).images.at(0);
    for (const QImage* lamp : {&green, &red}) {
        for (QPoint corner : {QPoint(0, 0), QPoint(11, 0), QPoint(0, 11), QPoint(11, 11)})
            EXPECT_EQ(qAlpha(lamp->pixel(corner)), 0);
        EXPECT_EQ(OpaqueBounds(*lamp), QRect(0, 0, 12, 12));
    }
    const QRgb g = green.pixel(6, 6), r = red.pixel(6, 6);
    EXPECT_GT(qGreen(g), qRed(g) + 60);
    EXPECT_GT(qRed(r), qGreen(r) + 60);
}

TEST(Art, BlinkingLampFadesAndComesBackAtTheMarkDiameter) {
    const art::Frames blink = art::Draw(TPicture::LampRedBlink, QSize(20, 20));
    const QRect lamp = BlinkLampRect();
    EXPECT_EQ(lamp.size(), QSize(12, 12)) << "as wide as the marks and the plain lamps";
    std::vector<int> red;
    for (const QImage& img : blink.images) {
        // Red of the lamp's middle, which is opaque in every frame.
        red.push_back(qRed(img.pixel(lamp.center())));
        EXPECT_TRUE(OpaqueBounds(img).contains(lamp)) << "the lamp covers its mark in every frame";
    }
    const auto darkest = std::min_element(red.begin(), red.end());
    EXPECT_EQ(std::max_element(red.begin(), red.end()), red.begin()) << "starts bright";
    EXPECT_GT(red.front() - *darkest, 80) << "goes dark";
    EXPECT_GT(red.back(), *darkest + 40) << "and comes back before the loop restarts";
}

TEST(Art, LoopPanelMarksLieUnderTheLoopLamps) {
    const QImage panel = art::Draw(TPicture::LoopPanel, QSize(158, 91)).images.at(0);
    const QPoint box(5, 24);  // where the panel lies in its group box
    const QPoint blinkLamp = BlinkLampRect().topLeft();
    // The panel's plain face, row by row, taken between the two groups of lamps.
    auto background = [&](int x, int y) { return Distance(panel.pixel(x, y), panel.pixel(72, y)) < 16; };
    ExpectMarkUnder(panel, QPoint(8, 40) - box, QSize(12, 12), background, "LU lamp");
    ExpectMarkUnder(panel, QPoint(27, 35) + blinkLamp - box, QSize(12, 12), background, "DU lamp");
    ExpectMarkUnder(panel, QPoint(97, 40) - box, QSize(12, 12), background, "BS lamp");
    ExpectMarkUnder(panel, QPoint(141, 35) + blinkLamp - box, QSize(12, 12), background, "PS lamp");
    for (int x = 0; x < panel.width(); ++x)
        for (int y = 0; y < panel.height(); ++y) ASSERT_EQ(qAlpha(panel.pixel(x, y)), 255) << x << "," << y;
}

TEST(Art, LoopPanelValueFieldsArePlainAndLight) {
    const QImage panel = art::Draw(TPicture::LoopPanel, QSize(158, 91)).images.at(0);
    const QPoint box(5, 24);
    // The setpoint and setting labels: red and blue digits on whatever lies under them.
    for (QRect label : {QRect(16, 80, 58, 29), QRect(96, 80, 57, 29)}) {
        const QRect field = label.translated(-box);
        int lo = 255, hi = 0;
        for (int y = field.top(); y <= field.bottom(); ++y)
            for (int x = field.left(); x <= field.right(); ++x) {
                lo = std::min(lo, Luma(panel.pixel(x, y)));
                hi = std::max(hi, Luma(panel.pixel(x, y)));
            }
        EXPECT_GE(lo, 230) << "light under the label at " << label.x();
        EXPECT_LE(hi - lo, 8) << "plain under the label at " << label.x();
    }
}

TEST(Art, NetworkStripLampsLieUnderTheNodeLamps) {
    const QImage strip = art::Draw(TPicture::NetworkStrip, QSize(335, 37)).images.at(0);
    auto background = [&](int x, int y) { return qAlpha(strip.pixel(x, y)) < 40; };
    const QPoint at(8, 8);  // where the strip lies in the window
    for (int k = 1; k <= 14; ++k) {
        const QPoint lamp = QPoint(14 + 24 * (k - 1), 27) - at;
        ExpectMarkUnder(strip, lamp, QSize(12, 12), background, "node " + std::to_string(k));
        // Its number stands above it: dark ink between the top and the lamp.
        bool ink = false;
        for (int y = 0; y < lamp.y() - 2; ++y)
            for (int x = lamp.x() - 4; x < lamp.x() + 16; ++x) {
                const QRgb c = strip.pixel(x, y);
                ink = ink || (qAlpha(c) > 200 && Luma(c) < 90);
            }
        EXPECT_TRUE(ink) << "number of node " << k;
    }
    EXPECT_EQ(qAlpha(strip.pixel(0, 0)), 0);
    EXPECT_EQ(qAlpha(strip.pixel(334, 36)), 0);
    EXPECT_EQ(qAlpha(strip.pixel(167, 34)), 0);
}

TEST(Art, HardwareLeavesTheWaitCaptionCalm) {
    // "Ждите ..." lies at (64, 8), 90 x 24 in the wait window, whose picture starts at x = -8.
    const QImage hw = art::Draw(TPicture::Hardware, QSize(235, 144)).images.at(0);
    const QRect caption = QRect(64, 8, 90, 24).translated(8, 0);
    double sum = 0, sq = 0;
    int lo = 255;
    for (int y = caption.top(); y <= caption.bottom(); ++y)
        for (int x = caption.left(); x <= caption.right(); ++x) {
            const int l = Luma(hw.pixel(x, y));
            sum += l;
            sq += l * l;
            lo = std::min(lo, l);
        }
    const double n = caption.width() * caption.height();
    const double sd = std::sqrt(sq / n - (sum / n) * (sum / n));
    EXPECT_GE(lo, 170) << "navy text reads on it";
    EXPECT_LE(sd, 8.0) << "nothing busy behind the caption";
}

TEST(Art, WindowIconHasBothSizes) {
    const QIcon icon = art::WindowIcon();
    const QList<QSize> sizes = icon.availableSizes();
    EXPECT_TRUE(sizes.contains(QSize(16, 16)));
    EXPECT_TRUE(sizes.contains(QSize(32, 32)));
    for (int s : {16, 32}) EXPECT_FALSE(OpaqueBounds(icon.pixmap(s, s).toImage()).isEmpty()) << s;
}

// The loop group and the node strip as the forms lay them out, lamps lit, values shown: a look
// at how marks, lamps and digits come together.
QImage LoopGroupPreview() {
    QImage img(169 * 2 + 8, 121, QImage::Format_ARGB32_Premultiplied);
    img.fill(QColor(212, 208, 200));
    QPainter p(&img);
    const QImage panel = art::Draw(TPicture::LoopPanel, QSize(158, 91)).images.at(0);
    const QImage green = art::Draw(TPicture::LampGreen, QSize(12, 12)).images.at(0);
    const art::Frames blink = art::Draw(TPicture::LampRedBlink, QSize(20, 20));
    QFont digits(QStringLiteral("Liberation Sans"));
    digits.setPixelSize(24);
    p.setFont(digits);
    for (int box = 0; box < 2; ++box) {
        p.save();
        p.translate(box * (169 + 8), 0);
        p.setPen(QColor(128, 128, 128));
        p.drawRect(0, 6, 167, 113);
        p.setPen(Qt::white);
        p.drawRect(1, 7, 167, 113);
        p.drawImage(5, 24, panel);
        if (box == 0) {  // a loop in one state
            p.drawImage(8, 40, green);
            p.drawImage(97, 40, green);
        } else {  // and in another, blinking lamps at two phases
            p.drawImage(27, 35, blink.images.at(0));
            p.drawImage(141, 35, blink.images.at(2));
        }
        p.setPen(Qt::red);
        p.drawText(QRect(16, 80, 58, 29), Qt::AlignHCenter | Qt::AlignTop, QStringLiteral("14.63"));
        p.setPen(Qt::blue);
        p.drawText(QRect(96, 80, 57, 29), Qt::AlignHCenter | Qt::AlignTop, QStringLiteral("4.61"));
        p.restore();
    }
    return img;
}

QImage NetworkPreview() {
    QImage img(356, 45, QImage::Format_ARGB32_Premultiplied);
    img.fill(QColor(212, 208, 200));
    QPainter p(&img);
    p.drawImage(8, 8, art::Draw(TPicture::NetworkStrip, QSize(335, 37)).images.at(0));
    const QImage red = art::Draw(TPicture::LampRed, QSize(12, 12)).images.at(0);
    const QImage green = art::Draw(TPicture::LampGreen, QSize(12, 12)).images.at(0);
    for (int k : {3, 7}) p.drawImage(14 + 24 * (k - 1), 27, red);
    p.drawImage(14 + 24 * (5 - 1), 27, green);
    return img;
}

// The hardware under the wait window's caption, and above the no-answer window's status lines.
QImage StatusWindowsPreview() {
    QImage img(227 + 8 + 300, 249, QImage::Format_ARGB32_Premultiplied);
    img.fill(QColor(212, 208, 200));
    QPainter p(&img);
    p.setClipRect(0, 0, 227, 145);
    p.drawImage(-8, 0, art::Draw(TPicture::Hardware, QSize(235, 144)).images.at(0));
    QFont caption(QStringLiteral("Liberation Sans"));
    caption.setPixelSize(19);
    caption.setBold(true);
    p.setFont(caption);
    p.setPen(QColor(0, 0, 128));
    p.drawText(QRect(64, 8, 90, 24), Qt::AlignLeft | Qt::AlignTop, QStringLiteral("Ждите ..."));
    p.setClipping(false);
    p.translate(227 + 8, 0);
    p.drawImage(0, 0, art::Draw(TPicture::Hardware, QSize(300, 205)).images.at(0));
    p.fillRect(QRect(0, 199, 300, 50), QColor(212, 208, 200));
    for (int y : {199, 224}) {
        p.setPen(QColor(128, 128, 128));
        p.drawRect(QRect(1, y + 2, 297, 21));
    }
    return img;
}

// Every frame of every picture on one sheet, on the forms' grey, small pictures enlarged.
TEST(Art, ContactSheet) {
    constexpr int kMaxWidth = 1400, kGap = 8, kLabel = 16;
    struct Row {
        const PictureCase* c;
        art::Frames frames;
        int zoom;
    };
    std::vector<Row> rows;
    int height = kGap;
    for (const PictureCase& c : kPictures) {
        Row r{&c, art::Draw(c.picture, c.size), c.size.width() <= 70 ? 3 : 2};
        const int w = c.size.width() * r.zoom + kGap;
        const int perLine = std::max(1, (kMaxWidth - kGap) / w);
        const int lines = (static_cast<int>(r.frames.images.size()) + perLine - 1) / perLine;
        height += kLabel + lines * (c.size.height() * r.zoom + kGap);
        rows.push_back(std::move(r));
    }
    QImage sheet(kMaxWidth, height, QImage::Format_ARGB32_Premultiplied);
    sheet.fill(QColor(212, 208, 200));
    QPainter p(&sheet);
    QFont font(QStringLiteral("Liberation Sans"));
    font.setPixelSize(12);
    p.setFont(font);
    int y = kGap;
    for (const Row& r : rows) {
        const QSize s = r.c->size * r.zoom;
        p.drawText(kGap, y + 12, QStringLiteral("%1  %2 x %3, %4 frame(s), %5 ms")
                                     .arg(r.c->name)
                                     .arg(r.c->size.width())
                                     .arg(r.c->size.height())
                                     .arg(r.frames.images.size())
                                     .arg(r.frames.frameMs));
        y += kLabel;
        int x = kGap;
        for (const QImage& img : r.frames.images) {
            if (x + s.width() > kMaxWidth) {
                x = kGap;
                y += s.height() + kGap;
            }
            p.drawImage(QRect(QPoint(x, y), s), img.scaled(s, Qt::IgnoreAspectRatio, Qt::FastTransformation));
            x += s.width() + kGap;
        }
        y += s.height() + kGap;
    }
    p.end();
    EXPECT_TRUE(sheet.save(ArtDir() + QStringLiteral("/contact-sheet.png")));
    EXPECT_TRUE(LoopGroupPreview().save(ArtDir() + QStringLiteral("/loop-group-preview.png")));
    EXPECT_TRUE(NetworkPreview().save(ArtDir() + QStringLiteral("/network-preview.png")));
    EXPECT_TRUE(StatusWindowsPreview().save(ArtDir() + QStringLiteral("/status-windows-preview.png")));
}

}  // namespace
