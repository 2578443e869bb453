// The ASE reader: a mesh that fills itself from an ASE text file by scanning
// its whitespace-separated tokens.
#include "aseObject.h"

#include <cstdlib>
#include <iostream>
#include <sys/stat.h>

aseObject::aseObject(const char* path)
    : num_objects(0),
      num_vertex(0),
      num_faces(0),
      num_tvertex(0),
      num_tfaces(0),
      material_ref(0),
      file_bytes(0) {
    std::cout << "*** Init mesh from ASE file " << path << "\n";
    file.open(path, std::ios::in);
    if (!file.is_open()) {
        std::cout << "!!! Erreur \xE0 l'ouverture du fichier " << path << "\n";
    }
    num_objects = 0;
    num_materials = 0;
    num_vertex = 0;
    num_faces = 0;
    num_tvertex = 0;
    num_tfaces = 0;

    struct stat st;
    if (stat(path, &st) == 0 && S_ISREG(st.st_mode)) file_bytes = st.st_size;

    fgetNumObjects();
    fgetNumMaterials();
    readMaterial(1);
    readObject(1);
    compute_normals();
}

aseObject::~aseObject() { file.close(); }

// ---- token scanner -------------------------------------------------------

void aseObject::rewind() {
    // A failed stream is not cleared first: it stays failed and says so.
    file.seekg(0, std::ios::beg);
    if (file.fail()) std::cout << "!!! flux non repositionnable!\n";
}

void aseObject::clear_if_eof() {
    if (file.eof()) file.clear();
}

int aseObject::rechercher_nb_occurences(const char* keyword) {
    int count = 0;
    const std::string key(keyword);
    std::string token;
    rewind();
    while (file.good()) {
        if (file >> token && token == key) ++count;
    }
    file.clear();
    return count;
}

void aseObject::rechercher_occurence(const char* keyword) {
    const std::string key(keyword);
    std::string token;
    // Ends at the end of the file, or on a failed stream, when the keyword is absent.
    while (file.good()) {
        if (file >> token && token == key) break;
    }
    clear_if_eof();
}

std::string aseObject::readString() {
    std::string s;
    file >> s;
    return s;
}

float aseObject::readFloat() {
    float f = 0.0f;
    file >> f;
    return f;
}

void aseObject::fgetNumObjects() {
    num_objects = rechercher_nb_occurences("*GEOMOBJECT");
    std::cout << "* " << num_objects << "objets " << "*GEOMOBJECT" << " dans le fichier\n";
}

void aseObject::fgetNumMaterials() {
    num_materials = rechercher_nb_occurences("*MATERIAL");
    std::cout << "* " << num_materials << " objets " << "*MATERIAL" << " dans le fichier\n";
}

void aseObject::moveToObject(int n) {
    rewind();
    for (int i = 0; i < n; ++i) rechercher_occurence("*GEOMOBJECT");
}

void aseObject::moveToMaterial(int n) {
    rewind();
    for (int i = 0; i < n; ++i) rechercher_occurence("*MATERIAL");
}

void aseObject::test() {}

// ---- material reader -----------------------------------------------------

namespace {
// A quoted value less its first and last byte (normally the quotes).
std::string unquote(const std::string& token) {
    return token.size() <= 2 ? std::string() : token.substr(1, token.size() - 2);
}
}  // namespace

void aseObject::readMaterial(int n) {
    std::cout << "Lecture du material " << n << "\n";
    moveToMaterial(n);

    Material m;
    std::string last;
    while (file.good() && last != "*MATERIAL") {
        last = readString();
        if (last == "*MATERIAL_DIFFUSE") {
            std::cout << "\tcheck " << last;
            file >> m.diffuse_r >> m.diffuse_g >> m.diffuse_b;
            std::cout << ": " << m.diffuse_r << "/" << m.diffuse_g << "/" << m.diffuse_b << "\n";
        } else if (last == "*BITMAP") {
            std::cout << "\tcheck " << last;
            last = readString();
            m.bitmap = unquote(last);
            std::cout << ": " << m.bitmap << "\n";
        } else if (last == "*MATERIAL_NAME") {
            std::cout << "\tcheck " << last;
            last = readString();
            m.name = unquote(last);
            std::cout << ": " << m.name << "\n";
        } else if (last == "*UVW_U_TILING") {
            std::cout << "\tcheck " << last;
            file >> m.u_tiling;
            std::cout << ": " << m.u_tiling << "\n";
        } else if (last == "*UVW_V_TILING") {
            std::cout << "\tcheck " << last;
            file >> m.v_tiling;
            std::cout << ": " << m.v_tiling << "\n";
        }
    }
    add_material(m);
    clear_if_eof();
}

// ---- geometry reader -----------------------------------------------------

void aseObject::readObject(int n) {
    std::cout << "\nLecture de l'objet " << n << "\n";
    moveToObject(n);

    while (file.good()) {
        std::string token = readString();
        if (token == "*MESH_NUMVERTEX") {
            file >> num_vertex;
        } else if (token == "*MESH_NUMFACES") {
            file >> num_faces;
        } else if (token == "*MESH_NUMTVERTEX") {
            file >> num_tvertex;
        } else if (token == "*GEOMOBJECT") {
            break;
        }
    }
    clear_if_eof();

    // Counted over the whole file, every object's texture faces included.
    num_tfaces = rechercher_nb_occurences("*MESH_TFACE");

    std::cout << "\tNombre de Vertices: " << num_vertex << "\n";
    std::cout << "\tNombre de Faces: " << num_faces << "\n";
    std::cout << "\tNombre de TVertices: " << num_tvertex << "\n";
    std::cout << "\tNombre de TFaces: " << num_tfaces << "\n";
    clear_if_eof();

    readData("*MATERIAL_REF", n);
    readData("*MESH_VERTEX", n);
    readData("*MESH_FACE", n);
    readData("*MESH_TVERT", n);
    readData("*MESH_TFACE", n);
}

void aseObject::readData(const std::string& key, int n) {
    moveToObject(n);
    while (file.good()) {
        std::string token = readString();
        if (token == "*GEOMOBJECT") return;
        if (token != key) continue;
        if (key == "*MATERIAL_REF") {
            file >> material_ref;
            std::cout << "\tMaterial ref: " << material_ref << "\n";
        } else if (key == "*MESH_VERTEX") {
            readVertices();
        } else if (key == "*MESH_FACE") {
            readFaces();
        } else if (key == "*MESH_TVERT") {
            readTVertices();
        } else if (key == "*MESH_TFACE") {
            readTFaces();
        }
        return;
    }
    clear_if_eof();
}

// A declared count beyond the file's size in bytes cannot be backed by records:
// reading it would only pad the table with zeros until memory runs out.
bool aseObject::plausible_count(int declared) const { return declared <= file_bytes; }

void aseObject::count_mismatch() {
    std::cout << "!!! Erreur dans le fichier\n";
    std::exit(1);
}

void aseObject::readVertices() {
    const bool plausible = plausible_count(num_vertex);
    const int records = plausible ? num_vertex : 0;
    for (int i = 0; i < records; ++i) {
        int index = 0;
        float x = 0.0f, y = 0.0f, z = 0.0f;
        file >> index >> x >> y >> z;
        readString();
        add_vertex(x, z, -y);
    }
    std::cout << "\tAdded " << get_nb_vertices() << " Vertices\n";
    if (!plausible || get_nb_vertices() != num_vertex) count_mismatch();
    clear_if_eof();
}

void aseObject::readFaces() {
    int a = 0, b = 0, c = 0;
    while (true) {
        std::string token = readString();
        if (token == "}") break;
        if (token == "A:") {
            file >> a;
        } else if (token == "B:") {
            file >> b;
        } else if (token == "C:") {
            file >> c;
            add_face(a, b, c);
        }
        // A block cut by the end of the file, or a failed read, ends it too.
        if (!file.good()) break;
    }
    std::cout << "\tAdded " << get_nb_faces() << " Nb Faces\n";
    if (get_nb_faces() != num_faces) count_mismatch();
    clear_if_eof();
}

void aseObject::readTVertices() {
    if (!get_has_texture()) toggleTexture();
    Material m = get_material(material_ref);
    const bool plausible = plausible_count(num_tvertex);
    const int records = plausible ? num_tvertex : 0;
    for (int i = 0; i < records; ++i) {
        int index = 0;
        float u = 0.0f, v = 0.0f;
        file >> index >> u >> v;
        readString();
        readString();
        add_tvertex(u * m.u_tiling, v * m.v_tiling);
    }
    std::cout << "\tAdded " << get_nb_tvertices() << " TVertices\n";
    if (!plausible || get_nb_tvertices() != num_tvertex) count_mismatch();
    clear_if_eof();
}

void aseObject::readTFaces() {
    const bool plausible = plausible_count(num_tfaces);
    const int records = plausible ? num_tfaces : 0;
    for (int i = 0; i < records; ++i) {
        int index = 0, a = 0, b = 0, c = 0;
        file >> index >> a >> b >> c;
        readString();
        add_tface(a, b, c);
    }
    std::cout << "\tAdded " << get_nb_tfaces() << " TFace\n";
    if (!plausible || get_nb_tfaces() != num_tfaces) count_mismatch();
    clear_if_eof();
}
