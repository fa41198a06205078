// mkclips - synthesises the music's eight instrument clips and writes them as a C++ source
// file that defines MUSICClipTable (see audio/music.h).
//
// Usage: mkclips OUTPUT.cpp
//
// Each clip is described by one row of the instrument table below: a tone whose pitch glides
// from a start to an end frequency, an optional overtone, and filtered noise, each with its
// own exponential decay, under a short linear attack and a release over the last quarter of
// the clip that falls with the square of the time left, so every clip ends at rest. The finished clip is scaled so that its least and greatest values are
// exactly the ones the table asks for: positive and negative values are scaled separately,
// so the most extreme sample of each sign lands on its target.
//
// Everything is integer or fixed-point arithmetic on the program's own sine table, and the
// noise comes from a local generator with a fixed seed, so every build on every machine
// writes the same values. The only floating-point operations are the exactly rounded
// conversions of the table's milliseconds and hertz into samples and phase steps.
#include <cinttypes>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "base/sine.h"

namespace {

constexpr int32_t kRate = 44100;

// One clip. Times are milliseconds, pitches hertz, levels percent; 0 switches a part off.
struct Instrument {
  const char* name;
  int32_t length, least, greatest;  // the clip's size and exact extremes
  double attackMs;                  // linear rise at the start
  // Tone: a sine whose frequency glides exponentially from startHz to endHz.
  int32_t toneLevel;
  double startHz, endHz, glideHalfLifeMs, toneHalfLifeMs;
  // Overtone: a second sine at overtoneQuarters / 4 times the tone's frequency, decaying
  // twice as fast as the tone, at overtoneLevel percent of it.
  int32_t overtoneQuarters, overtoneLevel;
  // Noise, shaped by a one-pole low-pass and a one-pole high-pass.
  int32_t noiseLevel;
  double noiseHalfLifeMs, lowpassHz, highpassHz;
};

// A minor pentatonic throughout: A1 kick, A2 bass, D3/G3 tom, E5 and A6 blips.
constexpr Instrument kInstruments[8] = {
    // name          length  least   greatest attack  tone  start  end    glide tone-hl  ot  ot%  noise  noise-hl lowpass highpass
    {"closed hat",     2246,  -8492, 14491,   0.2,      0,     0,     0,   0,    0,      0,   0,  100,    6,     0,     6000},
    {"high blip",      2262, -12466, 10500,   0.3,    100,  2093,  1760,   2,   10,      8,  30,   10,    1,     0,     3000},
    {"snare",          4466, -27166, 27682,   0.3,     45,   330,   185,   3,   15,      0,   0,  100,   22,  9000,     1200},
    {"kick",           4608, -32738, 32695,   0.5,    100,   170,    55,  10,   45,      0,   0,    8,    2,  3000,        0},
    {"bass thump",    12952, -18688, 18632,   2.0,    100,   120,   110,  15,   70,      8,  35,    0,    0,     0,        0},
    {"tom",            3238, -15332, 14959,   0.5,    100,   196,   147,  20,   22,      6,  20,   12,    5,  2000,        0},
    {"shaker",         4472,  -9699,  7545,   6.0,      0,     0,     0,   0,    0,      0,   0,  100,   28, 12000,     4500},
    {"bell blip",      4334, -12190,  8847,   0.5,    100,   659.25, 659.25, 0, 22,     12,  25,    0,    0,     0,        0},
};

int32_t Samples(double ms) { return static_cast<int32_t>(ms * kRate / 1000.0 + 0.5); }

// Phase step per sample for a frequency: a full turn is 2^32.
int64_t PhaseStep(double hz) { return static_cast<int64_t>(hz * 4294967296.0 / kRate + 0.5); }

// One-pole filter coefficient in 1/65536 for a cutoff: 2*pi*fc/rate, at most 1.
int64_t PoleCoefficient(double hz) {
  const int64_t a = static_cast<int64_t>(2.0 * 3.14159265358979 * hz / kRate * 65536.0 + 0.5);
  return a > 65536 ? 65536 : a;
}

constexpr int kUnityShift = 30;
constexpr int64_t kUnity = int64_t{1} << kUnityShift;

// 2^(-t/halfLife) in 1/2^30, straight-line between whole halvings. Half-life 0 means "gone".
int64_t Decay(int64_t t, int64_t halfLife) {
  if (halfLife <= 0) return 0;
  const int64_t halvings = t / halfLife;
  if (halvings >= kUnityShift) return 0;
  const int64_t high = kUnity >> halvings, low = high >> 1;
  return high - (high - low) * (t % halfLife) / halfLife;
}

// The sine table read at a 32-bit phase, interpolated between neighbouring entries.
int64_t SineAt(uint32_t phase) {
  const int32_t index = static_cast<int32_t>(phase >> 22);
  const int64_t fraction = (phase >> 6) & 0xFFFF;
  const int64_t a = Sine(index), b = Sine(index + 1);
  return a + (((b - a) * fraction) >> 16);
}

struct Noise {  // xorshift32: a fixed, portable sequence
  uint32_t state;
  int64_t Next() {
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    return static_cast<int64_t>(state >> 16) - 32768;
  }
};

struct OnePole {
  int64_t coefficient, y = 0;
  int64_t LowPass(int64_t x) { return y += ((x - y) * coefficient) >> 16; }
  int64_t HighPass(int64_t x) { return x - LowPass(x); }
};

// The unscaled waveform, in units of about 2^38 at full level.
std::vector<int64_t> Synthesise(const Instrument& in, uint32_t seed) {
  const int64_t length = in.length;
  const int64_t attack = Samples(in.attackMs), release = length / 4;
  const int64_t glideHalfLife = Samples(in.glideHalfLifeMs);
  const int64_t toneHalfLife = Samples(in.toneHalfLifeMs), noiseHalfLife = Samples(in.noiseHalfLifeMs);
  const int64_t startStep = PhaseStep(in.startHz), endStep = PhaseStep(in.endHz);
  Noise noise{seed};
  OnePole lowpass{PoleCoefficient(in.lowpassHz)}, highpass{PoleCoefficient(in.highpassHz)};
  uint32_t tonePhase = 0, overtonePhase = 0;
  std::vector<int64_t> out(in.length);
  for (int64_t t = 0; t < length; ++t) {
    const int64_t step = endStep + (((startStep - endStep) * Decay(t, glideHalfLife)) >> kUnityShift);
    tonePhase += static_cast<uint32_t>(step);
    overtonePhase += static_cast<uint32_t>(step * in.overtoneQuarters / 4);

    const int64_t toneDecay = Decay(t, toneHalfLife);
    int64_t tone = (SineAt(tonePhase) * toneDecay) >> 14;
    tone += (((SineAt(overtonePhase) * Decay(t, toneHalfLife / 2)) >> 14) * in.overtoneLevel) / 100;

    int64_t hiss = noise.Next();
    if (in.lowpassHz > 0) hiss = lowpass.LowPass(hiss);
    if (in.highpassHz > 0) hiss = highpass.HighPass(hiss);
    hiss = (hiss * Decay(t, noiseHalfLife)) >> 14;

    int64_t v = tone * in.toneLevel + hiss * in.noiseLevel;
    if (t < attack) v = v * t / attack;
    if (t >= length - release) v = v * (length - t) / release * (length - t) / release;
    out[t] = v;
  }
  return out;
}

// Scales each sign's half so that the most extreme sample lands exactly on its target,
// rounding half away from zero.
bool ScaleToExtremes(const std::vector<int64_t>& raw, const Instrument& in, std::vector<int32_t>& out) {
  int64_t most = 0, least = 0;
  for (int64_t v : raw) {
    if (v > most) most = v;
    if (v < least) least = v;
  }
  if (most <= 0 || least >= 0) return false;
  out.resize(raw.size());
  for (size_t i = 0; i < raw.size(); ++i) {
    const int64_t v = raw[i];
    const int64_t scaled = v >= 0 ? (v * in.greatest + most / 2) / most
                                  : -((v * in.least + least / -2) / -least);
    out[i] = static_cast<int32_t>(scaled);
  }
  return true;
}

void WriteClip(FILE* f, int index, const Instrument& in, const std::vector<int32_t>& values) {
  std::fprintf(f, "// %s: %d samples, %d..%d\nint32_t clip%d[%d] = {", in.name, in.length, in.least,
               in.greatest, index, in.length);
  for (size_t i = 0; i < values.size(); ++i)
    std::fprintf(f, "%s%" PRId32 ",", i % 12 == 0 ? "\n   " : " ", values[i]);
  std::fprintf(f, "\n};\n\n");
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: mkclips OUTPUT.cpp\n");
    return 2;
  }
  // Written beside the target and renamed into place, so a failed run leaves no half source.
  const std::string target = argv[1], temporary = target + ".tmp";
  FILE* f = std::fopen(temporary.c_str(), "wb");
  if (!f) {
    std::perror(temporary.c_str());
    return 1;
  }
  std::fprintf(f, "// Generated by mkclips from its instrument table. Do not edit.\n"
                  "#include \"audio/music.h\"\n\nnamespace {\n\n");
  for (int i = 0; i < 8; ++i) {
    const Instrument& in = kInstruments[i];
    std::vector<int32_t> values;
    if (!ScaleToExtremes(Synthesise(in, 0x2545F491u + 977u * static_cast<uint32_t>(i)), in, values)) {
      std::fprintf(stderr, "mkclips: clip %d (%s) is silent on one side\n", i, in.name);
      std::fclose(f);
      std::remove(temporary.c_str());
      return 1;
    }
    WriteClip(f, i, in, values);
  }
  std::fprintf(f, "}  // namespace\n\nMUSICCLIPTABLE MUSICClipTable = {8, {\n");
  for (int i = 0; i < 8; ++i)
    std::fprintf(f, "    {%d, %d, clip%d},\n", kInstruments[i].length, kInstruments[i].length, i);
  std::fprintf(f, "}};\n");
  if (std::fclose(f) != 0 || std::rename(temporary.c_str(), target.c_str()) != 0) {
    std::perror(target.c_str());
    std::remove(temporary.c_str());
    return 1;
  }
  return 0;
}
