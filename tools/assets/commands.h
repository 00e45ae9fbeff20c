// quillon-assets' subcommands. Each lives in its own file and is listed
// once in the table in main.cpp:
//
//   int runCheck(int argc, char** argv);   // here, and in check.cpp
//   {"check", "[DIR]", "checks ...", runCheck},   // a row of kCommands
//
// argv[0] is the subcommand's name; the result is the exit status.
#pragma once
#include <cstdint>
#include <string>

struct Command {
    const char* name;
    const char* arguments;  // as shown in the usage line
    const char* summary;    // one line for --help
    int (*run)(int argc, char** argv);
};

int runInfo(int argc, char** argv);
int runCheck(int argc, char** argv);  // check.cpp

// One JSON object per line, for the subcommands' reports.
class JsonLine {
public:
    JsonLine& field(const char* key, const std::string& text);
    JsonLine& field(const char* key, int64_t number);
    JsonLine& field(const char* key, double number);  // null when not finite
    JsonLine& raw(const char* key, const std::string& json);
    std::string text() const { return "{" + body_ + "}"; }

    static std::string quote(const std::string& text);
    static std::string number(double value);

private:
    void key(const char* key);
    std::string body_;
};
