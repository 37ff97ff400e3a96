// The cosine, tangent and arc-cosine tables and the look-ups over them.
// Angles are reduced before they become indices, so huge or non-finite
// angles read a valid entry instead of running off the table.
#include "desktop/scene/object/math_tables.h"

#include <cmath>
#include <ctime>
#include <vector>

#include "desktop/scene/object/random_generator.h"

namespace lumivane {
namespace {

struct Tables {
    std::vector<float> cosine;
    std::vector<float> tangent;
    std::vector<float> arcCosine;

    Tables() : cosine(kCosTableSize), tangent(kTanTableSize), arcCosine(kAcosTableSize) {
        const double step = 2.0 * 3.14159265358979323846 / kCosTableSize;
        for (int i = 0; i < kCosTableSize; ++i)
            cosine[i] = float(std::cos(i * step));
        cosine[kCosTableSize / 4] = 0.0f;
        cosine[kCosTableSize * 3 / 4] = 0.0f;
        for (int i = 0; i < kTanTableSize; ++i)
            tangent[i] = float(std::tan(i * step));
        for (int i = 0; i < kAcosTableSize - 1; ++i)
            arcCosine[i] = float(std::acos((i - 32768) / 32768.0));
        arcCosine[kAcosTableSize - 1] = 0.0f;
    }
};

const Tables& TheTables() {
    static const Tables tables;
    return tables;
}

// The cosine at table position s (in 1/32768 turns), interpolated.
float CosAtPosition(float position) {
    if (!std::isfinite(position)) return 1.0f;
    float s = std::fmod(std::fabs(position), float(kCosTableSize));
    float nearest = std::nearbyint(s);
    float fraction = s - nearest;
    int i = int(nearest) % kCosTableSize;
    const std::vector<float>& table = TheTables().cosine;
    return (1.0f - fraction) * table[i] + fraction * table[(i + 1) % kCosTableSize];
}

} // namespace

void InitMathTables() {
    uint32_t now = uint32_t(std::time(nullptr));
    TimeSeededRandom().Seed(now);
    CollectionRandom().Seed(now);
    TheTables();
}

const float* CosTable() {
    return TheTables().cosine.data();
}
const float* TanTable() {
    return TheTables().tangent.data();
}
const float* AcosTable() {
    return TheTables().arcCosine.data();
}

float TableCos(float angle) {
    return CosAtPosition(angle / (2.0f * kPi) * kCosTableSize);
}

float TableSin(float angle) {
    return CosAtPosition((angle / (2.0f * kPi) - 0.25f) * kCosTableSize);
}

float FastTan(float angle) {
    double position = double(angle) * kTanTableSize / kPi;
    if (!std::isfinite(position)) return 0.0f;
    long long index = std::llround(std::fmod(position, double(kTanTableSize)));
    return TheTables().tangent[size_t(index & (kTanTableSize - 1))];
}

float FastAcos(float x) {
    if (std::isnan(x)) return kPi / 2.0f;
    if (x <= -1.0f) return kPi;
    if (x >= 1.0f) return 0.0f;
    long index = std::lround(x * 32768.0f) + 32768;
    return index < kAcosTableSize - 1 ? TheTables().arcCosine[size_t(index)] : 0.0f;
}

} // namespace lumivane
