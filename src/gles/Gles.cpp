// The context functions, and the table whose entries forward each call to
// the current context, recording it instead while a list is compiling.
#include "gles/Gles.h"

#include "gles/Context.h"

#include <GLES3/gl3.h>

#include <algorithm>
#include <memory>

namespace gles {

namespace {

Context* current = nullptr;
int errorCheckInterval = 1;
int flushesSinceCheck = 0;

// Forgets errors made before the renderer took the ES context over, so that
// Flush reports only those made since.
void DrainEsErrors()
{
    for (int k = 0; k < 16 && glGetError() != GL_NO_ERROR; ++k) {}
}

Context& Current()
{
    if (current == nullptr) Fail("a GL call with no current context");
    return *current;
}

void Dispatch(const Op& op)
{
    Current().Dispatch(op);
}

void Begin(unsigned mode)
{
    Current().Begin(mode);
}

void End()
{
    Current().End();
}

void Vertex3f(float x, float y, float z)
{
    Current().AddVertex(x, y, z);
}

void Normal3f(float x, float y, float z)
{
    Current().SetNormal({x, y, z});
}

void TexCoord2f(float s, float t)
{
    Current().SetTexCoord({s, t});
}

void TexCoord2d(double s, double t)
{
    Current().SetTexCoord({static_cast<float>(s), static_cast<float>(t)});
}

void Color3f(float r, float g, float b)
{
    Current().SetColor({r, g, b, 1});
}

void Color4f(float r, float g, float b, float a)
{
    Current().SetColor({r, g, b, a});
}

unsigned GenLists(int range)
{
    return Current().GenLists(range);
}

void NewList(unsigned list, unsigned mode)
{
    Current().NewList(list, mode);
}

void EndList()
{
    Current().EndList();
}

void CallList(unsigned list)
{
    Dispatch({OpCode::CallList, list});
}

void MatrixMode(unsigned mode)
{
    Dispatch({OpCode::MatrixMode, mode});
}

void PushMatrix()
{
    Dispatch({OpCode::PushMatrix});
}

void PopMatrix()
{
    Dispatch({OpCode::PopMatrix});
}

void LoadIdentity()
{
    Dispatch({OpCode::LoadIdentity});
}

void Rotated(double angle, double x, double y, double z)
{
    Dispatch({OpCode::Rotate, 0, 0, 0, {angle, x, y, z}});
}

void Translated(double x, double y, double z)
{
    Dispatch({OpCode::Translate, 0, 0, 0, {x, y, z}});
}

void Frustum(double left, double right, double bottom, double top, double zNear, double zFar)
{
    Dispatch({OpCode::Frustum, 0, 0, 0, {left, right, bottom, top, zNear, zFar}});
}

void Viewport(int x, int y, int width, int height)
{
    Dispatch({OpCode::Viewport, 0, 0, 0, {double(x), double(y), double(width), double(height)}});
}

void Enable(unsigned cap)
{
    Dispatch({OpCode::Enable, cap});
}

void Disable(unsigned cap)
{
    Dispatch({OpCode::Disable, cap});
}

void Lightfv(unsigned light, unsigned pname, const float* params)
{
    Op op{OpCode::Light, light, pname};
    for (int k = 0; k < CountLightParameters(pname); ++k) op.v[static_cast<std::size_t>(k)] = params[k];
    Dispatch(op);
}

void LightModelfv(unsigned pname, const float* params)
{
    Op op{OpCode::LightModel, pname};
    for (int k = 0; k < CountLightModelParameters(pname); ++k) op.v[static_cast<std::size_t>(k)] = params[k];
    Dispatch(op);
}

void ColorMaterial(unsigned face, unsigned mode)
{
    Dispatch({OpCode::ColorMaterial, face, mode});
}

void ShadeModel(unsigned mode)
{
    Dispatch({OpCode::ShadeModel, mode});
}

void BlendFunc(unsigned sfactor, unsigned dfactor)
{
    Dispatch({OpCode::BlendFunc, sfactor, dfactor});
}

void DepthFunc(unsigned func)
{
    Dispatch({OpCode::DepthFunc, func});
}

void DepthMask(unsigned char flag)
{
    Dispatch({OpCode::DepthMask, flag});
}

void Hint(unsigned target, unsigned mode)
{
    Dispatch({OpCode::Hint, target, mode});
}

void GenTextures(int n, unsigned* textures)
{
    Current().GenTextures(n, textures);
}

void BindTexture(unsigned target, unsigned texture)
{
    Dispatch({OpCode::BindTexture, target, texture});
}

void TexImage2D(unsigned target, int level, int internalFormat, int width, int height, int border, unsigned format,
                unsigned type, const void* pixels)
{
    Current().TexImage2D(target, level, internalFormat, width, height, border, format, type, pixels);
}

void TexParameteri(unsigned target, unsigned pname, int param)
{
    Dispatch({OpCode::TexParameter, target, pname, static_cast<unsigned>(param)});
}

void TexEnvi(unsigned target, unsigned pname, int param)
{
    Dispatch({OpCode::TexEnv, target, pname, static_cast<unsigned>(param)});
}

void PixelStorei(unsigned pname, int param)
{
    Current().PixelStore(pname, param);
}

int Build2DMipmaps(unsigned target, int components, int width, int height, unsigned format, unsigned type,
                   const void* data)
{
    return Current().Build2DMipmaps(target, components, width, height, format, type, data);
}

void Clear(unsigned mask)
{
    Dispatch({OpCode::Clear, mask});
}

void ClearColor(float r, float g, float b, float a)
{
    Dispatch({OpCode::ClearColor, 0, 0, 0, {r, g, b, a}});
}

} // namespace

Context* CreateContext()
{
    DrainEsErrors();
    return new Context();
}

void MakeCurrent(Context* context)
{
    if (context == current) return;
    if (current != nullptr) current->DrawBatch();
    current = context;
    if (current != nullptr) {
        DrainEsErrors();
        current->ApplyEsState();
    }
}

void DeleteContext(Context* context)
{
    if (context == nullptr) return;
    const std::unique_ptr<Context> owned(context);
    if (context == current) {
        current = nullptr;
        context->Release();
    }
}

void Flush()
{
    if (current == nullptr) return;
    Context& context = *current;
    context.DrawBatch();
    if (context.streamOffset > 0) {
        // Next frame's vertices go to a fresh store, not one still being read.
        glBindBuffer(GL_ARRAY_BUFFER, context.streamBuffer);
        glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(context.streamCapacity * sizeof(Vertex)), nullptr,
                     GL_STREAM_DRAW);
        context.streamOffset = 0;
    }
    if (errorCheckInterval == 0 || ++flushesSinceCheck < errorCheckInterval) return;
    CheckErrors();
}

void CheckErrors()
{
    flushesSinceCheck = 0;
    if (const GLenum error = glGetError(); error != GL_NO_ERROR)
        Fail("the ES context reported error " + FormatEnum(error) + " since the last check");
}

std::array<float, 4> ClearColour()
{
    return Current().clearColor;
}

void RestoreEsState()
{
    Current().RebindEsState();
}

bool EmulateMesaBlending(bool on)
{
    Context& context = Current();
    context.RequireOutsidePrimitive("EmulateMesaBlending");
    if (on) {
        GLint red = 0, green = 0, blue = 0, sampleBuffers = 0;
        glGetIntegerv(GL_RED_BITS, &red);
        glGetIntegerv(GL_GREEN_BITS, &green);
        glGetIntegerv(GL_BLUE_BITS, &blue);
        glGetIntegerv(GL_SAMPLE_BUFFERS, &sampleBuffers);
        on = red == 5 && green == 6 && blue == 5 && sampleBuffers == 0;
    }
    if (on == context.mesaBlending) return on;
    context.FlushBeforeChange(DirtyFragment);
    context.mesaBlending = on;
    if (on && context.destinationTexture == 0) {
        glGenTextures(1, &context.destinationTexture);
        glActiveTexture(GL_TEXTURE0 + DestinationUnit);
        glBindTexture(GL_TEXTURE_2D, context.destinationTexture);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
        glActiveTexture(GL_TEXTURE0);
        glGetIntegerv(GL_VIEWPORT, context.defaultViewport.data());
        // Complete from the start: every variant of the mode samples it.
        const auto& v = context.defaultViewport;
        context.CopyDestination({0, 0, std::max(1, v[0] + v[2]), std::max(1, v[1] + v[3])});
    }
    context.ApplyEsBlend();
    return on;
}

void CheckErrorsEvery(int flushes)
{
    errorCheckInterval = flushes < 0 ? 1 : flushes;
    flushesSinceCheck = 0;
}

glapi::Gl11 Table()
{
    glapi::Gl11 gl{};
    // gl.Begin = Begin, ..., gl.Build2DMipmaps = Build2DMipmaps.
#define GL11_ENTRY(prefix, result, Name, parameters) gl.Name = Name;
#include "glapi/Entries.h"
#undef GL11_ENTRY
    return gl;
}

} // namespace gles
