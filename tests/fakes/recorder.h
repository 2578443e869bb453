// The recording fake behind fake_gl.cpp and fake_sdl.cpp: every faked SDL,
// SDL_image, GL and GLU call lands here as {name, args}, and the answers the
// fakes give (events, ticks, video info, decoded images) are scripted here.
// It does no drawing and knows no GL state; tests check the list afterwards.
#ifndef TESTS_FAKES_RECORDER_H
#define TESTS_FAKES_RECORDER_H

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include "SDL.h"

namespace fake {

// One call as the fake saw it. `str` holds the one non-numeric argument a few
// calls have (a path, a surface's label) and is written first.
struct Call {
    std::string name;
    std::string str;
    std::vector<double> args;

    std::string text() const;  // e.g. "glVertex3f(1, 2, 3)"
};

// Formats a call the way the recorder does, for expected lists.
std::string call(const std::string& name, std::initializer_list<double> args = {});
std::string call(const std::string& name, const std::string& str, std::initializer_list<double> args = {});

// Clears the record and puts every scripted answer back to its default:
// SDL_Init succeeds, video info with no flags, a window, ticks 0, no events,
// IMG_Load gives null, texture names from 1. Frees surfaces still alive.
void reset();

void record(const char* name, std::vector<double> args, std::string str = "");

const std::vector<Call>& calls();
std::vector<Call> calls_named(const std::string& name);
int count(const std::string& name);
// The whole record, or the calls whose name starts with `prefix`, one per line.
std::string log(const std::string& prefix = "");

// ---- scripted answers ------------------------------------------------------

struct Script {
    int init_result = 0;             // SDL_Init
    bool video_info = true;          // SDL_GetVideoInfo gives `info` or null
    SDL_VideoInfo info = {};
    bool video_mode = true;          // SDL_SetVideoMode gives window() or null
    SDL_Surface* image = nullptr;    // what IMG_Load gives (null: no image)
    std::string error = "fake error";  // SDL_GetError (IMG_GetError is the same)
    bool convert_fails = false;      // SDL_ConvertSurface gives null
    // SDL_GetTicks: given the 0-based number of the read.
    std::function<Uint32(int)> ticks = [](int) { return 0u; };
};
Script& script();

// The surface SDL_SetVideoMode gives when it succeeds; never freed.
SDL_Surface* window();

// Events for SDL_PollEvent, frame by frame: the events of one frame are
// delivered, then SDL_PollEvent says 0 once, which ends that turn's draining.
// Once the script is used up it delivers SDL_QUIT (and sets ran_out()) so a
// test that scripted too few frames ends instead of hanging.
void frame(const std::vector<SDL_Event>& events = {});
void idle_frames(int n);
bool ran_out();
SDL_Event key_down(SDLKey sym, SDLMod mod = KMOD_NONE);
SDL_Event key_up(SDLKey sym);
SDL_Event quit_event();
SDL_Event event_of_type(Uint8 type);

// SDL_GetTicks reads values[i] at read i, and the last value after the end.
void ticks(std::vector<Uint32> values);

// ---- surfaces ----------------------------------------------------------------

struct Rgb {
    Uint8 r, g, b;
    bool operator==(const Rgb& o) const { return r == o.r && g == o.g && b == o.b; }
};

// Pixel layouts SDL_image decodes to.
enum class Layout { RGB24, BGR24, RGBA32, Palette8, RGB565 };

// A surface laid out as SDL lays it out: rows padded to 4 bytes (the padding
// filled with junk), a palette for Palette8 holding the distinct colours in
// order of first use. `label` names it in the record. The fake owns it until
// SDL_FreeSurface.
SDL_Surface* make_surface(const std::string& label, Layout layout, int w, int h, const std::vector<Rgb>& pixels);

// Surfaces the fake allocated and nobody freed yet.
int live_surfaces();
// Every pointer given to SDL_FreeSurface, in order (null included).
const std::vector<const SDL_Surface*>& freed();
std::string label_of(const SDL_Surface* s);

// What gluBuild2DMipmaps read: the rows as OpenGL reads them on its default
// 4-byte unpack alignment, padding dropped. Copied only when all of it lies
// inside the pixels of one live fake surface (`fits`); otherwise OpenGL
// would have read memory that is not the image.
struct Upload {
    int width = 0, height = 0;
    unsigned format = 0;
    const void* data = nullptr;
    bool fits = false;
    std::vector<Uint8> bytes;
    std::vector<Rgb> rgb() const;  // for GL_RGB uploads
};
const std::vector<Upload>& uploads();

// ---- for the fakes themselves ---------------------------------------------------

unsigned next_texture_name();  // 1, 2, ... for glGenTextures
SDL_Event next_event(bool* got);  // for SDL_PollEvent
// A zeroed surface of the given format (palette copied), rows padded to 4
// bytes as SDL pads them, owned by the fake until release().
SDL_Surface* new_surface(const std::string& label, const SDL_PixelFormat& format, int w, int h);
bool release(SDL_Surface* s);  // true when the fake owned s; it is gone then
void add_upload(int w, int h, unsigned format, int bytes_per_pixel, const void* data);

}  // namespace fake

#endif
