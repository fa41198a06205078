// samplefmt.cpp - SAMPLE text form, raw PCM streams, editing, analysis and arithmetic.
//
// The readers (SAMPLEFromASCII, SAMPLEFromList, SAMPLEReadRaw) never read past their input,
// refuse counts the input cannot hold before reserving anything, and refuse values or sizes
// that do not fit a signed 32-bit integer.
#include <bit>
#include <charconv>
#include <cstdlib>
#include <cstring>

#include "audio/sample.h"

namespace {

bool SampleValid(const SAMPLE* sample) {
  if (sample && sample->items) return true;
  SAMPLEError();
  return false;
}

int32_t WrapMul(int32_t a, int32_t b) { return int32_t(uint32_t(a) * uint32_t(b)); }

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Reads a run of decimal digits at p into value, refusing runs above limit. No digits read 0.
bool ReadDigits(const char*& p, int64_t limit, int64_t& value) {
  value = 0;
  for (; IsDigit(*p); p++) {
    value = value * 10 + (*p - '0');
    if (value > limit) return false;
  }
  return true;
}

// One value of the text forms: skips to the next "-" or digit, then an optional "-" and a run
// of digits (a lone "-" reads 0). kEnd when the text ends first, kOverflow for a value beyond
// 32 bits.
enum class Scan { kValue, kEnd, kOverflow };
Scan ReadValue(const char*& p, int32_t& out) {
  while (*p && *p != '-' && !IsDigit(*p)) p++;
  if (!*p) return Scan::kEnd;
  const bool negative = *p == '-';
  if (negative) p++;
  int64_t magnitude;
  if (!ReadDigits(p, negative ? int64_t(INT32_MAX) + 1 : INT32_MAX, magnitude))
    return Scan::kOverflow;
  out = int32_t(negative ? -magnitude : magnitude);
  return Scan::kValue;
}

// Doubling growth for the readers: twice the capacity, at most INT32_MAX slots. False (already
// reported) when the SAMPLE cannot grow.
bool Grow(SAMPLE* sample) {
  if (sample->capacity >= INT32_MAX) {
    SAMPLEError();
    return false;
  }
  const int32_t capacity = sample->capacity > 0 ? sample->capacity : 1;
  const int32_t want = capacity > INT32_MAX / 2 ? INT32_MAX : capacity * 2;
  SAMPLEReserve(sample, want);
  return sample->capacity == want;
}

SAMPLE* Refuse(SAMPLE* partial) {
  SAMPLEError();
  if (partial) SAMPLEFree(&partial);
  return nullptr;
}

char* RefuseText() {
  SAMPLEError();
  return nullptr;
}

size_t DecimalSize(int32_t v) {
  char digits[16];
  return size_t(std::to_chars(digits, digits + sizeof digits, v).ptr - digits);
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Text form: "SAMPLE{n\n" then one "%ld\n" line per element, then "}\n"; empty: "SAMPLE{}\n".

char* SAMPLEToASCII(const SAMPLE* sample) {
  if (!SampleValid(sample)) return nullptr;
  if (sample->length == 0) {
    static const char kEmpty[] = "SAMPLE{}\n";
    char* text = static_cast<char*>(malloc(sizeof kEmpty));
    if (!text) return RefuseText();
    return static_cast<char*>(memcpy(text, kEmpty, sizeof kEmpty));
  }
  // At most 12 characters per element ("-2147483648\n") and 2^31 elements: the sum is checked
  // so that a narrow size_t can never wrap.
  size_t size = 7 + DecimalSize(sample->length) + 1 + 2 + 1;
  for (int32_t i = 0; i < sample->length; i++) {
    const size_t line = DecimalSize(sample->items[i]) + 1;
    if (size > SIZE_MAX - line) return RefuseText();
    size += line;
  }
  char* text = static_cast<char*>(malloc(size));
  if (!text) return RefuseText();
  char* out = text;
  char* const end = text + size;
  memcpy(out, "SAMPLE{", 7);
  out = std::to_chars(out + 7, end, sample->length).ptr;
  *out++ = '\n';
  for (int32_t i = 0; i < sample->length; i++) {
    out = std::to_chars(out, end, sample->items[i]).ptr;
    *out++ = '\n';
  }
  memcpy(out, "}\n", 3);
  return text;
}

SAMPLE* SAMPLEFromASCII(const char* text) {
  if (!text) return Refuse(nullptr);
  const char* p = strstr(text, "SAMPLE");
  if (!p) return Refuse(nullptr);
  p = strchr(p + 6, '{');
  if (!p) return Refuse(nullptr);
  for (p++; *p && *p != '}' && !IsDigit(*p); p++) {
  }
  if (*p == '}') return SAMPLENew();
  if (!*p) return Refuse(nullptr);
  int64_t count;
  if (!ReadDigits(p, INT32_MAX, count)) return Refuse(nullptr);
  // Every value takes at least one character, so a count beyond what is left of the text
  // cannot be read: refuse it before reserving storage for it.
  if (size_t(count) > strlen(p)) return Refuse(nullptr);
  const int32_t n = int32_t(count);
  SAMPLE* sample = SAMPLENew();
  if (!sample) return Refuse(nullptr);
  SAMPLEReserve(sample, n);  // a count of 0 keeps the 32 slots of SAMPLENew
  if (!sample->items || sample->capacity < n) return Refuse(sample);
  for (int32_t i = 0; i < n; i++)
    if (ReadValue(p, sample->items[i]) != Scan::kValue) return Refuse(sample);
  sample->length = n;
  return sample;
}

SAMPLE* SAMPLEFromList(const char* text) {
  if (!text) return Refuse(nullptr);
  SAMPLE* sample = SAMPLENew();
  if (!sample || !sample->items) return Refuse(sample);
  for (;;) {
    int32_t value;
    const Scan scan = ReadValue(text, value);
    if (scan == Scan::kEnd) return sample;
    if (scan == Scan::kOverflow) return Refuse(sample);
    if (sample->length == sample->capacity && !Grow(sample)) return Refuse(sample);
    sample->items[sample->length++] = value;
  }
}

// ---------------------------------------------------------------------------------------------
// Raw PCM streams.

namespace {

// Decodes n samples of one encoding from bytes into out. One instantiation per encoding keeps
// the inner loop free of branches, so it vectorises.
template <int kWidth, bool kBig, bool kSigned>
void DecodeRaw(const uint8_t* bytes, size_t n, int32_t* out) {
  for (size_t i = 0; i < n; i++) {
    if constexpr (kWidth == 8) {
      out[i] = kSigned ? int32_t(int8_t(bytes[i])) * 256 : int32_t(bytes[i]) * 256 - 32768;
    } else {
      const uint8_t* b = bytes + 2 * i;
      const uint16_t word = kBig ? uint16_t(b[0] << 8 | b[1]) : uint16_t(b[1] << 8 | b[0]);
      out[i] = kSigned ? int32_t(int16_t(word)) : int32_t(word) - 32768;
    }
  }
}

using RawDecoder = void (*)(const uint8_t*, size_t, int32_t*);

RawDecoder ChooseDecoder(int32_t width, char order, char sign) {
  const bool big = order == 'b', isSigned = sign == 's';
  if (width == 8) return isSigned ? DecodeRaw<8, false, true> : DecodeRaw<8, false, false>;
  if (big) return isSigned ? DecodeRaw<16, true, true> : DecodeRaw<16, true, false>;
  return isSigned ? DecodeRaw<16, false, true> : DecodeRaw<16, false, false>;
}

// The capacity to start a raw read with. When the stream is seekable its remaining size is
// known, and the capacity that doubling from 1024 would end at is reserved at once, sparing
// the intermediate blocks and their copies; otherwise 1024. 0 refuses: a stream with more
// samples than a SAMPLE can hold, or one whose position could not be restored.
int32_t RawCapacity(FILE* stream, size_t bytesPerSample) {
  const long here = ftell(stream);
  if (here < 0 || fseek(stream, 0, SEEK_END) != 0) return 1024;
  const long end = ftell(stream);
  if (fseek(stream, here, SEEK_SET) != 0) return 0;
  if (end <= here) return 1024;
  const uint64_t samples = uint64_t(end - here) / bytesPerSample;
  if (samples > uint64_t(INT32_MAX)) return 0;
  int64_t capacity = 1024;
  while (capacity < int64_t(samples)) capacity *= 2;
  return int32_t(capacity > INT32_MAX ? INT32_MAX : capacity);
}

}  // namespace

SAMPLE* SAMPLEReadRaw(FILE* stream, int32_t width, char order, char sign) {
  if (!stream || (width != 8 && width != 16) || (order != 'b' && order != 'l') ||
      (sign != 's' && sign != 'u'))
    return Refuse(nullptr);
  const size_t bytesPerSample = size_t(width / 8);
  const int32_t capacity = RawCapacity(stream, bytesPerSample);
  if (capacity == 0) return Refuse(nullptr);
  SAMPLE* sample = SAMPLENew();
  if (!sample) return Refuse(nullptr);
  SAMPLEReserve(sample, capacity);
  if (sample->capacity != capacity) return Refuse(sample);
  const RawDecoder decode = ChooseDecoder(width, order, sign);
  // The block keeps one spare byte in front for a 16-bit sample split between two reads.
  uint8_t block[1 + 32768];
  size_t carried = 0;
  for (;;) {
    const size_t got = fread(block + carried, 1, sizeof block - carried, stream);
    if (got == 0) break;
    const size_t bytes = carried + got;
    const size_t samples = bytes / bytesPerSample;
    while (int64_t(sample->length) + int64_t(samples) > sample->capacity)
      if (!Grow(sample)) return Refuse(sample);
    decode(block, samples, sample->items + sample->length);
    sample->length += int32_t(samples);
    carried = bytes - samples * bytesPerSample;
    if (carried) block[0] = block[bytes - 1];
  }
  // fread gives 0 at the end of the stream and on an error alike; an error (a device that
  // fails, a stream not open for reading) means the samples read are not the whole stream.
  if (ferror(stream)) return Refuse(sample);
  return sample;  // a last odd byte of a 16-bit stream is dropped
}

namespace {

// Encodes n values of one width and byte order into out, each clamped to the width's range
// (32 bits only turns INT32_MIN into -INT32_MAX). One instantiation per encoding keeps the
// loop free of run-time width and order tests, so it vectorises.
template <int kBytes, bool kBig>
void EncodeRaw(const int32_t* in, size_t n, uint8_t* out) {
  for (size_t i = 0; i < n; i++, out += kBytes) {
    int32_t v = in[i];
    if constexpr (kBytes == 1) v = v < -128 ? -128 : v > 127 ? 127 : v;
    if constexpr (kBytes == 2) v = v < -32768 ? -32768 : v > 32767 ? 32767 : v;
    if constexpr (kBytes == 3) v = v < -8388608 ? -8388608 : v > 8388607 ? 8388607 : v;
    if constexpr (kBytes == 4) v = v == INT32_MIN ? -INT32_MAX : v;
    const uint32_t word = uint32_t(v);
    if constexpr (kBytes == 2 && std::endian::native == std::endian::little) {
      // One 16-bit store rather than two byte stores: the loop becomes packs and swaps.
      const uint16_t half = kBig ? uint16_t(word << 8 | (word >> 8 & 0xFF)) : uint16_t(word);
      memcpy(out, &half, 2);
    } else {
      for (int k = 0; k < kBytes; k++)
        out[k] = uint8_t(word >> (8 * (kBig ? kBytes - 1 - k : k)));
    }
  }
}

using RawEncoder = void (*)(const int32_t*, size_t, uint8_t*);

RawEncoder ChooseEncoder(int32_t bytes, bool big) {
  switch (bytes) {
    case 1: return EncodeRaw<1, false>;
    case 3: return big ? EncodeRaw<3, true> : EncodeRaw<3, false>;
    case 4: return big ? EncodeRaw<4, true> : EncodeRaw<4, false>;
    default: return big ? EncodeRaw<2, true> : EncodeRaw<2, false>;
  }
}

}  // namespace

void SAMPLEWriteRaw(const SAMPLE* sample, FILE* stream, int32_t width, char order) {
  if (!SampleValid(sample)) return;
  if (!stream) {
    SAMPLEError();
    return;
  }
  if (width != 8 && width != 24 && width != 32) width = 16;
  const int32_t bytes = width / 8;
  const RawEncoder encode = ChooseEncoder(bytes, order == 'b');
  // Whole blocks of samples: encoded in one call, written in one call.
  uint8_t block[3 * 4 * 4096];
  const size_t perBlock = sizeof block / size_t(bytes);
  for (size_t done = 0, length = size_t(sample->length); done < length;) {
    const size_t n = length - done < perBlock ? length - done : perBlock;
    encode(sample->items + done, n, block);
    fwrite(block, size_t(bytes), n, stream);
    done += n;
  }
}

// ---------------------------------------------------------------------------------------------
// Editing.

void SAMPLEInsertSAMPLE(SAMPLE* destination, const SAMPLE* source, int32_t at) {
  if (!SampleValid(destination) || !SampleValid(source)) return;
  const int32_t length = destination->length;
  const int32_t n = source->length;
  if (at < 0 || at > length || int64_t(length) + n > INT32_MAX) {
    SAMPLEError();
    return;
  }
  // A SAMPLE inserted into itself contributes its elements as they were before the insertion:
  // they are set aside first, since the reserve below replaces the storage they live in.
  int32_t* own = nullptr;
  if (source == destination && n > 0) {
    own = static_cast<int32_t*>(malloc(sizeof(int32_t) * size_t(n)));
    if (!own) {
      SAMPLEError();
      return;
    }
    memcpy(own, source->items, sizeof(int32_t) * size_t(n));
  }
  SAMPLEReserve(destination, length + n);  // exactly the new size
  if (destination->capacity == length + n && n > 0) {
    destination->length = length + n;
    SAMPLECopyRange(destination, destination, length - at, at, at + n);
    memcpy(destination->items + at, own ? own : source->items, sizeof(int32_t) * size_t(n));
  }
  free(own);
}

SAMPLE* SAMPLESub(const SAMPLE* sample, int32_t from, int32_t to) {
  if (!SampleValid(sample)) return nullptr;
  if (from > to) return Refuse(nullptr);
  if (to > sample->length) to = sample->length;
  if (from < 0) from = 0;
  SAMPLE* sub = SAMPLENew();
  if (!sub) return nullptr;
  if (to - from >= 1) {
    const int32_t n = to - from;
    SAMPLEReserve(sub, n);
    if (sub->capacity != n) return Refuse(sub);
    memcpy(sub->items, sample->items + from, sizeof(int32_t) * size_t(n));
    sub->length = n;
  } else {
    SAMPLEReserve(sub, to - from);  // reports, as an empty range has no size to reserve
  }
  return sub;
}

void SAMPLEInsert(SAMPLE* sample, int32_t value, int32_t index) {
  if (!SampleValid(sample)) return;
  if (index < 0 || index > sample->length) {
    SAMPLEError();
    return;
  }
  if (sample->length >= sample->capacity && !Grow(sample)) return;
  sample->length++;
  SAMPLECopyRange(sample, sample, sample->length - 1 - index, index, index + 1);
  sample->items[index] = value;
}

void SAMPLERemove(SAMPLE* sample, int32_t index) {
  if (!SampleValid(sample)) return;
  if (index < 0 || index >= sample->length) {
    SAMPLEError();
    return;
  }
  SAMPLECopyRange(sample, sample, sample->length - index - 1, index + 1, index);
  sample->length--;
}

// ---------------------------------------------------------------------------------------------
// Analysis.

int32_t SAMPLEFind(const SAMPLE* sample, int32_t value, int32_t from) {
  if (!SampleValid(sample)) return -1;
  if (from < 0 || from >= sample->length) {
    SAMPLEError();
    return -1;
  }
  // 32 elements at a time are tested together, a test without an early exit that the
  // compiler turns into vector compares; the group that holds a match is then searched
  // element by element for the first one.
  const int32_t* items = sample->items;
  const int32_t length = sample->length;
  int32_t i = from;
  for (; length - i >= 32; i += 32) {
    int32_t hits = 0;
    for (int32_t k = 0; k < 32; k++) hits |= items[i + k] == value;
    if (hits) break;
  }
  for (; i < length; i++)
    if (items[i] == value) return i;
  return -1;
}

int32_t SAMPLEMatchCount(const SAMPLE* a, const SAMPLE* b, int32_t shift) {
  if (!SampleValid(a) || !SampleValid(b)) return 0;
  if (int64_t(shift) < 1 - int64_t(b->length) || shift >= a->length) {
    SAMPLEError();
    return 0;
  }
  int32_t count = 0;
  for (int32_t i = shift < 0 ? -shift : 0; i < b->length && int64_t(shift) + i < a->length; i++)
    if (a->items[shift + i] == b->items[i]) count++;
  return count;
}

int32_t SAMPLEBestShift(const SAMPLE* a, const SAMPLE* b) {
  if (!SampleValid(a) || !SampleValid(b)) return 0;
  int32_t best = -b->length;
  int32_t bestCount = 0;
  for (int64_t shift = 1 - int64_t(b->length); shift < a->length; shift++) {
    const int32_t count = SAMPLEMatchCount(a, b, int32_t(shift));
    if (count > bestCount) {
      bestCount = count;
      best = int32_t(shift);
    }
  }
  return best;
}

namespace {

template <typename Better>
int32_t Extreme(const SAMPLE* sample, Better better) {
  if (!SampleValid(sample)) return 0;
  if (sample->length < 1) {
    SAMPLEError();
    return 0;
  }
  int32_t result = sample->items[sample->length - 1];
  for (int32_t i = sample->length - 2; i >= 0; i--)
    if (better(sample->items[i], result)) result = sample->items[i];
  return result;
}

}  // namespace

int32_t SAMPLEMin(const SAMPLE* sample) {
  return Extreme(sample, [](int32_t v, int32_t m) { return v < m; });
}

int32_t SAMPLEMax(const SAMPLE* sample) {
  return Extreme(sample, [](int32_t v, int32_t m) { return v > m; });
}

// ---------------------------------------------------------------------------------------------
// Arithmetic.

void SAMPLEReverse(SAMPLE* sample) {
  if (!SampleValid(sample)) return;
  for (int32_t i = 0, j = sample->length - 1; i < j; i++, j--) {
    const int32_t t = sample->items[i];
    sample->items[i] = sample->items[j];
    sample->items[j] = t;
  }
}

void SAMPLEScale(SAMPLE* sample, int32_t k) {
  if (!SampleValid(sample)) return;
  // Length and block read once, so that the loop becomes vector code (see SAMPLEShiftLeft).
  int32_t* items = sample->items;
  const int32_t length = sample->length;
  for (int32_t i = 0; i < length; i++) items[i] = WrapMul(items[i], k);
}

void SAMPLEMultiply(SAMPLE* a, const SAMPLE* b) {
  if (!SampleValid(a) || !SampleValid(b)) return;
  const int32_t n = a->length < b->length ? a->length : b->length;
  for (int32_t i = 0; i < n; i++) a->items[i] = WrapMul(a->items[i], b->items[i]);
}

void SAMPLENormalize(SAMPLE* sample, int32_t lo, int32_t hi) {
  if (!SampleValid(sample)) return;
  const int64_t min = SAMPLEMin(sample);
  const int64_t max = SAMPLEMax(sample);
  if (max == min) {
    SAMPLEError();
    return;
  }
  // 16.16 fixed point in 64 bits: |factor| <= 2^48 / (max - min) and v - min <= max - min, so
  // the product stays below 2^48 and the result lies between lo and hi.
  const int64_t factor = (int64_t(hi) - lo) * 65536 / (max - min);
  for (int32_t i = 0; i < sample->length; i++)
    sample->items[i] = int32_t(lo + (((sample->items[i] - min) * factor) >> 16));
}

void SAMPLEResample(SAMPLE* sample, int32_t n) {
  if (!SampleValid(sample)) return;
  const int32_t length = sample->length;
  // An empty SAMPLE has no element to repeat, so it cannot be stretched.
  if (n < 1 || n == length || length == 0) {
    SAMPLEError();
    return;
  }
  auto* items = static_cast<int32_t*>(calloc(size_t(n), sizeof(int32_t)));
  if (!items) {
    SAMPLEError();
    return;
  }
  const int32_t* source = sample->items;
  if (n > length) {
    // Stretching with an error term, so no element is repeated more often than a later one.
    int64_t e = int64_t(length) - n;
    int32_t j = 0;
    for (int32_t i = 0; i < n; i++) {
      if (e > 0) {
        e -= n;
        j++;
      }
      items[i] = source[j];
      e += length;
    }
  } else {
    // Shrinking keeps the element at the centre of each of n equal stretches of the source:
    // output i takes source (2i + 1) * length / (2n). The stretches are longer than one
    // element, so the positions strictly increase and stay below length.
    for (int32_t i = 0; i < n; i++)
      items[i] = source[(2 * int64_t(i) + 1) * length / (2 * int64_t(n))];
  }
  free(sample->items);
  sample->items = items;
  sample->length = n;
  sample->capacity = n;
}
