// aseinfo: loads a model file with the viewer's own reader, prints the
// reader's report, then a summary of what the viewer will get and of the
// troubles worth fixing before the file is dropped in as statue.ase.
//
// Exit status: 0 loaded, 1 the reader stopped on a count mismatch (it exits
// by itself), 2 the file cannot be opened.
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <iostream>
#include <string>
#include <sys/stat.h>

#include "aseObject.h"

namespace {

// Reads what the loader keeps to itself: the counters (records the file
// gave, as opposed to table sizes, which lookups of missing keys inflate).
class Inspected : public aseObject {
public:
    using aseObject::aseObject;

    void summary() {
        std::cout << "\n== aseinfo summary\n";
        std::cout << "Vertices: " << next_vertex << "\n";
        std::cout << "Faces: " << next_face << "\n";
        std::cout << "Texture vertices: " << next_tvertex << "\n";
        std::cout << "Texture faces: " << next_tface << "\n";
        std::cout << "Materials: " << next_material << "\n";
        bounding_box();
        std::cout << "Texture coordinates: " << (get_has_texture() ? "yes" : "no") << "\n";
        Material m0 = materials[0];
        std::cout << "Material 0: name \"" << m0.name << "\", bitmap \"" << m0.bitmap << "\"\n";

        int warnings = 0;
        auto warn = [&warnings](const std::string& text) {
            std::cout << "Warning: " << text << "\n";
            ++warnings;
        };

        int bad_corners = 0;
        for (const auto& entry : faces) bad_corners += outside(entry.second.a, entry.second.b, entry.second.c, next_vertex);
        if (bad_corners > 0) warn(plural(bad_corners, "face corner") + (bad_corners == 1 ? " names" : " name") + " no vertex");

        int bad_tcorners = 0;
        for (const auto& entry : tfaces)
            bad_tcorners += outside(entry.second.a, entry.second.b, entry.second.c, next_tvertex);
        if (bad_tcorners > 0) warn(plural(bad_tcorners, "texture face corner") + (bad_tcorners == 1 ? " names" : " name") +
                 " no texture vertex");

        if (num_faces != next_face)
            warn("the file declares " + plural(num_faces, "face") + " but holds " + std::to_string(next_face));
        if (num_vertex != next_vertex)
            warn("the file declares " + plural(num_vertex, "vertex", "vertices") + " but holds " +
                 std::to_string(next_vertex));
        if (num_tvertex != next_tvertex)
            warn("the file declares " + plural(num_tvertex, "texture vertex", "texture vertices") + " but holds " +
                 std::to_string(next_tvertex));
        if (material_ref < 0 || material_ref >= next_material)
            warn("*MATERIAL_REF " + std::to_string(material_ref) +
                 " names no material read; texture coordinates are left unscaled");
        if (m0.bitmap.empty()) warn("material 0 names no bitmap, so the viewer has no texture to load");

        if (warnings == 0) std::cout << "No problems found\n";
    }

private:
    static int outside(int a, int b, int c, int count) {
        auto off = [count](int k) { return (k < 0 || k >= count) ? 1 : 0; };
        return off(a) + off(b) + off(c);
    }

    static std::string plural(int n, const std::string& one, const std::string& many = "") {
        return std::to_string(n) + " " + (n == 1 ? one : (many.empty() ? one + "s" : many));
    }

    void bounding_box() {
        if (next_vertex == 0) {
            std::cout << "Bounding box: none, no vertices\n";
            return;
        }
        Vertex lo = vertices[0], hi = lo;
        for (auto it = vertices.lower_bound(0); it != vertices.end() && it->first < next_vertex; ++it) {
            const Vertex& v = it->second;
            lo = Vertex{std::min(lo.x, v.x), std::min(lo.y, v.y), std::min(lo.z, v.z)};
            hi = Vertex{std::max(hi.x, v.x), std::max(hi.y, v.y), std::max(hi.z, v.z)};
        }
        // + 0.0f shows the -0 that the axis swap makes of a zero as 0.
        std::cout << "Bounding box: (" << lo.x + 0.0f << ", " << lo.y + 0.0f << ", " << lo.z + 0.0f << ") to ("
                  << hi.x + 0.0f << ", " << hi.y + 0.0f << ", " << hi.z + 0.0f << ")\n";
    }
};

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: aseinfo FILE\n";
        return 2;
    }
    const char* path = argv[1];
    struct stat st;
    if (stat(path, &st) != 0) {
        std::cerr << "aseinfo: cannot open " << path << ": " << std::strerror(errno) << "\n";
        return 2;
    }
    if (S_ISDIR(st.st_mode)) {
        std::cerr << "aseinfo: cannot open " << path << ": is a directory\n";
        return 2;
    }
    if (!std::ifstream(path)) {
        std::cerr << "aseinfo: cannot open " << path << ": " << std::strerror(errno) << "\n";
        return 2;
    }

    Inspected model(path);
    model.summary();
    return 0;
}
