// Building and releasing revolution meshes.
#include "geometry/mesh.h"

#include "platform/platform.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

RevolutionMesh unitCylinder;
Point3 cylinderProfile[CYLINDER_PROFILE_POINTS];

static void *allocateOrDie(size_t bytes) {
    void *block = std::malloc(bytes);
    if (block == nullptr) {
        consolePrint("\nError en la reserva de memoria...");
        quitProgram(1);
    }
    return block;
}

RevolutionMesh allocateMesh(int profileCount, int segmentCount) {
    RevolutionMesh mesh = {};
    mesh.rows = static_cast<Point3 **>(allocateOrDie(sizeof(Point3 *) * profileCount));
    for (int i = 0; i < profileCount; i++) {
        mesh.rows[i] = static_cast<Point3 *>(allocateOrDie(sizeof(Point3) * segmentCount));
    }
    size_t edges = static_cast<size_t>(profileCount) * segmentCount +
                   static_cast<size_t>(2 * profileCount - 2) * segmentCount;
    mesh.edges = static_cast<MeshEdge *>(allocateOrDie(sizeof(MeshEdge) * edges));
    size_t triangles = static_cast<size_t>(2 * profileCount - 2) * segmentCount;
    mesh.triangles = static_cast<MeshTriangle *>(allocateOrDie(sizeof(MeshTriangle) * triangles));
    mesh.vertices = static_cast<Point3 *>(
        allocateOrDie(sizeof(Point3) * static_cast<size_t>(profileCount) * segmentCount));
    mesh.litVertices = static_cast<LitVertex *>(allocateOrDie(sizeof(LitVertex) * 3 * triangles));
    mesh.litIndices =
        static_cast<unsigned short *>(allocateOrDie(sizeof(unsigned short) * 3 * triangles));
    return mesh;
}

// One step of the revolution, computed in double and stored as float.
static Point3 rotateStep(Point3 p, double c, double s, char axis) {
    double x = p.x, y = p.y, z = p.z;
    switch (axis) {
    case 'X':
    case 'x':
        return {p.x, static_cast<float>(y * c - z * s), static_cast<float>(y * s + z * c)};
    case 'Y':
    case 'y':
        return {static_cast<float>(x * c + z * s), p.y, static_cast<float>(-x * s + z * c)};
    case 'Z':
    case 'z':
        return {static_cast<float>(x * c - y * s), static_cast<float>(x * s + y * c), p.z};
    default:
        // Unknown axis: keep the columns defined (copies) rather than leave them unset.
        return p;
    }
}

// Keeps the first of each run of bit-identical vertices (the caps' axis points, the two
// triangles of a flat side quad whose normals come out equal) and indexes them: GL then
// lights each once, as it does for a display list. Indices are 16-bit, the widest that
// every GL (the browser's too) draws from; a mesh with more distinct vertices than they can
// name is left whole and unindexed (returns -1). Returns how many are kept.
int mergeEqualVertices(LitVertex *lit, int count, unsigned short *indices) {
    int *order = static_cast<int *>(allocateOrDie(sizeof(int) * count));
    int *first = static_cast<int *>(allocateOrDie(sizeof(int) * count));
    for (int i = 0; i < count; i++) {
        order[i] = i;
    }
    auto compare = [&](int a, int b) { return std::memcmp(&lit[a], &lit[b], sizeof(LitVertex)); };
    std::sort(order, order + count, [&](int a, int b) {
        int c = compare(a, b);
        return c < 0 || (c == 0 && a < b);
    });
    // first[i] names the earliest copy of vertex i, then its place among those kept.
    int distinct = 0;
    for (int k = 0; k < count; k++) {
        bool repeat = k > 0 && compare(order[k], order[k - 1]) == 0;
        first[order[k]] = repeat ? first[order[k - 1]] : order[k];
        distinct += repeat ? 0 : 1;
    }
    std::free(order);
    int kept = -1;
    if (distinct <= MAX_MESH_INDEX + 1) {
        kept = 0;
        for (int i = 0; i < count; i++) {
            if (first[i] == i) {
                lit[kept] = lit[i];
                first[i] = kept++;
            } else {
                first[i] = first[first[i]];
            }
            indices[i] = static_cast<unsigned short>(first[i]);
        }
    }
    std::free(first);
    return kept;
}

RevolutionMesh buildRevolutionMesh(const Point3 *profile, int profileCount, int segmentCount,
                                   char axis) {
    const int p = profileCount;
    const int s = segmentCount;
    const int vertices = p * s;
    double step = FULL_TURN / s;
    RevolutionMesh mesh = allocateMesh(p, s);

    int e = 0;
    for (int i = 0; i < p - 1; i++) {
        for (int j = 0; j < s; j++) {
            mesh.edges[e++] = {j * p + i, j * p + i + 1};
        }
    }
    for (int i = 0; i < p; i++) {
        for (int j = 0; j < s; j++) {
            mesh.edges[e++] = {j * p + i, (j * p + i + p) % vertices};
        }
    }
    for (int k = 0; k < vertices; k++) {
        if (k % p != 0) {
            mesh.edges[e++] = {k, (k + p - 1) % vertices};
        }
    }

    for (int i = 0; i < p; i++) {
        mesh.rows[i][0] = profile[i];
    }
    double c = std::cos(step);
    double sn = std::sin(step);
    for (int i = 0; i < p; i++) {
        for (int j = 1; j < s; j++) {
            mesh.rows[i][j] = rotateStep(mesh.rows[i][j - 1], c, sn, axis);
        }
    }

    int t = 0;
    for (int k = 0; k < vertices; k++) {
        if (k % p == p - 1) {
            continue;
        }
        mesh.triangles[t++] = {{k, k + 1, (k + p) % vertices}};
        mesh.triangles[t++] = {{(k + p + 1) % vertices, k + 1, (k + p) % vertices}};
    }

    // The drawing arrays, once: the builder winds the two triangles of a quad oppositely, and
    // the parity of the face normal evens it out.
    for (int k = 0; k < vertices; k++) {
        mesh.vertices[k] = mesh.rows[k % p][k / p];
    }
    for (int i = 0; i < t; i++) {
        const MeshTriangle &tri = mesh.triangles[i];
        const Point3 &v0 = mesh.vertices[tri.v[0]];
        const Point3 &v1 = mesh.vertices[tri.v[1]];
        const Point3 &v2 = mesh.vertices[tri.v[2]];
        Point3 u = {v1.x - v0.x, v1.y - v0.y, v1.z - v0.z};
        Point3 w = {v2.x - v0.x, v2.y - v0.y, v2.z - v0.z};
        Point3 n = (i % 2 == 1) ? crossProduct(u, w) : crossProduct(w, u);
        for (int corner = 0; corner < 3; corner++) {
            mesh.litVertices[3 * i + corner] = {n, mesh.vertices[tri.v[corner]]};
        }
    }
    mesh.litVertexCount = mergeEqualVertices(mesh.litVertices, 3 * t, mesh.litIndices);
    if (mesh.litVertexCount < 0) {
        std::free(mesh.litIndices);
        mesh.litIndices = nullptr;
        mesh.litVertexCount = 3 * t;
    }

    mesh.profileCount = p;
    mesh.segmentCount = s;
    mesh.edgeCount = e;
    mesh.gridEdgeCount = p * s + (p - 1) * s;
    mesh.triangleCount = t;
    return mesh;
}

void buildUnitCylinder() {
    cylinderProfile[0] = {0.0f, 0.0f, 0.0f};
    cylinderProfile[1] = {0.5f, 0.0f, 0.0f};
    cylinderProfile[2] = {0.5f, 1.0f, 0.0f};
    cylinderProfile[3] = {0.0f, 1.0f, 0.0f};
    unitCylinder =
        buildRevolutionMesh(cylinderProfile, CYLINDER_PROFILE_POINTS, CYLINDER_SEGMENTS, 'y');
}

void freeMesh(RevolutionMesh mesh, int rowCount) {
    forgetMeshArrays(&mesh.litVertices[0].normal.x);
    std::free(mesh.litIndices);
    std::free(mesh.litVertices);
    std::free(mesh.vertices);
    std::free(mesh.edges);
    std::free(mesh.triangles);
    for (int i = 0; i < rowCount; i++) {
        std::free(mesh.rows[i]);
    }
    std::free(mesh.rows);
}
