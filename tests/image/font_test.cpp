// Tests of the font: the built-in glyph sheet, drawing, misuse, and the generator that
// builds the sheet from image/glyphs.txt.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "image/font.h"
#include "image/img.h"

#define MKFONT_NO_MAIN
#include "tools/mkfont.cpp"

namespace {

constexpr int kShadeInk[16] = {0, 4, 8, 16, 20, 24, 28, 32, 32, 36, 40, 44, 48, 56, 60, 64};

IMG* ParsedSheet() { return IMGParsePNM(FONTSheetPBM, FONTSheetPBMSize); }

IMG* Blank(int32_t w, int32_t h) {
  IMG* image = IMGNew();
  IMGResize(image, w, h);
  return image;
}

// The 64 pixels of the cell of code c on the 8 x 8 sheet, row after row.
std::vector<uint32_t> Cell(const IMG* sheet, int c) {
  std::vector<uint32_t> cell;
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x)
      cell.push_back(IMGGetPixel(sheet, 8 * (c % 16) + x, 8 * (c / 16) + y));
  return cell;
}

// The cell's ink as 64 bits, pixel 0 in the lowest.
uint64_t InkBits(const std::vector<uint32_t>& cell) {
  uint64_t bits = 0;
  for (size_t i = 0; i < cell.size(); ++i) bits |= uint64_t{cell[i] != 0} << i;
  return bits;
}

int Lit(const std::vector<uint32_t>& cell) {
  int n = 0;
  for (uint32_t p : cell) n += p != 0;
  return n;
}

// The ready-made font the demo draws with: the built-in sheet and 8 x 8 glyphs.
struct FontFixture : ::testing::Test {
  FONT* font = nullptr;
  void SetUp() override {
    font = FONTNewBuiltIn();
    ASSERT_NE(font, nullptr);
  }
  void TearDown() override { FONTFree(&font); }

  IMG* Text(const char* text, int32_t x = 0, int32_t y = 0, int32_t w = 96, int32_t h = 16) {
    IMG* image = Blank(w, h);
    FONTDrawString(font, text, x, y, image);
    return image;
  }
};

bool Same(const IMG* a, const IMG* b) {
  return a->width == b->width && a->height == b->height &&
         std::memcmp(a->pixels, b->pixels, sizeof(uint32_t) * a->width * a->height) == 0;
}

TEST(FontSheet, HeaderAndSize) {
  const std::string data(reinterpret_cast<const char*>(FONTSheetPBM), FONTSheetPBMSize);
  ASSERT_EQ(data.compare(0, 3, "P4\n"), 0);
  size_t at = 3;
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(data[at], '#') << "comment line " << i;
    at = data.find('\n', at) + 1;
  }
  EXPECT_EQ(data.compare(at, 8, "128 144\n"), 0);
  EXPECT_EQ(FONTSheetPBMSize - (at + 8), 2304u);

  IMG* sheet = ParsedSheet();
  ASSERT_NE(sheet, nullptr);
  EXPECT_EQ(sheet->width, 128);
  EXPECT_EQ(sheet->height, 144);
  int white = 0, other = 0;
  for (int i = 0; i < 128 * 144; ++i) {
    white += sheet->pixels[i] == 0x00FFFFFF;
    other += sheet->pixels[i] != 0x00FFFFFF && sheet->pixels[i] != 0;
  }
  EXPECT_EQ(other, 0);
  EXPECT_GT(white, 0);
  IMGFree(&sheet);
}

TEST(FontSheet, CellContents) {
  IMG* sheet = ParsedSheet();
  ASSERT_NE(sheet, nullptr);
  for (int i = 0; i < 16; ++i) EXPECT_EQ(Lit(Cell(sheet, 256 + i)), kShadeInk[i]) << "shade " << i;
  EXPECT_EQ(Lit(Cell(sheet, 32)), 0) << "space";

  const std::vector<uint32_t> checker = Cell(sheet, 127);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) {
      const bool ink = checker[y * 8 + x] != 0;
      EXPECT_TRUE(x == 7 || ink != (checker[y * 8 + x + 1] != 0)) << x << "," << y;
      EXPECT_TRUE(y == 7 || ink != (checker[y * 8 + x + 8] != 0)) << x << "," << y;
    }

  // Every character cell but the two blanks has ink, and no two look alike, which catches
  // a picture pasted twice or put under the wrong label. Cells are told apart by their 64 ink
  // bits: GCC 12's ordering of vectors of wider unsigned elements compares only the first
  // quarter of their bytes on big-endian machines, so a set of the pixel vectors would find
  // repeats there that are not.
  std::set<uint64_t> seen;
  for (int c = 0; c < 256; ++c) {
    if (c == 32 || c == 160) continue;
    const std::vector<uint32_t> cell = Cell(sheet, c);
    EXPECT_GT(Lit(cell), 0) << "code " << c;
    EXPECT_TRUE(seen.insert(InkBits(cell)).second) << "code " << c << " repeats another cell";
  }
  for (int c = 272; c < 288; ++c) EXPECT_GT(Lit(Cell(sheet, c)), 0) << "picture cell " << c;
  IMGFree(&sheet);
}

// One call gives what FONTNew plus the parsed sheet and 8 x 8 gives, and draws text.
TEST_F(FontFixture, BuiltInIsTheParsedSheetAt8x8) {
  EXPECT_EQ(font->glyphWidth, 8);
  EXPECT_EQ(font->glyphHeight, 8);
  IMG* sheet = ParsedSheet();
  ASSERT_NE(font->sheet, nullptr);
  EXPECT_EQ(IMGEqual(font->sheet, sheet), 1);
  IMGFree(&sheet);
  IMG* text = Text("Hi");
  EXPECT_GT(std::count(text->pixels, text->pixels + 96 * 16, 0x00FFFFFFu), 10);
  IMGFree(&text);
}

TEST_F(FontFixture, HexDigitsMatchTheirText) {
  struct Case {
    void (*draw)(const FONT*, uint32_t, int32_t, int32_t, IMG*);
    const char* text;
  } cases[] = {{FONTDrawHex8, "CD"}, {FONTDrawHex16, "ABCD"}, {FONTDrawHex32, "1234ABCD"}};
  for (const Case& c : cases) {
    IMG* hex = Blank(96, 16);
    c.draw(font, 0x1234ABCD, 0, 0, hex);
    IMG* text = Text(c.text);
    EXPECT_TRUE(Same(hex, text)) << c.text;
    IMGFree(&hex);
    IMGFree(&text);
  }
  // The digits above 9 are the upper-case letters, and every nibble is drawn.
  IMG* hex = Blank(96, 16);
  FONTDrawHex32(font, 0x09FAF00F, 4, 3, hex);
  IMG* text = Text("09FAF00F", 4, 3);
  EXPECT_TRUE(Same(hex, text));
  IMGFree(&hex);
  IMGFree(&text);
}

TEST_F(FontFixture, StringsEndAndSpacesAndClipping) {
  IMG* cut = Text("AB\nCD");
  IMG* ab = Text("AB");
  EXPECT_TRUE(Same(cut, ab)) << "a line feed ends the text";
  IMGFree(&cut);

  // A space changes nothing, also over a coloured background; ink is white, and black
  // pixels of a glyph let the background show through.
  IMG* painted = Blank(24, 8);
  IMGFillRect(painted, 0, 0, 24, 8, 0x00123456);
  FONTDrawString(font, "   ", 0, 0, painted);
  for (int i = 0; i < 24 * 8; ++i) EXPECT_EQ(painted->pixels[i], 0x00123456u);
  FONTDrawString(font, "A", 8, 0, painted);
  int white = 0;
  for (int i = 0; i < 24 * 8; ++i) {
    EXPECT_TRUE(painted->pixels[i] == 0x00123456u || painted->pixels[i] == 0x00FFFFFFu);
    white += painted->pixels[i] == 0x00FFFFFFu;
  }
  EXPECT_EQ(white, Lit(Cell(font->sheet, 'A')));
  IMGFree(&painted);

  // At x = -4 the first glyph shows its right half and the rest follow at 8-pixel steps.
  IMG* left = Text("AB", -4, 0);
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 96; ++x) {
      const uint32_t want = x + 4 < 96 ? IMGGetPixel(ab, x + 4, y) : 0;
      EXPECT_EQ(IMGGetPixel(left, x, y), want) << x << "," << y;
    }
  IMGFree(&left);

  // Bytes above 127 are unsigned codes: they draw the Latin-1 cells.
  IMG* byte = Text("\xC9");
  IMG* code = Blank(96, 16);
  FONTDrawChar(font, 0xC9, 0, 0, code);
  EXPECT_TRUE(Same(byte, code));
  EXPECT_GT(Lit(Cell(font->sheet, 0xC9)), 0);
  IMGFree(&byte);
  IMGFree(&code);
  IMGFree(&ab);
}

// A sheet whose every pixel names its own position shows exactly where a cell is cut.
TEST(FontCells, PositionsAndOutOfRangeCodes) {
  FONT* font = FONTNew();
  ASSERT_NE(font, nullptr);
  EXPECT_EQ(font->glyphWidth, 6);
  EXPECT_EQ(font->glyphHeight, 6);
  EXPECT_EQ(font->sheet, nullptr);
  font->sheet = Blank(128, 144);
  for (int i = 0; i < 128 * 144; ++i) font->sheet->pixels[i] = 0x01000000u | uint32_t(i);
  auto source = [&](const IMG* image) {  // the sheet position drawn at (0, 0), or -1
    const uint32_t p = image->pixels[0];
    return p ? int(p & 0xFFFFFF) : -1;
  };
  font->glyphWidth = font->glyphHeight = 8;
  IMG* dst = Blank(8, 8);
  FONTDrawChar(font, 65, 0, 0, dst);
  EXPECT_EQ(source(dst), 8 + 32 * 128);
  FONTDrawChar(font, 256, 0, 0, dst);
  EXPECT_EQ(source(dst), 0 + 128 * 128);
  FONTDrawChar(font, 287, 0, 0, dst);
  EXPECT_EQ(source(dst), 120 + 136 * 128);
  EXPECT_EQ(dst->pixels[63], 0x01000000u | (127 + 143 * 128));

  // Codes whose cell lies off the sheet draw nothing and read nothing outside it.
  const int32_t outside[] = {-1, -16, -17, 288, 300, 100000, INT32_MAX, INT32_MIN};
  for (int32_t c : outside) {
    IMGClear(dst);
    FONTDrawChar(font, c, 0, 0, dst);
    EXPECT_EQ(source(dst), -1) << c;
  }
  // Absurd glyph sizes and pen positions stay within 64-bit arithmetic (UBSan watches).
  font->glyphWidth = INT32_MAX;
  font->glyphHeight = INT32_MAX;
  FONTDrawChar(font, INT32_MAX, 0, 0, dst);
  FONTDrawChar(font, INT32_MIN, 0, 0, dst);
  FONTDrawString(font, "ABC", INT32_MAX - 1, 0, dst);
  FONTDrawHex32(font, 0xFFFFFFFF, INT32_MAX, INT32_MIN, dst);
  font->glyphWidth = 8;
  font->glyphHeight = 8;
  FONTDrawString(font, "ABCDEFGH", INT32_MAX - 20, 0, dst);
  FONTDrawHex32(font, 0xFFFFFFFF, INT32_MIN, 0, dst);

  // With the 6 x 6 default, code 21 starts at column 126: only two columns lie on the sheet.
  font->glyphWidth = font->glyphHeight = 6;
  IMGClear(dst);
  FONTDrawChar(font, 21, 0, 0, dst);
  EXPECT_EQ(source(dst), 126);
  EXPECT_NE(dst->pixels[1], 0u);
  EXPECT_EQ(dst->pixels[2], 0u);
  FONTDrawChar(font, 22, 0, 0, dst);  // 132 wraps to column 4 of the next cell row
  EXPECT_EQ(source(dst), 4 + 6 * 128);
  IMGFree(&dst);

  FONTFree(&font);  // frees the sheet too, or LeakSanitizer complains
  EXPECT_EQ(font, nullptr);
}

TEST(FontMisuse, IsRefusedAndReported) {
  FONTReport = 1;
  ::testing::internal::CaptureStdout();
  FONTFree(nullptr);
  FONT* none = nullptr;
  FONTFree(&none);
  IMG* dst = Blank(8, 8);
  FONTDrawChar(nullptr, 'A', 0, 0, dst);
  FONT* bare = FONTNew();
  FONTDrawChar(bare, 'A', 0, 0, dst);  // no sheet yet
  FONTDrawString(bare, nullptr, 0, 0, dst);
  FONTDrawString(nullptr, "A", 0, 0, dst);
  FONTDrawHex8(nullptr, 1, 0, 0, dst);
  FONTDrawHex32(nullptr, 1, 0, 0, dst);
  std::string out = ::testing::internal::GetCapturedStdout();
  FONTReport = 0;
  std::string want;
  for (int i = 0; i < 8; ++i) want += "FONT Error.\n";
  EXPECT_EQ(out, want);
  for (int i = 0; i < 64; ++i) EXPECT_EQ(dst->pixels[i], 0u);

  // Switched off, as in the demo, the reporter prints nothing.
  ::testing::internal::CaptureStdout();
  FONTDrawChar(bare, 'A', 0, 0, dst);
  FONTFree(&none);
  EXPECT_EQ(::testing::internal::GetCapturedStdout(), "");
  FONTFree(&bare);
  EXPECT_EQ(bare, nullptr);
  IMGFree(&dst);
}

// The generator, run on the real glyph pictures and on broken copies of them. The build names
// their file: __FILE__ cannot, since package builds map the source folder's path away.
std::string GlyphText() {
  std::ifstream in(K8_GLYPHS_TXT, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string Replace(std::string text, const std::string& from, const std::string& to) {
  const size_t at = text.find(from);
  EXPECT_NE(at, std::string::npos) << from;
  if (at != std::string::npos) text.replace(at, from.size(), to);
  return text;
}

TEST(FontGenerator, BuildsTheEmbeddedSheet) {
  const std::string text = GlyphText();
  ASSERT_FALSE(text.empty());
  mkfont::Sheet sheet;
  EXPECT_EQ(mkfont::Parse(text, sheet), "");
  const std::string pbm = mkfont::PBM(sheet);
  EXPECT_EQ(pbm, std::string(reinterpret_cast<const char*>(FONTSheetPBM), FONTSheetPBMSize));

  std::string crlf;
  for (char c : text) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
  EXPECT_EQ(mkfont::Parse(crlf, sheet), "") << "CR LF line ends are read too";
}

TEST(FontGenerator, RefusesMalformedPictures) {
  const std::string good = GlyphText();
  ASSERT_FALSE(good.empty());
  const std::string a = "65 0x41 A\n..###...\n.#...#..\n";
  const std::string shade = "260 shade, 20 lit pixels\n";
  struct Bad {
    std::string text, error;
  } bad[] = {
      {"", "cell 0 is missing"},
      {Replace(good, "\n65 0x41 A\n", "\n64 0x41 A\n"), "cell 64 given twice"},
      {Replace(good, a, "65 0x41 A\n"), "cell 65 has 6 rows"},
      {Replace(good, a, "65 0x41 A\n..###..\n.#...#..\n"), "row is 7 wide"},
      {Replace(good, a, "65 0x41 A\n..###...\n.#...#...\n"), "row is 9 wide"},
      {Replace(good, a, "65 0x41 A\n..#x#...\n.#...#..\n"), "only '#' and '.'"},
      {Replace(good, a, "65 0x41 A\n..###...\n\n.#...#..\n"), "cell 65 has 1 rows"},
      {Replace(good, "\n66 0x42 B\n", "\n........\n66 0x42 B\n"),
       "picture row without a cell label"},
      {Replace(good, "\n65 0x41 A\n", "\n65x A\n"), "bad cell label"},
      {Replace(good, "\n65 0x41 A\n", "\n9999 A\n"), "bad cell label"},
      {Replace(good, "\n65 0x41 A\n", "\n-65 A\n"), "picture row without a cell label"},
      {Replace(good, "\n272-287 ", "\n287-272 "), "runs backwards"},
      {Replace(good, "\n272-287 ", "\n272-288 "), "beyond 287"},
      {Replace(good, shade + "#", shade + "."), "shading cell 260 has 19 lit pixels"},
      {Replace(good, shade + "#.", shade + "##"), "shading cell 260 has 21 lit pixels"},
      {good + "\n200 again\n", "cell 200 given twice"},
      {good.substr(0, good.size() - 129), "cell 272 has 7 rows"},
  };
  for (const Bad& b : bad) {
    mkfont::Sheet sheet;
    const std::string error = mkfont::Parse(b.text, sheet);
    EXPECT_NE(error.find(b.error), std::string::npos)
        << "wanted '" << b.error << "', got '" << error << "'";
  }
  // Errors name the line: the wide row of A is the line after its label.
  mkfont::Sheet sheet;
  const size_t labelLine = std::count(good.begin(), good.begin() + good.find(a), '\n') + 1;
  EXPECT_EQ(mkfont::Parse(Replace(good, a, "65 0x41 A\n..#####.#\n"), sheet),
            std::to_string(labelLine + 1) + ": row is 9 wide, needs 8");
}

}  // namespace
