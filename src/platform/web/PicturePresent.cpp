#include "platform/web/PicturePresent.h"

#include "gles/Gles.h"

#include <GLES3/gl3.h>

#include <string>

namespace platform::web {

namespace {

// One triangle covering the viewport, from the vertex's index alone; the
// picture's coordinates run 0 to 1 across the viewport.
const char* const VertexSource = R"(#version 300 es
precision highp float;
out vec2 v_where;
void main()
{
    vec2 corner = vec2(float((gl_VertexID << 1) & 2), float(gl_VertexID & 2));
    v_where = corner;
    gl_Position = vec4(corner * 2.0 - 1.0, 0.0, 1.0);
}
)";

const char* const FragmentSource = R"(#version 300 es
precision highp float;
uniform highp sampler2D u_picture;
in vec2 v_where;
out vec4 colour;
void main()
{
    colour = vec4(texture(u_picture, v_where).rgb, 1.0);
}
)";

GLuint Compile(GLenum stage, const char* source)
{
    const GLuint shader = glCreateShader(stage);
    glShaderSource(shader, 1, &source, nullptr);
    glCompileShader(shader);
    GLint compiled = GL_FALSE;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &compiled);
    if (compiled != GL_TRUE) {
        glDeleteShader(shader);
        return 0;
    }
    return shader;
}

GLuint BuildProgram()
{
    const GLuint vertex = Compile(GL_VERTEX_SHADER, VertexSource);
    const GLuint fragment = Compile(GL_FRAGMENT_SHADER, FragmentSource);
    GLuint program = 0;
    if (vertex != 0 && fragment != 0) {
        program = glCreateProgram();
        glAttachShader(program, vertex);
        glAttachShader(program, fragment);
        glLinkProgram(program);
        GLint linked = GL_FALSE;
        glGetProgramiv(program, GL_LINK_STATUS, &linked);
        if (linked != GL_TRUE) {
            glDeleteProgram(program);
            program = 0;
        }
    }
    glDeleteShader(vertex);
    glDeleteShader(fragment);
    return program;
}

} // namespace

bool AttachPictureTexture(VirtualScreen& s, PicturePresenter& p)
{
    if (!s.active || s.resolveFbo != 0 || s.colour == 0) return false;
    p.program = BuildProgram();
    if (p.program == 0) return false;

    GLint format = 0;
    glBindRenderbuffer(GL_RENDERBUFFER, s.colour);
    glGetRenderbufferParameteriv(GL_RENDERBUFFER, GL_RENDERBUFFER_INTERNAL_FORMAT, &format);
    glBindRenderbuffer(GL_RENDERBUFFER, 0);

    GLint unit = 0, bound = 0;
    glGetIntegerv(GL_ACTIVE_TEXTURE, &unit);
    glActiveTexture(GL_TEXTURE0);
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    glGenTextures(1, &p.texture);
    glBindTexture(GL_TEXTURE_2D, p.texture);
    glTexStorage2D(GL_TEXTURE_2D, 1, static_cast<GLenum>(format), s.width, s.height);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    p.filter = GL_NEAREST;
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(bound));
    glActiveTexture(static_cast<GLenum>(unit));

    glBindFramebuffer(GL_FRAMEBUFFER, s.drawFbo);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, p.texture, 0);
    if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) {
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, s.colour);
        DeletePicturePresenter(p);
        return false;
    }
    glDeleteRenderbuffers(1, &s.colour);
    s.colour = 0;
    glGenVertexArrays(1, &p.array);
    glGetIntegerv(GL_VIEWPORT, p.viewport.data());
    return true;
}

void PresentPicture(VirtualScreen& s, PicturePresenter& p, int drawableWidth, int drawableHeight, ScaleFilter filter)
{
    const Box box = FitBox(s.width, s.height, drawableWidth, drawableHeight, filter);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    // The renderer never enables the scissor test; bars only where the
    // picture leaves some.
    if (LeavesBars(box, drawableWidth, drawableHeight)) {
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT);
    }
    for (GLenum off : {GL_DEPTH_TEST, GL_BLEND, GL_CULL_FACE, GL_DITHER}) glDisable(off);
    glViewport(box.x, box.y, box.width, box.height);
    glUseProgram(p.program);
    glBindVertexArray(p.array);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, p.texture);
    const int wanted = Smoothed(box, s.width, s.height, filter) ? GL_LINEAR : GL_NEAREST;
    if (wanted != p.filter) {
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, wanted);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, wanted);
        p.filter = wanted;
    }
    glDrawArrays(GL_TRIANGLES, 0, 3);

    glBindFramebuffer(GL_FRAMEBUFFER, s.drawFbo);
    glViewport(p.viewport[0], p.viewport[1], p.viewport[2], p.viewport[3]);
    gles::RestoreEsState();
}

void DeletePicturePresenter(PicturePresenter& p)
{
    if (p.texture != 0) glDeleteTextures(1, &p.texture);
    if (p.program != 0) glDeleteProgram(p.program);
    if (p.array != 0) glDeleteVertexArrays(1, &p.array);
    p = PicturePresenter{};
}

} // namespace platform::web
