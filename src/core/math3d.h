// 3D arithmetic with the conventions the whole game uses: 32-bit floats,
// row vectors (p' = p * M), left-handed, angles in degrees as
// (x = pitch, y = yaw, z = roll), rotations built roll, then pitch, then yaw.
#pragma once

struct Vec3 {
    float x, y, z;
};

struct Matrix {
    float m[4][4];
};

// pi/180 rounded to single precision; every degree conversion uses it.
constexpr float kDegToRad = 0.017453292f;

inline Vec3 operator+(Vec3 a, Vec3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
inline Vec3 operator-(Vec3 a, Vec3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
inline Vec3 operator*(Vec3 a, float s) { return {a.x * s, a.y * s, a.z * s}; }
inline float Dot(Vec3 a, Vec3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
inline Vec3 Cross(Vec3 a, Vec3 b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
// Component 0, 1 or 2 (x, y, z), for moves made one axis at a time.
inline float& AxisOf(Vec3& v, int axis) { return axis == 0 ? v.x : (axis == 1 ? v.y : v.z); }
float Length(Vec3 v);
// A zero vector normalises to zero.
Vec3 Normalize(Vec3 v);

Matrix MatIdentity();
Matrix MatMultiply(const Matrix& a, const Matrix& b);  // a then b
Matrix MatScaling(float sx, float sy, float sz);
Matrix MatTranslation(float x, float y, float z);
Matrix MatRotationX(float radians);
Matrix MatRotationY(float radians);
Matrix MatRotationZ(float radians);
Matrix MatRotationYawPitchRoll(float yaw, float pitch, float roll);  // radians
// Rotation of angles given in degrees (pitch x, yaw y, roll z): roll, then pitch, then yaw.
Matrix RotationDegrees(Vec3 angles);
Matrix MatLookAtLH(Vec3 eye, Vec3 at, Vec3 up);
Matrix MatPerspectiveFovLH(float fovy, float aspect, float zn, float zf);
// Returns false (and leaves *out alone) for a singular matrix.
bool MatInverse(const Matrix& m, Matrix* out);
// Flattens geometry onto plane (a, b, c, d) along rays from light (x, y, z, w).
Matrix MatShadow(const float light[4], const float plane[4]);
// (x, y, z, 1) * m, divided by the resulting w.
Vec3 TransformCoord(Vec3 v, const Matrix& m);
// (x, y, z, 0) * m.
Vec3 TransformNormal(Vec3 v, const Matrix& m);

struct Viewport {
    int x, y, width, height;
    float minZ, maxZ;
};
// Screen position and depth of v through world * view * proj into the viewport.
Vec3 ProjectPoint(Vec3 v, const Viewport& vp, const Matrix& proj, const Matrix& view,
                  const Matrix& world);
