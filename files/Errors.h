// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The program's errors. Each one's what() is the text the user sees in the
// general error report, so the shell shows it without adding anything.

#include <stdexcept>
#include <string>
#include <string_view>

namespace verdask {

// Puts argument in place of the first "%s" of pattern.
std::string FormatMessage(std::string_view pattern, std::string_view argument);

class EVerdaskError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A text that should have been a whole decimal number.
class EConvertError : public EVerdaskError {
public:
    explicit EConvertError(std::string_view text);
};

// A failed operation on a named file; Code() is the platform's error number.
class EFileError : public EVerdaskError {
public:
    EFileError(const std::string& message, std::string path, int code);
    const std::string& Path() const noexcept { return path_; }
    int Code() const noexcept { return code_; }

private:
    std::string path_;
    int code_;
};

// The file layer's own input/output error, raised by every text-file read and write.
class EInOutError : public EFileError {
public:
    EInOutError(std::string path, int code);
    // With the program's own words for what went wrong instead of the platform's.
    EInOutError(std::string path, int code, std::string_view reason);

protected:
    struct WholeMessage {};
    EInOutError(WholeMessage, const std::string& message, std::string path, int code);
};

// A write refused at a symbolic link that leads to no file the write may replace:
// "PATH is a link to TARGET; not replaced".
class ELinkRefused : public EInOutError {
public:
    ELinkRefused(std::string path, std::string_view leadsTo);
};

// "Cannot open file %s": a configuration or style file that exists but cannot be read.
class EFOpenError : public EFileError {
public:
    EFOpenError(std::string path, int code);
};

// "Cannot create file %s": a configuration or style file that cannot be written.
class EFCreateError : public EFileError {
public:
    EFCreateError(std::string path, int code);
};

} // namespace verdask
