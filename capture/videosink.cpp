// videosink.cpp - the video outputs: raw frames and samples piped into ffmpeg.
//
// ffmpeg reads the frames (0x00RRGGBB words, which are bytes B, G, R, 0 in a little-endian
// machine's memory, its "bgr0", and 0, R, G, B in a big-endian one's) on descriptor 3 and the
// samples, in the machine's byte order, on descriptor 4, so neither needs converting here.
// It runs in a process group of its own, so that a Ctrl-C at the terminal reaches the capture
// alone, which then stops it and removes the unfinished file itself.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <bit>
#include <cerrno>
#include <cstring>
#include <vector>

#include "capture/sink.h"

extern char** environ;

namespace {

constexpr int kVideoFd = 3;
constexpr int kAudioFd = 4;
constexpr int kPipeBytes = 1 << 20;  // a few frames in flight smooth out ffmpeg's pace
constexpr bool kLittle = std::endian::native == std::endian::little;
constexpr const char* kWordPixels = kLittle ? "bgr0" : "0rgb";  // ffmpeg's names for the words
constexpr const char* kSamples = kLittle ? "s16le" : "s16be";

// Moves a descriptor above the ones the child's are mapped to, so that mapping one does not
// overwrite the other.
int Above(int fd) {
  const int moved = fcntl(fd, F_DUPFD_CLOEXEC, 10);
  close(fd);
  return moved;
}

std::string TemporaryBeside(const std::string& path) {
  const size_t slash = path.rfind('/');
  const std::string dir = slash == std::string::npos ? "" : path.substr(0, slash + 1);
  const std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
  return dir + "." + base + "." + std::to_string(getpid()) + ".part";
}

std::string Describe(int status) {
  if (WIFEXITED(status)) return "ffmpeg failed (exit status " + std::to_string(WEXITSTATUS(status)) + ")";
  if (WIFSIGNALED(status)) return "ffmpeg was killed (signal " + std::to_string(WTERMSIG(status)) + ")";
  return "ffmpeg failed";
}

class VideoSink : public CAPTURESINK {
 public:
  VideoSink(std::string ffmpeg, std::string path, VideoKind kind, int scale)
      : ffmpeg_(std::move(ffmpeg)), path_(std::move(path)), kind_(kind), scale_(scale),
        temporary_(TemporaryBeside(path_)) {}
  ~VideoSink() override { Abandon(); }

  bool Open(int32_t width, int32_t height) override {
    width_ = width;
    height_ = height;
    int video[2], audio[2];
    if (pipe2(video, O_CLOEXEC) != 0) return Failed(std::string("pipe: ") + std::strerror(errno));
    if (pipe2(audio, O_CLOEXEC) != 0) {
      close(video[0]);
      close(video[1]);
      return Failed(std::string("pipe: ") + std::strerror(errno));
    }
    const int videoRead = Above(video[0]), audioRead = Above(audio[0]);
    videoFd_ = video[1];
    audioFd_ = audio[1];
    fcntl(videoFd_, F_SETPIPE_SZ, kPipeBytes);  // a smaller pipe only costs speed
    fcntl(audioFd_, F_SETPIPE_SZ, kPipeBytes);
    fcntl(videoFd_, F_SETFL, O_NONBLOCK);
    fcntl(audioFd_, F_SETFL, O_NONBLOCK);
    const bool started = videoRead >= 0 && audioRead >= 0 && Spawn(videoRead, audioRead);
    if (videoRead >= 0) close(videoRead);
    if (audioRead >= 0) close(audioRead);
    return started;
  }

  bool Frame(const IMG& image) override {
    if (image.width != width_ || image.height != height_)
      return Failed("the frame size changed during the show");
    return Pump(reinterpret_cast<const char*>(image.pixels),
                static_cast<size_t>(width_) * height_ * 4, false);
  }

  bool Sound(const int16_t* samples, size_t count) override {
    const auto* bytes = reinterpret_cast<const char*>(samples);
    audio_.insert(audio_.end(), bytes, bytes + count * sizeof(int16_t));
    return SendSound() || Stopped();
  }

  bool Finish() override {
    if (!Pump(nullptr, 0, true)) return false;
    CloseInputs();
    const int status = Wait();
    if (status != 0) return Failed(Describe(status));
    if (std::rename(temporary_.c_str(), path_.c_str()) != 0)
      return Failed("cannot name the output " + path_ + ": " + std::strerror(errno));
    done_ = true;
    return true;
  }

  void Abandon() override {
    CloseInputs();
    if (pid_ > 0) kill(pid_, SIGKILL);
    Wait();
    if (!done_) unlink(temporary_.c_str());
  }

  std::string Error() const override { return error_; }

 private:
  bool Failed(const std::string& why) {
    error_ = why;
    return false;
  }

  std::vector<std::string> Arguments() const {
    const std::string size = std::to_string(width_) + "x" + std::to_string(height_);
    std::vector<std::string> a = {
        ffmpeg_, "-hide_banner", "-nostdin", "-loglevel", "error", "-y",
        // Both inputs are described in full, so ffmpeg need not read ahead to learn them: it
        // opens them one after the other, and seconds of one read ahead would wait for frames
        // queued behind the other.
        "-probesize", "32", "-analyzeduration", "0",
        "-f", "rawvideo", "-pixel_format", kWordPixels, "-video_size", size, "-framerate", "50",
        "-i", "pipe:" + std::to_string(kVideoFd),
        "-probesize", "32", "-analyzeduration", "0",
        "-f", kSamples, "-ar", "44100", "-ac", "1", "-i", "pipe:" + std::to_string(kAudioFd),
        "-map", "0:v", "-map", "1:a",
        // No encoder version, date or random identifier in the file: equal shows, equal files.
        "-fflags", "+bitexact", "-flags:v", "+bitexact", "-flags:a", "+bitexact"};
    if (kind_ == VideoKind::kMaster) {
      // H.264 in RGB at quantizer 0 is lossless and, at its fastest preset, encodes about three
      // times as fast as FFV1 here for a file of the same size.
      a.insert(a.end(), {"-c:v", "libx264rgb", "-preset", "ultrafast", "-qp", "0",
                         "-c:a", "flac", "-f", "matroska", temporary_});
    } else {
      // Whole, even factors with nearest-neighbour sampling keep every pixel a sharp square and
      // every 2 x 2 block of the 4:2:0 colour inside one source pixel.
      const std::string scale = "scale=iw*" + std::to_string(scale_) + ":ih*" +
                                std::to_string(scale_) + ":flags=neighbor";
      // x264's fastest preset: scene 2's texture moves everywhere at every frame, and at
      // 1024 x 1024 the slower presets fall behind real time on two processors.
      a.insert(a.end(), {"-vf", scale, "-pix_fmt", "yuv420p", "-c:v", "libx264", "-preset",
                         "ultrafast", "-crf", "18", "-colorspace", "smpte170m", "-color_primaries",
                         "smpte170m", "-color_trc", "smpte170m", "-c:a", "aac", "-b:a", "192k",
                         "-ar", "48000", "-movflags", "+faststart", "-f", "mp4", temporary_});
    }
    return a;
  }

  bool Spawn(int videoRead, int audioRead) {
    const std::vector<std::string> arguments = Arguments();
    std::vector<char*> argv;
    for (const std::string& s : arguments) argv.push_back(const_cast<char*>(s.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawnattr_t attributes;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, videoRead, kVideoFd);
    posix_spawn_file_actions_adddup2(&actions, audioRead, kAudioFd);
    posix_spawnattr_init(&attributes);
    sigset_t defaults;
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGPIPE);  // ignored here so that a write reports; ffmpeg's own
    sigaddset(&defaults, SIGINT);
    sigaddset(&defaults, SIGTERM);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setpgroup(&attributes, 0);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGDEF);
    const int error = posix_spawn(&pid_, ffmpeg_.c_str(), &actions, &attributes, argv.data(),
                                  environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    if (error != 0) {
      pid_ = -1;
      return Failed("cannot run " + ffmpeg_ + ": " + std::strerror(error));
    }
    return true;
  }

  // Writes `size` bytes of video and, whenever the audio pipe has room, the sound waiting to
  // go. ffmpeg opens and reads its two inputs at its own pace (the sound alone, for seconds,
  // while it looks at that input), so a blocking write to either pipe could wait for ever on
  // ffmpeg waiting for the other: both are written as each has room, and the sound, which is
  // small, waits in memory. With `drain`, waits until all of the sound has gone too.
  bool Pump(const char* video, size_t size, bool drain) {
    for (;;) {
      const bool sound = audioSent_ < audio_.size();
      if (size == 0 && !(drain && sound)) return true;
      pollfd fds[2];
      nfds_t count = 0;
      if (size > 0) fds[count++] = {videoFd_, POLLOUT, 0};
      if (sound) fds[count++] = {audioFd_, POLLOUT, 0};
      if (poll(fds, count, -1) < 0) {
        if (errno != EINTR) return Failed(std::string("poll: ") + std::strerror(errno));
        if (CAPTUREInterrupted()) return Failed("interrupted");
        continue;
      }
      for (nfds_t i = 0; i < count; ++i) {
        if (!fds[i].revents) continue;
        if (fds[i].fd == videoFd_) {
          const ssize_t n = write(videoFd_, video, size);
          if (n < 0 && (errno == EAGAIN || errno == EINTR)) continue;
          if (n <= 0) return Stopped();
          video += n;
          size -= static_cast<size_t>(n);
        } else if (!SendSound()) {
          return Stopped();
        }
      }
    }
  }

  // Writes what the audio pipe takes now of the waiting sound; false when ffmpeg is gone.
  bool SendSound() {
    while (audioSent_ < audio_.size()) {
      const ssize_t n = write(audioFd_, audio_.data() + audioSent_, audio_.size() - audioSent_);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0 && errno == EAGAIN) break;
      if (n <= 0) return false;
      audioSent_ += static_cast<size_t>(n);
    }
    if (audioSent_ == audio_.size()) {
      audio_.clear();
      audioSent_ = 0;
    }
    return true;
  }

  // ffmpeg has stopped reading: it failed, and its own message is above.
  bool Stopped() {
    CloseInputs();
    const int status = Wait();
    return Failed(status == 0 ? std::string("ffmpeg stopped reading early") : Describe(status));
  }

  void CloseInputs() {
    if (videoFd_ >= 0) close(videoFd_);
    if (audioFd_ >= 0) close(audioFd_);
    videoFd_ = audioFd_ = -1;
  }

  // ffmpeg's wait status (0 when it succeeded or was already waited for).
  int Wait() {
    if (pid_ <= 0) return waited_;
    int status = 0;
    while (waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
    }
    pid_ = -1;
    waited_ = status;
    return status;
  }

  std::string ffmpeg_, path_;
  VideoKind kind_;
  int scale_;
  std::string temporary_;
  int32_t width_ = 0, height_ = 0;
  int videoFd_ = -1, audioFd_ = -1;
  std::vector<char> audio_;  // sound not yet taken by ffmpeg
  size_t audioSent_ = 0;
  pid_t pid_ = -1;
  int waited_ = 0;
  bool done_ = false;
  std::string error_;
};

}  // namespace

std::unique_ptr<CAPTURESINK> NewVideoSink(const std::string& ffmpeg, const std::string& path,
                                          VideoKind kind, int scale) {
  return std::make_unique<VideoSink>(ffmpeg, path, kind, scale);
}
