// The platform-free panel model both editors share: where the panel stands in
// a client area, boxes in device pixels, the needle's clamp, and which parts a
// change of values reaches.
#include <gtest/gtest.h>

#include <cmath>

#include "../../editor/panel_parts.h"

TEST(PanelLayout, PlacesScalesAndFitsThePanel) {
    struct Case {
        int32_t w, h;
        double scale;
        PanelLayout expected;
    };
    const Case cases[] = {
        {840, 520, 1.0, {1.0f, 0.0f, 0.0f}},
        {1680, 1040, 2.0, {2.0f, 0.0f, 0.0f}},
        {2000, 1200, NAN, {1.0f, 0.0f, 0.0f}},   // NaN reads as 1
        {3000, 2000, 7.0, {3.0f, 0.0f, 0.0f}},   // clamped to 3
        {1000, 520, 2.0, {1.0f, 80.0f, 0.0f}},   // too small: fitted and centred
        {420, 520, 1.0, {0.5f, 0.0f, 130.0f}},
        {0, 0, 2.0, {2.0f, 0.0f, 0.0f}},         // no client yet: the scale as asked
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.w << "x" << c.h << " at " << c.scale);
        const PanelLayout l = panelLayoutFor(c.w, c.h, c.scale);
        EXPECT_TRUE(sameLayout(l, c.expected)) << l.scale << " " << l.offsetX << " " << l.offsetY;
        // A client pixel maps back to the panel unit it shows.
        EXPECT_FLOAT_EQ(panelXOf(l, static_cast<int32_t>(l.offsetX + 100 * l.scale)), 100.0f);
    }
}

TEST(PanelLayout, DeviceBoxesRoundOutwardsAndBoxesMeetOnlyWhenTheyOverlap) {
    const PanelBox box = deviceBoxOf(PanelLayout{1.5f, 0.25f, 0.0f}, PanelBox{1, 1, 3, 3});
    EXPECT_EQ(box.left, 1);
    EXPECT_EQ(box.top, 1);
    EXPECT_EQ(box.right, 5);
    EXPECT_EQ(box.bottom, 5);
    PanelBox overlap;
    EXPECT_FALSE(intersectBoxes(PanelBox{0, 0, 10, 10}, PanelBox{10, 0, 20, 10}, &overlap));
    ASSERT_TRUE(intersectBoxes(PanelBox{0, 0, 10, 10}, PanelBox{9, 5, 20, 6}, &overlap));
    EXPECT_EQ(overlap.left, 9);
    EXPECT_EQ(overlap.right, 10);
}

TEST(PanelParts, NeedleClampAndWhatAChangeReaches) {
    EXPECT_EQ(needleTipFor(NAN).shownReduction, 18.0f);
    EXPECT_EQ(needleTipFor(40.0f).shownReduction, 18.0f);
    EXPECT_EQ(needleTipFor(-3.0f).shownReduction, 0.0f);

    PanelValues shown{};
    for (float& p : shown.params) p = 0.5f;
    shown.meter = 3.0f;
    const uint32_t meter = 1u << kMeterPart;
    struct Case {
        const char* what;
        int param;  // -1: the meter
        float to;
        uint32_t expected;
    };
    const Case cases[] = {
        {"threshold", kThreshold, 0.7f, 1u << kThreshold},
        {"glue: its knob and the readout", kGlue, 0.7f, (1u << kGlue) | meter},
        {"meter", -1, 4.0f, meter},
        {"meter moved less than its readout shows", -1, 3.00001f, meter},
        {"nothing", kThreshold, 0.5f, 0u},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        PanelValues now = shown;
        (c.param < 0 ? now.meter : now.params[c.param]) = c.to;
        EXPECT_EQ(partsThatDiffer(now, shown, shown), c.expected);
    }
}
