// foldersink.cpp - the output for a machine without ffmpeg: numbered PPM frames (the image
// module's writer) and one WAV file of the sound (the audio module's raw writer under a
// RIFF header written here), in a folder that gets its final name only when complete.
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "audio/sample.h"
#include "capture/sink.h"

namespace {

constexpr uint32_t kRate = 44100;
constexpr uint32_t kHeaderBytes = 44;
constexpr uint64_t kMaxDataBytes = 0xFFFFFFFFull - kHeaderBytes;  // RIFF sizes are 32-bit

std::string StripSlashes(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

void Put32(unsigned char* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<unsigned char>(v >> (8 * i));
}

// The RIFF header of 16-bit mono PCM at 44100 Hz holding `dataBytes` bytes of samples.
void WaveHeader(unsigned char* h, uint32_t dataBytes) {
  std::memcpy(h, "RIFF", 4);
  Put32(h + 4, 36 + dataBytes);
  std::memcpy(h + 8, "WAVEfmt ", 8);
  Put32(h + 16, 16);               // format chunk size
  Put32(h + 20, 1 | (1u << 16));   // PCM, one channel
  Put32(h + 24, kRate);
  Put32(h + 28, kRate * 2);        // bytes per second
  Put32(h + 32, 2 | (16u << 16));  // bytes per frame, bits per sample
  std::memcpy(h + 36, "data", 4);
  Put32(h + 40, dataBytes);
}

class FolderSink : public CAPTURESINK {
 public:
  explicit FolderSink(const std::string& path)
      : path_(StripSlashes(path)), temporary_(Temporary(path_)) {}
  ~FolderSink() override { Abandon(); }

  bool Open(int32_t, int32_t) override {
    if (mkdir(temporary_.c_str(), 0777) != 0)
      return Failed("cannot make " + temporary_ + ": " + std::strerror(errno));
    made_ = true;
    wave_ = std::fopen(WavePath().c_str(), "wb");
    if (!wave_) return Failed("cannot write " + WavePath() + ": " + std::strerror(errno));
    unsigned char header[kHeaderBytes];
    WaveHeader(header, 0);
    if (std::fwrite(header, 1, sizeof header, wave_) != sizeof header)
      return Failed("cannot write " + WavePath() + ": " + std::strerror(errno));
    sample_ = SAMPLENew();
    if (!sample_) return Failed("out of memory");
    return true;
  }

  bool Frame(const IMG& image) override {
    const std::string name = FramePath(frames_);
    errno = 0;
    if (!IMGWritePPM(&image, name.c_str()))
      return Failed("cannot write " + name + (errno ? std::string(": ") + std::strerror(errno) : ""));
    ++frames_;
    return true;
  }

  bool Sound(const int16_t* samples, size_t count) override {
    if (dataBytes_ + count * 2 > kMaxDataBytes) return Failed("the sound is too long for a WAV file");
    SAMPLEResize(sample_, static_cast<int32_t>(count));
    if (sample_->length != static_cast<int32_t>(count)) return Failed("out of memory");
    for (size_t i = 0; i < count; ++i) sample_->items[i] = samples[i];
    SAMPLEWriteRaw(sample_, wave_, 16, 'l');
    if (std::ferror(wave_)) return Failed("cannot write " + WavePath() + ": " + std::strerror(errno));
    dataBytes_ += count * 2;
    return true;
  }

  bool Finish() override {
    unsigned char header[kHeaderBytes];
    WaveHeader(header, static_cast<uint32_t>(dataBytes_));
    const bool wrote = std::fseek(wave_, 0, SEEK_SET) == 0 &&
                       std::fwrite(header, 1, sizeof header, wave_) == sizeof header;
    const bool closed = std::fclose(wave_) == 0;
    wave_ = nullptr;
    if (!wrote || !closed) return Failed("cannot write " + WavePath() + ": " + std::strerror(errno));
    // An empty folder of that name gives way; anything else stays and is reported.
    if (std::rename(temporary_.c_str(), path_.c_str()) != 0)
      return Failed("cannot name the output " + path_ + ": " + std::strerror(errno));
    done_ = true;
    return true;
  }

  void Abandon() override {
    if (wave_) std::fclose(wave_);
    wave_ = nullptr;
    if (sample_) SAMPLEFree(&sample_);
    if (done_ || !made_) return;
    for (long i = 0; i <= frames_; ++i) unlink(FramePath(i).c_str());
    unlink(WavePath().c_str());
    rmdir(temporary_.c_str());
    made_ = false;
  }

  std::string Error() const override { return error_; }

 private:
  static std::string Temporary(const std::string& path) {
    const size_t slash = path.rfind('/');
    const std::string dir = slash == std::string::npos ? "" : path.substr(0, slash + 1);
    const std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
    return dir + "." + base + "." + std::to_string(getpid()) + ".part";
  }
  std::string FramePath(long n) const {
    char name[32];
    std::snprintf(name, sizeof name, "/frame%06ld.ppm", n);
    return temporary_ + name;
  }
  std::string WavePath() const { return temporary_ + "/sound.wav"; }
  bool Failed(const std::string& why) {
    error_ = why;
    return false;
  }

  std::string path_, temporary_;
  FILE* wave_ = nullptr;
  SAMPLE* sample_ = nullptr;
  long frames_ = 0;
  uint64_t dataBytes_ = 0;
  bool made_ = false;
  bool done_ = false;
  std::string error_;
};

}  // namespace

std::unique_ptr<CAPTURESINK> NewFolderSink(const std::string& path) {
  return std::make_unique<FolderSink>(path);
}
