// sdlwebvideo.cpp - the browser build's surfaces and their blits: the SDL 1.2 surface calls
// that Emscripten's SDL gets wrong or makes too costly for this program's present.
//
// Emscripten keeps every surface as a canvas whose pixels are bytes R, G, B, A (premultiplied
// by the browser), with the surface's `pixels` block as a copy that SDL_LockSurface and
// SDL_UnlockSurface move to and from the canvas. Its own SDL_CreateRGBSurfaceFrom copies the
// caller's bytes as they stand, ignoring the masks and the row length, so a picture of
// 0x00RRGGBB words arrives with red and blue swapped and fully transparent; and each surface it
// makes costs a canvas. The display's present (lend the picture, convert it, blit it, free both)
// therefore runs on surfaces of this file's own, in memory, that honour the masks and the row
// length and, like SDL_DisplayFormat on the desktop, convert to an opaque copy; the blit onto
// the screen is one putImageData.
#include <SDL.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>

// The canvas side, in web/library.js.
extern "C" {
// Puts the w x h rectangle at (sx, sy) of a block of canvas words (rows of `rowWords` words,
// `rows` rows) on the canvas of Emscripten's surface `target`, its corner at (x, y). `view`
// names the block's slot: the ImageData over the block, a view of the program's memory, is kept
// there. `blend`: the words carry alpha to blend with what the canvas shows, as a source with
// an alpha channel does on the desktop.
void K8WebPutCanvasWords(int view, const void* block, int rowWords, int rows, int sx, int sy,
                         int w, int h, int x, int y, SDL_Surface* target, int blend);
// Copies the whole of `pixels`, the canvas words of Emscripten's surface `surface`, to its canvas.
void K8WebUploadCanvas(SDL_Surface* surface, const void* pixels);
// Emscripten's own blit and free, for its own surfaces.
int K8WebBlitCanvas(SDL_Surface* src, const SDL_Rect* srcrect, SDL_Surface* dst,
                    SDL_Rect* dstrect);
void K8WebFreeCanvas(SDL_Surface* surface);
}

namespace {

// Canvas pixel layout: bytes R, G, B, A, read as one little-endian word.
constexpr uint32_t kCanvasRed = 0x000000FFu;
constexpr uint32_t kCanvasGreen = 0x0000FF00u;
constexpr uint32_t kCanvasBlue = 0x00FF0000u;
constexpr uint32_t kCanvasAlpha = 0xFF000000u;
// The layout of the program's own pictures (IMG words), converted without per-channel shifts.
constexpr uint32_t kWordRed = 0x00FF0000u;
constexpr uint32_t kWordGreen = 0x0000FF00u;
constexpr uint32_t kWordBlue = 0x000000FFu;

int Shift(uint32_t mask) { return mask ? __builtin_ctz(mask) : 0; }

// How a 32-bit source's words map to canvas words: one shift per channel, precomputed.
struct Layout {
  uint32_t rmask, gmask, bmask, amask;
  int rshift, gshift, bshift, ashift;
  bool opaque;  // no alpha channel, or one that the conversion drops
};

Layout LayoutOf(uint32_t rmask, uint32_t gmask, uint32_t bmask, uint32_t amask, bool opaque) {
  return {rmask,        gmask,        bmask,        amask, Shift(rmask),
          Shift(gmask), Shift(bmask), Shift(amask), opaque || !amask};
}

// Writes a w x h block of canvas words (row length `outWords` words) from `source` (row length
// `pitch` bytes, channels under the layout's masks; 8 bits of each are kept, which is all of
// every channel in the 32-bit formats this program uses).
void WriteCanvasWords(uint32_t* out, int outWords, const uint8_t* source, int pitch, int w, int h,
                      const Layout& l) {
  const bool imgWords = l.opaque && l.rmask == kWordRed && l.gmask == kWordGreen &&
                        l.bmask == kWordBlue;
  for (int y = 0; y < h; ++y) {
    const auto* row = reinterpret_cast<const uint32_t*>(source + static_cast<size_t>(y) * pitch);
    uint32_t* to = out + static_cast<size_t>(y) * outWords;
    if (imgWords) {  // 0x00RRGGBB to bytes R, G, B, 255: one byte swap
      for (int x = 0; x < w; ++x) to[x] = __builtin_bswap32(row[x]) >> 8 | kCanvasAlpha;
      continue;
    }
    for (int x = 0; x < w; ++x) {
      const uint32_t p = row[x];
      const uint32_t a = l.opaque ? 0xFFu : ((p & l.amask) >> l.ashift) & 0xFFu;
      to[x] = (((p & l.rmask) >> l.rshift) & 0xFFu) | (((p & l.gmask) >> l.gshift) & 0xFFu) << 8 |
              (((p & l.bmask) >> l.bshift) & 0xFFu) << 16 | a << 24;
    }
  }
}

// ---- Surfaces in the program's memory --------------------------------------------------------
// Emscripten keeps every surface as a canvas element: making one sizes a canvas (which clears
// and reallocates its backing store), and every copy to it goes through a new ImageData. The
// display makes two surfaces per frame, so the surfaces of SDL_CreateRGBSurfaceFrom and
// SDL_DisplayFormat live here instead, as plain blocks of memory in a few reused slots, and
// reach a canvas only when blitted: one putImageData of a view over the block, made once per
// slot. A present therefore allocates nothing once the slots have their blocks.

// A slot: the SDL_Surface handed out (first, so the two addresses are one), its format, and a
// block of canvas words that the slot keeps between uses.
struct WebSurface {
  SDL_Surface surface;
  SDL_PixelFormat format;
  bool inUse;
  bool converted;  // the pixels are `block`, opaque canvas words; else they are lent
  uint32_t* block;  // canvas words, owned by the slot; null until a conversion needs one
  size_t capacity;  // words in `block`
};

// The display holds two at a time; the rest is headroom. With every slot taken, the calls fall
// back to Emscripten's canvas surfaces.
constexpr int kSlots = 8;
WebSurface slots[kSlots];

// Whether `surface` is one of this layer's, in use or already freed.
bool IsSlot(const SDL_Surface* surface) {
  for (const WebSurface& slot : slots)
    if (surface == &slot.surface) return true;
  return false;
}

// The slot of a surface of this layer that is in use; null for any other surface.
WebSurface* SlotOf(SDL_Surface* surface) {
  for (WebSurface& slot : slots)
    if (surface == &slot.surface) return slot.inUse ? &slot : nullptr;
  return nullptr;
}

// A free slot for a surface needing `words` words of block (0: the caller's block is lent): the
// smallest block that is large enough, so lending and converting keep to their own slots.
WebSurface* FreeSlot(size_t words) {
  WebSurface* best = nullptr;
  for (WebSurface& slot : slots) {
    if (slot.inUse) continue;
    const bool fits = slot.capacity >= words;
    if (!best || (fits && (best->capacity < words || slot.capacity < best->capacity)) ||
        (!fits && best->capacity < words && slot.capacity > best->capacity))
      best = &slot;
  }
  return best;
}

bool GiveBlock(WebSurface* slot, size_t words) {
  if (slot->capacity >= words) return true;
  std::free(slot->block);
  slot->block = static_cast<uint32_t*>(std::malloc(words * 4));
  slot->capacity = slot->block ? words : 0;
  return slot->block != nullptr;
}

// Fills in a slot's surface: w x h, 32 bits, the given masks, pixels at `pixels` with rows of
// `pitch` bytes. SDL_PREALLOC: SDL_FreeSurface leaves the pixels alone.
SDL_Surface* Open(WebSurface* slot, void* pixels, int w, int h, int pitch, uint32_t rmask,
                  uint32_t gmask, uint32_t bmask, uint32_t amask) {
  slot->format = SDL_PixelFormat{};
  slot->format.BitsPerPixel = 32;
  slot->format.BytesPerPixel = 4;
  slot->format.Rmask = rmask;
  slot->format.Gmask = gmask;
  slot->format.Bmask = bmask;
  slot->format.Amask = amask;
  slot->format.Rshift = static_cast<Uint8>(Shift(rmask));
  slot->format.Gshift = static_cast<Uint8>(Shift(gmask));
  slot->format.Bshift = static_cast<Uint8>(Shift(bmask));
  slot->format.Ashift = static_cast<Uint8>(Shift(amask));
  slot->format.refcount = 1;
  slot->surface = SDL_Surface{};
  slot->surface.flags = SDL_PREALLOC | (amask ? SDL_SRCALPHA : 0);
  slot->surface.format = &slot->format;
  slot->surface.w = w;
  slot->surface.h = h;
  slot->surface.pitch = pitch;
  slot->surface.pixels = pixels;
  slot->surface.clip_rect = SDL_Rect{0, 0, static_cast<Uint16>(w), static_cast<Uint16>(h)};
  slot->surface.refcount = 1;
  slot->inUse = true;
  slot->converted = false;
  return &slot->surface;
}

// The conversion of a lent picture for a blit: one block, kept and grown, and its view slot.
constexpr int kScratchView = kSlots;
uint32_t* scratch = nullptr;
size_t scratchWords = 0;

uint32_t* Scratch(size_t words) {
  if (scratchWords >= words) return scratch;
  std::free(scratch);
  scratch = static_cast<uint32_t*>(std::malloc(words * 4));
  scratchWords = scratch ? words : 0;
  return scratch;
}

// One axis of SDL 1.2's blit clipping: the run of `length` pixels at `at` on a surface `side`
// pixels long is cut to that surface, and `other`, where the run stands on the other surface of
// the blit, moves alike.
void ClipAxis(int64_t& at, int64_t& other, int64_t& length, int64_t side) {
  if (at < 0) {
    length += at;
    other -= at;
    at = 0;
  }
  length = std::min(length, side - at);
}

// SDL 1.2's blit clipping: the source rectangle (whole source when none) within the source, the
// destination within the target's bounds, both moved alike. Leaves `from` at the part of the
// source drawn and `to` at where it lands; false when nothing is left to draw. Works in 64 bits:
// the rectangles are the caller's ints, whatever they hold.
bool ClipBlit(const SDL_Surface* src, const SDL_Rect* srcrect, const SDL_Surface* dst,
              SDL_Rect* from, SDL_Rect* to) {
  int64_t sx = 0, sy = 0, w = src->w, h = src->h, dx = to->x, dy = to->y;
  if (srcrect) {
    sx = srcrect->x;
    sy = srcrect->y;
    w = srcrect->w;
    h = srcrect->h;
  }
  ClipAxis(sx, dx, w, src->w);
  ClipAxis(sy, dy, h, src->h);
  ClipAxis(dx, sx, w, dst->w);
  ClipAxis(dy, sy, h, dst->h);
  const bool visible = w > 0 && h > 0;
  // Within the surfaces' ints whenever something is drawn; the corner stays where the caller
  // asked (moved by the source's clipping) otherwise, as SDL 1.2 leaves it.
  *from = visible ? SDL_Rect{int(sx), int(sy), int(w), int(h)} : SDL_Rect{0, 0, 0, 0};
  *to = visible ? SDL_Rect{int(dx), int(dy), int(w), int(h)}
                : SDL_Rect{int(std::clamp<int64_t>(dx, INT32_MIN, INT32_MAX)),
                           int(std::clamp<int64_t>(dy, INT32_MIN, INT32_MAX)), 0, 0};
  return visible;
}

// The limit of SDL 1.2's surfaces, which also keeps width x height x 4 within memory's 32 bits.
constexpr int kMaxSide = 16383;

bool FitsSurface(int width, int height) {
  return width > 0 && height > 0 && width <= kMaxSide && height <= kMaxSide;
}

// Emscripten's own kind of surface, a canvas, holding the converted w x h words of `source`:
// what the calls below make when every slot is taken.
SDL_Surface* CanvasSurface(const uint8_t* source, int w, int h, int pitch, const Layout& layout) {
  SDL_Surface* surface = SDL_CreateRGBSurface(0, w, h, 32, kCanvasRed, kCanvasGreen, kCanvasBlue,
                                              layout.opaque ? 0 : kCanvasAlpha);
  if (!surface) return nullptr;
  if (!surface->pixels) {  // every surface of Emscripten's without SDL_HWSURFACE has one
    SDL_FreeSurface(surface);
    return nullptr;
  }
  WriteCanvasWords(static_cast<uint32_t*>(surface->pixels), w, source, pitch, w, h, layout);
  K8WebUploadCanvas(surface, surface->pixels);
  return surface;
}

}  // namespace

extern "C" {

// A surface over the caller's 32-bit picture, lent as on the desktop: the pixels stay the
// caller's and are read when the surface is converted or blitted.
SDL_Surface* SDL_CreateRGBSurfaceFrom(void* pixels, int width, int height, int depth, int pitch,
                                      Uint32 rmask, Uint32 gmask, Uint32 bmask, Uint32 amask) {
  if (!pixels || depth != 32 || !FitsSurface(width, height) || pitch < width * 4 ||
      pitch % 4 != 0 || reinterpret_cast<uintptr_t>(pixels) % 4 != 0)
    return nullptr;
  if (WebSurface* slot = FreeSlot(0))
    return Open(slot, pixels, width, height, pitch, rmask, gmask, bmask, amask);
  return CanvasSurface(static_cast<const uint8_t*>(pixels), width, height, pitch,
                       LayoutOf(rmask, gmask, bmask, amask, false));
}

// The display's format is the page canvas's, without alpha: the copy is opaque whatever the
// source's alpha said. An Emscripten surface's block is read as it stands (Emscripten keeps it
// in step with the canvas after its own blits), never its premultiplied canvas, which has lost
// the colour of every transparent pixel.
SDL_Surface* SDL_DisplayFormat(SDL_Surface* surface) {
  if (!surface || !surface->pixels || !surface->format || surface->format->BytesPerPixel != 4 ||
      !FitsSurface(surface->w, surface->h))
    return nullptr;
  const SDL_PixelFormat* f = surface->format;
  const Layout layout = LayoutOf(f->Rmask, f->Gmask, f->Bmask, f->Amask, true);
  const auto* source = static_cast<const uint8_t*>(surface->pixels);
  const int w = surface->w, h = surface->h;
  const size_t words = static_cast<size_t>(w) * static_cast<size_t>(h);
  WebSurface* slot = FreeSlot(words);
  if (!slot || !GiveBlock(slot, words)) return CanvasSurface(source, w, h, surface->pitch, layout);
  WriteCanvasWords(slot->block, w, source, surface->pitch, w, h, layout);
  SDL_Surface* converted = Open(slot, slot->block, w, h, w * 4, kCanvasRed, kCanvasGreen,
                                kCanvasBlue, 0);
  slot->converted = true;
  return converted;
}

// Blits from this layer's surfaces onto Emscripten's (the screen among them) with one
// putImageData; Emscripten's own surfaces blit as Emscripten does. A surface of this layer
// cannot be a target: -1, nothing drawn.
int SDL_UpperBlit(SDL_Surface* src, const SDL_Rect* srcrect, SDL_Surface* dst, SDL_Rect* dstrect) {
  if (!src || !dst || IsSlot(dst)) return -1;
  WebSurface* from = SlotOf(src);
  if (!from) {
    if (IsSlot(src)) return -1;  // freed already
    return K8WebBlitCanvas(src, srcrect, dst, dstrect);
  }
  SDL_Rect to = dstrect ? SDL_Rect{dstrect->x, dstrect->y, 0, 0} : SDL_Rect{0, 0, 0, 0};
  SDL_Rect part;
  const bool visible = ClipBlit(src, srcrect, dst, &part, &to);
  if (dstrect) *dstrect = to;
  if (!visible) return 0;
  const int view = static_cast<int>(from - slots);
  if (from->converted) {
    K8WebPutCanvasWords(view, from->block, src->w, src->h, part.x, part.y, part.w, part.h, to.x,
                        to.y, dst, 0);
    return 0;
  }
  const size_t words = static_cast<size_t>(part.w) * static_cast<size_t>(part.h);
  uint32_t* block = Scratch(words);
  if (!block) return -1;
  const SDL_PixelFormat* f = src->format;
  const Layout layout = LayoutOf(f->Rmask, f->Gmask, f->Bmask, f->Amask, false);
  const auto* corner = static_cast<const uint8_t*>(src->pixels) +
                       static_cast<size_t>(part.y) * src->pitch + static_cast<size_t>(part.x) * 4;
  WriteCanvasWords(block, part.w, corner, src->pitch, part.w, part.h, layout);
  K8WebPutCanvasWords(kScratchView, block, part.w, part.h, 0, 0, part.w, part.h, to.x, to.y, dst,
                      layout.opaque ? 0 : 1);
  return 0;
}

// A surface of this layer goes back to its slot, which keeps its block for the next one.
void SDL_FreeSurface(SDL_Surface* surface) {
  if (!surface) return;
  if (IsSlot(surface)) {
    reinterpret_cast<WebSurface*>(surface)->inUse = false;
    return;
  }
  K8WebFreeCanvas(surface);
}

}  // extern "C"
