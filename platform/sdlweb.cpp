// sdlweb.cpp - the SDL 1.2 calls that Emscripten's SDL (a canvas and Web Audio) lacks, gets
// wrong or makes too costly for this program. Built into the platform library only for the
// browser.
//
// Emscripten keeps every surface as a canvas whose pixels are bytes R, G, B, A (premultiplied
// by the browser), with the surface's `pixels` block as a copy that SDL_LockSurface and
// SDL_UnlockSurface move to and from the canvas. Its own SDL_CreateRGBSurfaceFrom copies the
// caller's bytes as they stand, ignoring the masks and the row length, so a picture of
// 0x00RRGGBB words arrives with red and blue swapped and fully transparent; and each surface it
// makes costs a canvas. The display's present (lend the picture, convert it, blit it, free both)
// therefore runs on surfaces of this file's own, in memory, that honour the masks and the row
// length and, like SDL_DisplayFormat on the desktop, convert to an opaque copy; the blit onto
// the screen is one putImageData. SDL_Quit tells the page that the program has ended.
#ifdef __EMSCRIPTEN__
#include "platform/sdlweb.h"

#include <SDL.h>
#include <emscripten.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>

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

// Puts the w x h rectangle at (sx, sy) of a block of canvas words (rows of `rowWords` words,
// `rows` rows) on the canvas of Emscripten's surface `target`, its corner at (x, y). `view`
// names the block's slot: the ImageData over the block, a view of the program's memory, is kept
// there and remade only when the block, its size or the memory itself (after growing) changed.
// `blend`: the words carry alpha to blend with what the canvas shows, as a source with an alpha
// channel does on the desktop; putImageData replaces pixels, so these go through one canvas kept
// for the purpose and drawImage. A target other than the screen has its pixels block refreshed
// afterwards, as Emscripten's own blits do.
EM_JS(void, PutCanvasWords, (int view, const void* block, int rowWords, int rows, int sx, int sy,
                             int w, int h, int x, int y, SDL_Surface* target, int blend), {
  var views = SDL.k8Views || (SDL.k8Views = []);
  var image = views[view];
  if (!image || image.k8Block !== block || image.width !== rowWords || image.height !== rows ||
      image.data.buffer !== HEAPU8.buffer) {
    image = new ImageData(new Uint8ClampedArray(HEAPU8.buffer, block, rowWords * rows * 4),
                          rowWords, rows);
    image.k8Block = block;
    views[view] = image;
  }
  var into = SDL.surfaces[target];
  if (!blend) {
    into.ctx.putImageData(image, x - sx, y - sy, sx, sy, w, h);
  } else {
    var mix = SDL.k8Blend;
    if (!mix) {
      mix = SDL.k8Blend = document.createElement('canvas');
      mix.k8Context = mix.getContext('2d');
    }
    if (mix.width < rowWords || mix.height < rows) {
      mix.width = Math.max(mix.width, rowWords);
      mix.height = Math.max(mix.height, rows);
    }
    mix.k8Context.putImageData(image, 0, 0, sx, sy, w, h);
    into.ctx.drawImage(mix, sx, sy, w, h, x, y, w, h);
  }
  if (target !== SDL.screen) {
    _SDL_LockSurface(target);
    into.locked--;
  }
});

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
  if (sx < 0) {
    w += sx;
    dx -= sx;
    sx = 0;
  }
  if (sy < 0) {
    h += sy;
    dy -= sy;
    sy = 0;
  }
  w = std::min<int64_t>(w, src->w - sx);
  h = std::min<int64_t>(h, src->h - sy);
  if (dx < 0) {
    w += dx;
    sx -= dx;
    dx = 0;
  }
  if (dy < 0) {
    h += dy;
    sy -= dy;
    dy = 0;
  }
  w = std::min<int64_t>(w, dst->w - dx);
  h = std::min<int64_t>(h, dst->h - dy);
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
  // SDL_UnlockSurface would upload too, but the lock first reads the whole canvas back.
  EM_ASM({
    var canvas = SDL.surfaces[$0];
    var image = canvas.ctx.createImageData(canvas.width, canvas.height);
    image.data.set(HEAPU8.subarray($1, $1 + canvas.width * canvas.height * 4));
    canvas.ctx.putImageData(image, 0, 0);
  }, surface, surface->pixels);
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
    return EM_ASM_INT({ return SDL.blitSurface($0, $1, $2, $3, false); }, src, srcrect, dst,
                      dstrect);
  }
  SDL_Rect to = dstrect ? SDL_Rect{dstrect->x, dstrect->y, 0, 0} : SDL_Rect{0, 0, 0, 0};
  SDL_Rect part;
  const bool visible = ClipBlit(src, srcrect, dst, &part, &to);
  if (dstrect) *dstrect = to;
  if (!visible) return 0;
  const int view = static_cast<int>(from - slots);
  if (from->converted) {
    PutCanvasWords(view, from->block, src->w, src->h, part.x, part.y, part.w, part.h, to.x, to.y,
                   dst, 0);
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
  PutCanvasWords(kScratchView, block, part.w, part.h, 0, 0, part.w, part.h, to.x, to.y, dst,
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
  EM_ASM({ SDL.freeSurface($0); }, surface);
}

}  // extern "C"

namespace {

// ---- Sound ----------------------------------------------------------------------------------
// Emscripten's SDL audio makes a new AudioBuffer for every callback's block, leaves the block as
// the previous callback wrote it (SDL 1.2 hands the callback silence) and keeps timers that
// outlive the program. Here the blocks go through a ring of AudioBuffers made when the device
// opens; per block only the AudioBufferSourceNode that Web Audio requires is new (a source plays
// once). The callback runs on the browser's main thread between the program's frames, as SDL's
// audio thread would run it between the main thread's locks.

struct WebAudio {
  SDL_AudioSpec opened;  // format, channels, samples, callback, userdata
  uint8_t* block;      // one callback's bytes
  int bytes;
  bool open;
  bool paused;
};
WebAudio audio;

int BytesPerSample(SDL_AudioFormat format) {
  if (format == AUDIO_S16LSB) return 2;
  if (format == AUDIO_U8) return 1;
  return 0;
}

// Opens output on the page's AudioContext (Module.audioContext, else a context of its own):
// `ring` AudioBuffers of `frames` frames at `rate`, scheduled `ahead` buffers in advance. False
// without Web Audio.
EM_JS(int, OpenWebAudio, (int rate, int channels, int frames, int bytesPerSample, int ring,
                          int ahead), {
  SDL.openAudioContext();
  var context = SDL.audioContext;
  if (!context) return 0;
  var buffers = [];
  try {
    for (var i = 0; i < ring; i++) buffers.push(context.createBuffer(channels, frames, rate));
  } catch (e) {
    return 0;  // a rate or size this browser does not play
  }
  var out = {
    context: context, buffers: buffers, next: 0, channels: channels, frames: frames,
    bytesPerSample: bytesPerSample, seconds: frames / rate, ahead: ahead, playAt: 0, timer: 0,
    samples: [],
  };
  for (var c = 0; c < channels; c++) out.samples.push(new Float32Array(frames));
  // Tops up the schedule, one callback per missing buffer, and looks again when the next
  // buffer will be missing: about one wake-up per buffer played.
  out.feed = function() {
    out.timer = 0;
    if (ABORT) return;
    var lead = 0.05;  // the browser's own start-up and jitter
    var full = lead + out.seconds * out.ahead;
    while (out.playAt - context.currentTime < full) {
      var at = Math.max(context.currentTime + lead, out.playAt);
      var block = _K8WebAudioFill();
      if (!block) return;  // closed meanwhile
      out.play(block, at);
      out.playAt = at + out.seconds;
    }
    var wait = out.playAt - context.currentTime - (full - out.seconds);
    out.timer = setTimeout(out.feed, Math.max(10, wait * 1000));
  };
  out.play = function(block, at) {
    var buffer = out.buffers[out.next];
    out.next = (out.next + 1) % out.buffers.length;
    var channels = out.channels, frames = out.frames;
    for (var c = 0; c < channels; c++) {
      var samples = out.samples[c];
      if (out.bytesPerSample == 2) {
        var words = block >> 1;
        for (var j = 0; j < frames; j++) samples[j] = HEAP16[words + j * channels + c] / 32768;
      } else {
        for (var k = 0; k < frames; k++) {
          samples[k] = (HEAPU8[block + k * channels + c] - 128) / 128;
        }
      }
      buffer.copyToChannel(samples, c);
    }
    var source = context.createBufferSource();
    source.buffer = buffer;
    source.connect(context.destination);
    source.start(at);
  };
  SDL.k8Audio = out;
  return 1;
});

// Starts or stops the callbacks; nothing already scheduled is taken back.
EM_JS(void, PauseWebAudio, (int pause), {
  var out = SDL.k8Audio;
  if (!out) return;
  if (pause) {
    clearTimeout(out.timer);
    out.timer = 0;
  } else if (!out.timer) {
    out.timer = setTimeout(out.feed, 0);
  }
});

EM_JS(void, CloseWebAudio, (void), {
  var out = SDL.k8Audio;
  if (!out) return;
  clearTimeout(out.timer);
  SDL.k8Audio = null;
});

}  // namespace

extern "C" {

// One callback's block, started as silence as SDL 1.2 starts it; for the page's feed above.
EMSCRIPTEN_KEEPALIVE uint8_t* K8WebAudioFill(void) {
  if (!audio.open) return nullptr;
  std::memset(audio.block, audio.opened.format == AUDIO_U8 ? 0x80 : 0, audio.bytes);
  audio.opened.callback(audio.opened.userdata, audio.block, audio.bytes);
  return audio.block;
}

// Signed 16-bit or unsigned 8-bit samples, one or two channels, 8000 to 96000 per second (what
// every browser's Web Audio plays), a power of two from 128 to 32768 frames per callback; the
// desired format is the one opened. -1, nothing opened, for anything else or a second open.
int SDL_OpenAudio(SDL_AudioSpec* desired, SDL_AudioSpec* obtained) {
  constexpr int kQueued = 5;  // buffers scheduled ahead: Emscripten's depth, safe under jitter
  constexpr int kSpare = 3;   // a buffer is written again only after it has played
  if (audio.open || !desired || !desired->callback) return -1;
  const int bytesPerSample = BytesPerSample(desired->format);
  const int frames = desired->samples, channels = desired->channels;
  if (!bytesPerSample || channels < 1 || channels > 2 || desired->freq < 8000 ||
      desired->freq > 96000 || frames < 128 || frames > 32768 || (frames & (frames - 1)))
    return -1;
  const int bytes = frames * channels * bytesPerSample;
  auto* block = static_cast<uint8_t*>(std::malloc(bytes));
  if (!block) return -1;
  if (!OpenWebAudio(desired->freq, channels, frames, bytesPerSample, kQueued + kSpare, kQueued)) {
    std::free(block);
    return -1;
  }
  audio.opened = *desired;
  audio.opened.silence = desired->format == AUDIO_U8 ? 0x80 : 0;
  audio.opened.size = static_cast<Uint32>(bytes);
  audio.block = block;
  audio.bytes = bytes;
  audio.open = true;
  audio.paused = true;
  if (obtained) *obtained = audio.opened;
  return 0;
}

void SDL_PauseAudio(int pause_on) {
  if (!audio.open) return;
  audio.paused = pause_on != 0;
  PauseWebAudio(audio.paused ? 1 : 0);
}

// Stops the callbacks; what is already scheduled (at most half a second) still plays out.
void SDL_CloseAudio(void) {
  if (!audio.open) return;
  CloseWebAudio();
  std::free(audio.block);
  audio = WebAudio{};
}

// Stopped without an opened device, else playing or paused as SDL_PauseAudio last said.
SDL_AudioStatus SDL_GetAudioStatus(void) {
  if (!audio.open) return SDL_AUDIO_STOPPED;
  return audio.paused ? SDL_AUDIO_PAUSED : SDL_AUDIO_PLAYING;
}

// The end of the program for the page around it. Emscripten's own SDL_Quit only stops SDL_mixer
// channels (this program has none) and the runtime never learns that main has returned: its
// audio timers, stopped by SDL_PauseAudio, still count as pending work. So quitting SDL closes
// the audio and tells the page (Module.onQuit), once main has returned and the browser has the
// thread again.
void SDL_Quit(void) {
  SDL_CloseAudio();
  EM_ASM({
    if (Module['onQuit']) setTimeout(Module['onQuit'], 0);
  });
}

}  // extern "C"

int32_t SDLWEBKeySym(int32_t code) {
  constexpr int32_t kScancodeKey = 1 << 10;
  if (!(code & kScancodeKey)) return code;  // characters, Escape, Delete: as on the desktop
  const int32_t scancode = code & ~kScancodeKey;
  if (scancode >= 58 && scancode <= 69) return 282 + scancode - 58;    // F1 to F12
  if (scancode >= 104 && scancode <= 106) return 294 + scancode - 104; // F13 to F15
  if (scancode >= 89 && scancode <= 97) return 257 + scancode - 89;    // keypad 1 to 9
  switch (scancode) {
    case 98: return 256;   // keypad 0
    case 99: return 266;   // keypad .
    case 84: return 267;   // keypad /
    case 85: return 268;   // keypad *
    case 86: return 269;   // keypad -
    case 87: return 270;   // keypad +
    case 88: return 271;   // keypad Enter
    case 82: return 273;   // up
    case 81: return 274;   // down
    case 79: return 275;   // right
    case 80: return 276;   // left
    case 73: return 277;   // Insert
    case 74: return 278;   // Home
    case 77: return 279;   // End
    case 75: return 280;   // Page Up
    case 78: return 281;   // Page Down
    case 83: return 300;   // Num Lock
    case 57: return 301;   // Caps Lock
    case 229: return 303;  // right Shift
    case 225: return 304;  // left Shift
    case 228: return 305;  // right Ctrl
    case 224: return 306;  // left Ctrl
    case 230: return 307;  // right Alt
    case 226: return 308;  // left Alt
    case 227: return 311;  // left Super
    case 231: return 312;  // right Super
    case 101: return 319;  // Menu
    default: return 0;     // no SDL 1.2 key
  }
}
#endif
