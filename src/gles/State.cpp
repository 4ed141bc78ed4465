// State changes: each draws what was batched under the old state first, then
// marks what the next draw must upload or sets the ES state that stands
// for it.
#include "gles/Context.h"

#include "gles/Error.h"

#include <GLES3/gl3.h>

#include <algorithm>
#include <string>

namespace gles {

namespace {

bool IsBlendFactor(unsigned f, bool source)
{
    switch (f) {
    case glenum::Zero:
    case glenum::One:
    case glenum::SrcAlpha:
    case glenum::OneMinusSrcAlpha:
    case glenum::DstAlpha:
    case glenum::OneMinusDstAlpha:
        return true;
    case glenum::DstColor:
    case glenum::OneMinusDstColor:
    case glenum::SrcAlphaSaturate:
        return source;
    case glenum::SrcColor:
    case glenum::OneMinusSrcColor:
        return !source;
    default:
        return false;
    }
}

} // namespace

void SetEsCapability(unsigned cap, bool on)
{
    if (on)
        glEnable(cap);
    else
        glDisable(cap);
}

void Context::FlushBeforeChange(unsigned bits)
{
    DrawBatch();
    dirty |= bits;
}

void Context::SetMatrixMode(unsigned mode)
{
    if (mode != glenum::Modelview && mode != glenum::Projection && mode != glenum::Texture)
        FailUnsupported("glMatrixMode", mode);
    matrixMode = mode;
}

MatrixStack& Context::GetCurrentStack()
{
    return matrixMode == glenum::Modelview ? modelview : matrixMode == glenum::Projection ? projection : textureMatrix;
}

void Context::FlushBeforeMatrixChange()
{
    // The texture matrix also decides whether fragments divide by q.
    FlushBeforeChange(matrixMode == glenum::Texture ? DirtyTransform | DirtyFragment : DirtyTransform);
}

void Context::SetFrustum(const std::array<double, 6>& p)
{
    if (p[0] == p[1] || p[2] == p[3] || p[4] <= 0 || p[5] <= 0 || p[4] == p[5])
        Fail("glFrustum(" + std::to_string(p[0]) + ", " + std::to_string(p[1]) + ", " + std::to_string(p[2]) + ", " +
             std::to_string(p[3]) + ", " + std::to_string(p[4]) + ", " + std::to_string(p[5]) +
             "): the planes make no frustum");
    FlushBeforeMatrixChange();
    MultiplyFrustum(GetCurrentStack().Top(), p[0], p[1], p[2], p[3], p[4], p[5]);
}

void Context::SetViewport(int x, int y, int width, int height)
{
    if (width < 0 || height < 0)
        Fail("glViewport with a negative size " + std::to_string(width) + " x " + std::to_string(height));
    const std::array<int, 4> wanted{x, y, width, height};
    if (viewportSet && viewport == wanted) return;
    FlushBeforeChange(0);
    viewport = wanted;
    viewportSet = true;
    glViewport(x, y, width, height);
}

StoreMode Context::GetStoreMode() const
{
    if (!mesaBlending) return StoreByEs;
    if (!blend) return StoreReplace;
    if (blendSource == glenum::One && blendDestination == glenum::Zero) return StoreReplace;
    if (blendSource == glenum::One && blendDestination == glenum::One) return StoreAdd;
    if (blendSource == glenum::SrcAlpha && blendDestination == glenum::OneMinusSrcAlpha) return StoreLerp;
    return StoreByEs; // the other factors blend as the ES context does
}

void Context::ApplyEsBlend()
{
    SetEsCapability(GL_BLEND, blend && GetStoreMode() == StoreByEs);
}

unsigned Context::GetTrackedProperties() const
{
    return colorMaterial ? GetColorMaterialProperties(colorMaterialFace, colorMaterialMode) : 0;
}

void Context::SetCapability(unsigned cap, bool on)
{
    const auto change = [&](bool& field, unsigned bits) {
        if (field == on) return false;
        FlushBeforeChange(bits);
        field = on;
        return true;
    };
    switch (cap) {
    case glenum::Lighting:
        change(lighting, DirtyLighting);
        break;
    case glenum::Normalize:
        change(normalize, DirtyLighting);
        break;
    case glenum::ColorMaterial: {
        // Tracking leaves the material holding the colour it last tracked.
        const Material tracked = TrackColor(material, GetTrackedProperties(), current.color);
        if (change(colorMaterial, DirtyLighting)) material = tracked;
        break;
    }
    case glenum::Texture2D:
        change(texture2D, DirtyFragment);
        break;
    case glenum::DepthTest:
        if (change(depthTest, 0)) SetEsCapability(GL_DEPTH_TEST, on);
        break;
    case glenum::CullFace:
        if (change(cullFace, 0)) SetEsCapability(GL_CULL_FACE, on);
        break;
    case glenum::Blend:
        // Under Mesa's store the variant knows whether fragments blend.
        if (change(blend, mesaBlending ? unsigned{DirtyFragment} : 0u)) ApplyEsBlend();
        break;
    case glenum::Dither:
        if (change(dither, 0)) SetEsCapability(GL_DITHER, on);
        break;
    default:
        if (cap < glenum::Light0 || cap > glenum::Light7) FailUnsupported(on ? "glEnable" : "glDisable", cap);
        change(lights[cap - glenum::Light0].enabled, DirtyLighting);
    }
}

void Context::SetLight(unsigned light, unsigned pname, const float* params)
{
    if (light < glenum::Light0 || light > glenum::Light7) FailUnsupported("glLightfv", light);
    Light& target = lights[light - glenum::Light0];
    Light changed = target;
    SetLightParameter(changed, pname, params, modelview.Top());
    if (changed == target) return;
    FlushBeforeChange(DirtyLighting);
    target = changed;
}

void Context::SetLightModel(unsigned pname, const float* params)
{
    LightModel changed = lightModel;
    SetLightModelParameter(changed, pname, params);
    if (changed == lightModel) return;
    FlushBeforeChange(DirtyLighting);
    lightModel = changed;
}

void Context::SetColorMaterial(unsigned face, unsigned mode)
{
    GetColorMaterialProperties(face, mode); // rejects what the subset lacks
    if (face == colorMaterialFace && mode == colorMaterialMode) return;
    FlushBeforeChange(DirtyLighting);
    material = TrackColor(material, GetTrackedProperties(), current.color);
    colorMaterialFace = face;
    colorMaterialMode = mode;
}

void Context::SetShadeModel(unsigned mode)
{
    if (mode != glenum::Flat && mode != glenum::Smooth) FailUnsupported("glShadeModel", mode);
    if (mode == shadeModel) return;
    FlushBeforeChange(DirtyFragment);
    shadeModel = mode;
}

void Context::SetBlendFunc(unsigned source, unsigned destination)
{
    if (!IsBlendFactor(source, true)) FailUnsupported("glBlendFunc", source);
    if (!IsBlendFactor(destination, false)) FailUnsupported("glBlendFunc", destination);
    if (source == blendSource && destination == blendDestination) return;
    FlushBeforeChange(mesaBlending ? unsigned{DirtyFragment} : 0u);
    blendSource = source;
    blendDestination = destination;
    glBlendFunc(source, destination);
    if (mesaBlending) ApplyEsBlend();
}

void Context::SetDepthFunc(unsigned func)
{
    if (func < glenum::Never || func > glenum::Always) FailUnsupported("glDepthFunc", func);
    if (func == depthFunc) return;
    FlushBeforeChange(0);
    depthFunc = func;
    glDepthFunc(func);
}

void Context::SetDepthMask(bool on)
{
    if (on == depthMask) return;
    FlushBeforeChange(0);
    depthMask = on;
    glDepthMask(on ? GL_TRUE : GL_FALSE);
}

void Context::SetHint(unsigned target, unsigned mode)
{
    // Every hint is accepted and none changes a pixel: colours and texture
    // coordinates are always interpolated with perspective, as Mesa does.
    if (target < glenum::PerspectiveCorrectionHint || target > glenum::FogHint) FailUnsupported("glHint", target);
    if (mode < glenum::DontCare || mode > glenum::Nicest) FailUnsupported("glHint", mode);
}

void Context::Clear(unsigned mask)
{
    if (mask & ~(glenum::ColorBufferBit | glenum::DepthBufferBit | glenum::StencilBufferBit))
        FailUnsupported("glClear", mask);
    FlushBeforeChange(0);
    glClear(mask);
}

void Context::SetClearColor(const std::array<float, 4>& color)
{
    std::array<float, 4> clamped;
    for (std::size_t k = 0; k < 4; ++k) clamped[k] = std::clamp(color[k], 0.0f, 1.0f);
    if (clamped == clearColor) return;
    clearColor = clamped;
    glClearColor(clamped[0], clamped[1], clamped[2], clamped[3]);
}

} // namespace gles
