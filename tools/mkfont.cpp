// mkfont - turns the glyph pictures of image/glyphs.txt into the font's built-in sheet.
//
//   mkfont GLYPHS OUTPUT.cpp [SHEET.pbm]
//
// Reads the glyph pictures, checks them strictly and writes a C++ source that defines
// FONTSheetPBM / FONTSheetPBMSize (image/font.h): a raw PBM, "P4", three comment lines,
// "128 144", then 144 rows of 16 bytes, leftmost pixel in the most significant bit, 1 = ink.
// With a third argument the same PBM is also written as a file, for looking at the sheet
// (pnmscale 4 SHEET.pbm | pnmtopng > sheet.png). Nothing is written when the input is bad;
// the output appears by rename, so a failed run never leaves half a source behind.
//
// The glyph file, line by line (trailing blanks and a CR are ignored):
//   ; text          a comment
//   (empty)         nothing; separates pictures
//   CODE [text]     starts the picture of cell CODE (decimal, 0 to 287); free text may follow
//   FIRST-LAST [text]  starts one picture of the cells FIRST to LAST side by side
//   ###..#..        a picture row: '#' ink, '.' blank, exactly 8 per cell
// Every label is followed by exactly 8 rows, and every cell 0 to 287 is given exactly once.
// The shading cells 256 to 271 must hold the fixed numbers of lit pixels in kShadeInk.
//
// Cell c of the 16 x 18 sheet has its top-left pixel at (8 * (c % 16), 8 * (c / 16)).
#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

namespace mkfont {

constexpr int kCell = 8;
constexpr int kColumns = 16;                 // cells across
constexpr int kRows = 18;                    // cells down
constexpr int kCells = kColumns * kRows;     // 288
constexpr int kRowBytes = kColumns * kCell / 8;
constexpr int kSheetBytes = kRowBytes * kRows * kCell;  // 2304
constexpr int kFirstShade = 256;
constexpr std::array<int, 16> kShadeInk = {0,  4,  8,  16, 20, 24, 28, 32,
                                           32, 36, 40, 44, 48, 56, 60, 64};

struct Sheet {
  std::array<uint8_t, kSheetBytes> bits{};  // the PBM pixel data
  std::array<bool, kCells> given{};
};

inline void SetInk(Sheet& sheet, int code, int x, int y) {
  const int px = (code % kColumns) * kCell + x;
  const int py = (code / kColumns) * kCell + y;
  sheet.bits[py * kRowBytes + px / 8] |= uint8_t(0x80 >> (px % 8));
}

inline bool Ink(const Sheet& sheet, int code, int x, int y) {
  const int px = (code % kColumns) * kCell + x;
  const int py = (code / kColumns) * kCell + y;
  return sheet.bits[py * kRowBytes + px / 8] & (0x80 >> (px % 8));
}

inline int InkCount(const Sheet& sheet, int code) {
  int n = 0;
  for (int y = 0; y < kCell; ++y)
    for (int x = 0; x < kCell; ++x) n += Ink(sheet, code, x, y);
  return n;
}

// Reads a decimal cell code of at most 3 digits from the front of s; -1 when there is none
// or it is too long.
inline int TakeCode(std::string_view& s) {
  size_t n = 0;
  int value = 0;
  while (n < s.size() && s[n] >= '0' && s[n] <= '9') {
    if (++n > 3) return -1;
    value = value * 10 + (s[n - 1] - '0');
  }
  if (n == 0) return -1;
  s.remove_prefix(n);
  return value;
}

// Parses a label line into its cell range; an empty message means success.
inline std::string ParseLabel(std::string_view line, int& first, int& last) {
  first = TakeCode(line);
  last = first;
  if (first >= 0 && !line.empty() && line[0] == '-') {
    line.remove_prefix(1);
    last = TakeCode(line);
  }
  if (first < 0 || last < 0) return "bad cell label";
  if (!line.empty() && line[0] != ' ' && line[0] != '\t') return "bad cell label";
  if (last >= kCells) return "cell code beyond " + std::to_string(kCells - 1);
  if (last < first) return "cell range runs backwards";
  return {};
}

// Fills `sheet` from the glyph text; returns an empty string or "LINE: message".
inline std::string Parse(std::string_view text, Sheet& sheet) {
  sheet = Sheet{};
  int first = -1, last = -1, row = kCell;  // row == kCell: no picture open
  int lineNo = 0, labelLine = 0;
  auto fail = [&](int at, const std::string& message) {
    return std::to_string(at) + ": " + message;
  };
  auto unfinished = [&] {
    return fail(labelLine, "cell " + std::to_string(first) + " has " + std::to_string(row) +
                               " rows, needs " + std::to_string(kCell));
  };
  while (!text.empty()) {
    const size_t end = std::min(text.find('\n'), text.size());
    std::string_view line = text.substr(0, end);
    text.remove_prefix(std::min(end + 1, text.size()));
    ++lineNo;
    while (!line.empty() && (line.back() == ' ' || line.back() == '\t' || line.back() == '\r'))
      line.remove_suffix(1);
    const bool picture = !line.empty() && line[0] != ';' && (line[0] < '0' || line[0] > '9');
    if (!picture && row < kCell) return unfinished();
    if (line.empty() || line[0] == ';') continue;
    if (!picture) {
      if (std::string message = ParseLabel(line, first, last); !message.empty())
        return fail(lineNo, message);
      for (int c = first; c <= last; ++c) {
        if (sheet.given[c]) return fail(lineNo, "cell " + std::to_string(c) + " given twice");
        sheet.given[c] = true;
      }
      row = 0;
      labelLine = lineNo;
      continue;
    }
    if (row == kCell) return fail(lineNo, "picture row without a cell label");
    const size_t width = size_t(last - first + 1) * kCell;
    if (line.size() != width)
      return fail(lineNo, "row is " + std::to_string(line.size()) + " wide, needs " +
                              std::to_string(width));
    for (size_t x = 0; x < width; ++x) {
      if (line[x] != '#' && line[x] != '.')
        return fail(lineNo, "only '#' and '.' may draw a picture");
      if (line[x] == '#') SetInk(sheet, first + int(x) / kCell, int(x) % kCell, row);
    }
    ++row;
  }
  if (row < kCell) return unfinished();
  for (int c = 0; c < kCells; ++c)
    if (!sheet.given[c]) return fail(lineNo, "cell " + std::to_string(c) + " is missing");
  for (size_t i = 0; i < kShadeInk.size(); ++i) {
    const int code = kFirstShade + int(i), n = InkCount(sheet, code);
    if (n != kShadeInk[i])
      return fail(lineNo, "shading cell " + std::to_string(code) + " has " + std::to_string(n) +
                              " lit pixels, needs " + std::to_string(kShadeInk[i]));
  }
  return {};
}

inline std::string PBM(const Sheet& sheet) {
  std::string pbm =
      "P4\n"
      "# KESTREL8 font: 16 x 18 cells of 8 x 8, code c at (8 * (c mod 16), 8 * (c div 16))\n"
      "# 0-255 Latin-1 with controls as small hex, 256-271 shades, 272-287 a picture\n"
      "# generated by mkfont from image/glyphs.txt; a 1 bit is ink\n"
      "128 144\n";
  pbm.append(sheet.bits.begin(), sheet.bits.end());
  return pbm;
}

// The C++ source: each header line as bytes under a comment showing its text, then one
// line of 16 bytes per pixel row of the sheet.
inline std::string Source(const Sheet& sheet) {
  const std::string pbm = PBM(sheet);
  const size_t header = pbm.size() - kSheetBytes;
  std::string out =
      "// fontsheet.cpp - generated by mkfont from image/glyphs.txt; edit the pictures there.\n"
      "#include \"image/font.h\"\n\n"
      "const uint8_t FONTSheetPBM[] = {\n";
  char buf[8];
  size_t lineStart = 0;
  for (size_t i = 0; i < pbm.size(); ++i) {
    if (i < header && (i == 0 || pbm[i - 1] == '\n')) {
      lineStart = i;
      out += "    // " + pbm.substr(i, pbm.find('\n', i) - i) + "\n";
    }
    if (i == header) out += "    // pixel rows\n";
    if (i < header ? i == lineStart : (i - header) % 16 == 0) out += "   ";
    std::snprintf(buf, sizeof buf, " 0x%02x,", unsigned(uint8_t(pbm[i])));
    out += buf;
    if (i < header ? pbm[i] == '\n' : (i - header) % 16 == 15) out += '\n';
  }
  out += "};\nconst size_t FONTSheetPBMSize = sizeof FONTSheetPBM;\n";
  return out;
}

inline bool ReadFile(const char* path, std::string& text) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return !in.bad();
}

inline bool WriteFile(const std::string& path, const std::string& data) {
  const std::string temp = path + ".tmp";
  {
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    if (!out || !out.write(data.data(), std::streamsize(data.size())) || !out.flush()) {
      std::remove(temp.c_str());
      return false;
    }
  }
  if (std::rename(temp.c_str(), path.c_str()) != 0) {
    std::remove(temp.c_str());
    return false;
  }
  return true;
}

inline int Run(int argc, char** argv) {
  if (argc != 3 && argc != 4) {
    std::fprintf(stderr, "usage: mkfont GLYPHS OUTPUT.cpp [SHEET.pbm]\n");
    return 2;
  }
  std::string text;
  if (!ReadFile(argv[1], text)) {
    std::fprintf(stderr, "mkfont: cannot read %s\n", argv[1]);
    return 1;
  }
  Sheet sheet;
  if (std::string message = Parse(text, sheet); !message.empty()) {
    std::fprintf(stderr, "%s:%s\n", argv[1], message.c_str());
    return 1;
  }
  if (!WriteFile(argv[2], Source(sheet)) || (argc == 4 && !WriteFile(argv[3], PBM(sheet)))) {
    std::fprintf(stderr, "mkfont: cannot write the output\n");
    return 1;
  }
  return 0;
}

}  // namespace mkfont

#ifndef MKFONT_NO_MAIN
int main(int argc, char** argv) { return mkfont::Run(argc, argv); }
#endif
