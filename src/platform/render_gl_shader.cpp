// The one shader program: the fixed-function pipeline the game was drawn
// with, written out. Matrices arrive in row-vector form exactly as the game
// builds them; GL reads that memory as the transpose, so M * v here is v * M.
#include <cstdio>

#include "platform/render_gl_internal.h"

namespace rdgl {
namespace {

const char* const kVertexSource = R"(#version 330 core
layout(location = 0) in vec4 aPos;
layout(location = 1) in vec3 aNormal;   // (0,0,0) when the vertex has none
layout(location = 2) in vec4 aColor;    // white when the vertex has none
layout(location = 3) in vec2 aTex;

uniform mat4 uWorldView;
uniform mat4 uProj;
uniform mat3 uNormalMat;   // inverse transpose of world * view, not renormalised
uniform int uVsFlags;
uniform vec4 uViewport;    // x, y, width, height in pixels
uniform vec4 uMatDiffuse, uMatAmbient, uMatSpecular, uMatEmissive;
uniform float uMatPower;
uniform vec3 uLightDir;    // towards the light, camera space, unit length
uniform vec3 uLightDiffuse, uLightAmbient, uLightSpecular;

out vec4 vDiffuse;
out vec3 vSpecular;
out vec2 vTex;

void main() {
    vTex = aTex;
    if ((uVsFlags & 1) != 0) {
        // Pre-transformed: pixels from the top-left, no half-pixel shift.
        // Frames are stored top row first, so y grows with the row index.
        float w = 1.0 / aPos.w;
        vec2 ndc = vec2((aPos.x - uViewport.x) / uViewport.z * 2.0 - 1.0,
                        (aPos.y - uViewport.y) / uViewport.w * 2.0 - 1.0);
        gl_Position = vec4(ndc * w, (2.0 * aPos.z - 1.0) * w, w);
        vDiffuse = aColor;
        vSpecular = vec3(0.0);
        return;
    }
    vec4 pc = uWorldView * vec4(aPos.xyz, 1.0);
    vec4 clip = uProj * pc;
    // Depth 0..w becomes -w..w; y is flipped to keep the top row first.
    gl_Position = vec4(clip.x, -clip.y, 2.0 * clip.z - clip.w, clip.w);
    if ((uVsFlags & 2) == 0) {
        vDiffuse = aColor;
        vSpecular = vec3(0.0);
        return;
    }
    vec4 cd = (uVsFlags & 4) != 0 ? aColor : uMatDiffuse;
    vec3 colour = uMatEmissive.rgb;
    vec3 specular = vec3(0.0);
    if ((uVsFlags & 8) != 0) {
        vec3 n = uNormalMat * aNormal;
        float nl = dot(n, uLightDir);
        colour += uMatAmbient.rgb * uLightAmbient + cd.rgb * uLightDiffuse * clamp(nl, 0.0, 1.0);
        if (nl > 0.0) {
            vec3 h = normalize(normalize(-pc.xyz) + uLightDir);
            float nh = dot(n, h);
            if (nh > 0.0) specular = uMatSpecular.rgb * uLightSpecular * pow(nh, uMatPower);
        }
    }
    vDiffuse = vec4(clamp(colour, 0.0, 1.0), cd.a);
    vSpecular = (uVsFlags & 16) != 0 ? clamp(specular, 0.0, 1.0) : vec3(0.0);
}
)";

const char* const kFragmentSource = R"(#version 330 core
in vec4 vDiffuse;
in vec3 vSpecular;
in vec2 vTex;
uniform sampler2D uTex;
uniform int uFsSources;   // 2 bits each: colour A, colour B, alpha A, alpha B
out vec4 fragColor;

vec4 Source(int s, vec4 texel) {
    return s == 0 ? vec4(1.0) : (s == 1 ? vDiffuse : texel);
}

void main() {
    vec4 texel = vec4(1.0);
    if ((uFsSources & 0xAA) != 0) texel = texture(uTex, vTex);
    vec3 rgb = Source(uFsSources & 3, texel).rgb * Source((uFsSources >> 2) & 3, texel).rgb;
    float a = Source((uFsSources >> 4) & 3, texel).a * Source((uFsSources >> 6) & 3, texel).a;
    fragColor = vec4(min(rgb + vSpecular, vec3(1.0)), a);
}
)";

GLuint Compile(GLenum kind, const char* source) {
    GLuint s = glCreateShader(kind);
    glShaderSource(s, 1, &source, nullptr);
    glCompileShader(s);
    GLint ok = 0;
    glGetShaderiv(s, GL_COMPILE_STATUS, &ok);
    if (!ok) {
        char log[1024];
        glGetShaderInfoLog(s, sizeof log, nullptr, log);
        std::fprintf(stderr, "Zorbat U.F.O.: shader does not compile: %s\n", log);
        glDeleteShader(s);
        return 0;
    }
    return s;
}

}  // namespace

bool BuildProgram(GLuint* program, Uniforms* u) {
    GLuint vs = Compile(GL_VERTEX_SHADER, kVertexSource);
    GLuint fs = Compile(GL_FRAGMENT_SHADER, kFragmentSource);
    if (!vs || !fs) {
        if (vs) glDeleteShader(vs);
        if (fs) glDeleteShader(fs);
        return false;
    }
    GLuint p = glCreateProgram();
    glAttachShader(p, vs);
    glAttachShader(p, fs);
    glLinkProgram(p);
    glDeleteShader(vs);
    glDeleteShader(fs);
    GLint ok = 0;
    glGetProgramiv(p, GL_LINK_STATUS, &ok);
    if (!ok) {
        char log[1024];
        glGetProgramInfoLog(p, sizeof log, nullptr, log);
        std::fprintf(stderr, "Zorbat U.F.O.: shader does not link: %s\n", log);
        glDeleteProgram(p);
        return false;
    }
    *program = p;
    u->worldView = glGetUniformLocation(p, "uWorldView");
    u->proj = glGetUniformLocation(p, "uProj");
    u->normalMat = glGetUniformLocation(p, "uNormalMat");
    u->vsFlags = glGetUniformLocation(p, "uVsFlags");
    u->viewport = glGetUniformLocation(p, "uViewport");
    u->matDiffuse = glGetUniformLocation(p, "uMatDiffuse");
    u->matAmbient = glGetUniformLocation(p, "uMatAmbient");
    u->matSpecular = glGetUniformLocation(p, "uMatSpecular");
    u->matEmissive = glGetUniformLocation(p, "uMatEmissive");
    u->matPower = glGetUniformLocation(p, "uMatPower");
    u->lightDir = glGetUniformLocation(p, "uLightDir");
    u->lightDiffuse = glGetUniformLocation(p, "uLightDiffuse");
    u->lightAmbient = glGetUniformLocation(p, "uLightAmbient");
    u->lightSpecular = glGetUniformLocation(p, "uLightSpecular");
    u->fsSources = glGetUniformLocation(p, "uFsSources");
    u->sampler = glGetUniformLocation(p, "uTex");
    return true;
}

}  // namespace rdgl
