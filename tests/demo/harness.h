// Runs the whole demo in-process and headless: start-up, the scene ring and shutdown, with a
// scripted frame clock (20 ms per frame, no sleeping), key presses pushed as SDL events at
// chosen frames, and every presented picture recorded.
//
// Pictures are grouped by the fades between them: every scene opens with 32 fade steps and
// shutdown adds 32 more, so visit v (0-based) is the v-th run of a scene (scene v % 4 + 1)
// and the last group holds the shutdown fade and no frames.
#pragma once
#include <SDL.h>

#include <cstdint>
#include <functional>
#include <map>
#include <utility>
#include <vector>

struct VisitLog {
  int fades = 0;                 // fade steps before the visit's frames
  int frames = 0;                // presented frames
  std::vector<uint64_t> hashes;  // one per presented frame, when the script records them
};

struct DemoScript {
  // (visit, frame within the visit) -> keys pressed in that frame, in order.
  std::map<std::pair<int, int>, std::vector<SDLKey>> keys;
  // Called for every presented frame (after it is shown, before its keys are read).
  std::function<void(int visit, int frame)> onFrame;
  // Escape is pressed in every frame from this many frames on, so no run goes on for ever.
  int frameLimit = 60000;
  // SDL_AUDIODRIVER for the run ("dummy" unless a test asks for another).
  const char* audioDriver = "dummy";
  // Called after start-up, before the ring (the program state exists).
  std::function<void()> afterStartUp;
  // Hash every frame. Off, the log allocates nothing while the demo runs (for memory
  // measurements); the first 64 visits are logged.
  bool recordHashes = true;

  void Press(int visit, int frame, SDLKey key) { keys[{visit, frame}].push_back(key); }
};

struct DemoRunLog {
  std::vector<VisitLog> visits;  // the last entry is shutdown's fade
  int frames = 0;
  // Frames of visit v (a scene run); the shutdown entry is not counted as a visit.
  int SceneVisits() const { return static_cast<int>(visits.size()) - 1; }
};

// Runs start-up, the ring and shutdown under the script, then DemoReset.
DemoRunLog RunDemo(const DemoScript& script);

// FNV-1a of the screen, leaving out the panel's "video:" value (x < 64, rows 96 to 103),
// which shows the screen image's address and so differs between runs.
uint64_t HashScreen();

// True when the 64 x 40 logo area at the top left holds a white glyph pixel.
bool LogoVisible();

// An independent model of scene 1's first run after start-up: the generator's draws for
// the splits and for the music events (5 draws every 300 frames from the first), and the
// frames that the subdivision shows. exitFrame >= 0: a key sets the exit request in that
// frame (0-based). Returns the number of subdivision frames.
int ModelFirstSubdivision(int exitFrame = -1);
