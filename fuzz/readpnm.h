// The file-reader fuzz body shared by IMGReadPNM and BYTEMAPReadPNM. Each input is read three
// ways, and the readings must agree:
//   - from a private temporary file (measurable: sizes are checked against the file's length);
//     whatever is accepted has a positive size that the file could hold, at least one bit a
//     pixel, and survives the module's raw PNM writer and this reader again (the top byte of
//     an IMG word aside, which the writer drops);
//   - through a pipe, which cannot be measured, so its block grows as pixels arrive: the same
//     result as the file;
//   - from the file with its stream failing after some bytes (getc, fread and ferror are
//     wrapped at link time): null when the reader met the failure, else the same result.
#pragma once
#include <fcntl.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

extern "C" {
int __real_getc(FILE* stream);
size_t __real_fread(void* out, size_t size, size_t count, FILE* stream);
int __real_ferror(FILE* stream);
}

namespace readpnm {

inline std::string path, written;

// The failing stream: while armed, every byte handed out by getc and fread counts, and the
// byte numbered `failAt` is not handed out: the stream reports an error from there on.
inline bool armed = false, failed = false;
inline size_t handedOut = 0, failAt = 0;

// Called from LLVMFuzzerInitialize: temporary files per process, and the reporters' lines
// sent away so the fuzzer's log stays readable.
inline int Initialize(const char* name) {
  path = std::string("/tmp/k8fuzz_") + name + "_" + std::to_string(getpid());
  written = path + ".written";
  std::atexit([] {
    std::remove(path.c_str());
    std::remove(written.c_str());
  });
  return std::freopen("/dev/null", "w", stdout) ? 0 : 0;
}

template <class Rec>
bool Same(const Rec* a, const Rec* b, uint32_t mask) {
  if (!a || !b) return a == b;
  if (a->width != b->width || a->height != b->height) return false;
  for (size_t i = 0, n = size_t(a->width) * size_t(a->height); i < n; ++i)
    if ((a->pixels[i] & mask) != (b->pixels[i] & mask)) return false;
  return true;
}

// The input through a pipe named by /dev/fd, or null (and `skipped`) when the pipe cannot hold
// it all at once.
template <class Rec>
Rec* ReadPipe(const uint8_t* data, size_t size, Rec* (*read)(const char*), bool& skipped) {
  int ends[2];
  if (pipe(ends) != 0) abort();
  skipped = size > 65536 && fcntl(ends[1], F_SETPIPE_SZ, int(size)) < int(size);
  Rec* result = nullptr;
  if (!skipped) {
    if (size && write(ends[1], data, size) != ssize_t(size)) abort();
    close(ends[1]);
    ends[1] = -1;
    result = read(("/dev/fd/" + std::to_string(ends[0])).c_str());
  }
  close(ends[0]);
  if (ends[1] >= 0) close(ends[1]);
  return result;
}

template <class Rec>
int ReadOne(const uint8_t* data, size_t size, Rec* (*read)(const char*),
            uint8_t (*write)(const Rec*, const char*), void (*release)(Rec**)) {
  constexpr uint32_t kMask = sizeof(*Rec::pixels) == 4 ? 0x00FFFFFFu : 0xFFu;
  FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) abort();
  if (std::fwrite(data, 1, size, file) != size || std::fclose(file) != 0) abort();
  Rec* result = read(path.c_str());
  if (result) {
    if (result->width <= 0 || result->height <= 0 || !result->pixels) abort();
    if (uint64_t(result->width) * uint64_t(result->height) > 8 * uint64_t(size)) abort();
    if (write(result, written.c_str()) != 1) abort();
    Rec* again = read(written.c_str());
    if (!Same(result, again, kMask)) abort();
    if (again) release(&again);
  }

  bool skipped = false;
  Rec* piped = ReadPipe(data, size, read, skipped);
  if (!skipped && !Same(result, piped, ~0u)) abort();
  if (piped) release(&piped);

  failAt = size ? (size_t(data[size - 1]) * size) >> 8 : 0;
  handedOut = 0;
  failed = false;
  armed = true;
  Rec* cut = read(path.c_str());
  armed = false;
  if (failed ? cut != nullptr : !Same(result, cut, ~0u)) abort();
  if (cut) release(&cut);

  if (result) release(&result);
  return 0;
}

}  // namespace readpnm

// Defined here, not inline: only the linker refers to them. Included by one file per fuzzer.
extern "C" {

int __wrap_getc(FILE* stream) {
  if (!readpnm::armed) return __real_getc(stream);
  if (readpnm::failed || readpnm::handedOut == readpnm::failAt) {
    readpnm::failed = true;
    return EOF;
  }
  const int c = __real_getc(stream);
  readpnm::handedOut += c != EOF;
  return c;
}

size_t __wrap_fread(void* out, size_t size, size_t count, FILE* stream) {
  if (!readpnm::armed || size == 0) return __real_fread(out, size, count, stream);
  if (readpnm::failed) return 0;
  const size_t allowed = (readpnm::failAt - readpnm::handedOut) / size;
  const size_t got = __real_fread(out, size, count < allowed ? count : allowed, stream);
  readpnm::handedOut += got * size;
  if (got < count && got == allowed) readpnm::failed = true;
  return got;
}

int __wrap_ferror(FILE* stream) {
  return (readpnm::armed && readpnm::failed) || __real_ferror(stream);
}

}  // extern "C"
