#include "ui/AppletSize.h"

#include <QLabel>
#include <QTest>

#include <gtest/gtest.h>

#include <vector>

namespace zarn {
namespace {

// The window as the main window drives it, with the write-backs it receives recorded.
class AppletSizeFixture : public ::testing::Test {
protected:
    void SetUp() override {
        QObject::connect(&form, &TAppletSizeForm::AppletWidthChosen, [this](int w) { widths.push_back(w); });
        QObject::connect(&form, &TAppletSizeForm::AppletHeightChosen, [this](int h) { heights.push_back(h); });
        QObject::connect(&form, &TAppletSizeForm::Closed, [this] { ++closed; });
    }

    // What the main window does when Resize is pressed or a value changes: tracking off around it.
    void Apply(int width, int height, int hSpace, int vSpace) {
        form.Tracking = false;
        form.SetHorizontalSpacing(hSpace);
        form.SetVerticalSpacing(vSpace);
        form.SetClientWidth(width + 2 * hSpace);
        form.SetClientHeight(height + 2 * vSpace);
        form.Tracking = true;
    }

    TAppletSizeForm form;
    std::vector<int> widths, heights;
    int closed = 0;
};

TEST_F(AppletSizeFixture, ClientAreaIsAppletPlusSpacing) {
    Apply(200, 100, 10, 5);
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    EXPECT_EQ(form.size(), QSize(220, 110));
    EXPECT_EQ(form.Label1->geometry(), QRect(10, 5, 200, 100));
    EXPECT_EQ(form.LeftHSpace->width(), 10);
    EXPECT_EQ(form.RightHSpace->geometry().left(), 210);
    EXPECT_EQ(form.UpVSpace->height(), 5);
    EXPECT_EQ(form.DownVSpace->geometry().top(), 105);
    EXPECT_TRUE(form.Label1->text().startsWith('\n'));
    QTest::qWait(50);
    EXPECT_TRUE(widths.empty());
    EXPECT_TRUE(heights.empty());
}

// Only the user's resizing writes back, and only the side that changed.
TEST_F(AppletSizeFixture, WritesBackOnlyWhatTheUserChanged) {
    struct Case {
        const char* what;
        QSize drag;
        std::vector<int> wantWidths, wantHeights;
    };
    const Case cases[] = {
        {"right edge", {250, 110}, {230}, {}},
        {"bottom edge", {220, 150}, {}, {140}},
        {"corner", {300, 200}, {280}, {190}},
        {"narrower than the spacing", {12, 110}, {-8}, {}},
    };
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Apply(200, 100, 10, 5);
        QTest::qWait(20);
        widths.clear();
        heights.clear();
        form.resize(c.drag);
        QTest::qWait(20);
        EXPECT_EQ(widths, c.wantWidths);
        EXPECT_EQ(heights, c.wantHeights);
    }
}

TEST_F(AppletSizeFixture, CloseButtonHidesAndReports) {
    form.show();
    form.close();
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(closed, 1);
    // Hidden by the main window (Resize released) is no close.
    form.show();
    form.hide();
    EXPECT_EQ(closed, 1);
}

} // namespace
} // namespace zarn
