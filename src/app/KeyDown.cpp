// The key handler: steers the camera between two frames and ends the show
// on Escape. The frame loop applies what it changes in the next frame.
#include "gl/BasicGL.h"
#include "platform/Events.h"
#include "window/glTemplate.h"

#include <cmath>

namespace {

// The ten-digit value the show has always turned with; a closer pi would
// move the eye by a different amount after many steps.
constexpr double Pi = 3.141592654;

// [x] mod m: rounded half to even into 32 bits, remainder with the
// dividend's sign, so that negative angles stay negative.
double WrapDegrees(double value, std::int32_t modulus)
{
    return static_cast<double>(Runtime::CLng(value) % modulus);
}

} // namespace

void glTemplate::Form_KeyDown(std::int16_t KeyCode, std::int16_t Shift)
{
    using namespace BasicGL;
    // The heading of the camera as it was when the key came in.
    const double Heading = CamYaw * (Pi / 180);

    switch (KeyCode) {
    case platform::VK_ESCAPE:
        EndRequested = Runtime::True;
        break;
    case platform::VK_E:
        CamY -= 5;
        break;
    case platform::VK_R:
        CamY += 5;
        break;
    case platform::VK_UP:
        CamZ += 4 * std::cos(Heading);
        CamX += 4 * std::sin(Heading);
        break;
    case platform::VK_DOWN:
        CamZ -= 4 * std::cos(Heading);
        CamX -= 4 * std::sin(Heading);
        break;
    case platform::VK_LEFT:
        if (Shift == platform::ShiftMask) {
            CamZ += 2 * std::cos(Heading + Pi / 2);
            CamX += 2 * std::sin(Heading + Pi / 2);
        } else {
            CamYaw = WrapDegrees(CamYaw + 10, 360);
        }
        break;
    case platform::VK_RIGHT:
        if (Shift == platform::ShiftMask) {
            CamZ -= 2 * std::cos(Heading + Pi / 2);
            CamX -= 2 * std::sin(Heading + Pi / 2);
        } else {
            CamYaw = WrapDegrees(CamYaw - 10, 360);
        }
        break;
    case platform::VK_PRIOR:
        // Exactly 80 is the stop; from off-grid pitches the step wraps past it.
        if (CamPitch != 80) CamPitch = WrapDegrees(CamPitch + 10, 90);
        break;
    case platform::VK_NEXT:
        if (CamPitch != -80) CamPitch = WrapDegrees(CamPitch - 10, 90);
        break;
    default:
        break;
    }
}
