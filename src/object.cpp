// The in-memory mesh: tables of records and the normal pass.
#include "object.h"

#include <iostream>
#include <vector>

#include "mathlib.h"

Object::Object()
    : next_vertex(0),
      next_face(0),
      next_tvertex(0),
      next_tface(0),
      next_material(0),
      next_nvertex(0),
      next_nface(0),
      has_texture(false) {}

Object::~Object() {}

// operator[] is the lookup the container promises: a missing key gets a
// default record (zeros, or a default Material), which the add then overwrites.
int Object::add_vertex(float x, float y, float z) {
    vertices[next_vertex] = Vertex{x, y, z};
    return ++next_vertex;
}

int Object::add_material(Material m) {
    materials[next_material] = m;
    return ++next_material;
}

int Object::add_face(int a, int b, int c) {
    faces[next_face] = Face{a, b, c};
    return ++next_face;
}

int Object::add_tvertex(float u, float v) {
    tvertices[next_tvertex] = TVertex{u, v};
    return ++next_tvertex;
}

int Object::add_nvertex(float x, float y, float z) {
    nvertices[next_nvertex] = NVertex{x, y, z};
    return ++next_nvertex;
}

int Object::add_tface(int a, int b, int c) {
    tfaces[next_tface] = TFace{a, b, c};
    return ++next_tface;
}

int Object::add_nface(NFace n) {
    nfaces[next_nface] = n;
    return ++next_nface;
}

Vertex Object::get_vertex(int key) { return vertices[key]; }
Face Object::get_face(int key) { return faces[key]; }
TFace Object::get_tface(int key) { return tfaces[key]; }
TVertex Object::get_tvertex(int key) { return tvertices[key]; }
Material Object::get_material(int key) { return materials[key]; }
NFace Object::get_nface(int key) { return nfaces[key]; }
NVertex Object::get_nvertex(int key) { return nvertices[key]; }

int Object::get_nb_faces() { return static_cast<int>(faces.size()); }
int Object::get_nb_vertices() { return static_cast<int>(vertices.size()); }
int Object::get_nb_tvertices() { return static_cast<int>(tvertices.size()); }
int Object::get_nb_nfaces() { return static_cast<int>(nfaces.size()); }
int Object::get_nb_nvertices() { return static_cast<int>(nvertices.size()); }
int Object::get_nb_tfaces() { return static_cast<int>(tfaces.size()); }
int Object::get_nb_materials() { return static_cast<int>(materials.size()); }

void Object::test() {
    std::cout << "Nb Vertices: " << next_vertex << "\n";
    std::cout << "Nb Faces: " << next_face << "\n";
    // The number shown is the position in the walk, not the key.
    int i = 0;
    for (auto it = vertices.begin(); it != vertices.end() && i < next_vertex; ++it, ++i) {
        const Vertex& v = it->second;
        std::cout << "Vertex " << i << ": " << v.x << ";" << v.y << ";" << v.z << "\n";
    }
}

bool Object::toggleTexture() {
    has_texture = !has_texture;
    return has_texture;
}

bool Object::get_has_texture() { return has_texture; }

void Object::compute_normals() {
    std::cout << "\n** Calcul des normales\n";
    const int nb_faces = get_nb_faces();
    std::cout << "Nb Faces: " << nb_faces << "\n";

    // Face normals, one per face in ascending key order.
    int j = 0;
    for (auto it = faces.begin(); j < nb_faces; ++it, ++j) {
        const Face& f = it->second;
        Vertex va = get_vertex(f.a);
        Vertex vb = get_vertex(f.b);
        Vertex vc = get_vertex(f.c);
        float p0[3] = {va.x, va.y, va.z};
        float p1[3] = {vb.x, vb.y, vb.z};
        float p2[3] = {vc.x, vc.y, vc.z};
        float out[3];
        calcNormal(p0, p1, p2, out);
        add_nface(NFace{f.a, f.b, f.c, out[0], out[1], out[2]});
    }

    // Vertex normals. Rather than walking every face for every vertex, index
    // the faces by vertex once (face positions ascending, each face once per
    // vertex), so each vertex's sums are formed in the same order as a full
    // walk would: same bits, linear cost. Taken after the face step, which may
    // have added default vertices for missing corner keys.
    const int nb_vertices = get_nb_vertices();
    std::vector<int> first(static_cast<size_t>(nb_vertices) + 1, 0);
    auto uses = [nb_vertices](int key) { return key >= 0 && key < nb_vertices; };
    j = 0;
    for (auto it = faces.begin(); j < nb_faces; ++it, ++j) {
        const Face& f = it->second;
        if (uses(f.a)) ++first[f.a + 1];
        if (uses(f.b) && f.b != f.a) ++first[f.b + 1];
        if (uses(f.c) && f.c != f.a && f.c != f.b) ++first[f.c + 1];
    }
    for (int p = 0; p < nb_vertices; ++p) first[p + 1] += first[p];
    std::vector<int> around(static_cast<size_t>(first[nb_vertices]));
    std::vector<int> fill(first.begin(), first.end() - 1);
    j = 0;
    for (auto it = faces.begin(); j < nb_faces; ++it, ++j) {
        const Face& f = it->second;
        if (uses(f.a)) around[fill[f.a]++] = j;
        if (uses(f.b) && f.b != f.a) around[fill[f.b]++] = j;
        if (uses(f.c) && f.c != f.a && f.c != f.b) around[fill[f.c]++] = j;
    }

    for (int p = 0; p < nb_vertices; ++p) {
        int count = 0;
        float sum[3] = {0.0f, 0.0f, 0.0f};
        for (int k = first[p]; k < first[p + 1]; ++k) {
            ++count;
            NFace n = get_nface(around[k]);
            sum[0] = sum[0] + n.x;
            sum[1] = sum[1] + n.y;
            sum[2] = sum[2] + n.z;
        }
        float average[3] = {0.0f, 0.0f, 0.0f};
        // No face around this vertex: it keeps a zero normal.
        if (count > 0) {
            average[0] = static_cast<float>(static_cast<double>(sum[0]) / count);
            average[1] = static_cast<float>(static_cast<double>(sum[1]) / count);
            average[2] = static_cast<float>(static_cast<double>(sum[2]) / count);
        }
        ReduceToUnit(average);
        add_nvertex(average[0], average[1], average[2]);
    }

    std::cout << "Added " << get_nb_nfaces() << " normals faces\n";
    std::cout << "Added " << get_nb_nvertices() << " normals vertices\n";
}
