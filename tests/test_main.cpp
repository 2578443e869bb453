// Unit tests of the viewer (main.cpp) against the recording SDL, SDL_image,
// GL and GLU fakes: mesh drawing, texture loading, window and projection, and
// SDL_main's start-up, frame loop and shut-down.
#include <gtest/gtest.h>

#include <GL/gl.h>
#include <GL/glu.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "capture.h"
#include "main.h"
#include "recorder.h"

namespace {

namespace fs = std::filesystem;
using fake::call;

std::string lines(const std::vector<std::string>& calls) {
    std::string out;
    for (const std::string& c : calls) out += c + "\n";
    return out;
}

// A fresh folder under the system's temporary directory, removed afterwards.
class TempDir {
public:
    TempDir() {
        std::string pattern = (fs::temp_directory_path() / "viewer-test-XXXXXX").string();
        path_ = mkdtemp(&pattern[0]);
    }
    ~TempDir() {
        std::error_code ignored;
        fs::remove_all(path_, ignored);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    fs::path write(const std::string& name, const std::string& text) const {
        std::ofstream(path_ / name, std::ios::binary) << text;
        return path_ / name;
    }
    const fs::path& path() const { return path_; }

private:
    fs::path path_;
};

// Runs in `dir` for the life of the object: the viewer opens ./statue.ase.
class WorkingDir {
public:
    explicit WorkingDir(const fs::path& dir) : old_(fs::current_path()) { fs::current_path(dir); }
    ~WorkingDir() { fs::current_path(old_); }

private:
    fs::path old_;
};

// A mesh loaded from ASE text, its loader report swallowed.
std::unique_ptr<aseObject> load_mesh(const std::string& text) {
    TempDir dir;
    const fs::path file = dir.write("mesh.ase", text);
    CoutCapture quiet;
    return std::make_unique<aseObject>(file.string().c_str());
}

// Every test starts from a fresh process's globals and an empty fake.
class Viewer : public ::testing::Test {
protected:
    void SetUp() override { reset(); }
    void TearDown() override { reset(); }

    static void reset() {
        fake::reset();
        has_light = true;
        MODE_RENDU = 0;
        surface = nullptr;
        laseobject = nullptr;
        lasetexture = 0;
        sdlasetexture = nullptr;
    }
};

// ---------------------------------------------------------------------------
// Mesh drawing

// The drawing fixture: every key k has its own position, normal and texture
// coordinate, all exact in binary so the record shows them as written.
std::string V(int k) { return call("glVertex3f", {10.0 * k + 1, 10.0 * k + 2, 10.0 * k + 3}); }
std::string N(int k) { return call("glNormal3f", {k + 0.5, -(k + 0.25), 0.125}); }
std::string T(int k) { return call("glTexCoord2f", {k + 0.75, 2.0 * k + 0.5}); }
const std::string kNoTexCoord = call("glTexCoord2f", {0, 0});  // the lookup's default record

// Normal then position of each corner key, as modes 1 and 2 send them.
std::vector<std::string> corners(std::initializer_list<int> keys) {
    std::vector<std::string> out;
    for (int k : keys) {
        out.push_back(N(k));
        out.push_back(V(k));
    }
    return out;
}

std::vector<std::string> concat(std::initializer_list<std::vector<std::string>> parts) {
    std::vector<std::string> out;
    for (const auto& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

const std::string kLightOn = call("glEnable", {GL_LIGHTING});
const std::string kLightOff = call("glDisable", {GL_LIGHTING});
const std::string kWhite = call("glColor3f", {1, 1, 1});
const std::string kEnd = call("glEnd");

struct DrawCase {
    const char* name;
    int mode;
    bool light;
    std::vector<std::pair<int, Face>> faces;  // key and face, in the order they are put in
    int tvertices;                             // texture vertices 0 .. tvertices-1
    std::vector<std::string> expected;
    int tvertices_after;
};

TEST_F(Viewer, DrawMeshInEachMode) {
    const std::vector<DrawCase> cases = {
        {"no faces, textured, lit: the set-up and tear-down alone", 0, true, {}, 4,
         {kLightOn, call("glEnable", {GL_TEXTURE_2D}), call("glBindTexture", {GL_TEXTURE_2D, 7}),
          call("glBegin", {GL_TRIANGLES}), kEnd, call("glDisable", {GL_TEXTURE_2D}), kLightOff},
         4},
        // Unknown modes draw nothing, faces or not, but still switch lighting.
        {"mode 3, lit", 3, true, {{0, {0, 1, 2}}}, 4, {kLightOn, kLightOff}, 4},
        {"mode -1, lit", -1, true, {{0, {0, 1, 2}}}, 4, {kLightOn, kLightOff}, 4},
        {"mode 3, unlit: no call at all", 3, false, {{0, {0, 1, 2}}}, 4, {}, 4},
        {"mode -1, unlit: no call at all", -1, false, {{0, {0, 1, 2}}}, 4, {}, 4},
        {"one face, wireframe, unlit: edges a-b, b-c, c-a", 1, false, {{0, {0, 1, 2}}}, 4,
         {kWhite, call("glBegin", {GL_LINES}), N(0), V(0), N(1), V(1), N(1), V(1), N(2), V(2), N(2), V(2), N(0),
          V(0), kEnd},
         4},
        {"one face, textured, lit: normal, texture coordinate, position per corner", 0, true, {{0, {0, 1, 2}}}, 4,
         {kLightOn, call("glEnable", {GL_TEXTURE_2D}), call("glBindTexture", {GL_TEXTURE_2D, 7}),
          call("glBegin", {GL_TRIANGLES}), N(0), T(0), V(0), N(1), T(1), V(1), N(2), T(2), V(2), kEnd,
          call("glDisable", {GL_TEXTURE_2D}), kLightOff},
         4},
        // Modes 1 and 2 never look texture coordinates up, so the table keeps its size.
        {"one face, plain white, lit", 2, true, {{0, {0, 2, 3}}}, 2,
         concat({{kLightOn, kWhite, call("glBegin", {GL_TRIANGLES})}, corners({0, 2, 3}), {kEnd, kLightOff}}), 2},
        {"two faces sharing edge 1-2, wireframe: the edge goes twice", 1, false,
         {{0, {0, 1, 2}}, {1, {2, 1, 3}}}, 4,
         concat({{kWhite, call("glBegin", {GL_LINES})}, corners({0, 1, 1, 2, 2, 0, 2, 1, 1, 3, 3, 2}), {kEnd}}), 4},
        {"faces go in ascending key order, not in the order they were put in", 2, false,
         {{10, {1, 2, 3}}, {2, {3, 2, 1}}, {-1, {0, 0, 0}}}, 4,
         concat({{kWhite, call("glBegin", {GL_TRIANGLES})}, corners({0, 0, 0, 3, 2, 1, 1, 2, 3}), {kEnd}}), 4},
        {"textured with a short texture table: default coordinates, and the table grows", 0, false,
         {{0, {0, 2, 3}}}, 2,
         {call("glEnable", {GL_TEXTURE_2D}), call("glBindTexture", {GL_TEXTURE_2D, 7}),
          call("glBegin", {GL_TRIANGLES}), N(0), T(0), V(0), N(2), kNoTexCoord, V(2), N(3), kNoTexCoord, V(3), kEnd,
          call("glDisable", {GL_TEXTURE_2D})},
         4},
    };
    for (const DrawCase& row : cases) {
        SCOPED_TRACE(row.name);
        fake::reset();
        std::unique_ptr<aseObject> mesh = load_mesh("");
        for (int k = 0; k < 4; ++k) {
            mesh->add_vertex(10.0f * k + 1, 10.0f * k + 2, 10.0f * k + 3);
            mesh->add_nvertex(k + 0.5f, -(k + 0.25f), 0.125f);
        }
        for (int k = 0; k < row.tvertices; ++k) mesh->add_tvertex(k + 0.75f, 2.0f * k + 0.5f);
        mesh->add_tface(3, 3, 3);  // a decoy: the drawing must not read texture faces
        for (const auto& f : row.faces) mesh->faces[f.first] = f.second;
        laseobject = mesh.get();
        lasetexture = 7;
        has_light = row.light;

        drawGL_ase(row.mode);

        EXPECT_EQ(lines(row.expected), fake::log());
        EXPECT_EQ(row.tvertices_after, mesh->get_nb_tvertices());
        EXPECT_EQ(4, mesh->get_nb_vertices());
        EXPECT_EQ(4, mesh->get_nb_nvertices());
        laseobject = nullptr;
    }
}

TEST_F(Viewer, AxesAreThreeColouredUnitSegments) {
    drawGL_Repere();
    EXPECT_EQ(lines({call("glPushMatrix"), call("glBegin", {GL_LINES}), call("glColor4f", {1, 0, 0, 1}),
                     call("glVertex3f", {0, 0, 0}), call("glVertex3f", {1, 0, 0}), call("glColor4f", {0, 1, 0, 1}),
                     call("glVertex3f", {0, 0, 0}), call("glVertex3f", {0, 1, 0}), call("glColor4f", {0, 0, 1, 1}),
                     call("glVertex3f", {0, 0, 0}), call("glVertex3f", {0, 0, 1}), kEnd, call("glPopMatrix")}),
              fake::log());
}

// ---------------------------------------------------------------------------
// Texture loading

// 3 x 2 pixels: a 24-bit row is 9 bytes and pads to 12. Every channel is
// exact in 5-6-5 so the 16-bit image converts back to the same bytes.
const std::vector<fake::Rgb> kImage = {{0x08, 0x10, 0x18}, {0x20, 0x28, 0x30}, {0x38, 0x40, 0x48},
                                       {0x50, 0x58, 0x60}, {0x68, 0x70, 0x78}, {0xF8, 0xFC, 0x80}};

std::vector<std::string> texture_calls() {
    return {call("glGenTextures", {1}),
            call("glBindTexture", {GL_TEXTURE_2D, 1}),
            call("gluBuild2DMipmaps", {GL_TEXTURE_2D, 3, 3, 2, GL_RGB, GL_UNSIGNED_BYTE}),
            call("glTexParameteri", {GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, 9729}),
            call("glTexParameteri", {GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, 9985}),
            call("glTexEnvf", {GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, 8448})};
}

Material material_with_bitmap(const std::string& bitmap) {
    Material m;
    m.name = "stone";
    m.bitmap = bitmap;
    return m;
}

TEST_F(Viewer, TextureReachesOpenGlAsRgbRowsWhateverTheImageLayout) {
    // To 24-bit red, green, blue, rows padded to 4 bytes.
    const std::string convert = call("SDL_ConvertSurface", "decoded", {24, 0x0000FF, 0x00FF00, 0xFF0000, 0});
    const struct {
        const char* name;
        fake::Layout layout;
        bool converted;
    } cases[] = {
        {"24-bit RGB goes as it is", fake::Layout::RGB24, false},
        {"24-bit BGR (a BMP)", fake::Layout::BGR24, true},
        {"32-bit RGBA", fake::Layout::RGBA32, true},
        {"8-bit palette", fake::Layout::Palette8, true},
        {"16-bit 5-6-5", fake::Layout::RGB565, true},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.name);
        fake::reset();
        lasetexture = 0;
        SDL_Surface* decoded = fake::make_surface("decoded", row.layout, 3, 2, kImage);
        const void* decoded_pixels = decoded->pixels;
        fake::script().image = decoded;

        CoutCapture out;
        InitTexture(material_with_bitmap("t.bmp"));

        EXPECT_EQ("Texture file: ./media/t.bmp\n OK\n\n", out.str());
        std::vector<std::string> expected = {call("IMG_Load", "./media/t.bmp")};
        if (row.converted) expected.push_back(convert);
        for (const std::string& c : texture_calls()) expected.push_back(c);
        if (row.converted) expected.push_back(call("SDL_FreeSurface", "rgb copy of decoded"));
        expected.push_back(call("SDL_FreeSurface", "decoded"));
        EXPECT_EQ(lines(expected), fake::log());

        ASSERT_EQ(1u, fake::uploads().size());
        const fake::Upload& up = fake::uploads()[0];
        EXPECT_TRUE(up.fits) << "OpenGL would read past the image";
        EXPECT_EQ(kImage, up.rgb());
        if (!row.converted) {
            EXPECT_EQ(decoded_pixels, up.data);
        }
        EXPECT_EQ(1u, lasetexture);
        EXPECT_EQ(0, fake::live_surfaces()) << "a surface was not freed";
    }
}

TEST_F(Viewer, TexturePathAndImagesThatDoNotLoad) {
    const std::string long_name = std::string(992, 'n');  // "./media/" + 992 = 1000 characters
    const struct {
        const char* name;
        std::string bitmap;
        std::string path;
        bool loads;
    } cases[] = {
        {"plain name", "t.bmp", "./media/t.bmp", true},
        {"exporter's backslashes become slashes", "maps\\t.bmp", "./media/maps/t.bmp", true},
        {"missing file", "missing.bmp", "./media/missing.bmp", false},
        {"empty bitmap: the folder itself", "", "./media/", false},
        {"a 1000-character path reaches IMG_Load whole", long_name, "./media/" + long_name, false},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.name);
        fake::reset();
        lasetexture = 0;
        if (row.loads) fake::script().image = fake::make_surface("decoded", fake::Layout::RGB24, 3, 2, kImage);
        fake::script().error = "Couldn't open " + row.path;

        CoutCapture out;
        InitTexture(material_with_bitmap(row.bitmap));

        if (row.loads) {
            EXPECT_EQ("Texture file: " + row.path + "\n OK\n\n", out.str());
            EXPECT_EQ(1u, lasetexture);
        } else {
            // No image: no texture, nothing freed, and no " OK".
            EXPECT_EQ("Texture file: " + row.path + "\nCouldn't load texture " + row.path + ": Couldn't open " +
                          row.path + "\n\n",
                      out.str());
            EXPECT_EQ(lines({call("IMG_Load", row.path), call("SDL_GetError")}), fake::log());
            EXPECT_TRUE(fake::freed().empty());
            EXPECT_EQ(0u, lasetexture);
        }
        ASSERT_EQ(1, fake::count("IMG_Load"));
        EXPECT_EQ(row.path, fake::calls_named("IMG_Load")[0].str);
        EXPECT_EQ(0, fake::live_surfaces());
    }
}

TEST_F(Viewer, TextureThatCannotBeConvertedIsFreedAndSkipped) {
    SDL_Surface* decoded = fake::make_surface("decoded", fake::Layout::Palette8, 3, 2, kImage);
    fake::script().image = decoded;
    fake::script().convert_fails = true;
    fake::script().error = "Out of memory";

    CoutCapture out;
    InitTexture(material_with_bitmap("t.bmp"));

    EXPECT_EQ("Texture file: ./media/t.bmp\nCouldn't convert texture ./media/t.bmp to RGB: Out of memory\n\n",
              out.str());
    EXPECT_EQ(lines({call("IMG_Load", "./media/t.bmp"),
                     call("SDL_ConvertSurface", "decoded", {24, 0x0000FF, 0x00FF00, 0xFF0000, 0}),
                     call("SDL_GetError"), call("SDL_FreeSurface", "decoded")}),
              fake::log());
    EXPECT_EQ(0u, lasetexture);
    EXPECT_EQ(0, fake::live_surfaces());
}

// ---------------------------------------------------------------------------
// Window and projection

const std::string kInit = call("SDL_Init", {0x20});
const std::string kInfo = call("SDL_GetVideoInfo");
const std::string kDoubleBuffer = call("SDL_GL_SetAttribute", {SDL_GL_DOUBLEBUFFER, 1});
const std::string kQuit = call("SDL_Quit");
std::string video_mode(Uint32 flags) { return call("SDL_SetVideoMode", {800, 600, 24, double(flags)}); }

TEST_F(Viewer, InitSdlFlagsAndFailures) {
    const struct {
        const char* name;
        int init_result;
        bool info;
        unsigned hw_available, blit_hw;
        bool window;
        std::string out;
        std::vector<std::string> calls;
    } cases[] = {
        {"no hardware blits", 0, true, 1, 0, true, "", {kInit, kInfo, kDoubleBuffer, video_mode(0x20000007)}},
        {"hardware blits add SDL_HWACCEL", 0, true, 1, 1, true, "",
         {kInit, kInfo, kDoubleBuffer, video_mode(0x20000107)}},
        {"no hardware surfaces: SDL_HWSURFACE all the same", 0, true, 0, 0, true, "",
         {kInit, kInfo, kDoubleBuffer, video_mode(0x20000007)}},
        {"SDL_Init fails: reported, SDL_Quit, and on", -1, true, 1, 0, true, "Couldn't INIT VIDEO\n",
         {kInit, kQuit, kInfo, kDoubleBuffer, video_mode(0x20000007)}},
        // Real SDL crashes in SDL_GL_SetAttribute without a video device.
        {"no video info: reported, SDL_Quit, no window asked for", 0, false, 1, 1, false,
         "Couldn't get VideoInfo\nCouldn't init surface\n", {kInit, kInfo, kQuit, kQuit}},
        {"no video mode: reported, SDL_Quit, null", 0, true, 1, 0, false, "Couldn't init surface\n",
         {kInit, kInfo, kDoubleBuffer, video_mode(0x20000007), kQuit}},
        {"all three fail, in order", -1, false, 0, 0, false,
         "Couldn't INIT VIDEO\nCouldn't get VideoInfo\nCouldn't init surface\n",
         {kInit, kQuit, kInfo, kQuit, kQuit}},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.name);
        fake::reset();
        fake::script().init_result = row.init_result;
        fake::script().video_info = row.info;
        fake::script().info.hw_available = row.hw_available;
        fake::script().info.blit_hw = row.blit_hw;
        fake::script().video_mode = row.window;

        CoutCapture out;
        SDL_Surface* s = InitSDL();

        EXPECT_EQ(row.out, out.str());
        EXPECT_EQ(lines(row.calls), fake::log());
        EXPECT_EQ(row.window ? fake::window() : nullptr, s);
    }
}

const std::string kProjection = call("glMatrixMode", {GL_PROJECTION});
const std::string kModelView = call("glMatrixMode", {GL_MODELVIEW});
const std::string kIdentity = call("glLoadIdentity");
// 800 / 600 and 0.1 as single-precision values, widened to double.
const std::string kPerspective = call("gluPerspective", {45, 1.3333333730697632, 0.10000000149011612, 1000});

TEST_F(Viewer, RedimensionnerClampsToOnePixelAndLeavesModelView) {
    const struct {
        int w, h;
        int vw, vh;
        double aspect;
    } cases[] = {
        {0, 0, 1, 1, 1.0},
        {-5, 4, 1, 4, 0.25},
        {8, -3, 8, 1, 8.0},
        {800, 600, 800, 600, 1.3333333730697632},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(std::to_string(row.w) + " x " + std::to_string(row.h));
        fake::reset();
        redimensionner(row.w, row.h);
        EXPECT_EQ(lines({call("glViewport", {0, 0, double(row.vw), double(row.vh)}), kProjection,
                         call("gluPerspective", {45, row.aspect, 0.10000000149011612, 1000}), kModelView}),
                  fake::log());
    }
}

TEST_F(Viewer, ViewPerspectiveAndViewOrthoResetBothMatrices) {
    ViewPerspective();
    EXPECT_EQ(lines({kProjection, kIdentity, kPerspective, kModelView, kIdentity}), fake::log());
    fake::reset();
    ViewOrtho();
    EXPECT_EQ(lines({kProjection, kIdentity, call("glOrtho", {0, 800, 600, 0, -1, 1}), kModelView, kIdentity}),
              fake::log());
}

// ---------------------------------------------------------------------------
// SDL_main: start-up, frame loop, shut-down

// One triangle facing +z after the reader's axis swap (file Y = -1 becomes
// z = 1): the geometry both statues below share.
const std::string kTriangle =
    "*MESH_NUMVERTEX 3\n"
    "*MESH_NUMFACES 1\n"
    "*MESH_VERTEX_LIST {\n"
    "*MESH_VERTEX 0 0.0 -1.0 0.0\n"
    "*MESH_VERTEX 1 1.0 -1.0 0.0\n"
    "*MESH_VERTEX 2 0.0 -1.0 1.0\n"
    "}\n"
    "*MESH_FACE_LIST {\n"
    "*MESH_FACE 0: A: 0 B: 1 C: 2 AB: 1 BC: 1 CA: 1 *MESH_MTLID 0\n"
    "}\n";

// The triangle with a tiled texture: U tiling 2.
const std::string kStatue =
    "*MATERIAL_LIST {\n"
    "*MATERIAL 0 {\n"
    "*MATERIAL_NAME \"stone\"\n"
    "*MAP_DIFFUSE {\n"
    "*BITMAP \"stone.bmp\"\n"
    "*UVW_U_TILING 2.0\n"
    "*UVW_V_TILING 1.0\n"
    "}\n"
    "}\n"
    "}\n"
    "*GEOMOBJECT {\n"
    "*MESH {\n" +
    kTriangle +
    "*MESH_NUMTVERTEX 3\n"
    "*MESH_TVERTLIST {\n"
    "*MESH_TVERT 0 0.0 0.0 0.0\n"
    "*MESH_TVERT 1 1.0 0.0 0.0\n"
    "*MESH_TVERT 2 0.0 1.0 0.0\n"
    "}\n"
    "*MESH_TFACELIST {\n"
    "*MESH_TFACE 0 0 1 2\n"
    "}\n"
    "}\n"
    "*MATERIAL_REF 0\n"
    "}\n";

// No material block and no texture vertices.
const std::string kPlainStatue = "*GEOMOBJECT {\n*MESH {\n" + kTriangle + "}\n}\n";

struct MainRun {
    int status;
    std::string out;
    std::string loader_report;  // what the model's own loading printed
};

// Runs SDL_main in a fresh folder holding statue.ase. The events and ticks
// must be scripted beforehand; a 2 x 2 RGB image is decoded unless the test
// scripted its own answer.
MainRun run_main(const std::string& statue = kStatue, bool image = true) {
    if (image && fake::script().image == nullptr)
        fake::script().image = fake::make_surface("stone", fake::Layout::RGB24, 2, 2, {kImage.begin(), kImage.begin() + 4});
    TempDir dir;
    dir.write("statue.ase", statue);
    WorkingDir in(dir.path());
    MainRun run;
    {
        CoutCapture quiet;
        aseObject("./statue.ase");
        run.loader_report = quiet.str();
    }
    char arg0[] = "aseviewer";
    char* argv[] = {arg0, nullptr};
    CoutCapture out;
    run.status = SDL_main(1, argv);
    run.out = out.str();
    return run;
}

std::string stone_start_up(const std::string& loader_report) {
    return "Filename: ./statue.ase\n" + loader_report +
           "** Textures loading\nNb Materials: 1\nHasTexture ? YES\nMaterial Name: stone\n"
           "Texture file: ./media/stone.bmp\n OK\n\n";
}

TEST_F(Viewer, MainReportsTheModelAndItsTexture) {
    {
        SCOPED_TRACE("textured statue");
        fake::frame({fake::key_down(SDLK_ESCAPE)});
        MainRun run = run_main();
        EXPECT_EQ(0, run.status);
        EXPECT_EQ(stone_start_up(run.loader_report), run.out);
    }
    {
        // No material: the default one, empty name and bitmap, and the texture step still runs.
        SCOPED_TRACE("statue with no material and no texture vertices");
        reset();
        fake::script().error = "Is a directory";
        fake::frame({fake::key_down(SDLK_ESCAPE)});
        MainRun run = run_main(kPlainStatue, false);
        EXPECT_EQ(0, run.status);
        EXPECT_EQ("Filename: ./statue.ase\n" + run.loader_report +
                      "** Textures loading\nNb Materials: 1\nHasTexture ? NO\nMaterial Name: \n"
                      "Texture file: ./media/\nCouldn't load texture ./media/: Is a directory\n\n",
                  run.out);
        ASSERT_EQ(1, fake::count("glBindTexture"));  // the frame's, with no texture
        EXPECT_EQ(call("glBindTexture", {GL_TEXTURE_2D, 0}), fake::calls_named("glBindTexture")[0].text());
    }
}

TEST_F(Viewer, MainCallsInOrderFromEntryToExit) {
    fake::frame({fake::key_down(SDLK_ESCAPE)});
    MainRun run = run_main();
    ASSERT_EQ(0, run.status);
    const std::string normal = call("glNormal3f", {0, 0, 1});
    EXPECT_EQ(lines({
                  call("SDL_GetTicks"),  // the reference tick, before the window
                  kInit, kInfo, kDoubleBuffer, video_mode(0x20000007),
                  call("glEnable", {GL_DEPTH_TEST}), call("glDepthFunc", {GL_LEQUAL}),
                  call("glEnable", {GL_NORMALIZE}), call("glCullFace", {GL_BACK}),
                  call("glEnable", {GL_CULL_FACE}), call("glEnable", {GL_TEXTURE_2D}),
                  call("glLightfv", {GL_LIGHT1, GL_DIFFUSE, 1, 1, 1, 1}),
                  call("glLightfv", {GL_LIGHT1, GL_AMBIENT, 0.5, 0.5, 0.5, 1}),
                  call("glLightfv", {GL_LIGHT1, GL_SPECULAR, 1, 1, 1, 1}),
                  call("glLightfv", {GL_LIGHT1, GL_POSITION, 0, 0, -10, 1}),
                  call("glEnable", {GL_LIGHT1}),
                  call("IMG_Load", "./media/stone.bmp"),
                  call("glGenTextures", {1}),
                  call("glBindTexture", {GL_TEXTURE_2D, 1}),
                  call("gluBuild2DMipmaps", {GL_TEXTURE_2D, 3, 2, 2, GL_RGB, GL_UNSIGNED_BYTE}),
                  call("glTexParameteri", {GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR}),
                  call("glTexParameteri", {GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_NEAREST}),
                  call("glTexEnvf", {GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE}),
                  call("SDL_FreeSurface", "stone"),
                  call("glViewport", {0, 0, 800, 600}), kProjection, kPerspective, kModelView,
                  // frame 1: Escape, then the queue is empty
                  call("SDL_PollEvent"), call("SDL_PollEvent"),
                  call("glClear", {0x4100}),
                  kProjection, kIdentity, kPerspective, kModelView, kIdentity,
                  call("glEnable", {GL_DEPTH_TEST}),
                  call("glTranslatef", {0, 0, -15}),
                  call("glRotatef", {0, 0, 1, 0}),
                  kLightOn, call("glEnable", {GL_TEXTURE_2D}), call("glBindTexture", {GL_TEXTURE_2D, 1}),
                  call("glBegin", {GL_TRIANGLES}),
                  normal, call("glTexCoord2f", {0, 0}), call("glVertex3f", {0, 0, 1}),
                  normal, call("glTexCoord2f", {2, 0}), call("glVertex3f", {1, 0, 1}),
                  normal, call("glTexCoord2f", {0, 1}), call("glVertex3f", {0, 1, 1}),
                  kEnd, call("glDisable", {GL_TEXTURE_2D}), kLightOff,
                  call("SDL_GetTicks"),
                  call("SDL_GL_SwapBuffers"),
                  kQuit,
              }),
              fake::log());
    EXPECT_EQ(fake::window(), surface);
    EXPECT_EQ(0, fake::live_surfaces());
    EXPECT_FALSE(fake::ran_out());
}

TEST_F(Viewer, MainWithoutAWindowStopsBeforeAnyOpenGlCall) {
    const struct {
        const char* name;
        int init_result;
        bool info;
        std::string out;
        int quits;
    } cases[] = {
        {"no video mode", 0, true, "Couldn't init surface\n", 1},
        // What a machine without a display gives: no video device at all.
        {"no video device", -1, false, "Couldn't INIT VIDEO\nCouldn't get VideoInfo\nCouldn't init surface\n", 3},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.name);
        reset();
        fake::script().init_result = row.init_result;
        fake::script().video_info = row.info;
        fake::script().video_mode = false;
        fake::frame({fake::key_down(SDLK_ESCAPE)});
        MainRun run = run_main();
        EXPECT_EQ(2, run.status);
        EXPECT_EQ(row.out, run.out);
        EXPECT_EQ("", fake::log("gl"));
        EXPECT_EQ(0, fake::count("IMG_Load"));
        EXPECT_EQ(row.quits, fake::count("SDL_Quit"));
        EXPECT_EQ(nullptr, laseobject);
    }
}

TEST_F(Viewer, MainGoesOnAfterTheOtherWindowFailures) {
    const struct {
        const char* name;
        int init_result;
        bool info;
        std::string message;
    } cases[] = {
        {"SDL_Init fails", -1, true, "Couldn't INIT VIDEO\n"},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.name);
        reset();
        fake::script().init_result = row.init_result;
        fake::script().video_info = row.info;
        fake::frame({fake::key_down(SDLK_ESCAPE)});
        MainRun run = run_main();
        EXPECT_EQ(0, run.status);
        EXPECT_EQ(row.message + stone_start_up(run.loader_report), run.out);
        EXPECT_EQ(1, fake::count("SDL_GL_SwapBuffers"));
    }
}

// Each frame as "<mode><L or ->": the render mode its drawing shows and
// whether lighting was switched on for it.
std::string frames_drawn() {
    std::string out;
    std::string mode = "?";
    bool lit = false, white = false;
    for (const fake::Call& c : fake::calls()) {
        if (c.name == "glClear") mode = "?", lit = false, white = false;
        if (c.name == "glColor3f") white = true;
        if (c.name == "glEnable" && c.args[0] == GL_LIGHTING) lit = true;
        if (c.name == "glBegin") mode = c.args[0] == GL_LINES ? "1" : white ? "2" : "0";
        if (c.name == "SDL_GL_SwapBuffers") out += (out.empty() ? "" : " ") + mode + (lit ? "L" : "-");
    }
    return out;
}

TEST_F(Viewer, MainKeysAndCloseRequest) {
    using fake::key_down;
    const SDL_Event R = key_down(SDLK_r), L = key_down(SDLK_l), Esc = key_down(SDLK_ESCAPE);
    const struct {
        const char* name;
        std::vector<std::vector<SDL_Event>> frames;
        std::string drawn;
    } cases[] = {
        {"three Rs step the mode 1, 2, 0", {{R}, {R}, {R}, {Esc}}, "1L 2L 0L 0L"},
        {"two Rs in one turn", {{R, R}, {Esc}}, "2L 2L"},
        {"other keys leave the mode alone", {{key_down(SDLK_a)}, {key_down(SDLK_SPACE)}, {Esc}}, "0L 0L 0L"},
        {"Shift and Caps Lock make no difference",
         {{key_down(SDLK_r, KMOD_LSHIFT)}, {key_down(SDLK_l, KMOD_CAPS)}, {Esc}}, "1L 1- 1-"},
        {"two Ls light again", {{L}, {L}, {Esc}}, "0- 0L 0L"},
        {"key-ups do nothing", {{fake::key_up(SDLK_r), fake::key_up(SDLK_l), fake::key_up(SDLK_ESCAPE)}, {Esc}},
         "0L 0L"},
        {"other events do nothing",
         {{fake::event_of_type(SDL_MOUSEMOTION), fake::event_of_type(SDL_ACTIVEEVENT),
           fake::event_of_type(SDL_VIDEORESIZE)},
          {Esc}},
         "0L 0L"},
        {"Escape and L in one turn: one more frame, unlit, then the end", {{Esc, L}}, "0-"},
        {"closing the window ends the loop after that turn", {{}, {fake::quit_event()}}, "0L 0L"},
        {"events after a stop request are still handled", {{fake::quit_event(), R}}, "1L"},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.name);
        reset();
        for (const auto& events : row.frames) fake::frame(events);
        MainRun run = run_main();
        EXPECT_EQ(0, run.status);
        EXPECT_EQ(row.drawn, frames_drawn());
        EXPECT_FALSE(fake::ran_out()) << "the loop outlived its script";
        EXPECT_EQ(kQuit, fake::calls().back().text());
    }
}

TEST_F(Viewer, MainTurnsHalfADegreeAFrame) {
    fake::idle_frames(720);
    fake::frame({fake::key_down(SDLK_ESCAPE)});
    run_main();
    const std::vector<fake::Call> turns = fake::calls_named("glRotatef");
    ASSERT_EQ(721u, turns.size());
    EXPECT_EQ(call("glRotatef", {0, 0, 1, 0}), turns[0].text());
    EXPECT_EQ(call("glRotatef", {0.5, 0, 1, 0}), turns[1].text());
    EXPECT_EQ(call("glRotatef", {359.5, 0, 1, 0}), turns[719].text());
    EXPECT_EQ(call("glRotatef", {0, 0, 1, 0}), turns[720].text());
}

TEST_F(Viewer, MainFrameRateReport) {
    std::vector<Uint32> sixty_frames = {0};
    sixty_frames.insert(sixty_frames.end(), 59, 500);
    sixty_frames.insert(sixty_frames.end(), 3, 1001);
    const struct {
        const char* name;
        std::vector<Uint32> ticks;  // per SDL_GetTicks read: entry, then one a turn, three a report
        int frames;
        std::string report;
        int reads;
    } cases[] = {
        {"60 frames in 1001 ms", sixty_frames, 60, "59.9401 fps\n", 63},
        {"the first interval counts from entry; the count starts again",
         {0, 2500, 2500, 2500, 3000, 3501, 3501, 3501}, 3, "0.4 fps\n1.998 fps\n", 8},
        {"exactly 1000 ms: no report", {0, 1000}, 1, "", 2},
        {"frames slower than a second report every turn",
         {0, 1001, 1001, 1001, 2002, 2002, 2002, 3003, 3003, 3003}, 3, "0.999001 fps\n0.999001 fps\n0.999001 fps\n",
         10},
        // The test read, the elapsed read and the new reference are three reads.
        {"the three reads of a report each play their part", {0, 1500, 1600, 1700, 2701, 2750, 2800}, 2,
         "0.625 fps\n0.952381 fps\n", 7},
        {"the tick counter wrapping round", {4294967000u, 705, 705, 705}, 1, "0.999001 fps\n", 4},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.name);
        reset();
        fake::ticks(row.ticks);
        fake::idle_frames(row.frames - 1);
        fake::frame({fake::key_down(SDLK_ESCAPE)});
        MainRun run = run_main();
        EXPECT_EQ(stone_start_up(run.loader_report) + row.report, run.out);
        EXPECT_EQ(row.reads, fake::count("SDL_GetTicks"));
    }
}

}  // namespace
