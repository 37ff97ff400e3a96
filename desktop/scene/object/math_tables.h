// Lookup tables for cosine, tangent and arc cosine that per-frame rotation
// code uses instead of library calls, and the fast functions over them.
#pragma once

namespace lumivane {

inline constexpr float kPi = 3.14159265358979f;
inline constexpr int kCosTableSize = 32768;  // entry i = cos(i x 2 pi / 32768)
inline constexpr int kTanTableSize = 16384;  // entry i = tan(i x 2 pi / 32768)
inline constexpr int kAcosTableSize = 65537; // entry i = acos((i - 32768) / 32768)

// Seeds the time-seeded random generators and fills the tables. The tables
// are also filled on first use, so code that runs before start-up (tools,
// tests) reads correct values.
void InitMathTables();

const float* CosTable();
const float* TanTable();
const float* AcosTable();

// Cosine of an angle in radians from the table with linear interpolation.
float TableCos(float angle);
// Sine of an angle, read as the cosine a quarter turn earlier.
float TableSin(float angle);
// Tangent table entry round(a x 16384 / pi) AND 0x3FFF, no interpolation.
float FastTan(float angle);
// pi for x <= -1; else the arc-cosine entry round(x x 32768) + 32768, or 0
// past the end of the table.
float FastAcos(float x);

} // namespace lumivane
