#include "ui/toolbar/MSIEToolbar.h"
#include "ui/toolbar/ToolbarPictures.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace zarn {
namespace {

const QColor Olive(128, 128, 0);
const QColor NormalBlue(20, 40, 120);
const QColor SelectedBlue(90, 140, 230);

QImage Filled(int w, int h, QColor color) {
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(color);
    return image;
}

// Six 16 x 16 cells on olive, each with a red square in its middle.
QImage Strip() {
    QImage strip = Filled(96, 16, Olive);
    QPainter painter(&strip);
    for (int i = 0; i < 6; ++i)
        painter.fillRect(i * 16 + 5, 5, 6, 6, Qt::red);
    return strip;
}

int CountOf(const QImage& image, QRect area, QRgb colour) {
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            count += image.pixel(x, y) == colour;
    return count;
}

// Counts paints and gathers the repainted region.
struct PaintWatch : QObject {
    int paints = 0;
    QRegion region;
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            ++paints;
            region += static_cast<QPaintEvent*>(event)->region();
        }
        return false;
    }
};

class MSIEToolbarTest : public ::testing::Test {
protected:
    void SetUp() override {
        bar = std::make_unique<TMSIEToolbar>();
        bar->setObjectName("Toolbar");
        bar->setImgNormalBackground(Filled(8, 8, NormalBlue));
        bar->setImgSelectedBackground(Filled(8, 8, SelectedBlue));
        bar->setImgNormalIcons(Strip());
        bar->setImgSelectedIcons(Strip());
        bar->setImageCount(6);
        bar->setCaptions({"A", "B", "C", "", "E"});
        bar->setDisabledItems(8); // button 3
        bar->resize(400, 30);
    }

    // A move without buttons straight to the control, as the capture delivers it.
    void Move(QPoint pos) {
        QMouseEvent event(QEvent::MouseMove, pos, bar->mapToGlobal(pos), Qt::NoButton, Qt::NoButton,
                          Qt::NoModifier);
        QApplication::sendEvent(bar.get(), &event);
    }
    QPoint Over(int index) const { return bar->ButtonRect(index).center(); }
    // The texture at a button's top-left corner, clear of its icon and caption.
    QColor BackgroundOf(int index) const {
        return bar->grab().toImage().pixelColor(bar->ButtonRect(index).topLeft() + QPoint(1, 1));
    }

    std::unique_ptr<TMSIEToolbar> bar;
};

TEST_F(MSIEToolbarTest, GeometryFollowsImagesAndCaptions) {
    const int frame = (bar->ButtonWidth() - 16) / 2;
    EXPECT_GE(frame, 2);
    const QString wide = "A caption much wider than the cells";
    const int wideWidth = bar->fontMetrics().horizontalAdvance(wide);
    struct Case {
        int imageCount;
        QStringList captions;
        int buttons;
        int width;
    } cases[] = {
        {6, {"A", "B", "C", "", "E"}, 6, 16 + 2 * frame},
        {2, {"A", wide, "C"}, 3, wideWidth + 2 * frame},
        {-5, {}, 0, 2 * frame},
        {0, {"", ""}, 2, 2 * frame},
        {6, {}, 6, 16 + 2 * frame}, // a strip for dense screens: cells in logical pixels
    };
    for (const Case& c : cases) {
        bar->setImageCount(c.imageCount);
        bar->setCaptions(c.captions);
        if (c.captions.isEmpty() && c.imageCount == 6) {
            QImage dense = Strip().scaled(192, 32);
            dense.setDevicePixelRatio(2);
            bar->setImgNormalIcons(dense);
        }
        EXPECT_EQ(bar->ButtonCount(), c.buttons) << c.imageCount;
        EXPECT_EQ(bar->ButtonWidth(), c.width) << c.imageCount;
        for (int i = 0; i < c.buttons; ++i)
            EXPECT_EQ(bar->ButtonRect(i), QRect(i * c.width, 0, c.width, 30));
        // Empty buttons still have a width, so the mouse handling never divides by zero.
        Move({7, 5});
        QTest::mouseClick(bar.get(), Qt::LeftButton, {}, {3, 5});
    }
}

TEST_F(MSIEToolbarTest, HotButtonFollowsTheMouse) {
    struct Step {
        QPoint pos;
        int hot;
        bool lit;
    };
    const int below = bar->height();
    const std::vector<Step> steps = {
        {Over(0), 0, true},
        {Over(1), 1, true},
        {Over(3), 3, false}, // disabled: hot, but never highlighted
        {{Over(1).x(), below}, -1, false},
        {Over(2), 2, true},
        {{-1, 5}, -1, false},
    };
    for (const Step& step : steps) {
        Move(step.pos);
        EXPECT_EQ(bar->HotIndex(), step.hot) << step.pos.x() << "," << step.pos.y();
        for (int i = 0; i < 6; ++i) {
            const bool lit = i == step.hot && step.lit;
            EXPECT_EQ(BackgroundOf(i), lit ? SelectedBlue : NormalBlue) << i;
        }
    }
}

TEST_F(MSIEToolbarTest, ClickNeedsPressAndReleaseOverOneEnabledButton) {
    enum Kind { Press, Drag, Release, Hover };
    struct Action {
        Kind kind;
        int button;
    };
    struct Case {
        const char* name;
        std::vector<Action> actions;
        QList<int> clicks;
    } cases[] = {
        {"plain click", {{Hover, 0}, {Press, 0}, {Release, 0}}, {0}},
        {"dragged off", {{Hover, 1}, {Press, 1}, {Drag, 2}, {Release, 2}}, {}},
        {"dragged back", {{Hover, 1}, {Press, 1}, {Drag, 2}, {Drag, 1}, {Release, 1}}, {1}},
        {"disabled", {{Hover, 3}, {Press, 3}, {Release, 3}}, {}},
        {"onto disabled", {{Hover, 2}, {Press, 2}, {Drag, 3}, {Release, 3}}, {}},
        {"twice without a move", {{Hover, 4}, {Press, 4}, {Release, 4}, {Press, 4}, {Release, 4}}, {4, 4}},
        {"no move before the press", {{Press, 5}, {Release, 5}}, {5}},
    };
    for (const Case& c : cases) {
        SetUp();
        QSignalSpy spy(bar.get(), &TMSIEToolbar::OnClick);
        for (const Action& a : c.actions) {
            const QPoint at = Over(a.button);
            switch (a.kind) {
            case Press:
                QTest::mousePress(bar.get(), Qt::LeftButton, {}, at);
                EXPECT_TRUE(bar->IsPressed()) << c.name;
                break;
            case Drag:
                QTest::mouseMove(bar.get(), at);
                EXPECT_EQ(bar->IsInside(), bar->HotIndex() == a.button && !bar->IsDisabled(a.button))
                    << c.name;
                break;
            case Release:
                QTest::mouseRelease(bar.get(), Qt::LeftButton, {}, at);
                EXPECT_FALSE(bar->IsPressed()) << c.name;
                EXPECT_EQ(bar->HotIndex(), -1) << c.name;
                break;
            case Hover:
                Move(at);
                break;
            }
        }
        QList<int> clicks;
        for (const QList<QVariant>& args : spy)
            clicks << args.at(0).toInt();
        EXPECT_EQ(clicks, c.clicks) << c.name;
    }
    // Other buttons are the parent's business.
    QSignalSpy spy(bar.get(), &TMSIEToolbar::OnClick);
    QTest::mouseClick(bar.get(), Qt::RightButton, {}, Over(0));
    EXPECT_FALSE(bar->IsPressed());
    EXPECT_EQ(spy.count(), 0);
}

// Records the mouse events that reach the toolbar's parent.
struct Parent : QWidget {
    Parent() { setMouseTracking(true); }
    QList<QEvent::Type> seen;
    void mousePressEvent(QMouseEvent*) override { seen << QEvent::MouseButtonPress; }
    void mouseReleaseEvent(QMouseEvent*) override { seen << QEvent::MouseButtonRelease; }
    void mouseMoveEvent(QMouseEvent*) override { seen << QEvent::MouseMove; }
    void mouseDoubleClickEvent(QMouseEvent*) override { seen << QEvent::MouseButtonDblClick; }
};

TEST_F(MSIEToolbarTest, ParentGetsWhatTheButtonsDoNotUse) {
    Parent parent;
    bar->setParent(&parent);
    const int buttonsEnd = bar->ButtonWidth() * 6;
    struct Case {
        QEvent::Type type;
        Qt::MouseButton button;
        int x;
        bool parentSees;
    } cases[] = {
        {QEvent::MouseMove, Qt::NoButton, 50, false},
        {QEvent::MouseMove, Qt::NoButton, 97, true}, // right of the 96 pixels of the hot strip
        {QEvent::MouseButtonPress, Qt::RightButton, 10, true},
        {QEvent::MouseButtonRelease, Qt::RightButton, 10, true},
        {QEvent::MouseButtonPress, Qt::LeftButton, buttonsEnd + 5, true},
        {QEvent::MouseButtonRelease, Qt::LeftButton, buttonsEnd + 5, true},
        {QEvent::MouseButtonDblClick, Qt::LeftButton, 10, true},
        {QEvent::MouseButtonPress, Qt::LeftButton, 10, false},
        {QEvent::MouseButtonDblClick, Qt::LeftButton, 10, false}, // while pressed
        {QEvent::MouseButtonRelease, Qt::LeftButton, 10, false},
    };
    for (const Case& c : cases) {
        parent.seen.clear();
        const QPoint pos(c.x, 5);
        const Qt::MouseButtons held =
            c.type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(c.button);
        QMouseEvent event(c.type, pos, bar->mapToGlobal(pos), c.button, held, Qt::NoModifier);
        QApplication::sendEvent(bar.get(), &event);
        EXPECT_EQ(parent.seen.contains(c.type), c.parentSees) << c.type << " at " << c.x;
    }
    bar->setParent(nullptr);
}

TEST_F(MSIEToolbarTest, DisabledItemsRepaintOnlyWhatChanged) {
    bar->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(bar.get()));
    PaintWatch watch;
    bar->installEventFilter(&watch);
    QApplication::processEvents();
    struct Case {
        std::uint32_t items;
        QRegion expected;
    } cases[] = {
        {8, {}},
        {8 | 2, bar->ButtonRect(1)},
        {2 | 32, QRegion(bar->ButtonRect(3)) + bar->ButtonRect(5)},
        {2 | 32, {}},
    };
    for (const Case& c : cases) {
        watch.paints = 0;
        watch.region = {};
        bar->setDisabledItems(c.items);
        QApplication::processEvents();
        EXPECT_EQ(bar->DisabledItems(), c.items);
        EXPECT_EQ(watch.paints > 0, !c.expected.isEmpty()) << c.items;
        EXPECT_TRUE((watch.region - c.expected).isEmpty()) << c.items;
    }
    bar->removeEventFilter(&watch);
}

TEST(MSIEToolbarImage, DisabledLookAndTransparentBlit) {
    const QRgb olive = Olive.rgb(), black = qRgb(0, 0, 0), red = qRgb(255, 0, 0);
    const QRgb grey = qRgb(128, 128, 128), white = qRgb(255, 255, 255), none = qRgba(0, 0, 0, 0);
    // 5 x 3 strip: black at (1,0), (4,1) and (2,2); red at (2,1), (0,2) and (3,2).
    const QRgb strip[3][5] = {
        {olive, black, olive, olive, olive},
        {olive, olive, red, olive, black},
        {red, olive, black, red, olive},
    };
    // Grey where black was; white one step right and down from each black pixel (the copy of the
    // last column and row falls off); everything else transparent, red included.
    const QRgb disabled[3][5] = {
        {none, grey, none, none, none},
        {none, none, white, none, grey},
        {none, none, grey, none, none},
    };
    QImage image(5, 3, QImage::Format_RGB32);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x)
            image.setPixel(x, y, strip[y][x]);
    const QImage look = DisabledImage(image);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x)
            EXPECT_EQ(look.pixel(x, y), disabled[y][x]) << x << "," << y;

    // Drawn for a dense screen: the same look, the copy one logical pixel away.
    QImage dense = image.scaled(10, 6);
    dense.setDevicePixelRatio(2);
    const QImage denseLook = DisabledImage(dense);
    EXPECT_EQ(denseLook.devicePixelRatio(), 2);
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 10; ++x)
            EXPECT_EQ(denseLook.pixel(x, y), disabled[y / 2][x / 2]) << x << "," << y;

    // A strip keyed on black has no black pixels to show.
    const QImage blackKeyed = DisabledImage(Filled(4, 4, Qt::black));
    EXPECT_EQ(blackKeyed.pixel(2, 2), none);

    // Cell 1 (columns 2 and 3) drawn at (10, 20): the olive pixels leave the canvas alone.
    QImage canvas = Filled(16, 24, NormalBlue);
    {
        QPainter painter(&canvas);
        DrawCell(painter, TransparentImage(image), 1, 2, QPointF(10, 20));
    }
    for (int y = 0; y < 24; ++y)
        for (int x = 0; x < 16; ++x) {
            const bool inCell = x >= 10 && x < 12 && y >= 20 && y < 23;
            const QRgb source = inCell ? strip[y - 20][x - 10 + 2] : olive;
            const QRgb expected = source == olive ? NormalBlue.rgb() : source;
            EXPECT_EQ(canvas.pixel(x, y), expected) << x << "," << y;
        }
}

TEST(MSIEToolbarPictures, StripsAndTexturesShip) {
    const auto lightness = [](const QImage& image) {
        return image.scaled(1, 1, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
            .pixelColor(0, 0)
            .lightness();
    };
    const QImage normal = ToolbarBackground(false), selected = ToolbarBackground(true);
    EXPECT_EQ(normal.size(), QSize(80, 80));
    EXPECT_EQ(selected.size(), QSize(80, 80));
    EXPECT_LT(lightness(normal), lightness(selected));
    for (const int scale : {1, 2})
        for (const bool hot : {false, true}) {
            const QImage strip = ToolbarIcons(hot, scale);
            ASSERT_EQ(strip.size(), QSize(144, 24) * scale);
            // Cells 3 and 5 are empty; the others have black outlines for the disabled look.
            for (int cell = 0; cell < 6; ++cell) {
                const QRect area(cell * 24 * scale, 0, 24 * scale, 24 * scale);
                const bool empty = cell == 3 || cell == 5;
                EXPECT_EQ(CountOf(strip, area, qRgb(0, 0, 0)) == 0, empty) << cell;
                EXPECT_EQ(CountOf(strip, area, Olive.rgb()) == area.width() * area.height(), empty) << cell;
            }
        }
}

} // namespace
} // namespace zarn
