// pnm.h - the text form and the PNM readers and writers shared by IMG and BYTEMAP.
//
// Private to the image and byte map modules. Both read and write the same grammars and
// differ only in how a sample becomes a pixel, in their keyword and in their reporter, which
// a traits record supplies:
//
//   struct Traits {
//     using Map = IMG;  using Pixel = uint32_t;
//     static constexpr char kKeyword[] = "IMG";            // text form header
//     static constexpr char kMagic = '6'; kChannels = 3;   // PNM type written
//     static constexpr bool kGreyIsByte = false;           // Grey(b) is the byte b itself
//     static constexpr bool kRgbIsWord = true;             // Rgb(r, g, b) is r<<16|g<<8|b
//     static Map* New(); static void Resize(Map*, int32_t, int32_t); static void Free(Map*);
//     static void Report();
//     static Pixel Bit(bool set), Grey(uint32_t), Rgb(r, g, b), TextRgb(r, g, b);
//     static std::array<uint32_t, 3> TextChannels(Pixel);  // 0..255 each
//     static void Put(Pixel, uint8_t* out);                // kChannels bytes
//   };
//
// PNM header: tokens separated by bytes <= 0x20 or >= 0x7F. "P" and the type digit 1..6 (only
// the first "P" counts), "#" comments running to and including the next line feed, and
// decimal numbers: width, height and, for types 2, 3, 5 and 6, the maximum (read, ignored;
// samples are never scaled). Two readers scan it, with differences that callers rely on:
//
//   file:   a number's terminating byte is consumed and is the one separator before the
//           pixels; a stray byte where a token should start is consumed and reads as 0;
//           P1 pixels are whole numbers; P1/P4 keep the exact width, each row on new bytes.
//   memory: the terminator stays; after the header exactly one byte is skipped; a stray byte
//           fills every remaining header number with 0; P1 pixels are single digits; the
//           P1/P4 width is rounded up to a multiple of 8 and the filler bits become pixels.
//
// Every reader stops at the end of its data: input that ends inside the header or before the
// last pixel is refused (report, null), and so is a file stream that reports a read error.
// The same holds for the text form: a text that ends inside "W H\nMAX\n" is cut short and
// refused, while a whole header that says 0 gives a record of no area.
// Sizes are checked before anything is allocated: width x height must fit a signed 32-bit
// count, and the data left must be able to hold that many pixels. A stream that cannot be
// measured (a pipe, a terminal) is capped at kStreamPixelCap pixels, and its block grows
// geometrically as pixels arrive, so a short stream costs what it holds.
//
// Endless input ends: the header, blanks and comments included, may take at most
// kHeaderByteLimit bytes (1 MiB), and in the plain formats the separator before a sample and
// the digits of a sample at most kPlainRunLimit bytes (1 MiB) each. Past either the input is
// refused, so /dev/zero or a pipe of endless blanks gives a report instead of a hang.
//
// Nothing throws: every allocation is a plain malloc whose failure is a refusal that releases
// whatever the reader had built.
#pragma once

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <utility>

namespace pnm {

constexpr uint64_t kMaxPixels = INT32_MAX;
// Header numbers stop growing here; anything this large is refused as a size anyway.
constexpr uint64_t kNumberCeiling = uint64_t{1} << 40;
// An unseekable stream's length is unknown up front: past this many pixels it is refused.
constexpr uint64_t kStreamPixelCap = uint64_t{1} << 26;
// Far beyond any real header or plain-format gap, small enough that endless input ends soon.
constexpr uint64_t kHeaderByteLimit = uint64_t{1} << 20;
constexpr uint64_t kPlainRunLimit = uint64_t{1} << 20;
// The first block for the pixels of an unmeasured stream; it doubles as they arrive.
constexpr size_t kFirstStreamPixels = 4096;

constexpr bool IsDigit(int c) { return c >= '0' && c <= '9'; }
constexpr bool IsBlank(int c) { return c <= 0x20 || c >= 0x7F; }

// ---- byte sources -------------------------------------------------------------------------
//
// Both sources give the same interface: Peek (-1 at the end), Skip, Read of raw bytes, the
// bytes Remaining when they can be known, and a byte budget for the scanning of the header
// and of plain samples: once Limit(n)'s n bytes have been skipped, Peek gives -1 as at the end
// and Spent() tells the two apart. Raw reads ignore the budget.

// A block of bytes in memory.
class MemorySource {
 public:
  static constexpr bool kFile = false;
  MemorySource(const uint8_t* data, size_t size)
      : at_(data), end_(data + size), limit_(end_) {}
  int Peek() const { return at_ < limit_ ? *at_ : -1; }
  void Skip() { at_ += at_ < limit_; }
  void Limit(uint64_t bytes) {
    capped_ = bytes <= static_cast<uint64_t>(end_ - at_);
    limit_ = capped_ ? at_ + bytes : end_;
  }
  bool Spent() const { return capped_ && at_ == limit_; }
  // The next n bytes where they lie, or null when fewer are left.
  const uint8_t* Take(size_t n) {
    if (static_cast<size_t>(end_ - at_) < n) return nullptr;
    const uint8_t* here = at_;
    at_ += n;
    return here;
  }
  std::optional<uint64_t> Remaining() const { return static_cast<uint64_t>(end_ - at_); }
  bool Failed() const { return false; }

 private:
  const uint8_t* at_;
  const uint8_t* end_;
  const uint8_t* limit_;  // the end of the data or of the budget, whichever comes first
  bool capped_ = false;   // the budget ends first
};

// A byte stream with one byte of look-ahead. Raw pixel data is read through a chunk of
// kChunk bytes: a few large reads rather than one per row.
class FileSource {
 public:
  static constexpr bool kFile = true;
  static constexpr size_t kChunk = 3 * 10922;  // whole RGB triples, 32 KiB
  explicit FileSource(std::FILE* file) : file_(file) {}
  int Peek() {
    if (!left_) return -1;
    if (ahead_ == kEmpty) ahead_ = std::getc(file_);
    return ahead_ < 0 ? -1 : ahead_;
  }
  void Skip() {
    if (Peek() >= 0) ahead_ = kEmpty, --left_;
  }
  void Limit(uint64_t bytes) { left_ = bytes; }
  bool Spent() const { return left_ == 0; }
  // The next n bytes into out; false when the stream ends first.
  bool Read(uint8_t* out, size_t n) {
    if (n == 0) return true;
    if (ahead_ != kEmpty) {
      if (ahead_ < 0) return false;
      *out++ = static_cast<uint8_t>(ahead_);
      ahead_ = kEmpty;
      --n;
    }
    return std::fread(out, 1, n, file_) == n;
  }
  // The next n <= kChunk bytes, read into the chunk, or null when the stream ends first.
  const uint8_t* Take(size_t n) { return Read(chunk_, n) ? chunk_ : nullptr; }
  // Bytes left when the stream can be measured (seek to its end and back), else nothing.
  std::optional<uint64_t> Remaining() {
    const long here = std::ftell(file_);
    if (here < 0 || std::fseek(file_, 0, SEEK_END) != 0) return std::nullopt;
    const long end = std::ftell(file_);
    if (std::fseek(file_, here, SEEK_SET) != 0 || end < here) return std::nullopt;
    return static_cast<uint64_t>(end - here) + (ahead_ >= 0 ? 1 : 0);
  }
  // A read error, as opposed to the end of the file, ends the read as a failure: the data seen
  // so far may stop in the middle of a number.
  bool Failed() const { return std::ferror(file_) != 0; }

 private:
  static constexpr int kEmpty = -2;
  std::FILE* file_;
  int ahead_ = kEmpty;
  uint64_t left_ = UINT64_MAX;
  uint8_t chunk_[kChunk];
};

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

// ---- numbers ------------------------------------------------------------------------------

// A header number from the digits standing at the current byte, growing no further than
// kNumberCeiling. The file reader also consumes the byte that ends it (even a non-digit
// standing alone, which then reads as 0); the memory reader leaves it.
template <class Source>
uint64_t ReadHeaderNumber(Source& in) {
  uint64_t value = 0;
  for (int c = in.Peek(); IsDigit(c); c = in.Peek()) {
    value = std::min(value * 10 + static_cast<uint64_t>(c - '0'), kNumberCeiling);
    in.Skip();
  }
  if constexpr (Source::kFile) in.Skip();
  return value;
}

// Skips the non-digits before a plain sample, at most kPlainRunLimit of them. False when the
// data or the allowance ends first.
template <class Source>
bool SkipToDigit(Source& in) {
  in.Limit(kPlainRunLimit);
  int c = in.Peek();
  for (; c >= 0 && !IsDigit(c); c = in.Peek()) in.Skip();
  return c >= 0;
}

// A sample of the plain formats: non-digits skipped, then the run of digits. Values are not
// limited to 0..255 and wrap modulo 2^32. Nothing when the data ends before a digit or either
// run passes kPlainRunLimit.
template <class Source>
std::optional<uint32_t> ReadPlainNumber(Source& in) {
  if (!SkipToDigit(in)) return std::nullopt;
  in.Limit(kPlainRunLimit);
  uint32_t value = 0;
  for (int c = in.Peek(); IsDigit(c); c = in.Peek()) {
    value = value * 10 + static_cast<uint32_t>(c - '0');
    in.Skip();
  }
  if (in.Spent()) return std::nullopt;
  return value;
}

// One digit of a plain bitmap in memory: non-digits skipped; the digit itself.
template <class Source>
std::optional<int> ReadPlainDigit(Source& in) {
  if (!SkipToDigit(in)) return std::nullopt;
  const int c = in.Peek();
  in.Skip();
  return c - '0';
}

// ---- header -------------------------------------------------------------------------------

struct Header {
  int type = 0;
  uint64_t width = 0;
  uint64_t height = 0;
};

// Scans the header up to the first pixel byte. Nothing on a bad type digit, on data ending
// inside the header or passing kHeaderByteLimit, or (memory) on a stray byte before the
// magic, which would never be passed and so could never let the magic be read.
template <class Source>
std::optional<Header> ScanHeader(Source& in) {
  Header header;
  bool magic = false, haveWidth = false, haveHeight = false, haveMax = false;
  auto take = [&](uint64_t value) {
    if (!haveWidth) {
      header.width = value;
      haveWidth = true;
    } else if (!haveHeight) {
      header.height = value;
      haveHeight = true;
    } else {
      haveMax = true;  // the maximum, or a further number: both dropped
    }
  };
  in.Limit(kHeaderByteLimit);
  while (!(magic && haveWidth && haveHeight && haveMax)) {
    const int c = in.Peek();
    if (c < 0) return std::nullopt;
    if (IsBlank(c)) {
      in.Skip();
    } else if (c == 'P' && !magic) {
      in.Skip();
      const int type = in.Peek();
      if (type < '1' || type > '6') return std::nullopt;
      in.Skip();
      header.type = type - '0';
      magic = true;
      haveMax = haveMax || header.type == 1 || header.type == 4;
    } else if (c == '#') {
      for (int d = in.Peek(); d >= 0 && d != '\n'; d = in.Peek()) in.Skip();
      in.Skip();
    } else if (!Source::kFile && !IsDigit(c)) {
      if (!magic) return std::nullopt;
      while (!(haveWidth && haveHeight && haveMax)) take(0);
    } else {
      take(ReadHeaderNumber(in));
    }
  }
  if constexpr (!Source::kFile) {
    if (in.Peek() < 0) return std::nullopt;
    in.Skip();
  }
  // A number may have been cut short by the allowance running out rather than by its end.
  if (in.Spent()) return std::nullopt;
  in.Limit(UINT64_MAX);
  return header;
}

// The fewest bytes that can hold `pixels` pixels of the type: plain numbers need a separator
// between them, single digits (P1 in memory) and raw samples one byte each, P4 whole bytes.
inline uint64_t MinimumDataBytes(int type, bool wholeBitmapNumbers, uint64_t width,
                                 uint64_t height) {
  const uint64_t pixels = width * height;
  switch (type) {
    case 1: return wholeBitmapNumbers ? 2 * pixels - 1 : pixels;
    case 2: return 2 * pixels - 1;
    case 3: return 6 * pixels - 1;
    case 4: return (width + 7) / 8 * height;
    case 5: return pixels;
    default: return 3 * pixels;
  }
}

// ---- result records -----------------------------------------------------------------------

// A new record of the given size, or null when it cannot be made (New and Resize have
// reported it).
template <class Traits>
typename Traits::Map* Create(int32_t width, int32_t height) {
  auto* map = Traits::New();
  if (!map) return nullptr;
  Traits::Resize(map, width, height);
  if (!map->pixels) {
    Traits::Free(map);
    return nullptr;
  }
  return map;
}

// The pixel block of a reader. Pixels are appended; the block holds all `total` at once when
// the data is known to be there, and otherwise starts small and doubles (never past `total`),
// so that memory follows the data. Every pixel is written before the block is handed over,
// so it is not cleared first. Released unless taken.
template <class Pixel>
class PixelBlock {
 public:
  PixelBlock(size_t total, size_t first) : total_(total), capacity_(std::min(first, total)) {
    data_ = static_cast<Pixel*>(std::malloc(capacity_ * sizeof(Pixel)));
  }
  ~PixelBlock() { std::free(data_); }
  PixelBlock(const PixelBlock&) = delete;
  PixelBlock& operator=(const PixelBlock&) = delete;

  size_t Left() const { return total_ - filled_; }
  bool Whole() const { return capacity_ == total_; }
  // Room for the next n <= Left() pixels, or null when the block cannot grow.
  Pixel* Room(size_t n) {
    if (!data_) return nullptr;
    if (capacity_ - filled_ < n) {
      size_t capacity = capacity_;
      while (capacity - filled_ < n) capacity = std::min(total_, 2 * capacity);
      auto* grown = static_cast<Pixel*>(std::realloc(data_, capacity * sizeof(Pixel)));
      if (!grown) return nullptr;
      data_ = grown;
      capacity_ = capacity;
    }
    return data_ + filled_;
  }
  void Filled(size_t n) { filled_ += n; }
  Pixel* Take() { return std::exchange(data_, nullptr); }

 private:
  size_t total_;
  size_t capacity_;
  size_t filled_ = 0;
  Pixel* data_;
};

// ---- PNM pixels ---------------------------------------------------------------------------

// Raw samples to pixels, one loop per type so that the per-pixel mapping is inlined and the
// loop vectorises. P4 here is memory's: every byte is 8 whole pixels.
template <class Traits, int kType>
void DecodeRaw(const uint8_t* s, size_t pixels, typename Traits::Pixel* out) {
  if constexpr (kType == 4) {
    for (size_t i = 0; i < pixels / 8; ++i, out += 8)
      for (int b = 0; b < 8; ++b) out[b] = Traits::Bit(s[i] >> (7 - b) & 1);
  } else if constexpr (kType == 5 && Traits::kGreyIsByte) {
    std::memcpy(out, s, pixels);  // the library's copy is wider than what the loop becomes
  } else if constexpr (kType == 5) {
    for (size_t i = 0; i < pixels; ++i) out[i] = Traits::Grey(s[i]);
  } else if constexpr (Traits::kRgbIsWord) {
    // The word 0x00RRGGBB is the bytes R G B and the next one, read big-endian and shifted
    // down a byte: one load a pixel. The last pixel has no next byte in the data.
    if (pixels == 0) return;
    for (size_t i = 0; i + 1 < pixels; ++i, s += 3) {
      uint32_t word;
      std::memcpy(&word, s, 4);
      if constexpr (std::endian::native == std::endian::little) word = __builtin_bswap32(word);
      out[i] = word >> 8;
    }
    out[pixels - 1] = Traits::Rgb(s[0], s[1], s[2]);
  } else {
    for (size_t i = 0; i < pixels; ++i, s += 3) out[i] = Traits::Rgb(s[0], s[1], s[2]);
  }
}

// The plain formats, in batches so that the block is checked for room once a batch.
template <class Traits, class Source>
bool ReadPlainPixels(Source& in, int type, PixelBlock<typename Traits::Pixel>& block) {
  constexpr size_t kBatch = 4096;
  while (block.Left()) {
    const size_t n = std::min(kBatch, block.Left());
    auto* out = block.Room(n);
    if (!out) return false;
    for (size_t i = 0; i < n; ++i) {
      if (type == 3) {
        const auto r = ReadPlainNumber(in);
        const auto g = r ? ReadPlainNumber(in) : std::nullopt;
        const auto b = g ? ReadPlainNumber(in) : std::nullopt;
        if (!b) return false;
        out[i] = Traits::Rgb(*r, *g, *b);
      } else if (type == 2) {
        const auto v = ReadPlainNumber(in);
        if (!v) return false;
        out[i] = Traits::Grey(*v);
      } else if constexpr (Source::kFile) {
        const auto v = ReadPlainNumber(in);
        if (!v) return false;
        out[i] = Traits::Bit(*v != 0);
      } else {
        const auto d = ReadPlainDigit(in);
        if (!d) return false;
        out[i] = Traits::Bit(*d != 0);
      }
    }
    block.Filled(n);
  }
  return true;
}

// A raw bitmap from a file keeps the exact width: each row starts on a new byte, and the spare
// low bits of its last byte are skipped. Exactly the bytes the image needs are read, so a
// stream that ends right after them is whole.
template <class Traits>
bool ReadFileBitmap(FileSource& in, uint32_t width, uint32_t height,
                    PixelBlock<typename Traits::Pixel>& block) {
  uint64_t bytesLeft = (uint64_t{width} + 7) / 8 * height;
  uint32_t x = 0;
  while (bytesLeft) {
    const size_t take = static_cast<size_t>(std::min<uint64_t>(FileSource::kChunk, bytesLeft));
    auto* out = block.Room(static_cast<size_t>(std::min<uint64_t>(block.Left(), 8 * take)));
    const uint8_t* s = out ? in.Take(take) : nullptr;
    if (!s) return false;
    size_t made = 0;
    for (size_t i = 0; i < take; ++i) {
      const uint32_t n = std::min<uint32_t>(8, width - x);
      for (uint32_t b = 0; b < n; ++b) out[made + b] = Traits::Bit(s[i] >> (7 - b) & 1);
      made += n;
      x = x + n == width ? 0 : x + n;
    }
    block.Filled(made);
    bytesLeft -= take;
  }
  return true;
}

// Raw types 5 and 6 from a file whose pixel block is already whole: the samples are read in
// one piece into the far end of the block and widened in place, front to back. A stretch of
// k pixels from i on is decoded only while its words end before its samples' bytes begin
// (k <= (P - B)(n - i) / P for P-byte pixels from B-byte samples), so nothing is overwritten
// before it is read; the last few pixels go through a copy of their bytes.
template <class Traits, int kType>
bool ReadRawInPlace(FileSource& in, PixelBlock<typename Traits::Pixel>& block) {
  constexpr size_t kBytes = kType == 6 ? 3 : 1;
  constexpr size_t kSize = sizeof(typename Traits::Pixel);
  static_assert(kSize > kBytes || (kSize == kBytes && Traits::kGreyIsByte));
  const size_t n = block.Left();
  auto* out = block.Room(n);
  if (!out) return false;
  uint8_t* const raw = reinterpret_cast<uint8_t*>(out) + n * (kSize - kBytes);
  if (!in.Read(raw, n * kBytes)) return false;
  if constexpr (kSize > kBytes) {
    size_t i = 0;
    for (; n - i >= kSize; i += (kSize - kBytes) * (n - i) / kSize)
      DecodeRaw<Traits, kType>(raw + kBytes * i, (kSize - kBytes) * (n - i) / kSize, out + i);
    uint8_t tail[kBytes * kSize];
    std::memcpy(tail, raw + kBytes * i, kBytes * (n - i));
    DecodeRaw<Traits, kType>(tail, n - i, out + i);
  }
  block.Filled(n);
  return true;
}

// The raw types 4 (memory), 5 and 6: straight from the data in memory; from a file in place
// when the block is whole and wide enough, otherwise through the source's chunk.
template <class Traits, int kType, class Source>
bool ReadRawPixels(Source& in, PixelBlock<typename Traits::Pixel>& block) {
  constexpr size_t kBytes = kType == 6 ? 3 : 1;
  if constexpr (Source::kFile && kType != 4 &&
                (sizeof(typename Traits::Pixel) > kBytes ||
                 (kType == 5 && Traits::kGreyIsByte))) {
    if (block.Whole()) return ReadRawInPlace<Traits, kType>(in, block);
  }
  constexpr size_t kPixelsPerUnit = kType == 4 ? 8 : 1;  // a unit: kBytes bytes
  while (block.Left()) {
    size_t units = block.Left() / kPixelsPerUnit;
    if constexpr (Source::kFile) units = std::min(units, FileSource::kChunk / kBytes);
    auto* out = block.Room(units * kPixelsPerUnit);
    const uint8_t* s = out ? in.Take(units * kBytes) : nullptr;
    if (!s) return false;
    DecodeRaw<Traits, kType>(s, units * kPixelsPerUnit, out);
    block.Filled(units * kPixelsPerUnit);
  }
  return true;
}

template <class Traits, class Source>
bool ReadPixels(Source& in, int type, uint32_t width, uint32_t height,
                PixelBlock<typename Traits::Pixel>& block) {
  switch (type) {
    case 1:
    case 2:
    case 3: return ReadPlainPixels<Traits>(in, type, block);
    case 4:
      if constexpr (Source::kFile) {
        return ReadFileBitmap<Traits>(in, width, height, block);
      } else {
        return ReadRawPixels<Traits, 4>(in, block);  // the width is a multiple of 8 here
      }
    case 5: return ReadRawPixels<Traits, 5>(in, block);
    default: return ReadRawPixels<Traits, 6>(in, block);
  }
}

// Reads one PNM image from the source; reports and gives null on any failure, having released
// whatever it built.
template <class Traits, class Source>
typename Traits::Map* ReadPNM(Source& in) {
  using Map = typename Traits::Map;
  using Pixel = typename Traits::Pixel;
  const auto header = ScanHeader(in);
  if (!header || header->width == 0 || header->height == 0) {
    Traits::Report();
    return nullptr;
  }
  const int type = header->type;
  uint64_t width = header->width;
  const uint64_t height = header->height;
  if (!Source::kFile && (type == 1 || type == 4)) width = (width + 7) / 8 * 8;
  bool fits = width <= kMaxPixels && height <= kMaxPixels && width * height <= kMaxPixels;
  std::optional<uint64_t> left;
  if (fits) {
    left = in.Remaining();
    fits = left ? MinimumDataBytes(type, Source::kFile, width, height) <= *left
                : width * height <= kStreamPixelCap;
  }
  if (!fits) {
    Traits::Report();
    return nullptr;
  }
  const size_t count = static_cast<size_t>(width * height);
  // malloc and a zeroed record rather than calloc: glibc's calloc bypasses its per-thread
  // cache, so records freed later pile up in the fast bins, and every release of a block of
  // 64 KiB or more then sweeps them (a tenth of a 256 x 256 greymap's read).
  Map* map = static_cast<Map*>(std::malloc(sizeof(Map)));
  if (map) *map = Map{};
  PixelBlock<Pixel> block(count, left ? count : kFirstStreamPixels);
  if (!map ||
      !ReadPixels<Traits>(in, type, static_cast<uint32_t>(width), static_cast<uint32_t>(height),
                          block) ||
      in.Failed()) {
    std::free(map);
    Traits::Report();
    return nullptr;
  }
  map->width = static_cast<int32_t>(width);
  map->height = static_cast<int32_t>(height);
  map->pixels = block.Take();
  return map;
}

template <class Traits>
typename Traits::Map* ReadPNMFile(const char* path) {
  FilePtr file(path ? std::fopen(path, "rb") : nullptr);
  if (!file) {
    Traits::Report();
    return nullptr;
  }
  FileSource in(file.get());
  return ReadPNM<Traits>(in);
}

template <class Traits>
typename Traits::Map* ParsePNM(const uint8_t* data, size_t size) {
  if (!data) {
    Traits::Report();
    return nullptr;
  }
  MemorySource in(data, size);
  return ReadPNM<Traits>(in);
}

// Writes the raw PNM of the traits' type. 1 only when the whole file reached the disk.
template <class Traits>
uint8_t WritePNM(const typename Traits::Map* map, const char* path) {
  if (!map || !map->pixels || !path || map->width <= 0 || map->height <= 0) {
    Traits::Report();
    return 0;
  }
  std::FILE* file = std::fopen(path, "wb");
  if (!file) {
    Traits::Report();
    return 0;
  }
  bool ok = std::fprintf(file, "P%c\n%d %d\n255\n", Traits::kMagic, map->width, map->height) > 0;
  constexpr size_t kChunk = 4096;
  uint8_t buffer[kChunk * Traits::kChannels];
  const size_t count = static_cast<size_t>(map->width) * static_cast<size_t>(map->height);
  for (size_t done = 0; ok && done < count;) {
    const size_t n = std::min(kChunk, count - done);
    for (size_t i = 0; i < n; ++i) {
      Traits::Put(map->pixels[done + i], buffer + i * Traits::kChannels);
    }
    ok = std::fwrite(buffer, Traits::kChannels, n, file) == n;
    done += n;
  }
  ok = (std::fclose(file) == 0) && ok;
  if (!ok) Traits::Report();
  return ok ? 1 : 0;
}

// ---- text form ----------------------------------------------------------------------------

// "%3d " for a value 0..255.
inline char* PutChannel(char* out, uint32_t v) {
  out[0] = v >= 100 ? static_cast<char>('0' + v / 100) : ' ';
  out[1] = v >= 10 ? static_cast<char>('0' + v / 10 % 10) : ' ';
  out[2] = static_cast<char>('0' + v % 10);
  out[3] = ' ';
  return out + 4;
}

// The text form: "<KEY>{\nP3\nW H\n255\n", 12 characters a pixel, six pixels a line, the last
// pixel's last space a line feed, then "}\n". A record of no area is "<KEY>{}".
template <class Traits>
char* ToASCII(const typename Traits::Map* map) {
  if (!map || map->width < 0 || map->height < 0) {
    Traits::Report();
    return nullptr;
  }
  const uint64_t count = static_cast<uint64_t>(map->width) * static_cast<uint64_t>(map->height);
  char header[64];
  const int headerLength =
      count == 0 ? std::snprintf(header, sizeof header, "%s{}", Traits::kKeyword)
                 : std::snprintf(header, sizeof header, "%s{\nP3\n%d %d\n255\n",
                                 Traits::kKeyword, map->width, map->height);
  if (count != 0 && !map->pixels) {
    Traits::Report();
    return nullptr;
  }
  const uint64_t length = static_cast<uint64_t>(headerLength) + (count ? 12 * count + 2 : 0);
  char* text = length < SIZE_MAX ? static_cast<char*>(std::calloc(length + 1, 1)) : nullptr;
  if (!text) {
    Traits::Report();
    return nullptr;
  }
  std::memcpy(text, header, static_cast<size_t>(headerLength));
  char* out = text + headerLength;
  for (uint64_t i = 0; i < count; ++i) {
    const auto channels = Traits::TextChannels(map->pixels[i]);
    for (uint32_t c : channels) out = PutChannel(out, c);
    if ((i + 1) % 6 == 0 || i + 1 == count) out[-1] = '\n';
  }
  if (count != 0) std::memcpy(out, "}\n", 2);
  return text;
}

// Digits standing at `text` (none: 0), growing no further than kNumberCeiling.
inline uint64_t ReadTextDigits(const char*& text) {
  uint64_t value = 0;
  for (; IsDigit(*text); ++text) value = std::min(value * 10 + (*text - '0'), kNumberCeiling);
  return value;
}

// Steps over one character; false at the terminating zero.
inline bool StepOne(const char*& text) {
  if (*text == '\0') return false;
  ++text;
  return true;
}

// The next number of the pixel list: non-digits skipped, then the run of digits (wrapping
// modulo 2^32). Nothing when the text ends first.
inline std::optional<uint32_t> ReadTextNumber(const char*& text) {
  while (*text && !IsDigit(*text)) ++text;
  if (!*text) return std::nullopt;
  uint32_t value = 0;
  for (; IsDigit(*text); ++text) value = value * 10 + static_cast<uint32_t>(*text - '0');
  return value;
}

template <class Traits>
typename Traits::Map* FromASCII(const char* text) {
  const char* at = text ? std::strstr(text, Traits::kKeyword) : nullptr;
  if (at) at = std::strchr(at + std::strlen(Traits::kKeyword), '{');
  if (at) at = std::strstr(at + 1, "P3\n");
  if (!at) {
    Traits::Report();
    return nullptr;
  }
  at += 3;
  // The header is width, one character, height, one character, the maximum's digits and one
  // character; a text that ends before all of it is cut short, not an image of no area.
  const uint64_t width = ReadTextDigits(at);
  bool whole = StepOne(at);
  const uint64_t height = ReadTextDigits(at);
  whole = whole && StepOne(at);
  ReadTextDigits(at);
  whole = whole && StepOne(at);
  // Each pixel needs three numbers with a separator between numbers.
  const bool fits = whole && width <= kMaxPixels && height <= kMaxPixels && width * height <= kMaxPixels &&
                    (width * height == 0 || 6 * width * height - 1 <= std::strlen(at));
  if (!fits) {
    Traits::Report();
    return nullptr;
  }
  auto* map = Create<Traits>(static_cast<int32_t>(width), static_cast<int32_t>(height));
  if (!map) return nullptr;
  const size_t count = static_cast<size_t>(width * height);
  for (size_t i = 0; i < count; ++i) {
    const auto r = ReadTextNumber(at);
    const auto g = r ? ReadTextNumber(at) : std::nullopt;
    const auto b = g ? ReadTextNumber(at) : std::nullopt;
    if (!b) {
      Traits::Free(map);
      Traits::Report();
      return nullptr;
    }
    map->pixels[i] = Traits::TextRgb(*r, *g, *b);
  }
  return map;
}

}  // namespace pnm
