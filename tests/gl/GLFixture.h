// Shared set-up for the GL tests: every test gets a fresh rendering context
// (GL's defaults, a 640 x 480 x 16 virtual screen bound) on Mesa's software
// renderer, without a display.
#pragma once

#include <gtest/gtest.h>

#include <GL/gl.h>

#include "window/glTemplate.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace gltest {

// Deletes the current context (none is current afterwards) and puts the
// show's module globals back to their program-start values: the state
// start-up begins from, which makes its own context.
void DropContext();

// DropContext, then a new context made current.
void FreshContext();

// FreshContext, then ViewWidth/ViewHeight 640 x 480 and InitGL: the fixed
// state every drawing routine of the show starts from.
void FreshShowState();

// glGetIntegerv of one value.
GLint Integer(GLenum name);

// The RGB of one pixel of the virtual screen, (0, 0) at the top left.
std::array<int, 3> PixelAt(int x, int y);

// The whole virtual screen, top row first, RGB.
std::vector<std::uint8_t> Screen();

// A folder under the system's temp folder, empty, removed at exit.
std::string TempFolder(const std::string& name);

// Writes the sixteen images of the show as small distinct 4 x 4 images
// (alpha ones with a black top-left pixel) into folder; returns the folder.
std::string WriteFixtureImages(const std::string& folder);

// A show window after its start-up on the images in folder, with the title
// colours seeded by 1 and the sound library off unless music is asked for;
// hooks, when given, watch it.
std::unique_ptr<glTemplate> StartShow(const std::string& folder, ShowHooks& hooks = glTemplate::NoHooks(),
                                      bool music = false);

} // namespace gltest

class GLTest : public ::testing::Test {
protected:
    void SetUp() override { gltest::FreshContext(); }
};

class ShowGLTest : public ::testing::Test {
protected:
    void SetUp() override { gltest::FreshShowState(); }
};
