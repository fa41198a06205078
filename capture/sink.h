// sink.h - the capture program's outputs: a video through Debian's ffmpeg over two pipes, or a
// folder of frames and a WAV file written by the program's own modules. Each writes under a
// temporary name beside the output and renames it into place only when complete.
#pragma once
#include <memory>
#include <string>

#include "capture/backend.h"

/// The two kinds of video file.
enum class VideoKind {
  kMaster,  ///< .mkv: the frames exactly (H.264 RGB at quantizer 0), the sound exactly (FLAC)
  kShare,   ///< .mp4: nearest-neighbour scaled, H.264 yuv420p, AAC 48 kHz, index in front
};

/// A video written by the ffmpeg at `ffmpeg` (a path) to `path`; `scale` (even, >= 2) is used
/// for kShare only.
std::unique_ptr<CAPTURESINK> NewVideoSink(const std::string& ffmpeg, const std::string& path,
                                          VideoKind kind, int scale);
/// A folder `path` holding frame000000.ppm, frame000001.ppm, ... and sound.wav. The folder
/// must not exist, or be empty (it is replaced).
std::unique_ptr<CAPTURESINK> NewFolderSink(const std::string& path);
