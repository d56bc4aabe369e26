// The browser build's own SDL 1.2: only the types, constants and calls the
// game and its headless run use, over a software screen surface that the
// page presents to its canvas. Key codes are SDL 1.2's, as the controls read them.
#pragma once

#include <cstdint>

typedef uint8_t Uint8;
typedef int8_t Sint8;
typedef uint16_t Uint16;
typedef int16_t Sint16;
typedef uint32_t Uint32;
typedef int32_t Sint32;

#define SDL_INIT_TIMER 0x00000001u
#define SDL_INIT_AUDIO 0x00000010u
#define SDL_INIT_VIDEO 0x00000020u
#define SDL_INIT_CDROM 0x00000100u
#define SDL_INIT_JOYSTICK 0x00000200u
#define SDL_INIT_EVERYTHING 0x0000FFFFu

#define SDL_SWSURFACE 0x00000000u
#define SDL_HWSURFACE 0x00000001u
#define SDL_SRCCOLORKEY 0x00001000u
#define SDL_RLEACCEL 0x00004000u
#define SDL_SRCALPHA 0x00010000u
#define SDL_DOUBLEBUF 0x40000000u
// Every surface here lives in ordinary memory: none needs locking.
#define SDL_MUSTLOCK(surface) (((surface)->flags & SDL_HWSURFACE) != 0)

#define SDL_RELEASED 0
#define SDL_PRESSED 1

typedef struct SDL_Rect {
    Sint16 x, y;
    Uint16 w, h;
} SDL_Rect;

typedef struct SDL_PixelFormat {
    Uint8 BitsPerPixel;
    Uint8 BytesPerPixel;
    Uint8 Rloss, Gloss, Bloss, Aloss;
    Uint8 Rshift, Gshift, Bshift, Ashift;
    Uint32 Rmask, Gmask, Bmask, Amask;
    Uint32 colorkey;
    Uint8 alpha;
} SDL_PixelFormat;

typedef struct SDL_Surface {
    Uint32 flags;
    SDL_PixelFormat* format;
    int w, h;
    Uint16 pitch;
    void* pixels;
    int offset;
    SDL_Rect clip_rect;
    int refcount;
} SDL_Surface;

typedef enum {
    SDLK_UNKNOWN = 0,
    SDLK_BACKSPACE = 8,
    SDLK_TAB = 9,
    SDLK_RETURN = 13,
    SDLK_ESCAPE = 27,
    SDLK_SPACE = 32,
    SDLK_0 = 48, SDLK_1, SDLK_2, SDLK_3, SDLK_4, SDLK_5, SDLK_6, SDLK_7, SDLK_8, SDLK_9,
    SDLK_a = 97, SDLK_b, SDLK_c, SDLK_d, SDLK_e, SDLK_f, SDLK_g, SDLK_h, SDLK_i, SDLK_j, SDLK_k, SDLK_l,
    SDLK_m, SDLK_n, SDLK_o, SDLK_p, SDLK_q, SDLK_r, SDLK_s, SDLK_t, SDLK_u, SDLK_v, SDLK_w, SDLK_x,
    SDLK_y, SDLK_z,
    SDLK_DELETE = 127,
    SDLK_UP = 273,
    SDLK_DOWN = 274,
    SDLK_RIGHT = 275,
    SDLK_LEFT = 276,
    SDLK_RSHIFT = 303,
    SDLK_LSHIFT = 304,
    SDLK_RCTRL = 305,
    SDLK_LCTRL = 306,
    SDLK_RALT = 307,
    SDLK_LALT = 308,
    SDLK_LAST = 323
} SDLKey;

typedef enum { KMOD_NONE = 0 } SDLMod;

typedef struct SDL_keysym {
    Uint8 scancode;
    SDLKey sym;
    SDLMod mod;
    Uint16 unicode;
} SDL_keysym;

enum { SDL_NOEVENT = 0, SDL_KEYDOWN = 2, SDL_KEYUP = 3, SDL_QUIT = 12 };

typedef struct SDL_KeyboardEvent {
    Uint8 type;
    Uint8 which;
    Uint8 state;
    SDL_keysym keysym;
} SDL_KeyboardEvent;

typedef union SDL_Event {
    Uint8 type;
    SDL_KeyboardEvent key;
} SDL_Event;

typedef struct SDL_RWops SDL_RWops;

extern "C" {
int SDL_Init(Uint32 flags);
int SDL_InitSubSystem(Uint32 flags);
Uint32 SDL_WasInit(Uint32 flags);
void SDL_Quit(void);
char* SDL_GetError(void);

SDL_Surface* SDL_SetVideoMode(int width, int height, int bpp, Uint32 flags);
void SDL_WM_SetCaption(const char* title, const char* icon);
int SDL_Flip(SDL_Surface* screen);
Uint32 SDL_MapRGB(const SDL_PixelFormat* format, Uint8 r, Uint8 g, Uint8 b);

SDL_Surface* SDL_CreateRGBSurface(Uint32 flags, int width, int height, int depth, Uint32 Rmask, Uint32 Gmask,
                                  Uint32 Bmask, Uint32 Amask);
void SDL_FreeSurface(SDL_Surface* surface);
int SDL_LockSurface(SDL_Surface* surface);
void SDL_UnlockSurface(SDL_Surface* surface);
int SDL_SetColorKey(SDL_Surface* surface, Uint32 flag, Uint32 key);
int SDL_UpperBlit(SDL_Surface* src, SDL_Rect* srcrect, SDL_Surface* dst, SDL_Rect* dstrect);

SDL_RWops* SDL_RWFromFile(const char* file, const char* mode);
SDL_Surface* SDL_LoadBMP_RW(SDL_RWops* src, int freesrc);

int SDL_PollEvent(SDL_Event* event);
Uint8* SDL_GetKeyState(int* numkeys);
}

#define SDL_BlitSurface SDL_UpperBlit
#define SDL_LoadBMP(file) SDL_LoadBMP_RW(SDL_RWFromFile(file, "rb"), 1)
