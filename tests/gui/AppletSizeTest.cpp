#include "ui/AppletSize.h"

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
        QObject::connect(&form, &TAppletSizeForm::AppletHeightChosen,
                         [this](int h) { heights.push_back(h); });
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
};

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

} // namespace
} // namespace zarn
