// The key handler: which key moves what, the rounding and remainder rules
// of the turns and tilts, the stops at +-80 degrees of pitch, the codes the
// keypad's keys arrive with, and the table of named keys that both event
// pumps translate through.
#include "gl/BasicGL.h"
#include "platform/Events.h"
#include "platform/ShowKeys.h"
#include "platform/web/Keys.h"
#include "testing/Testing.h"
#include "window/glTemplate.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using namespace BasicGL;
using namespace platform;

constexpr double TenDigitPi = 3.141592654;

class KeyDownTest : public ::testing::Test {
protected:
    void SetUp() override { Place(-29, -5, 205, 150, 45); }

    static void Place(double x, double y, double z, double yaw, double pitch)
    {
        CamX = x, CamY = y, CamZ = z, CamYaw = yaw, CamPitch = pitch;
    }

    void Press(std::int16_t key, std::int16_t shift = 0) { show.Form_KeyDown(key, shift); }

    static void ExpectCamera(double x, double y, double z, double yaw, double pitch)
    {
        EXPECT_EQ(std::vector<double>({CamYaw, CamPitch}), std::vector<double>({yaw, pitch}));
        EXPECT_TRUE(std::abs(CamX - x) < 1e-12 && std::abs(CamY - y) < 1e-12 && std::abs(CamZ - z) < 1e-12)
            << CamX << " " << CamY << " " << CamZ;
    }

    glTemplate show;
};

TEST_F(KeyDownTest, TurnsAndTiltsRoundToEvenWrapWithTheDividendsSignAndStopAtEighty)
{
    const struct {
        double yaw, pitch;
        std::int16_t key, shift;
        double yawAfter, pitchAfter;
    } cases[] = {
        {355, 0, VK_LEFT, 0, 5, 0},
        {0, 0, VK_RIGHT, 0, -10, 0},
        {-355, 0, VK_RIGHT, 0, -5, 0},
        {-350, 0, VK_RIGHT, 0, 0, 0},
        {0.5, 0, VK_LEFT, 0, 10, 0},
        {1.5, 0, VK_LEFT, 0, 12, 0},    // 10.5 -> 10, 11.5 -> 12
        {-0.5, 0, VK_RIGHT, 0, -10, 0}, // -10.5 -> -10
        // Only Shift alone steps sideways: Shift+Ctrl (3), Ctrl and Alt turn.
        {20, 0, VK_LEFT, ShiftMask | CtrlMask, 30, 0},
        {20, 0, VK_RIGHT, CtrlMask, 10, 0},
        {0, 70, VK_PRIOR, 0, 0, 80},
        {0, 80, VK_PRIOR, ShiftMask, 0, 80},
        {0, 79.5, VK_PRIOR, 0, 0, 0}, // not exactly 80: [89.5] = 90, 90 mod 90 = 0
        {0, -70, VK_NEXT, 0, 0, -80},
        {0, -80, VK_NEXT, 0, 0, -80},
        {0, -85, VK_NEXT, 0, 0, -5},
        {0, 80, VK_NEXT, 0, 0, 70}, // going down the stop is -80 only
        {0, -80, VK_PRIOR, 0, 0, -70},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.yaw << "/" << c.pitch << " key " << c.key << " shift " << c.shift);
        Place(0, 0, 0, c.yaw, c.pitch);
        Press(c.key, c.shift);
        ExpectCamera(0, 0, 0, c.yawAfter, c.pitchAfter);
    }

    Place(0, 0, 0, 0, 45);
    for (double expected : {55.0, 65.0, 75.0, 85.0, 5.0}) {
        Press(VK_PRIOR);
        EXPECT_EQ(CamPitch, expected);
    }

    CamYaw = 2147483637.0; // + 10 is the largest 32-bit value
    Press(VK_LEFT);
    EXPECT_EQ(CamYaw, 2147483647 % 360);
    CamYaw = 2147483638.0;
    EXPECT_THROW(Press(VK_LEFT), Runtime::RuntimeError);
}

TEST_F(KeyDownTest, MovesFollowTheHeadingAndIgnorePitchAndEscapeOnlyEnds)
{
    Press(VK_E);
    ExpectCamera(-29, -10, 205, 150, 45);
    Press(VK_R, ShiftMask);
    Press(VK_R);
    ExpectCamera(-29, 0, 205, 150, 45);

    for (double pitch : {0.0, -80.0, 180.0}) {
        Place(0, 0, 0, 90, pitch);
        Press(VK_UP, ShiftMask);
        // The ten-digit pi leaves cos(90 degrees) at about -2e-10, not 0.
        const double h = 90 * (TenDigitPi / 180);
        ExpectCamera(4 * std::sin(h), 0, 4 * std::cos(h), 90, pitch);
        EXPECT_LT(CamZ, -1e-10);
        Press(VK_DOWN, CtrlMask);
        ExpectCamera(0, 0, 0, 90, pitch);
    }

    const double side = 20 * (TenDigitPi / 180) + TenDigitPi / 2;
    Place(0, 0, 0, 20, 0);
    Press(VK_RIGHT, ShiftMask);
    ExpectCamera(-2 * std::sin(side), 0, -2 * std::cos(side), 20, 0);

    // Escape only raises the end flag, and other codes do nothing.
    Place(-29, -5, 205, 150, 45);
    for (std::int16_t code : {0, 13, 32, 36, 41, 65, 101, 114, -1, 255, 32767}) {
        Press(code);
        Press(code, ShiftMask);
    }
    EXPECT_EQ(show.EndRequested, 0);
    Press(VK_ESCAPE);
    EXPECT_EQ(show.EndRequested, Runtime::True);
    ExpectCamera(-29, -5, 205, 150, 45);
    // Keys queued behind Escape in the same pump still apply.
    Press(VK_LEFT);
    EXPECT_EQ(CamYaw, 160);
    EXPECT_EQ(show.EndRequested, Runtime::True);
}

TEST_F(KeyDownTest, EveryNamedKeyReachesTheHandlerByEachNameWithTheEffectItNames)
{
    for (const NamedKey& key : NamedKeys) {
        SCOPED_TRACE(key.name);
        // Natively through SDL, in the browser by either spelling.
        EXPECT_TRUE(IsKnownKeyName(key.name));
        EXPECT_EQ(KeyDownCodeOf(key.name, false), key.code);
        EXPECT_EQ(web::VirtualKeyOf(key.name), key.code);
        if (key.otherName != nullptr) EXPECT_EQ(web::VirtualKeyOf(key.otherName), key.code);
        EXPECT_EQ(web::IsShowKey(key.code, false, false, false), key.effect != KeyEffect::None);

        // Heading along +z from the origin, level.
        Place(0, 0, 0, 0, 0);
        show.EndRequested = 0;
        Press(key.code);
        double x = 0, y = 0, z = 0, yaw = 0, pitch = 0;
        switch (key.effect) {
        case KeyEffect::None:
        case KeyEffect::End:
            break;
        case KeyEffect::Lower:
            y = -5;
            break;
        case KeyEffect::Raise:
            y = 5;
            break;
        case KeyEffect::Forward:
            z = 4;
            break;
        case KeyEffect::Back:
            z = -4;
            break;
        case KeyEffect::TurnLeft:
            yaw = 10;
            break;
        case KeyEffect::TurnRight:
            yaw = -10;
            break;
        case KeyEffect::TiltUp:
            pitch = 10;
            break;
        case KeyEffect::TiltDown:
            pitch = -10;
            break;
        }
        ExpectCamera(x, y, z, yaw, pitch);
        EXPECT_EQ(show.EndRequested, key.effect == KeyEffect::End ? Runtime::True : 0);
    }
}

TEST_F(KeyDownTest, ThePlayersKeysAreKnownByNameAndNeverReachTheShow)
{
    for (const NamedPlayerKey& key : PlayerKeys) {
        SCOPED_TRACE(key.name);
        EXPECT_TRUE(IsKnownKeyName(key.name));
        EXPECT_EQ(ScriptedKeyCode(key.name), 0);
        for (const NamedKey& showKey : NamedKeys)
            if (showKey.effect != KeyEffect::None) EXPECT_STRNE(showKey.name, key.name);
    }
    EXPECT_EQ(ScriptedKeyCode("Left"), VK_LEFT);
    // In any case, as SDL reads key names; nothing else is one of them.
    EXPECT_EQ(PlayerKeyNamed("space"), &PlayerKeys[0]);
    EXPECT_EQ(ScriptedKeyCode("SPACE"), 0);
    EXPECT_EQ(PlayerKeyNamed("Spac"), nullptr);
    EXPECT_EQ(PlayerKeyNamed(""), nullptr);
}

TEST_F(KeyDownTest, KeypadKeysAreArrowAndPageKeysWithNumLockOffAndIgnoredDigitsWithItOn)
{
    const struct {
        const char* name;
        std::int16_t numLockOff;
    } pads[] = {{"Keypad 8", VK_UP},    {"Keypad 2", VK_DOWN}, {"Keypad 4", VK_LEFT}, {"Keypad 6", VK_RIGHT},
                {"Keypad 9", VK_PRIOR}, {"Keypad 3", VK_NEXT}, {"Keypad 7", 36},      {"Keypad 1", 35}};
    for (const auto& pad : pads) {
        SCOPED_TRACE(pad.name);
        EXPECT_EQ(KeyDownCodeOf(pad.name, false), pad.numLockOff);
        const std::int16_t digit = KeyDownCodeOf(pad.name, true);
        EXPECT_TRUE(digit >= 96 && digit <= 105) << digit;
        Press(digit);
        ExpectCamera(-29, -5, 205, 150, 45);
    }
    Press(KeyDownCodeOf("Keypad 4", false));
    EXPECT_EQ(CamYaw, 160);
    // The main block does not depend on NumLock.
    EXPECT_EQ(KeyDownCodeOf("Up", true), VK_UP);
    EXPECT_EQ(KeyDownCodeOf("8", false), '8');
}

} // namespace
