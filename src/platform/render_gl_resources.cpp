// Textures, static meshes and off-screen render targets.
#include <cstddef>
#include <cstdio>

#include "platform/render_gl_internal.h"

using rdgl::g;

RdTexture* RdCreateTexture(int width, int height, const uint8_t* rgba) {
    if (!g.created || width <= 0 || height <= 0 || width > 8192 || height > 8192) return nullptr;
    bool opaque = rgba != nullptr;
    const size_t texels = static_cast<size_t>(width) * static_cast<size_t>(height);
    for (size_t i = 0; opaque && i < texels; ++i) opaque = rgba[i * 4 + 3] == 255;
    RdTexture* t = new RdTexture{0, width, height, opaque};
    glGenTextures(1, &t->name);
    glBindTexture(GL_TEXTURE_2D, t->name);
    g.boundTexture = t->name;
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
    return t;
}

void RdReleaseTexture(RdTexture* t) {
    if (t == nullptr) return;
    rdgl::FlushQuads();  // queued quads may still read it
    if (g.texture == t) g.texture = nullptr;
    if (g.created) {
        rdgl::ResetTextureCache(t->name);
        glDeleteTextures(1, &t->name);
    }
    delete t;
}

RdMesh* RdCreateMesh(const MeshVertex* vertices, int vertexCount, const uint32_t* indices,
                     int indexCount, bool hasVertexColours) {
    if (!g.created || vertices == nullptr || indices == nullptr || vertexCount <= 0 ||
        indexCount <= 0) {
        return nullptr;
    }
    for (int i = 0; i < indexCount; ++i) {
        if (indices[i] >= static_cast<uint32_t>(vertexCount)) {
            std::fprintf(stderr, "Zorbat U.F.O.: mesh index %u out of range\n", indices[i]);
            return nullptr;
        }
    }
    bool opaqueColours = true;
    for (int i = 0; opaqueColours && i < vertexCount; ++i) opaqueColours = (vertices[i].diffuse >> 24) == 0xFF;
    RdMesh* m = new RdMesh{0, 0, 0, indexCount, hasVertexColours, opaqueColours, {}, {}};
    for (int k = 0; k < 3; ++k) {
        m->boundsMin[k] = (&vertices[0].x)[k];
        m->boundsMax[k] = (&vertices[0].x)[k];
    }
    for (int i = 1; i < vertexCount; ++i) {
        for (int k = 0; k < 3; ++k) {
            const float v = (&vertices[i].x)[k];
            if (v < m->boundsMin[k]) m->boundsMin[k] = v;
            if (v > m->boundsMax[k]) m->boundsMax[k] = v;
        }
    }
    glGenVertexArrays(1, &m->vao);
    glGenBuffers(1, &m->vbo);
    glGenBuffers(1, &m->ibo);
    rdgl::BindVao(m->vao);
    glBindBuffer(GL_ARRAY_BUFFER, m->vbo);
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(vertexCount) * sizeof(MeshVertex),
                 vertices, GL_STATIC_DRAW);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, m->ibo);
    glBufferData(GL_ELEMENT_ARRAY_BUFFER, static_cast<GLsizeiptr>(indexCount) * 4, indices,
                 GL_STATIC_DRAW);
    const GLsizei stride = sizeof(MeshVertex);
    auto at = [](size_t offset) { return reinterpret_cast<const void*>(offset); };
    glEnableVertexAttribArray(0);
    glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, stride, at(offsetof(MeshVertex, x)));
    glEnableVertexAttribArray(1);
    glVertexAttribPointer(1, 3, GL_FLOAT, GL_FALSE, stride, at(offsetof(MeshVertex, nx)));
    glEnableVertexAttribArray(3);
    glVertexAttribPointer(3, 2, GL_FLOAT, GL_FALSE, stride, at(offsetof(MeshVertex, u)));
    if (hasVertexColours) {
        glEnableVertexAttribArray(2);
        glVertexAttribPointer(2, GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE, stride,
                              at(offsetof(MeshVertex, diffuse)));
    }
    return m;
}

void RdReleaseMesh(RdMesh* mesh) {
    if (mesh == nullptr) return;
    if (g.cullMesh == mesh) g.cullMesh = nullptr;  // a new mesh may come at this address
    if (g.created) {
        if (g.boundVao == mesh->vao) rdgl::BindVao(0);
        glDeleteVertexArrays(1, &mesh->vao);
        glDeleteBuffers(1, &mesh->vbo);
        glDeleteBuffers(1, &mesh->ibo);
    }
    delete mesh;
}

RdRenderTarget* RdCreateRenderTarget(int width, int height) {
    if (!g.created || width <= 0 || height <= 0 || width > 4096 || height > 4096) return nullptr;
    RdRenderTarget* rt = new RdRenderTarget{};
    rt->texture.width = width;
    rt->texture.height = height;
    glGenTextures(1, &rt->texture.name);
    glBindTexture(GL_TEXTURE_2D, rt->texture.name);
    g.boundTexture = rt->texture.name;
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
    glGenRenderbuffers(1, &rt->depth);
    glBindRenderbuffer(GL_RENDERBUFFER, rt->depth);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT24, width, height);
    glGenFramebuffers(1, &rt->fbo);
    glBindFramebuffer(GL_FRAMEBUFFER, rt->fbo);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, rt->texture.name,
                           0);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER,
                              rt->depth);
    bool complete = glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
    glBindFramebuffer(GL_FRAMEBUFFER, rdgl::CurrentFbo());
    if (!complete) {
        RdReleaseRenderTarget(rt);
        return nullptr;
    }
    return rt;
}

RdTexture* RdRenderTargetTexture(RdRenderTarget* rt) { return rt ? &rt->texture : nullptr; }

// The first switch away from the back buffer keeps its viewport; going back
// puts it back. The target's viewport covers all of it.
void RdSetRenderTarget(RdRenderTarget* rt) {
    if (!g.created || rt == g.target) return;
    rdgl::FlushQuads();
    if (rt) {
        if (g.target == nullptr) g.savedViewport = g.viewport;
        g.target = rt;
        g.viewport = Viewport{0, 0, rt->texture.width, rt->texture.height, 0.0f, 1.0f};
    } else {
        g.target = nullptr;
        g.viewport = g.savedViewport;
    }
    glBindFramebuffer(GL_FRAMEBUFFER, rdgl::CurrentFbo());
    rdgl::ApplyFrontFace();
    rdgl::ApplyViewport();
}

void RdReleaseRenderTarget(RdRenderTarget* rt) {
    if (rt == nullptr) return;
    rdgl::FlushQuads();
    if (g.target == rt) RdSetRenderTarget(nullptr);
    if (g.texture == &rt->texture) g.texture = nullptr;
    if (g.created) {
        rdgl::ResetTextureCache(rt->texture.name);
        glDeleteFramebuffers(1, &rt->fbo);
        glDeleteRenderbuffers(1, &rt->depth);
        glDeleteTextures(1, &rt->texture.name);
    }
    delete rt;
}
