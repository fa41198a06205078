// Small helpers shared by the test programs.
#pragma once
#include <SDL.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <memory>
#include <string>
#include <type_traits>
#include <vector>

#include "audio/sample.h"

namespace k8test {

// Runs f and returns what it printed on standard output (the modules' reporters print there).
template <class F>
std::string Printed(F f) {
  testing::internal::CaptureStdout();
  f();
  return testing::internal::GetCapturedStdout();
}

// Calls f, expecting it to print exactly `printed`; returns f's result.
template <class F>
auto Printing(const std::string& printed, F f) {
  testing::internal::CaptureStdout();
  auto result = f();
  EXPECT_EQ(testing::internal::GetCapturedStdout(), printed);
  return result;
}

// True when the SDL 1.2 loaded is sdl12-compat (SDL 1.2's interface over SDL2), which numbers
// its releases from 1.2.50 on; the classic library ended at 1.2.15. Its dummy drivers are
// SDL2's, which differ from the classic ones in a few ways the tests must allow for.
inline bool OnSDL12Compat() {
  const SDL_version* v = SDL_Linked_Version();
  return v->major == 1 && v->minor == 2 && v->patch >= 50;
}

// Takes a malloc'ed text (or null) and returns it as a string, releasing it.
inline std::string Text(char* text) {
  std::string s = text ? text : "(null)";
  std::free(text);
  return s;
}

// A new SAMPLE holding the values; the caller frees it.
inline SAMPLE* MakeSample(std::initializer_list<int32_t> values) {
  SAMPLE* sample = SAMPLENew();
  SAMPLEResize(sample, static_cast<int32_t>(values.size()));
  int32_t i = 0;
  for (int32_t v : values) sample->items[i++] = v;
  return sample;
}

// The bytes of tests/data/<name>, or "" when it cannot be read. The files there were written by
// the modules on an x86-64 machine; every machine must write the same bytes for the same calls
// and read them back alike, whatever its byte order, word size or signedness of char.
inline std::string DataFile(const std::string& name) {
  std::ifstream in(std::string(K8_TEST_DATA) + "/" + name, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

// Whether `made` is exactly tests/data/<name>, naming the first byte that differs. With
// K8_WRITE_TEST_DATA=1 in the environment the file is written from `made` instead, which is
// how the files were made.
inline testing::AssertionResult SameAsDataFile(const std::string& name, const std::string& made) {
  if (const char* write = std::getenv("K8_WRITE_TEST_DATA"); write && std::string(write) == "1") {
    std::ofstream(std::string(K8_TEST_DATA) + "/" + name, std::ios::binary) << made;
    return testing::AssertionSuccess();
  }
  const std::string kept = DataFile(name);
  if (kept == made) return testing::AssertionSuccess();
  size_t at = 0;
  while (at < kept.size() && at < made.size() && kept[at] == made[at]) ++at;
  return testing::AssertionFailure() << name << ": " << made.size() << " bytes made, "
                                     << kept.size() << " kept, first difference at byte " << at;
}

// The pixels of an IMG or a BYTEMAP, row by row. A byte map's come as ints, which gtest
// prints as numbers rather than as characters.
template <class Record>
auto Pixels(const Record* record) {
  using Item = std::remove_cvref_t<decltype(*record->pixels)>;
  using Value = std::conditional_t<sizeof(Item) == 1, int, Item>;
  return std::vector<Value>(record->pixels,
                            record->pixels + size_t(record->width) * size_t(record->height));
}

// The bytes listed, as a string (binary input: NULs and bytes above 127 included).
inline std::string Bytes(std::initializer_list<int> list) {
  std::string s;
  for (int b : list) s += static_cast<char>(b);
  return s;
}

// Returns parse(data, size) on exactly `bytes`, copied into a heap block of that size, so a
// read past them trips ASan.
template <class Parse>
auto ParseExactly(const std::string& bytes, Parse parse) {
  std::unique_ptr<uint8_t[]> block(new uint8_t[bytes.size()]);
  std::memcpy(block.get(), bytes.data(), bytes.size());
  return parse(block.get(), bytes.size());
}

// A path in the temporary directory, unique to this process and object; the file there, if
// any, is removed with the object.
class TempFile {
 public:
  TempFile() {
    static int serial = 0;
    path_ = (std::filesystem::temp_directory_path() /
             ("k8test_" + std::to_string(getpid()) + "_" + std::to_string(serial++)))
                .string();
  }
  TempFile(const TempFile&) = delete;
  TempFile& operator=(const TempFile&) = delete;
  ~TempFile() { std::remove(path_.c_str()); }
  const char* path() const { return path_.c_str(); }
  void Write(const std::string& bytes) const { std::ofstream(path_, std::ios::binary) << bytes; }
  std::string Read() const {
    std::ifstream in(path_, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
  }

 private:
  std::string path_;
};

// Writes `bytes` to a temporary file and returns read(path) on it; the file is removed after.
template <class Read>
auto ReadAsFile(const std::string& bytes, Read read) {
  TempFile file;
  file.Write(bytes);
  return read(file.path());
}

// Every PNM file in `files` is read whole by `parse` (bytes) and `read` (a file), and refused by
// both, with one `error` report on standard output each, when cut at any byte before its end.
// A plain file's last sample is one digit and a line feed: cutting the line feed is fine.
template <class Parse, class Read>
void ExpectTruncatedPnmRefused(const std::vector<std::string>& files, Parse parse, Read read,
                               const std::string& error) {
  for (const std::string& full : files) {
    ASSERT_TRUE(parse(full)) << full;
    ASSERT_TRUE(read(full)) << full;
    const size_t complete = full[1] <= '3' ? full.size() - 1 : full.size();
    for (size_t n = 0; n < complete; ++n) {
      const std::string cut = full.substr(0, n);
      testing::internal::CaptureStdout();
      EXPECT_EQ(parse(cut), nullptr) << n << ": " << full;
      EXPECT_EQ(read(cut), nullptr) << n << ": " << full;
      EXPECT_EQ(testing::internal::GetCapturedStdout(), error + error) << n;
    }
  }
}

}  // namespace k8test
