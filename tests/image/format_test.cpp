// IMG text form and PNM files: the exact text, the two readers' differences, refusal of
// damaged, truncated and oversized input without reading past it, and the writer.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "image/img.h"
#include "support/k8test.h"

namespace {

using testing::internal::CaptureStdout;
using testing::internal::GetCapturedStdout;

constexpr char kError[] = "IMG error\n";
constexpr uint32_t kWhite = 0x00FFFFFF;

struct ImgDeleter {
  void operator()(IMG* p) const { IMGFree(&p); }
};
using ImgPtr = std::unique_ptr<IMG, ImgDeleter>;

ImgPtr Make(int32_t w, int32_t h, std::vector<uint32_t> pixels = {}) {
  ImgPtr img(IMGNew());
  IMGResize(img.get(), w, h);
  for (size_t i = 0; i < pixels.size(); ++i) img->pixels[i] = pixels[i];
  return img;
}

using k8test::Bytes;
using k8test::Pixels;
using k8test::Printing;
using k8test::TempFile;
using k8test::Text;

// Parses exactly `bytes` from a heap block of that size, so a read past it trips ASan.
ImgPtr Parse(const std::string& bytes) {
  return ImgPtr(k8test::ParseExactly(bytes, IMGParsePNM));
}

// Reads `bytes` from a file, as a user's program would.
ImgPtr ReadFile(const std::string& bytes) {
  return ImgPtr(k8test::ReadAsFile(bytes, IMGReadPNM));
}

TEST(ImgText, LayoutOfTheTextForm) {
  auto one = Make(1, 1, {0x00FF8001});
  EXPECT_EQ(Text(IMGToASCII(one.get())), "IMG{\nP3\n1 1\n255\n255 128   1\n}\n");

  auto seven = Make(7, 1, {1, 2, 3, 4, 5, 6, 0x00070000});
  EXPECT_EQ(Text(IMGToASCII(seven.get())),
            "IMG{\nP3\n7 1\n255\n"
            "  0   0   1   0   0   2   0   0   3   0   0   4   0   0   5   0   0   6\n"
            "  7   0   0\n}\n");

  auto six = Make(3, 2);
  const std::string text = Text(IMGToASCII(six.get()));
  EXPECT_EQ(text.size(), std::strlen("IMG{\nP3\n3 2\n255\n") + 71 + 1 + 2);
  EXPECT_EQ(text.substr(text.size() - 6), "  0\n}\n");
  EXPECT_EQ(text.find("\n\n"), std::string::npos);

  auto flat = Make(0, 5);
  EXPECT_EQ(Text(IMGToASCII(flat.get())), "IMG{}");
  EXPECT_EQ(Printing(kError, [] { return IMGToASCII(nullptr); }), nullptr);
  // A refused size leaves 0 x 0 without a block: no pixels, no text.
  EXPECT_EQ(k8test::Printed([&] { IMGResize(flat.get(), -1, 4); }), kError);
  EXPECT_EQ(Printing(kError, [&] { return IMGToASCII(flat.get()); }), nullptr);
}

TEST(ImgText, RoundTripKeepsAllButTheTopByte) {
  std::vector<uint32_t> words;
  for (uint32_t i = 0; i < 13 * 3; ++i) words.push_back(i * 0x9E3779B9u);
  auto img = Make(13, 3, words);
  char* text = IMGToASCII(img.get());
  ImgPtr back(IMGFromASCII(text));
  free(text);
  ASSERT_TRUE(back);
  ASSERT_EQ(back->width, 13);
  ASSERT_EQ(back->height, 3);
  for (auto& w : words) w &= 0x00FFFFFF;
  EXPECT_EQ(Pixels(back.get()), words);

  // Samples above 255 spill into the channel above.
  ImgPtr spill(IMGFromASCII("IMG{\nP3\n1 1\n255\n0 1 256"));
  ASSERT_TRUE(spill);
  EXPECT_EQ(spill->pixels[0], 0x00000200u);
}

TEST(ImgText, RefusesMissingKeywordsAndShortText) {
  EXPECT_EQ(Printing(kError, [] { return IMGFromASCII("IMG{}"); }), nullptr);
  EXPECT_EQ(Printing(kError, [] { return IMGFromASCII("IMAGE{\nP3\n1 1\n255\n1 2 3\n}\n"); }),
            nullptr);
  EXPECT_EQ(Printing(kError, [] { return IMGFromASCII("IMG\nP3\n1 1\n255\n1 2 3\n}\n"); }),
            nullptr);
  EXPECT_EQ(Printing(kError, [] { return IMGFromASCII(nullptr); }), nullptr);

  // Every cut before the last number's digit is refused: inside the header it is cut short
  // (not an image of no area), after it too few numbers are left.
  auto img = Make(2, 2, {0x010203, 0x040506, 0x070809, 0x0A0B0C});
  const std::string text = Text(IMGToASCII(img.get()));
  const size_t last = text.rfind("12");
  for (size_t n = 0; n < last; ++n) {
    const std::string cut = text.substr(0, n);
    EXPECT_EQ(Printing(kError, [&] { return IMGFromASCII(cut.c_str()); }), nullptr) << n;
  }
  // A whole header that says 0 is an image of no area.
  ImgPtr flat(IMGFromASCII("IMG{\nP3\n2 0\n255\n"));
  ASSERT_TRUE(flat);
  EXPECT_EQ(flat->width, 2);
  EXPECT_EQ(flat->height, 0);

  // Sizes that overflow, or that the rest of the text cannot hold, are refused up front.
  for (const char* bad : {"IMG{\nP3\n65536 65536\n255\n1 2 3\n",
                          "IMG{\nP3\n4294967297 1\n255\n1 2 3\n",
                          "IMG{\nP3\n50000 50000\n255\n1 2 3 4 5 6\n"}) {
    EXPECT_EQ(Printing(kError, [&] { return IMGFromASCII(bad); }), nullptr) << bad;
  }
}

// The three kinds of P1/P4 difference: rounding of the width, single digits, separators.
TEST(ImgPnm, MemoryAndFileReadersDifferAsDesigned) {
  const std::string p4 = "P4\n12 1\n" + Bytes({0xFF, 0x0F});
  auto memory = Parse(p4);
  ASSERT_TRUE(memory);
  EXPECT_EQ(memory->width, 16);
  EXPECT_EQ(Pixels(memory.get()),
            std::vector<uint32_t>({kWhite, kWhite, kWhite, kWhite, kWhite, kWhite, kWhite, kWhite,
                                   0, 0, 0, 0, kWhite, kWhite, kWhite, kWhite}));
  auto file = ReadFile(p4);
  ASSERT_TRUE(file);
  EXPECT_EQ(file->width, 12);
  EXPECT_EQ(Pixels(file.get()), std::vector<uint32_t>({kWhite, kWhite, kWhite, kWhite, kWhite,
                                                       kWhite, kWhite, kWhite, 0, 0, 0, 0}));

  // Width 10: two bytes a row in the file; in memory 16 wide from the same bytes.
  const std::string ten = "P4 10 2\n" + Bytes({0xFF, 0xC0, 0x00, 0x7F});
  auto fileTen = ReadFile(ten);
  ASSERT_TRUE(fileTen);
  EXPECT_EQ(fileTen->width, 10);
  std::vector<uint32_t> expect(20, 0);
  for (int x = 0; x < 10; ++x) expect[x] = kWhite;
  expect[19] = kWhite;
  EXPECT_EQ(Pixels(fileTen.get()), expect);
  auto memTen = Parse(ten);
  ASSERT_TRUE(memTen);
  EXPECT_EQ(memTen->width, 16);
  EXPECT_EQ(memTen->pixels[9], kWhite);
  EXPECT_EQ(memTen->pixels[10], 0u);
  EXPECT_EQ(memTen->pixels[16 + 9], kWhite);

  auto p1 = ReadFile("P1\n3 1\n0 1 7\n");
  ASSERT_TRUE(p1);
  EXPECT_EQ(Pixels(p1.get()), std::vector<uint32_t>({0, kWhite, kWhite}));
  auto whole = ReadFile("P1\n3 1\n010 1 0\n");
  ASSERT_TRUE(whole);
  EXPECT_EQ(Pixels(whole.get()), std::vector<uint32_t>({kWhite, kWhite, 0}));
  auto digits = Parse("P1\n3 1\n010 1 0\n100");
  ASSERT_TRUE(digits);
  EXPECT_EQ(Pixels(digits.get()),
            std::vector<uint32_t>({0, kWhite, 0, kWhite, 0, kWhite, 0, 0}));
  // Three digits are not enough for a row rounded to 8.
  EXPECT_EQ(Printing(kError, [] { return Parse("P1\n3 1\n0 1 7\n"); }), nullptr);

  // The file reader consumes whatever ends a number: 8x8 is two numbers. In memory the x
  // stays and fills the height with 0.
  const std::string cross = "P5 2x2 255\n" + Bytes({1, 2, 3, 4});
  auto fileCross = ReadFile(cross);
  ASSERT_TRUE(fileCross);
  EXPECT_EQ(fileCross->height, 2);
  EXPECT_EQ(Printing(kError, [&] { return Parse(cross); }), nullptr);
  // A stray byte before the magic can never be passed in memory.
  EXPECT_EQ(Printing(kError, [] { return Parse("x P5 1 1 255\n\x01"); }), nullptr);
  EXPECT_EQ(Printing(kError, [] { return ReadFile("x P5 1 1 255\n\x01"); }), nullptr);
}

TEST(ImgPnm, SampleMappingOfEveryType) {
  for (auto read : {&Parse, &ReadFile}) {
    auto grey = read("P2\n# grey\n3 1 255\n0 16 300\n");
    ASSERT_TRUE(grey);
    EXPECT_EQ(Pixels(grey.get()), std::vector<uint32_t>({0, 0x101010, 300 * 0x010101u}));
    auto rgb = read("P3 2 1\n#c\n255\n1 2 3 0 0 256\n");
    ASSERT_TRUE(rgb);
    EXPECT_EQ(Pixels(rgb.get()), std::vector<uint32_t>({0x010203, 0x000100}));
    auto raw = read("P5 2 1 15\n" + Bytes({0x0F, 0x80}));
    ASSERT_TRUE(raw);
    EXPECT_EQ(Pixels(raw.get()), std::vector<uint32_t>({0x0F0F0F, 0x808080}));
    auto colour = read("P6\n2\n# between width and height\n1\n255\n" +
                       Bytes({0x0A, 0x0B, 0x0C, 0xFF, 0x00, 0x01}));
    ASSERT_TRUE(colour);
    EXPECT_EQ(Pixels(colour.get()), std::vector<uint32_t>({0x0A0B0C, 0xFF0001}));
    EXPECT_EQ(Printing(kError, [&] { return read("P7\n1 1\n255\n\x01\x01\x01"); }), nullptr);
    EXPECT_EQ(Printing(kError, [&] { return read("P5\n0 4\n255\n\x01\x01\x01\x01"); }), nullptr);
  }
  EXPECT_EQ(Printing(kError, [] { return IMGParsePNM(nullptr, 4); }), nullptr);
  EXPECT_EQ(Printing(kError, [] { return IMGReadPNM("/nonexistent/k8.pnm"); }), nullptr);
}

TEST(ImgPnm, FontSheetLayout) {
  std::string sheet = "P4\n# glyph sheet\n# 16 x 18 glyphs\n# 8 x 8 each\n128 144\n";
  for (int i = 0; i < 2304; ++i) sheet += static_cast<char>(i * 37);
  auto img = Parse(sheet);
  ASSERT_TRUE(img);
  EXPECT_EQ(img->width, 128);
  EXPECT_EQ(img->height, 144);
  for (uint32_t p : Pixels(img.get())) ASSERT_TRUE(p == 0 || p == kWhite);
  EXPECT_EQ(img->pixels[8 + 2], kWhite);  // byte 1 is 37 = 0b00100101
  EXPECT_EQ(img->pixels[8 + 1], 0u);
}

// Valid inputs whose every proper prefix (up to the last sample) is refused.
std::vector<std::string> SampleFiles() {
  return {"P1\n# c\n8 2\n0 1 0 1 1 1 0 0\n1 0 1 0 1 0 1 1\n",
          "P2 2 2 255\n10 20\n30 4\n",
          "P3\n1 2\n255\n1 2 3\n4 5 6\n",
          "P4\n16 2\n" + Bytes({0xAA, 0x55, 0x0F, 0xF0}),
          "P5\n3 1\n255\n" + Bytes({0, 1, 2}),
          "P6\n2 1\n255\n" + Bytes({1, 2, 3, 4, 5, 6})};
}

TEST(ImgPnm, TruncatedDataIsRefusedAtEveryByte) {
  k8test::ExpectTruncatedPnmRefused(SampleFiles(), Parse, ReadFile, kError);
}

TEST(ImgPnm, OversizedHeadersAreRefusedBeforeAllocating) {
  for (const std::string& bad : {
           std::string("P6\n65536 65536\n255\n\x01\x02\x03"),   // 2^32 pixels
           std::string("P5\n4294967297 1\n255\n\x01"),          // wraps to 1 in 32 bits
           std::string("P4\n2147483647 1\n\xFF"),               // rounds past 2^31 in memory
           std::string("P5\n46341 46341\n255\n\x01\x02"),       // just over 2^31 pixels
           std::string("P6\n30000 30000\n255\n\x01\x02\x03"),   // far more than the data
           std::string("P2\n20000 20000\n255\n1 2 3 4 5\n"),
           std::string("P1 99999999999999999999999 1\n1\n")}) {
    EXPECT_EQ(Printing(kError, [&] { return Parse(bad); }), nullptr) << bad;
    EXPECT_EQ(Printing(kError, [&] { return ReadFile(bad); }), nullptr) << bad;
  }
}

// A pipe cannot be measured: its pixels are read until they are complete or the pipe ends.
TEST(ImgPnm, UnseekableStreams) {
  TempFile fifo;
  ASSERT_EQ(mkfifo(fifo.path(), 0600), 0);
  auto feed = [&](std::string bytes) {
    std::thread writer([&] { std::ofstream(fifo.path(), std::ios::binary) << bytes; });
    ImgPtr img(IMGReadPNM(fifo.path()));
    writer.join();
    return img;
  };
  auto img = feed("P6 1 2 255\n" + Bytes({1, 2, 3, 4, 5, 6}));
  ASSERT_TRUE(img);
  EXPECT_EQ(Pixels(img.get()), std::vector<uint32_t>({0x010203, 0x040506}));
  EXPECT_EQ(Printing(kError, [&] { return feed("P6 1 2 255\n" + Bytes({1, 2, 3, 4})); }),
            nullptr);
  EXPECT_EQ(Printing(kError, [&] { return feed("P5 30000 30000 255\n\x01"); }), nullptr);

  // The block grows as the pixels arrive, through several doublings, raw and plain alike.
  std::string raw = "P6 120 100 255\n", plain = "P2 120 100 255\n";
  std::vector<uint32_t> colours, greys;
  for (uint32_t i = 0; i < 120 * 100; ++i) {
    const uint32_t c = i * 0x9E3779B9u >> 8;
    raw += Bytes({int(c >> 16 & 0xFF), int(c >> 8 & 0xFF), int(c & 0xFF)});
    colours.push_back(c);
    plain += std::to_string(i % 256) + (i % 120 == 119 ? "\n" : " ");
    greys.push_back(i % 256 * 0x010101u);
  }
  auto grown = feed(raw);
  ASSERT_TRUE(grown);
  EXPECT_EQ(Pixels(grown.get()), colours);
  grown = feed(plain);
  ASSERT_TRUE(grown);
  EXPECT_EQ(Pixels(grown.get()), greys);

  // Endless input ends: blanks where a header token should be, a plain sample's separator or
  // digits running past their allowance. The reader stops long before the writer, whose
  // writes into the closed pipe then fail instead of raising SIGPIPE.
  struct sigaction ignore {}, before {};
  ignore.sa_handler = SIG_IGN;
  sigaction(SIGPIPE, &ignore, &before);
  EXPECT_EQ(Printing(kError, [] { return IMGReadPNM("/dev/zero"); }), nullptr);
  EXPECT_EQ(Printing(kError, [&] { return feed("P2 2 1 255\n" + std::string(3 << 20, 'x')); }),
            nullptr);
  EXPECT_EQ(Printing(kError, [&] { return feed("P2 1 1 255\n" + std::string(3 << 20, '7')); }),
            nullptr);
  sigaction(SIGPIPE, &before, nullptr);
  EXPECT_EQ(Printing(kError,
                     [] { return Parse("P5" + std::string(3 << 20, ' ') + "1 1 255\n\x01"); }),
            nullptr);
}

TEST(ImgPnm, WritesRawPixmaps) {
  TempFile file;
  auto img = Make(2, 1, {0x000A0B0C, 0xFFFFFFFF});
  EXPECT_EQ(IMGWritePPM(img.get(), file.path()), 1);
  EXPECT_EQ(file.Read(), "P6\n2 1\n255\n" + Bytes({0x0A, 0x0B, 0x0C, 0xFF, 0xFF, 0xFF}));
  ImgPtr back(IMGReadPNM(file.path()));
  ASSERT_TRUE(back);
  EXPECT_EQ(Pixels(back.get()), std::vector<uint32_t>({0x000A0B0C, 0x00FFFFFF}));

  // Large files cross the writer's buffer and are widened in place by the reader, in many
  // stretches: a pixmap from the writer, a greymap by hand.
  std::vector<uint32_t> words(300 * 100), greys;
  std::string greymap = "P5 300 100 255\n";
  for (uint32_t i = 0; i < words.size(); ++i) {
    words[i] = i * 0x9E3779B9u >> 8;
    greymap += static_cast<char>(i * 7);
    greys.push_back((i * 7 & 0xFF) * 0x010101u);
  }
  auto varied = Make(300, 100, words);
  ASSERT_EQ(IMGWritePPM(varied.get(), file.path()), 1);
  ImgPtr pixmap(IMGReadPNM(file.path()));
  ASSERT_TRUE(pixmap);
  EXPECT_EQ(Pixels(pixmap.get()), words);
  auto grey = ReadFile(greymap);
  ASSERT_TRUE(grey);
  EXPECT_EQ(Pixels(grey.get()), greys);

  // The disk filling up is a failure.
  auto big = Make(300, 100);
  EXPECT_EQ(Printing(kError, [&] { return IMGWritePPM(big.get(), "/dev/full"); }), 0);
  // A small one stays in the stream's buffer until it is closed: closing must be checked.
  EXPECT_EQ(Printing(kError, [&] { return IMGWritePPM(img.get(), "/dev/full"); }), 0);
  EXPECT_EQ(Printing(kError, [&] { return IMGWritePPM(img.get(), "/nonexistent/k8.ppm"); }), 0);
  EXPECT_EQ(Printing(kError, [&] { return IMGWritePPM(img.get(), nullptr); }), 0);
  EXPECT_EQ(Printing(kError, [&] { return IMGWritePPM(nullptr, file.path()); }), 0);
  auto empty = Make(0, 3);
  EXPECT_EQ(Printing(kError, [&] { return IMGWritePPM(empty.get(), file.path()); }), 0);
}

// One picture's pixmap and text form are the bytes kept in tests/data, and those files read
// back as the picture, on every machine: the reader's word loads and the writer are checked
// against bytes another byte order wrote. Sizes that leave the reader's in-place widening
// several stretches and a tail.
TEST(ImgPnm, FilesAreTheSameOnEveryMachine) {
  std::vector<uint32_t> words(41 * 23), visible;
  for (uint32_t i = 0; i < words.size(); ++i) {
    words[i] = i * 0x9E3779B9u;  // top bytes too, which no file keeps
    visible.push_back(words[i] & 0x00FFFFFF);
  }
  auto img = Make(41, 23, words);
  TempFile file;
  ASSERT_EQ(IMGWritePPM(img.get(), file.path()), 1);
  EXPECT_TRUE(k8test::SameAsDataFile("img.ppm", file.Read()));
  EXPECT_TRUE(k8test::SameAsDataFile("img.txt", Text(IMGToASCII(img.get()))));

  ImgPtr fromFile(IMGReadPNM((std::string(K8_TEST_DATA) + "/img.ppm").c_str()));
  ASSERT_TRUE(fromFile);
  EXPECT_EQ(Pixels(fromFile.get()), visible);
  const std::string pixmap = k8test::DataFile("img.ppm");
  auto fromMemory = Parse(pixmap);
  ASSERT_TRUE(fromMemory);
  EXPECT_EQ(Pixels(fromMemory.get()), visible);
  ImgPtr fromText(IMGFromASCII(k8test::DataFile("img.txt").c_str()));
  ASSERT_TRUE(fromText);
  EXPECT_EQ(Pixels(fromText.get()), visible);
}

}  // namespace
