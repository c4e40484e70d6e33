#include "frame_trace.h"

#include "platform/platform.h"
#include <cstdio>

namespace {

const int FLOATS[OP_COUNT] = {0, 0, 3, 3, 3, 0, 1, 4, 4, 0, 0, 0, 0, 3, 4, 3, 0, 4, 0, 0, 12};
const int ENUMS[OP_COUNT] = {1, 0, 0, 0, 0, 1, 0, 2, 2, 1, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0};
const uint32_t TRACE_MAGIC = 0x76747231; // "vtr1"

template <typename T> bool writeArray(std::FILE *out, const std::vector<T> &a) {
    uint64_t n = a.size();
    return std::fwrite(&n, sizeof n, 1, out) == 1 &&
           std::fwrite(a.data(), sizeof(T), a.size(), out) == a.size();
}

template <typename T> bool readArray(std::FILE *in, std::vector<T> *a) {
    uint64_t n = 0;
    if (std::fread(&n, sizeof n, 1, in) != 1 || n > (1u << 28)) {
        return false;
    }
    a->resize(n);
    return std::fread(a->data(), sizeof(T), n, in) == n;
}

} // namespace

int traceFloatsOf(TraceOp op) {
    return FLOATS[op];
}

int traceEnumsOf(TraceOp op) {
    return ENUMS[op];
}

bool writeTrace(const std::string &path, const FrameTrace &trace) {
    std::FILE *out = std::fopen(path.c_str(), "wb");
    if (out == nullptr) {
        return false;
    }
    bool ok = std::fwrite(&TRACE_MAGIC, sizeof TRACE_MAGIC, 1, out) == 1 &&
              writeArray(out, trace.ops) && writeArray(out, trace.floats) &&
              writeArray(out, trace.enums);
    return std::fclose(out) == 0 && ok;
}

bool readTrace(const std::string &path, FrameTrace *trace) {
    std::FILE *in = std::fopen(path.c_str(), "rb");
    if (in == nullptr) {
        return false;
    }
    uint32_t magic = 0;
    bool ok = std::fread(&magic, sizeof magic, 1, in) == 1 && magic == TRACE_MAGIC &&
              readArray(in, &trace->ops) && readArray(in, &trace->floats) &&
              readArray(in, &trace->enums);
    std::fclose(in);
    return ok;
}

FrameTrace fuseTriangles(const FrameTrace &t) {
    FrameTrace out;
    size_t f = 0, e = 0;
    const size_t n = t.ops.size();
    for (size_t i = 0; i < n;) {
        if (i + 5 < n && t.ops[i] == OP_BEGIN && t.enums[e] == GL_TRIANGLES &&
            t.ops[i + 1] == OP_NORMAL && t.ops[i + 2] == OP_VERTEX && t.ops[i + 3] == OP_VERTEX &&
            t.ops[i + 4] == OP_VERTEX && t.ops[i + 5] == OP_END) {
            out.ops.push_back(OP_TRIANGLE);
            out.floats.insert(out.floats.end(), t.floats.begin() + f, t.floats.begin() + f + 12);
            f += 12;
            e += 1;
            i += 6;
            continue;
        }
        TraceOp op = static_cast<TraceOp>(t.ops[i]);
        out.ops.push_back(op);
        out.floats.insert(out.floats.end(), t.floats.begin() + f,
                          t.floats.begin() + f + FLOATS[op]);
        out.enums.insert(out.enums.end(), t.enums.begin() + e, t.enums.begin() + e + ENUMS[op]);
        f += FLOATS[op];
        e += ENUMS[op];
        i++;
    }
    return out;
}

void replayFrame(const FrameTrace &trace, bool finish) {
    const float *f = trace.floats.data();
    const uint32_t *e = trace.enums.data();
    for (uint8_t op : trace.ops) {
        switch (op) {
        case OP_TRIANGLE:
            glBegin(GL_TRIANGLES);
            glNormal3f(f[0], f[1], f[2]);
            glVertex3f(f[3], f[4], f[5]);
            glVertex3f(f[6], f[7], f[8]);
            glVertex3f(f[9], f[10], f[11]);
            glEnd();
            f += 12;
            break;
        case OP_BEGIN:
            glBegin(e[0]);
            e += 1;
            break;
        case OP_END:
            glEnd();
            break;
        case OP_VERTEX:
            glVertex3f(f[0], f[1], f[2]);
            f += 3;
            break;
        case OP_NORMAL:
            glNormal3f(f[0], f[1], f[2]);
            f += 3;
            break;
        case OP_COLOR:
            glColor3f(f[0], f[1], f[2]);
            f += 3;
            break;
        case OP_ENABLE:
            glEnable(e[0]);
            e += 1;
            break;
        case OP_LINE_WIDTH:
            glLineWidth(f[0]);
            f += 1;
            break;
        case OP_MATERIAL:
            glMaterialfv(e[0], e[1], f);
            e += 2;
            f += 4;
            break;
        case OP_LIGHT:
            glLightfv(e[0], e[1], f);
            e += 2;
            f += 4;
            break;
        case OP_MATRIX_MODE:
            glMatrixMode(e[0]);
            e += 1;
            break;
        case OP_PUSH_MATRIX:
            glPushMatrix();
            break;
        case OP_POP_MATRIX:
            glPopMatrix();
            break;
        case OP_LOAD_IDENTITY:
            glLoadIdentity();
            break;
        case OP_TRANSLATE:
            glTranslatef(f[0], f[1], f[2]);
            f += 3;
            break;
        case OP_ROTATE:
            glRotatef(f[0], f[1], f[2], f[3]);
            f += 4;
            break;
        case OP_SCALE:
            glScalef(f[0], f[1], f[2]);
            f += 3;
            break;
        case OP_CLEAR:
            glClear(e[0]);
            e += 1;
            break;
        case OP_CLEAR_COLOR:
            glClearColor(f[0], f[1], f[2], f[3]);
            f += 4;
            break;
        case OP_FLUSH:
            if (finish) {
                glFlush();
            }
            break;
        case OP_SWAP:
            if (finish) {
                glutSwapBuffers();
            }
            break;
        default:
            break;
        }
    }
}

long long traceCallCount(const FrameTrace &trace) {
    long long calls = 0;
    for (uint8_t op : trace.ops) {
        calls += op == OP_TRIANGLE ? 6 : 1;
    }
    return calls;
}

long long traceTriangleCount(const FrameTrace &trace) {
    long long n = 0;
    for (uint8_t op : trace.ops) {
        n += op == OP_TRIANGLE ? 1 : 0;
    }
    return n;
}
