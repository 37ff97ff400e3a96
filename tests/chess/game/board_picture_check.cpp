// rookfall_boardcheck <picture.bmp> [--left f2,...] [--checkmate]: whether a
// screenshot of the game shows the chess board with its light and dark
// squares and the pieces of the start position on their squares (but for
// the squares named after --left, which must show empty); with --checkmate
// also the banner over the board with a word as long as "CHECKMATE" (not
// "CHECK", not nothing). The camera may have turned about the
// board (the main menu lets it drift), so the check looks for the camera
// turn, tilt and distance under which the middle four ranks show light and
// dark squares most clearly (five samples a square, so that a view a little
// off the squares mixes their colours and loses); under that view the
// squares of ranks 1, 2, 7 and 8 whose colour differs from their piece's
// must show the piece.
// Prints what it found; exit status 0 when board and pieces are there.
//
// rookfall_boardcheck --where <width> <height> <square>...: where the squares
// show on a screen of that size seen from behind White (the view every game
// starts in), as shares of the width and the height from the top left
// corner: one "<square> <x> <y>" line each.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>
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

// "e2" as a row (0 = rank 8) and a file; false for anything else.
bool ParseSquare(const std::string& name, int& row, int& file) {
    if (name.size() != 2 || name[0] < 'a' || name[0] > 'h' || name[1] < '1' || name[1] > '8')
        return false;
    file = name[0] - 'a';
    row = '8' - name[1];
    return true;
}

int Where(int argc, char** argv) {
    if (argc < 5) {
        std::fprintf(stderr, "usage: rookfall_boardcheck --where <width> <height> <square>...\n");
        return 2;
    }
    const int width = std::atoi(argv[2]), height = std::atoi(argv[3]);
    if (width <= 0 || height <= 0) {
        std::fprintf(stderr, "rookfall_boardcheck: no screen of %s x %s\n", argv[2], argv[3]);
        return 2;
    }
    const View view = MakeView(0.0f, 0.0f, 1.0f, width, height);
    for (int i = 4; i < argc; ++i) {
        int row, file;
        float x, y;
        if (!ParseSquare(argv[i], row, file) || !view.Project(SquareCentre(row, file), x, y)) {
            std::fprintf(stderr, "rookfall_boardcheck: no square %s\n", argv[i]);
            return 2;
        }
        std::printf("%s %.4f %.4f\n", argv[i], x / float(width), y / float(height));
    }
    return 0;
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

// How wide the white text of the banner's line is, as a share of the
// picture's width: the line stands at nine tenths of the half height over
// the centre, above the board; "F1 for help" at the left is not looked at.
float BannerWidth(const Picture& picture) {
    const int y0 = int(0.02f * float(picture.height)), y1 = int(0.08f * float(picture.height));
    const int x0 = picture.width / 4, x1 = picture.width * 3 / 4;
    int first = -1, last = -1;
    for (int x = x0; x < x1; ++x)
        for (int y = y0; y < y1; ++y) {
            const uint8_t* p = &picture.bgra[(size_t(y) * size_t(picture.width) + size_t(x)) * 4];
            if (std::min({p[0], p[1], p[2]}) < 190) continue;
            if (first < 0) first = x;
            last = x;
            break;
        }
    return first < 0 ? 0.0f : float(last - first + 1) / float(picture.width);
}

int main(int argc, char** argv) {
    if (argc >= 2 && std::string(argv[1]) == "--where") return Where(argc, argv);
    // Squares whose piece has left (a row and a file each).
    std::vector<std::pair<int, int>> left;
    bool checkmate = false;
    for (int i = 2; i < argc; ++i) {
        if (std::string(argv[i]) == "--checkmate") {
            checkmate = true;
            continue;
        }
        if (std::string(argv[i]) != "--left" || i + 1 >= argc) {
            std::fprintf(
                stderr, "usage: rookfall_boardcheck <picture.bmp> [--left f2,...] [--checkmate]\n");
            return 2;
        }
        std::string list = argv[++i];
        for (size_t at = 0; at <= list.size();) {
            const size_t comma = std::min(list.find(',', at), list.size());
            int row, file;
            if (!ParseSquare(list.substr(at, comma - at), row, file)) {
                std::fprintf(stderr, "rookfall_boardcheck: no square list: %s\n", list.c_str());
                return 2;
            }
            left.emplace_back(row, file);
            at = comma + 1;
        }
    }
    if (argc < 2) {
        std::fprintf(stderr,
                     "usage: rookfall_boardcheck <picture.bmp> [--left f2,...] [--checkmate]\n");
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
    // dark squares of ranks 1 and 2 show light. A square a piece has left
    // shows its own colour.
    const float mid = 0.5f * (best.lightMean + best.darkMean);
    int shown = 0, looked = 0, emptied = 0;
    for (int row : {0, 1, 6, 7})
        for (int file = 0; file < 8; ++file) {
            const bool blackPiece = row <= 1;
            const bool gone =
                std::find(left.begin(), left.end(), std::make_pair(row, file)) != left.end();
            if (Light(row, file) != blackPiece && !gone) continue;
            float x, y;
            // A little above the board, inside the piece's foot when it stands there.
            if (!best.view.Project(SquareCentre(row, file) + JTVec3(0, 0.15f, 0), x, y)) continue;
            const float v = picture.Patch(x, y);
            if (gone) {
                emptied += Light(row, file) ? v >= mid : v < mid;
                continue;
            }
            ++looked;
            shown += blackPiece ? v < mid : v >= mid;
        }
    std::printf("pieces: %d of %d squares show their piece\n", shown, looked);
    if (!left.empty()) std::printf("left: %d of %zu squares show empty\n", emptied, left.size());
    // A few pieces may have moved by the time of the picture.
    const bool pieces =
        looked + int(left.size()) >= 16 && shown >= looked - 3 && emptied == int(left.size());
    // "CHECKMATE" spans about a fifth of the width, "CHECK" half that.
    bool banner = true;
    if (checkmate) {
        const float width = BannerWidth(picture);
        banner = width > 0.15f;
        std::printf("banner: white text across %.2f of the width\n", width);
    }
    std::printf("%s\n", board && pieces ? "board and pieces found" : "no board with pieces");
    if (checkmate) std::printf("%s\n", banner ? "checkmate shown" : "no checkmate shown");
    return board && pieces && banner ? 0 : 1;
}
