// Unit tests of the mesh: element records, the Object container and compute_normals.
#include <cmath>
#include <cstdint>
#include <cstring>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "capture.h"
#include "mathlib.h"
#include "object.h"
#include "undeformableObject.h"

namespace {

// ---------------------------------------------------------------------------
// Records and container

TEST(Object, NewMeshIsEmpty) {
    undeformableObject m;  // adds nothing to Object
    EXPECT_EQ(0, m.get_nb_vertices());
    EXPECT_EQ(0, m.get_nb_faces());
    EXPECT_EQ(0, m.get_nb_tvertices());
    EXPECT_EQ(0, m.get_nb_tfaces());
    EXPECT_EQ(0, m.get_nb_nvertices());
    EXPECT_EQ(0, m.get_nb_nfaces());
    EXPECT_EQ(0, m.get_nb_materials());
    EXPECT_FALSE(m.get_has_texture());
    EXPECT_TRUE(m.faces.empty());
}

// One numeric table seen through its add, lookup and count operations. add(i)
// stores a record whose fields are all non-zero and derived from i; get
// returns the record's fields in declared order.
struct Table {
    const char* name;
    std::function<int(Object&, int)> add;
    std::function<std::vector<double>(Object&, int)> get;
    std::function<int(Object&)> count;
    std::function<std::vector<double>(int)> fields_of;  // what add(i) stores
};

std::vector<Table> numeric_tables() {
    auto f = [](int i, int k) { return static_cast<float>(i + 1) + 0.25f * k; };
    return {
        {"vertices", [f](Object& o, int i) { return o.add_vertex(f(i, 0), f(i, 1), -f(i, 2)); },
         [](Object& o, int k) {
             Vertex v = o.get_vertex(k);
             return std::vector<double>{v.x, v.y, v.z};
         },
         [](Object& o) { return o.get_nb_vertices(); },
         [f](int i) { return std::vector<double>{f(i, 0), f(i, 1), -f(i, 2)}; }},
        {"faces", [](Object& o, int i) { return o.add_face(i + 1, -(i + 2), i + 3); },
         [](Object& o, int k) {
             Face v = o.get_face(k);
             return std::vector<double>{double(v.a), double(v.b), double(v.c)};
         },
         [](Object& o) { return o.get_nb_faces(); },
         [](int i) { return std::vector<double>{double(i + 1), double(-(i + 2)), double(i + 3)}; }},
        {"tvertices", [f](Object& o, int i) { return o.add_tvertex(f(i, 0), f(i, 1)); },
         [](Object& o, int k) {
             TVertex v = o.get_tvertex(k);
             return std::vector<double>{v.u, v.v};
         },
         [](Object& o) { return o.get_nb_tvertices(); },
         [f](int i) { return std::vector<double>{f(i, 0), f(i, 1)}; }},
        {"tfaces", [](Object& o, int i) { return o.add_tface(i + 1, i + 2, -(i + 3)); },
         [](Object& o, int k) {
             TFace v = o.get_tface(k);
             return std::vector<double>{double(v.a), double(v.b), double(v.c)};
         },
         [](Object& o) { return o.get_nb_tfaces(); },
         [](int i) { return std::vector<double>{double(i + 1), double(i + 2), double(-(i + 3))}; }},
        {"nvertices", [f](Object& o, int i) { return o.add_nvertex(-f(i, 0), f(i, 1), f(i, 2)); },
         [](Object& o, int k) {
             NVertex v = o.get_nvertex(k);
             return std::vector<double>{v.x, v.y, v.z};
         },
         [](Object& o) { return o.get_nb_nvertices(); },
         [f](int i) { return std::vector<double>{-f(i, 0), f(i, 1), f(i, 2)}; }},
        {"nfaces",
         [f](Object& o, int i) {
             NFace n;
             n.a = i + 1;
             n.b = i + 2;
             n.c = -(i + 3);
             n.x = f(i, 0);
             n.y = -f(i, 1);
             n.z = f(i, 2);
             return o.add_nface(n);
         },
         [](Object& o, int k) {
             NFace v = o.get_nface(k);
             return std::vector<double>{double(v.a), double(v.b), double(v.c), v.x, v.y, v.z};
         },
         [](Object& o) { return o.get_nb_nfaces(); },
         [f](int i) {
             return std::vector<double>{double(i + 1), double(i + 2), double(-(i + 3)), f(i, 0), -f(i, 1), f(i, 2)};
         }},
    };
}

// Adds return the counter and use consecutive keys; a lookup of a missing key
// adds a zero record without moving the counter, and a later add over that key
// overwrites it in place.
TEST(Object, AddsLookupsAndCountsOnEveryNumericTable) {
    for (const Table& t : numeric_tables()) {
        SCOPED_TRACE(t.name);
        Object m;
        const std::vector<double> zero(t.fields_of(0).size(), 0.0);

        for (int i = 0; i < 3; ++i) EXPECT_EQ(i + 1, t.add(m, i));
        EXPECT_EQ(3, t.count(m));
        for (int i = 0; i < 3; ++i) EXPECT_EQ(t.fields_of(i), t.get(m, i));
        EXPECT_EQ(3, t.count(m)) << "a lookup of a present key must not grow the table";

        EXPECT_EQ(zero, t.get(m, 5));
        EXPECT_EQ(4, t.count(m));
        EXPECT_EQ(zero, t.get(m, 5));
        EXPECT_EQ(4, t.count(m));

        // Counter is still 3: keys 3, 4, 5; the third lands on the zero record.
        for (int i = 3; i < 6; ++i) EXPECT_EQ(i + 1, t.add(m, i));
        EXPECT_EQ(6, t.count(m));
        EXPECT_EQ(t.fields_of(5), t.get(m, 5));

        EXPECT_EQ(zero, t.get(m, -1));
        EXPECT_EQ(7, t.count(m));
        EXPECT_EQ(7, t.add(m, 6)) << "the counter ignores lookups";
        EXPECT_EQ(8, t.count(m));
        EXPECT_EQ(t.fields_of(6), t.get(m, 6));
    }
}

TEST(Object, NegativeFaceKeyComesFirstInTheWalk) {
    Object m;
    for (int i = 0; i < 3; ++i) m.add_face(i, i + 1, i + 2);
    Face z = m.get_face(-1);
    EXPECT_EQ(0, z.a);
    EXPECT_EQ(0, z.b);
    EXPECT_EQ(0, z.c);
    EXPECT_EQ(4, m.get_nb_faces());

    std::vector<int> keys;
    for (const auto& kv : m.faces) keys.push_back(kv.first);
    EXPECT_EQ((std::vector<int>{-1, 0, 1, 2}), keys);
    EXPECT_EQ(0, m.faces.begin()->second.a);
    EXPECT_EQ(0, m.faces.begin()->second.b);
    EXPECT_EQ(0, m.faces.begin()->second.c);
}

TEST(Material, DefaultsAndIndependentCopies) {
    const Material d;
    EXPECT_EQ(1.0f, d.u_tiling);
    EXPECT_EQ(1.0f, d.v_tiling);
    EXPECT_EQ(0.0f, d.diffuse_r);
    EXPECT_EQ(0.0f, d.diffuse_g);
    EXPECT_EQ(0.0f, d.diffuse_b);
    EXPECT_EQ("", d.name);
    EXPECT_EQ("", d.bitmap);

    Material src;
    src.name = "stone";
    src.bitmap = "stone.bmp";
    src.u_tiling = 2;
    src.v_tiling = 3;
    src.diffuse_r = 0.8f;
    src.diffuse_g = 0.6f;
    src.diffuse_b = 0.4f;

    Material copy(src);
    copy.bitmap = "other.bmp";
    copy.name[0] = 'S';
    EXPECT_EQ("stone.bmp", src.bitmap);
    EXPECT_EQ("stone", src.name);

    // Assignment over longer strings replaces all seven fields.
    Material target;
    target.name = "a much longer material name than the source";
    target.bitmap = "a much longer bitmap file name than the source.bmp";
    target = src;
    EXPECT_EQ("stone", target.name);
    EXPECT_EQ("stone.bmp", target.bitmap);
    EXPECT_EQ(2.0f, target.u_tiling);
    EXPECT_EQ(3.0f, target.v_tiling);
    EXPECT_EQ(0.8f, target.diffuse_r);
    EXPECT_EQ(0.6f, target.diffuse_g);
    EXPECT_EQ(0.4f, target.diffuse_b);
    target.bitmap += "x";
    EXPECT_EQ("stone.bmp", src.bitmap);
}

TEST(Object, MaterialTableStoresAndHandsOutCopies) {
    Object m;
    // A lookup on an empty table adds a default material under key 0.
    Material d = m.get_material(0);
    EXPECT_EQ("", d.name);
    EXPECT_EQ("", d.bitmap);
    EXPECT_EQ(1.0f, d.u_tiling);
    EXPECT_EQ(1.0f, d.v_tiling);
    EXPECT_EQ(1, m.get_nb_materials());

    Material src;
    src.name = "stone";
    src.bitmap = "stone.bmp";
    src.u_tiling = 2;
    EXPECT_EQ(1, m.add_material(src));  // lands on key 0, over the default
    EXPECT_EQ(1, m.get_nb_materials());

    src.bitmap = "changed.bmp";  // the caller's copy only
    Material got = m.get_material(0);
    EXPECT_EQ("stone", got.name);
    EXPECT_EQ("stone.bmp", got.bitmap);
    EXPECT_EQ(2.0f, got.u_tiling);

    got.bitmap = "changed too.bmp";  // the returned copy only
    EXPECT_EQ("stone.bmp", m.get_material(0).bitmap);

    EXPECT_EQ(2, m.add_material(src));
    EXPECT_EQ("changed.bmp", m.get_material(1).bitmap);
    EXPECT_EQ(2, m.get_nb_materials());
}

TEST(Object, ToggleTextureFlips) {
    Object m;
    EXPECT_TRUE(m.toggleTexture());
    EXPECT_TRUE(m.get_has_texture());
    EXPECT_FALSE(m.toggleTexture());
    EXPECT_FALSE(m.get_has_texture());
}

// test() prints the counters (not the table sizes) and walks the vertex table
// for next_vertex entries, numbering by position, not key.
TEST(Object, TestListing) {
    struct Row {
        const char* name;
        std::function<void(Object&)> build;
        const char* want;
    } rows[] = {
        {"new mesh", [](Object&) {}, "Nb Vertices: 0\nNb Faces: 0\n"},
        {"two vertices",
         [](Object& m) {
             m.add_vertex(1, 2, 3);
             m.add_vertex(0.5f, -1, 0);
         },
         "Nb Vertices: 2\nNb Faces: 0\nVertex 0: 1;2;3\nVertex 1: 0.5;-1;0\n"},
        {"lookup of key -1 is listed first, (1, 2, 3) not at all",
         [](Object& m) {
             m.add_vertex(1, 2, 3);
             m.get_vertex(-1);
         },
         "Nb Vertices: 1\nNb Faces: 0\nVertex 0: 0;0;0\n"},
        {"default float format; face lookups leave Nb Faces at the counter",
         [](Object& m) {
             m.add_vertex(1.0f / 3, -2.25f, 1234567.0f);
             m.add_vertex(1e-5f, 100000, 0.1f);
             m.get_vertex(9);
             m.add_face(0, 1, 0);
             m.get_face(4);
             m.get_face(-4);
         },
         "Nb Vertices: 2\nNb Faces: 1\nVertex 0: 0.333333;-2.25;1.23457e+06\nVertex 1: 1e-05;100000;0.1\n"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        Object m;
        r.build(m);
        CoutCapture cap;
        m.test();
        EXPECT_EQ(r.want, cap.str());
    }
}

// ---------------------------------------------------------------------------
// compute_normals

struct Vec {
    float x, y, z;
};

std::uint32_t bits(float f) {
    std::uint32_t u;
    std::memcpy(&u, &f, sizeof u);
    return u;
}

std::string report(int faces, int nfaces, int nvertices) {
    return "\n** Calcul des normales\nNb Faces: " + std::to_string(faces) + "\nAdded " + std::to_string(nfaces) +
           " normals faces\nAdded " + std::to_string(nvertices) + " normals vertices\n";
}

std::string run_normals(Object& m) {
    CoutCapture cap;
    m.compute_normals();
    return cap.str();
}

// Exact: EXPECT_EQ on floats is ==, which only lets 0 and -0 pass as equal.
void expect_nvertex(Object& m, int key, Vec want) {
    SCOPED_TRACE("vertex normal " + std::to_string(key));
    NVertex n = m.get_nvertex(key);
    EXPECT_EQ(want.x, n.x);
    EXPECT_EQ(want.y, n.y);
    EXPECT_EQ(want.z, n.z);
}

void expect_nface(Object& m, int key, Vec want) {
    SCOPED_TRACE("face normal " + std::to_string(key));
    NFace n = m.get_nface(key);
    EXPECT_EQ(want.x, n.x);
    EXPECT_EQ(want.y, n.y);
    EXPECT_EQ(want.z, n.z);
}

// The table holds exactly the keys 0 .. n-1: n entries, and looking each of
// them up adds nothing.
void expect_nface_keys_0_to(Object& m, int n) {
    ASSERT_EQ(n, m.get_nb_nfaces());
    for (int k = 0; k < n; ++k) m.get_nface(k);
    EXPECT_EQ(n, m.get_nb_nfaces());
}

void expect_nvertex_keys_0_to(Object& m, int n) {
    ASSERT_EQ(n, m.get_nb_nvertices());
    for (int k = 0; k < n; ++k) m.get_nvertex(k);
    EXPECT_EQ(n, m.get_nb_nvertices());
}

TEST(ComputeNormals, EmptyMesh) {
    Object m;
    EXPECT_EQ(report(0, 0, 0), run_normals(m));
    EXPECT_EQ(0, m.get_nb_nfaces());
    EXPECT_EQ(0, m.get_nb_nvertices());
}

// One triangle: its face normal, and the same normal on each of its corners.
TEST(ComputeNormals, SingleTriangle) {
    struct Row {
        const char* name;
        Vec a, b, c;
        Vec want;
    } rows[] = {
        {"counter-clockwise in xy", {0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}},
        {"reversed", {0, 0, 0}, {0, 1, 0}, {1, 0, 0}, {0, 0, -1}},
        {"in xz, points up", {0, 0, 0}, {2, 0, 0}, {0, 0, -2}, {0, 1, 0}},
        // Degenerate faces give 0 and still count for their corners, whose normals stay 0.
        {"collinear", {0, 0, 0}, {1, 0, 0}, {2, 0, 0}, {0, 0, 0}},
        {"two coinciding corners", {1, 1, 1}, {1, 1, 1}, {0, 2, 0}, {0, 0, 0}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        Object m;
        m.add_vertex(r.a.x, r.a.y, r.a.z);
        m.add_vertex(r.b.x, r.b.y, r.b.z);
        m.add_vertex(r.c.x, r.c.y, r.c.z);
        m.add_face(0, 1, 2);
        EXPECT_EQ(report(1, 1, 3), run_normals(m));
        expect_nface(m, 0, r.want);
        NFace nf = m.get_nface(0);
        EXPECT_EQ(0, nf.a);
        EXPECT_EQ(1, nf.b);
        EXPECT_EQ(2, nf.c);
        for (int p = 0; p < 3; ++p) expect_nvertex(m, p, r.want);
        EXPECT_EQ(3, m.get_nb_vertices());
        EXPECT_EQ(1, m.get_nb_nfaces());
        EXPECT_EQ(3, m.get_nb_nvertices());
    }
}

// Vertices 0 (0,0,0), 1 (1,0,0), 2 (0,1,0), 3 (0,0,1), 4 (7,7,7).
// Face (0,1,2) has normal (0,0,1), face (0,2,3) normal (1,0,0), face (0,2,1) normal (0,0,-1).
void add_corner_vertices(Object& m) {
    m.add_vertex(0, 0, 0);
    m.add_vertex(1, 0, 0);
    m.add_vertex(0, 1, 0);
    m.add_vertex(0, 0, 1);
    m.add_vertex(7, 7, 7);
}

TEST(ComputeNormals, SharedVerticesAverageTheirFaces) {
    // sqrt(0.5) rounded to float is 0x1.6a09e6p-1 (0.70710677f), and 0.5 divided by it
    // rounds to the same float.
    const float h = 0x1.6a09e6p-1f;
    ASSERT_EQ(0x3f3504f3u, bits(h));
    {
        SCOPED_TRACE("normals (0,0,1) and (1,0,0): sum (1,0,1), average (0.5,0,0.5)");
        Object m;
        add_corner_vertices(m);
        m.add_face(0, 1, 2);
        m.add_face(0, 2, 3);
        EXPECT_EQ(report(2, 2, 5), run_normals(m));
        expect_nface(m, 0, {0, 0, 1});
        expect_nface(m, 1, {1, 0, 0});
        expect_nvertex(m, 0, {h, 0, h});
        expect_nvertex(m, 1, {0, 0, 1});
        expect_nvertex(m, 2, {h, 0, h});
        expect_nvertex(m, 3, {1, 0, 0});
        expect_nvertex(m, 4, {0, 0, 0});  // used by no face
        EXPECT_EQ(0x3f3504f3u, bits(m.get_nvertex(0).x));
        EXPECT_EQ(0x3f3504f3u, bits(m.get_nvertex(0).z));
    }
    {
        SCOPED_TRACE("opposite normals cancel");
        Object m;
        add_corner_vertices(m);
        m.add_face(0, 1, 2);
        m.add_face(0, 2, 1);
        EXPECT_EQ(report(2, 2, 5), run_normals(m));
        expect_nface(m, 0, {0, 0, 1});
        expect_nface(m, 1, {0, 0, -1});
        for (int p = 0; p < 5; ++p) expect_nvertex(m, p, {0, 0, 0});
    }
}

// A degenerate face naming vertex 0 at two or three corners counts once: with
// the faces (0,0,1) and (1,0,0) that makes count 3, average (1/3, 0, 1/3), which
// normalises to 0x1.6a09e8p-1. Counting it twice or three times (count 4 or 5)
// would give 0x1.6a09e6p-1 instead.
TEST(ComputeNormals, RepeatedCornerCountsOnce) {
    const float third = 0x1.6a09e8p-1f;
    struct Row {
        const char* name;
        int a, b, c;
    } rows[] = {
        {"a = b = p", 0, 0, 4},
        {"b = c = p", 4, 0, 0},
        {"a = c = p", 0, 4, 0},
        {"a = b = c = p", 0, 0, 0},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        Object m;
        add_corner_vertices(m);
        m.add_face(0, 1, 2);
        m.add_face(0, 2, 3);
        m.add_face(r.a, r.b, r.c);
        EXPECT_EQ(report(3, 3, 5), run_normals(m));
        expect_nface(m, 2, {0, 0, 0});
        expect_nvertex(m, 0, {third, 0, third});
    }
}

// Cube of side 2 about the origin, each side split into two counter-clockwise
// (seen from outside) triangles: axis-aligned face normals, outward unit vertex normals.
TEST(ComputeNormals, Cube) {
    Object m;
    for (int i = 0; i < 8; ++i) m.add_vertex(i & 1 ? 1.f : -1.f, i & 2 ? 1.f : -1.f, i & 4 ? 1.f : -1.f);
    struct Side {
        int q[4];
        Vec n;
    } sides[] = {
        {{1, 3, 7, 5}, {1, 0, 0}},  {{0, 4, 6, 2}, {-1, 0, 0}}, {{2, 6, 7, 3}, {0, 1, 0}},
        {{0, 1, 5, 4}, {0, -1, 0}}, {{4, 5, 7, 6}, {0, 0, 1}},  {{0, 2, 3, 1}, {0, 0, -1}},
    };
    for (const Side& s : sides) {
        m.add_face(s.q[0], s.q[1], s.q[2]);
        m.add_face(s.q[0], s.q[2], s.q[3]);
    }
    EXPECT_EQ(report(12, 12, 8), run_normals(m));
    expect_nface_keys_0_to(m, 12);
    expect_nvertex_keys_0_to(m, 8);
    for (int s = 0; s < 6; ++s) {
        expect_nface(m, 2 * s, sides[s].n);
        expect_nface(m, 2 * s + 1, sides[s].n);
    }
    for (int p = 0; p < 8; ++p) {
        SCOPED_TRACE("vertex " + std::to_string(p));
        Vertex v = m.get_vertex(p);
        NVertex n = m.get_nvertex(p);
        EXPECT_GT(n.x * v.x, 0);
        EXPECT_GT(n.y * v.y, 0);
        EXPECT_GT(n.z * v.z, 0);
        EXPECT_NEAR(1.0, std::sqrt(double(n.x) * n.x + double(n.y) * n.y + double(n.z) * n.z), 1e-6);
    }
    EXPECT_EQ(8, m.get_nb_vertices());
}

// A corner naming a key the vertex table lacks is computed as the default
// vertex (0,0,0), which the lookup adds; it counts in V since V is taken after
// the face normals.
TEST(ComputeNormals, CornerNamingMissingVertex) {
    {
        SCOPED_TRACE("missing key 3 becomes a used vertex");
        Object m;
        m.add_vertex(1, 0, 0);
        m.add_vertex(0, 1, 0);
        m.add_vertex(5, 5, 5);
        m.add_face(0, 1, 3);  // (1,0,0), (0,1,0), (0,0,0): normal (0,0,1)
        EXPECT_EQ(report(1, 1, 4), run_normals(m));
        EXPECT_EQ(4, m.get_nb_vertices());
        expect_nvertex_keys_0_to(m, 4);
        expect_nface(m, 0, {0, 0, 1});
        expect_nvertex(m, 0, {0, 0, 1});
        expect_nvertex(m, 1, {0, 0, 1});
        expect_nvertex(m, 2, {0, 0, 0});
        expect_nvertex(m, 3, {0, 0, 1});
        Vertex added = m.get_vertex(3);
        EXPECT_EQ(0.0f, added.x);
        EXPECT_EQ(0.0f, added.y);
        EXPECT_EQ(0.0f, added.z);
    }
    {
        SCOPED_TRACE("negative key -1: counted in V, never given a normal");
        Object m;
        m.add_vertex(1, 0, 0);
        m.add_vertex(0, 1, 0);
        m.add_face(-1, 0, 1);  // (0,0,0), (1,0,0), (0,1,0): normal (0,0,1)
        EXPECT_EQ(report(1, 1, 3), run_normals(m));
        EXPECT_EQ(3, m.get_nb_vertices());
        expect_nvertex_keys_0_to(m, 3);
        expect_nface(m, 0, {0, 0, 1});
        NFace nf = m.get_nface(0);
        EXPECT_EQ(-1, nf.a);
        EXPECT_EQ(0, nf.b);
        EXPECT_EQ(1, nf.c);
        expect_nvertex(m, 0, {0, 0, 1});
        expect_nvertex(m, 1, {0, 0, 1});
        expect_nvertex(m, 2, {0, 0, 0});  // key 2 is not even a vertex
    }
}

// The vertex-normal pass exactly as written: for every vertex key p, walk all
// faces in key order and average the face normals of those naming p.
void reference_compute_normals(Object& m) {
    std::cout << "\n** Calcul des normales\n";
    const int F = m.get_nb_faces();
    std::cout << "Nb Faces: " << F << "\n";
    for (const auto& kv : m.faces) {
        const Face f = kv.second;
        Vertex va = m.get_vertex(f.a);
        Vertex vb = m.get_vertex(f.b);
        Vertex vc = m.get_vertex(f.c);
        float pa[3] = {va.x, va.y, va.z};
        float pb[3] = {vb.x, vb.y, vb.z};
        float pc[3] = {vc.x, vc.y, vc.z};
        float out[3];
        calcNormal(pa, pb, pc, out);
        NFace n;
        n.a = f.a;
        n.b = f.b;
        n.c = f.c;
        n.x = out[0];
        n.y = out[1];
        n.z = out[2];
        m.add_nface(n);
    }
    const int V = m.get_nb_vertices();
    for (int p = 0; p < V; ++p) {
        int count = 0;
        float sx = 0, sy = 0, sz = 0;
        int j = 0;
        for (const auto& kv : m.faces) {
            const Face& f = kv.second;
            if (f.a == p || f.b == p || f.c == p) {
                ++count;
                NFace n = m.get_nface(j);
                sx = sx + n.x;
                sy = sy + n.y;
                sz = sz + n.z;
            }
            ++j;
        }
        float avg[3] = {0, 0, 0};
        if (count > 0) {
            avg[0] = static_cast<float>(static_cast<double>(sx) / count);
            avg[1] = static_cast<float>(static_cast<double>(sy) / count);
            avg[2] = static_cast<float>(static_cast<double>(sz) / count);
        }
        ReduceToUnit(avg);
        m.add_nvertex(avg[0], avg[1], avg[2]);
    }
    std::cout << "Added " << m.get_nb_nfaces() << " normals faces\n";
    std::cout << "Added " << m.get_nb_nvertices() << " normals vertices\n";
}

TEST(ComputeNormals, MatchesTheVertexByFaceWalkBitForBit) {
    struct Row {
        const char* name;
        unsigned seed;
        int vertices, faces;
        bool face_lookups;  // zero faces added by lookups under keys -2 and F + 5
    } rows[] = {
        {"random mesh", 20240611u, 1500, 4000, false},
        {"random mesh with looked-up faces", 7u, 600, 2500, true},
        {"dense reuse of few vertices", 99u, 40, 3000, false},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        std::mt19937 rng(r.seed);
        auto uni = [&rng](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
        auto real = [&rng]() { return std::uniform_real_distribution<float>(-10.f, 10.f)(rng); };

        Object impl, ref;
        auto both_vertex = [&](float x, float y, float z) {
            impl.add_vertex(x, y, z);
            ref.add_vertex(x, y, z);
        };
        auto both_face = [&](int a, int b, int c) {
            impl.add_face(a, b, c);
            ref.add_face(a, b, c);
        };

        const int N = r.vertices;
        for (int i = 0; i < N; ++i) {
            switch (uni(0, 3)) {
            case 0:  // small integers: coinciding and collinear corners happen
                both_vertex(float(uni(-2, 2)), float(uni(-2, 2)), float(uni(-2, 2)));
                break;
            case 1:  // a copy of an earlier vertex
                if (i > 0) {
                    Vertex v = impl.get_vertex(uni(0, i - 1));
                    both_vertex(v.x, v.y, v.z);
                    break;
                }
                [[fallthrough]];
            default:
                both_vertex(real(), real(), real());
            }
        }
        auto key = [&]() { return uni(0, N - 1); };
        for (int i = 0; i < r.faces; ++i) {
            const int kind = uni(0, 99);
            int a = key(), b = key(), c = key();
            if (kind < 60) {
            } else if (kind < 66) {
                b = a;
            } else if (kind < 70) {
                c = b;
            } else if (kind < 74) {
                c = a;
            } else if (kind < 78) {
                b = c = a;
            } else if (kind < 86) {  // a missing key past the end of the vertex table
                (uni(0, 2) == 0 ? a : uni(0, 1) ? b : c) = N + uni(0, 30);
            } else if (kind < 92) {  // a negative key
                (uni(0, 2) == 0 ? a : uni(0, 1) ? b : c) = -uni(1, 8);
            } else {  // a shared edge reversed: opposite-facing neighbours
                std::swap(a, b);
            }
            both_face(a, b, c);
        }
        if (r.face_lookups) {
            for (Object* o : {&impl, &ref}) {
                o->get_face(-2);
                o->get_face(r.faces + 5);
            }
        }

        std::string impl_out, ref_out;
        {
            CoutCapture cap;
            impl.compute_normals();
            impl_out = cap.str();
        }
        {
            CoutCapture cap;
            reference_compute_normals(ref);
            ref_out = cap.str();
        }
        EXPECT_EQ(ref_out, impl_out);

        ASSERT_EQ(ref.get_nb_vertices(), impl.get_nb_vertices());
        ASSERT_EQ(ref.get_nb_faces(), impl.get_nb_faces());
        const int nf = ref.get_nb_nfaces();
        const int nv = ref.get_nb_nvertices();
        ASSERT_EQ(nf, impl.get_nb_nfaces());
        ASSERT_EQ(nv, impl.get_nb_nvertices());

        int mismatches = 0;
        for (int k = 0; k < nf; ++k) {
            NFace a = ref.get_nface(k), b = impl.get_nface(k);
            if (bits(a.x) != bits(b.x) || bits(a.y) != bits(b.y) || bits(a.z) != bits(b.z)) {
                if (++mismatches <= 5)
                    ADD_FAILURE() << "face normal " << k << ": want " << a.x << " " << a.y << " " << a.z << " got "
                                  << b.x << " " << b.y << " " << b.z;
            }
        }
        for (int k = 0; k < nv; ++k) {
            NVertex a = ref.get_nvertex(k), b = impl.get_nvertex(k);
            if (std::memcmp(&a, &b, sizeof a) != 0) {
                if (++mismatches <= 10)
                    ADD_FAILURE() << "vertex normal " << k << ": want " << a.x << " " << a.y << " " << a.z
                                  << " got " << b.x << " " << b.y << " " << b.z;
            }
        }
        EXPECT_EQ(0, mismatches);
        // All keys 0 .. n-1, nothing else: the lookups above added nothing.
        EXPECT_EQ(nf, impl.get_nb_nfaces());
        EXPECT_EQ(nv, impl.get_nb_nvertices());
    }
}

}  // namespace
