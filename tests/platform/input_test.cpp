// Keyboard and pointer tests: key events are pushed into SDL's own queue and the mouse is
// moved with SDL_WarpMouse, so the modules read them through the real SDL calls.
#include "headless.h"
#include "support/k8test.h"

namespace {

void Push(Uint8 type, SDLKey symbol = SDLK_UNKNOWN) {
  SDL_Event event = {};
  event.type = type;
  if (type == SDL_KEYDOWN || type == SDL_KEYUP) {
    event.key.type = type;
    event.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
    event.key.keysym.sym = symbol;
  }
  ASSERT_EQ(SDL_PushEvent(&event), 0);
}

class Keyboard : public Headless {};
class Pointer : public Headless {};

TEST_F(Keyboard, NeedsADisplayAndIsSingle) {
  EXPECT_EQ(SDLKBDNew(), nullptr);
  EXPECT_EQ(SDLKBDCurrent, nullptr);
  ASSERT_NE(SDLDPYNew(), nullptr);
  SDLKBD* keyboard = SDLKBDNew();
  ASSERT_NE(keyboard, nullptr);
  ASSERT_NE(keyboard->keys, nullptr);
  for (int i = 0; i < 8; ++i) EXPECT_EQ(keyboard->keys[i], 0);
  EXPECT_EQ(SDLKBDNew(), keyboard);
  EXPECT_EQ(SDLKBDCurrent, keyboard);
}

TEST_F(Keyboard, LastKeyPressedInThePollCounts) {
  SDLDPYNew();
  SDLKBD* keyboard = SDLKBDNew();
  uint8_t& key = keyboard->keys[0];

  // A tap shorter than a frame still acts once.
  Push(SDL_KEYDOWN, SDLK_a);
  Push(SDL_KEYUP, SDLK_a);
  SDLKBDGetKey(keyboard);
  EXPECT_EQ(key, 'a') << "pressed and released in one poll";
  key = 0;  // as the demo does after every frame
  SDLKBDGetKey(keyboard);
  EXPECT_EQ(key, 0) << "the tap acts in one frame only";

  Push(SDL_KEYDOWN, SDLK_a);
  Push(SDL_KEYDOWN, SDLK_b);
  Push(SDL_KEYUP, SDLK_b);
  Push(SDL_KEYUP, SDLK_a);
  SDLKBDGetKey(keyboard);
  EXPECT_EQ(key, 'b') << "the last press of the poll, whatever was released after it";

  Push(SDL_KEYUP, SDLK_b);
  SDLKBDGetKey(keyboard);
  EXPECT_EQ(key, 0) << "a release alone clears";

  Push(SDL_KEYDOWN, SDLK_a);
  Push(SDL_KEYDOWN, SDLK_b);
  SDLKBDGetKey(keyboard);
  EXPECT_EQ(key, 'b');

  SDLKBDGetKey(keyboard);
  EXPECT_EQ(key, 'b') << "no events leave the code as it was";

  Push(SDL_KEYDOWN, SDLK_q);
  Push(SDL_QUIT);
  Push(SDL_MOUSEMOTION);
  SDLKBDGetKey(keyboard);
  EXPECT_EQ(key, 'q') << "the close request and other events are dropped";
  EXPECT_EQ(SDL_PollEvent(nullptr), 0) << "the queue is drained";

  Push(SDL_KEYDOWN, SDLK_UP);
  SDLKBDGetKey(keyboard);
  EXPECT_EQ(key, 17);
  Push(SDL_KEYDOWN, SDLK_F2);
  SDLKBDGetKey(keyboard);
  EXPECT_EQ(key, 27);
  Push(SDL_KEYDOWN, SDLK_ESCAPE);
  SDLKBDGetKey(keyboard);
  EXPECT_EQ(key, 27);
  for (int i = 1; i < 8; ++i) EXPECT_EQ(keyboard->keys[i], 0);

  // A record that is not the current keyboard is left alone, the queue too.
  SDLKBD stranger = *keyboard;
  Push(SDL_KEYUP, SDLK_a);
  SDLKBDGetKey(&stranger);
  SDLKBDGetKey(nullptr);
  EXPECT_EQ(SDL_PollEvent(nullptr), 1);
}

TEST_F(Keyboard, FreeEmptiesTheSlotSoNewIsFresh) {
  SDLDPYNew();
  SDLKBD* keyboard = SDLKBDNew();
  SDLKBD* copy = keyboard;
  keyboard->keys[0] = 'x';
  ::testing::internal::CaptureStdout();
  SDLKBDFree(nullptr);
  SDLKBD* none = nullptr;
  SDLKBDFree(&none);
  SDLKBDFree(&keyboard);
  EXPECT_EQ(keyboard, nullptr);
  EXPECT_EQ(SDLKBDCurrent, nullptr);
  SDLKBDFree(&copy);  // a second handle to the released record: not freed twice
  EXPECT_NE(copy, nullptr);
  EXPECT_EQ(::testing::internal::GetCapturedStdout(), "") << "the keyboard reports nothing";

  SDLKBD* fresh = SDLKBDNew();
  ASSERT_NE(fresh, nullptr);
  EXPECT_EQ(SDLKBDCurrent, fresh);
  EXPECT_EQ(fresh->keys[0], 0);
}

TEST_F(Keyboard, ObjectConvention) {
  SDLDPYNew();
  SDLKBD* keyboard = SDLKBDNew();
  SDLKBD other = {};
  EXPECT_STREQ(SDLKBDToASCII(keyboard), "");
  EXPECT_EQ(SDLKBDToASCII(nullptr), nullptr);
  EXPECT_EQ(SDLKBDFromASCII(""), nullptr);
  EXPECT_EQ(SDLKBDFromASCII(nullptr), nullptr);
  EXPECT_EQ(SDLKBDEqual(keyboard, keyboard), 1);
  EXPECT_EQ(SDLKBDEqual(keyboard, &other), 0);
  EXPECT_EQ(SDLKBDEqual(keyboard, nullptr), 0);
  EXPECT_EQ(SDLKBDEqual(nullptr, nullptr), 0);
  EXPECT_EQ(SDLKBDCopy(keyboard), nullptr);
  EXPECT_EQ(SDLKBDCopy(nullptr), nullptr);
}

TEST_F(Pointer, NeedsADisplayAndReadsTheMouse) {
  EXPECT_EQ(Printed([] { EXPECT_EQ(SDLPTRNew(), nullptr); }), "SDLPTR error\n");
  SDLDPYNew();
  SDLPTR* pointer = SDLPTRNew();
  ASSERT_NE(pointer, nullptr);
  EXPECT_EQ(SDLPTRNew(), pointer);
  EXPECT_EQ(pointer->x | pointer->y | pointer->dx | pointer->dy | pointer->buttons, 0);

  // Classic SDL counts a warp as motion; SDL2 under sdl12-compat moves the pointer without.
  const int32_t moved = k8test::OnSDL12Compat() ? 0 : 1;
  SDL_WarpMouse(10, 20);
  SDLPTRUpdate(pointer);
  EXPECT_EQ(pointer->x, 10);
  EXPECT_EQ(pointer->y, 20);
  EXPECT_EQ(pointer->dx, 10 * moved);
  EXPECT_EQ(pointer->dy, 20 * moved);
  EXPECT_EQ(pointer->buttons, 0);

  SDL_WarpMouse(15, 18);
  SDLPTRUpdate(pointer);
  EXPECT_EQ(pointer->x, 15);
  EXPECT_EQ(pointer->y, 18);
  EXPECT_EQ(pointer->dx, 5 * moved);
  EXPECT_EQ(pointer->dy, -2 * moved);

  SDLPTRUpdate(pointer);
  EXPECT_EQ(pointer->x, 15);
  EXPECT_EQ(pointer->dx, 0) << "motion is counted from the previous reading";
  EXPECT_EQ(pointer->dy, 0);

  SDLPTR stranger = *pointer;
  stranger.x = -7;
  EXPECT_EQ(Printed([&] { SDLPTRUpdate(&stranger); }), "SDLPTR error\n");
  EXPECT_EQ(stranger.x, -7);
  EXPECT_EQ(Printed([] { SDLPTRUpdate(nullptr); }), "SDLPTR error\n");
}

TEST_F(Pointer, FreeAndObjectConvention) {
  SDLDPYNew();
  SDLPTR* pointer = SDLPTRNew();
  SDLPTR other = {};
  EXPECT_STREQ(SDLPTRToASCII(pointer), "");
  EXPECT_EQ(SDLPTRFromASCII(""), nullptr);
  EXPECT_EQ(SDLPTRCopy(pointer), nullptr);
  EXPECT_EQ(SDLPTREqual(pointer, pointer), 1);
  EXPECT_EQ(SDLPTREqual(pointer, &other), 0);
  // Null arguments are reported (when reports are on), and only they.
  EXPECT_EQ(Printed([&] {
              EXPECT_EQ(SDLPTRToASCII(nullptr), nullptr);
              EXPECT_EQ(SDLPTRFromASCII(nullptr), nullptr);
              EXPECT_EQ(SDLPTREqual(pointer, nullptr), 0);
              EXPECT_EQ(SDLPTRCopy(nullptr), nullptr);
              SDLPTRFree(nullptr);
            }),
            "SDLPTR error\nSDLPTR error\nSDLPTR error\nSDLPTR error\nSDLPTR error\n");

  SDLPTR* copy = pointer;
  SDLPTRFree(&pointer);
  EXPECT_EQ(pointer, nullptr);
  EXPECT_EQ(SDLPTRCurrent, nullptr);
  EXPECT_EQ(Printed([&] { SDLPTRFree(&copy); }), "SDLPTR error\n") << "released already";
  SDLPTR* fresh = SDLPTRNew();
  ASSERT_NE(fresh, nullptr);
  EXPECT_EQ(SDLPTRCurrent, fresh);
}

}  // namespace
