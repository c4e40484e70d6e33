// vinca_bench: what a frame, a pick and a loading cycle cost, under the X display in
// DISPLAY (bench/run.sh starts an Xvfb of its own). Figures are medians of many runs;
// nothing here passes or fails on time.
#include "alloc_count.h"
#include "frame_trace.h"
#include "immediate_scene.h"
#include "startup.h"

#include "app/app.h"
#include "automation/automation.h"
#include "camera/camera.h"
#include "common/common.h"
#include "geometry/mesh.h"
#include "scene/scene.h"

#include <GL/freeglut.h>
#include <GL/glx.h>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <fcntl.h>
#include <spawn.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char **environ;

namespace {

const std::string SOURCE_DIR = VINCA_SOURCE_DIR;
const std::string SAMPLE_FILE = SOURCE_DIR + "/data/blocks.txt";
const std::string FULL_FILE = SOURCE_DIR + "/data/blocks30.txt";
const int WINDOW_SIZE = 500;
const int PROBE_ROW = 250; // a row across the crane, the quay and the blocks
const int WARM_UP = 20;
const int BENCH_WINDOW_X = 640;

long long nowNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
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
    s.median = at(0.5);
    s.p10 = at(0.1);
    s.p90 = at(0.9);
    s.n = v.size();
    return s;
}

std::string show(const Stats &s, const char *unit) {
    char text[160];
    std::snprintf(text, sizeof text, "median %.3f %s (p10 %.3f, p90 %.3f, n = %zu)", s.median, unit,
                  s.p10, s.p90, s.n);
    return text;
}

// The program's console output goes to /dev/null while this lives; it stays unbuffered,
// so each message still costs its write as it does in the program.
struct Silence {
    int saved;
    Silence() {
        std::fflush(stdout);
        saved = dup(STDOUT_FILENO);
        int devNull = open("/dev/null", O_WRONLY);
        dup2(devNull, STDOUT_FILENO);
        close(devNull);
    }
    ~Silence() {
        std::fflush(stdout);
        dup2(saved, STDOUT_FILENO);
        close(saved);
    }
};

int framesDrawn = 0;
AllocCounts displayAllocs = {0, 0, 0};

void benchDisplay() {
    AllocCounts before = allocCounts();
    framesDrawn++;
    display();
    AllocCounts used = allocCounts() - before;
    displayAllocs.all += used.all;
    displayAllocs.fromProgram += used.fromProgram;
    displayAllocs.otherThreads += used.otherThreads;
}

void (*currentIdle)() = nullptr;

} // namespace

// Stands in front of GLUT's so the benchmark can run the main loop's body itself (GLUT's
// own loop tears GLUT down when left).
extern "C" void FGAPIENTRY glutIdleFunc(void (*callback)()) {
    static const auto real =
        reinterpret_cast<void (*)(void (*)())>(dlsym(RTLD_NEXT, "glutIdleFunc"));
    currentIdle = callback;
    real(callback);
}

namespace {

void loadScene(const std::string &path) {
    std::FILE *file = std::fopen(path.c_str(), "r");
    if (file == nullptr) {
        std::fprintf(stderr, "cannot open %s\n", path.c_str());
        std::exit(1);
    }
    blockCount = 0;
    {
        Silence quiet;
        readBlockFile(file);
    }
    std::fclose(file);
    setCameraDefaults();
    setRestPose();
    manualMode = 0;
    heldBlock = -1;
    targetBlock = -1;
    readyForOrder = 1;
    glutIdleFunc(nullptr);
}

// Where this process's own start-up went, for comparison with vinca's.
struct StartupPhases {
    double glutInitMs, windowMs, restMs, firstFrameMs;
};
StartupPhases ownStartup;

// The program's start-up, in its order, with the display callback counted.
void openWindow(char *argv0) {
    long long t0 = nowNs();
    setCameraDefaults();
    int glutArgc = 1;
    char *glutArgv[] = {argv0, nullptr};
    glutInit(&glutArgc, glutArgv);
    long long t1 = nowNs();
    // Beside the place vinca's window takes, so the start-up watch never sees this
    // window's frame through vinca's fresh, undrawn one.
    glutInitWindowPosition(BENCH_WINDOW_X, 0);
    glutInitWindowSize(windowWidth, windowHeight);
    glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
    glutCreateWindow("vinca bench");
    long long t2 = nowNs();
    glutDisplayFunc(benchDisplay);
    glutReshapeFunc(reshape);
    initProjection();
    buildUnitCylinder();
    glEnable(GL_AUTO_NORMAL);
    glEnable(GL_NORMALIZE);
    loadScene(SAMPLE_FILE);
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    glEnable(GL_LIGHT1);
    glEnable(GL_DEPTH_TEST);
    long long t3 = nowNs();
    long long end = t3 + 5000000000LL;
    while (framesDrawn == 0 && nowNs() < end) {
        glutMainLoopEvent();
    }
    long long t4 = nowNs();
    ownStartup = {(t1 - t0) / 1e6, (t2 - t1) / 1e6, (t3 - t2) / 1e6, (t4 - t3) / 1e6};
}

// Runs the recorder on the block file and reads back its trace of one display pass.
FrameTrace recordTrace(const std::string &blockFile) {
    char path[] = "/tmp/vinca-trace-XXXXXX";
    int fd = mkstemp(path);
    close(fd);
    std::string recorder = VINCA_GL_TRACE_BINARY;
    char *argv[] = {const_cast<char *>(recorder.c_str()), const_cast<char *>(blockFile.c_str()),
                    path, nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t pid = -1;
    int status = -1;
    if (posix_spawn(&pid, recorder.c_str(), &actions, nullptr, argv, environ) == 0) {
        waitpid(pid, &status, 0);
    }
    posix_spawn_file_actions_destroy(&actions);
    FrameTrace raw;
    if (status != 0 || !readTrace(path, &raw)) {
        std::fprintf(stderr, "recording the frame's calls failed (%s)\n", recorder.c_str());
        std::exit(1);
    }
    unlink(path);
    return fuseTriangles(raw);
}

std::vector<float> feedbackOf(void (*frame)()) {
    static std::vector<float> buffer(8 * 1024 * 1024);
    glFeedbackBuffer(static_cast<GLsizei>(buffer.size()), GL_3D_COLOR, buffer.data());
    glRenderMode(GL_FEEDBACK);
    frame();
    GLint used = glRenderMode(GL_RENDER);
    return std::vector<float>(buffer.begin(), buffer.begin() + (used > 0 ? used : 0));
}

const FrameTrace *activeTrace = nullptr;
GLuint activeList = 0;

void floorFrame() {
    replayFrame(*activeTrace, true);
}

void listFrame() {
    glCallList(activeList);
    glFlush();
    glutSwapBuffers();
}

bool sameBits(const std::vector<float> &a, const std::vector<float> &b) {
    return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(float)) == 0;
}

double threadCpuNs() {
    timespec ts;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return ts.tv_sec * 1e9 + ts.tv_nsec;
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

// How far two feedback captures are apart: floats that differ, and the largest gap.
std::string feedbackGap(const std::vector<float> &a, const std::vector<float> &b) {
    if (a.size() != b.size()) {
        return std::to_string(a.size()) + " against " + std::to_string(b.size()) + " floats";
    }
    size_t differ = 0;
    double largest = 0;
    for (size_t i = 0; i < a.size(); i++) {
        if (std::memcmp(&a[i], &b[i], sizeof(float)) != 0) {
            differ++;
            largest = std::max(largest, std::fabs(static_cast<double>(a[i]) - b[i]));
        }
    }
    char text[120];
    std::snprintf(text, sizeof text, "%zu of %zu floats differ, by at most %g", differ, a.size(),
                  largest);
    return text;
}

void immediateFrame() {
    immediateDisplay();
}

// The display pass (vertex arrays), the old immediate-mode pass, the old pass's calls replayed
// from arrays, and those calls compiled into a display list: one repetition times all four
// back to back, so the ratios hold within one run whatever the machine's load.
void reportFrames(const char *title, const std::string &blockFile, int reps) {
    loadScene(blockFile);
    FrameTrace trace = recordTrace(blockFile);
    activeTrace = &trace;
    activeList = glGenLists(1);
    glNewList(activeList, GL_COMPILE);
    replayFrame(trace, false);
    glEndList();

    // The axes are lit by the material the previous frame left; start all from the same.
    display();
    std::vector<float> fDisplay = feedbackOf(display);
    std::vector<float> fImmediate = feedbackOf(immediateFrame);
    bool immediateSame = sameBits(fDisplay, fImmediate);
    bool floorSame = sameBits(fImmediate, feedbackOf(floorFrame));
    std::vector<float> fList = feedbackOf(listFrame);
    bool listSame = sameBits(fDisplay, fList);

    for (int i = 0; i < WARM_UP; i++) {
        display();
        immediateFrame();
        floorFrame();
        listFrame();
    }
    std::vector<double> wDisplay, wImmediate, wFloor, wList, cDisplay, cImmediate, cFloor, cList;
    for (int i = 0; i < reps; i++) {
        timeFrame(display, &wDisplay, &cDisplay);
        timeFrame(immediateFrame, &wImmediate, &cImmediate);
        timeFrame(floorFrame, &wFloor, &cFloor);
        timeFrame(listFrame, &wList, &cList);
    }
    Stats d = stats(wDisplay), im = stats(wImmediate), f = stats(wFloor), l = stats(wList);
    Stats dc = stats(cDisplay), imc = stats(cImmediate), fc = stats(cFloor), lc = stats(cList);

    AllocCounts a0 = allocCounts();
    for (int i = 0; i < 100; i++) {
        display();
    }
    AllocCounts perDisplay = allocCounts() - a0;
    a0 = allocCounts();
    for (int i = 0; i < 100; i++) {
        immediateFrame();
    }
    AllocCounts perImmediate = allocCounts() - a0;

    std::printf("\n%s (%d blocks): the old pass made %lld GL calls, %lld triangle blocks per "
                "frame\n",
                title, blockCount, traceCallCount(trace), traceTriangleCount(trace));
    std::printf("  wall time\n");
    std::printf("    display pass (arrays)   %s\n", show(d, "ms").c_str());
    std::printf("    old immediate pass      %s\n", show(im, "ms").c_str());
    std::printf("    old calls replayed      %s\n", show(f, "ms").c_str());
    std::printf("    display list            %s\n", show(l, "ms").c_str());
    std::printf("    display / list %.3f (goal <= 1.1); old immediate / list %.3f; display / old "
                "immediate %.3f\n",
                d.median / l.median, im.median / l.median, d.median / im.median);
    std::printf("  CPU time of the calling thread\n");
    std::printf("    display pass (arrays)   %s\n", show(dc, "ms").c_str());
    std::printf("    old immediate pass      %s\n", show(imc, "ms").c_str());
    std::printf("    old calls replayed      %s\n", show(fc, "ms").c_str());
    std::printf("    display list            %s\n", show(lc, "ms").c_str());
    std::printf("    display / list %.3f; old immediate / list %.3f; display / old immediate "
                "%.3f\n",
                dc.median / lc.median, imc.median / lc.median, dc.median / imc.median);
    std::printf("  display pass sends the old pass's frame (GL_FEEDBACK, bit for bit): %s; the "
                "replay sends it too: %s\n",
                immediateSame ? "yes" : "NO", floorSame ? "yes" : "NO");
    std::printf("  display list feedback: %s\n",
                listSame ? "the same" : feedbackGap(fDisplay, fList).c_str());
    std::printf("  heap allocations per display pass: %.2f on the main thread, %.2f from the "
                "program's own code, %.2f on other threads (old immediate pass: %.2f, %.2f, "
                "%.2f)\n",
                perDisplay.all / 100.0, perDisplay.fromProgram / 100.0,
                perDisplay.otherThreads / 100.0, perImmediate.all / 100.0,
                perImmediate.fromProgram / 100.0, perImmediate.otherThreads / 100.0);
    glDeleteLists(activeList, 1);
    activeTrace = nullptr;
}

// Window pixel (GLUT's convention: origin top left) of a block's centre, with the
// modelview the display pass loads. May lie outside the window.
void blockCentrePixel(int block, int *x, int *y) {
    const Block &b = blockTable[block];
    applyView(camera.position, camera.back, camera.up, camera.offset);
    GLdouble model[16], proj[16];
    GLint viewport[4];
    glGetDoublev(GL_MODELVIEW_MATRIX, model);
    glGetDoublev(GL_PROJECTION_MATRIX, proj);
    glGetIntegerv(GL_VIEWPORT, viewport);
    GLdouble wx, wy, wz;
    gluProject(b.x, b.y + 0.75, b.z, model, proj, viewport, &wx, &wy, &wz);
    *x = static_cast<int>(std::lround(wx));
    *y = viewport[3] - static_cast<int>(std::lround(wy));
}

// Which block a click at (x, y) orders, by the program's own pick; the state is reset.
int pickedBlock(int x, int y) {
    readyForOrder = 1;
    targetBlock = -1;
    {
        Silence quiet;
        pickBlock(x, y);
    }
    int picked = targetBlock;
    glutIdleFunc(nullptr);
    readyForOrder = 1;
    targetBlock = -1;
    return picked;
}

// A pixel that orders the block: its centre, or, when the centre is off screen, the
// nearest point inside the window, as a user would click the visible part.
bool clickPixel(int block, int *x, int *y) {
    blockCentrePixel(block, x, y);
    *x = std::min(std::max(*x, 2), windowWidth - 3);
    *y = std::min(std::max(*y, 2), windowHeight - 3);
    return pickedBlock(*x, *y) == block;
}

void reportPick(int reps) {
    loadScene(SAMPLE_FILE);
    // The first block whose centre is in view and is what a click there orders.
    int block = -1, x = 0, y = 0;
    for (int i = 0; i < blockCount && block < 0; i++) {
        int cx, cy;
        blockCentrePixel(i, &cx, &cy);
        if (cx >= 2 && cx < windowWidth - 2 && cy >= 2 && cy < windowHeight - 2 &&
            pickedBlock(cx, cy) == i) {
            block = i;
            x = cx;
            y = cy;
        }
    }
    if (block < 0) {
        std::printf("\npickBlock: no block centre in view\n");
        return;
    }
    std::vector<double> times;
    int accepted = 0;
    AllocCounts allocs = {0, 0, 0};
    for (int i = 0; i < reps + WARM_UP; i++) {
        readyForOrder = 1;
        targetBlock = -1;
        AllocCounts a0 = allocCounts();
        long long t0 = nowNs();
        {
            Silence quiet;
            pickBlock(x, y);
        }
        long long t1 = nowNs();
        AllocCounts used = allocCounts() - a0;
        if (i >= WARM_UP) {
            times.push_back((t1 - t0) / 1e6);
            accepted += targetBlock == block ? 1 : 0;
            allocs.all += used.all;
            allocs.fromProgram += used.fromProgram;
        }
        glutIdleFunc(nullptr);
    }
    loadScene(SAMPLE_FILE);
    const Block &b = blockTable[block];
    std::printf("\npickBlock at the centre of block %d (%g, %g, %g), pixel (%d, %d), console "
                "to /dev/null:\n",
                block, b.x, b.y, b.z, x, y);
    std::printf("  %s\n", show(stats(times), "ms").c_str());
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
    long long t0, t1;
    {
        Silence quiet;
        t0 = nowNs();
        pickBlock(x, y);
        while (currentIdle != nullptr) {
            glutMainLoopEvent();
            void (*step)() = currentIdle;
            if (step != nullptr) {
                AllocCounts a0 = allocCounts();
                step();
                AllocCounts used = allocCounts() - a0;
                c.idleAllocs.all += used.all;
                c.idleAllocs.fromProgram += used.fromProgram;
                c.idleAllocs.otherThreads += used.otherThreads;
                c.pickUpCalls += step == pickUpStep ? 1 : 0;
                c.transportCalls += step == transportStep ? 1 : 0;
            }
        }
        glutMainLoopEvent(); // the frame the last step asked for
        t1 = nowNs();
    }
    c.ms = (t1 - t0) / 1e6;
    c.frames = framesDrawn;
    c.frameAllocs = displayAllocs;
    c.unloaded = blockTable[0].present == 0 && readyForOrder == 1;
    return c;
}

void reportCycles(int cycles) {
    loadScene(SAMPLE_FILE);
    int x, y;
    if (!clickPixel(0, &x, &y)) {
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
    loadScene(SAMPLE_FILE);
    Stats s = stats(times);
    int steps = last.pickUpCalls + last.transportCalls;
    std::printf("\nFull load cycle of block (-5, 0, 3), click at (%d, %d) to rest, GLUT loop "
                "body (events, redisplay, idle step):\n",
                x, y);
    std::printf("  %s\n", show(s, "ms").c_str());
    std::printf("  frames drawn %d; idle steps %d (pick-up %d, transport %d); %.3f ms per "
                "frame; block unloaded and crane ready in every cycle: %s\n",
                last.frames, steps, last.pickUpCalls, last.transportCalls, s.median / last.frames,
                allUnloaded ? "yes" : "NO");
    std::printf("  heap allocations in the last cycle: idle steps %lld (program's own %lld), "
                "per idle step %.3f; display passes %lld (program's own %lld), per frame "
                "%.3f; other threads during idle steps %lld, during frames %lld\n",
                last.idleAllocs.all, last.idleAllocs.fromProgram,
                static_cast<double>(last.idleAllocs.all) / steps, last.frameAllocs.all,
                last.frameAllocs.fromProgram,
                static_cast<double>(last.frameAllocs.all) / last.frames,
                last.idleAllocs.otherThreads, last.frameAllocs.otherThreads);
}

void reportStartup(int runs) {
    loadScene(SAMPLE_FILE);
    display();
    glFinish();
    usleep(100000);
    unsigned long ownWindow = glXGetCurrentDrawable();
    std::vector<unsigned> expected = grabWindowRow(ownWindow, PROBE_ROW, WINDOW_SIZE);
    std::vector<double> toMap, toFrame;
    long peak = 0;
    std::string binary = VINCA_BINARY;
    for (int i = 0; i < runs + 2; i++) {
        StartupRun r = measureStartup(binary, SAMPLE_FILE, expected, PROBE_ROW);
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
    std::printf("  the same start-up inside this benchmark, from main: glutInit %.1f ms, window "
                "and GL context %.1f ms, projection, mesh and blocks %.1f ms, events to the "
                "first frame drawn %.1f ms\n",
                ownStartup.glutInitMs, ownStartup.windowMs, ownStartup.restMs,
                ownStartup.firstFrameMs);

    int x, y;
    clickPixel(0, &x, &y);
    StartupRun cycle = measureRealCycle(binary, SAMPLE_FILE, expected, PROBE_ROW, x, y);
    if (cycle.ok) {
        std::printf("  one full load cycle in vinca itself (xdotool click to \"completada\"): "
                    "%.1f ms; peak resident memory then %ld KiB\n",
                    cycle.cycleMs, cycle.peakRssKb);
    } else {
        std::printf("  load cycle in vinca itself failed: %s\n", cycle.error.c_str());
    }
}

// The frames a profile counts; callgrind collects inside this call only
// (--toggle-collect='*profiledFrames*'), so per-frame figures are the total over n.
__attribute__((noinline)) void profiledFrames(void (*frame)(), int n) {
    for (int i = 0; i < n; i++) {
        frame();
    }
}

// Under callgrind: n frames of one kind (display, immediate, floor or list), after a warm-up.
int profile(const char *what, int n) {
    loadScene(SAMPLE_FILE);
    FrameTrace trace = recordTrace(SAMPLE_FILE);
    activeTrace = &trace;
    activeList = glGenLists(1);
    glNewList(activeList, GL_COMPILE);
    replayFrame(trace, false);
    glEndList();
    void (*frame)() = std::strcmp(what, "floor") == 0       ? floorFrame
                      : std::strcmp(what, "immediate") == 0 ? immediateFrame
                      : std::strcmp(what, "list") == 0      ? listFrame
                                                            : display;
    for (int i = 0; i < 5; i++) {
        frame();
    }
    profiledFrames(frame, n);
    return 0;
}

int argValue(int argc, char **argv, const char *name, int fallback) {
    for (int i = 1; i + 1 < argc; i++) {
        if (std::strcmp(argv[i], name) == 0) {
            return std::atoi(argv[i + 1]);
        }
    }
    return fallback;
}

const char *argText(int argc, char **argv, const char *name) {
    for (int i = 1; i + 1 < argc; i++) {
        if (std::strcmp(argv[i], name) == 0) {
            return argv[i + 1];
        }
    }
    return nullptr;
}

} // namespace

int main(int argc, char **argv) {
    markMainThread();
    std::setbuf(stdout, nullptr); // as the program does
    openWindow(argv[0]);

    if (const char *what = argText(argc, argv, "--profile")) {
        return profile(what, argValue(argc, argv, "--frames", 50));
    }

    int reps = argValue(argc, argv, "--reps", 300);
    std::printf("vinca_bench: window %dx%d, GL renderer %s, GL version %s\n", windowWidth,
                windowHeight, reinterpret_cast<const char *>(glGetString(GL_RENDERER)),
                reinterpret_cast<const char *>(glGetString(GL_VERSION)));
    const char *only = argText(argc, argv, "--only"); // frames, pick, cycle or startup
    auto wanted = [&](const char *section) {
        return only == nullptr || std::strcmp(only, section) == 0;
    };
    if (wanted("frames")) {
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
