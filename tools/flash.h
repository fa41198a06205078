// flash.h - measures a sequence of frames for flashing by the WCAG 2.x rules for general and red
// flashes, as the tool flashcheck reports them for a capture of the show.
//
// Each frame is cut into square blocks, their side given in screen pixels so that the picture
// is measured as a viewer sees it at the stated size. A block's state is the mean of its
// pixels' linear colour (sRGB decoded), giving its relative luminance
// L = 0.2126 R + 0.7152 G + 0.0722 B and its red measures R / (R + G + B) and
// max(0, (R - G - 0.05) * 320).
//   - A general transition is a change of L by 0.1 or more, measured from the brightest (or
//     darkest) state since the last transition, where the darker state is below 0.8.
//   - A red transition is a change of (R - G - 0.05) * 320 by more than 20, measured the same
//     way, to or from a state with R / (R + G + B) >= 0.8.
//   - A flash is a pair of opposing transitions: a block's flashes in one second are half its
//     transitions in the `rate` frame changes up to that frame, rounded down.
// A frame is over the limit when the blocks with more than 3 flashes in the second up to it
// cover more than a quarter of some 10-degree field. The field is WCAG's own: a third of the
// screen's width by a third of its height (341 x 256 of 1024 x 768), here of the screen in
// FLASHVIEW with the picture shown `pictureHeight` pixels tall, converted to picture pixels.
//
// Scenes are found by the program's fades: 32 frames, each the one before with red, green and
// blue lowered by 8 (stopping at 0), the last one black; black frames right after a fade belong
// to it. A capture starts with one (the opening fade of scene 1, over a black screen), so the
// frames after the k-th fade are scene (k - 1) mod 4 + 1, the ring's order; frames before any
// fade are scene 0. Each scene's seconds count from its first frame; a remainder under half a
// second is part of its last second. The measurement runs over the frames as shown, fades and
// scene changes included, so a flash at the end of one scene still counts in the next one's
// first second.
#pragma once
#include <cstdint>
#include <vector>

#include "image/img.h"

/// How the frames are seen. The defaults: the capture's 256 x 256 pictures scaled 4 times
/// (1024 pixels tall, the capture's .mp4) on a 1920 x 1080 screen, blocks of 16 x 16 screen
/// pixels (4 x 4 of the picture), 50 frames a second.
struct FLASHVIEW {
  int32_t screenWidth = 1920;    ///< the screen, in screen pixels
  int32_t screenHeight = 1080;
  int32_t pictureHeight = 1024;  ///< the picture's height on that screen, in screen pixels
  int32_t block = 16;            ///< side of a block, in screen pixels (at least 1 picture pixel)
  int32_t rate = 50;             ///< frames a second
};

/// Seconds over the limit in one stretch of frames (a scene, or the whole sequence).
struct FLASHPART {
  int32_t scene = 0;      ///< 1 to 4 in the ring's order; 0 before the first fade or the whole
  int64_t first = 0;      ///< its first frame, counted from 0
  int64_t frames = 0;     ///< how many frames it has
  int32_t seconds = 0;    ///< how many seconds they make (at least 1)
  std::vector<int32_t> general;  ///< its seconds over the general-flash limit, from 0
  std::vector<int32_t> red;      ///< its seconds over the red-flash limit, from 0
  int32_t mostGeneral = 0;       ///< most general flashes of one block in one second
  int32_t mostRed = 0;           ///< most red flashes of one block in one second
};

/// What a measurement found: the scenes in order, and the whole sequence.
struct FLASHREPORT {
  std::vector<FLASHPART> scenes;
  FLASHPART whole;
  double fieldWidth = 0;   ///< the 10-degree field, in picture pixels
  double fieldHeight = 0;
  int32_t blockSide = 0;   ///< side of a block, in picture pixels
};

/// The measurement of one sequence of width x height frames, fed in order with FLASHMeterAdd.
struct FLASHMETER;

/// A new meter for frames of width x height (both > 0) seen as `view` says (every field > 0);
/// null when a size is not positive. Release it with FLASHMeterFree.
FLASHMETER* FLASHMeterNew(int32_t width, int32_t height, const FLASHVIEW& view);
/// Releases *meter and sets it to null; a null handle is left alone.
void FLASHMeterFree(FLASHMETER** meter);
/// Measures the next frame; false, measuring nothing, when its size is not the meter's or it
/// has no pixels.
bool FLASHMeterAdd(FLASHMETER* meter, const IMG& frame);
/// What the frames added so far show; the meter can go on taking frames afterwards.
FLASHREPORT FLASHMeterReport(const FLASHMETER* meter);
