// Fuzzes IMGReadPNM from a file, through a pipe and from a failing stream.
#include "fuzz/readpnm.h"
#include "image/img.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) { return readpnm::Initialize("img_readpnm"); }

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  return readpnm::ReadOne<IMG>(data, size, IMGReadPNM, IMGWritePPM, IMGFree);
}
