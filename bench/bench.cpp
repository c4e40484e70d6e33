// vinca_bench: what a frame, a pick, a loading cycle and start-up cost, under the X display
// in DISPLAY (bench/run.sh starts an Xvfb of its own). Figures are medians of many runs;
// nothing here passes or fails on time.
#include "alloc_count.h"
#include "startup.h"

#include "app/app.h"
#include "automation/automation.h"
#include "camera/camera.h"
#include "common/common.h"
#include "geometry/mesh.h"
#include "scene/scene.h"
#include "support/gl_feedback.h"

#include "platform/platform.h"

#include <GL/freeglut.h>
#include <GL/glx.h>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/resource.h>
#include <unistd.h>
#include <vector>

namespace {

const std::string SOURCE_DIR = VINCA_SOURCE_DIR;
const std::string SAMPLE_FILE = SOURCE_DIR + "/data/blocks.txt";
const std::string FULL_FILE = SOURCE_DIR + "/data/blocks30.txt";
const int PROBE_ROW = 250; // a row across the crane, the quay and the blocks
const int WARM_UP = 20;
const int BENCH_WINDOW_X = 640;

long long nowNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

double threadCpuNs() {
    timespec ts;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return ts.tv_sec * 1e9 + ts.tv_nsec;
}

struct Stats {
    double median = 0, p10 = 0, p90 = 0;
    size_t n = 0;
};

Stats stats(std::vector<double> v) {
    Stats s;
    if (v.empty()) {
        return s;
    }
    std::sort(v.begin(), v.end());
    auto at = [&](double q) { return v[static_cast<size_t>(q * (v.size() - 1) + 0.5)]; };
    return {at(0.5), at(0.1), at(0.9), v.size()};
}

std::string show(const Stats &s, const char *unit) {
    char text[160];
    std::snprintf(text, sizeof text, "median %.3f %s (p10 %.3f, p90 %.3f, n = %zu)", s.median, unit,
                  s.p10, s.p90, s.n);
    return text;
}

void add(AllocCounts *sum, const AllocCounts &more) {
    sum->all += more.all;
    sum->fromProgram += more.fromProgram;
    sum->otherThreads += more.otherThreads;
}

// The program's console output goes to /dev/null while this lives; it stays unbuffered,
// so each message still costs its write as it does in the program.
struct Silence {
    int saved;
    Silence() {
        saved = dup(STDOUT_FILENO);
        int devNull = open("/dev/null", O_WRONLY);
        dup2(devNull, STDOUT_FILENO);
        close(devNull);
    }
    ~Silence() {
        dup2(saved, STDOUT_FILENO);
        close(saved);
    }
};

int framesDrawn = 0;
AllocCounts displayAllocs = {0, 0, 0};

void countedDisplay() {
    AllocCounts before = allocCounts();
    framesDrawn++;
    display();
    add(&displayAllocs, allocCounts() - before);
}

// The program's restart on a block file, with the display callback counted.
void loadScene(const std::string &path) {
    Silence quiet;
    restartOn(path.c_str());
    glutDisplayFunc(countedDisplay);
}

// The program's window and GL set-up as start-up makes them (no banner, menu or input
// callbacks), the sample file loaded through restartOn, then events until the first frame.
void openWindow(char *argv0) {
    setCameraDefaults();
    int glutArgc = 1;
    char *glutArgv[] = {argv0, nullptr};
    glutInit(&glutArgc, glutArgv);
    // Beside the place vinca's window takes, so the start-up watch never sees this
    // window's frame through vinca's fresh, undrawn one.
    glutInitWindowPosition(BENCH_WINDOW_X, 0);
    glutInitWindowSize(windowWidth, windowHeight);
    glutInitDisplayMode(WINDOW_DISPLAY_MODE);
    glutCreateWindow("vinca bench");
    glutReshapeFunc(reshape);
    initGlState();
    buildUnitCylinder();
    loadScene(SAMPLE_FILE);
    for (long long end = nowNs() + 5000000000LL; framesDrawn == 0 && nowNs() < end;) {
        glutMainLoopEvent();
    }
}

GLuint frameList = 0;

void listFrame() {
    glCallList(frameList);
    glFlush();
    glutSwapBuffers();
}

// The display pass compiled into frameList: the vertex arrays' contents are copied in, and
// flush and swap, which a list does not hold, run at once.
void compileFrameList() {
    display(); // the axes are lit by the material the previous frame left
    frameList = glGenLists(1);
    glNewList(frameList, GL_COMPILE);
    display();
    glEndList();
}

// Wall time of one frame, and this thread's CPU time in it: the latter leaves out the
// rasterizer threads and the X server, and most of what other processes do to the clock.
void timeFrame(void (*frame)(), std::vector<double> *wallMs, std::vector<double> *cpuMs) {
    double c0 = threadCpuNs();
    long long t0 = nowNs();
    frame();
    wallMs->push_back((nowNs() - t0) / 1e6);
    cpuMs->push_back((threadCpuNs() - c0) / 1e6);
}

// The display pass against the same frame from a display list, timed back to back in each
// repetition so that their ratio holds whatever the machine's load.
void reportFrames(const char *title, const std::string &blockFile, int reps) {
    loadScene(blockFile);
    compileFrameList();
    std::vector<float> fDisplay = captureFeedback(display).words,
                       fList = captureFeedback(listFrame).words;
    for (int i = 0; i < WARM_UP; i++) {
        display();
        listFrame();
    }
    std::vector<double> wDisplay, wList, cDisplay, cList;
    for (int i = 0; i < reps; i++) {
        timeFrame(display, &wDisplay, &cDisplay);
        timeFrame(listFrame, &wList, &cList);
    }
    Stats d = stats(wDisplay), l = stats(wList), dc = stats(cDisplay), lc = stats(cList);
    AllocCounts a0 = allocCounts();
    for (int i = 0; i < 100; i++) {
        display();
    }
    AllocCounts perDisplay = allocCounts() - a0;

    std::printf("\n%s (%d blocks)\n", title, blockCount);
    std::printf("  wall time     display pass %s\n", show(d, "ms").c_str());
    std::printf("                display list %s\n", show(l, "ms").c_str());
    std::printf("  thread CPU    display pass %s\n", show(dc, "ms").c_str());
    std::printf("                display list %s\n", show(lc, "ms").c_str());
    std::printf("  display / list: wall %.3f (goal <= 1.1), thread CPU %.3f; the list's feedback "
                "is %s\n",
                d.median / l.median, dc.median / lc.median,
                fDisplay == fList ? "the same" : "NOT the same");
    std::printf("  heap allocations per display pass: %.2f on the main thread, %.2f from the "
                "program's own code, %.2f on other threads\n",
                perDisplay.all / 100.0, perDisplay.fromProgram / 100.0,
                perDisplay.otherThreads / 100.0);
    glDeleteLists(frameList, 1);
}

// The block a click at (x, y) orders, by the program's own pick; the order is undone.
int pickedBlock(int x, int y) {
    {
        Silence quiet;
        pickBlock(x, y);
    }
    int picked = targetBlock;
    setIdleStep(nullptr);
    readyForOrder = 1;
    targetBlock = -1;
    return picked;
}

// A pixel that orders the block: its centre, or, when the centre is off screen, the nearest
// point inside the window, as a user would click its visible part. False if none does.
bool clickPixel(int block, bool centreOnly, int *x, int *y) {
    const Block &b = blockTable[block];
    GLdouble model[16], proj[16], wx, wy, wz;
    GLint viewport[4];
    applyView(camera.position, camera.back, camera.up, camera.offset);
    glGetDoublev(GL_MODELVIEW_MATRIX, model);
    glGetDoublev(GL_PROJECTION_MATRIX, proj);
    glGetIntegerv(GL_VIEWPORT, viewport);
    gluProject(b.x, b.y + BLOCK_SIZE / 2, b.z, model, proj, viewport, &wx, &wy, &wz);
    int cx = static_cast<int>(std::lround(wx)),
        cy = viewport[3] - static_cast<int>(std::lround(wy));
    *x = std::min(std::max(cx, 2), windowWidth - 3);
    *y = std::min(std::max(cy, 2), windowHeight - 3);
    return (!centreOnly || (*x == cx && *y == cy)) && pickedBlock(*x, *y) == block;
}

void reportPick(int reps) {
    loadScene(SAMPLE_FILE);
    // The first block whose centre is in view and is what a click there orders.
    int block = 0, x = 0, y = 0;
    while (block < blockCount && !clickPixel(block, true, &x, &y)) {
        block++;
    }
    if (block == blockCount) {
        std::printf("\npickBlock: no block centre in view\n");
        return;
    }
    std::vector<double> times;
    int accepted = 0;
    AllocCounts allocs = {0, 0, 0};
    for (int i = 0; i < reps + WARM_UP; i++) {
        AllocCounts a0 = allocCounts();
        long long t0 = nowNs();
        int picked = pickedBlock(x, y);
        long long t1 = nowNs();
        if (i >= WARM_UP) {
            times.push_back((t1 - t0) / 1e6);
            accepted += picked == block ? 1 : 0;
            add(&allocs, allocCounts() - a0);
        }
    }
    const Block &b = blockTable[block];
    std::printf("\npickBlock at the centre of block %d (%g, %g, %g), pixel (%d, %d), console to "
                "/dev/null:\n  %s\n",
                block, b.x, b.y, b.z, x, y, show(stats(times), "ms").c_str());
    std::printf("  accepted that block: %d of %d picks; heap allocations per pick %.2f (from "
                "the program's own code %.2f)\n",
                accepted, reps, static_cast<double>(allocs.all) / reps,
                static_cast<double>(allocs.fromProgram) / reps);
}

struct CycleFigures {
    double ms;
    int frames, pickUpCalls, transportCalls;
    AllocCounts idleAllocs, frameAllocs;
    bool unloaded;
};

// One order from click to rest, the body of GLUT's main loop run here: events and
// pending redisplays, then the idle step, until the crane is back at rest.
CycleFigures runCycle(int x, int y) {
    loadScene(SAMPLE_FILE);
    glutMainLoopEvent(); // whatever the reset left pending, before the clock starts
    CycleFigures c = {};
    framesDrawn = 0;
    displayAllocs = {0, 0, 0};
    Silence quiet;
    long long t0 = nowNs();
    pickBlock(x, y);
    while (installedIdleStep() != nullptr) {
        glutMainLoopEvent();
        if (void (*step)() = installedIdleStep()) {
            AllocCounts a0 = allocCounts();
            step();
            add(&c.idleAllocs, allocCounts() - a0);
            c.pickUpCalls += step == pickUpStep ? 1 : 0;
            c.transportCalls += step == transportStep ? 1 : 0;
        }
    }
    glutMainLoopEvent(); // the frame the last step asked for
    c.ms = (nowNs() - t0) / 1e6;
    c.frames = framesDrawn;
    c.frameAllocs = displayAllocs;
    c.unloaded = blockTable[0].present == 0 && readyForOrder == 1;
    return c;
}

void reportCycles(int cycles) {
    loadScene(SAMPLE_FILE);
    int x, y;
    if (!clickPixel(0, false, &x, &y)) {
        std::printf("\nload cycle: no pixel orders block 0\n");
        return;
    }
    runCycle(x, y); // warm-up
    std::vector<double> times;
    CycleFigures last = {};
    bool allUnloaded = true;
    for (int i = 0; i < cycles; i++) {
        last = runCycle(x, y);
        times.push_back(last.ms);
        allUnloaded = allUnloaded && last.unloaded;
    }
    Stats s = stats(times);
    int steps = last.pickUpCalls + last.transportCalls;
    const Block &b = blockTable[0];
    std::printf("\nFull load cycle of block 0 (%g, %g, %g), click at (%d, %d) to rest, GLUT loop "
                "body (events, redisplay, idle step):\n  %s\n",
                b.x, b.y, b.z, x, y, show(s, "ms").c_str());
    std::printf("  frames drawn %d; idle steps %d (pick-up %d, transport %d); %.3f ms per "
                "frame; block unloaded and crane ready in every cycle: %s\n",
                last.frames, steps, last.pickUpCalls, last.transportCalls, s.median / last.frames,
                allUnloaded ? "yes" : "NO");
    std::printf("  heap allocations in the last cycle: idle steps %lld (program's own %lld); "
                "display passes %.3f per frame (program's own %lld in all); other threads %lld\n",
                last.idleAllocs.all, last.idleAllocs.fromProgram,
                static_cast<double>(last.frameAllocs.all) / last.frames,
                last.frameAllocs.fromProgram,
                last.idleAllocs.otherThreads + last.frameAllocs.otherThreads);
}

void reportStartup(int runs) {
    loadScene(SAMPLE_FILE);
    display();
    glFinish();
    usleep(100000);
    unsigned long ownWindow = glXGetCurrentDrawable();
    std::vector<unsigned> expected = grabWindowRow(ownWindow, PROBE_ROW, windowWidth);
    std::vector<double> toMap, toFrame;
    long peak = 0;
    for (int i = 0; i < runs + 2; i++) {
        StartupRun r = measureStartup(VINCA_BINARY, SAMPLE_FILE, expected, PROBE_ROW);
        if (!r.ok) {
            std::printf("\nstart-up run failed: %s\n", r.error.c_str());
            return;
        }
        if (i >= 2) { // the first runs fill the page cache
            toMap.push_back(r.toMapMs);
            toFrame.push_back(r.toFrameMs);
            peak = std::max(peak, r.peakRssKb);
        }
    }
    std::printf("\nvinca start-up (spawn to pixels of the first frame on the X server):\n");
    std::printf("  to window mapped  %s\n", show(stats(toMap), "ms").c_str());
    std::printf("  to first frame    %s (goal < 100 ms)\n", show(stats(toFrame), "ms").c_str());
    std::printf("  peak resident memory of vinca at its first frame: %ld KiB\n", peak);
}

// The frames a profile counts; callgrind collects inside this call only
// (--toggle-collect='*profiledFrames*'), so per-frame figures are the total over n.
__attribute__((noinline)) void profiledFrames(void (*frame)(), int n) {
    for (int i = 0; i < n; i++) {
        frame();
    }
}

const char *argText(int argc, char **argv, const char *name) {
    for (int i = 1; i + 1 < argc; i++) {
        if (std::strcmp(argv[i], name) == 0) {
            return argv[i + 1];
        }
    }
    return nullptr;
}

int argValue(int argc, char **argv, const char *name, int fallback) {
    const char *text = argText(argc, argv, name);
    return text != nullptr ? std::atoi(text) : fallback;
}

} // namespace

int main(int argc, char **argv) {
    markMainThread();
    std::setbuf(stdout, nullptr); // as the program does
    openWindow(argv[0]);

    // Under callgrind: n frames of the display pass or of the display list, after a warm-up.
    if (const char *what = argText(argc, argv, "--profile")) {
        compileFrameList();
        void (*frame)() = std::strcmp(what, "list") == 0 ? listFrame : display;
        for (int i = 0; i < 5; i++) {
            frame();
        }
        profiledFrames(frame, argValue(argc, argv, "--frames", 50));
        return 0;
    }

    std::printf("vinca_bench: window %dx%d, GL renderer %s, GL version %s\n", windowWidth,
                windowHeight, reinterpret_cast<const char *>(glGetString(GL_RENDERER)),
                reinterpret_cast<const char *>(glGetString(GL_VERSION)));
    const char *only = argText(argc, argv, "--only"); // frames, pick, cycle or startup
    auto wanted = [&](const char *section) {
        return only == nullptr || std::strcmp(only, section) == 0;
    };
    if (wanted("frames")) {
        int reps = argValue(argc, argv, "--reps", 300);
        reportFrames("Display pass, data/blocks.txt", SAMPLE_FILE, reps);
        reportFrames("Display pass, data/blocks30.txt", FULL_FILE, reps);
    }
    if (wanted("pick")) {
        reportPick(argValue(argc, argv, "--picks", 200));
    }
    if (wanted("cycle")) {
        reportCycles(argValue(argc, argv, "--cycles", 5));
    }
    if (wanted("startup")) {
        reportStartup(argValue(argc, argv, "--startups", 20));
    }
    rusage usage;
    getrusage(RUSAGE_SELF, &usage);
    std::printf("\npeak resident memory of vinca_bench itself: %ld KiB\n", usage.ru_maxrss);
    return 0;
}
