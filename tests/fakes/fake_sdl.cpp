// Recording fakes of the SDL 1.2 and SDL_image functions the viewer calls.
// Answers come from the recorder's script; surfaces are real in-memory ones
// and SDL_ConvertSurface really converts. No window, no display, no files.
#include "SDL.h"
#include "SDL_image.h"

#include <string>

#include "recorder.h"

namespace {

Uint32 read_pixel(const SDL_Surface* s, int x, int y) {
    const Uint8* at = static_cast<const Uint8*>(s->pixels) + y * s->pitch + x * s->format->BytesPerPixel;
    Uint32 value = 0;
    for (int i = 0; i < s->format->BytesPerPixel; ++i) value |= Uint32(at[i]) << (8 * i);
    return value;
}

void write_pixel(SDL_Surface* s, int x, int y, Uint32 value) {
    Uint8* at = static_cast<Uint8*>(s->pixels) + y * s->pitch + x * s->format->BytesPerPixel;
    for (int i = 0; i < s->format->BytesPerPixel; ++i) at[i] = static_cast<Uint8>(value >> (8 * i));
}

// As SDL 1.2's blitters take a pixel apart: the field shifted back up by its
// loss, low bits left zero.
fake::Rgb colour_of(const SDL_PixelFormat* f, Uint32 v) {
    if (f->palette) {
        const SDL_Color& c = f->palette->colors[v < Uint32(f->palette->ncolors) ? v : 0];
        return fake::Rgb{c.r, c.g, c.b};
    }
    return fake::Rgb{static_cast<Uint8>(((v & f->Rmask) >> f->Rshift) << f->Rloss),
                     static_cast<Uint8>(((v & f->Gmask) >> f->Gshift) << f->Gloss),
                     static_cast<Uint8>(((v & f->Bmask) >> f->Bshift) << f->Bloss)};
}

Uint32 pixel_of(const SDL_PixelFormat* f, fake::Rgb c) {
    return (Uint32(c.r >> f->Rloss) << f->Rshift) | (Uint32(c.g >> f->Gloss) << f->Gshift) |
           (Uint32(c.b >> f->Bloss) << f->Bshift) | f->Amask;
}

}  // namespace

extern "C" {

int SDLCALL SDL_Init(Uint32 flags) {
    fake::record("SDL_Init", {double(flags)});
    return fake::script().init_result;
}

void SDLCALL SDL_Quit(void) { fake::record("SDL_Quit", {}); }

const SDL_VideoInfo* SDLCALL SDL_GetVideoInfo(void) {
    fake::record("SDL_GetVideoInfo", {});
    return fake::script().video_info ? &fake::script().info : nullptr;
}

int SDLCALL SDL_GL_SetAttribute(SDL_GLattr attr, int value) {
    fake::record("SDL_GL_SetAttribute", {double(attr), double(value)});
    return 0;
}

SDL_Surface* SDLCALL SDL_SetVideoMode(int width, int height, int bpp, Uint32 flags) {
    fake::record("SDL_SetVideoMode", {double(width), double(height), double(bpp), double(flags)});
    return fake::script().video_mode ? fake::window() : nullptr;
}

Uint32 SDLCALL SDL_GetTicks(void) {
    const int read = fake::count("SDL_GetTicks");
    fake::record("SDL_GetTicks", {});
    return fake::script().ticks(read);
}

int SDLCALL SDL_PollEvent(SDL_Event* event) {
    fake::record("SDL_PollEvent", {});
    bool got = false;
    SDL_Event e = fake::next_event(&got);
    if (got && event) *event = e;
    return got ? 1 : 0;
}

void SDLCALL SDL_GL_SwapBuffers(void) { fake::record("SDL_GL_SwapBuffers", {}); }

// Frees what the fake allocated; anything else (null, the window, a surface
// already freed) is only recorded.
void SDLCALL SDL_FreeSurface(SDL_Surface* surface) {
    fake::record("SDL_FreeSurface", {}, fake::label_of(surface));
    fake::release(surface);
}

// Any surface the fake made, to any format without a palette, pixel by pixel.
SDL_Surface* SDLCALL SDL_ConvertSurface(SDL_Surface* src, SDL_PixelFormat* fmt, Uint32 flags) {
    fake::record("SDL_ConvertSurface",
                 {double(fmt->BitsPerPixel), double(fmt->Rmask), double(fmt->Gmask), double(fmt->Bmask), double(flags)},
                 fake::label_of(src));
    if (fake::script().convert_fails || fmt->palette || fmt->BytesPerPixel < 1 || fmt->BytesPerPixel > 4) return nullptr;
    SDL_Surface* out = fake::new_surface("rgb copy of " + fake::label_of(src), *fmt, src->w, src->h);
    for (int y = 0; y < src->h; ++y)
        for (int x = 0; x < src->w; ++x)
            write_pixel(out, x, y, pixel_of(fmt, colour_of(src->format, read_pixel(src, x, y))));
    return out;
}

char* SDLCALL SDL_GetError(void) {
    static std::string error;
    fake::record("SDL_GetError", {});
    error = fake::script().error;
    return &error[0];
}

SDL_Surface* SDLCALL IMG_Load(const char* file) {
    fake::record("IMG_Load", {}, file);
    return fake::script().image;
}

}  // extern "C"
