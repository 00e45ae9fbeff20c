// quillon-capture's command line.
#pragma once
#include <cstdio>
#include <string>

struct CaptureOptions {
    bool help = false;
    bool single = false;   // --at: one frame to one picture
    double from = 0.0;     // seconds on the production's clock
    double to = -1.0;      // negative: to the end of the production
    double fps = 60.0;
    int width = 800;
    int height = 600;
    std::string output;
    bool folder = false;   // -o names a folder: a numbered PNG sequence
    bool picture = false;  // -o names one .png file
    std::string audioCodec;
    bool quiet = false;    // no progress line
};

// Reads argv into options. False with the reason in error (a usage error).
// The output's kind is told from its name: an existing folder or a name
// ending in '/' is a folder, a name ending in .png one picture, anything
// else a video file.
bool parseOptions(int argc, char** argv, CaptureOptions& options, std::string& error);

void printUsage(std::FILE* out);
