// flash.cpp - the flash measurement of flash.h: block means, the two kinds of transition, the
// one-second windows, the 10-degree fields and the scenes between the fades.
#include "tools/flash.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <deque>

namespace {

constexpr double kGeneralStep = 0.1;     // a change of relative luminance of 0.1 or more
constexpr double kGeneralDarker = 0.8;   // where the darker state is below 0.8
constexpr double kRedStep = 20;          // a change of (R - G - 0.05) * 320 by more than 20
constexpr double kRedSaturated = 0.8;    // to or from a state with R / (R + G + B) >= 0.8
constexpr int32_t kFlashLimit = 3;       // more than 3 flashes in one second
constexpr double kFieldShare = 0.25;     // over more than a quarter of a 10-degree field
constexpr int32_t kFadeSteps = 32;       // the program's fade: 32 steps of 8
constexpr uint32_t kFadeAmount = 8;
constexpr int32_t kRingScenes = 4;

// sRGB bytes decoded to linear light, 0 to 1. WCAG 2.x writes the knee as 0.03928, the sRGB
// standard as 0.04045; no byte value lies between the two, so both give this table.
const std::array<double, 256>& Linear() {
  static const std::array<double, 256> table = [] {
    std::array<double, 256> t{};
    for (int i = 0; i < 256; ++i) {
      const double c = i / 255.0;
      t[i] = c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    }
    return t;
  }();
  return table;
}

// The swings of one measure of one block, with the transitions they made in the last second.
// A transition is measured from the extreme reached since the previous one, so a change made
// over several frames counts once it is large enough, and a slow drift one way counts once.
struct Swing {
  bool started = false;
  int direction = 0;        // +1 after a rise, -1 after a fall, 0 before the first
  double high = 0, low = 0;  // extremes since the last transition
  bool highRed = false, lowRed = false;  // whether those extremes were saturated red
  std::deque<int64_t> times;  // frames of the transitions inside the window

  // Feeds state `value` (with its saturated-red flag for the red rule) at frame t and
  // returns whether it completes a transition. `counts(from, fromRed, to, toRed, sign)` says
  // whether going from one state to the other in direction `sign` (+1 a rise, -1 a fall) is
  // a transition.
  template <class Counts>
  bool Feed(double value, bool red, int64_t t, Counts counts) {
    if (!started) {
      started = true;
      high = low = value;
      highRed = lowRed = red;
      return false;
    }
    int turned = 0;
    if (direction >= 0 && counts(high, highRed, value, red, -1)) turned = -1;
    else if (direction <= 0 && counts(low, lowRed, value, red, +1)) turned = +1;
    if (turned) {
      direction = turned;
      high = low = value;
      highRed = lowRed = red;
      times.push_back(t);
      return true;
    }
    if (value > high) high = value, highRed = red;
    if (value < low) low = value, lowRed = red;
    return false;
  }
  // Flashes in the window of `rate` frame changes up to frame t.
  int32_t Flashes(int64_t t, int32_t rate) {
    while (!times.empty() && times.front() <= t - rate) times.pop_front();
    return static_cast<int32_t>(times.size() / 2);
  }
};

bool GeneralTransition(double from, bool, double to, bool, int sign) {
  const double change = sign * (to - from);
  return change >= kGeneralStep && std::min(from, to) < kGeneralDarker;
}

bool RedTransition(double from, bool fromRed, double to, bool toRed, int sign) {
  return sign * (to - from) > kRedStep && (fromRed || toRed);
}

struct FrameMark {
  bool general, red;
  uint8_t mostGeneral, mostRed;
};
struct Fade {
  int64_t first, last;
};

}  // namespace

struct FLASHMETER {
  int32_t width, height;
  FLASHVIEW view;
  int32_t side;                   // of a block, in picture pixels
  int32_t blocksX, blocksY;
  double fieldWidth, fieldHeight;  // picture pixels
  int32_t fieldW, fieldH;          // the same, whole and cut to the picture
  double fieldLimit;               // pixels of a field that may flash
  std::vector<Swing> general, red;
  std::vector<int32_t> blockArea;  // pixels of each block (edge blocks may be smaller)
  std::vector<uint8_t> generalOver, redOver;  // per block, this frame: over 3 flashes a second
  std::vector<int32_t> table;      // summed-area table of flagged pixels, (w + 1) x (h + 1)
  std::vector<uint32_t> previous;  // the last frame (black before the first)
  std::vector<double> sums;        // per block: linear red, green, blue
  std::vector<FrameMark> marks;
  std::vector<Fade> fades;
  int32_t run = 0;                 // frames in a row that were the one before darkened
  bool inFade = false;
};

namespace {

// Whether `now` is `before` with every channel lowered by the fade's step, and whether it is
// black.
void FadeStep(const uint32_t* before, const uint32_t* now, size_t n, bool* darker, bool* black) {
  bool d = true, b = true;
  for (size_t i = 0; i < n && (d || b); ++i) {
    const uint32_t p = before[i], q = now[i] & 0xFFFFFFu;
    uint32_t want = 0;
    for (int shift = 0; shift < 24; shift += 8) {
      const uint32_t c = (p >> shift) & 0xFF;
      want |= (c > kFadeAmount ? c - kFadeAmount : 0) << shift;
    }
    d = d && q == want;
    b = b && q == 0;
  }
  *darker = d;
  *black = b;
}

void FindFades(FLASHMETER* m, const uint32_t* pixels, int64_t t) {
  bool darker = false, black = false;
  FadeStep(m->previous.data(), pixels, m->previous.size(), &darker, &black);
  if (m->inFade && darker && black) {
    m->fades.back().last = t;  // black frames after a fade are part of it
    return;
  }
  m->inFade = false;
  m->run = darker ? m->run + 1 : 0;
  if (m->run >= kFadeSteps && black) {
    m->fades.push_back({t - (kFadeSteps - 1), t});
    m->inFade = true;
    m->run = 0;
  }
}

// Whether the blocks flagged in `flagged` cover more than the limit of some field.
bool FieldOver(FLASHMETER* m, const std::vector<uint8_t>& flagged) {
  int64_t total = 0;
  for (size_t b = 0; b < flagged.size(); ++b)
    if (flagged[b]) total += m->blockArea[b];
  if (total <= m->fieldLimit) return false;
  const int32_t w = m->width, h = m->height, stride = w + 1, side = m->side;
  int32_t* s = m->table.data();
  for (int32_t y = 0; y < h; ++y) {
    int32_t rowSum = 0;
    const uint8_t* flags = &flagged[static_cast<size_t>(y / side) * m->blocksX];
    for (int32_t x = 0; x < w; ++x) {
      rowSum += flags[x / side];
      s[(y + 1) * stride + x + 1] = s[y * stride + x + 1] + rowSum;
    }
  }
  for (int32_t y = 0; y + m->fieldH <= h; ++y)
    for (int32_t x = 0; x + m->fieldW <= w; ++x) {
      const int32_t y2 = y + m->fieldH, x2 = x + m->fieldW;
      const int32_t area = s[y2 * stride + x2] - s[y * stride + x2] - s[y2 * stride + x] +
                           s[y * stride + x];
      if (area > m->fieldLimit) return true;
    }
  return false;
}

// The part of the marks [first, first + frames): its seconds and those over the limits.
FLASHPART Part(const FLASHMETER* m, int32_t scene, int64_t first, int64_t frames) {
  FLASHPART part;
  part.scene = scene;
  part.first = first;
  part.frames = frames;
  const int32_t rate = m->view.rate;
  part.seconds = static_cast<int32_t>(std::max<int64_t>(1, (frames + rate / 2) / rate));
  for (int64_t i = 0; i < frames; ++i) {
    const FrameMark& mark = m->marks[static_cast<size_t>(first + i)];
    const int32_t second = static_cast<int32_t>(std::min<int64_t>(i / rate, part.seconds - 1));
    if (mark.general && (part.general.empty() || part.general.back() != second))
      part.general.push_back(second);
    if (mark.red && (part.red.empty() || part.red.back() != second)) part.red.push_back(second);
    part.mostGeneral = std::max<int32_t>(part.mostGeneral, mark.mostGeneral);
    part.mostRed = std::max<int32_t>(part.mostRed, mark.mostRed);
  }
  return part;
}

}  // namespace

FLASHMETER* FLASHMeterNew(int32_t width, int32_t height, const FLASHVIEW& view) {
  if (width <= 0 || height <= 0 || view.screenWidth <= 0 || view.screenHeight <= 0 ||
      view.pictureHeight <= 0 || view.block <= 0 || view.rate <= 0)
    return nullptr;
  auto* m = new FLASHMETER{};
  m->width = width;
  m->height = height;
  m->view = view;
  // WCAG's 10-degree field, 341 x 256 pixels of a 1024 x 768 screen: a third of the screen
  // each way. It and the blocks in picture pixels, at the scale the picture is shown.
  const double scale = static_cast<double>(view.pictureHeight) / height;
  m->side = std::clamp(static_cast<int32_t>(std::lround(view.block / scale)), 1,
                       std::max(width, height));
  m->blocksX = (width + m->side - 1) / m->side;
  m->blocksY = (height + m->side - 1) / m->side;
  m->fieldWidth = view.screenWidth / 3.0 / scale;
  m->fieldHeight = view.screenHeight / 3.0 / scale;
  m->fieldLimit = kFieldShare * m->fieldWidth * m->fieldHeight;
  // A field larger than the picture reaches past it, where nothing flashes.
  m->fieldW = std::clamp(static_cast<int32_t>(std::lround(m->fieldWidth)), 1, width);
  m->fieldH = std::clamp(static_cast<int32_t>(std::lround(m->fieldHeight)), 1, height);
  const size_t blocks = static_cast<size_t>(m->blocksX) * m->blocksY;
  m->general.resize(blocks);
  m->red.resize(blocks);
  m->generalOver.resize(blocks);
  m->redOver.resize(blocks);
  m->sums.resize(blocks * 3);
  m->blockArea.resize(blocks);
  for (int32_t by = 0; by < m->blocksY; ++by)
    for (int32_t bx = 0; bx < m->blocksX; ++bx)
      m->blockArea[static_cast<size_t>(by) * m->blocksX + bx] =
          (std::min(width, (bx + 1) * m->side) - bx * m->side) *
          (std::min(height, (by + 1) * m->side) - by * m->side);
  m->table.assign(static_cast<size_t>(width + 1) * (height + 1), 0);
  m->previous.assign(static_cast<size_t>(width) * height, 0);
  return m;
}

void FLASHMeterFree(FLASHMETER** meter) {
  if (!meter || !*meter) return;
  delete *meter;
  *meter = nullptr;
}

bool FLASHMeterAdd(FLASHMETER* m, const IMG& frame) {
  if (!m || !frame.pixels || frame.width != m->width || frame.height != m->height) return false;
  const int64_t t = static_cast<int64_t>(m->marks.size());
  FindFades(m, frame.pixels, t);

  const auto& linear = Linear();
  std::fill(m->sums.begin(), m->sums.end(), 0.0);
  const int32_t side = m->side;
  for (int32_t y = 0; y < m->height; ++y) {
    const uint32_t* row = frame.pixels + static_cast<size_t>(y) * m->width;
    double* sums = &m->sums[static_cast<size_t>(y / side) * m->blocksX * 3];
    for (int32_t x = 0; x < m->width; ++x) {
      const uint32_t p = row[x];
      double* s = sums + static_cast<size_t>(x / side) * 3;
      s[0] += linear[(p >> 16) & 0xFF];
      s[1] += linear[(p >> 8) & 0xFF];
      s[2] += linear[p & 0xFF];
    }
  }

  FrameMark mark{};
  int32_t mostGeneral = 0, mostRed = 0;
  bool anyGeneral = false, anyRed = false;
  for (size_t b = 0; b < m->generalOver.size(); ++b) {
    const double area = m->blockArea[b];
    const double r = m->sums[b * 3] / area, g = m->sums[b * 3 + 1] / area,
                 bl = m->sums[b * 3 + 2] / area;
    const double luminance = 0.2126 * r + 0.7152 * g + 0.0722 * bl;
    const double all = r + g + bl;
    const bool saturated = all > 0 && r / all >= kRedSaturated;
    const double redness = std::max(0.0, (r - g - 0.05) * 320);
    m->general[b].Feed(luminance, false, t, GeneralTransition);
    m->red[b].Feed(redness, saturated, t, RedTransition);
    const int32_t general = m->general[b].Flashes(t, m->view.rate);
    const int32_t red = m->red[b].Flashes(t, m->view.rate);
    mostGeneral = std::max(mostGeneral, general);
    mostRed = std::max(mostRed, red);
    m->generalOver[b] = general > kFlashLimit;
    m->redOver[b] = red > kFlashLimit;
    anyGeneral = anyGeneral || m->generalOver[b];
    anyRed = anyRed || m->redOver[b];
  }
  mark.general = anyGeneral && FieldOver(m, m->generalOver);
  mark.red = anyRed && FieldOver(m, m->redOver);
  mark.mostGeneral = static_cast<uint8_t>(std::min(mostGeneral, 255));
  mark.mostRed = static_cast<uint8_t>(std::min(mostRed, 255));
  m->marks.push_back(mark);
  std::copy(frame.pixels, frame.pixels + m->previous.size(), m->previous.begin());
  return true;
}

FLASHREPORT FLASHMeterReport(const FLASHMETER* m) {
  FLASHREPORT report;
  if (!m) return report;
  report.fieldWidth = m->fieldWidth;
  report.fieldHeight = m->fieldHeight;
  report.blockSide = m->side;
  const int64_t n = static_cast<int64_t>(m->marks.size());
  report.whole = Part(m, 0, 0, n);
  if (n == 0) report.whole.seconds = 0;
  // The stretches between the fades: before the first, then after each one.
  int64_t start = 0;
  for (size_t k = 0; k <= m->fades.size(); ++k) {
    const int64_t end = k < m->fades.size() ? m->fades[k].first : n;
    const int32_t scene = k == 0 ? 0 : static_cast<int32_t>((k - 1) % kRingScenes) + 1;
    if (end > start) report.scenes.push_back(Part(m, scene, start, end - start));
    if (k < m->fades.size()) start = m->fades[k].last + 1;
  }
  return report;
}
