// Where captured frames and their sound go.
//
//   PictureSink   one PNG file (--at) or a numbered PNG sequence in a folder;
//                 the sound goes nowhere
//   VideoSink     a video file with its sound, encoded by the ffmpeg program:
//                 raw RGB frames on its standard input, raw signed 16-bit
//                 samples on its descriptor 3, each fed by a writer thread of
//                 its own so that neither pipe can hold the other up
//
// A sink is complete after every frame as far as it can be: pictures are
// written whole, and ffmpeg closes its file properly when its inputs end,
// whether finish() closes them or the process ends some other way (ffmpeg
// runs in a process group of its own, so a Ctrl-C at the terminal reaches
// only the capture, which then finishes the file).
//
// Main thread only, apart from the writer threads inside VideoSink.
#pragma once
#include <sys/types.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class FrameSink {
public:
    virtual ~FrameSink() = default;
    // Opens the output. False with the reason in error.
    virtual bool begin(std::string& error) = 0;
    // One frame: width*height RGB pixels, rows from the top.
    virtual bool addFrame(const std::vector<uint8_t>& rgb, std::string& error) = 0;
    // The interleaved samples heard while that frame was on screen.
    virtual bool addSound(const std::vector<int16_t>& samples, std::string& error) = 0;
    // Completes the output; later calls do nothing and repeat the result.
    virtual bool finish(std::string& error) = 0;
};

struct SinkFormat {
    int width = 0;
    int height = 0;
    double fps = 60.0;
    int sampleRate = 44100;
    int channels = 2;
    std::string audioCodec;  // empty: the container's usual one
};

// path names one PNG file when single, else a folder for NNNNNN.png files.
std::unique_ptr<FrameSink> makePictureSink(const std::string& path, bool single, const SinkFormat& format);
std::unique_ptr<FrameSink> makeVideoSink(const std::string& path, const SinkFormat& format);

// The audio codec a video file gets when none is asked for, by extension.
std::string defaultAudioCodec(const std::string& path);
