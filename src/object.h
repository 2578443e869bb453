// The in-memory mesh: seven element records and the Object that keys them.
#ifndef OBJECT_H
#define OBJECT_H

#include <map>
#include <string>

// Element records: plain values, copied in and out of the mesh.
struct Vertex {
    float x, y, z;
};

struct Face {
    int a, b, c;
};

struct TVertex {
    float u, v;
};

struct TFace {
    int a, b, c;
};

struct NVertex {
    float x, y, z;
};

// a, b, c hold the corner keys of the face the normal belongs to.
struct NFace {
    int a, b, c;
    float x, y, z;
};

class Material {
public:
    // Tiling 1 so a material without tiling leaves texture coordinates alone.
    Material() : u_tiling(1.0f), v_tiling(1.0f), diffuse_r(0.0f), diffuse_g(0.0f), diffuse_b(0.0f) {}

    float u_tiling;
    float v_tiling;
    float diffuse_r;
    float diffuse_g;
    float diffuse_b;
    std::string name;
    std::string bitmap;
};

// Seven ordered tables from an int key to one kind of record, each with its
// own key counter. Every lookup of a missing key adds a default record.
class Object {
public:
    Object();
    ~Object();

    int add_vertex(float x, float y, float z);
    int add_material(Material m);
    int add_face(int a, int b, int c);
    int add_tvertex(float u, float v);
    int add_nvertex(float x, float y, float z);
    int add_tface(int a, int b, int c);
    int add_nface(NFace n);

    Vertex get_vertex(int key);
    Face get_face(int key);
    TFace get_tface(int key);
    TVertex get_tvertex(int key);
    Material get_material(int key);
    NFace get_nface(int key);
    NVertex get_nvertex(int key);

    int get_nb_faces();
    int get_nb_vertices();
    int get_nb_tvertices();
    int get_nb_nfaces();
    int get_nb_nvertices();
    int get_nb_tfaces();
    int get_nb_materials();

    void test();
    bool toggleTexture();
    bool get_has_texture();
    void compute_normals();

protected:
    int next_vertex;
    std::map<int, Vertex> vertices;
    int next_face;

public:
    // Open to the drawing, which walks it in ascending key order.
    std::map<int, Face> faces;

protected:
    int next_tvertex;
    std::map<int, TVertex> tvertices;
    int next_tface;
    std::map<int, TFace> tfaces;
    int next_material;
    std::map<int, Material> materials;
    int next_nvertex;
    std::map<int, NVertex> nvertices;
    int next_nface;
    std::map<int, NFace> nfaces;
    bool has_texture;
};

#endif
