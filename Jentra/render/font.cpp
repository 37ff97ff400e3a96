// JTFont: the glyph table, word wrapping, measuring, and the text meshes.
#include "Jentra/JTFont.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

#include "Jentra/JTDataFolder.h"
#include "Jentra/JTDisplay.h"
#include "Jentra/JTEffects.h"
#include "Jentra/JTFile.h"
#include "Jentra/JTGeoNode.h"
#include "Jentra/JTMesh.h"
#include "Jentra/JTTexture.h"
#include "Jentra/render/font_ink.h"
#include "platform/binary_io.h"
#include "platform/render/resources.h"

namespace {

constexpr const char* kAtlasFile = "font2-nocomp.jpg";
constexpr const char* kBumpFile = "font2_bump.jpg";
constexpr const char* kSpacingFile = "font1.dat";
// The screen text's height at depth 1 for a size of 1.
constexpr float kScreenTextScale = 0.0203125f;

std::string ModulesPath(const char* file) {
    return JTResolveDataPath((std::string("modules\\") + file).c_str());
}

// The text cut to what one mesh can hold.
std::string Bounded(const char* text) {
    if (!text) return {};
    return std::string(text, strnlen(text, JTFont::kMaxTextLength));
}

} // namespace

JTFont::JTFont() {
    std::strcpy(faceName, "DejaVu Sans");
}

long JTFont::Init(const char* newName) {
    std::snprintf(name, sizeof name, "%s", newName ? newName : "");
    if (gpJTTextureMan) {
        texture = gpJTTextureMan->Load(kAtlasFile, "", false);
        bumpTexture = gpJTTextureMan->Load(kBumpFile, "", false);
    }
    LoadSpacing(kSpacingFile);
    FindInk();
    return 0;
}

void JTFont::FindInk() {
    const platform::render::Texture* atlas = texture ? texture->GetD3DTexture(0) : nullptr;
    inkKnown = atlas && jentra::font::FindInk(*atlas, glyphRect, inkRect);
}

const float* JTFont::GetInkRect(unsigned char code) const {
    return inkKnown ? inkRect[code] : glyphRect[code];
}

bool JTFont::LoadSpacing(const char* file) {
    std::vector<uint8_t> bytes;
    if (!file || !platform::ReadWholeFile(ModulesPath(file), bytes, nullptr, 1 << 20)) return false;
    // Only a whole table is taken: a short file would leave half of it.
    if (bytes.size() != kSpacingFileBytes) return false;
    platform::MemoryReader in(bytes.data(), bytes.size());
    for (auto& rect : glyphRect)
        for (float& v : rect)
            in.ReadF32(v);
    for (float& a : advance)
        in.ReadF32(a);
    inkKnown = false;
    return in.Good();
}

bool JTFont::SaveSpacing(const char* file) const {
    if (!file) return false;
    platform::BufferWriter out;
    for (const auto& rect : glyphRect)
        for (float v : rect)
            out.WriteF32(v);
    for (float a : advance)
        out.WriteF32(a);
    const std::string path = ModulesPath(file);
    JTFile::EnsureFilePathExists(path.c_str());
    return out.Good() && platform::WriteWholeFile(path, out.Data());
}

void JTFont::SetGlyph(unsigned char code, const float rect[4], float width) {
    for (int i = 0; i < 4; ++i)
        glyphRect[code][i] = rect[i];
    advance[code] = width;
    inkKnown = false;
}

void JTFont::SetBuilderFace(const char* face, int points, unsigned styleFlags) {
    std::snprintf(faceName, sizeof faceName, "%s", face ? face : "");
    pointSize = points;
    flags = styleFlags;
}

std::string JTFont::Wrap(const char* text, float maxWidth, float s) const {
    std::string out = Bounded(text);
    out.reserve(out.size() * 2);
    float width = 0;
    int count = 0;
    size_t lineStart = 0;
    for (size_t i = 0; i < out.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(out[i]);
        if (c == '\r') {
            out.erase(i, 1);
            --i;
            continue;
        }
        if (c == '\n') {
            width = 0;
            count = 0;
            lineStart = i + 1;
            continue;
        }
        width += advance[c] * s;
        ++count;
        if (count < 2 || !(maxWidth > 0) || width < maxWidth) continue;
        size_t blank = i + 1;
        for (size_t j = i + 1; j-- > lineStart;)
            if (out[j] == ' ') {
                blank = j;
                break;
            }
        if (blank <= i) {
            out[blank] = '\n';
            lineStart = blank + 1;
        } else {
            // No blank to break at: the line ends before this character,
            // which starts the next line when the walk reaches it again.
            out.insert(i, 1, '\n');
            lineStart = i + 1;
        }
        width = 0;
        count = 0;
    }
    return out;
}

float JTFont::GetTextWidth(const char* text, float maxWidth) const {
    const std::string wrapped = Wrap(text, maxWidth, 1.0f);
    float width = 0;
    for (char c : wrapped) {
        if (c == '\n') break;
        width += advance[static_cast<unsigned char>(c)];
    }
    return width;
}

JTGeoNode* JTFont::MakeText(const char* text, float size, center align, JTVec3 pos, float stretch,
                            unsigned long, float maxWidth, bool dynamic) const {
    const float s = size * stretch;
    const std::string wrapped = Wrap(text, maxWidth, s);
    std::vector<float> widths(1, 0.0f);
    size_t visible = 0;
    for (char c : wrapped) {
        if (c == '\n') {
            widths.push_back(0.0f);
            continue;
        }
        widths.back() += s * advance[static_cast<unsigned char>(c)];
        ++visible;
    }
    const float lines = float(widths.size());

    auto* node = new JTGeoNode;
    auto* mesh = new JTMesh;
    node->SetMesh(mesh);
    node->SetPickedByBox(true);
    if (visible > 0) {
        std::vector<Vert1> vertices;
        std::vector<unsigned short> indices;
        vertices.reserve(visible * 4);
        indices.reserve(visible * 6);
        size_t line = 0;
        size_t at = 0;
        while (at <= wrapped.size() && line < widths.size()) {
            float x = pos.x;
            if (align % 3 == 1) x -= widths[line] / 2;
            if (align % 3 == 2) x -= widths[line];
            float y = pos.y - float(line) * size;
            if (align / 3 == 1) y = pos.y + (lines / 2 - float(line)) * size;
            if (align / 3 == 2) y = pos.y + (lines - float(line)) * size;
            for (; at < wrapped.size() && wrapped[at] != '\n'; ++at) {
                const unsigned char c = static_cast<unsigned char>(wrapped[at]);
                const float* r = glyphRect[c];
                const float* ink = GetInkRect(c);
                const float right = x + s * advance[c];
                // The glyph's cell runs from x to right and from y down to
                // y - size; its quad covers the inked part of it.
                float left = x, top = y, inkRight = right, bottom = y - size;
                if (inkKnown && r[2] > r[0] && r[3] > r[1]) {
                    const float across = (right - x) / (r[2] - r[0]);
                    const float down = size / (r[3] - r[1]);
                    left = x + (ink[0] - r[0]) * across;
                    inkRight = x + (ink[2] - r[0]) * across;
                    top = y - (ink[1] - r[1]) * down;
                    bottom = y - (ink[3] - r[1]) * down;
                } else {
                    ink = r;
                }
                const unsigned short k = static_cast<unsigned short>(vertices.size());
                vertices.push_back({left, bottom, pos.z, 0, 0, -1, ink[0], ink[3]});
                vertices.push_back({left, top, pos.z, 0, 0, -1, ink[0], ink[1]});
                vertices.push_back({inkRight, bottom, pos.z, 0, 0, -1, ink[2], ink[3]});
                vertices.push_back({inkRight, top, pos.z, 0, 0, -1, ink[2], ink[1]});
                x = right;
                for (unsigned short i : {0, 1, 2, 2, 1, 3})
                    indices.push_back(static_cast<unsigned short>(k + i));
            }
            ++at; // past the line feed
            ++line;
        }
        mesh->CreateBuffersFromData(gpJTDisplay, vertices.data(), unsigned(vertices.size()),
                                    indices.data(), unsigned(indices.size()), dynamic, true);
    }
    auto* effect = new JTEffect_StreamingLight;
    effect->texture = texture;
    node->SetEffect(effect, true);
    return node;
}

JTGeoNode* JTFont::MakeScreenText(float angleX, float angleY, const char* text, float size,
                                  center align, JTVec3 pos, float stretch, unsigned long colour,
                                  float maxWidth, bool dynamic) const {
    const float z = pos.z;
    JTVec3 placed(std::tan(angleX / 2) * pos.x * z, std::tan(angleY / 2) * pos.y * z, z);
    return MakeText(text, z * size * kScreenTextScale, align, placed, stretch, colour, z * maxWidth,
                    dynamic);
}
