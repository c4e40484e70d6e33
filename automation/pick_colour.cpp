// Picking without OpenGL selection, for a GL that has none (the browser's): the pick scene
// in flat colours, read back with glReadPixels(GL_RGBA, GL_UNSIGNED_BYTE). No depth is read.
//
// How it keeps the desktop's meaning (selectPick):
// - The same volume. Selection counts what survives clipping to the 5 x 5 pick region, not
//   what covers pixel centres. Here the projection is built as selectPick's is
//   (gluPickMatrix's own glTranslatef and glScalef, then the frustum), so clipping cuts the
//   same region out of the scene, and the region is drawn magnified onto SAMPLES x SAMPLES
//   pixels at the viewport's corner (viewport and scissor). The region is widened by half a
//   sample each way so that the outer samples lie on its edges and corners, which the
//   region includes: a block or the quay that only grazes the region near a corner still
//   covers the corner sample.
// - Occlusion ignored. The blocks are drawn first, depth-tested among themselves only; the
//   axes and the quay after them, without writing depth and only where no block is.
// - The front-most block. Selection picks the block of smallest minimum depth over the
//   region, the lowest index on equal depths. The block owning the nearest sample of all
//   shows at that sample, so the answer is among the blocks seen; one block seen is the
//   answer. For two or more, the depth test is the comparator: the depth buffer is cleared
//   to a threshold (glClearDepth, scissored) and only those blocks are drawn with GL_LESS,
//   so a block shows exactly where it has a sample nearer than the threshold. Halving the
//   threshold closes in on the nearest sample of all. Blocks whose nearest samples lie
//   within TIE_STEPS steps of the depth buffer of it count as equally near, and the lowest
//   index wins: faces in one plane (blocks standing side by side seen along a horizontal
//   plane, overlapping tops) give selection exactly equal depths, which both GLs' rounding
//   would otherwise part by a step or two either way. As soon as one block alone is nearer
//   than the threshold and no lower index comes within the tie, it is the answer; most
//   clicks with two blocks need a handful of passes.
//
// Needs a colour buffer without multisampling (a block's code must reach a pixel
// unblended) with at least 2 bits per channel, and a depth buffer; no alpha is read.
#include "automation/automation.h"

#include "camera/camera.h"
#include "scene/scene.h"

#include "platform/platform.h"

namespace {

const int SAMPLES = 100;         // the region is read as SAMPLES x SAMPLES pixels at most
const int TIE_STEPS = 8;         // depth-buffer steps within which two blocks tie
const int CLEAR_CODE = 0;        // black: nothing at that sample
const int SCENERY_CODE = 63;     // white, as drawAxes paints itself: the axes and the quay
const int FIRST_BLOCK_CODE = 1;  // block i is code FIRST_BLOCK_CODE + i
const float LEVEL = 85.0f / 255; // four levels a channel, two bits of a code each

unsigned char pixels[4 * SAMPLES * SAMPLES];

void setCode(int code) {
    glColor3f(LEVEL * (code & 3), LEVEL * ((code >> 2) & 3), LEVEL * ((code >> 4) & 3));
}

int codeAt(const unsigned char *rgba) {
    int r = (rgba[0] + 42) / 85, g = (rgba[1] + 42) / 85, b = (rgba[2] + 42) / 85;
    return r | (g << 2) | (b << 4);
}

// Every capability the passes set, and the values they change, put back on leaving; all
// can be read back from the browser's GL too. Two cannot: the current colour and the
// matrix mode. They are left as the program always has them between passes, white (as
// drawAxes paints it; the lit scene does not use it) and the modelview matrix (where
// applyView leaves it).
const GLenum CAPABILITIES[] = {GL_LIGHTING, GL_DEPTH_TEST, GL_SCISSOR_TEST, GL_DITHER, GL_BLEND};
const int CAPABILITY_COUNT = sizeof CAPABILITIES / sizeof CAPABILITIES[0];

struct SavedState {
    GLboolean enabled[CAPABILITY_COUNT];
    GLint viewport[4];
    GLint scissor[4];
    GLint depthFunc;
    GLfloat depthRange[2];
    GLboolean depthMask;
    GLfloat clearColour[4];
    GLfloat clearDepth;
};

SavedState saveState() {
    SavedState s;
    for (int c = 0; c < CAPABILITY_COUNT; c++) {
        s.enabled[c] = glIsEnabled(CAPABILITIES[c]);
    }
    glGetIntegerv(GL_VIEWPORT, s.viewport);
    glGetIntegerv(GL_SCISSOR_BOX, s.scissor);
    glGetIntegerv(GL_DEPTH_FUNC, &s.depthFunc);
    glGetFloatv(GL_DEPTH_RANGE, s.depthRange);
    glGetBooleanv(GL_DEPTH_WRITEMASK, &s.depthMask);
    glGetFloatv(GL_COLOR_CLEAR_VALUE, s.clearColour);
    glGetFloatv(GL_DEPTH_CLEAR_VALUE, &s.clearDepth);
    return s;
}

void restoreState(const SavedState &s) {
    for (int c = 0; c < CAPABILITY_COUNT; c++) {
        if (s.enabled[c]) {
            glEnable(CAPABILITIES[c]);
        } else {
            glDisable(CAPABILITIES[c]);
        }
    }
    glViewport(s.viewport[0], s.viewport[1], s.viewport[2], s.viewport[3]);
    glScissor(s.scissor[0], s.scissor[1], s.scissor[2], s.scissor[3]);
    glDepthFunc(static_cast<GLenum>(s.depthFunc));
    glDepthMask(s.depthMask);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    glClearColor(s.clearColour[0], s.clearColour[1], s.clearColour[2], s.clearColour[3]);
    glClearDepth(s.clearDepth);
}

// The blocks marked in draw that drawWaitingBlocks would draw, each in its code, in index
// order and placed as drawWaitingBlocks places them.
void drawCodedBlocks(const bool *draw) {
    for (int i = 0; i < blockCount; i++) {
        if (!draw[i] || !isWaitingBlock(i)) {
            continue;
        }
        setCode(FIRST_BLOCK_CODE + i);
        glPushMatrix();
        glTranslatef(blockTable[i].x, blockTable[i].y, blockTable[i].z);
        drawBlock(blockTable[i]);
        glPopMatrix();
    }
}

int lowestMarked(const bool *marks) {
    for (int i = 0; i < MAX_BLOCKS; i++) {
        if (marks[i]) {
            return i;
        }
    }
    return -1;
}

// Where the region is drawn, left and bottom in window pixels, size x size samples.
struct SampleArea {
    int left, bottom, size;

    // Which blocks show in the area, and whether anything else but the clear colour does
    // (the scenery). Returns how many blocks show.
    int read(bool *blocks, bool *scenery) const {
        glReadPixels(left, bottom, size, size, GL_RGBA, GL_UNSIGNED_BYTE, pixels);
        int count = 0;
        *scenery = false;
        for (int i = 0; i < MAX_BLOCKS; i++) {
            blocks[i] = false;
        }
        for (int p = 0; p < size * size; p++) {
            int code = codeAt(&pixels[4 * p]);
            int block = code - FIRST_BLOCK_CODE;
            if (code == CLEAR_CODE) {
                continue;
            } else if (code == SCENERY_CODE || !isBlockIndex(block)) {
                *scenery = true;
            } else if (!blocks[block]) {
                blocks[block] = true;
                count++;
            }
        }
        return count;
    }

    // Depth cleared to threshold and the blocks marked in draw drawn with GL_LESS: marks in
    // shown those with a sample nearer than threshold that no nearer sample hides.
    int showBelow(double threshold, const bool *draw, bool *shown) const {
        glClearDepth(threshold);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        drawCodedBlocks(draw);
        bool scenery = false;
        return read(shown, &scenery);
    }

    // Whether the block has a sample nearer than threshold, whatever else is there.
    bool hasSampleBelow(double threshold, int block) const {
        bool draw[MAX_BLOCKS] = {}, shown[MAX_BLOCKS];
        draw[block] = true;
        return showBelow(threshold, draw, shown) == 1;
    }

    // The answer among two or more blocks seen (see the top of the file); tie is the
    // tolerance in depth, resolution the width the threshold is halved down to.
    int frontMost(const bool *seen, double tie, double resolution) const {
        bool candidates[MAX_BLOCKS], shown[MAX_BLOCKS];
        for (int i = 0; i < MAX_BLOCKS; i++) {
            candidates[i] = seen[i];
        }
        double nearer = 0.0, farther = 1.0; // no sample below nearer; some below farther
        while (farther - nearer > resolution) {
            double threshold = (nearer + farther) / 2;
            int count = showBelow(threshold, candidates, shown);
            if (count == 0) {
                nearer = threshold;
                continue;
            }
            farther = threshold;
            for (int i = 0; i < MAX_BLOCKS; i++) {
                candidates[i] = shown[i]; // the nearest sample of all always shows
            }
            if (count == 1) {
                int alone = lowestMarked(shown);
                bool close = false;
                for (int i = 0; i < alone && !close; i++) {
                    close = seen[i] && hasSampleBelow(threshold + tie, i);
                }
                if (!close) {
                    return alone;
                }
            }
        }
        for (int i = 0; i < MAX_BLOCKS; i++) {
            if (seen[i] && hasSampleBelow(farther + tie, i)) {
                return i;
            }
        }
        return lowestMarked(candidates);
    }
};

} // namespace

int colourPick(int x, int y, int *block) {
    *block = -1;
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    int size = SAMPLES;
    size = viewport[2] < size ? viewport[2] : size;
    size = viewport[3] < size ? viewport[3] : size;
    if (size < 2) {
        return 0;
    }
    SavedState saved = saveState();

    // gluPickMatrix(x, viewport[3] - y, 5, 5, viewport) as selectPick calls it, written out
    // as GLU writes it, for the region widened by half a sample; then the frustum, and the
    // view on the modelview matrix.
    const double pickSize = 5.0 * size / (size - 1);
    double cx = x, cy = viewport[3] - y;
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glTranslatef(static_cast<GLfloat>((viewport[2] - 2 * (cx - viewport[0])) / pickSize),
                 static_cast<GLfloat>((viewport[3] - 2 * (cy - viewport[1])) / pickSize), 0.0f);
    glScalef(static_cast<GLfloat>(viewport[2] / pickSize),
             static_cast<GLfloat>(viewport[3] / pickSize), 1.0f);
    multiplyFrustum();
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    applyView(camera.position, camera.back, camera.up, camera.offset);

    SampleArea area = {viewport[0], viewport[1], size};
    glViewport(area.left, area.bottom, size, size);
    glScissor(area.left, area.bottom, size, size);
    glEnable(GL_SCISSOR_TEST);
    glDisable(GL_LIGHTING);
    glDisable(GL_DITHER);
    glDisable(GL_BLEND);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LESS);
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glClearDepth(1.0);

    // The pick scene: the blocks depth-tested, then the scenery at the far end of the depth
    // range without writing depth, so only where no block is.
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    bool all[MAX_BLOCKS];
    for (int i = 0; i < MAX_BLOCKS; i++) {
        all[i] = true;
    }
    drawCodedBlocks(all);
    glDepthMask(GL_FALSE);
    glDepthFunc(GL_LEQUAL);
    glDepthRange(1.0, 1.0);
    setCode(SCENERY_CODE);
    drawQuay();
    setCode(SCENERY_CODE);
    drawAxes(AXIS_LENGTH);
    glDepthRange(saved.depthRange[0], saved.depthRange[1]);
    glDepthFunc(GL_LESS);
    glDepthMask(GL_TRUE);

    bool seen[MAX_BLOCKS], scenery = false;
    int seenCount = area.read(seen, &scenery);
    if (seenCount > 1) {
        GLint depthBits = 0;
        glGetIntegerv(GL_DEPTH_BITS, &depthBits);
        depthBits = depthBits > 0 && depthBits <= 24 ? depthBits : 24;
        double step = 1.0 / ((1 << depthBits) - 1);
        *block = area.frontMost(seen, TIE_STEPS * step, step / 4);
    } else {
        *block = lowestMarked(seen);
    }

    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
    restoreState(saved);
    return seenCount + (scenery ? 1 : 0);
}
