// The context's life: its ES objects, the ES state it relies on, and the
// calls that display lists compile, recorded or performed.
#include "gles/Context.h"

#include "gles/Error.h"

#include <GLES3/gl3.h>

#include <algorithm>
#include <string>

namespace gles {

namespace {

constexpr std::size_t StreamVertices = std::size_t{1} << 15;

std::array<float, 4> Floats(const std::array<double, 6>& v)
{
    return {static_cast<float>(v[0]), static_cast<float>(v[1]), static_cast<float>(v[2]), static_cast<float>(v[3])};
}

} // namespace

Context::Context()
{
    for (std::size_t i = 0; i < lights.size(); ++i) lights[i] = MakeDefaultLight(static_cast<int>(i));
    // The first variant now, so that a driver that cannot build the
    // shaders fails here rather than in the middle of a frame.
    variant = SelectVariant(false, -1, false);
    programs[variant] = BuildProgram(variant);
    glGenBuffers(1, &streamBuffer);
    glGenVertexArrays(1, &streamArray);
    streamCapacity = StreamVertices;
    glBindVertexArray(streamArray);
    boundArray = streamArray;
    glBindBuffer(GL_ARRAY_BUFFER, streamBuffer);
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(streamCapacity * sizeof(Vertex)), nullptr, GL_STREAM_DRAW);
    SetVertexLayout(false);
    primitive.reserve(64);
    batch.reserve(4096);
    ApplyEsState();
}

void Context::Release()
{
    for (auto& [id, list] : lists.All()) {
        glDeleteBuffers(1, &list.buffer);
        glDeleteVertexArrays(1, &list.vertexArray);
    }
    for (auto& [name, texture] : textures) glDeleteTextures(1, &texture.es);
    glDeleteBuffers(1, &streamBuffer);
    glDeleteVertexArrays(1, &streamArray);
    if (destinationTexture != 0) glDeleteTextures(1, &destinationTexture);
    for (Program& program : programs) DeleteProgram(program);
}

void Context::ApplyEsState()
{
    RebindEsState();
    dirty = DirtyAll;
    stale.fill(DirtyAll);
}

void Context::RebindEsState()
{
    glUseProgram(programs[variant].id);
    if (destinationTexture != 0) {
        glActiveTexture(GL_TEXTURE0 + DestinationUnit);
        glBindTexture(GL_TEXTURE_2D, destinationTexture);
    }
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, GetBoundTexture().es);
    glBindVertexArray(streamArray);
    boundArray = streamArray;
    SetEsCapability(GL_DEPTH_TEST, depthTest);
    SetEsCapability(GL_CULL_FACE, cullFace);
    ApplyEsBlend();
    SetEsCapability(GL_DITHER, dither);
    for (GLenum off : {GL_SCISSOR_TEST, GL_STENCIL_TEST, GL_POLYGON_OFFSET_FILL, GL_SAMPLE_ALPHA_TO_COVERAGE})
        glDisable(off);
    glCullFace(GL_BACK);
    glFrontFace(GL_CCW);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glBlendFunc(blendSource, blendDestination);
    glDepthFunc(depthFunc);
    glDepthMask(depthMask ? GL_TRUE : GL_FALSE);
    glClearColor(clearColor[0], clearColor[1], clearColor[2], clearColor[3]);
    if (viewportSet) glViewport(viewport[0], viewport[1], viewport[2], viewport[3]);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4); // uploads are always tight RGBA
}

void Context::RequireOutsidePrimitive(const char* call) const
{
    if (inPrimitive || recorder.InsidePrimitive()) Fail(std::string(call) + " between glBegin and glEnd");
}

void Context::Dispatch(const Op& op)
{
    if (recorder.Recording()) {
        RequireOutsidePrimitive(GetOpName(op.code));
        recorder.Record(op);
        return;
    }
    Execute(op);
}

void Context::Execute(const Op& op)
{
    RequireOutsidePrimitive(GetOpName(op.code));
    const auto& v = op.v;
    switch (op.code) {
    case OpCode::Enable:
    case OpCode::Disable:
        SetCapability(op.a, op.code == OpCode::Enable);
        break;
    case OpCode::BindTexture:
        BindTexture(op.a, op.b);
        break;
    case OpCode::Color:
        SetColor(Floats(v));
        break;
    case OpCode::Normal:
        SetNormal({static_cast<float>(v[0]), static_cast<float>(v[1]), static_cast<float>(v[2])});
        break;
    case OpCode::TexCoord:
        SetTexCoord({static_cast<float>(v[0]), static_cast<float>(v[1])});
        break;
    case OpCode::MatrixMode:
        SetMatrixMode(op.a);
        break;
    case OpCode::PushMatrix:
        GetCurrentStack().Push();
        break;
    case OpCode::PopMatrix:
        FlushBeforeMatrixChange();
        GetCurrentStack().Pop();
        break;
    case OpCode::LoadIdentity:
        FlushBeforeMatrixChange();
        GetCurrentStack().Top() = MakeIdentityMatrix();
        break;
    case OpCode::Rotate:
        FlushBeforeMatrixChange();
        Rotate(GetCurrentStack().Top(), v[0], v[1], v[2], v[3]);
        break;
    case OpCode::Translate:
        FlushBeforeMatrixChange();
        Translate(GetCurrentStack().Top(), v[0], v[1], v[2]);
        break;
    case OpCode::Frustum:
        SetFrustum(v);
        break;
    case OpCode::Viewport:
        SetViewport(static_cast<int>(v[0]), static_cast<int>(v[1]), static_cast<int>(v[2]), static_cast<int>(v[3]));
        break;
    case OpCode::Light: {
        const auto params = Floats(v);
        SetLight(op.a, op.b, params.data());
        break;
    }
    case OpCode::LightModel: {
        const auto params = Floats(v);
        SetLightModel(op.a, params.data());
        break;
    }
    case OpCode::ColorMaterial:
        SetColorMaterial(op.a, op.b);
        break;
    case OpCode::ShadeModel:
        SetShadeModel(op.a);
        break;
    case OpCode::BlendFunc:
        SetBlendFunc(op.a, op.b);
        break;
    case OpCode::DepthFunc:
        SetDepthFunc(op.a);
        break;
    case OpCode::DepthMask:
        SetDepthMask(op.a != 0);
        break;
    case OpCode::Hint:
        SetHint(op.a, op.b);
        break;
    case OpCode::TexParameter:
        SetTexParameter(op.a, op.b, static_cast<int>(op.c));
        break;
    case OpCode::TexEnv:
        SetTexEnv(op.a, op.b, static_cast<int>(op.c));
        break;
    case OpCode::Clear:
        Clear(op.a);
        break;
    case OpCode::ClearColor:
        SetClearColor(Floats(v));
        break;
    case OpCode::CallList:
        ReplayList(lists, op.a, *this);
        break;
    case OpCode::Draw:
        break; // runs reach DrawRun
    }
}

} // namespace gles
