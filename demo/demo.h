// demo.h - the KESTREL8 demo program: its state, its frame tail and its four scenes.
//
// The program owns one of each object for the whole run and keeps them in the globals
// below. DemoStartUp creates them in a fixed order (seed, display and its 256 x 256 mode,
// keyboard, sound, screen image, byte map, hue palette, music, font, 50 frames per second);
// DemoSceneRing plays scene 1, 2, 3, 4, 1, ... until a quit key; DemoShutDown fades to black
// and releases the font, screen, byte map, keyboard, display and sound, in that order, then
// closes SDL.
//
// Every scene draws into `screen` (scene 1 through `bytemap` and `palette`) and ends each
// frame with DemoEndFrame:
//   FPSTick, FPSWait, frame-rate digits (overlay bit 0), SDLDPYShowIMG, DemoFrameHook,
//   DemoFeedMusic, SDLKBDGetKey, DemoHandleKey, the running scene's own keys, key byte = 0.
// The scene tests `exitRequest` after each frame: 1 quits the program once the scene has
// returned, 2 moves on to the next scene. The ring clears it between scenes.
//
// Start-up failures (no video mode, or any object that cannot be made, the sound output
// excepted) and a failed allocation of scene 2's tables stop the program at once with one
// line on standard error, "kestrel8: cannot <what>: <reason>", and exit status 2. A missing
// sound output is tolerated: the music is still computed, nothing is queued.
//
// Randomness comes only from DemoRandom (base/random.h), seeded with 0xFACE5718 at start-up;
// the scenes and the music draw from it in frame order, so equal key presses at equal frames
// give equal pictures.
//
// Test seam: DemoFrameHook and DemoFadeHook (null by default) let a headless test watch
// every presented picture and push SDL key events; DemoReset returns the process-wide state
// to its start values so that a test process can run the program more than once.
#pragma once
#include <cstdint>

#include "audio/music.h"
#include "audio/palette.h"
#include "audio/sdlsnd.h"
#include "bytemap/bytemap.h"
#include "image/font.h"
#include "image/img.h"
#include "platform/sdldpy.h"
#include "platform/sdlkbd.h"

// ---- Program state ------------------------------------------------------------------------
extern SDLDPY* display;
extern SDLKBD* keyboard;
extern SDLSND* sound;      // null when audio could not be opened
extern IMG* screen;        // the frame, screenWidth x screenHeight
extern BYTEMAP* bytemap;   // scene 1's 8-bit picture, same size
extern PALETTE* palette;   // the hue circle, 256 entries
extern FONT* font;         // 8 x 8 glyphs
extern MUSIC* music;
extern int32_t screenWidth;   // 256
extern int32_t screenHeight;  // 256
extern uint8_t exitRequest;   // 0 run on, 1 quit, 2 next scene
extern uint8_t overlayFlags;  // bit 0: draw the frame-rate digits

// The program's own reporter: prints "KESTREL8 Error.\n" when DemoReport is set (it is not).
// Refused helper calls (a rectangle outside the image, a region outside the screen) use it.
extern uint8_t DemoReport;
void DemoError();

// ---- Program entry, start-up, shutdown and the ring -------------------------------------
void DemoStartUp();
void DemoSceneRing();
void DemoShutDown();
// Prints "kestrel8: cannot <what>: <detail>" on standard error, closes SDL and exits with
// status 2. A null detail stands for SDL's own error text.
[[noreturn]] void DemoFatal(const char* what, const char* detail);

// ---- Frame tail, keys, fade, logo, music ------------------------------------------------
void DemoEndFrame();
void DemoHandleKey(uint8_t key);
void DemoFadeOut();
void DemoDrawLogo();
void DemoStartMusic();
void DemoFeedMusic();
extern int32_t DemoLogoPhase;  // grows by 16 per logo drawing, kept modulo 1024

// Called in DemoEndFrame right after SDLDPYShowIMG has presented `screen` and before the
// music is fed and the keyboard is polled: `screen` then holds exactly the presented
// picture, and SDL events pushed from the hook are read by this same frame. DemoFadeHook is
// called after each of the 32 presented steps of DemoFadeOut. Both are null by default.
extern void (*DemoFrameHook)(void);
extern void (*DemoFadeHook)(void);

// The running scene's own key table, applied in DemoEndFrame after the common one: scene 2
// sets it for the length of its run; null otherwise.
extern void (*DemoSceneKeys)(uint8_t key);

// Returns the process-wide state to its start values: logo phase, scene 2's animation,
// parameters and layout, the mosaic list, exitRequest, overlayFlags, the screen size and
// the frame timer; releases the palette and the music (the music's built-in clips are
// detached first, they are static). Call after DemoShutDown, before the next DemoStartUp.
void DemoReset();

// ---- Scene 1: animated subdivision with palette cycling ---------------------------------
void SceneSubdivide();
void SubdivideStep(int32_t x, int32_t y, int32_t w, int32_t h, uint8_t colour);
// A split point of length n (n >= 2): (n >> 1) + (r mod (n >> 1)) - (n >> 2), one draw.
int32_t DemoSplitPoint(int32_t n);

// The inset layout shared by scenes 1 and 4: draws the split points of w and then h, and
// visits the four children of the rectangle in order (top left, top right, bottom left,
// bottom right). Each keeps a 1-pixel margin of its parent along the parent's edges and a
// 2-pixel gap from its siblings; children of a small parent come out with sizes below 3.
template <class Visit>
void DemoInsetChildren(int32_t x, int32_t y, int32_t w, int32_t h, Visit visit) {
  const int32_t sw = DemoSplitPoint(w);
  const int32_t sh = DemoSplitPoint(h);
  visit(x + 1, y + 1, sw - 2, sh - 2);
  visit(x + sw + 1, y + 1, w - sw - 2, sh - 2);
  visit(x + 1, y + sh + 1, sw - 2, h - sh - 2);
  visit(x + sw + 1, y + sh + 1, w - sw - 2, h - sh - 2);
}

// ---- Scene 2: sine texture with information panel ---------------------------------------
void SceneSineTexture();
void SceneSineTextureKey(uint8_t key);  // the scene's key table, after the common one
void DemoDrawPanel();
void DemoDrawCorners(IMG* image, int32_t x, int32_t y, int32_t w, int32_t h, uint32_t colour);
void DemoHex32(int32_t value, char* text);
extern int32_t panelMode;  // bit 0x10: panel layout
extern int32_t zoom;       // the six zoom steps, always equal: 1 to 65536, powers of two
extern int32_t speed;      // 1 to 32, right-shift of the texture velocities
extern int32_t xDist;      // 1 to 32, right-shift of the column wobble
extern int32_t yDist;      // 1 to 32, right-shift of the row wobble

// Scene 2's renderer.
void TextureDraw(int32_t x0, int32_t y0, int32_t w, int32_t h);
void StripDraw(int32_t x0, int32_t y0, int32_t w, int32_t h);
void TextureZoomUp();
void TextureZoomDown();
// The 1024 x 1024 table of ((S[a] * S[b]) >> 23) + 128, 0 stored as 2; built on first call.
const uint8_t* TextureTable();
// Animation state: phases T, velocities V, velocity phases Q, wobble phases D.
struct TEXTURESTATE {
  int32_t t[6];
  int32_t v[6];
  int32_t q[6];
  int32_t d[6];
};
extern TEXTURESTATE Texture;

// ---- Scene 3: concentric rings -----------------------------------------------------------
void SceneRings();
void DemoDrawRings(IMG* image, int32_t x, int32_t y, int32_t w, int32_t h, uint8_t colour);

// ---- Scene 4: random mosaic -------------------------------------------------------------
void SceneMosaic();
void MosaicRecord(int32_t x, int32_t y, int32_t w, int32_t h, uint8_t colour, int32_t level);
void MosaicRedraw();
void MosaicStep(int32_t x, int32_t y, int32_t w, int32_t h, uint8_t colour);
// The rectangle list: 1024 records of x, y, w, h, colour; positions count values.
inline constexpr int32_t MosaicListSize = 5120;
extern int32_t MosaicList[MosaicListSize];
extern int32_t MosaicWritePos;
extern int32_t MosaicHighWater;
void MosaicClearList();
