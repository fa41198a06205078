// keyscript.h - KEYSCRIPT, key presses scripted by present number, shared by the frame log and
// the capture so that both press the same keys at the same frames.
//
// The text form is "N:KEY N:KEY ...": N a present number counted from 0, strictly rising; KEY
// one character, "space" or "escape". Entries are separated by spaces, commas, tabs or line
// ends; a '#' where an entry would start begins a comment that runs to the end of its line (the
// form of a key script file). A press is one key-down event pushed right after present N: the frame that showed
// present N reads it (after a step of a fade, the next frame does). No key-up is sent: the
// program clears its key byte after each frame.
#pragma once
#include <SDL.h>

#include <cstddef>
#include <string>
#include <vector>

/// One scripted press: the key goes down right after present `present`.
struct KEYPRESS {
  long present;  ///< the present after which the key goes down, from 0
  SDLKey key;    ///< the key's SDL 1.2 symbol
};

/// A parsed script and how far it has been played.
struct KEYSCRIPT {
  std::vector<KEYPRESS> presses;  ///< in script order, presents strictly rising
  size_t next = 0;                ///< the first press not yet pushed
};

/// Parses `text` into `script` (replacing what it held, next = 0). Returns false, with
/// `script` emptied and a short reason in *why (when why is not null), for a present number
/// that is missing, negative, too large or not above the previous one, a missing ':', or a
/// key it does not know. An empty text (or only comments) is a script without presses.
bool KEYSCRIPTParse(const char* text, KEYSCRIPT* script, std::string* why);
/// Reads the file at `path` and parses it as KEYSCRIPTParse does. Returns false, with a reason
/// in *why, when the file cannot be read or does not parse.
bool KEYSCRIPTReadFile(const char* path, KEYSCRIPT* script, std::string* why);
/// Pushes, as SDL key-down events, the presses due right after present `present` (those with
/// that number), and moves `next` past them and past any number already gone by.
void KEYSCRIPTPush(KEYSCRIPT* script, long present);
/// Whether any press is still to be pushed.
inline bool KEYSCRIPTPending(const KEYSCRIPT& script) {
  return script.next < script.presses.size();
}
/// Pushes one key-down event for `key` on SDL's event queue.
void KEYSCRIPTPushKey(SDLKey key);
