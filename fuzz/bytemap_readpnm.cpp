// Fuzzes BYTEMAPReadPNM from a file, through a pipe and from a failing stream.
#include "bytemap/bytemap.h"
#include "fuzz/readpnm.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) { return readpnm::Initialize("bytemap_readpnm"); }

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  return readpnm::ReadOne<BYTEMAP>(data, size, BYTEMAPReadPNM, BYTEMAPWritePGM, BYTEMAPFree);
}
