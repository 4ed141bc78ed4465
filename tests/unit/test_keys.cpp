// The key handler: which key moves what, the rounding and remainder rules
// of the turns and tilts, and the stops at +-80 degrees of pitch.
#include "app/glTemplate.h"
#include "gl/BasicGL.h"
#include "platform/Events.h"

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
        CamX = x;
        CamY = y;
        CamZ = z;
        CamYaw = yaw;
        CamPitch = pitch;
    }

    void Press(std::int16_t key, std::int16_t shift = 0) { show.Form_KeyDown(key, shift); }

    void ExpectCamera(double x, double y, double z, double yaw, double pitch) const
    {
        EXPECT_DOUBLE_EQ(CamX, x);
        EXPECT_DOUBLE_EQ(CamY, y);
        EXPECT_DOUBLE_EQ(CamZ, z);
        EXPECT_EQ(CamYaw, yaw);
        EXPECT_EQ(CamPitch, pitch);
    }

    glTemplate show;
};

TEST_F(KeyDownTest, EscapeRaisesTheEndFlagAndMovesNothing)
{
    Press(VK_ESCAPE);
    EXPECT_EQ(show.EndRequested, Runtime::True);
    ExpectCamera(-29, -5, 205, 150, 45);
    // Keys queued behind Escape in the same pump still apply.
    Press(VK_LEFT);
    EXPECT_EQ(CamYaw, 160);
    EXPECT_EQ(show.EndRequested, Runtime::True);
}

TEST_F(KeyDownTest, EAndRMoveTheEyeVertically)
{
    Press(VK_E);
    ExpectCamera(-29, -10, 205, 150, 45);
    Press(VK_R, ShiftMask);
    Press(VK_R);
    ExpectCamera(-29, 0, 205, 150, 45);
}

TEST_F(KeyDownTest, OtherCodesChangeNothing)
{
    for (std::int16_t code : {0, 13, 32, 36, 41, 65, 101, 114, -1, 255, 32767}) {
        Press(code);
        Press(code, ShiftMask);
    }
    ExpectCamera(-29, -5, 205, 150, 45);
    EXPECT_EQ(show.EndRequested, 0);
}

TEST_F(KeyDownTest, TurnsWrapWithTheDividendsSign)
{
    Place(0, 0, 0, 355, 0);
    Press(VK_LEFT);
    EXPECT_EQ(CamYaw, 5);

    Place(0, 0, 0, 0, 0);
    Press(VK_RIGHT);
    EXPECT_EQ(CamYaw, -10);

    Place(0, 0, 0, -355, 0);
    Press(VK_RIGHT);
    EXPECT_EQ(CamYaw, -5);

    Place(0, 0, 0, -350, 0);
    Press(VK_RIGHT);
    EXPECT_EQ(CamYaw, 0);
    ExpectCamera(0, 0, 0, 0, 0);
}

TEST_F(KeyDownTest, TurnsRoundHalvesToEven)
{
    Place(0, 0, 0, 0.5, 0);
    Press(VK_LEFT);
    EXPECT_EQ(CamYaw, 10);   // 10.5 rounds to 10, not 11

    Place(0, 0, 0, 1.5, 0);
    Press(VK_LEFT);
    EXPECT_EQ(CamYaw, 12);   // 11.5 rounds to 12

    Place(0, 0, 0, -0.5, 0);
    Press(VK_RIGHT);
    EXPECT_EQ(CamYaw, -10);  // -10.5 rounds to -10
}

TEST_F(KeyDownTest, TurnsRoundIntoThirtyTwoBits)
{
    CamYaw = 2147483637.0;   // + 10 is the largest 32-bit value
    Press(VK_LEFT);
    EXPECT_EQ(CamYaw, 2147483647 % 360);

    CamYaw = 2147483638.0;
    EXPECT_THROW(Press(VK_LEFT), Runtime::RuntimeError);
}

TEST_F(KeyDownTest, OnlyShiftAloneStepsSideways)
{
    const std::int16_t turning[] = {0, CtrlMask, AltMask, ShiftMask | CtrlMask, ShiftMask | AltMask};
    for (std::int16_t shift : turning) {
        Place(0, 0, 0, 20, 0);
        Press(VK_LEFT, shift);
        ExpectCamera(0, 0, 0, 30, 0);
        Press(VK_RIGHT, shift);
        Press(VK_RIGHT, shift);
        ExpectCamera(0, 0, 0, 10, 0);
    }

    const double h = 20 * (TenDigitPi / 180);
    Place(0, 0, 0, 20, 0);
    Press(VK_LEFT, ShiftMask);
    ExpectCamera(2 * std::sin(h + TenDigitPi / 2), 0, 2 * std::cos(h + TenDigitPi / 2), 20, 0);
    Place(0, 0, 0, 20, 0);
    Press(VK_RIGHT, ShiftMask);
    ExpectCamera(-2 * std::sin(h + TenDigitPi / 2), 0, -2 * std::cos(h + TenDigitPi / 2), 20, 0);
}

TEST_F(KeyDownTest, UpAndDownFollowTheHeadingAndIgnorePitchAndShift)
{
    for (double pitch : {0.0, 45.0, -80.0, 180.0}) {
        Place(0, 0, 0, 90, pitch);
        Press(VK_UP);
        // The ten-digit pi leaves cos(90 degrees) at about -2e-10, not 0.
        const double h = 90 * (TenDigitPi / 180);
        ExpectCamera(4 * std::sin(h), 0, 4 * std::cos(h), 90, pitch);
        EXPECT_LT(CamZ, -1e-10);
    }

    Place(10, 3, 20, 150, 45);
    const double h = 150 * (TenDigitPi / 180);
    Press(VK_UP, ShiftMask);
    Press(VK_UP, CtrlMask);
    EXPECT_DOUBLE_EQ(CamX, 10 + 8 * std::sin(h));
    EXPECT_DOUBLE_EQ(CamZ, 20 + 8 * std::cos(h));
    Press(VK_DOWN, ShiftMask);
    Press(VK_DOWN);
    EXPECT_NEAR(CamX, 10, 1e-12);
    EXPECT_NEAR(CamZ, 20, 1e-12);
    EXPECT_EQ(CamY, 3);
    EXPECT_EQ(CamPitch, 45);
}

TEST_F(KeyDownTest, PageUpStopsAtEightyOrWrapsPastIt)
{
    Place(0, 0, 0, 0, 45);
    for (double expected : {55.0, 65.0, 75.0, 85.0, 5.0}) {
        Press(VK_PRIOR);
        EXPECT_EQ(CamPitch, expected);
    }

    CamPitch = 70;
    Press(VK_PRIOR);
    EXPECT_EQ(CamPitch, 80);
    Press(VK_PRIOR);
    Press(VK_PRIOR, ShiftMask);
    EXPECT_EQ(CamPitch, 80);

    CamPitch = 79.5;         // not exactly 80: [89.5] = 90, and 90 mod 90 = 0
    Press(VK_PRIOR);
    EXPECT_EQ(CamPitch, 0);
}

TEST_F(KeyDownTest, PageDownStopsAtMinusEightyOrWrapsPastIt)
{
    Place(0, 0, 0, 0, -70);
    Press(VK_NEXT);
    EXPECT_EQ(CamPitch, -80);
    Press(VK_NEXT);
    EXPECT_EQ(CamPitch, -80);
    Press(VK_PRIOR);
    EXPECT_EQ(CamPitch, -70);

    CamPitch = -85;
    Press(VK_NEXT);
    EXPECT_EQ(CamPitch, -5);

    CamPitch = 80;           // the stop is only at -80 going down
    Press(VK_NEXT);
    EXPECT_EQ(CamPitch, 70);
    ExpectCamera(0, 0, 0, 0, 70);
}

} // namespace
