// Fuzzes IMGReadPNM through a temporary file.
#include "fuzz/readpnm.h"
#include "image/img.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) { return readpnm::Initialize("img_readpnm"); }

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  return readpnm::ReadOne<IMG>(data, size, IMGReadPNM, IMGFree);
}
