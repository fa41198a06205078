// The stb_image implementation, compiled once for the benchmarks that read PNM data beside it.
// Only its PNM reader is needed.
#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_PNM
#include <stb/stb_image.h>
