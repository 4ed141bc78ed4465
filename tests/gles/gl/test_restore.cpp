// The platform may draw between frames with a program of its own (the
// page's present draws the picture into the canvas): RestoreEsState puts
// back what the renderer relies on, and what it draws next is what it would
// have drawn without the interruption.
#include "Harness.h"
#include "SceneParts.h"

#include "gles/Gles.h"

#include <GLES3/gl3.h>
#include <gtest/gtest.h>

namespace glestest {
namespace {

// Textured, blended and lit squares under a viewport of the show's, with
// the ES state changed between the first and the rest as a present changes
// it, and put back, when interrupted.
std::vector<std::uint8_t> Draw(bool interrupted)
{
    return DrawWithRenderer([interrupted](const glapi::Gl11& gl) {
        SetUpShowState(gl);
        const auto textures = MakeTextures(gl);
        PlaceLights(gl, 20);
        gl.Viewport(20, 10, 600, 450);
        gl.Enable(GL_TEXTURE_2D);
        gl.BindTexture(GL_TEXTURE_2D, textures[1]);
        gl.Enable(GL_BLEND);
        gl.BlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        gl.ClearColor(0.2f, 0.3f, 0.4f, 1);
        gl.Translated(-100, 0, -400);
        TexturedSquare(gl, 60, 2);
        if (interrupted) {
            gles::Flush();
            GLuint array = 0, texture = 0;
            glGenVertexArrays(1, &array);
            glGenTextures(1, &texture);
            glUseProgram(0);
            glBindVertexArray(array);
            glActiveTexture(GL_TEXTURE0);
            glBindTexture(GL_TEXTURE_2D, texture);
            for (GLenum off : {GL_DEPTH_TEST, GL_BLEND, GL_CULL_FACE, GL_DITHER}) glDisable(off);
            glViewport(0, 0, 7, 5);
            glClearColor(1, 0, 0, 1);
            gles::RestoreEsState();
            glDeleteVertexArrays(1, &array);
            glDeleteTextures(1, &texture);
        }
        gl.Translated(200, 0, 0);
        TexturedSquare(gl, 60, 3);
        gl.Disable(GL_TEXTURE_2D);
        gl.Translated(-100, 80, -50);
        TiltedSquare(gl, 50, {Rgba{1, 0, 0, 0.5f}, Rgba{0, 1, 0, 0.5f}, Rgba{0, 0, 1, 0.5f}, Rgba{1, 1, 1, 0.5f}});
        gl.Clear(GL_DEPTH_BUFFER_BIT);
    });
}

TEST(RendererState, DrawsAsBeforeAfterThePlatformDrewWithItsOwnProgram)
{
    const auto plain = Draw(false);
    const auto interrupted = Draw(true);
    const Difference d = Compare(plain, interrupted);
    EXPECT_EQ(d.worst, 0) << d.differing * 100 << "% of pixels differ; frames written to "
                          << WriteFrames("restore", plain, interrupted);
}

} // namespace
} // namespace glestest
