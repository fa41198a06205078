// The scene ring as a whole: frame counts, skip and quit keys, the overlay switch, equal
// runs for equal keys, and a run without sound.
#include <gtest/gtest.h>

#include <array>

#include "demo/demo.h"
#include "harness.h"

namespace {

uint32_t Pixel(int x, int y) { return screen->pixels[y * screen->width + x]; }

// Counts of frames before the first logo frame and of logo frames, for scene 1's visits.
struct Scene1Shape {
  int subdivision = 0;
  int cycle = 0;
  bool plainInCycle = false;  // a frame without logo after the first logo frame
  void Add(bool logo) {
    if (logo) {
      ++cycle;
    } else if (cycle > 0) {
      plainInCycle = true;
    } else {
      ++subdivision;
    }
  }
};

}  // namespace

TEST(DemoRing, UnbrokenRingShowsEachScenesFrameCount) {
  Scene1Shape first;
  int ringFrames = 0, ringFlowBreaks = 0, ringAsymmetric = 0;
  std::array<uint32_t, 128> lastRing{};
  int mosaicFrames = 0, mosaicCornerWrong = 0, mosaicListWrong = 0;

  DemoScript script;
  script.Press(4, 0, SDLK_q);  // the second visit of scene 1 quits at once
  script.onFrame = [&](int visit, int frame) {
    if (visit == 0) first.Add(LogoVisible());
    if (visit == 2) {  // rings: a colour on ring d moves to ring d - 4 in the next frame
      std::array<uint32_t, 128> ring{};
      for (int d = 0; d < 128; ++d) {
        ring[d] = Pixel(d, 128);
        if (Pixel(255 - d, 128) != ring[d] || Pixel(128, 255 - d) != ring[d]) ++ringAsymmetric;
      }
      if (frame > 0)
        for (int d = 4; d < 128; ++d)
          if (ring[d - 4] != lastRing[d]) ++ringFlowBreaks;
      lastRing = ring;
      ++ringFrames;
    }
    if (visit == 3) {  // mosaic: the top-left pixel keeps the recorded base colour
      ++mosaicFrames;
      if (MosaicHighWater != 5 || MosaicList[0] != 0 || MosaicList[1] != 0 ||
          MosaicList[2] != 256 || MosaicList[3] != 256)
        ++mosaicListWrong;
      if (Pixel(0, 0) != static_cast<uint32_t>(palette->items[MosaicList[4]]))
        ++mosaicCornerWrong;
    }
  };
  DemoRunLog log = RunDemo(script);

  ASSERT_EQ(log.SceneVisits(), 5);
  for (const VisitLog& v : log.visits) EXPECT_EQ(v.fades, 32);
  EXPECT_EQ(log.visits.back().frames, 0);  // shutdown fade, nothing after it

  EXPECT_EQ(first.subdivision, ModelFirstSubdivision());
  EXPECT_GT(first.subdivision, 100);
  EXPECT_EQ(first.cycle, 1001);
  EXPECT_FALSE(first.plainInCycle);
  EXPECT_EQ(log.visits[0].frames, first.subdivision + 1001);

  EXPECT_EQ(log.visits[1].frames, 5001);
  EXPECT_EQ(log.visits[2].frames, 1001);
  EXPECT_EQ(ringFlowBreaks, 0);
  EXPECT_EQ(ringAsymmetric, 0);
  EXPECT_EQ(log.visits[3].frames, 1001);
  EXPECT_EQ(mosaicFrames, 1001);
  EXPECT_EQ(mosaicCornerWrong, 0);
  EXPECT_EQ(mosaicListWrong, 0);
  // Scene 1 again after scene 4; the quit in its first frame still lets the pending
  // subdivision siblings and one palette-cycle frame show.
  EXPECT_GE(log.visits[4].frames, 2);
}

TEST(DemoRing, SkipAndQuitKeysEndScenesAfterTheirFrame) {
  const int skip1 = 5;
  DemoScript script;
  script.Press(0, skip1, SDLK_SPACE);  // scene 1, during the subdivision
  script.Press(1, 10, SDLK_SPACE);     // scene 2
  script.Press(2, 3, SDLK_SPACE);      // scene 3
  script.Press(3, 2, SDLK_SPACE);      // scene 4 -> scene 1 again
  script.Press(4, 0, SDLK_SPACE);      // scene 1
  script.Press(5, 7, SDLK_ESCAPE);     // scene 2 quits
  std::vector<bool> logo4;
  script.onFrame = [&](int visit, int) {
    if (visit == 4) logo4.push_back(LogoVisible());
  };
  DemoRunLog log = RunDemo(script);
  ASSERT_EQ(log.SceneVisits(), 6);
  EXPECT_EQ(log.visits[0].frames, ModelFirstSubdivision(skip1) + 1);
  EXPECT_GT(log.visits[0].frames, skip1 + 2);
  EXPECT_EQ(log.visits[1].frames, 11);
  EXPECT_EQ(log.visits[2].frames, 4);
  EXPECT_EQ(log.visits[3].frames, 3);
  // Scene 1's second run: subdivision frames without logo, then exactly one cycle frame.
  ASSERT_FALSE(logo4.empty());
  EXPECT_TRUE(logo4.back());
  for (size_t i = 0; i + 1 < logo4.size(); ++i) EXPECT_FALSE(logo4[i]) << i;
  EXPECT_EQ(log.visits[5].frames, 8);
  EXPECT_EQ(log.visits[6].fades, 32);
  EXPECT_TRUE(log.visits[6].hashes.empty());

  // Quit from scenes 1, 3 and 4, each after the frame that read the key.
  for (int scene : {0, 2, 3}) {
    DemoScript quit;
    for (int v = 0; v < scene; ++v) quit.Press(v, 0, SDLK_SPACE);
    quit.Press(scene, 1, scene == 2 ? SDLK_q : SDLK_ESCAPE);
    DemoRunLog q = RunDemo(quit);
    EXPECT_EQ(q.SceneVisits(), scene + 1) << "quit in visit " << scene;
    if (scene > 0) {
      EXPECT_EQ(q.visits[scene].frames, 2);
    }
    EXPECT_EQ(q.visits.back().fades, 32);
  }
}

TEST(DemoRing, LaterKeyInTheSameSceneOverturnsTheEarlierOne) {
  // In scene 1 the frames of the pending subdivision siblings still read keys.
  const int k = 20;
  ASSERT_GE(ModelFirstSubdivision(k), k + 2);  // the key's frame is followed by more
  {
    DemoScript s;  // Escape, then space: a skip
    s.Press(0, k, SDLK_ESCAPE);
    s.Press(0, k + 1, SDLK_SPACE);
    s.Press(1, 0, SDLK_ESCAPE);
    DemoRunLog log = RunDemo(s);
    EXPECT_EQ(log.visits[0].frames, ModelFirstSubdivision(k) + 1);
    EXPECT_EQ(log.SceneVisits(), 2);
  }
  {
    DemoScript s;  // space, then Escape: a quit
    s.Press(0, k, SDLK_SPACE);
    s.Press(0, k + 1, SDLK_ESCAPE);
    DemoRunLog log = RunDemo(s);
    EXPECT_EQ(log.SceneVisits(), 1);
  }
  {
    DemoScript s;  // both in one frame: the last key pressed counts
    s.Press(0, k, SDLK_ESCAPE);
    s.Press(0, k, SDLK_SPACE);
    s.Press(1, 0, SDLK_ESCAPE);
    EXPECT_EQ(RunDemo(s).SceneVisits(), 2);
  }
  {
    // Function keys act like the code of their low byte: F2 (283) like Escape.
    DemoScript s;
    s.Press(0, 0, SDLK_F2);
    EXPECT_EQ(RunDemo(s).SceneVisits(), 1);
  }
}

TEST(DemoRing, EightKeyTogglesTheDigitsAcrossScenes) {
  auto digitsShown = [] {
    for (int y = 248; y < 256; ++y)
      for (int x = 0; x < 16; ++x)
        if (Pixel(x, y) == 0xFFFFFFu) return true;
    return false;
  };
  DemoScript s;
  s.Press(0, 0, SDLK_SPACE);
  s.Press(1, 0, SDLK_SPACE);
  s.Press(2, 3, SDLK_8);  // on in scene 3
  s.Press(2, 6, SDLK_SPACE);
  s.Press(3, 4, SDLK_8);  // off again in scene 4
  s.Press(3, 8, SDLK_ESCAPE);
  std::vector<std::pair<int, bool>> seen;  // (visit, digits) for scenes 3 and 4
  std::vector<uint8_t> flags;
  s.onFrame = [&](int visit, int) {
    if (visit >= 2) {
      seen.push_back({visit, digitsShown()});
      flags.push_back(overlayFlags);
    }
  };
  RunDemo(s);
  // Scene 3: frames 0..3 without digits (the key acts after frame 3), 4..6 with them;
  // scene 4: frames 0..4 with digits, 5..8 without.
  const std::vector<bool> want = {false, false, false, false, true, true, true,
                                  true,  true,  true,  true,  true,  false, false, false, false};
  ASSERT_EQ(seen.size(), want.size());
  for (size_t i = 0; i < want.size(); ++i) EXPECT_EQ(seen[i].second, want[i]) << i;
  EXPECT_EQ(overlayFlags, 0);  // DemoReset
}

TEST(DemoRing, SameKeysAtSameFramesGiveTheSamePictures) {
  DemoScript s;
  s.Press(0, 40, SDLK_SPACE);
  s.Press(1, 5, SDLK_a);
  s.Press(1, 9, SDLK_r);
  s.Press(1, 12, SDLK_g);
  s.Press(1, 30, SDLK_SPACE);
  s.Press(2, 50, SDLK_SPACE);
  s.Press(3, 20, SDLK_SPACE);
  s.Press(4, 3, SDLK_SPACE);
  s.Press(5, 10, SDLK_ESCAPE);
  DemoRunLog a = RunDemo(s);
  DemoRunLog b = RunDemo(s);
  ASSERT_EQ(a.visits.size(), b.visits.size());
  for (size_t v = 0; v < a.visits.size(); ++v) EXPECT_EQ(a.visits[v].hashes, b.visits[v].hashes) << v;
  // The second scene 2 visit carries the first one's settings and layout on.
  EXPECT_NE(a.visits[1].hashes.front(), a.visits[5].hashes.front());
}

TEST(DemoRing, RunsAllScenesWithoutAnAudioDevice) {
  DemoScript s;
  s.audioDriver = "nonexistent";
  bool soundMissing = false;
  s.afterStartUp = [&] { soundMissing = sound == nullptr; };
  for (int v = 0; v < 4; ++v) s.Press(v, 3, SDLK_SPACE);
  s.Press(4, 0, SDLK_ESCAPE);
  DemoRunLog log = RunDemo(s);
  EXPECT_TRUE(soundMissing);
  ASSERT_EQ(log.SceneVisits(), 5);
  EXPECT_EQ(log.visits[1].frames, 4);
  EXPECT_EQ(log.visits[2].frames, 4);
  EXPECT_EQ(log.visits[3].frames, 4);
}
