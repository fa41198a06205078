// failalloc_workload - every allocating operation of the image, byte-map and sample modules
// once, for the allocation-failure sweep (sweep.sh beside it). Run under the failalloc shim
// with one allocation made to fail, each operation must refuse cleanly: return its refusal,
// leave nothing behind (a leak checker watches), never crash or hang. What the operations
// return is not checked here - only that whatever came back is released. The workload itself
// allocates nothing (no std::string): every failure belongs to an operation under test.
//
//   failalloc_workload DIRECTORY    scratch files are written to and read from DIRECTORY
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>

#include "audio/array.h"
#include "audio/music.h"
#include "audio/palette.h"
#include "audio/sample.h"
#include "bytemap/bytemap.h"
#include "image/font.h"
#include "image/img.h"

namespace {

const char kPlainGrey[] = "P2\n# grey\n3 2\n255\n0 10 20\n30 40 300\n";
const char kPlainColour[] = "P3 2 1 255 1 2 3 4 5 6";
const char kPlainBits[] = "P1 8 2 1 0 1 0 1 0 1 1 0 0 0 0 1 1 1 1";
const uint8_t kRawColour[] = {'P', '6', ' ', '2', ' ', '1', ' ', '2', '5', '5', '\n',
                              1, 2, 3, 4, 5, 6};
const uint8_t kRawGrey[] = {'P', '5', ' ', '2', ' ', '2', ' ', '2', '5', '5', '\n', 1, 2, 3, 4};
const uint8_t kRawBits[] = {'P', '4', ' ', '9', ' ', '2', '\n', 0xAA, 0x80, 0x55, 0x00};

// DIRECTORY/name, in a buffer of the caller's.
struct Path {
  char text[4096];
  Path(const char* dir, const char* name) { std::snprintf(text, sizeof text, "%s/%s", dir, name); }
};

void WriteFile(const char* path, const void* data, size_t size) {
  if (FILE* f = std::fopen(path, "wb")) {
    std::fwrite(data, 1, size, f);
    std::fclose(f);
  }
}

// The formats and transforms, once for each of the twin records.
template <class Rec, class Ops>
void Twin(const char* dir, const Ops& ops) {
  Rec* a = ops.New();
  ops.Resize(a, 7, 5);
  ops.FillRect(a, 1, 1, 4, 3, 200);
  Rec* copy = ops.Copy(a);
  char* text = ops.ToASCII(a);
  Rec* back = ops.FromASCII(text);
  std::free(text);
  ops.Free(&back);
  ops.Free(&copy);

  for (const char* plain : {kPlainGrey, kPlainColour, kPlainBits}) {
    Rec* r = ops.Parse(reinterpret_cast<const uint8_t*>(plain), std::strlen(plain));
    ops.Free(&r);
  }
  struct Raw { const uint8_t* data; size_t size; } raws[] = {
      {kRawColour, sizeof kRawColour}, {kRawGrey, sizeof kRawGrey}, {kRawBits, sizeof kRawBits}};
  for (const Raw& raw : raws) {
    Rec* r = ops.Parse(raw.data, raw.size);
    ops.Free(&r);
    const Path path(dir, "in.pnm");
    WriteFile(path.text, raw.data, raw.size);
    r = ops.Read(path.text);
    ops.Free(&r);
  }
  const Path out(dir, "out.pnm");
  ops.Write(a, out.text);
  Rec* reread = ops.Read(out.text);
  ops.Free(&reread);

  Rec* turned = ops.Rotate(a, 100);
  ops.Free(&turned);
  Rec* large = ops.New();
  ops.Resize(large, 11, 3);
  ops.Scale(a, large);
  ops.Scale(large, a);
  ops.Free(&large);
  std::free(ops.LinePoints(0, 0, 9, 4));
  ops.Free(&a);
}

struct ImgOps {
  IMG* (*New)() = IMGNew;
  void (*Free)(IMG**) = IMGFree;
  void (*Resize)(IMG*, int32_t, int32_t) = IMGResize;
  void (*FillRect)(IMG*, int32_t, int32_t, int32_t, int32_t, uint32_t) = IMGFillRect;
  IMG* (*Copy)(const IMG*) = IMGCopy;
  char* (*ToASCII)(const IMG*) = IMGToASCII;
  IMG* (*FromASCII)(const char*) = IMGFromASCII;
  IMG* (*Parse)(const uint8_t*, size_t) = IMGParsePNM;
  IMG* (*Read)(const char*) = IMGReadPNM;
  uint8_t (*Write)(const IMG*, const char*) = IMGWritePPM;
  IMG* (*Rotate)(const IMG*, int32_t) = IMGRotate;
  void (*Scale)(const IMG*, IMG*) = IMGScale;
  int32_t* (*LinePoints)(int32_t, int32_t, int32_t, int32_t) = IMGLinePoints;
};

struct BytemapOps {
  BYTEMAP* (*New)() = BYTEMAPNew;
  void (*Free)(BYTEMAP**) = BYTEMAPFree;
  void (*Resize)(BYTEMAP*, int32_t, int32_t) = BYTEMAPResize;
  void (*FillRect)(BYTEMAP*, int32_t, int32_t, int32_t, int32_t, int32_t) = BYTEMAPFillRect;
  BYTEMAP* (*Copy)(const BYTEMAP*) = BYTEMAPCopy;
  char* (*ToASCII)(const BYTEMAP*) = BYTEMAPToASCII;
  BYTEMAP* (*FromASCII)(const char*) = BYTEMAPFromASCII;
  BYTEMAP* (*Parse)(const uint8_t*, size_t) = BYTEMAPParsePNM;
  BYTEMAP* (*Read)(const char*) = BYTEMAPReadPNM;
  uint8_t (*Write)(const BYTEMAP*, const char*) = BYTEMAPWritePGM;
  BYTEMAP* (*Rotate)(const BYTEMAP*, int32_t) = BYTEMAPRotate;
  void (*Scale)(const BYTEMAP*, BYTEMAP*) = BYTEMAPScale;
  int32_t* (*LinePoints)(int32_t, int32_t, int32_t, int32_t) = BYTEMAPLinePoints;
};

void Samples(const char* dir) {
  SAMPLE* s = SAMPLENew();
  SAMPLEResize(s, 40);
  for (int32_t i = 0; i < 40; ++i) SAMPLESet(s, i * 37 - 700, i);
  SAMPLE* copy = SAMPLECopy(s);
  char* text = SAMPLEToASCII(s);
  SAMPLE* back = SAMPLEFromASCII(text);
  std::free(text);
  SAMPLEFree(&back);
  SAMPLE* list = SAMPLEFromList("1, -2, 3 4 5");
  SAMPLEFree(&list);
  SAMPLERotateRight(copy, 7);
  SAMPLEInsertSAMPLE(copy, s, 3);
  SAMPLEInsert(copy, 9, 0);
  SAMPLE* sub = SAMPLESub(s, 2, 20);
  SAMPLEFree(&sub);
  SAMPLEResample(copy, 97);
  const Path path(dir, "raw");
  if (FILE* f = std::fopen(path.text, "wb")) {
    SAMPLEWriteRaw(s, f, 16, 'l');
    std::fclose(f);
  }
  if (FILE* f = std::fopen(path.text, "rb")) {
    SAMPLE* raw = SAMPLEReadRaw(f, 16, 'l', 's');
    SAMPLEFree(&raw);
    std::fclose(f);
  }
  SAMPLEFree(&copy);
  SAMPLEFree(&s);

  ARRAY* array = ARRAYNew();
  for (intptr_t i = 0; i < 20; ++i) ARRAYPush(array, i);
  ARRAYInsert(array, 5, 0);
  ARRAY* arrayCopy = ARRAYCopy(array);
  ARRAY* arraySub = ARRAYSub(array, 2, 9);
  ARRAYInsertRange(array, arrayCopy, 0, 5, 1);
  ARRAYFree(&arraySub);
  ARRAYFree(&arrayCopy);
  ARRAYFree(&array);

  PALETTE* palette = PALETTENew();
  PALETTEFillHueCircle(palette);
  PALETTERotateRight(palette, 3);
  PALETTEFree(&palette);

  // The sequencer with two clips of its own: an event places one, and MUSICFree releases them.
  MUSIC* music = MUSICNew();
  for (int32_t n : {300, 700}) {
    SAMPLE* clip = SAMPLENew();
    SAMPLEResize(clip, n);
    const int32_t before = music && music->instruments ? music->instruments->count : -1;
    MUSICAddSAMPLE(music, clip);
    if (clip && (before < 0 || music->instruments->count == before)) SAMPLEFree(&clip);
  }
  MUSICStep(music);
  if (music) MUSICFree(&music);
}

void Font() {
  FONT* font = FONTNew();
  IMG* sheet = IMGParsePNM(FONTSheetPBM, FONTSheetPBMSize);
  if (!font) {
    IMGFree(&sheet);
    return;
  }
  font->sheet = sheet;
  font->glyphWidth = font->glyphHeight = 8;
  IMG* target = IMGNew();
  FONTDrawString(font, "Fault 42", 3, 4, target);
  IMGFree(&target);
  FONTFree(&font);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2 || std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0) {
    std::fprintf(argc == 2 ? stdout : stderr,
                 "Usage: failalloc_workload DIRECTORY\n"
                 "Runs every allocating operation of the IMG, BYTEMAP, SAMPLE, ARRAY, PALETTE,\n"
                 "MUSIC and FONT modules once, writing scratch files to DIRECTORY; meant to be\n"
                 "run by the allocation-failure sweep under its shim.\n");
    return argc == 2 ? 0 : 2;
  }
  const char* dir = argv[1];
  Twin<IMG>(dir, ImgOps{});
  Twin<BYTEMAP>(dir, BytemapOps{});
  Samples(dir);
  Font();
  return 0;
}
