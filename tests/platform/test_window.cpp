// Window and GL context, headless on software GL: a triangle drawn with a
// tiny shader reads back with the right colours inside and outside, in a
// window that holds colour only.
#include "platform/gl.h"
#include "platform/gl_context.h"
#include "platform/window.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

using namespace platform;

namespace {

GLuint Compile(GLenum kind, const char* source) {
    GLuint shader = glCreateShader(kind);
    glShaderSource(shader, 1, &source, nullptr);
    glCompileShader(shader);
    GLint ok = 0;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    EXPECT_TRUE(ok);
    return shader;
}

struct Rgba {
    uint8_t r, g, b, a;
};

} // namespace

TEST(Window, HeadlessGlContextDrawsATriangle) {
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    std::string error;
    WindowDesc desc;
    desc.title = "triangle";
    desc.width = 64;
    desc.height = 48;
    auto window = Window::Create(desc, &error);
    ASSERT_TRUE(window) << error;
    auto context = GlContext::Create(*window, &error);
    ASSERT_TRUE(context) << error;
    EXPECT_EQ(window->Width(), 64);
    EXPECT_EQ(window->Height(), 48);
    EXPECT_FALSE(context->Version().empty());
    int w = 0, h = 0;
    window->DrawableSize(w, h);
    ASSERT_EQ(w, 64);
    ASSERT_EQ(h, 48);

    const char* vs = "#version 330 core\n"
                     "layout(location = 0) in vec2 pos;\n"
                     "void main() { gl_Position = vec4(pos, 0.0, 1.0); }\n";
    const char* fs = "#version 330 core\n"
                     "out vec4 colour;\n"
                     "void main() { colour = vec4(1.0, 0.0, 0.0, 1.0); }\n";
    GLuint program = glCreateProgram();
    glAttachShader(program, Compile(GL_VERTEX_SHADER, vs));
    glAttachShader(program, Compile(GL_FRAGMENT_SHADER, fs));
    glLinkProgram(program);
    GLint linked = 0;
    glGetProgramiv(program, GL_LINK_STATUS, &linked);
    ASSERT_TRUE(linked);

    // Covers the lower left half of the view (below the diagonal).
    const float triangle[] = {-1, -1, 1, -1, -1, 1};
    GLuint vao = 0, vbo = 0;
    glGenVertexArrays(1, &vao);
    glBindVertexArray(vao);
    glGenBuffers(1, &vbo);
    glBindBuffer(GL_ARRAY_BUFFER, vbo);
    glBufferData(GL_ARRAY_BUFFER, sizeof triangle, triangle, GL_STATIC_DRAW);
    glVertexAttribPointer(0, 2, GL_FLOAT, GL_FALSE, 0, nullptr);
    glEnableVertexAttribArray(0);

    // The window holds colour only: depth lives in the render device's own
    // back buffer, so a screen-sized depth buffer here would be memory lost.
    auto attachmentKind = [](GLenum attachment) {
        GLint kind = -1;
        glGetFramebufferAttachmentParameteriv(GL_FRAMEBUFFER, attachment,
                                              GL_FRAMEBUFFER_ATTACHMENT_OBJECT_TYPE, &kind);
        return kind;
    };
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    EXPECT_EQ(attachmentKind(GL_BACK_LEFT), GL_FRAMEBUFFER_DEFAULT);
    EXPECT_EQ(attachmentKind(GL_DEPTH), GL_NONE);
    EXPECT_EQ(attachmentKind(GL_STENCIL), GL_NONE);

    glViewport(0, 0, w, h);
    glClearColor(0, 0, 1, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glUseProgram(program);
    glDrawArrays(GL_TRIANGLES, 0, 3);
    glFinish();

    std::vector<Rgba> pixels(size_t(w * h));
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, w, h, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    auto at = [&](int x, int y) { return pixels[size_t(y * w + x)]; }; // y from the bottom
    Rgba inside = at(8, 8), outside = at(w - 8, h - 8);
    EXPECT_EQ(inside.r, 255);
    EXPECT_EQ(inside.b, 0);
    EXPECT_EQ(outside.r, 0);
    EXPECT_EQ(outside.b, 255);
    int red = 0;
    for (const Rgba& p : pixels)
        red += p.r == 255 && p.b == 0;
    EXPECT_NEAR(red, w * h / 2, w + h); // half the view, give or take the diagonal
    window->Swap();

    glDeleteBuffers(1, &vbo);
    glDeleteVertexArrays(1, &vao);
    glDeleteProgram(program);
    context.reset();

    window->Hide();
    EXPECT_FALSE(window->IsVisible());
    window->Show();
    EXPECT_TRUE(window->IsVisible());
    EXPECT_EQ(window->NativeX11Window(), 0u); // offscreen has no X11 window
}

TEST(Window, BadSizesAndForeignWindowsWithoutADisplayAreRefused) {
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    std::string error;
    WindowDesc desc;
    desc.width = 0;
    EXPECT_FALSE(Window::Create(desc, &error));
    EXPECT_FALSE(error.empty());
    error.clear();
    EXPECT_FALSE(Window::CreateFromNative(0, WindowDesc{}, &error));
    EXPECT_FALSE(error.empty());
}

TEST(Window, PointerWarpsToAPlaceInTheWindow) {
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    std::string error;
    WindowDesc desc;
    desc.width = 80;
    desc.height = 60;
    auto window = Window::Create(desc, &error);
    ASSERT_TRUE(window) << error;
    window->Raise();
    EXPECT_EQ(RaisedWindowId(), window->Id());
    window->WarpPointer(40, 30);
    SDL_PumpEvents();
    int x = -1, y = -1;
    SDL_GetMouseState(&x, &y);
    EXPECT_EQ(x, 40);
    EXPECT_EQ(y, 30);
    window->WarpPointer(5, 55);
    ASSERT_TRUE(window->PointerPosition(x, y));
    EXPECT_EQ(x, 5);
    EXPECT_EQ(y, 55);
}
