// The viewer application: window, projection, light, texture, frame loop and
// the drawing of the mesh. Declared here for the entry file and the tests.
#ifndef MAIN_H
#define MAIN_H

#include <GL/gl.h>
#include "SDL.h"

#include "aseObject.h"

extern float lpos[4];
extern float ldif[4];
extern float lamb[4];
extern float lspe[4];
extern bool has_light;
extern int MODE_RENDU;
extern SDL_Surface* surface;
extern aseObject* laseobject;
extern GLuint lasetexture;
extern SDL_Surface* sdlasetexture;

SDL_Surface* InitSDL();
void redimensionner(int w, int h);
void ViewPerspective();
void ViewOrtho();
void drawGL_ase(int mode);
void drawGL_Repere();
void InitTexture(Material material);

// The viewer's main function; the entry file calls it once SDL's tick
// counter runs. Returns the process exit status.
int SDL_main(int argc, char** argv);

#endif
