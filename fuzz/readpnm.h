// The file-reader fuzz body shared by IMGReadPNM and BYTEMAPReadPNM: each input is written
// to a private temporary file and read back. Whatever is accepted has a positive size that
// the file could hold: at least one bit per pixel.
#pragma once
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace readpnm {

inline std::string path;

// Called from LLVMFuzzerInitialize: a temporary file per process, and the reporters' lines
// sent away so the fuzzer's log stays readable.
inline int Initialize(const char* name) {
  path = std::string("/tmp/k8fuzz_") + name + "_" + std::to_string(getpid());
  std::atexit([] { std::remove(path.c_str()); });
  return std::freopen("/dev/null", "w", stdout) ? 0 : 0;
}

template <class Rec>
int ReadOne(const uint8_t* data, size_t size, Rec* (*read)(const char*), void (*release)(Rec**)) {
  FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) abort();
  if (std::fwrite(data, 1, size, file) != size || std::fclose(file) != 0) abort();
  Rec* result = read(path.c_str());
  if (!result) return 0;
  if (result->width <= 0 || result->height <= 0 || !result->pixels) abort();
  if (uint64_t(result->width) * uint64_t(result->height) > 8 * uint64_t(size)) abort();
  release(&result);
  return 0;
}

}  // namespace readpnm
