// JsonLine: the small JSON writer of quillon-assets' reports.
#include <cmath>
#include <cstdio>

#include "tools/assets/commands.h"

std::string JsonLine::quote(const std::string& text) {
    std::string out = "\"";
    for (unsigned char c : text) {
        switch (c) {
            case '"': out += "\\\""; break;
            case '\\': out += "\\\\"; break;
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            case '\t': out += "\\t"; break;
            default:
                if (c < 0x20 || c == 0x7f) {
                    char escaped[8];
                    std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
                    out += escaped;
                } else {
                    out += char(c);
                }
        }
    }
    return out + "\"";
}

std::string JsonLine::number(double value) {
    if (!std::isfinite(value)) return "null";
    char text[32];
    std::snprintf(text, sizeof text, "%.9g", value);
    return text;
}

void JsonLine::key(const char* name) {
    if (!body_.empty()) body_ += ',';
    body_ += quote(name) + ':';
}

JsonLine& JsonLine::field(const char* name, const std::string& text) {
    key(name);
    body_ += quote(text);
    return *this;
}

JsonLine& JsonLine::field(const char* name, int64_t value) {
    key(name);
    body_ += std::to_string(value);
    return *this;
}

JsonLine& JsonLine::field(const char* name, double value) {
    key(name);
    body_ += number(value);
    return *this;
}

JsonLine& JsonLine::raw(const char* name, const std::string& json) {
    key(name);
    body_ += json;
    return *this;
}
