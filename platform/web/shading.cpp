// Shading in a page. The GL emulation generates one vertex program for any fixed-function
// state: per light a normalised direction and half vector, and a specular power through exp
// and log, on every vertex. The program's lights are directional, and no material has a
// specular colour (scene/display.cpp, scene/crane.cpp), so that term is always zero. With no
// GPU the browser runs vertex programs on the CPU (SwiftShader), where the generated one costs
// about twice this one. The emulation feeds a program of the user's the same uniforms and
// attributes by name; the unlit pick pass keeps the emulation's own.
#define GL_GLEXT_PROTOTYPES 1
#include "platform/platform.h"

#include "platform/web/gl_objects.h"

#include <GL/glext.h>

namespace {

const char *const VERTEX_SOURCE = R"(
attribute vec4 a_position;
attribute vec3 a_normal;
uniform mat4 u_modelView;
uniform mat4 u_projection;
uniform mat3 u_normalMatrix;
uniform vec4 u_lightModelAmbient;
uniform vec4 u_materialAmbient;
uniform vec4 u_materialDiffuse;
uniform vec4 u_materialEmission;
uniform vec4 u_lightAmbient0;
uniform vec4 u_lightDiffuse0;
uniform vec4 u_lightPosition0;
uniform vec4 u_lightAmbient1;
uniform vec4 u_lightDiffuse1;
uniform vec4 u_lightPosition1;
varying vec4 v_color;
void main() {
    gl_Position = u_projection * (u_modelView * a_position);
    vec3 n = normalize(u_normalMatrix * a_normal);
    vec3 c = u_materialEmission.xyz + u_lightModelAmbient.xyz * u_materialAmbient.xyz;
    c += u_lightAmbient0.xyz * u_materialAmbient.xyz +
         max(dot(n, normalize(u_lightPosition0.xyz)), 0.0) * u_lightDiffuse0.xyz * u_materialDiffuse.xyz;
    c += u_lightAmbient1.xyz * u_materialAmbient.xyz +
         max(dot(n, normalize(u_lightPosition1.xyz)), 0.0) * u_lightDiffuse1.xyz * u_materialDiffuse.xyz;
    v_color = clamp(vec4(c, u_materialDiffuse.w), 0.0, 1.0);
}
)";

const char *const FRAGMENT_SOURCE = R"(
precision mediump float;
varying vec4 v_color;
void main() {
    gl_FragColor = v_color;
}
)";

GLuint litProgram = 0;    // 0 until built
bool buildFailed = false; // then the emulation's own program is used throughout
GLuint current = 0;       // the program made current here, 0 for the emulation's

GLuint compiled(GLenum type, const char *source) {
    GLuint shader = glCreateShader(type);
    glShaderSource(shader, 1, &source, nullptr);
    glCompileShader(shader);
    GLint ok = GL_FALSE;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    return ok == GL_TRUE ? shader : 0;
}

GLuint built() {
    GLuint vertex = compiled(GL_VERTEX_SHADER, VERTEX_SOURCE);
    GLuint fragment = compiled(GL_FRAGMENT_SHADER, FRAGMENT_SOURCE);
    if (vertex == 0 || fragment == 0) {
        return 0;
    }
    GLuint program = glCreateProgram();
    glAttachShader(program, vertex);
    glAttachShader(program, fragment);
    // Where the emulation puts them in its own programs (position, normal), so that the
    // attribute arrays it enables serve either.
    glBindAttribLocation(program, 0, "a_position");
    glBindAttribLocation(program, 1, "a_normal");
    glLinkProgram(program);
    GLint ok = GL_FALSE;
    glGetProgramiv(program, GL_LINK_STATUS, &ok);
    return ok == GL_TRUE ? program : 0;
}

} // namespace

void chooseShading() {
    if (litProgram == 0 && !buildFailed) {
        litProgram = built();
        buildFailed = litProgram == 0;
    }
    GLuint wanted = glIsEnabled(GL_LIGHTING) ? litProgram : 0;
    if (wanted != current) {
        glUseProgram(wanted);
        current = wanted;
    }
}

void forgetLitProgram() {
    litProgram = 0;
    buildFailed = false;
    current = 0;
}
