// BYTEMAP text form and PNM files: the exact text, the mean of colour samples, the two
// readers' differences, refusal of damaged, truncated and oversized input, and the writer.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "bytemap/bytemap.h"
#include "support/k8test.h"

namespace {

using testing::internal::CaptureStdout;
using testing::internal::GetCapturedStdout;

constexpr char kError[] = "BYTEMAP error\n";

struct MapDeleter {
  void operator()(BYTEMAP* p) const { BYTEMAPFree(&p); }
};
using MapPtr = std::unique_ptr<BYTEMAP, MapDeleter>;

MapPtr Make(int32_t w, int32_t h, std::vector<uint8_t> pixels = {}) {
  MapPtr map(BYTEMAPNew());
  BYTEMAPResize(map.get(), w, h);
  std::copy(pixels.begin(), pixels.end(), map->pixels);
  return map;
}

using k8test::Bytes;
using k8test::Pixels;
using k8test::Printing;
using k8test::TempFile;
using k8test::Text;

// Parses exactly `bytes` from a heap block of that size, so a read past it trips ASan.
MapPtr Parse(const std::string& bytes) {
  return MapPtr(k8test::ParseExactly(bytes, BYTEMAPParsePNM));
}

// Reads `bytes` from a file, as a user's program would.
MapPtr ReadFile(const std::string& bytes) {
  return MapPtr(k8test::ReadAsFile(bytes, BYTEMAPReadPNM));
}

TEST(BytemapText, LayoutOfTheTextForm) {
  auto two = Make(2, 1, {5, 200});
  EXPECT_EQ(Text(BYTEMAPToASCII(two.get())),
            "BYTEMAP{\nP3\n2 1\n255\n  0   0   5   0   0 200\n}\n");
  auto one = Make(1, 1, {7});
  EXPECT_EQ(Text(BYTEMAPToASCII(one.get())), "BYTEMAP{\nP3\n1 1\n255\n  0   0   7\n}\n");
  auto six = Make(6, 1, {1, 2, 3, 4, 5, 6});
  const std::string text = Text(BYTEMAPToASCII(six.get()));
  EXPECT_EQ(text.substr(text.size() - 6), "  6\n}\n");
  EXPECT_EQ(text.find("\n\n"), std::string::npos);
  auto thirteen = Make(13, 1);
  const std::string lines = Text(BYTEMAPToASCII(thirteen.get()));
  EXPECT_EQ(std::count(lines.begin(), lines.end(), '\n'), 4 + 3 + 1);

  auto none = Make(0, 0);
  EXPECT_EQ(Text(BYTEMAPToASCII(none.get())), "BYTEMAP{}");
  EXPECT_EQ(Printing(kError, [] { return BYTEMAPToASCII(nullptr); }), nullptr);
  // A refused size leaves 0 x 0 without a block: no pixels, no text.
  EXPECT_EQ(k8test::Printed([&] { BYTEMAPResize(none.get(), -1, 4); }), kError);
  EXPECT_EQ(Printing(kError, [&] { return BYTEMAPToASCII(none.get()); }), nullptr);
}

TEST(BytemapText, ReadsTheMeanOfThreeNumbers) {
  MapPtr back(BYTEMAPFromASCII("BYTEMAP{\nP3\n2 1\n255\n  0   0   5   0   0 200\n}\n"));
  ASSERT_TRUE(back);
  EXPECT_EQ(Pixels(back.get()), std::vector<int>({1, 66}));
  MapPtr mean(BYTEMAPFromASCII("BYTEMAP{\nP3\n2 1\n255\n9 9 9 30 60 90"));
  ASSERT_TRUE(mean);
  EXPECT_EQ(Pixels(mean.get()), std::vector<int>({9, 60}));
  // Modulo 256 after the mean; no closing brace needed.
  MapPtr wrap(BYTEMAPFromASCII("BYTEMAP{\nP3\n1 1\n255\n300 300 300"));
  ASSERT_TRUE(wrap);
  EXPECT_EQ(wrap->pixels[0], 300 % 256);
  // A size without digits is 0, and such a map is still returned.
  MapPtr flat(BYTEMAPFromASCII("BYTEMAP{\nP3\n 4\n255\n"));
  ASSERT_TRUE(flat);
  EXPECT_EQ(flat->width, 0);
  EXPECT_EQ(flat->height, 4);
}

TEST(BytemapText, RefusesMissingKeywordsShortAndOversizedText) {
  for (const char* bad : {"BYTEMAP{}", "BYTEMAP{\n2 1\n255\n1 2 3 4 5 6\n}\n",
                          "BITMAP{\nP3\n1 1\n255\n1 2 3\n", "BYTEMAP\nP3\n1 1\n255\n1 2 3\n",
                          "BYTEMAP{\nP3\n2 1\n255\n1 2 3 4 5",
                          "BYTEMAP{\nP3\n2 1\n255\n1 2 3 4 5        \n",
                          "BYTEMAP{\nP3\n70000 70000\n255\n1 2 3\n",
                          "BYTEMAP{\nP3\n99999999999999999999 1\n255\n1 2 3\n",
                          "BYTEMAP{\nP3\n3000 3000\n255\n1 2 3 4 5 6 7 8 9\n",
                          // ends inside the header
                          "BYTEMAP{\nP3\n2", "BYTEMAP{\nP3\n 4\n255"}) {
    EXPECT_EQ(Printing(kError, [&] { return BYTEMAPFromASCII(bad); }), nullptr) << bad;
  }
  EXPECT_EQ(Printing(kError, [] { return BYTEMAPFromASCII(nullptr); }), nullptr);
  EXPECT_EQ(Printing(kError, [] { return BYTEMAPReadPNM("/dev/zero"); }), nullptr);
}

TEST(BytemapPnm, SampleMappingOfEveryType) {
  for (auto read : {&Parse, &ReadFile}) {
    auto bits = read("P1\n# bits\n8 1\n1 0 0 0 0 0 0 1\n");
    ASSERT_TRUE(bits);
    EXPECT_EQ(Pixels(bits.get()), std::vector<int>({255, 0, 0, 0, 0, 0, 0, 255}));
    auto grey = read("P2 3 1 255\n0 7 300\n");
    ASSERT_TRUE(grey);
    EXPECT_EQ(Pixels(grey.get()), std::vector<int>({0, 7, 300 % 256}));
    auto rgb = read("P3\n2\n#between width and height\n1\n255\n9 9 9 30 60 90\n");
    ASSERT_TRUE(rgb);
    EXPECT_EQ(Pixels(rgb.get()), std::vector<int>({9, 60}));
    auto fifteen = read("P5\n2 1\n15\n" + Bytes({0x0F, 0x0F}));
    ASSERT_TRUE(fifteen);
    EXPECT_EQ(Pixels(fifteen.get()), std::vector<int>({15, 15}));
    auto colour = read("P6 2 1 255\n" + Bytes({255, 255, 254, 0, 3, 4}));
    ASSERT_TRUE(colour);
    EXPECT_EQ(Pixels(colour.get()), std::vector<int>({254, 2}));
    EXPECT_EQ(Printing(kError, [&] { return read("P7\n1 1\n255\n\x01"); }), nullptr);
    EXPECT_EQ(Printing(kError, [&] { return read("P2\n3 0\n255\n1 2 3\n"); }), nullptr);
  }
  EXPECT_EQ(Printing(kError, [] { return BYTEMAPParsePNM(nullptr, 8); }), nullptr);
  EXPECT_EQ(Printing(kError, [] { return BYTEMAPReadPNM(nullptr); }), nullptr);
}

TEST(BytemapPnm, BitmapWidthFileVersusMemory) {
  // Width 10: the file uses two bytes a row and drops the six spare bits; memory reads the
  // same bytes as rows 16 wide.
  const std::string ten = "P4\n10 2\n" + Bytes({0xFF, 0xFF, 0x80, 0x40});
  auto file = ReadFile(ten);
  ASSERT_TRUE(file);
  EXPECT_EQ(file->width, 10);
  std::vector<int> expect(20, 0);
  for (int x = 0; x < 10; ++x) expect[x] = 255;
  expect[10] = 255;
  expect[19] = 255;
  EXPECT_EQ(Pixels(file.get()), expect);
  auto memory = Parse(ten);
  ASSERT_TRUE(memory);
  EXPECT_EQ(memory->width, 16);
  EXPECT_EQ(memory->pixels[15], 255);
  EXPECT_EQ(memory->pixels[16], 255);
  EXPECT_EQ(memory->pixels[16 + 9], 255);

  // Many rows of 5 bytes, more than the file reader takes at once, so rows straddle its
  // reads: each row's first 33 pixels agree with memory's 40-wide rows.
  std::string tall = "P4 33 10000\n";
  for (int i = 0; i < 5 * 10000; ++i) tall += static_cast<char>(i * 37 + i / 5);
  auto tallFile = ReadFile(tall);
  auto tallMemory = Parse(tall);
  ASSERT_TRUE(tallFile && tallMemory);
  ASSERT_EQ(tallMemory->width, 40);
  bool same = true;
  for (int y = 0; y < 10000; ++y)
    for (int x = 0; x < 33; ++x)
      same = same && tallFile->pixels[y * 33 + x] == tallMemory->pixels[y * 40 + x];
  EXPECT_TRUE(same);

  // P1: whole numbers in a file, single digits in memory (rows rounded up to 8).
  auto numbers = ReadFile("P1 3 1\n010 1 0\n");
  ASSERT_TRUE(numbers);
  EXPECT_EQ(Pixels(numbers.get()), std::vector<int>({255, 255, 0}));
  auto digits = Parse("P1 3 1\n010 1 0 100\n");
  ASSERT_TRUE(digits);
  EXPECT_EQ(Pixels(digits.get()), std::vector<int>({0, 255, 0, 255, 0, 255, 0, 0}));
  EXPECT_EQ(Printing(kError, [] { return Parse("P1 3 1\n010 1 0\n"); }), nullptr);
}

std::vector<std::string> SampleFiles() {
  return {"P1\n8 1\n0 1 1 0 1 0 0 1\n", "P2\n2 1\n# c\n255\n200 9\n",
          "P3 2 1 255\n1 2 3 4 5 6\n", "P4 8 2\n" + Bytes({0x81, 0x7E}),
          "P5 2 2 255\n" + Bytes({1, 2, 3, 4}), "P6\n1 1\n255\n" + Bytes({3, 6, 9})};
}

TEST(BytemapPnm, TruncatedDataIsRefusedAtEveryByte) {
  k8test::ExpectTruncatedPnmRefused(SampleFiles(), Parse, ReadFile, kError);
}

TEST(BytemapPnm, OversizedHeadersAreRefusedBeforeAllocating) {
  for (const std::string& bad : {std::string("P5\n65536 65537\n255\n\x01"),
                                 std::string("P6\n1431655766 1\n255\n\x01\x01\x01"),
                                 std::string("P4\n4294967296 1\n\xFF"),
                                 std::string("P5\n40000 40000\n255\n\x01\x02\x03"),
                                 std::string("P3\n10000 10000\n255\n1 2 3\n")}) {
    EXPECT_EQ(Printing(kError, [&] { return Parse(bad); }), nullptr) << bad;
    EXPECT_EQ(Printing(kError, [&] { return ReadFile(bad); }), nullptr) << bad;
  }
}

TEST(BytemapPnm, WritesRawGreymaps) {
  TempFile file;
  auto map = Make(3, 1, {10, 0, 255});
  EXPECT_EQ(BYTEMAPWritePGM(map.get(), file.path()), 1);
  EXPECT_EQ(file.Read(), "P5\n3 1\n255\n" + Bytes({0x0A, 0x00, 0xFF}));
  auto back = ReadFile(file.Read());
  ASSERT_TRUE(back);
  EXPECT_EQ(Pixels(back.get()), std::vector<int>({10, 0, 255}));

  auto big = Make(200, 200);
  EXPECT_EQ(Printing(kError, [&] { return BYTEMAPWritePGM(big.get(), "/dev/full"); }), 0);
  // A small one stays in the stream's buffer until it is closed: closing must be checked.
  EXPECT_EQ(Printing(kError, [&] { return BYTEMAPWritePGM(map.get(), "/dev/full"); }), 0);
  EXPECT_EQ(Printing(kError, [&] { return BYTEMAPWritePGM(map.get(), "/nonexistent/k8.pgm"); }),
            0);
  EXPECT_EQ(Printing(kError, [&] { return BYTEMAPWritePGM(map.get(), nullptr); }), 0);
  auto none = Make(0, 0);
  EXPECT_EQ(Printing(kError, [&] { return BYTEMAPWritePGM(none.get(), file.path()); }), 0);
}

// One map's greymap and text form are the bytes kept in tests/data, and read back as the map,
// on every machine (char is unsigned on ARM: bytes above 127 are in the map).
TEST(BytemapPnm, FilesAreTheSameOnEveryMachine) {
  std::vector<uint8_t> bytes(37 * 19);
  for (uint32_t i = 0; i < bytes.size(); ++i) bytes[i] = uint8_t(i * 0x9E3779B9u >> 24);
  auto map = Make(37, 19, bytes);
  TempFile file;
  ASSERT_EQ(BYTEMAPWritePGM(map.get(), file.path()), 1);
  EXPECT_TRUE(k8test::SameAsDataFile("bytemap.pgm", file.Read()));
  EXPECT_TRUE(k8test::SameAsDataFile("bytemap.txt", Text(BYTEMAPToASCII(map.get()))));

  const auto same = [](const BYTEMAP* read, const std::vector<uint8_t>& expected) {
    return read && read->width == 37 && read->height == 19 &&
           std::equal(expected.begin(), expected.end(), read->pixels);
  };
  MapPtr fromFile(BYTEMAPReadPNM((std::string(K8_TEST_DATA) + "/bytemap.pgm").c_str()));
  EXPECT_TRUE(same(fromFile.get(), bytes));
  EXPECT_TRUE(same(Parse(k8test::DataFile("bytemap.pgm")).get(), bytes));
  // The text gives each byte as blue after zero red and green, and is read as their mean.
  std::vector<uint8_t> thirds;
  for (uint8_t b : bytes) thirds.push_back(b / 3);
  MapPtr fromText(BYTEMAPFromASCII(k8test::DataFile("bytemap.txt").c_str()));
  EXPECT_TRUE(same(fromText.get(), thirds));
}

}  // namespace
