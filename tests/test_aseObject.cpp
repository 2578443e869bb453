// Unit tests of the ASE reader: scanner, material reader, geometry reader and loading.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <iterator>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

#include "aseObject.h"
#include "capture.h"

namespace {

// The declared counts are protected; tests read them through this.
struct Probe : aseObject {
    using aseObject::aseObject;
    int objects() const { return num_objects; }
    int materials() const { return num_materials; }
    int vertex_count() const { return num_vertex; }
    int face_count() const { return num_faces; }
    int tvertex_count() const { return num_tvertex; }
    int tface_count() const { return num_tfaces; }
    int material_key() const { return material_ref; }
};

struct Loaded {
    std::unique_ptr<Probe> mesh;
    std::string report;
};

// A faulty loader may end the process from inside the constructor; then say which file and
// what it had printed, or the captured report would be lost with the process.
const CoutCapture* g_loading = nullptr;
std::string g_loading_path;

void report_exit_during_load() {
    if (g_loading) std::cerr << "loader exited while loading " << g_loading_path << ", after:\n" << g_loading->str();
}

Loaded load(const std::string& path) {
    static const bool registered = std::atexit(report_exit_during_load) == 0;
    (void)registered;
    Loaded l;
    CoutCapture out;
    g_loading = &out;
    g_loading_path = path;
    l.mesh = std::make_unique<Probe>(path.c_str());
    g_loading = nullptr;
    l.report = out.str();
    return l;
}

// The part of a report from `from` up to, not including, `to` (or the end).
std::string section(const std::string& report, const std::string& from, const std::string& to) {
    size_t b = report.find(from);
    if (b == std::string::npos) return "<" + from + " not found>";
    size_t e = report.find(to, b + from.size());
    return report.substr(b, e == std::string::npos ? std::string::npos : e - b);
}

bool ends_with(const std::string& s, const std::string& tail) {
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

std::string read_bytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Records as vectors, so a mismatch prints every field at once.
std::vector<float> xyz(const Vertex& v) { return {v.x, v.y, v.z}; }
std::vector<float> xyz(const NVertex& v) { return {v.x, v.y, v.z}; }
std::vector<float> xyz(const NFace& n) { return {n.x, n.y, n.z}; }
std::vector<float> uv(const TVertex& t) { return {t.u, t.v}; }
std::vector<int> abc(const Face& f) { return {f.a, f.b, f.c}; }
std::vector<int> abc(const TFace& f) { return {f.a, f.b, f.c}; }

const char* const kObjectHeader = "\nLecture de l'objet 1\n";
const char* const kNormals = "\n** Calcul des normales\n";

// Report of the example file from its material lines on; used by the fixtures that must read like it.
const std::string kExampleMaterial =
    "Lecture du material 1\n"
    "\tcheck *MATERIAL_NAME: stone\n"
    "\tcheck *MATERIAL_DIFFUSE: 0.8/0.6/0.4\n"
    "\tcheck *BITMAP: stone.bmp\n"
    "\tcheck *UVW_U_TILING: 2\n"
    "\tcheck *UVW_V_TILING: 1\n";
const std::string kExampleCounts =
    "\nLecture de l'objet 1\n"
    "\tNombre de Vertices: 3\n"
    "\tNombre de Faces: 1\n"
    "\tNombre de TVertices: 3\n"
    "\tNombre de TFaces: 1\n";
const std::string kExampleObject = kExampleCounts +
    "\tMaterial ref: 0\n"
    "\tAdded 3 Vertices\n"
    "\tAdded 1 Nb Faces\n"
    "\tAdded 3 TVertices\n"
    "\tAdded 1 TFace\n";

std::string banner(const std::string& path) { return "*** Init mesh from ASE file " + path + "\n"; }

}  // namespace

// example.ase: the whole report and every element the small reference file yields.
TEST(AseLoad, ExampleReportAndElements) {
    const std::string path = data_path("example.ase");
    Loaded l = load(path);
    EXPECT_EQ(l.report, banner(path) +
                            "* 1objets *GEOMOBJECT dans le fichier\n"
                            "* 1 objets *MATERIAL dans le fichier\n" +
                            kExampleMaterial + kExampleObject +
                            "\n** Calcul des normales\n"
                            "Nb Faces: 1\n"
                            "Added 1 normals faces\n"
                            "Added 3 normals vertices\n");
    Probe& m = *l.mesh;

    EXPECT_EQ(m.objects(), 1);
    EXPECT_EQ(m.materials(), 1);
    EXPECT_EQ(m.vertex_count(), 3);
    EXPECT_EQ(m.face_count(), 1);
    EXPECT_EQ(m.tvertex_count(), 3);
    EXPECT_EQ(m.tface_count(), 1);
    EXPECT_EQ(m.material_key(), 0);

    // Sizes first: a lookup of a missing key would grow a table.
    EXPECT_EQ(m.get_nb_materials(), 1);
    EXPECT_EQ(m.get_nb_vertices(), 3);
    EXPECT_EQ(m.get_nb_faces(), 1);
    EXPECT_EQ(m.get_nb_tvertices(), 3);
    EXPECT_EQ(m.get_nb_tfaces(), 1);
    EXPECT_EQ(m.get_nb_nfaces(), 1);
    EXPECT_EQ(m.get_nb_nvertices(), 3);
    EXPECT_TRUE(m.get_has_texture());

    Material mat = m.get_material(0);
    EXPECT_EQ(mat.name, "stone");
    EXPECT_EQ(mat.bitmap, "stone.bmp");
    EXPECT_EQ((std::vector<float>{mat.diffuse_r, mat.diffuse_g, mat.diffuse_b}),
              (std::vector<float>{0.8f, 0.6f, 0.4f}));
    EXPECT_EQ(mat.u_tiling, 2.0f);
    EXPECT_EQ(mat.v_tiling, 1.0f);

    // File X Y Z is stored as X, Z, -Y.
    EXPECT_EQ(xyz(m.get_vertex(0)), (std::vector<float>{0, 0, -1}));
    EXPECT_EQ(xyz(m.get_vertex(1)), (std::vector<float>{1, 0, -1}));
    EXPECT_EQ(xyz(m.get_vertex(2)), (std::vector<float>{0, 2, -1}));
    EXPECT_EQ(abc(m.get_face(0)), (std::vector<int>{0, 1, 2}));
    // u is scaled by the u tiling 2, v by 1.
    EXPECT_EQ(uv(m.get_tvertex(0)), (std::vector<float>{0, 0}));
    EXPECT_EQ(uv(m.get_tvertex(1)), (std::vector<float>{2, 0}));
    EXPECT_EQ(uv(m.get_tvertex(2)), (std::vector<float>{0, 1}));
    EXPECT_EQ(abc(m.get_tface(0)), (std::vector<int>{0, 1, 2}));

    // d1 = p0 - p1 = (-1, 0, 0), d2 = p1 - p2 = (1, -2, 0), d1 x d2 = (0, 0, 2), unit (0, 0, 1);
    // each vertex is used by that face only.
    EXPECT_EQ(xyz(m.get_nface(0)), (std::vector<float>{0, 0, 1}));
    for (int p = 0; p < 3; ++p) {
        SCOPED_TRACE(p);
        EXPECT_EQ(xyz(m.get_nvertex(p)), (std::vector<float>{0, 0, 1}));
    }
}

// exporter-shape-crlf.ase: a pyramid as modelling tools write it (scene, node TM, normals,
// smoothing and material ids on face lines, CR LF) loads with the right counts and values.
TEST(AseLoad, ExporterShapeWithCrLf) {
    const std::string path = data_path("exporter-shape-crlf.ase");
    ASSERT_NE(read_bytes(path).find("}\r\n"), std::string::npos) << "fixture lost its CR LF line ends";
    Loaded l = load(path);
    EXPECT_EQ(l.report, banner(path) +
                            "* 1objets *GEOMOBJECT dans le fichier\n"
                            "* 1 objets *MATERIAL dans le fichier\n"
                            "Lecture du material 1\n"
                            "\tcheck *MATERIAL_NAME: Stone\n"
                            "\tcheck *MATERIAL_DIFFUSE: 0.5882/0.5882/0.5882\n"
                            "\tcheck *BITMAP: stone.bmp\n"
                            "\tcheck *UVW_U_TILING: 2\n"
                            "\tcheck *UVW_V_TILING: 1\n"
                            "\nLecture de l'objet 1\n"
                            "\tNombre de Vertices: 5\n"
                            "\tNombre de Faces: 6\n"
                            "\tNombre de TVertices: 5\n"
                            "\tNombre de TFaces: 6\n"
                            "\tMaterial ref: 0\n"
                            "\tAdded 5 Vertices\n"
                            "\tAdded 6 Nb Faces\n"
                            "\tAdded 5 TVertices\n"
                            "\tAdded 6 TFace\n"
                            "\n** Calcul des normales\n"
                            "Nb Faces: 6\n"
                            "Added 6 normals faces\n"
                            "Added 5 normals vertices\n");
    Probe& m = *l.mesh;
    EXPECT_EQ(m.get_nb_materials(), 1);
    EXPECT_EQ(m.get_nb_vertices(), 5);
    EXPECT_EQ(m.get_nb_faces(), 6);
    EXPECT_EQ(m.get_nb_tvertices(), 5);
    EXPECT_EQ(m.get_nb_tfaces(), 6);
    EXPECT_TRUE(m.get_has_texture());

    Material mat = m.get_material(0);
    EXPECT_EQ(mat.name, "Stone");
    EXPECT_EQ(mat.bitmap, "stone.bmp");
    EXPECT_EQ(mat.diffuse_g, 0.5882f);

    EXPECT_EQ(xyz(m.get_vertex(0)), (std::vector<float>{-10, 0, 10}));
    EXPECT_EQ(xyz(m.get_vertex(3)), (std::vector<float>{10, 0, -10}));
    EXPECT_EQ(xyz(m.get_vertex(4)), (std::vector<float>{0, 10, 0}));
    EXPECT_EQ(abc(m.get_face(0)), (std::vector<int>{0, 2, 3}));
    EXPECT_EQ(abc(m.get_face(5)), (std::vector<int>{2, 0, 4}));
    EXPECT_EQ(uv(m.get_tvertex(3)), (std::vector<float>{2, 1}));
    EXPECT_EQ(uv(m.get_tvertex(4)), (std::vector<float>{1, 0.5f}));
    EXPECT_EQ(abc(m.get_tface(2)), (std::vector<int>{0, 1, 4}));

    // The base faces the floor; each side leans out at 45 degrees. A side's cross product has
    // two components of 200: 200 / float(sqrt(80000)) = 0.70710677f.
    const float h = 0.70710677f;
    const std::vector<std::vector<float>> faces = {
        {0, -1, 0}, {0, -1, 0}, {0, h, h}, {h, h, 0}, {0, h, -h}, {-h, h, 0}};
    for (int j = 0; j < 6; ++j) {
        SCOPED_TRACE(j);
        EXPECT_EQ(xyz(m.get_nface(j)), faces[j]);
    }
    // The apex averages the four sides: x and z cancel exactly, y normalises to 1.
    EXPECT_EQ(xyz(m.get_nvertex(4)), (std::vector<float>{0, 1, 0}));
}

// Scanner operations on a loaded example: whole-token counts, placements, reads at the end.
TEST(AseScanner, CountsAndPlacementsOnExample) {
    Loaded l = load(data_path("example.ase"));
    Probe& m = *l.mesh;
    CoutCapture out;
    // *MATERIAL_LIST and *MESH_TFACELIST are other tokens.
    EXPECT_EQ(m.rechercher_nb_occurences("*MATERIAL"), 1);
    EXPECT_EQ(m.rechercher_nb_occurences("*MESH_TFACE"), 1);
    EXPECT_EQ(m.rechercher_nb_occurences("*MESH_NORMALS"), 0);

    m.moveToObject(1);
    EXPECT_EQ(m.readString(), "{");
    m.moveToObject(0);
    EXPECT_EQ(m.readString(), "*MATERIAL_LIST");
    m.moveToMaterial(1);
    EXPECT_EQ(m.readString(), "0");

    // The second placement searches to the end of the file; the count still starts from the top.
    m.moveToObject(2);
    EXPECT_EQ(m.rechercher_nb_occurences("*GEOMOBJECT"), 1);
    EXPECT_EQ(out.str(), "") << "a healthy stream rewinds without a message";

    // After a count the position is the end of the file.
    EXPECT_EQ(m.readString(), "");
    EXPECT_EQ(m.readString(), "");
}

// A read past the end leaves the stream failed: the next rewind says so, and the count that
// reported it clears the state, so the count after it works again.
TEST(AseScanner, RewindAfterFailedReadReportsOnce) {
    Loaded l = load(data_path("example.ase"));
    Probe& m = *l.mesh;
    CoutCapture out;
    m.rechercher_nb_occurences("*GEOMOBJECT");
    EXPECT_EQ(m.readString(), "");
    m.rechercher_nb_occurences("*GEOMOBJECT");
    EXPECT_EQ(out.str(), "!!! flux non repositionnable!\n");
    EXPECT_EQ(m.rechercher_nb_occurences("*GEOMOBJECT"), 1);
    EXPECT_EQ(out.str(), "!!! flux non repositionnable!\n");
}

// last-token-keyword.ase: the file ends with "*GEOMOBJECT\n"; the failed read after it adds nothing.
TEST(AseScanner, KeywordAsLastTokenCountsOnce) {
    Loaded l = load(data_path("last-token-keyword.ase"));
    EXPECT_NE(l.report.find("\n* 2objets *GEOMOBJECT dans le fichier\n"), std::string::npos) << l.report;
    EXPECT_EQ(l.mesh->rechercher_nb_occurences("*GEOMOBJECT"), 2);
    l.mesh->moveToObject(2);
    EXPECT_EQ(l.mesh->readString(), "");
}

// fgetNumObjects prints its line with no blank before "objets", whatever the count.
TEST(AseScanner, ObjectCountLine) {
    struct Row {
        const char* name;
        const char* fixture;
        const char* line;
    };
    const Row rows[] = {
        {"twelve objects", "twelve-objects.ase", "* 12objets *GEOMOBJECT dans le fichier\n"},
        {"no object", "quoted-value-with-space.ase", "* 0objets *GEOMOBJECT dans le fichier\n"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Loaded l = load(data_path(row.fixture));
        CoutCapture out;
        l.mesh->fgetNumObjects();
        EXPECT_EQ(out.str(), row.line);
        EXPECT_NE(l.report.find(row.line), std::string::npos);
    }
}

// The material reader: check lines as printed and the material stored under key 0.
TEST(AseMaterial, Cases) {
    struct Row {
        const char* name;
        const char* fixture;  // one comment per fixture: what it proves
        std::string lines;    // "Lecture du material 1\n" and the check lines
        Material want;
        int declared;  // *MATERIAL tokens in the file
    };
    auto mat = [](const char* name, const char* bitmap, float r, float g, float b, float ut, float vt) {
        Material m;
        m.name = name;
        m.bitmap = bitmap;
        m.diffuse_r = r;
        m.diffuse_g = g;
        m.diffuse_b = b;
        m.u_tiling = ut;
        m.v_tiling = vt;
        return m;
    };
    const Row rows[] = {
        // quoted-value-with-space.ase: "old stone" is two tokens; the first loses its end bytes.
        {"quoted value with space", "quoted-value-with-space.ase",
         "Lecture du material 1\n\tcheck *MATERIAL_NAME: ol\n", mat("ol", "", 0, 0, 0, 1, 1), 1},
        // bitmap-unquoted.ase: the first and last bytes go even when they are not quotes.
        {"unquoted bitmap", "bitmap-unquoted.ase", "Lecture du material 1\n\tcheck *BITMAP: tone.bm\n",
         mat("", "tone.bm", 0, 0, 0, 1, 1), 1},
        // quoted-value-short.ase: a one-byte and a two-byte value both give "".
        {"one- and two-byte values", "quoted-value-short.ase",
         "Lecture du material 1\n\tcheck *MATERIAL_NAME: \n\tcheck *BITMAP: \n", mat("", "", 0, 0, 0, 1, 1), 1},
        // two-bitmaps.ase: both maps are reported, the second bitmap stays.
        {"two bitmaps", "two-bitmaps.ase",
         "Lecture du material 1\n\tcheck *MATERIAL_NAME: stone\n\tcheck *BITMAP: first.bmp\n"
         "\tcheck *BITMAP: second.bmp\n",
         mat("stone", "second.bmp", 0, 0, 0, 1, 1), 1},
        // two-materials.ase: reading stops at the second *MATERIAL; its keywords are not read.
        {"two materials", "two-materials.ase",
         "Lecture du material 1\n\tcheck *MATERIAL_NAME: first\n\tcheck *UVW_U_TILING: 3\n",
         mat("first", "", 0, 0, 0, 3, 1), 2},
        // material-list-token-inside.ase: *MATERIAL_LIST inside the section neither ends it nor counts.
        {"list keyword inside", "material-list-token-inside.ase",
         "Lecture du material 1\n\tcheck *MATERIAL_NAME: stone\n\tcheck *BITMAP: stone.bmp\n",
         mat("stone", "stone.bmp", 0, 0, 0, 1, 1), 1},
        // material-number-format.ase: default float format, no trailing zeros, six digits.
        {"number format", "material-number-format.ase",
         "Lecture du material 1\n\tcheck *MATERIAL_DIFFUSE: 1/0.5/0\n\tcheck *UVW_V_TILING: 0.588235\n",
         mat("", "", 1, 0.5f, 0, 1, 0.5882353f), 1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Loaded l = load(data_path(row.fixture));
        EXPECT_EQ(section(l.report, "Lecture du material 1\n", kObjectHeader), row.lines);
        EXPECT_EQ(l.mesh->materials(), row.declared);
        ASSERT_EQ(l.mesh->get_nb_materials(), 1);
        Material got = l.mesh->get_material(0);
        EXPECT_EQ(got.name, row.want.name);
        EXPECT_EQ(got.bitmap, row.want.bitmap);
        EXPECT_EQ((std::vector<float>{got.diffuse_r, got.diffuse_g, got.diffuse_b, got.u_tiling, got.v_tiling}),
                  (std::vector<float>{row.want.diffuse_r, row.want.diffuse_g, row.want.diffuse_b,
                                      row.want.u_tiling, row.want.v_tiling}));
    }
}

// The geometry reader: the object's report lines and what lands in the mesh.
TEST(AseGeometry, Cases) {
    struct Row {
        const char* name;
        const char* fixture;
        std::string object;  // from "\nLecture de l'objet 1\n" to the normal pass
        std::function<void(Probe&)> check;
    };
    const std::string no_counts =
        "\nLecture de l'objet 1\n\tNombre de Vertices: 0\n\tNombre de Faces: 0\n"
        "\tNombre de TVertices: 0\n\tNombre de TFaces: 0\n";
    const Row rows[] = {
        // vertex-keyword-inexact.ase: *mesh_vertex and *MESH_VERTEX: start nothing, so no block and no check.
        {"inexact vertex keywords", "vertex-keyword-inexact.ase",
         "\nLecture de l'objet 1\n\tNombre de Vertices: 2\n\tNombre de Faces: 0\n"
         "\tNombre de TVertices: 0\n\tNombre de TFaces: 0\n",
         [](Probe& m) { EXPECT_EQ(m.get_nb_vertices(), 0); }},
        // vertex-index-ignored.ase: the record written "9" at position 6 lands under key 6.
        {"record index ignored", "vertex-index-ignored.ase",
         "\nLecture de l'objet 1\n\tNombre de Vertices: 7\n\tNombre de Faces: 0\n"
         "\tNombre de TVertices: 0\n\tNombre de TFaces: 0\n\tAdded 7 Vertices\n",
         [](Probe& m) {
             EXPECT_EQ(m.get_nb_vertices(), 7);
             EXPECT_EQ(xyz(m.get_vertex(6)), (std::vector<float>{1, 3, -2}));
         }},
        // material-ref-first.ase: *MATERIAL_REF ahead of the mesh reads exactly like the example.
        {"material ref first", "material-ref-first.ase", kExampleObject,
         [](Probe& m) {
             EXPECT_EQ(m.material_key(), 0);
             EXPECT_EQ(uv(m.get_tvertex(1)), (std::vector<float>{2, 0}));
         }},
        // material-ref-missing.ase: *MATERIAL_REF outside the object is not read; key 0 scales.
        {"material ref outside the object", "material-ref-missing.ase",
         kExampleCounts + "\tAdded 3 Vertices\n\tAdded 1 Nb Faces\n\tAdded 3 TVertices\n\tAdded 1 TFace\n",
         [](Probe& m) {
             EXPECT_EQ(m.material_key(), 0);
             EXPECT_EQ(m.get_nb_materials(), 1);
             EXPECT_EQ(uv(m.get_tvertex(1)), (std::vector<float>{2, 0}));
         }},
        // material-ref-unknown.ase: key 3 adds a default material whose tiling 1 leaves u, v alone.
        {"material ref unknown", "material-ref-unknown.ase",
         kExampleCounts + "\tMaterial ref: 3\n\tAdded 3 Vertices\n\tAdded 1 Nb Faces\n"
                          "\tAdded 3 TVertices\n\tAdded 1 TFace\n",
         [](Probe& m) {
             EXPECT_EQ(m.get_nb_materials(), 2);
             EXPECT_EQ(m.get_material(3).u_tiling, 1.0f);
             EXPECT_EQ(uv(m.get_tvertex(1)), (std::vector<float>{1, 0}));
             EXPECT_EQ(uv(m.get_tvertex(2)), (std::vector<float>{0, 1}));
         }},
        // face-corner-order.ase: a C: makes a face with the corners seen so far (0 at the start).
        {"C: before A:", "face-corner-order.ase",
         "\nLecture de l'objet 1\n\tNombre de Vertices: 4\n\tNombre de Faces: 3\n"
         "\tNombre de TVertices: 0\n\tNombre de TFaces: 0\n\tAdded 4 Vertices\n\tAdded 3 Nb Faces\n",
         [](Probe& m) {
             ASSERT_EQ(m.get_nb_faces(), 3);
             EXPECT_EQ(abc(m.get_face(0)), (std::vector<int>{0, 0, 2}));
             EXPECT_EQ(abc(m.get_face(1)), (std::vector<int>{0, 3, 2}));
             EXPECT_EQ(abc(m.get_face(2)), (std::vector<int>{1, 2, 3}));
         }},
        // face-line-c-missing-or-doubled.ase: faces follow the C: tokens, not the lines (4 lines, 3 faces).
        {"C: missing or doubled", "face-line-c-missing-or-doubled.ase",
         "\nLecture de l'objet 1\n\tNombre de Vertices: 4\n\tNombre de Faces: 3\n"
         "\tNombre de TVertices: 0\n\tNombre de TFaces: 0\n\tAdded 4 Vertices\n\tAdded 3 Nb Faces\n",
         [](Probe& m) {
             ASSERT_EQ(m.get_nb_faces(), 3);
             EXPECT_EQ(abc(m.get_face(0)), (std::vector<int>{0, 1, 2}));
             EXPECT_EQ(abc(m.get_face(1)), (std::vector<int>{2, 3, 0}));
             EXPECT_EQ(abc(m.get_face(2)), (std::vector<int>{2, 3, 1}));
         }},
        // vertex-count-missing.ase: no *MESH_NUMVERTEX means 0 records read, and 0 matches.
        {"vertex count missing", "vertex-count-missing.ase", no_counts + "\tAdded 0 Vertices\n",
         [](Probe& m) { EXPECT_EQ(m.get_nb_vertices(), 0); }},
        // vertex-count-twice.ase: the later *MESH_NUMVERTEX wins.
        {"vertex count twice", "vertex-count-twice.ase",
         "\nLecture de l'objet 1\n\tNombre de Vertices: 2\n\tNombre de Faces: 0\n"
         "\tNombre de TVertices: 0\n\tNombre de TFaces: 0\n\tAdded 2 Vertices\n",
         [](Probe& m) {
             EXPECT_EQ(m.vertex_count(), 2);
             EXPECT_EQ(xyz(m.get_vertex(1)), (std::vector<float>{4, 6, -5}));
         }},
        // tvert-block-missing.ase: no *MESH_TVERT: no TVertices line, no check, texture flag off.
        {"no texture vertices", "tvert-block-missing.ase",
         "\nLecture de l'objet 1\n\tNombre de Vertices: 3\n\tNombre de Faces: 1\n"
         "\tNombre de TVertices: 3\n\tNombre de TFaces: 0\n\tAdded 3 Vertices\n\tAdded 1 Nb Faces\n",
         [](Probe& m) {
             EXPECT_FALSE(m.get_has_texture());
             EXPECT_EQ(m.get_nb_tvertices(), 0);
         }},
        // two-objects.ase: object 1 is read up to the second *GEOMOBJECT (its *MATERIAL_REF and
        // *MESH_TVERT stay unread), but the texture faces of both are counted and read on.
        {"two objects", "two-objects.ase",
         "\nLecture de l'objet 1\n\tNombre de Vertices: 3\n\tNombre de Faces: 1\n"
         "\tNombre de TVertices: 0\n\tNombre de TFaces: 3\n\tAdded 3 Vertices\n\tAdded 1 Nb Faces\n"
         "\tAdded 3 TFace\n",
         [](Probe& m) {
             EXPECT_EQ(m.objects(), 2);
             EXPECT_FALSE(m.get_has_texture());
             ASSERT_EQ(m.get_nb_vertices(), 3);
             EXPECT_EQ(xyz(m.get_vertex(1)), (std::vector<float>{1, 0, -0.0f}));
             ASSERT_EQ(m.get_nb_tfaces(), 3);
             EXPECT_EQ(abc(m.get_tface(0)), (std::vector<int>{0, 1, 2}));
             // The records after the block start at a "}": unread fields are 0.
             EXPECT_EQ(abc(m.get_tface(1)), (std::vector<int>{0, 0, 0}));
         }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Loaded l = load(data_path(row.fixture));
        EXPECT_EQ(section(l.report, kObjectHeader, kNormals), row.object);
        row.check(*l.mesh);
    }
}

// A file that does not open: its two lines, the first rewind's complaint, and construction returns.
TEST(AseFailure, MissingFile) {
    const std::string path = data_path("no-such-file.ase");
    Loaded l = load(path);
    const std::string head = banner(path) + "!!! Erreur \xE0 l'ouverture du fichier " + path + "\n" +
                             "!!! flux non repositionnable!\n";
    EXPECT_EQ(l.report.substr(0, head.size()), head);
    EXPECT_TRUE(l.mesh != nullptr);
}

// A value that is not a number fails the stream: every rewind until the next whole-file count
// complains, the blocks behind a failed rewind are not read, and loading still returns.
TEST(AseFailure, NotANumber) {
    struct Row {
        const char* name;
        const char* fixture;
        std::string object;
        std::string normals;
    };
    const std::string flux = "!!! flux non repositionnable!\n";
    const Row rows[] = {
        // vertex-extra-value.ase: a fourth coordinate puts "*MESH_VERTEX" where the next index goes;
        // the two records left are zeros, then the face, texture-vertex and texture-face
        // placements each rewind a failed stream and read nothing.
        {"extra vertex value", "vertex-extra-value.ase",
         kExampleCounts + "\tMaterial ref: 0\n\tAdded 3 Vertices\n" + flux + flux + flux,
         "Nb Faces: 0\nAdded 0 normals faces\nAdded 3 normals vertices\n"},
        // count-not-a-number.ase: "*MESH_NUMTVERTEX x" ends the header scan; the texture-face
        // count's rewind complains, counts nothing and clears the state, so the rest reads.
        {"count not a number", "count-not-a-number.ase",
         std::string(kObjectHeader) + flux +
             "\tNombre de Vertices: 3\n\tNombre de Faces: 1\n\tNombre de TVertices: 0\n"
             "\tNombre de TFaces: 0\n\tMaterial ref: 0\n\tAdded 3 Vertices\n\tAdded 1 Nb Faces\n"
             "\tAdded 0 TVertices\n\tAdded 0 TFace\n",
         "Nb Faces: 1\nAdded 1 normals faces\nAdded 3 normals vertices\n"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const std::string path = data_path(row.fixture);
        Loaded l = load(path);
        EXPECT_EQ(l.report, banner(path) +
                                "* 1objets *GEOMOBJECT dans le fichier\n"
                                "* 1 objets *MATERIAL dans le fichier\n" +
                                kExampleMaterial + row.object + kNormals + row.normals);
    }
    Loaded l = load(data_path("vertex-extra-value.ase"));
    ASSERT_EQ(l.mesh->get_nb_vertices(), 3);
    EXPECT_EQ(xyz(l.mesh->get_vertex(0)), (std::vector<float>{0, 0, -1}));
    EXPECT_EQ(xyz(l.mesh->get_vertex(1)), (std::vector<float>{0, 0, 0}));
}

// Count checks end the real program with status 1 right after the block's "Added" line.
TEST(AseExit, CountMismatchEndsProgram) {
    struct Row {
        const char* name;
        const char* fixture;
        const char* tail;
    };
    const Row rows[] = {
        // face-count-mismatch.ase: *MESH_NUMFACES 2, one C: in the block.
        {"face count mismatch", "face-count-mismatch.ase", "\tAdded 1 Nb Faces\n"},
        // negative-vertex-count.ase: *MESH_NUMVERTEX -1 reads nothing and cannot match.
        {"negative vertex count", "negative-vertex-count.ase", "\tAdded 0 Vertices\n"},
        // face-count-missing.ase: no *MESH_NUMFACES counts as 0, so the one face is a mismatch.
        {"face count missing", "face-count-missing.ase", "\tAdded 1 Nb Faces\n"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        RunResult r = run_command(std::string(ASEINFO_EXE) + " '" + data_path(row.fixture) + "'");
        EXPECT_EQ(r.status, 1);
        EXPECT_TRUE(ends_with(r.out, std::string(row.tail) + "!!! Erreur dans le fichier\n")) << r.out;
    }
    RunResult r = run_command(std::string(ASEINFO_EXE) + " '" + data_path("face-count-missing.ase") + "'");
    EXPECT_NE(r.out.find("\tNombre de Faces: 0\n"), std::string::npos) << r.out;
}

// A declared count above the file's size in bytes cannot be real: treated as a mismatch before
// reading. A count equal to the size still reads, padding the short block with zero records.
TEST(AseExit, DeclaredCountAgainstFileSize) {
    struct Row {
        const char* name;
        const char* count_keyword;
        const char* block;
        const char* added;  // "\tAdded " N this
        int over;           // declared count minus file size
        int status;
    };
    const Row rows[] = {
        {"vertices equal to size", "*MESH_NUMVERTEX", "*MESH_VERTEX_LIST {\n*MESH_VERTEX 0 1.0 2.0 3.0\n}\n",
         " Vertices\n", 0, 0},
        {"vertices one over size", "*MESH_NUMVERTEX", "*MESH_VERTEX_LIST {\n*MESH_VERTEX 0 1.0 2.0 3.0\n}\n",
         " Vertices\n", 1, 1},
        {"tvertices equal to size", "*MESH_NUMTVERTEX", "*MESH_TVERTLIST {\n*MESH_TVERT 0 0.5 0.5 0.0\n}\n",
         " TVertices\n", 0, 0},
        {"tvertices one over size", "*MESH_NUMTVERTEX", "*MESH_TVERTLIST {\n*MESH_TVERT 0 0.5 0.5 0.0\n}\n",
         " TVertices\n", 1, 1},
    };
    // Four digits: the count's own width does not move with the padding.
    const int declared = 1000;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        std::string text = std::string("*GEOMOBJECT {\n*MESH {\n") + row.count_keyword + " " +
                           std::to_string(declared) + "\n" + row.block + "}\n}\n";
        const size_t size = declared - row.over;
        ASSERT_LT(text.size(), size);
        text += std::string(size - text.size() - 1, ' ') + "\n";
        ASSERT_EQ(text.size(), size);

        const std::filesystem::path path = std::filesystem::temp_directory_path() /
                                           ("ase-count-bound-" + std::to_string(getpid()) + ".ase");
        { std::ofstream(path, std::ios::binary) << text; }
        RunResult r = run_command(std::string(ASEINFO_EXE) + " '" + path.string() + "'");
        std::filesystem::remove(path);

        EXPECT_EQ(r.status, row.status) << r.out;
        if (row.status == 0) {
            EXPECT_NE(r.out.find("\tAdded " + std::to_string(declared) + row.added), std::string::npos) << r.out;
            EXPECT_EQ(r.out.find("!!! Erreur dans le fichier"), std::string::npos) << r.out;
        } else {
            EXPECT_TRUE(ends_with(r.out, std::string("\tAdded 0") + row.added + "!!! Erreur dans le fichier\n"))
                << r.out;
        }
    }
}
