// sdlwebkeys.cpp - the browser build's key codes: Emscripten's key codes to SDL 1.2's key
// symbols (sdlweb.h).
#include "platform/sdlkbdsym.h"
#include "platform/sdlweb.h"

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

int32_t SDLKBDSymbol(int32_t sym) { return SDLWEBKeySym(sym); }
