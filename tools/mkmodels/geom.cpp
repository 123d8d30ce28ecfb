#include "geom.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace mdl {
namespace {
const float kDeg = 0.017453292f;

// A closed grid of points: rows along the sweep, columns around it.
struct Grid {
    std::vector<std::vector<V3>> p;
    std::vector<V3> axis;  // a point on the sweep axis per row, for facing outward
    // Lathes only: per band, the outward normal of the profile as (radial, along
    // the axis), so that flat rings and folded profiles face the right way.
    std::vector<std::pair<float, float>> prof;
    V3 axisDir;
};
}  // namespace

float Dot(V3 a, V3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
V3 Cross(V3 a, V3 b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
V3 Normalise(V3 a) {
    float l = std::sqrt(Dot(a, a));
    return l > 1e-12f ? a * (1.0f / l) : V3{0, 1, 0};
}

V3 Xf::Dir(V3 d) const {
    float c = std::cos(roll * kDeg), s = std::sin(roll * kDeg);
    d = {d.x * c - d.y * s, d.x * s + d.y * c, d.z};
    c = std::cos(pitch * kDeg), s = std::sin(pitch * kDeg);
    d = {d.x, d.y * c - d.z * s, d.y * s + d.z * c};
    c = std::cos(yaw * kDeg), s = std::sin(yaw * kDeg);
    return {d.x * c + d.z * s, d.y, -d.x * s + d.z * c};
}

V3 Xf::Point(V3 p) const { return Dir(p * scale) + offset; }

int Model::AddMaterial(const Material& m) {
    mats_.push_back(m);
    return int(mats_.size()) - 1;
}

void Model::Triangle(const Vertex& a, const Vertex& b, const Vertex& c, int mat) {
    int base = int(verts_.size());
    verts_.push_back(a);
    verts_.push_back(b);
    verts_.push_back(c);
    tris_.push_back({base, base + 1, base + 2, mat});
}

void Model::Polygon(const std::vector<V3>& pts, int mat, V3 outward, const std::vector<float>& uv) {
    if (pts.size() < 3) return;
    V3 n{0, 0, 0};
    for (size_t i = 1; i + 1 < pts.size(); ++i) n = n + Cross(pts[i] - pts[0], pts[i + 1] - pts[0]);
    bool flip = Dot(n, outward) < 0;
    n = Normalise(flip ? n * -1.0f : n);
    auto vert = [&](size_t i) {
        Vertex v{pts[i], n};
        if (uv.size() >= 2 * pts.size()) v.u = uv[2 * i], v.v = uv[2 * i + 1];
        return v;
    };
    auto tri = [&](const Vertex& a, const Vertex& b, const Vertex& c) {
        if (flip) Triangle(a, c, b, mat);
        else Triangle(a, b, c, mat);
    };
    if (pts.size() <= 4) {
        for (size_t i = 1; i + 1 < pts.size(); ++i) tri(vert(0), vert(i), vert(i + 1));
        return;
    }
    // Larger outlines (which may be star-shaped) fan out from their centre.
    Vertex centre{{0, 0, 0}, n};
    for (size_t i = 0; i < pts.size(); ++i) {
        Vertex v = vert(i);
        centre.p = centre.p + v.p * (1.0f / pts.size());
        centre.u += v.u / pts.size(), centre.v += v.v / pts.size();
    }
    for (size_t i = 0; i < pts.size(); ++i) tri(centre, vert(i), vert((i + 1) % pts.size()));
}

void Model::Box(V3 c, V3 h, int mat, const Xf& xf, float uvScale, int faces) {
    // Each face: its normal and two in-plane axes.
    const V3 dirs[6][3] = {{{1, 0, 0}, {0, 0, 1}, {0, 1, 0}},  {{-1, 0, 0}, {0, 0, 1}, {0, 1, 0}},
                           {{0, 1, 0}, {1, 0, 0}, {0, 0, 1}},  {{0, -1, 0}, {1, 0, 0}, {0, 0, 1}},
                           {{0, 0, 1}, {1, 0, 0}, {0, 1, 0}},  {{0, 0, -1}, {1, 0, 0}, {0, 1, 0}}};
    for (int face = 0; face < 6; ++face) {
        if (!(faces & (1 << face))) continue;
        const auto& d = dirs[face];
        V3 n = d[0], a = d[1], b = d[2];
        float hn = std::fabs(Dot(n, h)), ha = std::fabs(Dot(a, h)), hb = std::fabs(Dot(b, h));
        std::vector<V3> pts;
        std::vector<float> uv;
        const float sa[4] = {-1, 1, 1, -1}, sb[4] = {-1, -1, 1, 1};
        for (int k = 0; k < 4; ++k) {
            V3 local = c + n * hn + a * (sa[k] * ha) + b * (sb[k] * hb);
            pts.push_back(xf.Point(local));
            float s = uvScale > 0 ? uvScale : 1.0f;
            uv.push_back(uvScale > 0 ? Dot(local, a) / s : (sa[k] + 1) / 2);
            uv.push_back(uvScale > 0 ? 1 - Dot(local, b) / s : 1 - (sb[k] + 1) / 2);
        }
        Polygon(pts, mat, xf.Dir(n), uv);
    }
}

static void EmitGrid(Model& m, const Grid& g, int mat, bool smooth, const std::vector<float>& vs) {
    size_t rows = g.p.size(), cols = g.p[0].size();
    // Face normals (outward) of every cell.
    std::vector<std::vector<V3>> fn(rows - 1, std::vector<V3>(cols));
    for (size_t i = 0; i + 1 < rows; ++i)
        for (size_t j = 0; j < cols; ++j) {
            V3 a = g.p[i][j], b = g.p[i][(j + 1) % cols], c = g.p[i + 1][(j + 1) % cols], d = g.p[i + 1][j];
            V3 n = Cross(c - a, d - b);
            V3 mid = (a + b + c + d) * 0.25f;
            V3 ax = (g.axis[i] + g.axis[i + 1]) * 0.5f;
            V3 ref = mid - ax;
            if (!g.prof.empty()) {
                V3 radial = Normalise(ref - g.axisDir * Dot(ref, g.axisDir));
                ref = radial * g.prof[i].first + g.axisDir * g.prof[i].second;
            }
            if (Dot(n, ref) < 0) n = n * -1.0f;
            fn[i][j] = Normalise(n);
        }
    auto vertexNormal = [&](size_t i, size_t j) {
        V3 s{0, 0, 0};
        for (int di = -1; di <= 0; ++di)
            for (int dj = -1; dj <= 0; ++dj) {
                long r = long(i) + di;
                if (r < 0 || r >= long(rows) - 1) continue;
                s = s + fn[size_t(r)][(j + cols + size_t(long(cols) + dj)) % cols];
            }
        return Normalise(s);
    };
    for (size_t i = 0; i + 1 < rows; ++i)
        for (size_t j = 0; j < cols; ++j) {
            size_t j1 = (j + 1) % cols;
            V3 pts[4] = {g.p[i][j], g.p[i][j1], g.p[i + 1][j1], g.p[i + 1][j]};
            size_t ri[4] = {i, i, i + 1, i + 1}, ci[4] = {j, j1, j1, j}, cu[4] = {j, j + 1, j + 1, j};
            Vertex v[4];
            for (int k = 0; k < 4; ++k) {
                v[k].p = pts[k];
                v[k].n = smooth ? vertexNormal(ri[k], ci[k]) : fn[i][j];
                v[k].u = float(cu[k]) / float(cols);
                v[k].v = vs[ri[k]];
            }
            // Two triangles, each facing outward; degenerate ones (at a tip) are skipped.
            auto tri = [&](int a, int b, int c) {
                V3 n = Cross(v[b].p - v[a].p, v[c].p - v[a].p);
                if (Dot(n, n) < 1e-14f) return;
                if (Dot(n, fn[i][j]) < 0) std::swap(b, c);
                m.Triangle(v[a], v[b], v[c], mat);
            };
            tri(0, 1, 2);
            tri(0, 2, 3);
        }
}

void Model::Loft(const std::vector<V3>& profile, const std::vector<Station>& st, int mat, const Xf& xf, bool smooth,
                 int capMat) {
    Grid g;
    std::vector<float> vs;
    float z0 = st.front().z, z1 = st.back().z;
    for (const Station& s : st) {
        std::vector<V3> row;
        for (const V3& q : profile) row.push_back(xf.Point({s.cx + q.x * s.w, s.cy + q.y * s.h, s.z}));
        g.p.push_back(row);
        g.axis.push_back(xf.Point({s.cx, s.cy, s.z}));
        vs.push_back(z1 != z0 ? (s.z - z0) / (z1 - z0) : 0);
    }
    EmitGrid(*this, g, mat, smooth, vs);
    if (capMat < 0) capMat = mat;
    if (st.front().w > 0 && st.front().h > 0) Polygon(g.p.front(), capMat, xf.Dir({0, 0, -1}));
    if (st.back().w > 0 && st.back().h > 0) Polygon(g.p.back(), capMat, xf.Dir({0, 0, 1}));
}

void Model::Lathe(const std::vector<std::pair<float, float>>& rh, int segments, int mat, const Xf& xf, bool smooth) {
    Grid g;
    std::vector<float> vs;
    for (const auto& [r, y] : rh) {
        std::vector<V3> row;
        for (int k = 0; k < segments; ++k) {
            float a = 6.2831853f * k / segments;
            row.push_back(xf.Point({r * std::sin(a), y, r * std::cos(a)}));
        }
        g.p.push_back(row);
        g.axis.push_back(xf.Point({0, y, 0}));
        vs.push_back((y - rh.front().second) / std::max(1e-6f, rh.back().second - rh.front().second));
    }
    // The profile runs from bottom to top around the outside: the outward side
    // of each step (dr, dy) is (dy, -dr).
    for (size_t i = 0; i + 1 < rh.size(); ++i)
        g.prof.push_back({rh[i + 1].second - rh[i].second, rh[i].first - rh[i + 1].first});
    g.axisDir = Normalise(xf.Dir({0, 1, 0}));
    EmitGrid(*this, g, mat, smooth, vs);
    if (rh.front().first > 0) Polygon(g.p.front(), mat, xf.Dir({0, -1, 0}));
    if (rh.back().first > 0) Polygon(g.p.back(), mat, xf.Dir({0, 1, 0}));
}

void Model::Prism(const std::vector<V3>& outline, float y0, float y1, int mat, const Xf& xf) {
    V3 c{0, 0, 0};
    for (const V3& p : outline) c = c + p * (1.0f / outline.size());
    std::vector<V3> top, bottom;
    for (const V3& p : outline) {
        top.push_back(xf.Point({p.x, y1, p.z}));
        bottom.push_back(xf.Point({p.x, y0, p.z}));
    }
    Polygon(top, mat, xf.Dir({0, 1, 0}));
    Polygon(bottom, mat, xf.Dir({0, -1, 0}));
    for (size_t i = 0; i < outline.size(); ++i) {
        size_t j = (i + 1) % outline.size();
        V3 mid = (outline[i] + outline[j]) * 0.5f;
        V3 out = Normalise(Cross(V3{0, 1, 0}, outline[j] - outline[i]));
        if (Dot(out, mid - c) < 0) out = out * -1.0f;
        float len = std::sqrt(Dot(outline[j] - outline[i], outline[j] - outline[i]));
        Polygon({bottom[i], bottom[j], top[j], top[i]}, mat, xf.Dir(out), {0, 1, len, 1, len, 0, 0, 0});
    }
}

void Model::Bounds(V3* lo, V3* hi) const {
    *lo = {1e9f, 1e9f, 1e9f}, *hi = {-1e9f, -1e9f, -1e9f};
    for (const Vertex& v : verts_) {
        lo->x = std::min(lo->x, v.p.x), lo->y = std::min(lo->y, v.p.y), lo->z = std::min(lo->z, v.p.z);
        hi->x = std::max(hi->x, v.p.x), hi->y = std::max(hi->y, v.p.y), hi->z = std::max(hi->z, v.p.z);
    }
}

std::vector<V3> CircleProfile(int segments, float phase) {
    std::vector<V3> out;
    for (int k = 0; k < segments; ++k) {
        float a = 6.2831853f * (k + phase) / segments;
        out.push_back({std::sin(a), std::cos(a), 0});
    }
    return out;
}

std::vector<V3> PolyProfile(const std::vector<std::pair<float, float>>& xy) {
    std::vector<V3> out;
    for (const auto& [x, y] : xy) out.push_back({x, y, 0});
    return out;
}

static std::string F(float v) {
    char buf[32];
    if (std::fabs(v) < 5e-7f) v = 0;
    std::snprintf(buf, sizeof buf, "%.6g", double(v));
    return buf;
}

bool Model::WriteX(const std::string& path) const {
    std::FILE* f = std::fopen(path.c_str(), "w");
    if (!f) return false;
    std::fprintf(f, "xof 0303txt 0032\n\nMesh %s {\n %zu;\n", name_.c_str(), verts_.size());
    for (size_t i = 0; i < verts_.size(); ++i)
        std::fprintf(f, " %s;%s;%s;%s\n", F(verts_[i].p.x).c_str(), F(verts_[i].p.y).c_str(), F(verts_[i].p.z).c_str(),
                     i + 1 < verts_.size() ? "," : ";");
    std::fprintf(f, " %zu;\n", tris_.size());
    for (size_t i = 0; i < tris_.size(); ++i)
        std::fprintf(f, " 3;%d,%d,%d;%s\n", tris_[i].a, tris_[i].b, tris_[i].c, i + 1 < tris_.size() ? "," : ";");
    std::fprintf(f, "\n MeshNormals {\n  %zu;\n", verts_.size());
    for (size_t i = 0; i < verts_.size(); ++i)
        std::fprintf(f, "  %s;%s;%s;%s\n", F(verts_[i].n.x).c_str(), F(verts_[i].n.y).c_str(), F(verts_[i].n.z).c_str(),
                     i + 1 < verts_.size() ? "," : ";");
    std::fprintf(f, "  %zu;\n", tris_.size());
    for (size_t i = 0; i < tris_.size(); ++i)
        std::fprintf(f, "  3;%d,%d,%d;%s\n", tris_[i].a, tris_[i].b, tris_[i].c, i + 1 < tris_.size() ? "," : ";");
    std::fprintf(f, " }\n\n MeshTextureCoords {\n  %zu;\n", verts_.size());
    for (size_t i = 0; i < verts_.size(); ++i)
        std::fprintf(f, "  %s;%s;%s\n", F(verts_[i].u).c_str(), F(verts_[i].v).c_str(), i + 1 < verts_.size() ? "," : ";");
    std::fprintf(f, " }\n\n MeshMaterialList {\n  %zu;\n  %zu;\n", mats_.size(), tris_.size());
    for (size_t i = 0; i < tris_.size(); ++i) std::fprintf(f, "  %d%s\n", tris_[i].mat, i + 1 < tris_.size() ? "," : ";");
    for (const Material& m : mats_) {
        // The emissive colour is replaced at draw time by the diffuse colour
        // times the draw's factor; the value here only shows where a draw
        // passes a factor of 0 (the player's beam, which is drawn from its texture).
        std::fprintf(f, "\n  Material {\n   %s;%s;%s;%s;;\n   %s;\n   %s;%s;%s;;\n   %s;%s;%s;;\n",
                     F(m.r).c_str(), F(m.g).c_str(), F(m.b).c_str(), F(m.a).c_str(), F(m.power).c_str(),
                     F(m.specular).c_str(), F(m.specular).c_str(), F(m.specular).c_str(), F(m.r * 0.5f).c_str(),
                     F(m.g * 0.5f).c_str(), F(m.b * 0.5f).c_str());
        if (!m.texture.empty()) std::fprintf(f, "   TextureFilename {\n    \"%s\";\n   }\n", m.texture.c_str());
        std::fprintf(f, "  }\n");
    }
    std::fprintf(f, " }\n}\n");
    return std::fclose(f) == 0;
}

}  // namespace mdl
