// The key handler under any sequence of keys and modifier states, from any
// camera in range: the yaw stays in (-360, 360), the pitch in (-90, 90), the
// position finite; one key moves the eye at most 4 units, keys without a row
// change nothing, and only Escape touches the end flag.
#include "gl/BasicGL.h"
#include "platform/ShowKeys.h"
#include "window/glTemplate.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>

namespace {

using namespace BasicGL;

[[noreturn]] void Fail(const char* what, int key, int shift)
{
    std::fprintf(stderr, "fuzz_keys: %s after key %d with shift %d: x %g y %g z %g yaw %g pitch %g\n", what, key, shift,
                 CamX, CamY, CamZ, CamYaw, CamPitch);
    std::abort();
}

// Takes n bytes from the input as a little-endian number (zeros past the end).
std::int64_t Take(const std::uint8_t*& data, std::size_t& size, int n)
{
    std::uint64_t value = 0;
    for (int i = 0; i < n; ++i) {
        const std::uint64_t byte = size > 0 ? *data : 0;
        if (size > 0) ++data, --size;
        value |= byte << (8 * i);
    }
    return static_cast<std::int64_t>(value << (64 - 8 * n)) >> (64 - 8 * n); // sign-extended
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static glTemplate show;
    show.EndRequested = 0;

    // A starting camera in range, off the 10-degree grid as often as on it.
    CamYaw = std::fmod(static_cast<double>(Take(data, size, 4)) / 64, 360);
    CamPitch = std::fmod(static_cast<double>(Take(data, size, 4)) / 64, 90);
    CamX = static_cast<double>(Take(data, size, 3)) / 16;
    CamY = static_cast<double>(Take(data, size, 3)) / 16;
    CamZ = static_cast<double>(Take(data, size, 3)) / 16;

    while (size > 0) {
        const auto pick = static_cast<std::uint8_t>(Take(data, size, 1));
        // Mostly the named keys, the show's own and ignored ones; otherwise any code at all.
        const auto key = pick < 200 ? platform::NamedKeys[pick % std::size(platform::NamedKeys)].code
                                    : static_cast<std::int16_t>(Take(data, size, 2));
        const platform::KeyEffect effect = platform::EffectOf(key);
        const auto shift = static_cast<std::int16_t>(pick & 1 ? Take(data, size, 1) & 7 : Take(data, size, 2));

        const double x = CamX, y = CamY, z = CamZ, yaw = CamYaw, pitch = CamPitch;
        const Runtime::Boolean end = show.EndRequested;
        show.Form_KeyDown(key, shift);

        for (double v : {CamX, CamY, CamZ, CamYaw, CamPitch})
            if (!std::isfinite(v)) Fail("a camera value is not finite", key, shift);
        if (!(CamYaw > -360 && CamYaw < 360)) Fail("yaw out of (-360, 360)", key, shift);
        if (!(CamPitch > -90 && CamPitch < 90)) Fail("pitch out of (-90, 90)", key, shift);
        if (std::hypot(CamX - x, CamZ - z) > 4 + 1e-9 || std::fabs(CamY - y) > 5)
            Fail("the eye moved too far", key, shift);
        if (effect == platform::KeyEffect::None &&
            (CamX != x || CamY != y || CamZ != z || CamYaw != yaw || CamPitch != pitch))
            Fail("a key without a row changed the camera", key, shift);
        if (show.EndRequested != (effect == platform::KeyEffect::End ? Runtime::True : end))
            Fail("the end flag changed without Escape, or Escape did not set it", key, shift);
        if ((effect == platform::KeyEffect::TiltUp && pitch == 80) ||
            (effect == platform::KeyEffect::TiltDown && pitch == -80))
            if (CamPitch != pitch) Fail("the pitch moved past its stop", key, shift);
    }
    return 0;
}
