// SAMPLE text form, list reader, raw PCM streams, editing, analysis and arithmetic.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <string>
#include <vector>

#include "audio/sample.h"

#include "support/k8test.h"

namespace {

using V = std::vector<int32_t>;
using Bytes = std::vector<uint8_t>;

SAMPLE* Make(std::initializer_list<int32_t> values) { return k8test::MakeSample(values); }

V Elements(const SAMPLE* sample) { return V(sample->items, sample->items + sample->length); }

// The elements of a reader's result, or {-999} for a refusal; frees the result.
V Take(SAMPLE* sample) {
  if (!sample) return {-999};
  V values = Elements(sample);
  SAMPLEFree(&sample);
  return values;
}

std::string Text(const SAMPLE* sample) {
  char* text = SAMPLEToASCII(sample);
  std::string copy = text ? text : "(null)";
  free(text);
  return copy;
}

// Reads bytes as a raw stream through an in-memory FILE.
SAMPLE* ReadRaw(const Bytes& bytes, int32_t width, char order, char sign) {
  Bytes copy = bytes;
  copy.push_back(0);  // fmemopen wants a non-empty buffer
  FILE* f = fmemopen(copy.data(), bytes.size() ? bytes.size() : 1, "rb");
  if (bytes.empty()) fgetc(f);  // an empty stream: consume the placeholder byte
  SAMPLE* sample = SAMPLEReadRaw(f, width, order, sign);
  fclose(f);
  return sample;
}

Bytes WriteRaw(const SAMPLE* sample, int32_t width, char order) {
  char* buffer = nullptr;
  size_t size = 0;
  FILE* f = open_memstream(&buffer, &size);
  SAMPLEWriteRaw(sample, f, width, order);
  fclose(f);
  Bytes bytes(buffer, buffer + size);
  free(buffer);
  return bytes;
}

TEST(SampleText, WritesHeaderOneLinePerElementAndTrailer) {
  SAMPLE* zero = Make({0});
  SAMPLE* two = Make({-12, 7});
  SAMPLE* empty = SAMPLENew();
  SAMPLE* extremes = Make({INT32_MIN, INT32_MAX});
  EXPECT_EQ(Text(zero), "SAMPLE{1\n0\n}\n");
  EXPECT_EQ(Text(two), "SAMPLE{2\n-12\n7\n}\n");
  EXPECT_EQ(Text(empty), "SAMPLE{}\n");
  EXPECT_EQ(Text(extremes), "SAMPLE{2\n-2147483648\n2147483647\n}\n");
  EXPECT_EQ(Text(nullptr), "(null)");
  for (SAMPLE* s : {zero, two, empty, extremes}) {
    char* text = SAMPLEToASCII(s);
    SAMPLE* back = SAMPLEFromASCII(text);
    ASSERT_NE(back, nullptr) << text;
    EXPECT_TRUE(SAMPLEEqual(s, back)) << text;
    free(text);
    SAMPLEFree(&back);
    SAMPLEFree(&s);
  }
  SAMPLE* ramp = SAMPLENew();
  SAMPLEResize(ramp, 5000);
  for (int32_t i = 0; i < 5000; i++) ramp->items[i] = int32_t(uint32_t(i) * 2654435761u);
  char* text = SAMPLEToASCII(ramp);
  SAMPLE* back = SAMPLEFromASCII(text);
  EXPECT_TRUE(SAMPLEEqual(ramp, back));
  free(text);
  SAMPLEFree(&ramp);
  SAMPLEFree(&back);
}

TEST(SampleText, ReaderFindsMarksAndSkipsSeparators) {
  EXPECT_EQ(Take(SAMPLEFromASCII("xx SAMPLE{2 1 2 3}")), V({1, 2}));
  EXPECT_EQ(Take(SAMPLEFromASCII("SAMPLE{3 7,-8;9}")), V({7, -8, 9}));
  EXPECT_EQ(Take(SAMPLEFromASCII("SAMPLE{1\n-\n}\n")), V({0}));
  EXPECT_EQ(Take(SAMPLEFromASCII("SAMPLE junk {-2 x 5 6}")), V({5, 6}));  // "-" before n skipped
  EXPECT_EQ(Take(SAMPLEFromASCII("SAMPLE{2--")), V({0, 0}));
  EXPECT_EQ(Take(SAMPLEFromASCII("SAMPLE{ }")), V());
  EXPECT_EQ(Take(SAMPLEFromASCII("SAMPLE{0}")), V());
  EXPECT_EQ(Take(SAMPLEFromASCII("SAMPLE{1 -2147483648}")), V({INT32_MIN}));
}

TEST(SampleText, ReaderRefusesTruncatedOrOversizedForms) {
  EXPECT_EQ(Take(SAMPLEFromASCII(nullptr)), V({-999}));
  EXPECT_EQ(Take(SAMPLEFromASCII("SAMPL{1 2}")), V({-999}));
  EXPECT_EQ(Take(SAMPLEFromASCII("SAMPLE 1 2")), V({-999}));
  EXPECT_EQ(Take(SAMPLEFromASCII("SAMPLE{")), V({-999}));
  EXPECT_EQ(Take(SAMPLEFromASCII("SAMPLE{2\n5\n")), V({-999}));
  EXPECT_EQ(Take(SAMPLEFromASCII("SAMPLE{2\n5\nx")), V({-999}));
  // Counts the text cannot hold are refused before any storage is reserved for them.
  EXPECT_EQ(Take(SAMPLEFromASCII("SAMPLE{2000000000 1 2}")), V({-999}));
  EXPECT_EQ(Take(SAMPLEFromASCII("SAMPLE{2147483648 1}")), V({-999}));
  EXPECT_EQ(Take(SAMPLEFromASCII("SAMPLE{99999999999999999999999 1}")), V({-999}));
  // Values beyond 32 bits do not wrap.
  EXPECT_EQ(Take(SAMPLEFromASCII("SAMPLE{1 2147483648}")), V({-999}));
  EXPECT_EQ(Take(SAMPLEFromASCII("SAMPLE{1 -2147483649}")), V({-999}));
}

TEST(SampleText, ListReaderTakesEverySignedNumber) {
  EXPECT_EQ(Take(SAMPLEFromList("1, -2 x3\n")), V({1, -2, 3}));
  EXPECT_EQ(Take(SAMPLEFromList("a-b")), V({0}));  // a lone "-" reads 0, as in the text form
  EXPECT_EQ(Take(SAMPLEFromList("")), V());
  EXPECT_EQ(Take(SAMPLEFromList("no numbers here")), V());
  EXPECT_EQ(Take(SAMPLEFromList("2147483647 -2147483648")), V({INT32_MAX, INT32_MIN}));
  EXPECT_EQ(Take(SAMPLEFromList("1 2147483648")), V({-999}));
  EXPECT_EQ(Take(SAMPLEFromList(nullptr)), V({-999}));
  std::string many;
  V expected;
  for (int32_t i = 0; i < 100; i++) {
    many += std::to_string(i * 7 - 300) + ";";
    expected.push_back(i * 7 - 300);
  }
  SAMPLE* list = SAMPLEFromList(many.c_str());
  EXPECT_EQ(list->capacity, 128);  // 32, 64, 128
  EXPECT_EQ(Take(list), expected);
}

TEST(SampleRaw, ReadsEveryWidthOrderAndSign) {
  EXPECT_EQ(Take(ReadRaw({0x01, 0x02}, 16, 'l', 's')), V({513}));
  EXPECT_EQ(Take(ReadRaw({0x01, 0x02}, 16, 'b', 's')), V({258}));
  EXPECT_EQ(Take(ReadRaw({0x01, 0x02}, 16, 'l', 'u')), V({-32255}));
  EXPECT_EQ(Take(ReadRaw({0x01, 0x02}, 16, 'b', 'u')), V({-32510}));
  // Signed samples are sign-extended.
  EXPECT_EQ(Take(ReadRaw({0xFF, 0xFF}, 16, 'l', 's')), V({-1}));
  EXPECT_EQ(Take(ReadRaw({0x00, 0x80}, 16, 'l', 's')), V({-32768}));
  EXPECT_EQ(Take(ReadRaw({0x80, 0x00}, 16, 'b', 's')), V({-32768}));
  EXPECT_EQ(Take(ReadRaw({0xFF, 0xFF}, 16, 'l', 'u')), V({32767}));
  EXPECT_EQ(Take(ReadRaw({0x80}, 8, 's', 's')), V({-999}));  // order must be 'b' or 'l'
  EXPECT_EQ(Take(ReadRaw({0x80}, 8, 'b', 's')), V({-32768}));
  EXPECT_EQ(Take(ReadRaw({0x7F, 0xFF}, 8, 'l', 's')), V({32512, -256}));
  EXPECT_EQ(Take(ReadRaw({0x80, 0xFF, 0x00}, 8, 'l', 'u')), V({0, 32512, -32768}));
  EXPECT_EQ(Take(ReadRaw({0x01, 0x02, 0x03}, 16, 'l', 's')), V({513}));  // odd byte dropped
  EXPECT_EQ(Take(ReadRaw({}, 16, 'l', 's')), V());
}

TEST(SampleRaw, RefusesBadParameters) {
  EXPECT_EQ(Take(ReadRaw({1, 2}, 24, 'l', 's')), V({-999}));
  EXPECT_EQ(Take(ReadRaw({1, 2}, 16, 'x', 's')), V({-999}));
  EXPECT_EQ(Take(ReadRaw({1, 2}, 16, 'l', 'x')), V({-999}));
  EXPECT_EQ(Take(SAMPLEReadRaw(nullptr, 16, 'l', 's')), V({-999}));
  SAMPLE* s = Make({1});
  SAMPLEWriteRaw(s, nullptr, 16, 'l');
  EXPECT_EQ(WriteRaw(nullptr, 16, 'l'), Bytes());
  SAMPLEFree(&s);
}

TEST(SampleRaw, LongStreamsCrossReadBlocksIntact) {
  // 100001 bytes: many read blocks, 16-bit pairs split across block ends, a dropped last byte.
  Bytes bytes(100001);
  for (size_t i = 0; i < bytes.size(); i++) bytes[i] = uint8_t(i * 131 + (i >> 9));
  for (char order : {'l', 'b'}) {
    SAMPLE* s = ReadRaw(bytes, 16, order, 's');
    ASSERT_NE(s, nullptr);
    ASSERT_EQ(s->length, 50000);
    EXPECT_EQ(s->capacity, 65536);  // doubled from 1024
    bool same = true;
    for (int32_t i = 0; i < s->length; i++) {
      const uint8_t a = bytes[2 * i], b = bytes[2 * i + 1];
      const int32_t want = int16_t(order == 'l' ? a | b << 8 : a << 8 | b);
      same = same && s->items[i] == want;
    }
    EXPECT_TRUE(same) << order;
    EXPECT_EQ(WriteRaw(s, 16, order), Bytes(bytes.begin(), bytes.end() - 1)) << order;
    SAMPLEFree(&s);
  }
  SAMPLE* eight = ReadRaw(bytes, 8, 'l', 'u');
  ASSERT_EQ(eight->length, 100001);
  EXPECT_EQ(eight->items[100000], bytes[100000] * 256 - 32768);
  SAMPLEFree(&eight);
}

TEST(SampleRaw, ReadsFromTheCurrentPositionOfAnyStream) {
  // A seekable stream part-read already: the rest is read, from where it stood.
  Bytes bytes = {9, 9, 9, 0x34, 0x12, 0x78};
  FILE* f = fmemopen(bytes.data(), bytes.size(), "rb");
  for (int i = 0; i < 3; i++) fgetc(f);
  EXPECT_EQ(Take(SAMPLEReadRaw(f, 16, 'l', 's')), V({0x1234}));
  fclose(f);
  // A pipe cannot be measured beforehand: the storage doubles from 1024 as it fills.
  int ends[2];
  ASSERT_EQ(pipe(ends), 0);
  Bytes data(5001);
  for (size_t i = 0; i < data.size(); i++) data[i] = uint8_t(i);
  ASSERT_EQ(write(ends[1], data.data(), data.size()), ssize_t(data.size()));
  close(ends[1]);
  FILE* p = fdopen(ends[0], "rb");
  SAMPLE* s = SAMPLEReadRaw(p, 16, 'b', 'u');
  fclose(p);
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(s->length, 2500);
  EXPECT_EQ(s->capacity, 4096);
  EXPECT_EQ(s->items[2499], (4998 % 256) * 256 + 4999 % 256 - 32768);
  SAMPLEFree(&s);
}

// fread's 0 is the end of the stream or an error: an error is a failed read, not a short one.
TEST(SampleRaw, AFailingStreamIsAFailedRead) {
  struct Cookie {
    size_t left;
  };
  cookie_io_functions_t io{};
  io.read = [](void* c, char* buffer, size_t size) -> ssize_t {
    auto* cookie = static_cast<Cookie*>(c);
    if (cookie->left == 0) {
      errno = EIO;
      return -1;
    }
    const size_t n = size < cookie->left ? size : cookie->left;
    memset(buffer, 0x11, n);
    cookie->left -= n;
    return ssize_t(n);
  };
  for (size_t failAfter : {size_t{0}, size_t{100000}}) {
    Cookie cookie{failAfter};
    FILE* f = fopencookie(&cookie, "rb", io);
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(Take(SAMPLEReadRaw(f, 16, 'l', 's')), V({-999})) << failAfter;
    fclose(f);
  }
  FILE* written = fopen("/dev/null", "wb");  // open for writing only
  ASSERT_NE(written, nullptr);
  EXPECT_EQ(Take(SAMPLEReadRaw(written, 8, 'l', 's')), V({-999}));
  fclose(written);
}

TEST(SampleRaw, WritesClampedAtEachWidth) {
  SAMPLE* s = Make({300, -300});
  EXPECT_EQ(WriteRaw(s, 8, 'l'), Bytes({0x7F, 0x80}));
  EXPECT_EQ(WriteRaw(s, 16, 'b'), Bytes({0x01, 0x2C, 0xFE, 0xD4}));
  EXPECT_EQ(WriteRaw(s, 16, 'l'), Bytes({0x2C, 0x01, 0xD4, 0xFE}));
  EXPECT_EQ(WriteRaw(s, 12, 'x'), Bytes({0x2C, 0x01, 0xD4, 0xFE}));  // other widths: 16 bits
  SAMPLEFree(&s);
  s = Make({40000, -40000, 9000000, INT32_MIN});
  EXPECT_EQ(WriteRaw(s, 16, 'l'),
            Bytes({0xFF, 0x7F, 0x00, 0x80, 0xFF, 0x7F, 0x00, 0x80}));
  EXPECT_EQ(WriteRaw(s, 24, 'b'), Bytes({0x00, 0x9C, 0x40, 0xFF, 0x63, 0xC0, 0x7F, 0xFF, 0xFF,
                                         0x80, 0x00, 0x00}));
  EXPECT_EQ(WriteRaw(s, 24, 'l'), Bytes({0x40, 0x9C, 0x00, 0xC0, 0x63, 0xFF, 0xFF, 0xFF, 0x7F,
                                         0x00, 0x00, 0x80}));
  EXPECT_EQ(WriteRaw(s, 32, 'b'),
            Bytes({0x00, 0x00, 0x9C, 0x40, 0xFF, 0xFF, 0x63, 0xC0, 0x00, 0x89, 0x54, 0x40,
                   0x80, 0x00, 0x00, 0x01}));
  EXPECT_EQ(WriteRaw(s, 32, 'l'),
            Bytes({0x40, 0x9C, 0x00, 0x00, 0xC0, 0x63, 0xFF, 0xFF, 0x40, 0x54, 0x89, 0x00,
                   0x01, 0x00, 0x00, 0x80}));
  SAMPLEFree(&s);
}

// One sample's raw streams at every width and order and its text form are the bytes kept in
// tests/data, and the 8- and 16-bit streams read back alike, on every machine. The values
// cross every width's clamp.
TEST(SampleRaw, FilesAreTheSameOnEveryMachine) {
  constexpr int32_t kLength = 1000;
  SAMPLE* s = SAMPLENew();
  SAMPLEResize(s, kLength);
  for (int32_t i = 0; i < kLength; ++i) s->items[i] = int32_t(uint32_t(i) * 0x9E3779B9u) >> (i % 24);
  s->items[0] = INT32_MIN;
  s->items[1] = INT32_MAX;
  const auto str = [](const Bytes& b) { return std::string(b.begin(), b.end()); };
  for (int width : {8, 16, 24, 32})
    for (char order : {'l', 'b'}) {
      if (width == 8 && order == 'b') continue;  // one byte has no order
      const std::string name =
          "sample" + std::to_string(width) + (width > 8 ? std::string(1, order) + "e" : "") + ".raw";
      EXPECT_TRUE(k8test::SameAsDataFile(name, str(WriteRaw(s, width, order))));
    }
  EXPECT_TRUE(k8test::SameAsDataFile("sample.txt", k8test::Text(SAMPLEToASCII(s))));

  V clamped16(kLength), clamped8(kLength);
  for (int32_t i = 0; i < kLength; ++i) {
    clamped16[i] = std::clamp(s->items[i], -32768, 32767);
    clamped8[i] = std::clamp(s->items[i], -128, 127) * 256;
  }
  const auto read = [](const std::string& name, int32_t width, char order) {
    const std::string kept = k8test::DataFile(name);
    return Take(ReadRaw(Bytes(kept.begin(), kept.end()), width, order, 's'));
  };
  EXPECT_EQ(read("sample16le.raw", 16, 'l'), clamped16);
  EXPECT_EQ(read("sample16be.raw", 16, 'b'), clamped16);
  EXPECT_EQ(read("sample8.raw", 8, 'l'), clamped8);
  V all(s->items, s->items + kLength);
  EXPECT_EQ(Take(SAMPLEFromASCII(k8test::DataFile("sample.txt").c_str())), all);
  SAMPLEFree(&s);
}

TEST(SampleEdit, InsertSubInsertAndRemove) {
  SAMPLE* dst = Make({1, 2, 3});
  SAMPLE* src = Make({8, 9});
  SAMPLEInsertSAMPLE(dst, src, 1);
  EXPECT_EQ(Elements(dst), V({1, 8, 9, 2, 3}));
  EXPECT_EQ(dst->capacity, 5);
  SAMPLEInsertSAMPLE(dst, src, 5);
  EXPECT_EQ(Elements(dst), V({1, 8, 9, 2, 3, 8, 9}));
  SAMPLEInsertSAMPLE(dst, src, 8);
  SAMPLEInsertSAMPLE(dst, src, -1);
  EXPECT_EQ(dst->length, 7);
  SAMPLEFree(&dst);
  SAMPLEFree(&src);
  // Into itself: a copy of the elements as they were.
  SAMPLE* self = Make({1, 2, 3});
  SAMPLEInsertSAMPLE(self, self, 1);
  EXPECT_EQ(Elements(self), V({1, 1, 2, 3, 2, 3}));
  SAMPLEInsertSAMPLE(self, self, 6);
  EXPECT_EQ(Elements(self), V({1, 1, 2, 3, 2, 3, 1, 1, 2, 3, 2, 3}));
  SAMPLEFree(&self);

  SAMPLE* s = Make({5, 6, 7, 8});
  EXPECT_EQ(Take(SAMPLESub(s, -2, 2)), V({5, 6}));
  EXPECT_EQ(Take(SAMPLESub(s, 1, 99)), V({6, 7, 8}));
  EXPECT_EQ(Take(SAMPLESub(s, 3, 1)), V({-999}));
  EXPECT_EQ(Take(SAMPLESub(s, 2, 2)), V());
  EXPECT_EQ(Take(SAMPLESub(s, 6, 9)), V());

  SAMPLEInsert(s, 4, 0);
  SAMPLEInsert(s, 9, 5);
  SAMPLEInsert(s, 1, 7);
  SAMPLEInsert(s, 1, -1);
  EXPECT_EQ(Elements(s), V({4, 5, 6, 7, 8, 9}));
  SAMPLERemove(s, 0);
  SAMPLERemove(s, 4);
  SAMPLERemove(s, 4);
  EXPECT_EQ(Elements(s), V({5, 6, 7, 8}));
  EXPECT_EQ(s->items[4], 9);  // the vacated slot keeps its value
  SAMPLEFree(&s);

  SAMPLE* full = SAMPLENew();
  for (int32_t i = 0; i < 33; i++) SAMPLEInsert(full, i, 0);
  EXPECT_EQ(full->capacity, 64);
  EXPECT_EQ(full->items[0], 32);
  EXPECT_EQ(full->items[32], 0);
  SAMPLEFree(&full);
}

TEST(SampleAnalysis, FindMatchAndBestShift) {
  SAMPLE* a = Make({1, 2, 3, 4});
  SAMPLE* b = Make({3, 4});
  SAMPLE* c = Make({5, 6});
  SAMPLE* d = Make({1, 2});
  EXPECT_EQ(SAMPLEFind(a, 3, 0), 2);
  EXPECT_EQ(SAMPLEFind(a, 3, 3), -1);
  EXPECT_EQ(SAMPLEFind(a, 1, 4), -1);
  EXPECT_EQ(SAMPLEFind(a, 1, -1), -1);
  {  // A long SAMPLE, searched in groups: the first match from every start, or none.
    SAMPLE* s = SAMPLENew();
    SAMPLEResize(s, 100);
    for (int32_t i = 0; i < 100; i++) s->items[i] = i % 37 == 5 ? 9 : i;
    for (int32_t from = 0; from < 100; from++)
      for (int32_t value : {9, 0, 99, 64, -1}) {
        int32_t expect = -1;
        for (int32_t i = from; i < 100 && expect < 0; i++)
          if (s->items[i] == value) expect = i;
        ASSERT_EQ(SAMPLEFind(s, value, from), expect) << value << " from " << from;
      }
    SAMPLEFree(&s);
  }
  EXPECT_EQ(SAMPLEMatchCount(a, b, 2), 2);
  EXPECT_EQ(SAMPLEMatchCount(a, b, 3), 0);
  EXPECT_EQ(SAMPLEMatchCount(b, a, -2), 2);  // a's 3, 4 against b's 3, 4
  EXPECT_EQ(SAMPLEMatchCount(a, b, -2), 0);  // out of range
  EXPECT_EQ(SAMPLEMatchCount(a, b, 4), 0);
  EXPECT_EQ(SAMPLEBestShift(a, b), 2);
  EXPECT_EQ(SAMPLEBestShift(d, c), -2);
  EXPECT_EQ(SAMPLEBestShift(b, a), -2);
  EXPECT_EQ(SAMPLEMin(a), 1);
  EXPECT_EQ(SAMPLEMax(a), 4);
  SAMPLE* e = SAMPLENew();
  EXPECT_EQ(SAMPLEMin(e), 0);
  EXPECT_EQ(SAMPLEMax(nullptr), 0);
  for (SAMPLE* s : {a, b, c, d, e}) SAMPLEFree(&s);
}

TEST(SampleArithmetic, ReverseScaleMultiplyNormalize) {
  SAMPLE* s = Make({1, 2, 3, 4, 5});
  SAMPLEReverse(s);
  EXPECT_EQ(Elements(s), V({5, 4, 3, 2, 1}));
  s->length = 4;
  SAMPLEReverse(s);
  EXPECT_EQ(Elements(s), V({2, 3, 4, 5}));
  SAMPLEScale(s, -3);
  EXPECT_EQ(Elements(s), V({-6, -9, -12, -15}));
  SAMPLE* m = Make({2, 0x40000000});
  SAMPLEMultiply(s, m);
  EXPECT_EQ(Elements(s), V({-12, int32_t(0xC0000000), -12, -15}));  // wraps
  SAMPLEMultiply(m, s);
  EXPECT_EQ(m->length, 2);
  SAMPLEFree(&s);
  SAMPLEFree(&m);

  s = Make({10, 20, 30});
  SAMPLENormalize(s, 0, 100);
  EXPECT_EQ(Elements(s), V({0, 50, 100}));
  SAMPLENormalize(s, 100, 0);  // an inverted range maps the other way
  EXPECT_EQ(Elements(s), V({100, 50, 0}));
  SAMPLEFree(&s);
  // Products beyond 32 bits: (hi - lo) * 65536 and (v - min) * factor.
  s = Make({0, 50000, 100000});
  SAMPLENormalize(s, 0, 1000000);
  EXPECT_EQ(Elements(s), V({0, 500000, 1000000}));
  SAMPLEFree(&s);
  s = Make({INT32_MIN, 0, INT32_MAX});
  SAMPLENormalize(s, INT32_MIN, INT32_MAX);
  EXPECT_EQ(Elements(s), V({INT32_MIN, 0, INT32_MAX}));
  SAMPLENormalize(s, -1000, 1000);  // the 16.16 factor truncates to 0: everything maps to lo
  EXPECT_EQ(Elements(s), V({-1000, -1000, -1000}));
  SAMPLEFree(&s);
  s = Make({7, 7});
  SAMPLENormalize(s, 0, 100);
  EXPECT_EQ(Elements(s), V({7, 7}));
  SAMPLEFree(&s);
}

TEST(SampleArithmetic, ResampleStretchesAndShrinksEvenly) {
  SAMPLE* s = Make({10, 20});
  SAMPLEResample(s, 4);
  EXPECT_EQ(Elements(s), V({10, 10, 20, 20}));
  EXPECT_EQ(s->capacity, 4);
  SAMPLEResample(s, 4);
  EXPECT_EQ(s->length, 4);
  SAMPLEResample(s, 0);
  EXPECT_EQ(s->length, 4);
  SAMPLEFree(&s);
  s = Make({1, 2, 3});
  SAMPLEResample(s, 7);
  EXPECT_EQ(Elements(s), V({1, 1, 2, 2, 3, 3, 3}));
  SAMPLEFree(&s);

  // Shrinking keeps the centre of each of n equal stretches.
  s = Make({0, 1, 2, 3, 4, 5, 6, 7, 8, 9});
  SAMPLEResample(s, 5);
  EXPECT_EQ(Elements(s), V({1, 3, 5, 7, 9}));
  SAMPLEResample(s, 1);
  EXPECT_EQ(Elements(s), V({5}));
  SAMPLEFree(&s);
  s = SAMPLENew();
  SAMPLEResize(s, 1000);
  for (int32_t i = 0; i < 1000; i++) s->items[i] = i;
  SAMPLEResample(s, 7);
  ASSERT_EQ(s->length, 7);
  for (int32_t i = 1; i < 7; i++) {
    const int32_t gap = s->items[i] - s->items[i - 1];
    EXPECT_TRUE(gap == 142 || gap == 143) << i;
  }
  EXPECT_LT(s->items[0], 1000 / 7);
  EXPECT_GT(s->items[6], 999 - 1000 / 7);
  SAMPLEFree(&s);
  s = SAMPLENew();
  SAMPLEResample(s, 3);  // nothing to repeat
  EXPECT_EQ(s->length, 0);
  SAMPLEFree(&s);
}

}  // namespace
