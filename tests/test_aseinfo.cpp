// The aseinfo checker, run as a real program: summary, warnings, exit status.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <unistd.h>

#include "capture.h"

namespace {

// A model file written to a temporary folder for the life of the test.
class TempModel {
public:
    explicit TempModel(const std::string& text) {
        char dir[] = "/tmp/aseinfo-test-XXXXXX";
        dir_ = mkdtemp(dir);
        path_ = dir_ + "/model.ase";
        std::ofstream(path_, std::ios::binary) << text;
    }
    ~TempModel() {
        std::remove(path_.c_str());
        rmdir(dir_.c_str());
    }
    const std::string& path() const { return path_; }

private:
    std::string dir_;
    std::string path_;
};

RunResult aseinfo(const std::string& args) { return run_command(std::string(ASEINFO_EXE) + " " + args + " 2>/dev/null"); }

std::string summary_of(const std::string& out) {
    size_t at = out.find("\n== aseinfo summary\n");
    return at == std::string::npos ? std::string() : out.substr(at);
}

const char* const kMaterial =
    "*MATERIAL_LIST { *MATERIAL 0 { *MATERIAL_NAME \"stone\" *BITMAP \"stone.bmp\" } }\n";

}  // namespace

// A clean model: the loader's report comes first, then the summary, status 0.
TEST(Aseinfo, CleanModelSummary) {
    TempModel m(std::string(kMaterial) +
                "*GEOMOBJECT { *MESH { *MESH_NUMVERTEX 3 *MESH_NUMFACES 1\n"
                "*MESH_VERTEX_LIST {\n"
                "*MESH_VERTEX 0 0.0 1.0 0.0\n*MESH_VERTEX 1 1.0 1.0 0.0\n*MESH_VERTEX 2 -2.5 1.0 2.0\n}\n"
                "*MESH_FACE_LIST {\n*MESH_FACE 0: A: 0 B: 1 C: 2\n}\n"
                "*MESH_NUMTVERTEX 3 *MESH_TVERTLIST {\n"
                "*MESH_TVERT 0 0 0 0\n*MESH_TVERT 1 1 0 0\n*MESH_TVERT 2 0 1 0\n}\n"
                "*MESH_TFACELIST {\n*MESH_TFACE 0 0 1 2\n}\n} }\n");
    RunResult r = aseinfo(m.path());
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out.rfind("*** Init mesh from ASE file " + m.path() + "\n", 0), 0u) << r.out;
    EXPECT_EQ(summary_of(r.out),
              "\n== aseinfo summary\n"
              "Vertices: 3\n"
              "Faces: 1\n"
              "Texture vertices: 3\n"
              "Texture faces: 1\n"
              "Materials: 1\n"
              "Bounding box: (-2.5, 0, -1) to (1, 2, -1)\n"
              "Texture coordinates: yes\n"
              "Material 0: name \"stone\", bitmap \"stone.bmp\"\n"
              "No problems found\n");
}

// Every kind of trouble the checker knows, one warning line each. The counts
// come from the records the file gave, not from tables the normal pass grew.
TEST(Aseinfo, WarnsOncePerKindOfTrouble) {
    TempModel m(
        "*MATERIAL_LIST { *MATERIAL 0 { *MATERIAL_NAME \"bare\" } }\n"
        "*GEOMOBJECT { *MESH { *MESH_NUMVERTEX 3 *MESH_NUMFACES 4 *MESH_NUMTVERTEX 2\n"
        "*MESH_VERTEX_LIST {\n"
        "*MESH_VERTEX 0 0 0 0\n*MESH_VERTEX 1 1 0 0\n*MESH_VERTEX 2 0 1 0\n}\n"
        "*MESH_TVERTLIST {\n*MESH_TVERT 0 0 0 0\n*MESH_TVERT 1 1 0 0\n}\n"
        "*MESH_TFACELIST {\n*MESH_TFACE 0 0 1 7\n}\n"
        "} *MATERIAL_REF 2 }\n");
    RunResult r = aseinfo(m.path());
    EXPECT_EQ(r.status, 0);
    // No face block: the declared face count goes unchecked by the reader.
    EXPECT_EQ(summary_of(r.out),
              "\n== aseinfo summary\n"
              "Vertices: 3\n"
              "Faces: 0\n"
              "Texture vertices: 2\n"
              "Texture faces: 1\n"
              "Materials: 1\n"
              "Bounding box: (0, 0, -1) to (1, 0, 0)\n"
              "Texture coordinates: yes\n"
              "Material 0: name \"bare\", bitmap \"\"\n"
              "Warning: 1 texture face corner names no texture vertex\n"
              "Warning: the file declares 4 faces but holds 0\n"
              "Warning: *MATERIAL_REF 2 names no material read; texture coordinates are left unscaled\n"
              "Warning: material 0 names no bitmap, so the viewer has no texture to load\n");
}

// Corners naming no vertex, negative ones included, counted per corner.
TEST(Aseinfo, WarnsAboutFaceCornersNamingNoVertex) {
    TempModel m(std::string(kMaterial) +
                "*GEOMOBJECT { *MESH_NUMVERTEX 3 *MESH_NUMFACES 2\n"
                "*MESH_VERTEX 0 0 0 0 *MESH_VERTEX 1 1 0 0 *MESH_VERTEX 2 0 1 0 }\n"
                "*MESH_FACE 0: A: 0 B: 1 C: 5 *MESH_FACE 1: A: -1 B: 2 C: 9 }\n");
    RunResult r = aseinfo(m.path());
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.out.find("\nFaces: 2\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("\nWarning: 3 face corners name no vertex\n"), std::string::npos) << r.out;
}

TEST(Aseinfo, ExitStatus) {
    TempModel mismatch(std::string(kMaterial) +
                       "*GEOMOBJECT { *MESH_NUMFACES 2 *MESH_FACE 0: A: 0 B: 0 C: 0 } }\n");
    RunResult r = aseinfo(mismatch.path());
    EXPECT_EQ(r.status, 1);
    // The reader ends the process itself: no summary follows its error line.
    const std::string tail = "\tNombre de TFaces: 0\n\tAdded 1 Nb Faces\n!!! Erreur dans le fichier\n";
    ASSERT_GE(r.out.size(), tail.size());
    EXPECT_EQ(r.out.substr(r.out.size() - tail.size()), tail) << r.out;

    struct Case {
        const char* name;
        std::string args;
    };
    for (const Case& c : {Case{"missing file", "/nonexistent/statue.ase"}, Case{"directory", "/"},
                          Case{"no argument", ""}}) {
        SCOPED_TRACE(c.name);
        RunResult bad = aseinfo(c.args);
        EXPECT_EQ(bad.status, 2);
        EXPECT_EQ(bad.out, "");  // the reason goes to standard error
    }

    RunResult why = run_command(std::string(ASEINFO_EXE) + " /nonexistent/statue.ase 2>&1");
    EXPECT_EQ(why.out, "aseinfo: cannot open /nonexistent/statue.ase: No such file or directory\n");
}
