// World, view and projection builders, camera placement and angle wrapping.
#include "graphics/transform.h"

#include "platform/render.h"

Matrix MakeWorldMatrix(Vec3 angles, Vec3 position, Vec3 scale) {
    Matrix m = MatMultiply(MatScaling(scale.x, scale.y, scale.z), RotationDegrees(angles));
    return MatMultiply(m, MatTranslation(position.x, position.y, position.z));
}

Matrix MakeViewMatrix(Vec3 eye, Vec3 target) {
    return MatLookAtLH(eye, target, Vec3{0.0f, 1.0f, 0.0f});
}

Matrix MakeProjectionMatrix() {
    Viewport vp = RdGetViewport();
    float aspect = static_cast<float>(static_cast<unsigned>(vp.width)) /
                   static_cast<float>(static_cast<unsigned>(vp.height));
    return MatPerspectiveFovLH(0.17453292f, aspect, 1.0f, 1000.0f);
}

Vec3 RotateOffset(Vec3 offset, Vec3 angles, Vec3 origin) {
    return origin + TransformCoord(offset, RotationDegrees(angles));
}

CameraPose MakeCameraPose(Vec3 offset, Vec3 angles, Vec3 target) {
    return CameraPose{RotateOffset(offset, angles, target), target, angles};
}

void ApplyTransforms(const TransformSet& t) {
    RdSetTransform(RD_WORLD, t.world);
    RdSetTransform(RD_VIEW, t.view);
    RdSetTransform(RD_PROJECTION, t.projection);
}

// Only one step per call: the game keeps angles near the range by turning a
// few degrees per frame, so -400 stays -40 and 360 stays 360.
float WrapAngle(float degrees) {
    if (degrees < 0.0f) return degrees + 360.0f;
    if (degrees > 360.0f) return degrees - 360.0f;
    return degrees;
}

Vec3 WrapAngles(Vec3* angles) {
    angles->x = WrapAngle(angles->x);
    angles->y = WrapAngle(angles->y);
    angles->z = WrapAngle(angles->z);
    return *angles;
}
