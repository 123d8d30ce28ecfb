// The fixed-function pipeline the game was drawn with, written out as one
// shader source compiled into a small program per combination of states
// (see render_gl_internal.h): every choice a draw makes is settled by the
// preprocessor, so no program carries code it does not run. Matrices arrive
// in row-vector form exactly as the game builds them; GL reads that memory
// as the transpose, so M * v here is v * M.
#include <cstdio>

#include "platform/render_gl_internal.h"

namespace rdgl {
namespace {

const char* const kVertexSource = R"(
layout(location = 0) in vec4 aPos;
layout(location = 1) in vec3 aNormal;   // (0,0,0) when the vertex has none
layout(location = 2) in vec4 aColor;    // white when the vertex has none
layout(location = 3) in vec2 aTex;

// 1 when the target is stored top row first (off-screen), -1 for the window.
uniform float uYSign;
#if KIND == 0
uniform vec4 uViewport;    // x, y, width, height in pixels
#else
uniform mat4 uWorldView;
uniform mat4 uProj;
#endif
#if KIND == 2
uniform mat3 uNormalMat;   // inverse transpose of world * view, not renormalised
uniform vec4 uMaterial[5]; // diffuse, ambient, specular, emissive, power in x
uniform vec3 uLight[4];    // direction towards the light (camera space, unit), diffuse, ambient, specular
#endif

out vec4 vDiffuse;
#if SPECULAR
out vec3 vSpecular;
#endif
#if TEXTURED
out vec2 vTex;
#endif

void main() {
#if TEXTURED
    vTex = aTex;
#endif
#if KIND == 0
    // Pre-transformed: pixels from the top-left, no half-pixel shift.
    float w = 1.0 / aPos.w;
    vec2 ndc = vec2((aPos.x - uViewport.x) / uViewport.z * 2.0 - 1.0,
                    ((aPos.y - uViewport.y) / uViewport.w * 2.0 - 1.0) * uYSign);
    gl_Position = vec4(ndc * w, (2.0 * aPos.z - 1.0) * w, w);
    vDiffuse = aColor;
#else
    vec4 pc = uWorldView * vec4(aPos.xyz, 1.0);
    vec4 clip = uProj * pc;
    // Depth 0..w becomes -w..w; y is flipped where rows are stored top first.
    gl_Position = vec4(clip.x, -clip.y * uYSign, 2.0 * clip.z - clip.w, clip.w);
#if KIND == 1
    vDiffuse = aColor;
#else
#if VERTEX_COLOUR
    vec4 cd = aColor;
#else
    vec4 cd = uMaterial[0];
#endif
    vec3 colour = uMaterial[3].rgb;
#if LIGHT_ON
    vec3 n = uNormalMat * aNormal;
    float nl = dot(n, uLight[0]);
    colour += uMaterial[1].rgb * uLight[2] + cd.rgb * uLight[1] * clamp(nl, 0.0, 1.0);
#if SPECULAR
    vec3 specular = vec3(0.0);
    if (nl > 0.0) {
        vec3 h = normalize(normalize(-pc.xyz) + uLight[0]);
        float nh = dot(n, h);
        if (nh > 0.0) specular = uMaterial[2].rgb * uLight[3] * pow(nh, uMaterial[4].x);
    }
    vSpecular = clamp(specular, 0.0, 1.0);
#endif
#endif
    vDiffuse = vec4(clamp(colour, 0.0, 1.0), cd.a);
#endif
#endif
}
)";

// CA, CB, AA, AB name the two colour and two alpha factors: ONE, vDiffuse or texel.
const char* const kFragmentSource = R"(
in vec4 vDiffuse;
#if SPECULAR
in vec3 vSpecular;
#endif
#if TEXTURED
in vec2 vTex;
uniform sampler2D uTex;
#endif
out vec4 fragColor;

void main() {
#if TEXTURED
    vec4 texel = texture(uTex, vTex);
#endif
    vec3 rgb = CA.rgb * CB.rgb;
    float a = AA.a * AB.a;
#if SPECULAR
    fragColor = vec4(min(rgb + vSpecular, vec3(1.0)), a);
#else
    fragColor = vec4(rgb, a);
#endif
}
)";

GLuint Compile(GLenum kind, const char* header, const char* source) {
    GLuint s = glCreateShader(kind);
    const char* parts[2] = {header, source};
    glShaderSource(s, 2, parts, nullptr);
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

// A factor of 1 is left out rather than multiplied in: the product is the
// same, bit for bit, and cheaper.
const char* Factor(int source) {
    return source == kSrcTexture ? "texel" : (source == kSrcDiffuse ? "vDiffuse" : "vec4(1.0)");
}

bool Build(uint32_t key, Program* p) {
    const int kind = static_cast<int>(key & kKindMask);
    const bool lit = kind == kKindLit;
    const int sources = static_cast<int>(key >> kSourcesShift) & 0xFF;
    const int ca = sources & 3, cb = (sources >> 2) & 3, aa = (sources >> 4) & 3,
              ab = (sources >> 6) & 3;
    const bool textured = ca == kSrcTexture || cb == kSrcTexture || aa == kSrcTexture ||
                          ab == kSrcTexture;
    const bool specular = lit && (key & kLightOn) && (key & kSpecular);
    char header[512];
    std::snprintf(header, sizeof header,
                  "#version 330 core\n#define KIND %d\n#define VERTEX_COLOUR %d\n"
                  "#define LIGHT_ON %d\n#define SPECULAR %d\n#define TEXTURED %d\n"
                  "#define CA %s\n#define CB %s\n#define AA %s\n#define AB %s\n",
                  kind, lit && (key & kVertexColour) ? 1 : 0, lit && (key & kLightOn) ? 1 : 0,
                  specular ? 1 : 0, textured ? 1 : 0, Factor(ca), Factor(cb), Factor(aa),
                  Factor(ab));
    GLuint vs = Compile(GL_VERTEX_SHADER, header, kVertexSource);
    GLuint fs = Compile(GL_FRAGMENT_SHADER, header, kFragmentSource);
    if (!vs || !fs) {
        if (vs) glDeleteShader(vs);
        if (fs) glDeleteShader(fs);
        return false;
    }
    GLuint prog = glCreateProgram();
    glAttachShader(prog, vs);
    glAttachShader(prog, fs);
    glLinkProgram(prog);
    glDeleteShader(vs);
    glDeleteShader(fs);
    GLint ok = 0;
    glGetProgramiv(prog, GL_LINK_STATUS, &ok);
    if (!ok) {
        char log[1024];
        glGetProgramInfoLog(prog, sizeof log, nullptr, log);
        std::fprintf(stderr, "Zorbat U.F.O.: shader does not link: %s\n", log);
        glDeleteProgram(prog);
        return false;
    }
    *p = Program{};
    p->key = key;
    p->name = prog;
    p->worldView = glGetUniformLocation(prog, "uWorldView");
    p->proj = glGetUniformLocation(prog, "uProj");
    p->normalMat = glGetUniformLocation(prog, "uNormalMat");
    p->viewport = glGetUniformLocation(prog, "uViewport");
    p->ySign = glGetUniformLocation(prog, "uYSign");
    p->material = glGetUniformLocation(prog, "uMaterial");
    p->light = glGetUniformLocation(prog, "uLight");
    p->sampler = glGetUniformLocation(prog, "uTex");
    return true;
}

// The programs the game's screens and stages use, found by running every
// screen and every stage: each costs a few milliseconds to build, which in
// the middle of play is a visible hitch (the first frame of a stage needs
// six of them at once). They are built one per frame while the loading
// scene is idle instead. A state combination missing here is still built
// when first drawn.
constexpr uint32_t kUsualPrograms[] = {
    0x6600,  // screen: texture times diffuse (sprites)
    0x1100,  // screen: diffuse alone (dimmers, untextured sprites)
    0x2201,  // world, unlit: texture alone (the floor)
    0x661A,  // lit with specular: texture times diffuse (buildings)
    0x111A,  // lit with specular: diffuse alone (craft, enemies, shots)
    0x621A,  // lit with specular: texture colour, texture times diffuse alpha (beam shots)
    0x621E,  // the same lit from vertex colours (sparks and bursts)
    0x6601,  // world, unlit: texture times diffuse (the shadow, the charge glow)
    0x0001,  // world, unlit, white (the shadow's silhouette)
};

}  // namespace

void BuildAheadOfNeed() {
    constexpr int kCount = static_cast<int>(sizeof kUsualPrograms / sizeof kUsualPrograms[0]);
    Program* previous = g.current;
    const int before = g.programCount;
    while (g.warmNext < kCount && g.programCount == before) ProgramFor(kUsualPrograms[g.warmNext++]);
    if (previous != nullptr && g.current != previous) {
        glUseProgram(previous->name);
        g.current = previous;
    }
}

Program* ProgramFor(uint32_t key) {
    for (int i = 0; i < g.programCount; ++i) {
        if (g.programs[i].key == key) return &g.programs[i];
    }
    if (g.programCount == kMaxPrograms) return nullptr;  // more states than the game uses
    Program* p = &g.programs[g.programCount];
    if (!Build(key, p)) return nullptr;
    ++g.programCount;
    // The sampler unit never changes; everything else is sent when first drawn.
    glUseProgram(p->name);
    if (p->sampler >= 0) glUniform1i(p->sampler, 0);
    g.current = p;
    ++g.stats.programSwitches;
    return p;
}

}  // namespace rdgl
