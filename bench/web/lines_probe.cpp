// The GL emulation's glNormal3f outside glBegin/glEnd, on its own: a lit triangle from
// vertex and normal arrays, the normal made current as the program does, then lines from a
// vertex array. Reports the emulation's count of enabled client arrays, the WebGL error of
// the line draw and the bytes past the triangle's arrays. Built and run by lines_probe.mjs.
#include <GL/glut.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <emscripten.h>
#include <malloc.h>

struct LitVertex {
    float normal[3], position[3];
};

static LitVertex triangle[3 + 2]; // two spare vertices watch for writes past the draw
static const float lines[6][3] = {{0, 0, 0}, {0, 0.9f, 0}, {0, 0, 0},
                                  {0.9f, 0, 0}, {0, 0, 0}, {0, 0, 0.9f}};
static const unsigned short indices[3] = {0, 1, 2};

static int enabledArrays() {
    return EM_ASM_INT({ return GLImmediate.totalEnabledClientAttributes; });
}

static int webglError() {
    return EM_ASM_INT({ return GLctx.getError(); });
}

static void drawTriangle(bool indexed) {
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_NORMAL_ARRAY);
    glNormalPointer(GL_FLOAT, sizeof(LitVertex), triangle[0].normal);
    glVertexPointer(3, GL_FLOAT, sizeof(LitVertex), triangle[0].position);
    if (indexed) {
        glDrawElements(GL_TRIANGLES, 3, GL_UNSIGNED_SHORT, indices);
    } else {
        glDrawArrays(GL_TRIANGLES, 0, 3);
    }
    glDisableClientState(GL_NORMAL_ARRAY);
    glDisableClientState(GL_VERTEX_ARRAY);
}

static void drawLines() {
    glEnableClientState(GL_VERTEX_ARRAY);
    glVertexPointer(3, GL_FLOAT, 0, lines);
    glDrawArrays(GL_LINES, 0, 6);
    glDisableClientState(GL_VERTEX_ARRAY);
}

// The cylinder's arrays as the program allocates them (3600 vertices, 2223 of them drawn by
// 3600 indices), and the block allocated after them: does the normal land in its header?
static void heapCase() {
    const int count = 3600;
    LitVertex *vertices = static_cast<LitVertex *>(std::malloc(sizeof(LitVertex) * count));
    unsigned short *next = static_cast<unsigned short *>(std::malloc(sizeof(short) * count));
    std::memset(vertices, 0, sizeof(LitVertex) * count);
    for (int i = 0; i < count; i++) {
        next[i] = static_cast<unsigned short>(i % 2223);
    }
    // malloc's own words before the block: the previous block's spare word and this size
    volatile unsigned *words = reinterpret_cast<volatile unsigned *>(next) - 2;
    unsigned header[3] = {words[0], words[1], words[2]};
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_NORMAL_ARRAY);
    glNormalPointer(GL_FLOAT, sizeof(LitVertex), vertices[0].normal);
    glVertexPointer(3, GL_FLOAT, sizeof(LitVertex), vertices[0].position);
    glDrawElements(GL_TRIANGLES, count, GL_UNSIGNED_SHORT, next);
    glDisableClientState(GL_NORMAL_ARRAY);
    glDisableClientState(GL_VERTEX_ARRAY);
    glNormal3f(0.25f, 0.5f, 0.75f);
    std::printf("heap: %zu bytes asked, %zu usable, next block %ld bytes on; its two header "
                "words and first word %08x %08x %08x, after glNormal3f %08x %08x %08x\n",
                sizeof(LitVertex) * count, malloc_usable_size(vertices),
                static_cast<long>(reinterpret_cast<char *>(next) - reinterpret_cast<char *>(vertices)),
                header[0], header[1], header[2], words[0], words[1], words[2]);
}

static void report(const char *step) {
    std::printf("%-40s enabled arrays %2d, WebGL error 0x%04x\n", step, enabledArrays(),
                webglError());
}

static void display() {
    const bool normal = EM_ASM_INT({ return location.hash.indexOf('nonormal') < 0; });
    const float sentinel[3] = {-7, -7, -7};
    std::memset(triangle, 0, sizeof triangle);
    for (int i = 0; i < 3; i++) {
        triangle[i].normal[2] = 1;
    }
    triangle[1].position[0] = 0.5f;
    triangle[2].position[1] = 0.5f;
    std::memcpy(triangle[3].normal, sentinel, sizeof sentinel);
    glClearColor(1, 1, 1, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    report("start");
    for (int frame = 0; frame < 2; frame++) {
        for (int indexed = 0; indexed < 2; indexed++) {
            drawTriangle(indexed != 0);
            report(indexed ? "triangle, glDrawElements" : "triangle, glDrawArrays");
            if (normal) {
                glNormal3f(0.25f, 0.5f, 0.75f);
                report("glNormal3f after it");
                std::printf("%-40s %g %g %g\n", "  the 12 bytes past the triangle's arrays",
                            triangle[3].normal[0], triangle[3].normal[1], triangle[3].normal[2]);
            }
        }
        drawLines();
        report("lines, glDrawArrays");
    }
    if (normal) {
        heapCase();
    }
    std::printf("done\n");
}

int main(int argc, char **argv) {
    glutInit(&argc, argv);
    glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
    glutInitWindowSize(200, 200);
    glutCreateWindow("probe");
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    glutDisplayFunc(display);
    glutMainLoop();
}
