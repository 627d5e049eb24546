// A parameter's texts written from its table row, and typed texts read back.
#include "parameter_text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "parameters.h"

namespace {

std::string displayText(int32_t index, float v, size_t size = 32) {
    char text[32] = "untouched";
    writeDisplayText(index, v, text, size);
    return text;
}

std::string valueText(int32_t index, float v, size_t size = 32) {
    char text[32] = "untouched";
    writeValueText(index, v, text, size);
    return text;
}

TEST(ParameterText, DisplayAndValueTextsOfEveryRow) {
    const struct {
        int32_t index;
        float v;
        const char *display, *withUnit;
    } cases[] = {
        {kThreshold, 0.5f, "-18.0", "-18.0 dB"}, {kThreshold, 0.9995f, "-0.0", "-0.0 dB"},
        {kRatio, 0.35f, "8.0", "8.0:1"},        {kAttack, 0.3f, "2.8", "2.8 ms"},
        {kRelease, 0.15f, "47", "47 ms"},       {kGlue, 0.65f, "65", "65%"},
        {kBassArmor, 0.35f, "84", "84 Hz"},     {kMakeup, 0.25f, "+5.0", "+5.0 dB"},
        {kMix, 1.0f, "100", "100%"},            {kBypass, 1.0f, "100", "100"},
        {-1, 0.5f, "", ""},                     {kParamCount, 0.5f, "", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(displayText(c.index, c.v), c.display) << c.index;
        EXPECT_EQ(valueText(c.index, c.v), c.withUnit) << c.index;
    }
    // Short buffers get a terminated prefix; a zero size writes nothing.
    EXPECT_EQ(valueText(kThreshold, 0.5f, 4), "-18");
    EXPECT_EQ(displayText(kGlue, 0.65f, 2), "6");
    EXPECT_EQ(valueText(kGlue, 0.65f, 0), "untouched");
    // The format the LV2 Turtle renders a unit with, and one too long to hold.
    char format[8] = "x";
    writeValueFormat(kGlue, format, sizeof format);
    EXPECT_STREQ(format, "%.0f%%");
    writeValueFormat(kThreshold, format, 5);
    EXPECT_STREQ(format, "");
}

TEST(ParameterText, ReadsTypedTextsAndRefusesTheRest) {
    const struct {
        int32_t index;
        const char* text;
        double unit;  // the unit value read; NaN where the text is refused
    } cases[] = {
        {kThreshold, "-18 dB", -18},   {kThreshold, "-18dB", -18},      {kThreshold, "-18", -18},
        {kThreshold, " -18.0  DB ", -18}, {kThreshold, "-100 dB", -36}, {kThreshold, "+5 dB", 0},
        {kThreshold, "-.5", -0.5},     {kRatio, "8:1", 8},              {kRatio, "8.0", 8},
        {kRatio, "8 :1", 8},           {kRatio, "50:1", 20},            {kAttack, "10 ms", 10},
        {kAttack, "0", 0.1},           {kRelease, "300", 300},          {kGlue, "65%", 65},
        {kGlue, "65 %", 65},           {kGlue, "-3%", 0},               {kBassArmor, "120 hz", 120},
        {kMakeup, "+5.0 dB", 5},       {kMakeup, "-0", 0},              {kMix, "5.", 5},
        {kBypass, "100", 100},         {kBypass, "0", 0},
        {kThreshold, "", NAN},         {kThreshold, "  ", NAN},         {kThreshold, "dB", NAN},
        {kThreshold, "-18 dBx", NAN},  {kThreshold, "-18 dB 3", NAN},   {kThreshold, "10 Hz", NAN},
        {kThreshold, "-18 %", NAN},    {kGlue, "8:1", NAN},             {kThreshold, "nan", NAN},
        {kThreshold, "inf dB", NAN},   {kThreshold, "-inf", NAN},       {kThreshold, "1e1", NAN},
        {kThreshold, "0x10", NAN},     {kThreshold, "--5", NAN},        {kThreshold, "+-5", NAN},
        {kThreshold, ".", NAN},        {kThreshold, "- 5", NAN},        {kThreshold, "5 5", NAN},
        {kThreshold, "-18,5", NAN},    {kBypass, "on", NAN},            {kBypass, "100 %", NAN},
        {kRatio, "8:\x1a", NAN},       {-1, "5", NAN},                  {kParamCount, "5", NAN},
    };
    for (const auto& c : cases) {
        float v = -1.0f;
        const bool read = parseValueText(c.index, c.text, &v);
        if (std::isnan(c.unit)) {
            EXPECT_FALSE(read) << c.index << " '" << c.text << "'";
            EXPECT_EQ(v, -1.0f) << c.index << " '" << c.text << "'";
        } else {
            EXPECT_TRUE(read) << c.index << " '" << c.text << "'";
            EXPECT_EQ(v, static_cast<float>(normalisedFromUnit(static_cast<ParamIndex>(c.index), c.unit)))
                << c.index << " '" << c.text << "'";
        }
    }
    float v = -1.0f;
    EXPECT_FALSE(parseValueText(kThreshold, nullptr, &v));
    EXPECT_FALSE(parseValueText(kThreshold, "-18", nullptr));
}

// Whatever a host or the editor shows, read back, shows the same text again.
TEST(ParameterText, EveryTextReadsBackToItself) {
    for (int32_t index = 0; index < kParamCount; ++index) {
        for (int step = 0; step <= 4000; ++step) {
            const float v = static_cast<float>(step) / 4000.0f;
            for (const std::string& text : {valueText(index, v), displayText(index, v)}) {
                float back = -1.0f;
                ASSERT_TRUE(parseValueText(index, text.c_str(), &back)) << index << " '" << text << "'";
                EXPECT_EQ(valueText(index, back), valueText(index, v)) << index << " at " << v;
            }
        }
    }
}

// The formats' own lists name the bypass switch's steps and still read the
// shell's numbers; other rows read as their display texts.
TEST(ParameterText, ListTextsNameTheBypassSwitch) {
    const struct { int32_t index; float v; const char *text, *typed; float read; } cases[] = {
        {kBypass, 0.5f, "Off", " ON ", 1.0f}, {kBypass, 0.51f, "On", "off", 0.0f}, {kBypass, 1.0f, "On", "100", 1.0f},
        {kBypass, 0.0f, "Off", "onn", -1.0f},  {kGlue, 0.65f, "65%", "on", -1.0f}};
    for (const auto& c : cases) {
        char text[32];
        float v = -1.0f;
        writeListText(c.index, c.v, true, text, sizeof text);
        EXPECT_STREQ(text, c.text) << c.v;
        EXPECT_EQ(parseListText(c.index, c.typed, &v), c.read >= 0.0f) << c.typed;
        EXPECT_EQ(v, c.read) << c.typed;
    }
}

}  // namespace
