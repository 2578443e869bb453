// The viewer: opens the window, loads statue.ase and its texture, and turns
// the model until Escape or the window's close request.
#include "main.h"

#include <GL/glu.h>
#include "SDL_image.h"

#include <iostream>
#include <string>

float lpos[4] = {0.0f, 0.0f, -10.0f, 1.0f};
float ldif[4] = {1.0f, 1.0f, 1.0f, 1.0f};
float lamb[4] = {0.5f, 0.5f, 0.5f, 1.0f};
float lspe[4] = {1.0f, 1.0f, 1.0f, 1.0f};
bool has_light = true;
int MODE_RENDU = 0;
SDL_Surface* surface = nullptr;
aseObject* laseobject = nullptr;
GLuint lasetexture = 0;
SDL_Surface* sdlasetexture = nullptr;

// Exit status when no window could be opened.
static const int kNoWindow = 2;

// ---- window and projection -----------------------------------------------

SDL_Surface* InitSDL() {
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        std::cout << "Couldn't INIT VIDEO\n";
        SDL_Quit();
    }
    const SDL_VideoInfo* info = SDL_GetVideoInfo();
    if (info == nullptr) {
        std::cout << "Couldn't get VideoInfo\n";
        SDL_Quit();
    }
    SDL_Surface* s = nullptr;
    // No video info means no video device: SDL 1.2 dereferences the missing
    // device in SDL_GL_SetAttribute, so go straight to the surface failure.
    if (info != nullptr) {
        Uint32 flags = SDL_OPENGL | SDL_HWSURFACE | SDL_ASYNCBLIT | SDL_HWPALETTE;
        if (info->blit_hw) flags |= SDL_HWACCEL;
        SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
        s = SDL_SetVideoMode(800, 600, 24, flags);
    }
    if (s == nullptr) {
        std::cout << "Couldn't init surface\n";
        SDL_Quit();
    }
    return s;
}

void redimensionner(int w, int h) {
    if (w < 1) w = 1;
    if (h < 1) h = 1;
    float aspect = static_cast<float>(w) / static_cast<float>(h);
    glViewport(0, 0, w, h);
    glMatrixMode(GL_PROJECTION);
    // Multiplies the current projection: called once, while it is the identity.
    gluPerspective(45.0, aspect, 0.1f, 1000.0);
    glMatrixMode(GL_MODELVIEW);
}

void ViewPerspective() {
    float aspect = 800.0f / 600.0f;
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(45.0, aspect, 0.1f, 1000.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

void ViewOrtho() {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, 800, 600, 0, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

// ---- mesh drawing --------------------------------------------------------

void drawGL_ase(int mode) {
    Object& mesh = *laseobject;
    const int n = mesh.get_nb_faces();
    auto cursor = mesh.faces.begin();

    if (has_light) glEnable(GL_LIGHTING);

    bool draws = true;
    switch (mode) {
        case 0:
            glEnable(GL_TEXTURE_2D);
            glBindTexture(GL_TEXTURE_2D, lasetexture);
            glBegin(GL_TRIANGLES);
            break;
        case 1:
            glColor3f(1.0f, 1.0f, 1.0f);
            glBegin(GL_LINES);
            break;
        case 2:
            glColor3f(1.0f, 1.0f, 1.0f);
            glBegin(GL_TRIANGLES);
            break;
        default:
            draws = false;
    }

    if (draws) {
        for (int i = 0; i < n; ++i, ++cursor) {
            const Face& f = cursor->second;
            const Vertex p[3] = {mesh.get_vertex(f.a), mesh.get_vertex(f.b), mesh.get_vertex(f.c)};
            TVertex t[3] = {};
            if (mode == 0) {
                t[0] = mesh.get_tvertex(f.a);
                t[1] = mesh.get_tvertex(f.b);
                t[2] = mesh.get_tvertex(f.c);
            }
            const NVertex nv[3] = {mesh.get_nvertex(f.a), mesh.get_nvertex(f.b), mesh.get_nvertex(f.c)};

            // Wireframe sends each edge as its own segment: a-b, b-c, c-a.
            static const int kTriangle[] = {0, 1, 2};
            static const int kEdges[] = {0, 1, 1, 2, 2, 0};
            const int* corners = mode == 1 ? kEdges : kTriangle;
            const int count = mode == 1 ? 6 : 3;
            for (int k = 0; k < count; ++k) {
                const int c = corners[k];
                glNormal3f(nv[c].x, nv[c].y, nv[c].z);
                if (mode == 0) glTexCoord2f(t[c].u, t[c].v);
                glVertex3f(p[c].x, p[c].y, p[c].z);
            }
        }
        glEnd();
        if (mode == 0) glDisable(GL_TEXTURE_2D);
    }

    if (has_light) glDisable(GL_LIGHTING);
}

void drawGL_Repere() {
    glPushMatrix();
    glBegin(GL_LINES);
    glColor4f(1.0f, 0.0f, 0.0f, 1.0f);
    glVertex3f(0.0f, 0.0f, 0.0f);
    glVertex3f(1.0f, 0.0f, 0.0f);
    glColor4f(0.0f, 1.0f, 0.0f, 1.0f);
    glVertex3f(0.0f, 0.0f, 0.0f);
    glVertex3f(0.0f, 1.0f, 0.0f);
    glColor4f(0.0f, 0.0f, 1.0f, 1.0f);
    glVertex3f(0.0f, 0.0f, 0.0f);
    glVertex3f(0.0f, 0.0f, 1.0f);
    glEnd();
    glPopMatrix();
}

// ---- texture -------------------------------------------------------------

namespace {

// Masks of 3 bytes a pixel in red, green, blue order, as SDL reads a pixel.
#if SDL_BYTEORDER == SDL_LIL_ENDIAN
const Uint32 kRmask = 0x0000FF, kGmask = 0x00FF00, kBmask = 0xFF0000;
const Uint8 kRshift = 0, kBshift = 16;
#else
const Uint32 kRmask = 0xFF0000, kGmask = 0x00FF00, kBmask = 0x0000FF;
const Uint8 kRshift = 16, kBshift = 0;
#endif

// True when OpenGL can read the pixels as GL_RGB rows on its default 4-byte
// alignment.
bool is_packed_rgb(const SDL_Surface* s) {
    const SDL_PixelFormat* f = s->format;
    return f->BitsPerPixel == 24 && f->BytesPerPixel == 3 && f->palette == nullptr && f->Rmask == kRmask &&
           f->Gmask == kGmask && f->Bmask == kBmask && s->pitch == ((s->w * 3 + 3) & ~3);
}

// A 24-bit red-green-blue copy of any surface SDL_image decodes (palette,
// 16-bit, 32-bit with alpha, blue-green-red BMP), or null.
SDL_Surface* to_packed_rgb(SDL_Surface* s) {
    SDL_PixelFormat rgb = {};
    rgb.BitsPerPixel = 24;
    rgb.BytesPerPixel = 3;
    rgb.Rmask = kRmask;
    rgb.Gmask = kGmask;
    rgb.Bmask = kBmask;
    rgb.Rshift = kRshift;
    rgb.Gshift = 8;
    rgb.Bshift = kBshift;
    rgb.alpha = 255;
    return SDL_ConvertSurface(s, &rgb, SDL_SWSURFACE);
}

}  // namespace

void InitTexture(Material material) {
    // Exporters write Windows paths (maps\stone.bmp); take them as paths here.
    std::string bitmap = material.bitmap;
    for (char& ch : bitmap)
        if (ch == '\\') ch = '/';
    const std::string path = "./media/" + bitmap;
    std::cout << "Texture file: " << path << "\n";

    sdlasetexture = IMG_Load(path.c_str());
    if (sdlasetexture == nullptr) {
        // No image: lasetexture stays 0, an empty texture, so mode 0 draws untextured.
        std::cout << "Couldn't load texture " << path << ": " << IMG_GetError() << "\n\n";
        return;
    }

    SDL_Surface* pixels = sdlasetexture;
    if (!is_packed_rgb(sdlasetexture)) {
        pixels = to_packed_rgb(sdlasetexture);
        if (pixels == nullptr) {
            std::cout << "Couldn't convert texture " << path << " to RGB: " << SDL_GetError() << "\n\n";
            SDL_FreeSurface(sdlasetexture);
            sdlasetexture = nullptr;
            return;
        }
    }

    glGenTextures(1, &lasetexture);
    glBindTexture(GL_TEXTURE_2D, lasetexture);
    gluBuild2DMipmaps(GL_TEXTURE_2D, 3, pixels->w, pixels->h, GL_RGB, GL_UNSIGNED_BYTE, pixels->pixels);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_NEAREST);
    glTexEnvf(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    if (pixels != sdlasetexture) SDL_FreeSurface(pixels);
    SDL_FreeSurface(sdlasetexture);
    sdlasetexture = nullptr;
    std::cout << " OK\n\n";
}

// ---- start-up and frame loop ---------------------------------------------

int SDL_main(int argc, char** argv) {
    (void)argc;
    (void)argv;
    int running = 1;
    int frames = 0;
    // Read first, so the first frame-rate interval includes all of start-up.
    Uint32 reference = SDL_GetTicks();
    float fps = 0.0f;
    float angle = 0.0f;

    surface = InitSDL();
    if (surface == nullptr) return kNoWindow;  // no window, no OpenGL context

    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glEnable(GL_NORMALIZE);
    glCullFace(GL_BACK);
    glEnable(GL_CULL_FACE);
    glEnable(GL_TEXTURE_2D);

    // Given while the model-view matrix is the identity: fixed in eye space.
    glLightfv(GL_LIGHT1, GL_DIFFUSE, ldif);
    glLightfv(GL_LIGHT1, GL_AMBIENT, lamb);
    glLightfv(GL_LIGHT1, GL_SPECULAR, lspe);
    glLightfv(GL_LIGHT1, GL_POSITION, lpos);
    glEnable(GL_LIGHT1);

    const std::string model_path = "./statue.ase";
    std::cout << "Filename: " << model_path << "\n";
    laseobject = new aseObject(model_path.c_str());

    std::cout << "** Textures loading\n";
    std::cout << "Nb Materials: " << laseobject->get_nb_materials() << "\n";
    std::cout << "HasTexture ? " << (laseobject->get_has_texture() ? "YES" : "NO") << "\n";
    Material material = laseobject->get_material(0);
    std::cout << "Material Name: " << material.name << "\n";

    InitTexture(material);
    redimensionner(800, 600);

    while (running) {
        ++frames;

        SDL_Event event;
        while (SDL_PollEvent(&event)) {
            if (event.type == SDL_KEYDOWN) {
                const SDLKey k = event.key.keysym.sym;
                if (k == SDLK_ESCAPE) running = 0;
                if (k == SDLK_r) ++MODE_RENDU;
                if (MODE_RENDU > 2) MODE_RENDU = 0;
                if (k == SDLK_l) has_light = !has_light;
            } else if (event.type == SDL_QUIT) {
                running = 0;
            }
        }

        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        ViewPerspective();
        glEnable(GL_DEPTH_TEST);
        glTranslatef(0.0f, 0.0f, -15.0f);
        glRotatef(angle, 0.0f, 1.0f, 0.0f);
        angle = angle + 0.5f;
        if (angle >= 360.0f) angle = 0.0f;

        drawGL_ase(MODE_RENDU);

        if (SDL_GetTicks() - reference > 1000) {
            const float product = static_cast<float>(frames * 1000);
            const Uint32 elapsed = SDL_GetTicks() - reference;
            fps = static_cast<float>(static_cast<double>(product) / elapsed);
            frames = 0;
            reference = SDL_GetTicks();
            std::cout << fps << " fps\n";
        }

        SDL_GL_SwapBuffers();
    }

    delete laseobject;
    SDL_Quit();
    return 0;
}
