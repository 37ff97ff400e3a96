// Matrix operations in the row-vector convention, and the LU inverse.
#include "desktop/scene/object/matrix.h"

#include <cmath>
#include <cstring>
#include <utility>

namespace lumivane {

Matrix operator*(const Matrix& a, const Matrix& b) {
    Matrix r;
    for (int row = 0; row < 4; ++row)
        for (int col = 0; col < 4; ++col) {
            float sum = 0.0f;
            for (int k = 0; k < 4; ++k)
                sum += a.m[row * 4 + k] * b.m[k * 4 + col];
            r.m[row * 4 + col] = sum;
        }
    return r;
}

bool operator==(const Matrix& a, const Matrix& b) {
    for (int i = 0; i < 16; ++i)
        if (a.m[i] != b.m[i]) return false;
    return true;
}

void Matrix::MakeIdentity() {
    *this = Matrix{};
}

bool Matrix::IsIdentity() const {
    static const float kOne = 1.0f;
    for (int row = 0; row < 4; ++row)
        for (int col = 0; col < 4; ++col) {
            float v = m[row * 4 + col];
            if (row == col) {
                if (std::memcmp(&v, &kOne, sizeof v) != 0) return false;
            } else if (v != 0.0f) {
                return false;
            }
        }
    return true;
}

void Matrix::MakeTranslation(float x, float y, float z) {
    MakeIdentity();
    m[12] = x;
    m[13] = y;
    m[14] = z;
}

void Matrix::MakeScale(float x, float y, float z) {
    MakeIdentity();
    m[0] = x;
    m[5] = y;
    m[10] = z;
}

void Matrix::MakeRotation(float x, float y, float z, float w) {
    MakeIdentity();
    m[0] = 1.0f - 2.0f * (y * y + z * z);
    m[1] = 2.0f * (x * y + z * w);
    m[2] = 2.0f * (x * z - y * w);
    m[4] = 2.0f * (x * y - z * w);
    m[5] = 1.0f - 2.0f * (x * x + z * z);
    m[6] = 2.0f * (y * z + x * w);
    m[8] = 2.0f * (x * z + y * w);
    m[9] = 2.0f * (y * z - x * w);
    m[10] = 1.0f - 2.0f * (x * x + y * y);
}

namespace {

// r = a x b for affine matrices: the 3 x 3 part and the translation; r's
// column 3 is left to the caller.
void AffineProduct(const float* a, const float* b, float* r) {
    for (int row = 0; row < 3; ++row)
        for (int col = 0; col < 3; ++col)
            r[row * 4 + col] =
                a[row * 4] * b[col] + a[row * 4 + 1] * b[4 + col] + a[row * 4 + 2] * b[8 + col];
    for (int col = 0; col < 3; ++col)
        r[12 + col] = a[12] * b[col] + a[13] * b[4 + col] + a[14] * b[8 + col] + b[12 + col];
}

} // namespace

void Matrix::PostMultiply(const Matrix& b) {
    float r[16];
    std::memcpy(r, m, sizeof r);
    AffineProduct(m, b.m, r);
    std::memcpy(m, r, sizeof r);
}

void Matrix::PreMultiply(const Matrix& a) {
    float r[16];
    std::memcpy(r, m, sizeof r);
    AffineProduct(a.m, m, r);
    std::memcpy(m, r, sizeof r);
}

void Matrix::PreMultiplyFull(const Matrix& a) {
    Matrix affine = a;
    affine.m[3] = affine.m[7] = affine.m[11] = 0.0f;
    affine.m[15] = 1.0f;
    *this = affine * *this;
}

Vec3& Matrix::TransformPoint(Vec3& p) const {
    float x = p.x * m[0] + p.y * m[4] + p.z * m[8] + m[12];
    float y = p.x * m[1] + p.y * m[5] + p.z * m[9] + m[13];
    float z = p.x * m[2] + p.y * m[6] + p.z * m[10] + m[14];
    float w = p.x * m[3] + p.y * m[7] + p.z * m[11] + m[15];
    if (w != 0.0f && w != 1.0f) {
        x /= w;
        y /= w;
        z /= w;
    }
    p = {x, y, z};
    return p;
}

Vec3& Matrix::TransformVector(Vec3& v) const {
    v = {v.x * m[0] + v.y * m[4] + v.z * m[8], v.x * m[1] + v.y * m[5] + v.z * m[9],
         v.x * m[2] + v.y * m[6] + v.z * m[10]};
    return v;
}

float Matrix::GetScale() const {
    Vec3 origin(0, 0, 0);
    Vec3 unit(1, 0, 0);
    TransformPoint(origin);
    TransformPoint(unit);
    return (unit - origin).Length();
}

bool Matrix::InvertAffine() {
    const float a = m[0], b = m[1], c = m[2];
    const float d = m[4], e = m[5], f = m[6];
    const float g = m[8], h = m[9], i = m[10];
    float c00 = e * i - f * h, c01 = -(d * i - f * g), c02 = d * h - e * g;
    float determinant = a * c00 + b * c01 + c * c02;
    if (!std::isfinite(determinant) || std::fabs(determinant) < 1e-30f) return false;
    float inv = 1.0f / determinant;
    float r[9] = {c00 * inv, -(b * i - c * h) * inv, (b * f - c * e) * inv,
                  c01 * inv, (a * i - c * g) * inv,  -(a * f - c * d) * inv,
                  c02 * inv, -(a * h - b * g) * inv, (a * e - b * d) * inv};
    float tx = m[12], ty = m[13], tz = m[14];
    for (int row = 0; row < 3; ++row)
        for (int col = 0; col < 3; ++col)
            m[row * 4 + col] = r[row * 3 + col];
    m[12] = -(tx * r[0] + ty * r[3] + tz * r[6]);
    m[13] = -(tx * r[1] + ty * r[4] + tz * r[7]);
    m[14] = -(tx * r[2] + ty * r[5] + tz * r[8]);
    m[3] = m[7] = m[11] = 0.0f;
    m[15] = 1.0f;
    return true;
}

void Matrix::LUDecompose(float a[4][4], int pivots[4], float& parity) {
    float scale[4];
    parity = 1.0f;
    for (int row = 0; row < 4; ++row) {
        float largest = 0.0f;
        for (int col = 0; col < 4; ++col)
            largest = std::fmax(largest, std::fabs(a[row][col]));
        // A zero row keeps scale 1: the zero pivot below takes care of it.
        scale[row] = largest > 0.0f ? 1.0f / largest : 1.0f;
    }
    for (int j = 0; j < 4; ++j) {
        for (int i = 0; i < j; ++i) {
            float sum = a[i][j];
            for (int k = 0; k < i; ++k)
                sum -= a[i][k] * a[k][j];
            a[i][j] = sum;
        }
        float biggest = 0.0f;
        int pivot = j;
        for (int i = j; i < 4; ++i) {
            float sum = a[i][j];
            for (int k = 0; k < j; ++k)
                sum -= a[i][k] * a[k][j];
            a[i][j] = sum;
            float weight = scale[i] * std::fabs(sum);
            if (weight >= biggest) {
                biggest = weight;
                pivot = i;
            }
        }
        if (pivot != j) {
            for (int k = 0; k < 4; ++k)
                std::swap(a[pivot][k], a[j][k]);
            parity = -parity;
            scale[pivot] = scale[j];
        }
        pivots[j] = pivot;
        if (a[j][j] == 0.0f) a[j][j] = 1e-20f;
        if (j != 3) {
            float inverse = 1.0f / a[j][j];
            for (int i = j + 1; i < 4; ++i)
                a[i][j] *= inverse;
        }
    }
}

void Matrix::LUBackSubstitute(const float lu[4][4], const int pivots[4], float b[4]) {
    int firstNonZero = -1;
    for (int i = 0; i < 4; ++i) {
        int p = pivots[i];
        float sum = b[p];
        b[p] = b[i];
        if (firstNonZero >= 0) {
            for (int j = firstNonZero; j < i; ++j)
                sum -= lu[i][j] * b[j];
        } else if (sum != 0.0f) {
            firstNonZero = i;
        }
        b[i] = sum;
    }
    for (int i = 3; i >= 0; --i) {
        float sum = b[i];
        for (int j = i + 1; j < 4; ++j)
            sum -= lu[i][j] * b[j];
        b[i] = sum / lu[i][i];
    }
}

void Matrix::Invert() {
    float lu[4][4];
    for (int row = 0; row < 4; ++row)
        for (int col = 0; col < 4; ++col)
            lu[row][col] = m[row * 4 + col];
    int pivots[4];
    float parity;
    LUDecompose(lu, pivots, parity);
    for (int col = 0; col < 4; ++col) {
        float column[4] = {0, 0, 0, 0};
        column[col] = 1.0f;
        LUBackSubstitute(lu, pivots, column);
        for (int row = 0; row < 4; ++row)
            m[row * 4 + col] = column[row];
    }
}

void Matrix::MakePerspective(float nearPlane, float farPlane, float fov, float aspect) {
    std::memset(m, 0, sizeof m);
    m[0] = 1.0f / std::tan(fov * 0.5f);
    m[5] = m[0] * aspect;
    m[10] = farPlane / (farPlane - nearPlane);
    m[11] = 1.0f;
    m[14] = -nearPlane * farPlane / (farPlane - nearPlane);
}

void Matrix::MakeView(const Vec3& eye, const Vec3& look, const Vec3& up) {
    Vec3 right = Vec3::Cross(up, look);
    right.Normalize();
    MakeIdentity();
    m[0] = right.x;
    m[4] = right.y;
    m[8] = right.z;
    m[1] = up.x;
    m[5] = up.y;
    m[9] = up.z;
    m[2] = look.x;
    m[6] = look.y;
    m[10] = look.z;
    m[12] = -Vec3::Dot(eye, right);
    m[13] = -Vec3::Dot(eye, up);
    m[14] = -Vec3::Dot(eye, look);
}

void Matrix::GetPosRot(Vec3& position, Quat& rotation) const {
    position = GetTranslation();
    Vec3 xAxis(1, 0, 0);
    TransformVector(xAxis);
    xAxis.Normalize();
    Quat first = Quat::MakeRotationArc(Vec3(1, 0, 0), xAxis);
    Vec3 turnedY(0, 1, 0);
    first.RotateVector(turnedY);
    Vec3 yAxis(0, 1, 0);
    TransformVector(yAxis);
    yAxis.Normalize();
    Quat second = Quat::MakeRotationArc(turnedY, yAxis);
    rotation = second * first;
}

} // namespace lumivane
