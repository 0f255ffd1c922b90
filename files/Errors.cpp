// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/Errors.h"

#include <cerrno>
#include <system_error>

namespace verdask {

std::string FormatMessage(std::string_view pattern, std::string_view argument)
{
    std::string message(pattern);
    if (const auto at = message.find("%s"); at != std::string::npos)
        message.replace(at, 2, argument);
    return message;
}

EConvertError::EConvertError(std::string_view text)
    : EVerdaskError(FormatMessage("'%s' is not a valid integer value", text))
{
}

EFileError::EFileError(const std::string& message, std::string path, int code)
    : EVerdaskError(message), path_(std::move(path)), code_(code)
{
}

namespace {

std::string InOutMessage(const std::string& path, int code)
{
    return FormatMessage("I/O error on file %s: ", path) + std::generic_category().message(code);
}

} // namespace

EInOutError::EInOutError(std::string path, int code)
    : EFileError(InOutMessage(path, code), path, code)
{
}

EInOutError::EInOutError(std::string path, int code, std::string_view reason)
    : EFileError(FormatMessage("I/O error on file %s: ", path) + std::string(reason), path, code)
{
}

EInOutError::EInOutError(WholeMessage, const std::string& message, std::string path, int code)
    : EFileError(message, std::move(path), code)
{
}

ELinkRefused::ELinkRefused(std::string path, std::string_view leadsTo)
    : EInOutError(WholeMessage{}, path + " is a link to " + std::string(leadsTo) + "; not replaced", path, EPERM)
{
}

EFOpenError::EFOpenError(std::string path, int code)
    : EFileError(FormatMessage("Cannot open file %s", path), path, code)
{
}

EFCreateError::EFCreateError(std::string path, int code)
    : EFileError(FormatMessage("Cannot create file %s", path), path, code)
{
}

} // namespace verdask
