#pragma once

// Everything the core asks of the user goes through this interface: the shell
// answers with real dialogs, the tests with scripted answers.

#include <string_view>

namespace verdask {

class Prompts {
public:
    Prompts() = default;
    Prompts(const Prompts&) = delete;
    Prompts& operator=(const Prompts&) = delete;
    virtual ~Prompts() = default;

    // A warning message box with a single OK button; returns when it is closed.
    virtual void ShowWarning(std::string_view caption, std::string_view text) = 0;
};

} // namespace verdask
