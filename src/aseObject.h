// A mesh that loads itself from an ASE text file in its constructor.
#ifndef ASEOBJECT_H
#define ASEOBJECT_H

#include <fstream>
#include <string>

#include "undeformableObject.h"

class aseObject : public undeformableObject {
public:
    explicit aseObject(const char* path);
    ~aseObject();

    aseObject(const aseObject&) = delete;
    aseObject& operator=(const aseObject&) = delete;

    // Token scanner.
    int rechercher_nb_occurences(const char* keyword);
    void rechercher_occurence(const char* keyword);
    std::string readString();
    float readFloat();
    void fgetNumObjects();
    void fgetNumMaterials();
    void moveToObject(int n);
    void moveToMaterial(int n);
    void test();

    // Material reader.
    void readMaterial(int n);

    // Geometry reader.
    void readObject(int n);
    void readData(const std::string& key, int n);
    void readVertices();
    void readFaces();
    void readTVertices();
    void readTFaces();

protected:
    std::ifstream file;
    int num_objects;
    int num_materials;
    int num_vertex;
    int num_faces;
    int num_tvertex;
    int num_tfaces;
    int material_ref;
    // Size of the file in bytes, the most records a block can really hold.
    long long file_bytes;

private:
    void rewind();
    void clear_if_eof();
    bool plausible_count(int declared) const;
    void count_mismatch();
};

#endif
