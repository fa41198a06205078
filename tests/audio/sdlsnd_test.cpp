// SDLSND: the callback's queue playback on a hand-made record, and the real device through
// SDL's dummy and disk audio drivers.
#include <SDL.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "audio/sdlsnd.h"

#include "support/k8test.h"

namespace {

using Bytes = std::vector<uint8_t>;

SAMPLE* Make(std::initializer_list<int32_t> values) { return k8test::MakeSample(values); }

// A sound record with a queue and no device, to drive SDLSNDCallback directly.
struct Record {
  SDLSND sound{44100, 16, 0, ARRAYNew(), 's', 'l', 0};
  ~Record() { ARRAYFree(&sound.queue); }
  void Queue(SAMPLE* sample) { ARRAYPush(sound.queue, reinterpret_cast<intptr_t>(sample)); }
  // Runs one callback over a buffer pre-filled with 0xAA, so unwritten bytes show.
  Bytes Play(int len) {
    Bytes buffer(size_t(len > 0 ? len : 1), 0xAA);
    SDLSNDCallback(&sound, buffer.data(), len);
    return buffer;
  }
};

TEST(SoundCallback, PlaysQueueInOrderAcrossCallbacks) {
  Record r;
  EXPECT_EQ(r.Play(4), Bytes({0xAA, 0xAA, 0xAA, 0xAA}));  // empty queue: SDL's silence stays

  SAMPLE* a = Make({1, 2, -1});
  r.Queue(a);
  EXPECT_EQ(r.Play(8), Bytes({0x01, 0x00, 0x02, 0x00, 0xFF, 0xFF, 0xAA, 0xAA}));
  EXPECT_EQ(r.sound.queue->count, 0);
  EXPECT_EQ(r.sound.position, 0);

  SAMPLE* b = Make({3, 4});
  r.Queue(a);
  r.Queue(b);
  EXPECT_EQ(r.Play(10), Bytes({1, 0, 2, 0, 0xFF, 0xFF, 3, 0, 4, 0}));
  EXPECT_EQ(r.sound.queue->count, 0);

  // Entries end and begin inside callbacks; `position` carries over between them.
  r.Queue(a);
  r.Queue(b);
  EXPECT_EQ(r.Play(4), Bytes({1, 0, 2, 0}));
  EXPECT_EQ(r.sound.position, 2);
  EXPECT_EQ(r.Play(4), Bytes({0xFF, 0xFF, 3, 0}));
  EXPECT_EQ(r.sound.position, 1);
  EXPECT_EQ(r.sound.queue->count, 1);
  EXPECT_EQ(r.Play(4), Bytes({4, 0, 0xAA, 0xAA}));
  EXPECT_EQ(r.sound.queue->count, 0);
  EXPECT_EQ(r.sound.position, 0);

  // The same SAMPLE four times; a change between callbacks is heard from the next element.
  for (int i = 0; i < 4; i++) r.Queue(a);
  EXPECT_EQ(r.Play(8), Bytes({1, 0, 2, 0, 0xFF, 0xFF, 1, 0}));
  a->items[1] = 0x0505;
  EXPECT_EQ(r.Play(8), Bytes({5, 5, 0xFF, 0xFF, 1, 0, 5, 5}));
  EXPECT_EQ(r.Play(8), Bytes({0xFF, 0xFF, 1, 0, 5, 5, 0xFF, 0xFF}));
  EXPECT_EQ(r.sound.queue->count, 0);
  SAMPLEFree(&a);
  SAMPLEFree(&b);
}

TEST(SoundCallback, ValuesAreTheirLow16Bits) {
  Record r;
  SAMPLE* s = Make({40000, -40000, 0x12345678, 32767, -32768});
  r.Queue(s);
  Bytes out = r.Play(10);
  auto word = [&](int i) { return int16_t(uint16_t(out[2 * i] | out[2 * i + 1] << 8)); };
  EXPECT_EQ(word(0), -25536);
  EXPECT_EQ(word(1), 25536);
  EXPECT_EQ(word(2), 0x5678);
  EXPECT_EQ(word(3), 32767);
  EXPECT_EQ(word(4), -32768);
  SAMPLEFree(&s);
}

TEST(SoundCallback, EmptyEntriesOddLengthsAndRefusals) {
  Record r;
  SAMPLE* empty = SAMPLENew();
  SAMPLE* a = Make({7, 8});
  r.Queue(empty);
  r.Queue(a);
  // The empty entry plays one silent sample and leaves; the next one follows at once.
  EXPECT_EQ(r.Play(8), Bytes({0, 0, 7, 0, 8, 0, 0xAA, 0xAA}));
  EXPECT_EQ(r.sound.queue->count, 0);

  r.Queue(a);
  EXPECT_EQ(r.Play(3), Bytes({7, 0, 0xAA}));  // an odd last byte is not written
  EXPECT_EQ(r.sound.position, 1);
  EXPECT_EQ(r.Play(0), Bytes({0xAA}));
  EXPECT_EQ(r.Play(-4), Bytes({0xAA}));
  EXPECT_EQ(r.sound.position, 1);
  SDLSNDCallback(nullptr, nullptr, 8);
  SDLSNDCallback(&r.sound, nullptr, 8);
  EXPECT_EQ(r.Play(1), Bytes({0xAA}));
  EXPECT_EQ(r.sound.position, 1);
  EXPECT_EQ(r.Play(5), Bytes({8, 0, 0xAA, 0xAA, 0xAA}));
  EXPECT_EQ(r.sound.queue->count, 0);

  // After running dry, a new entry starts from its element 0.
  r.Queue(a);
  EXPECT_EQ(r.Play(2), Bytes({7, 0}));
  // Muted: silence, the queue stays as it is.
  r.sound.muted = 1;
  EXPECT_EQ(r.Play(4), Bytes({0, 0, 0, 0}));
  EXPECT_EQ(r.sound.position, 1);
  EXPECT_EQ(r.sound.queue->count, 1);
  r.sound.muted = 0;
  ARRAYSet(r.sound.queue, 0, 0);  // a null head plays silence too
  EXPECT_EQ(r.Play(4), Bytes({0, 0, 0, 0}));
  EXPECT_EQ(r.sound.queue->count, 1);
  SAMPLEFree(&empty);
  SAMPLEFree(&a);
}

TEST(SoundOutput, TrivialOperationsAndNullHandles) {
  SDLSND sound{};
  EXPECT_STREQ(SDLSNDToASCII(&sound), "");
  EXPECT_EQ(SDLSNDToASCII(nullptr), nullptr);
  EXPECT_EQ(SDLSNDFromASCII("anything"), nullptr);
  EXPECT_EQ(SDLSNDFromASCII(nullptr), nullptr);
  EXPECT_EQ(SDLSNDCopy(&sound), nullptr);
  SDLSND other{};
  EXPECT_TRUE(SDLSNDEqual(&sound, &other));
  EXPECT_FALSE(SDLSNDEqual(&sound, nullptr));
  EXPECT_FALSE(SDLSNDEqual(nullptr, nullptr));
  SDLSNDPlay(&sound);
  SDLSNDPlay(nullptr);
  SDLSNDPlaySAMPLE(nullptr, nullptr);
  SDLSNDPlaySAMPLE(&sound, nullptr);
  EXPECT_EQ(sound.queue, nullptr);
  SAMPLE* s = Make({1});
  SDLSNDPlaySAMPLE(&sound, s);  // a missing queue is created first
  ASSERT_NE(sound.queue, nullptr);
  EXPECT_EQ(ARRAYGet(sound.queue, 0), reinterpret_cast<intptr_t>(s));
  ARRAYFree(&sound.queue);
  SAMPLEFree(&s);
  SDLSND* none = nullptr;
  SDLSNDFree(&none);
  SDLSNDFree(nullptr);
}

// Environment for one device test; the audio subsystem reads it when SDLSNDNew starts it.
// Classic SDL's SDL_CloseAudio stops that subsystem, sdl12-compat's does not, so it is
// stopped here for the choice of driver to count.
void UseAudioDriver(const char* driver) {
  SDL_QuitSubSystem(SDL_INIT_AUDIO);
  setenv("SDL_AUDIODRIVER", driver, 1);
  if (!getenv("SDL_VIDEODRIVER")) setenv("SDL_VIDEODRIVER", "dummy", 1);
}

TEST(SoundDevice, NoDeviceGivesNoSoundOutputAndALaterTryCanSucceed) {
  UseAudioDriver("nonexistent-driver");
  EXPECT_EQ(SDLSNDNew(), nullptr);
  UseAudioDriver("dummy");
  SDLSND* sound = SDLSNDNew();
  EXPECT_NE(sound, nullptr);
  SDLSNDFree(&sound);
}

// Without a video device the every-subsystem start-up fails; sound still opens.
TEST(SoundDeviceDeathTest, OpensWithoutDisplay) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        setenv("SDL_VIDEODRIVER", "nonexistent-driver", 1);
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        SDLSND* sound = SDLSNDNew();
        const bool opened = sound != nullptr;
        SDLSNDFree(&sound);
        exit(opened ? 0 : 1);
      },
      testing::ExitedWithCode(0), "");
}

TEST(SoundDevice, OpensPlaysAndClosesRepeatedly) {
  UseAudioDriver("dummy");
  SAMPLE* s = Make({1, 2, 3});
  for (int round = 0; round < 5; round++) {
    SDLSND* sound = SDLSNDNew();
    ASSERT_NE(sound, nullptr) << SDL_GetError();
    EXPECT_EQ(sound->frequency, 44100);
    EXPECT_EQ(sound->bitDepth, 16);
    EXPECT_EQ(sound->signedness, 's');
    EXPECT_EQ(sound->byteOrder, 'l');
    EXPECT_EQ(sound->muted, 0);
    EXPECT_EQ(sound->position, 0);
    ASSERT_NE(sound->queue, nullptr);
    EXPECT_EQ(SDLSNDNew(), nullptr);  // one device at a time
    for (int i = 0; i < round; i++) SDLSNDPlaySAMPLE(sound, s);
    SDLSNDFree(&sound);  // never hangs, whether the callback is busy or not
    EXPECT_EQ(sound, nullptr);
  }
  SAMPLEFree(&s);
}

// The disk driver writes every buffer the callback filled to a file: what the file holds is
// exactly what was played.
TEST(SoundDevice, DiskDriverRecordsExactlyWhatWasQueued) {
  char path[] = "/tmp/k8-sdlsnd-XXXXXX";
  const int fd = mkstemp(path);
  ASSERT_GE(fd, 0);
  close(fd);
  UseAudioDriver("disk");
  setenv("SDL_DISKAUDIOFILE", path, 1);
  setenv("SDL_DISKAUDIODELAY", "1", 1);

  constexpr int32_t kCount = 5000;  // more than one 4096-sample buffer
  SAMPLE* ramp = SAMPLENew();
  SAMPLEResize(ramp, kCount);
  for (int32_t i = 0; i < kCount; i++) ramp->items[i] = i < 2500 ? i - 2500 : i - 2499;
  SAMPLE* loud = Make({40000, -40000});

  SDLSND* sound = SDLSNDNew();
  ASSERT_NE(sound, nullptr) << SDL_GetError();
  SDLSNDPlaySAMPLE(sound, ramp);
  SDLSNDPlaySAMPLE(sound, loud);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  int32_t left = 1;
  while (left > 0 && std::chrono::steady_clock::now() < deadline) {
    SDL_LockAudio();
    left = sound->queue->count;
    SDL_UnlockAudio();
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  SDLSNDFree(&sound);
  EXPECT_EQ(left, 0);

  std::ifstream file(path, std::ios::binary);
  const Bytes bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  unlink(path);
  ASSERT_EQ(bytes.size() % 8192, 0u);  // whole buffers of 4096 samples
  // Under sdl12-compat SDL2's disk driver records the device's stereo, each sample twice,
  // after a conversion through floating point that may move a loud sample by one step.
  const bool compat = k8test::OnSDL12Compat();
  const size_t channels = compat ? 2 : 1;
  const int slack = compat ? 1 : 0;
  auto word = [&](size_t at) { return int16_t(uint16_t(bytes[2 * at] | bytes[2 * at + 1] << 8)); };
  std::vector<int16_t> words(bytes.size() / 2 / channels);
  for (size_t i = 0; i < words.size(); i++) {
    words[i] = word(channels * i);
    if (channels == 2) {
      ASSERT_EQ(word(2 * i + 1), words[i]) << "the channels differ at " << i;
    }
  }
  size_t first = 0;
  while (first < words.size() && words[first] == 0) first++;
  ASSERT_LE(first + kCount + 2, words.size());
  int32_t worst = 0;
  for (int32_t i = 0; i < kCount; i++)
    worst = std::max(worst, std::abs(words[first + i] - ramp->items[i]));
  EXPECT_LE(worst, slack);
  EXPECT_NEAR(words[first + kCount], -25536, slack);
  EXPECT_NEAR(words[first + kCount + 1], 25536, slack);
  size_t loudAfter = 0;
  for (size_t i = first + kCount + 2; i < words.size(); i++) loudAfter += words[i] != 0;
  EXPECT_EQ(loudAfter, 0u);
  SAMPLEFree(&ramp);
  SAMPLEFree(&loud);
}

}  // namespace
