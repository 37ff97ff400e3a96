// Fixture of the mesh, effect, font and shadow tests: a display (software
// GL or recording) with a texture manager and the render parts installed,
// a working folder holding the shipped effect files and textures painted
// for the test, a lit scene seen through one camera, and a bump-mapped cube.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "Jentra/JTCamera.h"
#include "Jentra/JTDataFolder.h"
#include "Jentra/JTDisplay.h"
#include "Jentra/JTEffects.h"
#include "Jentra/JTEntity.h"
#include "Jentra/JTFrameClock.h"
#include "Jentra/JTGeoNode.h"
#include "Jentra/JTGlobals.h"
#include "Jentra/JTID.h"
#include "Jentra/JTLight.h"
#include "Jentra/JTMesh.h"
#include "Jentra/JTRenderer.h"
#include "Jentra/JTScene.h"
#include "Jentra/JTTexture.h"
#include "Jentra/JTView.h"
#include "Jentra/render/render_parts.h"
#include "platform/binary_io.h"
#include "platform/image/jpeg.h"
#include "platform/window.h"
#include "render_test_support.h"

namespace effect_test {

using render_test::DeviceKind;

// A cube of half-size 1: four vertices a face, u across and v down each
// face as seen from outside, wound clockwise from outside.
inline std::unique_ptr<JTMesh> Cube(bool bump = true) {
    struct Side {
        JTVec3 n, up;
    } const sides[6] = {{{0, 0, -1}, {0, 1, 0}}, {{0, 0, 1}, {0, 1, 0}}, {{-1, 0, 0}, {0, 1, 0}},
                        {{1, 0, 0}, {0, 1, 0}},  {{0, 1, 0}, {0, 0, 1}}, {{0, -1, 0}, {0, 0, -1}}};
    std::vector<Vert1> vertices;
    std::vector<unsigned short> indices;
    for (const Side& s : sides) {
        const JTVec3 right = JTVec3Cross(s.n, s.up);
        const unsigned short k = static_cast<unsigned short>(vertices.size());
        const float corner[4][4] = {{-1, 1, 0, 0}, {1, 1, 1, 0}, {-1, -1, 0, 1}, {1, -1, 1, 1}};
        for (const auto& c : corner) {
            JTVec3 p = s.n + right * c[0] + s.up * c[1];
            vertices.push_back({p.x, p.y, p.z, s.n.x, s.n.y, s.n.z, c[2], c[3]});
        }
        for (unsigned short i : {0, 1, 2, 2, 1, 3})
            indices.push_back(static_cast<unsigned short>(k + i));
    }
    auto mesh = std::make_unique<JTMesh>();
    mesh->CreateBuffersFromData(gpJTDisplay, vertices.data(), unsigned(vertices.size()),
                                indices.data(), unsigned(indices.size()), false, bump);
    return mesh;
}

// An entity holding one geometry node with the mesh and the effect (both
// owned by the node).
inline JTEntity* MeshEntity(std::unique_ptr<JTMesh> mesh, JTEffect* effect, JTVec3 position,
                            JTGeoNode** node = nullptr) {
    auto* entity = new JTEntity;
    auto* geo = new JTGeoNode;
    geo->SetMesh(mesh.release());
    geo->SetEffect(effect, true);
    entity->AddChild(geo);
    entity->SetPos(position);
    entity->ComputeMatrix();
    if (node) *node = geo;
    return entity;
}

class EffectSceneTest : public render_test::DisplayTest {
protected:
    // A display of that size on a hidden window, a working folder with the
    // effect files and the test's textures, an empty scene with a white
    // light from above left, and a camera at (0, 1.5, -4.5) looking at the
    // origin.
    void Open(DeviceKind kind, int width = 48, int height = 48) {
        MakeFolder();
        gpJTIDMap = &ids;
        DisplayTest::Open(kind, width, height);
        textures = std::make_unique<JTTextureMan>(display);
        gpJTTextureMan = textures.get();
        JTInstallRenderParts();

        scene = std::make_unique<JTScene>();
        light = new JTLight;
        JTLightRecord& l = light->GetLight();
        l.type = JTLightRecord::DIRECTIONAL;
        l.diffuse = {1, 1, 1, 1};
        l.ambient = {0.2f, 0.2f, 0.2f, 1};
        l.specular = {1, 1, 1, 1};
        l.phi = 1.2f;
        l.theta = 1.0f;
        light->SetPos(JTVec3(-6, 8, -5));
        light->Update(nullptr);
        scene->Add(light);
        scene->PostFrameUpdate();
        camera.SetHUD(true); // placed by the tests alone
        camera.SetAspect(float(width) / float(height));
        camera.SetClip(0.5f, 100.0f);
        JTVec3 eye(0, 1.5f, -4.5f);
        camera.SetView(eye, JTVec3Normalize(JTVec3() - eye), JTVec3(0, 1, 0));
        view = std::make_unique<JTView>(scene.get(), &camera, 0.0f, 0.0f, 1.0f, 1.0f, 0.0f, 1.0f);
        display->AddView(view.get());
    }

    void TearDown() override {
        if (display) {
            while (display->GetNumViews() > 0)
                display->RemoveView(0);
        }
        if (scene) {
            scene->Reset();
            scene->PostFrameUpdate();
            scene.reset();
        }
        JTUninstallRenderParts();
        gpJTTextureMan = nullptr;
        textures.reset();
        DisplayTest::TearDown();
        gpJTIDMap = nullptr;
        JTSetDataFolder(nullptr);
        std::error_code ec;
        if (!folder.empty() && ownsFolder) std::filesystem::remove_all(folder, ec);
    }

    // The next frame's entity, in the scene from the next Render on.
    JTEntity* Place(JTEntity* entity) {
        scene->Add(entity);
        scene->PostFrameUpdate();
        return entity;
    }

    // A texture of the test's folder (see MakeFolder).
    JTTexture* Texture(const char* name) { return gpJTTextureMan->Load(name, "", false); }

    // Renders a frame and reads it back.
    void Capture() {
        display->Render();
        ASSERT_TRUE(display->GetDevice()->ReadFrontBuffer(pixels, width, height));
    }
    uint32_t Pixel(int x, int y) const { return pixels[size_t(y * width + x)] & 0xFFFFFFu; }

    static constexpr const char* kSharedFolderVariable = "JENTRA_EFFECT_TEST_FOLDER";
    std::filesystem::path folder;
    bool ownsFolder = true;
    JTIDMap ids;
    std::unique_ptr<JTTextureMan> textures;
    std::unique_ptr<JTScene> scene;
    JTLight* light = nullptr;
    JTCamera camera;
    std::unique_ptr<JTView> view;
    std::vector<uint32_t> pixels;
    int width = 0, height = 0;

private:
    // A temporary working folder: the shipped effect files, the font and
    // cube map of the runtime folder, and the test's own pictures in
    // modules/: "tiles-nocomp.jpg" (orange and blue tiles), "tiles_bump.jpg"
    // (raised tile edges), "shine-nocomp.jpg" (a horizontal gradient) and
    // "holes-nocomp.jpg" (white with dark round holes), "dusk-nocomp.jpg"
    // (dark blue-grey squares).
    void MakeFolder() {
        // A death test's child runs the test again from its start and ends
        // without tearing down: it works in its parent's folder (named by
        // kSharedFolderVariable), which the parent removes.
        if (const char* shared = std::getenv(kSharedFolderVariable)) {
            folder = shared;
            ownsFolder = false;
        } else {
            std::string pattern =
                (std::filesystem::temp_directory_path() / "jentra-effects-XXXXXX").string();
            ASSERT_NE(mkdtemp(pattern.data()), nullptr);
            folder = pattern;
            ownsFolder = true;
        }
        const std::filesystem::path modules = folder / "modules";
        std::filesystem::create_directories(modules);
        const char* runtimeDir = std::getenv("JENTRA_RUNTIME_DIR");
        ASSERT_NE(runtimeDir, nullptr);
        const std::filesystem::path runtime = runtimeDir;
        for (const auto& entry : std::filesystem::directory_iterator(runtime))
            if (entry.path().extension() == ".eft")
                std::filesystem::copy_file(entry.path(), folder / entry.path().filename(),
                                           std::filesystem::copy_options::overwrite_existing);
        for (const char* file : {"cubetest.dds", "font1.dat", "font2-nocomp.jpg",
                                 "font2-nocomp_alpha.jpg", "font2_bump.jpg"})
            std::filesystem::copy_file(runtime / "modules" / file, modules / file,
                                       std::filesystem::copy_options::overwrite_existing);
        Paint(modules / "tiles-nocomp.jpg", [](int x, int y) {
            bool odd = ((x / 16) + (y / 16)) % 2;
            return odd ? 0xFF3060E0u : 0xFFE08030u;
        });
        Paint(modules / "tiles_bump.jpg", [](int x, int y) {
            int dx = std::min(x % 16, 15 - x % 16), dy = std::min(y % 16, 15 - y % 16);
            int h = std::min(dx, dy) < 3 ? 255 : 60;
            return 0xFF000000u | uint32_t(h) * 0x010101u;
        });
        Paint(modules / "shine-nocomp.jpg",
              [](int x, int) { return 0xFF000000u | uint32_t(x * 4) * 0x010101u; });
        Paint(modules / "dusk-nocomp.jpg", [](int x, int y) {
            return 0xFF202838u + uint32_t((x / 8 + y / 8) % 2) * 0x00080808u;
        });
        Paint(modules / "holes-nocomp.jpg", [](int x, int y) {
            int dx = x % 16 - 8, dy = y % 16 - 8;
            return dx * dx + dy * dy < 20 ? 0xFF101010u : 0xFFFFFFFFu;
        });
        JTSetDataFolder(folder.c_str());
    }

    template <typename Shade> static void Paint(const std::filesystem::path& file, Shade shade) {
        platform::image::Image image =
            platform::image::MakeImage(platform::image::PixelFormat::X8R8G8B8, 64, 64);
        for (int y = 0; y < 64; ++y)
            for (int x = 0; x < 64; ++x) {
                uint32_t v = shade(x, y);
                uint8_t* p = &image.pixels[size_t(y * 64 + x) * 4];
                p[0] = uint8_t(v), p[1] = uint8_t(v >> 8), p[2] = uint8_t(v >> 16), p[3] = 255;
            }
        std::vector<uint8_t> bytes;
        ASSERT_TRUE(platform::image::EncodeJpeg(image, 95, bytes));
        ASSERT_TRUE(platform::WriteWholeFile(file, bytes));
    }
};

} // namespace effect_test
