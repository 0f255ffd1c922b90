#pragma once

// The bookmark rewrite as it is worded: the page split by the text-file rule,
// every line that begins with the script prefix replaced, every line written with
// CR LF. Slow and plain, the measure of the program's rewrite (tests and fuzzing).

#include "conversion/PageFrame.h"

#include <string>

namespace verdask::test {

inline std::string ReferenceRewrite(const std::string& page, const std::string& script)
{
    const std::string input = page.substr(0, page.find('\x1A'));
    std::string out;
    std::string line;
    auto flush = [&] {
        out += (line.starts_with(ScriptLinePrefix) ? script : line) + "\r\n";
        line.clear();
    };
    for (std::size_t i = 0; i < input.size(); ++i) {
        if (input[i] != '\r') {
            line += input[i];
            continue;
        }
        if (i + 1 < input.size() && input[i + 1] == '\n')
            ++i;
        flush();
    }
    if (!line.empty())
        flush();
    return out;
}

} // namespace verdask::test
