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
// last pixel is refused (report, null). Sizes are checked before anything is allocated:
// width x height must fit a signed 32-bit count, and the data left must be able to hold that
// many pixels (a stream that cannot be measured is capped at kStreamPixelCap pixels).
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <vector>

namespace pnm {

constexpr uint64_t kMaxPixels = INT32_MAX;
// Header numbers stop growing here; anything this large is refused as a size anyway.
constexpr uint64_t kNumberCeiling = uint64_t{1} << 40;
// An unseekable stream's length is unknown up front: past this many pixels it is refused.
constexpr uint64_t kStreamPixelCap = uint64_t{1} << 26;

constexpr bool IsDigit(int c) { return c >= '0' && c <= '9'; }
constexpr bool IsBlank(int c) { return c <= 0x20 || c >= 0x7F; }

// ---- byte sources -------------------------------------------------------------------------

// A block of bytes in memory; Peek gives -1 at its end.
class MemorySource {
 public:
  static constexpr bool kFile = false;
  MemorySource(const uint8_t* data, size_t size) : at_(data), end_(data + size) {}
  int Peek() const { return at_ < end_ ? *at_ : -1; }
  void Skip() { at_ += at_ < end_; }
  bool Read(uint8_t* out, size_t n) {
    if (static_cast<size_t>(end_ - at_) < n) return false;
    std::memcpy(out, at_, n);
    at_ += n;
    return true;
  }
  std::optional<uint64_t> Remaining() const { return static_cast<uint64_t>(end_ - at_); }

 private:
  const uint8_t* at_;
  const uint8_t* end_;
};

// A byte stream with one byte of look-ahead; Peek gives -1 at the end of the file.
class FileSource {
 public:
  static constexpr bool kFile = true;
  explicit FileSource(std::FILE* file) : file_(file) {}
  int Peek() {
    if (ahead_ == kEmpty) ahead_ = std::getc(file_);
    return ahead_ < 0 ? -1 : ahead_;
  }
  void Skip() {
    if (Peek() >= 0) ahead_ = kEmpty;
  }
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
  // Bytes left when the stream can be measured (seek to its end and back), else nothing.
  std::optional<uint64_t> Remaining() {
    const long here = std::ftell(file_);
    if (here < 0 || std::fseek(file_, 0, SEEK_END) != 0) return std::nullopt;
    const long end = std::ftell(file_);
    if (std::fseek(file_, here, SEEK_SET) != 0 || end < here) return std::nullopt;
    return static_cast<uint64_t>(end - here) + (ahead_ >= 0 ? 1 : 0);
  }

 private:
  static constexpr int kEmpty = -2;
  std::FILE* file_;
  int ahead_ = kEmpty;
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

// A sample of the plain formats: non-digits skipped, then the run of digits. Values are not
// limited to 0..255 and wrap modulo 2^32. Nothing when the data ends before a digit.
template <class Source>
std::optional<uint32_t> ReadPlainNumber(Source& in) {
  int c = in.Peek();
  for (; c >= 0 && !IsDigit(c); c = in.Peek()) in.Skip();
  if (c < 0) return std::nullopt;
  uint32_t value = 0;
  for (; IsDigit(c); c = in.Peek()) {
    value = value * 10 + static_cast<uint32_t>(c - '0');
    in.Skip();
  }
  return value;
}

// One digit of a plain bitmap in memory: non-digits skipped; the digit itself.
template <class Source>
std::optional<int> ReadPlainDigit(Source& in) {
  int c = in.Peek();
  for (; c >= 0 && !IsDigit(c); c = in.Peek()) in.Skip();
  if (c < 0) return std::nullopt;
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
// inside the header, or (memory) on a stray byte before the magic, which would never be
// passed and so could never let the magic be read.
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

// ---- PNM pixels ---------------------------------------------------------------------------

template <class Traits, class Source>
bool ReadPixels(Source& in, int type, uint32_t width, uint32_t height,
                typename Traits::Pixel* out) {
  const size_t count = static_cast<size_t>(width) * height;
  switch (type) {
    case 1:
      for (size_t i = 0; i < count; ++i) {
        if constexpr (Source::kFile) {
          const auto v = ReadPlainNumber(in);
          if (!v) return false;
          out[i] = Traits::Bit(*v != 0);
        } else {
          const auto d = ReadPlainDigit(in);
          if (!d) return false;
          out[i] = Traits::Bit(*d != 0);
        }
      }
      return true;
    case 2:
      for (size_t i = 0; i < count; ++i) {
        const auto v = ReadPlainNumber(in);
        if (!v) return false;
        out[i] = Traits::Grey(*v);
      }
      return true;
    case 3:
      for (size_t i = 0; i < count; ++i) {
        const auto r = ReadPlainNumber(in);
        const auto g = r ? ReadPlainNumber(in) : std::nullopt;
        const auto b = g ? ReadPlainNumber(in) : std::nullopt;
        if (!b) return false;
        out[i] = Traits::Rgb(*r, *g, *b);
      }
      return true;
    default: break;
  }
  // Raw types, a row at a time. P4 rows start on a new byte, the last byte's spare low bits
  // are skipped.
  const size_t rowBytes = type == 4 ? (width + 7) / 8 : type == 5 ? width : size_t{3} * width;
  std::vector<uint8_t> row(rowBytes);
  const uint8_t* s = row.data();
  for (uint32_t y = 0; y < height; ++y, out += width) {
    if (!in.Read(row.data(), rowBytes)) return false;
    if (type == 4) {
      for (uint32_t x = 0; x < width; ++x) out[x] = Traits::Bit(s[x / 8] >> (7 - x % 8) & 1);
    } else if (type == 5) {
      for (uint32_t x = 0; x < width; ++x) out[x] = Traits::Grey(s[x]);
    } else {
      const uint8_t* rgb = s;
      for (uint32_t x = 0; x < width; ++x, rgb += 3) out[x] = Traits::Rgb(rgb[0], rgb[1], rgb[2]);
    }
  }
  return true;
}

// Reads one PNM image from the source; reports and gives null on any failure.
template <class Traits, class Source>
typename Traits::Map* ReadPNM(Source& in) {
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
  if (fits) {
    const auto left = in.Remaining();
    fits = left ? MinimumDataBytes(type, Source::kFile, width, height) <= *left
                : width * height <= kStreamPixelCap;
  }
  if (!fits) {
    Traits::Report();
    return nullptr;
  }
  auto* map = Create<Traits>(static_cast<int32_t>(width), static_cast<int32_t>(height));
  if (!map) return nullptr;
  if (!ReadPixels<Traits>(in, type, static_cast<uint32_t>(width),
                          static_cast<uint32_t>(height), map->pixels)) {
    Traits::Free(map);
    Traits::Report();
    return nullptr;
  }
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

// Steps over one character, never over the terminating zero.
inline void StepOne(const char*& text) { text += *text != '\0'; }

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
  const uint64_t width = ReadTextDigits(at);
  StepOne(at);
  const uint64_t height = ReadTextDigits(at);
  StepOne(at);
  ReadTextDigits(at);
  StepOne(at);
  // Each pixel needs three numbers with a separator between numbers.
  const bool fits = width <= kMaxPixels && height <= kMaxPixels && width * height <= kMaxPixels &&
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
