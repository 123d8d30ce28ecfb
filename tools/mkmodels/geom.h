// A small modelling kit for the game's meshes: parts built from boxes, lofts
// (cross-sections swept along an axis, which also make lathes, spheres and
// cones) and prisms, placed with a transform, and written as text .x files.
//
// Conventions of the game's world: left-handed, y up, forward along +z.
// A face is front-facing when its corners turn clockwise as seen from the
// outside, which is when (b - a) x (c - a) points outward.
#pragma once
#include <string>
#include <vector>

namespace mdl {

struct V3 {
    float x = 0, y = 0, z = 0;
};
inline V3 operator+(V3 a, V3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
inline V3 operator-(V3 a, V3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
inline V3 operator*(V3 a, float s) { return {a.x * s, a.y * s, a.z * s}; }
float Dot(V3 a, V3 b);
V3 Cross(V3 a, V3 b);
V3 Normalise(V3 a);

struct Material {
    float r, g, b, a = 1.0f;
    std::string texture;  // file name, empty for none
    float power = 16.0f;
    float specular = 0.2f;
};

// Placement of a part: scale, then roll, pitch, yaw (degrees, as the game
// turns its actors), then the offset.
struct Xf {
    V3 offset;
    float pitch = 0, yaw = 0, roll = 0;
    float scale = 1;
    V3 Point(V3 p) const;
    V3 Dir(V3 d) const;
};

struct Vertex {
    V3 p, n;
    float u = 0, v = 0;
};

// One cross-section of a loft: the profile scaled by (w, h) and centred at
// (cx, cy) in the plane z = z.
struct Station {
    float z, w, h, cx = 0, cy = 0;
};

class Model {
public:
    explicit Model(std::string name) : name_(std::move(name)) {}
    int AddMaterial(const Material& m);

    // A flat polygon (convex, corners in order); flipped if needed so that it
    // faces along `outward`. Texture coordinates per corner, or none.
    void Polygon(const std::vector<V3>& pts, int mat, V3 outward, const std::vector<float>& uv = {});
    // Axis-aligned box in part space, texture coordinates in world units / uvScale.
    // faces: bits +x, -x, +y, -y, +z, -z (all by default).
    void Box(V3 centre, V3 half, int mat, const Xf& xf = {}, float uvScale = 0, int faces = 63);
    // Sweeps a closed profile (points in the x-y plane, around the origin) through
    // the stations along z. Smooth shading averages the normals around and along.
    // The ends are capped when the station there has a size.
    void Loft(const std::vector<V3>& profile, const std::vector<Station>& st, int mat, const Xf& xf = {},
              bool smooth = true, int capMat = -1);
    // A solid of revolution about y: profile points (radius, height) from bottom to top.
    void Lathe(const std::vector<std::pair<float, float>>& rh, int segments, int mat, const Xf& xf = {},
               bool smooth = true);
    // A prism: polygon in the x-z plane (clockwise seen from above) from y0 to y1.
    void Prism(const std::vector<V3>& outline, float y0, float y1, int mat, const Xf& xf = {});
    // Raw triangles with their own vertices (normals as given).
    void Triangle(const Vertex& a, const Vertex& b, const Vertex& c, int mat);

    // Lowest and highest corner of everything built so far.
    void Bounds(V3* lo, V3* hi) const;
    size_t FaceCount() const { return tris_.size(); }
    bool WriteX(const std::string& path) const;

private:
    struct Tri {
        int a, b, c, mat;
    };
    std::string name_;
    std::vector<Material> mats_;
    std::vector<Vertex> verts_;
    std::vector<Tri> tris_;
};

// Profiles for lofts.
std::vector<V3> CircleProfile(int segments, float phase = 0);
std::vector<V3> PolyProfile(const std::vector<std::pair<float, float>>& xy);

}  // namespace mdl
