// The revolution mesh without a window: layout, positions, axes, allocation failures, release.
#include "app/app.h"
#include "geometry/mesh.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <sys/resource.h>
#include <unistd.h>
#include <vector>

// Run again under valgrind by the exit test: build the cylinder, then leave as the q key
// does ("q") or without releasing it ("exit", which shows the leak check can see the mesh).
[[maybe_unused]] static const bool exitProbe = [] {
    const char *mode = std::getenv("VINCA_EXIT_PROBE");
    if (mode != nullptr) {
        buildUnitCylinder();
        if (std::string(mode) == "q") {
            keyboard('q', 0, 0);
        }
        std::exit(0);
    }
    return true;
}();

static bool same(Point3 a, Point3 b, float tolerance = 0) {
    return std::fabs(a.x - b.x) <= tolerance && std::fabs(a.y - b.y) <= tolerance &&
           std::fabs(a.z - b.z) <= tolerance;
}

TEST(UnitCylinder, CountsIndicesAndPositions) {
    buildUnitCylinder();
    const RevolutionMesh &m = unitCylinder;
    EXPECT_EQ(m.profileCount * m.segmentCount, 800);
    EXPECT_EQ(m.edgeCount, 2000);
    EXPECT_EQ(m.gridEdgeCount, 1400);
    EXPECT_EQ(m.triangleCount, 1200);
    const int edges[][3] = {{0, 0, 1}, {600, 0, 4}, {1399, 799, 3}, {1400, 1, 4}, {1999, 799, 2}};
    for (const auto &e : edges) {
        EXPECT_TRUE(m.edges[e[0]].first == e[1] && m.edges[e[0]].second == e[2])
            << "edge " << e[0] << ": expected (" << e[1] << "," << e[2] << "), observed ("
            << m.edges[e[0]].first << "," << m.edges[e[0]].second << ")";
    }
    const int triangles[][4] = {{0, 0, 1, 4}, {1, 5, 1, 4}, {1198, 798, 799, 2}, {1199, 3, 799, 2}};
    for (const auto &t : triangles) {
        const int *v = m.triangles[t[0]].v;
        EXPECT_TRUE(v[0] == t[1] && v[1] == t[2] && v[2] == t[3])
            << "triangle " << t[0] << ": observed (" << v[0] << "," << v[1] << "," << v[2] << ")";
    }
    const Point3 profile[] = {{0, 0, 0}, {0.5f, 0, 0}, {0.5f, 1, 0}, {0, 1, 0}};
    for (int i = 0; i < 4; i++) {
        EXPECT_TRUE(same(m.rows[i][0], profile[i])) << "row " << i << " column 0";
    }
    // One step is 6.28318 / 200 radians, turned in double and stored as float.
    const Point3 step = {static_cast<float>(0.5 * std::cos(6.28318 / 200)), 0,
                         static_cast<float>(-0.5 * std::sin(6.28318 / 200))};
    EXPECT_TRUE(same(m.rows[1][1], step)) << "rim column 1: (" << m.rows[1][1].x << ","
                                          << m.rows[1][1].y << "," << m.rows[1][1].z << ")";
    for (int j = 0; j < 200; j++) {
        // The axis rows hold exact copies; the rim rows keep their height exactly.
        EXPECT_TRUE(same(m.rows[0][j], profile[0]) && same(m.rows[3][j], profile[3]))
            << "axis rows, column " << j;
        EXPECT_TRUE(m.rows[1][j].y == 0 && m.rows[2][j].y == 1) << "rim height, column " << j;
        EXPECT_NEAR(std::hypot(m.rows[1][j].x, m.rows[1][j].z), 0.5, 1e-5) << "column " << j;
    }
    freeMesh(unitCylinder, 4);
}

// Either letter case gives the same mesh, turning the right-handed way about its axis.
TEST(RevolutionMesh, AxisLettersAndDirection) {
    struct {
        char upper, lower;
        Point3 start, column50, column100;
    } axes[] = {{'X', 'x', {0, 0.5f, 0}, {0, 0, 0.5f}, {0, -0.5f, 0}},
                {'Y', 'y', {0.5f, 0, 0}, {0, 0, -0.5f}, {-0.5f, 0, 0}},
                {'Z', 'z', {0.5f, 0, 0}, {0, 0.5f, 0}, {-0.5f, 0, 0}}};
    for (const auto &a : axes) {
        const Point3 profile[] = {a.start, {0.1f, 0.2f, 0.3f}};
        RevolutionMesh upper = buildRevolutionMesh(profile, 2, 200, a.upper);
        RevolutionMesh lower = buildRevolutionMesh(profile, 2, 200, a.lower);
        for (int i = 0; i < 2; i++) {
            EXPECT_EQ(0, std::memcmp(upper.rows[i], lower.rows[i], 200 * sizeof(Point3)))
                << a.upper << " and " << a.lower << " differ in row " << i;
        }
        Point3 p50 = lower.rows[0][50], p100 = lower.rows[0][100];
        EXPECT_TRUE(same(p50, a.column50, 1e-5f) && same(p100, a.column100, 1e-5f))
            << "axis " << a.lower << ": column 50 (" << p50.x << "," << p50.y << "," << p50.z
            << "), column 100 (" << p100.x << "," << p100.y << "," << p100.z << ")";
        freeMesh(upper, 2);
        freeMesh(lower, 2);
    }
}

// Every triangle corner reaches its own position through the drawing arrays: indexed by 16-bit
// indices for the cylinder, whole for a mesh with more distinct corners than 16 bits name.
TEST(RevolutionMesh, DrawingArraysNameEveryTriangleCorner) {
    const Point3 wavy[] = {{0.5f, 0, 0}, {0.7f, 0.3f, 0}, {0.4f, 0.6f, 0}, {0.9f, 1, 0}};
    struct {
        const Point3 *profile;
        int points, segments;
        bool indexed;
    } meshes[] = {{cylinderProfile, 4, 200, true}, {wavy, 4, 12000, false}};
    buildUnitCylinder();
    freeMesh(unitCylinder, 4);
    for (const auto &c : meshes) {
        RevolutionMesh m = buildRevolutionMesh(c.profile, c.points, c.segments, 'y');
        ASSERT_EQ(m.litIndices != nullptr, c.indexed) << c.segments << " segments";
        EXPECT_LE(m.litVertexCount, c.indexed ? MAX_MESH_INDEX + 1 : 3 * m.triangleCount);
        int wrong = 0;
        for (int i = 0; i < 3 * m.triangleCount; i++) {
            int k = c.indexed ? m.litIndices[i] : i;
            const Point3 &want = m.vertices[m.triangles[i / 3].v[i % 3]];
            wrong += k < m.litVertexCount && same(m.litVertices[k].position, want, 0) ? 0 : 1;
        }
        EXPECT_EQ(wrong, 0) << c.segments << " segments";
        freeMesh(m, c.points);
    }
}

// 16-bit indices name 65,536 vertices: each distinct one twice over, 65,536 are indexed and
// give every vertex back; at 65,537 the vertices stay whole, as index 65,536 would read 0.
TEST(RevolutionMesh, SixteenBitIndicesNameAtMost65536Vertices) {
    for (int distinct : {65536, 65537}) {
        std::vector<LitVertex> given(2 * distinct);
        for (size_t i = 0; i < given.size(); i++) {
            given[i] = {{0, 0, 1}, {static_cast<float>(i % distinct), 0, 0}};
        }
        std::vector<LitVertex> lit = given;
        std::vector<unsigned short> indices(given.size());
        int kept = mergeEqualVertices(lit.data(), static_cast<int>(lit.size()), indices.data());
        int wrong = 0;
        for (size_t i = 0; i < given.size(); i++) {
            const LitVertex &drawn = kept < 0 ? lit[i] : lit[indices[i]];
            wrong += std::memcmp(&drawn, &given[i], sizeof(LitVertex)) == 0 ? 0 : 1;
        }
        EXPECT_EQ(kept, distinct == 65536 ? 65536 : -1) << distinct << " distinct";
        EXPECT_EQ(wrong, 0) << distinct << " distinct";
    }
}

TEST(CrossProduct, RightHanded) {
    EXPECT_TRUE(same(crossProduct({1, 0, 0}, {0, 1, 0}), {0, 0, 1}));
    EXPECT_TRUE(same(crossProduct({0, 1, 0}, {1, 0, 0}), {0, 0, -1}));
    EXPECT_TRUE(same(crossProduct({1, 2, 3}, {4, 5, 6}), {-3, 6, -3}));
}

// Caps the address space a little (extra) above what the process already uses, then
// allocates. Each case below makes one allocation in turn the first to fail; for the edge
// array the triangles would still fit, so its own check is what must end the process.
static void allocateUnderCap(long extra, long profileCount, long segmentCount) {
    dup2(2, 1);
    long pages = 0;
    std::ifstream("/proc/self/statm") >> pages;
    rlim_t cap = static_cast<rlim_t>(pages * sysconf(_SC_PAGESIZE) + extra);
    rlimit limit = {cap, cap};
    setrlimit(RLIMIT_AS, &limit);
    allocateMesh(static_cast<int>(profileCount), static_cast<int>(segmentCount));
}

TEST(AllocateMeshDeathTest, EveryFailedAllocationEndsWithStatus1) {
    const long M = 256L << 20;
    struct {
        const char *which;
        long profileCount, segmentCount;
    } cases[] = {{"row pointers", M / 4, 1},     {"row 2 of 4", 4, M / 30},
                 {"edge array", 2, M / 52},      {"triangle array", 2, M / 68},
                 {"vertex array", 2, M / 90},    {"lit vertex array", 2, M / 150},
                 {"lit index array", 2, M / 260}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.which);
        EXPECT_EXIT(allocateUnderCap(M, c.profileCount, c.segmentCount), testing::ExitedWithCode(1),
                    "^\nError en la reserva de memoria\\.\\.\\.$");
    }
}

// Memory still held at exit that was allocated while building the cylinder, as valgrind
// reports it (any leak kind); "" when valgrind did not run through.
static std::string meshLeftAtExit(const char *mode, bool *ran) {
    std::string log = "/tmp/vinca-exit-" + std::to_string(getpid()) + "-" + mode + ".log";
    std::string command = std::string("VINCA_EXIT_PROBE=") + mode +
                          " valgrind --leak-check=full --show-leak-kinds=all --log-file=" + log +
                          " /proc/" + std::to_string(getpid()) + "/exe >/dev/null 2>&1";
    *ran = std::system(command.c_str()) == 0;
    std::stringstream text;
    text << std::ifstream(log).rdbuf();
    std::remove(log.c_str());
    *ran = *ran && text.str().find("HEAP SUMMARY") != std::string::npos;
    std::string found, line;
    while (std::getline(text, line)) {
        if (line.find("buildUnitCylinder") != std::string::npos) {
            found += line + "\n";
        }
    }
    return found;
}

TEST(OrdinaryExit, ReleasesTheMesh) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "valgrind cannot run a sanitized binary; the plain build runs this";
#endif
    bool ran = false;
    EXPECT_NE(meshLeftAtExit("exit", &ran), "") << "valgrind does not see an unreleased mesh";
    ASSERT_TRUE(ran) << "valgrind did not run (is it installed?)";
    EXPECT_EQ(meshLeftAtExit("q", &ran), "") << "mesh memory left after the q key";
    EXPECT_TRUE(ran);
}
