// The stb_image implementation, compiled once for the benchmarks that read PNM data beside it.
// Only its PNM reader is needed, but the PNG reader is compiled in too: newer stb snapshots
// (Debian 13's) call the 16-bit conversion from the PNM reader while defining it only with PNG.
#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_PNM
#define STBI_ONLY_PNG
#include <stb/stb_image.h>
