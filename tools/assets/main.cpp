// quillon-assets: a command-line tool for the people who make the
// production's data. The subcommands are the rows of kCommands; each one
// lives in its own file (info.cpp, ...) and is declared in commands.h.
#include <cstdio>
#include <cstring>

#include "tools/assets/commands.h"

namespace {

const Command kCommands[] = {
    {"info", "FILE...",
     "one JSON object per line per file: what the production's readers make of it (by extension: "
     ".jpg/.jpeg, .bmp, .tga, .3ds, .spl); exit status 1 when any file failed",
     runInfo},
    {"check", "[DIR]",
     "every file the production reads, looked for under DIR (default .) and read with the production's "
     "readers; exit status 1 when any is missing or broken",
     runCheck},
};

void usage(FILE* out) {
    std::fprintf(out, "usage: quillon-assets COMMAND [ARGUMENTS]\n\ncommands:\n");
    for (const Command& c : kCommands) std::fprintf(out, "  %s %s\n      %s\n", c.name, c.arguments, c.summary);
    std::fprintf(out, "\n  --help    this text\n");
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        usage(stderr);
        return 2;
    }
    if (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0 ||
        std::strcmp(argv[1], "help") == 0) {
        usage(stdout);
        return 0;
    }
    for (const Command& c : kCommands)
        if (std::strcmp(argv[1], c.name) == 0) return c.run(argc - 1, argv + 1);
    std::fprintf(stderr, "quillon-assets: unknown command \"%s\"\n\n", argv[1]);
    usage(stderr);
    return 2;
}
