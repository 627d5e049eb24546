// What the editor shows, read back from its window: colours at the points the
// panel's layout fixes, and text pixels in the text areas.
#include "editor_fixture.h"

#include <gdiplus.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

namespace {

constexpr uint32_t kRose = 0xF43F5E;
constexpr uint32_t kGold = 0xF0CB64;
constexpr uint32_t kGreen = 0x10B981;
constexpr uint32_t kCap = 0x10131A;
constexpr uint32_t kDot = 0x2D3444;
constexpr uint32_t kBackgroundTop = 0x0A0C12;
constexpr uint32_t kBackgroundBottom = 0x040508;
constexpr uint32_t kMeterFill = 0x0E1018;
// Semi-transparent text colours as they land on the dark background.
constexpr uint32_t kMutedOnDark = 0x646B7D;
constexpr uint32_t kCaptionOnDark = 0xAEB6C8;

// Closest colour distance to `rgb` within the 3x3 pixels around a point:
// anti-aliased lines are exact only near their middle.
int nearestDistance(const Capture& c, float x, float y, uint32_t rgb) {
    int best = 255;
    const int px = static_cast<int>(std::lround(x)), py = static_cast<int>(std::lround(y));
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx) best = std::min(best, colourDistance(c.at(px + dx, py + dy), rgb));
    return best;
}

struct Polar {
    float cx, cy, radius;
    float x(float degrees) const { return cx + radius * std::cos(degrees * 3.14159265f / 180.0f); }
    float y(float degrees) const { return cy + radius * std::sin(degrees * 3.14159265f / 180.0f); }
};

int textPixels(const Capture& c, int left, int top, int right, int bottom, uint32_t rgb, int tolerance = 60) {
    return countPixelsNear(c, RECT{left, top, right, bottom}, rgb, tolerance);
}

// Horizontal centre of the footer's text pixels in the band under its origin.
float footerCentre(const Capture& c) {
    int minX = c.width, maxX = -1;
    for (int y = c.height - 22; y < c.height - 8; ++y)
        for (int x = 30; x < c.width - 30; ++x)
            if (colourDistance(c.at(x, y), kMutedOnDark) <= 45) {
                minX = std::min(minX, x);
                maxX = std::max(maxX, x);
            }
    return maxX < 0 ? -1.0f : 0.5f * static_cast<float>(minX + maxX);
}

bool familyInstalled(const wchar_t* name) {
    ULONG_PTR token = 0;
    Gdiplus::GdiplusStartupInput input;
    Gdiplus::GdiplusStartup(&token, &input, nullptr);
    Gdiplus::GpFontFamily* family = nullptr;
    Gdiplus::DllExports::GdipCreateFontFamilyFromName(name, nullptr, &family);
    if (family) Gdiplus::DllExports::GdipDeleteFontFamily(family);
    Gdiplus::GdiplusShutdown(token);
    return family != nullptr;
}

void expectAllTextsButTitle(const Capture& c) {
    EXPECT_GT(textPixels(c, 29, 44, 520, 60, kMutedOnDark), 30) << "subtitle";
    EXPECT_GT(textPixels(c, 290, 236, 550, 256, kRose), 30) << "readout";
    EXPECT_GT(textPixels(c, 285, 105, 560, 150, kMutedOnDark), 10) << "scale labels";
    EXPECT_GT(textPixels(c, 80, 218, 180, 232, kCaptionOnDark), 10) << "THRESHOLD caption";
    EXPECT_GT(textPixels(c, 80, 232, 180, 248, kRose), 10) << "threshold value text";
    EXPECT_GT(textPixels(c, 660, 232, 760, 248, kGold), 10) << "ratio value text";
    EXPECT_GT(textPixels(c, 225, 436, 325, 452, kGreen), 5) << "release value text";
    EXPECT_GT(textPixels(c, 120, 496, 720, 512, kMutedOnDark), 30) << "footer";
}

using EditorPaintTest = EditorTest;

TEST_F(EditorPaintTest, FixedElementsShowTheirColours) {
    openEditor();
    const Capture c = captureWindow(editor());
    saveCaptureBesideProgram(c, "panel_default");
    ASSERT_EQ(c.width, 840);
    ASSERT_EQ(c.height, 520);
    EXPECT_LE(colourDistance(c.at(420, 0), kBackgroundTop), 2) << "gradient top";
    EXPECT_LE(colourDistance(c.at(60, 519), kBackgroundBottom), 2) << "gradient bottom";
    EXPECT_LE(colourDistance(c.at(17, 17), kDot), 3);
    EXPECT_LE(colourDistance(c.at(823, 17), kDot), 3);
    EXPECT_LE(colourDistance(c.at(17, 503), kDot), 3);
    EXPECT_LE(colourDistance(c.at(823, 503), kDot), 3);
    EXPECT_GT(colourDistance(c.at(17, 26), kDot), 10) << "dots are 10 pixels across";
    EXPECT_LE(colourDistance(c.at(270, 250), kMeterFill), 2) << "meter window fill";
    EXPECT_LE(colourDistance(c.at(570, 95), kMeterFill), 2) << "meter window fill";
    for (int x : {260, 580}) {
        int reddest = 0;
        for (int dx = -1; dx <= 1; ++dx) {
            const uint32_t p = c.at(x + dx, 200);
            reddest = std::max(reddest, static_cast<int>((p >> 16) & 0xFF) - static_cast<int>((p >> 8) & 0xFF));
        }
        EXPECT_GE(reddest, 30) << "meter border at x " << x;
    }
    EXPECT_LE(colourDistance(c.at(420, 230), kGold), 6) << "needle pivot";
    for (const auto& k : {std::pair{130, 165}, {710, 165}, {130, 375}, {275, 375}, {420, 375}, {565, 375},
                          {710, 375}})
        EXPECT_LE(colourDistance(c.at(k.first, k.second), kCap), 2) << "cap at " << k.first << "," << k.second;
    expectAllTextsButTitle(c);
    EXPECT_GT(textPixels(c, 28, 20, 260, 42, kRose), 30) << "title";
}

TEST_F(EditorPaintTest, NeedleFollowsTheClampedMeter) {
    openEditor();
    struct Case {
        float meter;
        float degrees;
        const char* name;
    };
    const Case cases[] = {{0.0f, 330, "meter_0"},  {6.0f, 290, "meter_6"},  {9.0f, 270, "meter_9"},
                          {18.0f, 210, "meter_18"}, {40.0f, 210, "meter_40"}, {-3.0f, 330, "meter_negative"},
                          {std::numeric_limits<float>::quiet_NaN(), 210, "meter_nan"}};
    for (const Case& k : cases) {
        setMeter(k.meter);
        const Capture c = captureWindow(editor());
        saveCaptureBesideProgram(c, k.name);
        const Polar needle{420, 230, 0};
        for (float along : {60.0f, 100.0f}) {
            const Polar at{needle.cx, needle.cy, along};
            EXPECT_LE(nearestDistance(c, at.x(k.degrees), at.y(k.degrees), kRose), 40)
                << k.name << " needle at radius " << along;
            for (float other : {210.0f, 270.0f, 330.0f})
                if (std::fabs(other - k.degrees) > 30) {
                    EXPECT_GT(nearestDistance(c, at.x(other), at.y(other), kRose), 100)
                        << k.name << " no needle at " << other;
                }
        }
    }
}

TEST_F(EditorPaintTest, ValueArcCoversTheValueInTheAccentColour) {
    openEditor();
    const Polar threshold{130, 165, 41};  // large knob: arc radius 46 - 5
    const float probes[] = {160, 200, 260, 300, 380};
    for (float value : {0.0f, 0.25f, 0.5f, 1.0f}) {
        effect->setParameter(effect, 0, value);
        const Capture c = captureWindow(editor());
        saveCaptureBesideProgram(c, "threshold_" + std::to_string(static_cast<int>(value * 100)));
        const float end = 150.0f + 240.0f * value;
        for (float degrees : probes) {
            const int d = nearestDistance(c, threshold.x(degrees), threshold.y(degrees), kRose);
            if (degrees < end) EXPECT_LE(d, 40) << "value " << value << " at " << degrees;
            else EXPECT_GT(d, 100) << "value " << value << " at " << degrees;
        }
    }
    // A small knob: Release at 0.25 sweeps 60 degrees on an arc of radius 35.
    effect->setParameter(effect, 3, 0.25f);
    const Capture c = captureWindow(editor());
    const Polar release{275, 375, 35};
    EXPECT_LE(nearestDistance(c, release.x(180), release.y(180), kGreen), 40);
    EXPECT_GT(nearestDistance(c, release.x(240), release.y(240), kGreen), 100);
}

TEST_F(EditorPaintTest, MixAndBypassChangeNothingAndEqualStatesPaintAlike) {
    openEditor();
    setMeter(4.5f);
    const Capture before = captureWindow(editor());
    const Capture again = captureWindow(editor());
    EXPECT_TRUE(before.pixels == again.pixels);
    effect->setParameter(effect, 7, 0.1f);
    effect->setParameter(effect, 8, 1.0f);
    const Capture after = captureWindow(editor());
    EXPECT_TRUE(before.pixels == after.pixels);
    effect->setParameter(effect, 4, 0.9f);  // Glue: its knob and the readout change
    const Capture glue = captureWindow(editor());
    EXPECT_FALSE(before.pixels == glue.pixels);
}

TEST_F(EditorPaintTest, ExtremeValuesPaintCompletePanels) {
    openEditor();
    for (float v : {0.0f, 1.0f}) {
        setAll(v);
        setMeter(v * 30.0f);
        const Capture c = captureWindow(editor());
        saveCaptureBesideProgram(c, v == 0.0f ? "all_at_0" : "all_at_1");
        expectAllTextsButTitle(c);
        EXPECT_LE(colourDistance(c.at(420, 230), kGold), 6);
    }
}

TEST_F(EditorPaintTest, OtherClientSizesMoveOnlyBackgroundDotsAndFooter) {
    openEditor();
    EXPECT_NEAR(footerCentre(captureWindow(editor())), 420.0f, 4.0f);
    MoveWindow(editor(), 0, 0, 900, 600, TRUE);
    const Capture c = captureWindow(editor());
    saveCaptureBesideProgram(c, "panel_900x600");
    ASSERT_EQ(c.width, 900);
    ASSERT_EQ(c.height, 600);
    EXPECT_LE(colourDistance(c.at(450, 0), kBackgroundTop), 2);
    EXPECT_LE(colourDistance(c.at(40, 599), kBackgroundBottom), 2);
    EXPECT_LE(colourDistance(c.at(17, 17), kDot), 3);
    EXPECT_LE(colourDistance(c.at(883, 17), kDot), 3);
    EXPECT_LE(colourDistance(c.at(17, 583), kDot), 3);
    EXPECT_LE(colourDistance(c.at(883, 583), kDot), 3);
    EXPECT_NEAR(footerCentre(c), 450.0f, 4.0f);
    EXPECT_LE(colourDistance(c.at(420, 230), kGold), 6) << "the meter keeps its place";
    EXPECT_LE(colourDistance(c.at(130, 165), kCap), 2) << "the knobs keep their places";
}

// Run only in a Wine prefix without the Cinzel font files (see editor.cmake).
TEST_F(EditorPaintTest, MissingCinzelComesFromTheDll) {
    ASSERT_FALSE(familyInstalled(L"Cinzel")) << "this case runs in a prefix without Cinzel";
    openEditor();
    const Capture c = captureWindow(editor());
    saveCaptureBesideProgram(c, "panel_without_cinzel");
    EXPECT_GT(textPixels(c, 28, 20, 260, 42, kRose), 30) << "title";
    expectAllTextsButTitle(c);
    EXPECT_LE(colourDistance(c.at(420, 230), kGold), 6);
    EXPECT_LE(colourDistance(c.at(130, 165), kCap), 2);
}

// Run only by editor_without_fonts.sh: it records these states in the usual
// prefix (DQ_PANEL_RECORD set), then paints them again in a prefix without
// Inter and Cinzel, where the DLL's own faces must give the very same pixels,
// in a second window as in the first, and later windows must not load the
// faces again (0.85 MB each under Wine, which never frees them).
TEST_F(EditorPaintTest, WithoutFontsPaintsAsWithThem) {
    const char* folder = std::getenv("DQ_PANEL_REFERENCE");
    ASSERT_NE(folder, nullptr);
    const bool recording = std::getenv("DQ_PANEL_RECORD") != nullptr;
    ASSERT_EQ(familyInstalled(L"Inter"), recording) << "Inter is installed only where the reference is made";
    ASSERT_EQ(familyInstalled(L"Cinzel"), recording) << "Cinzel is installed only where the reference is made";
    // Every parameter at `value` (the defaults for -1), and the meter.
    const struct { float value, meter; } states[] = {{-1, 4.5f}, {0, 0}, {1, 30}, {0.37f, 6.3f}};
    for (int window = 0; window < 2; ++window) {
        openEditor();
        for (int i = 0; i < 4; ++i) {
            if (states[i].value >= 0) setAll(states[i].value);
            setMeter(states[i].meter);
            Capture c = captureWindow(editor());
            const std::string name = "window" + std::to_string(window) + "_state" + std::to_string(i);
            const std::string path = std::string(folder) + "/" + name + ".raw";
            FILE* f = std::fopen(path.c_str(), recording ? "wb" : "rb");
            ASSERT_NE(f, nullptr) << path;
            std::vector<uint32_t> reference(c.pixels.size());
            if (recording) std::fwrite(c.pixels.data(), 4, c.pixels.size(), f);
            else EXPECT_EQ(std::fread(reference.data(), 4, reference.size(), f), reference.size()) << name;
            std::fclose(f);
            if (recording || reference == c.pixels) continue;
            ADD_FAILURE() << name << " differs from the panel with the fonts installed";
            saveCaptureBesideProgram(c, "without_fonts_" + name);
        }
        dispatch(effect, effEditClose);
    }
    const size_t bytesBefore = privateBytes();
    for (int window = 0; window < 10; ++window) {
        openEditor();
        captureWindow(editor());
        dispatch(effect, effEditClose);
    }
    EXPECT_LT(privateBytes(), bytesBefore + 3 * 1024 * 1024) << "10 more windows";
}

}  // namespace
