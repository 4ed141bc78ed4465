// Geometry: immediate mode batched into one streaming vertex buffer, display
// lists compiled into vertex buffers of their own, and the uniforms each
// draw needs uploaded only when the state behind them changed.
#include "gles/Context.h"

#include "gles/Coverage.h"

#include "gles/Error.h"
#include "gles/Primitives.h"

#include <GLES3/gl3.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <string>

namespace gles {

namespace {

void Pointer(unsigned location, int size, GLenum type, std::size_t offset)
{
    glEnableVertexAttribArray(location);
    glVertexAttribPointer(location, size, type, GL_FALSE, sizeof(Vertex), reinterpret_cast<const void*>(offset));
}

int ShaderEnv(unsigned env)
{
    switch (env) {
    case glenum::Replace:
        return EnvReplace;
    case glenum::Decal:
        return EnvDecal;
    case glenum::Blend:
        return EnvBlend;
    default:
        return EnvModulate;
    }
}

} // namespace

void SetVertexLayout(bool inherit)
{
    Pointer(PositionLocation, 3, GL_FLOAT, offsetof(Vertex, position));
    Pointer(NormalLocation, 3, GL_FLOAT, offsetof(Vertex, normal));
    Pointer(ColorLocation, 4, GL_FLOAT, offsetof(Vertex, color));
    Pointer(TexCoordLocation, 2, GL_FLOAT, offsetof(Vertex, texCoord));
    if (inherit) Pointer(InheritLocation, 3, GL_UNSIGNED_BYTE, offsetof(Vertex, inherit));
}

void Context::Begin(unsigned mode)
{
    if (!IsFilledPrimitive(mode)) FailUnsupported("glBegin", mode);
    RequireOutsidePrimitive("glBegin");
    if (recorder.Recording()) {
        recorder.Begin(mode);
        return;
    }
    inPrimitive = true;
    primitiveMode = mode;
    primitive.clear();
}

void Context::End()
{
    if (recorder.Recording()) {
        if (!recorder.InsidePrimitive()) Fail("glEnd without glBegin");
        recorder.End();
        return;
    }
    if (!inPrimitive) Fail("glEnd without glBegin");
    inPrimitive = false;
    // Lists always split along v1-v3; immediate quads depend on the shading.
    const QuadSplit split = shadeModel == glenum::Smooth ? QuadSplit::AlongV0V2 : QuadSplit::AlongV1V3;
    const std::size_t before = batch.size();
    AppendPrimitive(primitiveMode, split, primitive, batch);
    // Only Mesa's store splits a draw into its pieces; turning it on or off
    // draws the batch first, so a batch is all kept this way or none of it.
    if (!mesaBlending || batch.size() == before) return;
    AppendPieceEnds(primitiveMode, before, batch.size() - before, batchEnds);
    for (const Vertex& v : primitive) batchLeastAlpha = std::min(batchLeastAlpha, v.color[3]);
}

void Context::AddVertex(float x, float y, float z)
{
    if (recorder.Recording()) {
        if (!recorder.InsidePrimitive()) Fail("glVertex outside glBegin and glEnd");
        recorder.AddVertex(x, y, z);
        return;
    }
    if (!inPrimitive) Fail("glVertex outside glBegin and glEnd");
    primitive.push_back(Vertex{{x, y, z}, current.normal, current.color, current.texCoord, {}});
}

// While a list compiles, attributes go into it and the current ones stay.
void Context::SetColor(const std::array<float, 4>& color)
{
    if (recorder.Recording()) {
        recorder.SetColor(color);
        return;
    }
    current.color = color;
    dirty |= DirtyCurrent;
}

void Context::SetNormal(const std::array<float, 3>& normal)
{
    if (recorder.Recording()) {
        recorder.SetNormal(normal);
        return;
    }
    current.normal = normal;
    dirty |= DirtyCurrent;
}

void Context::SetTexCoord(const std::array<float, 2>& texCoord)
{
    if (recorder.Recording()) {
        recorder.SetTexCoord(texCoord);
        return;
    }
    current.texCoord = texCoord;
    dirty |= DirtyCurrent;
}

unsigned Context::GenLists(int range)
{
    RequireOutsidePrimitive("glGenLists");
    return lists.Generate(range);
}

void Context::NewList(unsigned id, unsigned mode)
{
    RequireOutsidePrimitive("glNewList");
    if (recorder.Recording())
        Fail("glNewList(" + std::to_string(id) + ") while list " + std::to_string(recorder.Id()) + " is compiling");
    if (id == 0) Fail("glNewList(0): list names start at 1");
    if (mode != glenum::Compile) FailUnsupported("glNewList", mode);
    recorder.Start(id);
}

void Context::EndList()
{
    if (!recorder.Recording()) Fail("glEndList without glNewList");
    RequireOutsidePrimitive("glEndList");
    const unsigned id = recorder.Id();
    DisplayList list = recorder.Finish();
    if (DisplayList* old = lists.Find(id)) {
        glDeleteBuffers(1, &old->buffer);
        glDeleteVertexArrays(1, &old->vertexArray);
    }
    UploadList(list);
    lists.Store(id, std::move(list));
}

void Context::UploadList(DisplayList& list)
{
    if (list.vertices.empty()) return;
    glGenBuffers(1, &list.buffer);
    glGenVertexArrays(1, &list.vertexArray);
    BindVertexArray(list.vertexArray);
    glBindBuffer(GL_ARRAY_BUFFER, list.buffer);
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(list.vertices.size() * sizeof(Vertex)), list.vertices.data(),
                 GL_STATIC_DRAW);
    SetVertexLayout(true);
}

void Context::DrawRun(DisplayList& list, const Run& run)
{
    RequireOutsidePrimitive("glCallList");
    DrawBatch();
    if (run.count > 0) {
        PrepareDraw(true);
        BindVertexArray(list.vertexArray);
        DrawTriangles(list.vertices.data(), 0, run.first, run.count, run.ends, run.leastAlpha, run.inheritsColor);
    }
    if (run.sets & AttributeColor) current.color = run.last.color;
    if (run.sets & AttributeNormal) current.normal = run.last.normal;
    if (run.sets & AttributeTexCoord) current.texCoord = run.last.texCoord;
    if (run.sets) dirty |= DirtyCurrent;
}

void Context::DrawBatch()
{
    if (batch.empty()) return;
    PrepareDraw(false);
    BindVertexArray(streamArray);
    glBindBuffer(GL_ARRAY_BUFFER, streamBuffer);
    const std::size_t count = batch.size();
    if (streamOffset + count > streamCapacity) {
        // A fresh store: the draws still reading the old one keep it.
        if (count > streamCapacity) streamCapacity = std::max(count, 2 * streamCapacity);
        glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(streamCapacity * sizeof(Vertex)), nullptr,
                     GL_STREAM_DRAW);
        streamOffset = 0;
    }
    glBufferSubData(GL_ARRAY_BUFFER, static_cast<GLintptr>(streamOffset * sizeof(Vertex)),
                    static_cast<GLsizeiptr>(count * sizeof(Vertex)), batch.data());
    DrawTriangles(batch.data(), streamOffset, streamOffset, count, batchEnds, batchLeastAlpha, false);
    streamOffset += count;
    batch.clear();
    batchEnds.clear();
    batchLeastAlpha = 1;
}

bool Context::MayBeTranslucent(float leastAlpha, bool inheritsColor) const
{
    float alpha = inheritsColor ? std::min(leastAlpha, current.color[3]) : leastAlpha;
    // Lit, the alpha is the diffuse material's, the colour if it tracks it.
    if (lighting && (GetTrackedProperties() & MaterialDiffuse) == 0) alpha = material.diffuse[3];
    if (alpha < 1) return true;
    // GL_DECAL keeps the fragment's alpha; the others take the texture's.
    const auto texture = textures.find(boundTexture);
    return texture2D && textureEnv != glenum::Decal && texture != textures.end() && IsComplete(texture->second) &&
           HasAlpha(texture->second);
}

void Context::DrawTriangles(const Vertex* vertices, std::size_t offset, std::size_t first, std::size_t count,
                            const std::vector<std::size_t>& ends, float leastAlpha, bool inheritsColor)
{
    const StoreMode store = GetStoreMode();
    const bool reads = store == StoreAdd || (store == StoreLerp && MayBeTranslucent(leastAlpha, inheritsColor));
    Program& program = programs[variant];
    if (store != StoreByEs && program.readingDestination != (reads ? 1 : 0)) {
        program.readingDestination = reads ? 1 : 0;
        glUniform1i(program.readDestination, program.readingDestination);
    }
    if (!reads) {
        glDrawArrays(GL_TRIANGLES, static_cast<GLint>(first), static_cast<GLsizei>(count));
        return;
    }
    // Each fragment reads what lay under it before the draw, so pieces whose
    // rectangles overlap go in separate draws, each after a fresh copy.
    const Matrix mvp = MultiplyMatrices(projection.Top(), modelview.Top());
    const std::array<int, 4> area = viewportSet ? viewport : defaultViewport;
    const std::array<int, 4> screen{area[0], area[1], area[0] + area[2], area[1] + area[3]};
    constexpr std::size_t MostPerDraw = 32;
    groupBoxes.clear();
    std::array<int, 4> all{};
    std::size_t drawFrom = first;
    const auto draw = [&](std::size_t to) {
        if (to == drawFrom) return;
        if (groupBoxes.empty()) { // out of view, all of it
            drawFrom = to;
            return;
        }
        CopyDestination(all);
        glDrawArrays(GL_TRIANGLES, static_cast<GLint>(drawFrom), static_cast<GLsizei>(to - drawFrom));
        drawFrom = to;
        groupBoxes.clear();
    };
    std::size_t start = first - offset; // into vertices
    const std::size_t last = first - offset + count;
    for (std::size_t end : ends) {
        if (end <= start) continue;
        if (end > last) break;
        const std::array<int, 4> box = MeasurePiece(mvp, screen, vertices + start, end - start);
        if (box[0] < box[2] && box[1] < box[3]) {
            const bool overlaps = std::any_of(groupBoxes.begin(), groupBoxes.end(), [&](const std::array<int, 4>& b) {
                return box[0] < b[2] && b[0] < box[2] && box[1] < b[3] && b[1] < box[3];
            });
            if (overlaps || groupBoxes.size() == MostPerDraw) draw(start + offset);
            all = groupBoxes.empty() ? box
                                     : std::array<int, 4>{std::min(all[0], box[0]), std::min(all[1], box[1]),
                                                          std::max(all[2], box[2]), std::max(all[3], box[3])};
            groupBoxes.push_back(box);
        }
        start = end;
    }
    draw(first + count);
}

void Context::CopyDestination(const std::array<int, 4>& box)
{
    glActiveTexture(GL_TEXTURE0 + DestinationUnit);
    if (box[2] > destinationWidth || box[3] > destinationHeight) {
        destinationWidth = std::max(destinationWidth, box[2]);
        destinationHeight = std::max(destinationHeight, box[3]);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB565, destinationWidth, destinationHeight, 0, GL_RGB,
                     GL_UNSIGNED_SHORT_5_6_5, nullptr);
    }
    glCopyTexSubImage2D(GL_TEXTURE_2D, 0, box[0], box[1], box[0], box[1], box[2] - box[0], box[3] - box[1]);
    glActiveTexture(GL_TEXTURE0);
}

void Context::BindVertexArray(unsigned array)
{
    if (array == boundArray) return;
    glBindVertexArray(array);
    boundArray = array;
}

void Context::PrepareDraw(bool forList)
{
    if (dirty & DirtyFragment) {
        const bool texturing = texture2D && IsComplete(GetBoundTexture());
        // q = m[3] s + m[7] t + m[15], r being 0.
        const Matrix& m = textureMatrix.Top();
        const bool projective = m[3] != 0 || m[7] != 0 || m[15] != 1;
        UseVariant(SelectVariant(shadeModel == glenum::Flat, texturing ? ShaderEnv(textureEnv) : -1, projective,
                                 GetStoreMode() != StoreByEs));
    }
    if (dirty & DirtyTransform) UploadTransform();
    if (dirty & DirtyLighting) UploadLighting();
    if (dirty & DirtyFragment) UploadFragment();
    // Only list vertices read the current attributes.
    const unsigned uploaded = forList ? dirty : dirty & ~static_cast<unsigned>(DirtyCurrent);
    if (forList && (dirty & DirtyCurrent)) UploadCurrent();
    for (unsigned k = 0; k < VariantCount; ++k)
        if (k != variant) stale[k] |= uploaded;
    dirty &= ~uploaded;
}

void Context::UseVariant(unsigned next)
{
    if (next == variant) return;
    Program& program = programs[next];
    if (program.id == 0) {
        program = BuildProgram(next);
        stale[next] = DirtyAll;
    } else {
        glUseProgram(program.id);
    }
    // The old variant has yet to see what is pending; the new one also what
    // changed while it was out of use.
    stale[variant] |= dirty;
    dirty |= stale[next];
    stale[next] = 0;
    variant = next;
}

void Context::UploadTransform()
{
    const Program& program = programs[variant];
    const Matrix& m = modelview.Top();
    const Matrix mvp = MultiplyMatrices(projection.Top(), m);
    const Matrix3 normals = ComputeNormalMatrix(m);
    glUniformMatrix4fv(program.modelviewProjection, 1, GL_FALSE, mvp.data());
    glUniformMatrix4fv(program.modelview, 1, GL_FALSE, m.data());
    glUniformMatrix3fv(program.normalMatrix, 1, GL_FALSE, normals.data());
    glUniformMatrix4fv(program.textureMatrix, 1, GL_FALSE, textureMatrix.Top().data());
}

void Context::UploadLighting()
{
    const Program& program = programs[variant];
    glUniform1i(program.lighting, lighting ? 1 : 0);
    if (!lighting) return; // all of it goes up again when lighting comes on
    glUniform1i(program.normalize, normalize ? 1 : 0);
    int count = 0;
    for (const Light& light : lights) {
        if (!light.enabled) continue;
        const std::size_t k = static_cast<std::size_t>(count++);
        const Vec4 position = PrepareLightPosition(light);
        std::copy(position.begin(), position.end(), packedPosition.begin() + static_cast<std::ptrdiff_t>(4 * k));
        for (std::size_t c = 0; c < 3; ++c) {
            packedAmbient[3 * k + c] = light.ambient[c];
            packedDiffuse[3 * k + c] = light.diffuse[c];
            packedSpecular[3 * k + c] = light.specular[c];
            packedAttenuation[3 * k + c] = light.attenuation[c];
            packedSpot[3 * k + c] = light.spotDirection[c];
        }
        packedExponent[k] = light.spotExponent;
        packedCosine[k] = ComputeSpotCosine(light);
    }
    glUniform1i(program.lightCount, count);
    if (count > 0) {
        glUniform4fv(program.lightPosition, count, packedPosition.data());
        glUniform3fv(program.lightAmbient, count, packedAmbient.data());
        glUniform3fv(program.lightDiffuse, count, packedDiffuse.data());
        glUniform3fv(program.lightSpecular, count, packedSpecular.data());
        glUniform3fv(program.lightAttenuation, count, packedAttenuation.data());
        glUniform3fv(program.spotDirection, count, packedSpot.data());
        glUniform1fv(program.spotExponent, count, packedExponent.data());
        glUniform1fv(program.spotCosine, count, packedCosine.data());
    }
    glUniform4fv(program.materialAmbient, 1, material.ambient.data());
    glUniform4fv(program.materialDiffuse, 1, material.diffuse.data());
    glUniform4fv(program.materialSpecular, 1, material.specular.data());
    glUniform4fv(program.materialEmission, 1, material.emission.data());
    glUniform1f(program.materialShininess, material.shininess);
    glUniform1i(program.colorMaterial, static_cast<GLint>(GetTrackedProperties()));
    glUniform4fv(program.lightModelAmbient, 1, lightModel.ambient.data());
    glUniform1i(program.localViewer, lightModel.localViewer ? 1 : 0);
}

void Context::UploadFragment()
{
    const Program& program = programs[variant];
    glUniform1i(program.textureHasAlpha, HasAlpha(GetBoundTexture()) ? 1 : 0);
    if (program.storeMode >= 0) glUniform1i(program.storeMode, GetStoreMode());
}

void Context::UploadCurrent()
{
    const Program& program = programs[variant];
    glUniform4fv(program.currentColor, 1, current.color.data());
    glUniform3fv(program.currentNormal, 1, current.normal.data());
    glUniform2fv(program.currentTexCoord, 1, current.texCoord.data());
}

} // namespace gles
