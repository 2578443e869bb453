// The recording fake's state: the call list, the scripted answers, the
// surfaces the fake owns and the texture uploads it saw.
#include "recorder.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <map>

static_assert(SDL_BYTEORDER == SDL_LIL_ENDIAN, "the fake lays out pixels for a little-endian machine");

namespace fake {

namespace {

struct Item {
    bool end_of_frame;
    SDL_Event event;
};

struct State {
    std::vector<Call> calls;
    Script script;
    std::deque<Item> events;
    bool ran_out = false;
    bool quit_given = false;  // the stand-in quit of an exhausted script
    unsigned texture_names = 0;
    std::map<const SDL_Surface*, std::string> labels;  // every surface ever named
    std::map<SDL_Surface*, bool> live;
    std::vector<const SDL_Surface*> freed;
    std::vector<Upload> uploads;
};

State& state() {
    static State s;
    return s;
}

// The shortest text that reads back as the same double: 45, 0.5,
// 1.3333333730697632 (a float's exact value), 536870919.
std::string number(double v) {
    char buf[40];
    for (int precision = 1; precision <= 17; ++precision) {
        std::snprintf(buf, sizeof buf, "%.*g", precision, v);
        if (std::strtod(buf, nullptr) == v) break;
    }
    return buf;
}

std::string format(const std::string& name, const std::string& str, const std::vector<double>& args) {
    std::string out = name + "(";
    bool first = true;
    if (!str.empty()) {
        out += str;
        first = false;
    }
    for (double a : args) {
        if (!first) out += ", ";
        out += number(a);
        first = false;
    }
    return out + ")";
}

void free_surface_memory(SDL_Surface* s) {
    if (s->format->palette) {
        std::free(s->format->palette->colors);
        std::free(s->format->palette);
    }
    std::free(s->format);
    std::free(s->pixels);
    std::free(s);
}

}  // namespace

std::string Call::text() const { return format(name, str, args); }

std::string call(const std::string& name, std::initializer_list<double> args) { return format(name, "", args); }

std::string call(const std::string& name, const std::string& str, std::initializer_list<double> args) {
    return format(name, str, args);
}

void reset() {
    State& s = state();
    for (auto& entry : s.live) free_surface_memory(entry.first);
    s = State();
}

void record(const char* name, std::vector<double> args, std::string str) {
    state().calls.push_back(Call{name, std::move(str), std::move(args)});
}

const std::vector<Call>& calls() { return state().calls; }

std::vector<Call> calls_named(const std::string& name) {
    std::vector<Call> out;
    for (const Call& c : state().calls)
        if (c.name == name) out.push_back(c);
    return out;
}

int count(const std::string& name) { return static_cast<int>(calls_named(name).size()); }

std::string log(const std::string& prefix) {
    std::string out;
    for (const Call& c : state().calls)
        if (c.name.compare(0, prefix.size(), prefix) == 0) out += c.text() + "\n";
    return out;
}

Script& script() { return state().script; }

SDL_Surface* window() {
    static SDL_PixelFormat format = {};
    static SDL_Surface surface = {};
    format.BitsPerPixel = 24;
    format.BytesPerPixel = 3;
    surface.format = &format;
    surface.w = 800;
    surface.h = 600;
    return &surface;
}

// ---- events and ticks ----------------------------------------------------------

void frame(const std::vector<SDL_Event>& events) {
    for (const SDL_Event& e : events) state().events.push_back(Item{false, e});
    state().events.push_back(Item{true, SDL_Event{}});
}

void idle_frames(int n) {
    for (int i = 0; i < n; ++i) frame();
}

bool ran_out() { return state().ran_out; }

SDL_Event key_down(SDLKey sym, SDLMod mod) {
    SDL_Event e = {};
    e.key.type = SDL_KEYDOWN;
    e.key.state = SDL_PRESSED;
    e.key.keysym.sym = sym;
    e.key.keysym.mod = mod;
    return e;
}

SDL_Event key_up(SDLKey sym) {
    SDL_Event e = {};
    e.key.type = SDL_KEYUP;
    e.key.state = SDL_RELEASED;
    e.key.keysym.sym = sym;
    return e;
}

SDL_Event quit_event() { return event_of_type(SDL_QUIT); }

SDL_Event event_of_type(Uint8 type) {
    SDL_Event e = {};
    e.type = type;
    return e;
}

SDL_Event next_event(bool* got) {
    State& s = state();
    if (s.events.empty()) {
        // Alternate quit and "no event" so a draining loop still ends.
        s.ran_out = true;
        s.quit_given = !s.quit_given;
        *got = s.quit_given;
        return quit_event();
    }
    Item item = s.events.front();
    s.events.pop_front();
    *got = !item.end_of_frame;
    return item.event;
}

void ticks(std::vector<Uint32> values) {
    script().ticks = [values](int read) {
        if (values.empty()) return 0u;
        return values[static_cast<size_t>(read) < values.size() ? read : values.size() - 1];
    };
}

unsigned next_texture_name() { return ++state().texture_names; }

// ---- surfaces ------------------------------------------------------------------

SDL_Surface* new_surface(const std::string& label, const SDL_PixelFormat& format, int w, int h) {
    auto* s = static_cast<SDL_Surface*>(std::calloc(1, sizeof(SDL_Surface)));
    s->format = static_cast<SDL_PixelFormat*>(std::calloc(1, sizeof(SDL_PixelFormat)));
    *s->format = format;
    if (format.palette) {
        s->format->palette = static_cast<SDL_Palette*>(std::calloc(1, sizeof(SDL_Palette)));
        s->format->palette->ncolors = format.palette->ncolors;
        s->format->palette->colors =
            static_cast<SDL_Color*>(std::calloc(static_cast<size_t>(format.palette->ncolors) + 1, sizeof(SDL_Color)));
        std::memcpy(s->format->palette->colors, format.palette->colors,
                    sizeof(SDL_Color) * static_cast<size_t>(format.palette->ncolors));
    }
    s->w = w;
    s->h = h;
    s->pitch = static_cast<Uint16>((w * format.BytesPerPixel + 3) & ~3);
    const size_t size = static_cast<size_t>(s->pitch) * static_cast<size_t>(h);
    s->pixels = std::malloc(size ? size : 1);
    // Junk, so padding or a pixel nobody wrote never passes for black.
    std::memset(s->pixels, 0xAB, size);
    s->clip_rect.w = static_cast<Uint16>(w);
    s->clip_rect.h = static_cast<Uint16>(h);
    s->refcount = 1;
    state().labels[s] = label;
    state().live[s] = true;
    return s;
}

bool release(SDL_Surface* s) {
    State& st = state();
    st.freed.push_back(s);
    auto it = st.live.find(s);
    if (it == st.live.end()) return false;
    st.live.erase(it);
    free_surface_memory(s);
    return true;
}

SDL_Surface* make_surface(const std::string& label, Layout layout, int w, int h, const std::vector<Rgb>& pixels) {
    SDL_PixelFormat f = {};
    SDL_Palette palette = {};
    std::vector<SDL_Color> colours;
    auto set = [&f](int bits, Uint32 r, Uint32 g, Uint32 b, Uint32 a, int rs, int gs, int bs, int as) {
        f.BitsPerPixel = static_cast<Uint8>(bits);
        f.BytesPerPixel = static_cast<Uint8>((bits + 7) / 8);
        f.Rmask = r, f.Gmask = g, f.Bmask = b, f.Amask = a;
        f.Rshift = static_cast<Uint8>(rs), f.Gshift = static_cast<Uint8>(gs);
        f.Bshift = static_cast<Uint8>(bs), f.Ashift = static_cast<Uint8>(as);
        f.Aloss = a ? 0 : 8;
    };
    switch (layout) {
        case Layout::RGB24: set(24, 0x0000FF, 0x00FF00, 0xFF0000, 0, 0, 8, 16, 0); break;
        case Layout::BGR24: set(24, 0xFF0000, 0x00FF00, 0x0000FF, 0, 16, 8, 0, 0); break;
        case Layout::RGBA32: set(32, 0x000000FF, 0x0000FF00, 0x00FF0000, 0xFF000000, 0, 8, 16, 24); break;
        case Layout::RGB565:
            set(16, 0xF800, 0x07E0, 0x001F, 0, 11, 5, 0, 0);
            f.Rloss = 3, f.Gloss = 2, f.Bloss = 3;
            break;
        case Layout::Palette8:
            f.BitsPerPixel = 8;
            f.BytesPerPixel = 1;
            f.Rloss = f.Gloss = f.Bloss = f.Aloss = 8;
            for (const Rgb& p : pixels) {
                bool known = false;
                for (const SDL_Color& c : colours) known = known || (c.r == p.r && c.g == p.g && c.b == p.b);
                if (!known) colours.push_back(SDL_Color{p.r, p.g, p.b, 0});
            }
            palette.ncolors = static_cast<int>(colours.size());
            palette.colors = colours.data();
            f.palette = &palette;
            break;
    }
    f.alpha = 255;

    SDL_Surface* s = new_surface(label, f, w, h);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const Rgb& p = pixels[static_cast<size_t>(y * w + x)];
            Uint8* at = static_cast<Uint8*>(s->pixels) + y * s->pitch + x * f.BytesPerPixel;
            Uint32 value = 0;
            if (layout == Layout::Palette8) {
                while (!(colours[value].r == p.r && colours[value].g == p.g && colours[value].b == p.b)) ++value;
            } else {
                value = (Uint32(p.r >> f.Rloss) << f.Rshift) | (Uint32(p.g >> f.Gloss) << f.Gshift) |
                        (Uint32(p.b >> f.Bloss) << f.Bshift) | (f.Amask ? 0x80u << f.Ashift : 0u);
            }
            for (int i = 0; i < f.BytesPerPixel; ++i) at[i] = static_cast<Uint8>(value >> (8 * i));
        }
    }
    return s;
}

int live_surfaces() { return static_cast<int>(state().live.size()); }

const std::vector<const SDL_Surface*>& freed() { return state().freed; }

std::string label_of(const SDL_Surface* s) {
    if (s == nullptr) return "NULL";
    if (s == window()) return "window";
    auto it = state().labels.find(s);
    return it == state().labels.end() ? "?" : it->second;
}

// ---- uploads -------------------------------------------------------------------

std::vector<Rgb> Upload::rgb() const {
    std::vector<Rgb> out;
    for (size_t i = 0; i + 2 < bytes.size(); i += 3) out.push_back(Rgb{bytes[i], bytes[i + 1], bytes[i + 2]});
    return out;
}

void add_upload(int w, int h, unsigned format, int bytes_per_pixel, const void* data) {
    Upload u;
    u.width = w;
    u.height = h;
    u.format = format;
    u.data = data;
    const size_t row = static_cast<size_t>(w) * static_cast<size_t>(bytes_per_pixel);
    const size_t stride = (row + 3) & ~size_t{3};
    const size_t span = h > 0 ? stride * static_cast<size_t>(h - 1) + row : 0;
    const auto* begin = static_cast<const Uint8*>(data);
    for (auto& entry : state().live) {
        const SDL_Surface* s = entry.first;
        const auto* first = static_cast<const Uint8*>(s->pixels);
        const auto* end = first + static_cast<size_t>(s->pitch) * static_cast<size_t>(s->h);
        if (w > 0 && h > 0 && begin >= first && begin < end && span <= static_cast<size_t>(end - begin)) u.fits = true;
    }
    if (u.fits)
        for (int y = 0; y < h; ++y) u.bytes.insert(u.bytes.end(), begin + stride * y, begin + stride * y + row);
    state().uploads.push_back(std::move(u));
}

const std::vector<Upload>& uploads() { return state().uploads; }

}  // namespace fake
