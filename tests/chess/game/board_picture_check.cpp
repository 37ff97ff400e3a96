// rookfall_boardcheck <picture.bmp>: whether a screenshot of the game shows
// the chess board with its light and dark squares and the pieces of the
// start position on their squares. The camera may have turned about the
// board (the main menu lets it drift), so the check looks for the camera
// turn, tilt and distance under which the middle four ranks show light and
// dark squares most clearly (five samples a square, so that a view a little
// off the squares mixes their colours and loses); under that view the
// squares of ranks 1, 2, 7 and 8 whose colour differs from their piece's
// must show the piece.
// Prints what it found; exit status 0 when board and pieces are there.
#include <cmath>
#include <cstdio>
#include <vector>

#include "Jentra/JTMath.h"
#include "platform/binary_io.h"
#include "platform/image/bmp.h"

namespace {

constexpr float kPi = 3.14159265f;
// The game's camera behind White: (0, 13, -7) from the board's centre, a
// horizontal field of view of 45 degrees.
const JTVec3 kStartEye(0.0f, 13.0f, -7.0f);
constexpr float kFov = kPi / 4.0f;

struct Picture {
    int width = 0, height = 0;
    std::vector<uint8_t> bgra;
    // Mean brightness of a 5 x 5 patch, or -1 outside the picture.
    float Patch(float x, float y) const {
        const int cx = int(std::lround(x)), cy = int(std::lround(y));
        if (cx < 2 || cy < 2 || cx >= width - 2 || cy >= height - 2) return -1.0f;
        float sum = 0;
        for (int dy = -2; dy <= 2; ++dy)
            for (int dx = -2; dx <= 2; ++dx) {
                const uint8_t* p = &bgra[(size_t(cy + dy) * size_t(width) + size_t(cx + dx)) * 4];
                sum += 0.114f * p[0] + 0.587f * p[1] + 0.299f * p[2];
            }
        return sum / 25.0f;
    }
};

struct View {
    JTMatrix viewProjection;
    int width, height;
    bool Project(const JTVec3& p, float& x, float& y) const {
        const float h[4] = {p.x, p.y, p.z, 1.0f};
        float out[4] = {};
        for (int c = 0; c < 4; ++c)
            for (int r = 0; r < 4; ++r)
                out[c] += h[r] * viewProjection.m[r][c];
        if (out[3] <= 0.01f) return false;
        x = (out[0] / out[3] * 0.5f + 0.5f) * float(width);
        y = (0.5f - out[1] / out[3] * 0.5f) * float(height);
        return true;
    }
};

View MakeView(float yaw, float tilt, float distance, int width, int height) {
    JTVec3 eye = JTVec3TransformNormal(kStartEye * distance, JTMatrixRotationX(tilt));
    eye = JTVec3TransformNormal(eye, JTMatrixRotationY(yaw));
    const JTVec3 dir = JTVec3Normalize(-eye);
    const JTVec3 right = JTVec3Normalize(JTVec3Cross(JTVec3(0, 1, 0), dir));
    JTMatrix view;
    view.LookTo(eye, dir, JTVec3Cross(dir, right));
    const float aspect = float(width) / float(height);
    const float fovv = 2.0f * std::atan(std::tan(0.5f * kFov) / aspect);
    return {view * JTMatrixPerspectiveFovLH(fovv, aspect, 0.5f, 5000.0f), width, height};
}

JTVec3 SquareCentre(int row, int file) {
    return JTVec3(float(file) - 3.5f, 0.0f, 3.5f - float(row));
}

bool Light(int row, int file) {
    return (row + file) % 2 == 0;
}

struct Fit {
    float separation = -1e9f; // light mean - dark mean, in brightness levels
    float lightMean = 0, darkMean = 0;
    int misplaced = 0; // samples of the middle squares on the wrong side of the midpoint
    View view{};
};

Fit Measure(const Picture& picture, const View& view) {
    Fit fit;
    fit.view = view;
    std::vector<float> light, dark;
    for (int row = 2; row <= 5; ++row)
        for (int file = 0; file < 8; ++file) {
            // The centre and four points near the corners: a grid that lies
            // off the squares mixes their colours.
            for (const JTVec3& at :
                 {JTVec3(0, 0, 0), JTVec3(-0.3f, 0, -0.3f), JTVec3(0.3f, 0, -0.3f),
                  JTVec3(-0.3f, 0, 0.3f), JTVec3(0.3f, 0, 0.3f)}) {
                float x, y;
                if (!view.Project(SquareCentre(row, file) + at, x, y)) return fit;
                const float v = picture.Patch(x, y);
                if (v < 0) return fit;
                (Light(row, file) ? light : dark).push_back(v);
            }
        }
    auto mean = [](const std::vector<float>& v) {
        float s = 0;
        for (float x : v)
            s += x;
        return s / float(v.size());
    };
    fit.lightMean = mean(light);
    fit.darkMean = mean(dark);
    const float mid = 0.5f * (fit.lightMean + fit.darkMean);
    for (float v : light)
        fit.misplaced += v < mid;
    for (float v : dark)
        fit.misplaced += v >= mid;
    fit.separation = fit.lightMean - fit.darkMean - 20.0f * float(fit.misplaced) / 5.0f;
    return fit;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: rookfall_boardcheck <picture.bmp>\n");
        return 2;
    }
    std::vector<uint8_t> bytes;
    std::string error;
    platform::image::Image image;
    if (!platform::ReadWholeFile(argv[1], bytes, &error) ||
        !platform::image::DecodeBmp(bytes, image, &error)) {
        std::fprintf(stderr, "rookfall_boardcheck: %s: %s\n", argv[1], error.c_str());
        return 2;
    }
    Picture picture{image.width, image.height, image.pixels};
    if (picture.bgra.size() < size_t(picture.width) * size_t(picture.height) * 4) {
        std::fprintf(stderr, "rookfall_boardcheck: %s is not a 32-bit picture\n", argv[1]);
        return 2;
    }

    Fit best;
    for (int yaw = -90; yaw <= 90; ++yaw)
        for (int tilt = -8; tilt <= 8; tilt += 2)
            for (int d = 80; d <= 125; d += 5) {
                const Fit fit =
                    Measure(picture, MakeView(float(yaw) * kPi / 180.0f, float(tilt) * kPi / 180.0f,
                                              float(d) / 100.0f, picture.width, picture.height));
                if (fit.separation > best.separation) best = fit;
            }
    std::printf("squares: light %.0f, dark %.0f, %d of 160 samples unclear\n", best.lightMean,
                best.darkMean, best.misplaced);
    const bool board = best.lightMean - best.darkMean > 30.0f && best.misplaced <= 10;

    // Black pieces on light squares of ranks 7 and 8 show dark; White's on
    // dark squares of ranks 1 and 2 show light.
    const float mid = 0.5f * (best.lightMean + best.darkMean);
    int shown = 0, looked = 0;
    for (int row : {0, 1, 6, 7})
        for (int file = 0; file < 8; ++file) {
            const bool blackPiece = row <= 1;
            if (Light(row, file) != blackPiece) continue;
            float x, y;
            // A little above the board, inside the piece's foot when it stands there.
            if (!best.view.Project(SquareCentre(row, file) + JTVec3(0, 0.15f, 0), x, y)) continue;
            const float v = picture.Patch(x, y);
            ++looked;
            shown += blackPiece ? v < mid : v >= mid;
        }
    std::printf("pieces: %d of %d squares show their piece\n", shown, looked);
    // A few pieces may have moved by the time of the picture.
    const bool pieces = looked == 16 && shown >= 13;
    std::printf("%s\n", board && pieces ? "board and pieces found" : "no board with pieces");
    return board && pieces ? 0 : 1;
}
