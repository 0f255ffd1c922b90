#pragma once

// What the fuzz targets share: one temporary folder for the process and files in it.

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

namespace verdask::fuzz {

inline const std::filesystem::path& Folder()
{
    static const std::filesystem::path folder = [] {
        std::string pattern = (std::filesystem::temp_directory_path() / "verdask-fuzz-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr)
            std::abort();
        return std::filesystem::path(pattern);
    }();
    return folder;
}

inline std::string File(std::string_view name)
{
    return (Folder() / name).string();
}

inline void Write(const std::string& path, std::string_view bytes)
{
    std::ofstream(path, std::ios::binary | std::ios::trunc).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline std::string Read(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

// A property that must hold; a failure is a finding.
inline void Require(bool holds)
{
    if (!holds)
        std::abort();
}

} // namespace verdask::fuzz
