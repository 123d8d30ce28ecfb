// Matrix and camera builders for drawing, and angle wrapping.
#pragma once
#include "core/math3d.h"

struct TransformSet {
    Matrix world, view, projection;
};

struct CameraPose {
    Vec3 eye, target, angles;
};

// Scaling(scale) * Rotation(angles) * Translation(position).
Matrix MakeWorldMatrix(Vec3 angles, Vec3 position, Vec3 scale);
// Left-handed look-at with up (0, 1, 0).
Matrix MakeViewMatrix(Vec3 eye, Vec3 target);
// 10 degree vertical field of view, aspect of the device's current viewport, near 1, far 1000.
Matrix MakeProjectionMatrix();
Vec3 RotateOffset(Vec3 offset, Vec3 angles, Vec3 origin);
CameraPose MakeCameraPose(Vec3 offset, Vec3 angles, Vec3 target);
// Sets the device's world, view and projection transforms, in that order.
void ApplyTransforms(const TransformSet& t);
// One wrap step: below 0 adds 360, above 360 subtracts 360.
float WrapAngle(float degrees);
// WrapAngle on each component.
Vec3 WrapAngles(Vec3* angles);
