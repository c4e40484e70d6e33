// One frame's OpenGL calls as arrays: recorded once from the program's display pass and
// issued again with nothing else around them. That replay is the floor a display pass is
// measured against.
#ifndef VINCA_BENCH_FRAME_TRACE_H
#define VINCA_BENCH_FRAME_TRACE_H

#include <cstdint>
#include <string>
#include <vector>

// One code per entry point the display pass reaches (see the recorder's list), plus
// TRIANGLE: a glBegin(GL_TRIANGLES), glNormal3f, three glVertex3f, glEnd block in one op.
enum TraceOp : uint8_t {
    OP_BEGIN,
    OP_END,
    OP_VERTEX,
    OP_NORMAL,
    OP_COLOR,
    OP_ENABLE,
    OP_LINE_WIDTH,
    OP_MATERIAL,
    OP_LIGHT,
    OP_MATRIX_MODE,
    OP_PUSH_MATRIX,
    OP_POP_MATRIX,
    OP_LOAD_IDENTITY,
    OP_TRANSLATE,
    OP_ROTATE,
    OP_SCALE,
    OP_CLEAR,
    OP_CLEAR_COLOR,
    OP_FLUSH,
    OP_SWAP,
    OP_TRIANGLE,
    OP_COUNT
};

// Arguments are consumed in op order: floats from floats, enums from enums.
struct FrameTrace {
    std::vector<uint8_t> ops;
    std::vector<float> floats;
    std::vector<uint32_t> enums;
};

int traceFloatsOf(TraceOp op);
int traceEnumsOf(TraceOp op);

bool writeTrace(const std::string &path, const FrameTrace &trace);
bool readTrace(const std::string &path, FrameTrace *trace);

// Folds every triangle block into one TRIANGLE op; the calls it stands for are unchanged.
FrameTrace fuseTriangles(const FrameTrace &trace);

// Issues the recorded calls. Without finish, glFlush and the buffer swap are left out
// (for compiling into a display list, which cannot hold either).
void replayFrame(const FrameTrace &trace, bool finish);

// Counts of entry-point calls the trace stands for (a TRIANGLE is six).
long long traceCallCount(const FrameTrace &trace);
long long traceTriangleCount(const FrameTrace &trace);

#endif
