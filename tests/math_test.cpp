// Matrix builders, rotation conventions and angle wrapping. Expected values are
// worked out by hand from the row-vector, left-handed conventions.
#include <gtest/gtest.h>
#include <cmath>

#include "core/math3d.h"
#include "graphics/transform.h"

namespace {

constexpr float kEps = 1e-5f;

void ExpectVec(Vec3 v, float x, float y, float z, float eps = kEps) {
    EXPECT_NEAR(v.x, x, eps);
    EXPECT_NEAR(v.y, y, eps);
    EXPECT_NEAR(v.z, z, eps);
}

void ExpectMatrix(const Matrix& m, const float (&e)[4][4], float eps = kEps) {
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) EXPECT_NEAR(m.m[i][j], e[i][j], eps) << "at " << i << "," << j;
}

}  // namespace

// One wrap step only: the game relies on -400 staying outside the range and
// on 360 being left alone (strict comparisons).
TEST(MathWrapAngles, OneStepPerComponent) {
    Vec3 a{-30.0f, 400.0f, -400.0f};
    Vec3 r = WrapAngles(&a);
    ExpectVec(a, 330.0f, 40.0f, -40.0f, 0.0f);
    ExpectVec(r, 330.0f, 40.0f, -40.0f, 0.0f);
    Vec3 b{360.0f, 0.0f, 720.5f};
    WrapAngles(&b);
    ExpectVec(b, 360.0f, 0.0f, 360.5f, 0.0f);
}

// Pitch is x, yaw is y, roll is z; positive pitch turns the nose (+z) down and
// pitch is applied before yaw.
TEST(MathRotation, ConventionsOfRotateOffsetAndAxes) {
    ExpectVec(RotateOffset({0, 0, -10}, {0, 90, 0}, {0, 0, 0}), -10.0f, 0.0f, 0.0f);
    ExpectVec(RotateOffset({0, 0, -10}, {90, 0, 0}, {0, 0, 0}), 0.0f, 10.0f, 0.0f);
    ExpectVec(RotateOffset({0, 0, -10}, {0, 90, 0}, {1, 2, 3}), -9.0f, 2.0f, 3.0f);
    ExpectVec(TransformCoord({0, 0, 1}, RotationDegrees({90, 90, 0})), 0.0f, -1.0f, 0.0f);
    // Roll first: +x rolled by 90 then yawed by 90 ends on +y, not -z.
    ExpectVec(TransformCoord({1, 0, 0}, RotationDegrees({0, 90, 90})), 0.0f, 1.0f, 0.0f);
    // Forward (+z) with a 90 degree yaw points along +x.
    ExpectVec(TransformCoord({0, 0, 1}, RotationDegrees({0, 90, 0})), 1.0f, 0.0f, 0.0f);

    // The expanded yaw-pitch-roll matrix equals RotZ * RotX * RotY.
    float yaw = 0.7f, pitch = -0.4f, roll = 1.9f;
    Matrix composed =
        MatMultiply(MatMultiply(MatRotationZ(roll), MatRotationX(pitch)), MatRotationY(yaw));
    ExpectMatrix(MatRotationYawPitchRoll(yaw, pitch, roll), composed.m);
}

TEST(MathRotation, CameraPoseKeepsTargetAndAngles) {
    CameraPose pose = MakeCameraPose({0, 5, -20}, {0, 180, 0}, {10, 0, 10});
    ExpectVec(pose.eye, 10.0f, 5.0f, 30.0f, 1e-4f);
    ExpectVec(pose.target, 10.0f, 0.0f, 10.0f, 0.0f);
    ExpectVec(pose.angles, 0.0f, 180.0f, 0.0f, 0.0f);
}

// Scale, then rotate, then translate: (1,0,0) scaled by 2, yawed 90 (+x goes
// to -z), moved by (5,0,0).
TEST(MathMatrix, WorldMatrixOrder) {
    Matrix w = MakeWorldMatrix({0, 90, 0}, {5, 0, 0}, {2, 1, 1});
    ExpectVec(TransformCoord({1, 0, 0}, w), 5.0f, 0.0f, -2.0f);
    ExpectVec(TransformCoord({0, 3, 0}, w), 5.0f, 3.0f, 0.0f);
    ExpectVec(TransformNormal({1, 0, 0}, w), 0.0f, 0.0f, -2.0f);
}

TEST(MathMatrix, LookAtLeftHanded) {
    // Looking from +x towards the origin: camera right is +z, forward is -x.
    Matrix v = MakeViewMatrix({10, 0, 0}, {0, 0, 0});
    const float e[4][4] = {{0, 0, -1, 0}, {0, 1, 0, 0}, {1, 0, 0, 0}, {0, 0, 10, 1}};
    ExpectMatrix(v, e);
    ExpectVec(TransformCoord({0, 0, 5}, v), 5.0f, 0.0f, 10.0f);
    // The eye maps to the origin for an arbitrary pair.
    Matrix v2 = MakeViewMatrix({3, 4, -12}, {-1, 0, 2});
    ExpectVec(TransformCoord({3, 4, -12}, v2), 0.0f, 0.0f, 0.0f, 1e-4f);
    ExpectVec(TransformCoord({-1, 0, 2}, v2), 0.0f, 0.0f, std::sqrt(16.0f + 16.0f + 196.0f),
              1e-4f);
}

// Without a created device the projection uses the 800 x 600 view: aspect
// 1.3333334, 10 degree field of view (1/tan(5 deg) = 11.430052), near 1, far 1000.
TEST(MathMatrix, ProjectionOfTheView) {
    Matrix p = MakeProjectionMatrix();
    EXPECT_NEAR(p.m[1][1], 11.430052f, 1e-4f);
    EXPECT_NEAR(p.m[0][0], 11.430052f * 0.75f, 1e-4f);
    EXPECT_FLOAT_EQ(p.m[1][1] / p.m[0][0], 1.3333334f);
    EXPECT_NEAR(p.m[2][2], 1000.0f / 999.0f, 1e-6f);
    EXPECT_NEAR(p.m[3][2], -1000.0f / 999.0f, 1e-6f);
    EXPECT_EQ(p.m[2][3], 1.0f);
    EXPECT_EQ(p.m[3][3], 0.0f);
    EXPECT_EQ(p.m[0][1], 0.0f);
    // Near plane maps to depth 0, far plane to 1.
    EXPECT_NEAR(TransformCoord({0, 0, 1}, p).z, 0.0f, 1e-6f);
    EXPECT_NEAR(TransformCoord({0, 0, 1000}, p).z, 1.0f, 1e-6f);
}

TEST(MathMatrix, ProjectPointIntoViewport) {
    Matrix proj = MatPerspectiveFovLH(0.17453292f, 800.0f / 600.0f, 1.0f, 1000.0f);
    Matrix id = MatIdentity();
    Viewport vp{0, 0, 800, 600, 0.0f, 1.0f};
    // On the axis at z = 10: the centre, depth (10 * 1000/999 - 1000/999) / 10.
    ExpectVec(ProjectPoint({0, 0, 10}, vp, proj, id, id), 400.0f, 300.0f, 0.9009009f, 1e-4f);
    // One unit right and up at z = 10: 400 + 400 * 0.8572539, 300 - 300 * 1.1430052.
    ExpectVec(ProjectPoint({1, 1, 10}, vp, proj, id, id), 742.90155f, -42.90155f, 0.9009009f,
              1e-3f);
    // Viewport origin and depth range are applied.
    Viewport vp2{10, 20, 256, 256, 0.5f, 1.0f};
    ExpectVec(ProjectPoint({0, 0, 10}, vp2, proj, id, id), 138.0f, 148.0f, 0.95045045f, 1e-4f);
}

// Point light at (0, 10, 0) over the plane y = 0: (1, 5, 2) lands on (2, 0, 4).
// The plane is normalised first, so (0, 2, 0, 0) gives the same matrix.
TEST(MathMatrix, ShadowOntoPlane) {
    const float light[4] = {0, 10, 0, 1};
    const float plane[4] = {0, 2, 0, 0};
    Matrix s = MatShadow(light, plane);
    const float e[4][4] = {{10, 0, 0, 0}, {0, 0, 0, -1}, {0, 0, 10, 0}, {0, 0, 0, 10}};
    ExpectMatrix(s, e);
    ExpectVec(TransformCoord({1, 5, 2}, s), 2.0f, 0.0f, 4.0f);
    // A directional light (w = 0) projects along its direction onto y = 1.
    const float sun[4] = {1, 1, 0, 0};
    const float floor1[4] = {0, 1, 0, -1};
    ExpectVec(TransformCoord({0, 3, 0}, MatShadow(sun, floor1)), -2.0f, 1.0f, 0.0f);
}

TEST(MathMatrix, InverseAndSingular) {
    Matrix m = MatMultiply(MatScaling(2, 4, 8), MatTranslation(1, 2, 3));
    Matrix inv;
    ASSERT_TRUE(MatInverse(m, &inv));
    const float e[4][4] = {{0.5f, 0, 0, 0}, {0, 0.25f, 0, 0}, {0, 0, 0.125f, 0},
                           {-0.5f, -0.5f, -0.375f, 1}};
    ExpectMatrix(inv, e);
    Matrix w = MakeWorldMatrix({30, 60, 10}, {4, -2, 7}, {1, 2, 3});
    ASSERT_TRUE(MatInverse(w, &inv));
    Matrix id = MatMultiply(w, inv);
    ExpectMatrix(id, MatIdentity().m, 1e-5f);

    Matrix untouched = MatTranslation(9, 9, 9);
    EXPECT_FALSE(MatInverse(MatScaling(1, 0, 1), &untouched));
    EXPECT_EQ(untouched.m[3][0], 9.0f);
}

TEST(MathVector, NormalizeAndLength) {
    ExpectVec(Normalize({0, 0, 0}), 0, 0, 0, 0.0f);
    ExpectVec(Normalize({3, 0, 4}), 0.6f, 0.0f, 0.8f);
    EXPECT_FLOAT_EQ(Length({2, 3, 6}), 7.0f);
    ExpectVec(Cross({1, 0, 0}, {0, 1, 0}), 0, 0, 1, 0.0f);
}
