// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A zip archive written entry by entry into a file the caller holds open (the
// temporary file of a TFileReplacement), with Debian's minizip. An entry is
// compressed as it is written, so a book of any size streams through.

#include "files/TextFile.h"

#include <cstdint>
#include <exception>
#include <string>
#include <string_view>

namespace verdask {

class TZipArchive {
public:
    // Errors name reportedName, the file the user asked for. Throws EInOutError.
    TZipArchive(TFile& file, std::string reportedName);
    TZipArchive(const TZipArchive&) = delete;
    TZipArchive& operator=(const TZipArchive&) = delete;
    // Without Close, the archive is left unfinished: its file is thrown away by its owner.
    ~TZipArchive();

    // Starts the next entry; stored entries are not compressed (an EPUB's mimetype).
    void BeginEntry(std::string_view name, bool stored = false);
    void Write(std::string_view data);
    void EndEntry();
    // Writes the central directory. Throws EInOutError.
    void Close();

    // Kept for the file callbacks of the library, which cannot throw.
    struct TSink {
        TFile& File;
        std::uint64_t Position = 0; // where the library stands, with what is buffered
        std::uint64_t End = 0;
        std::string Buffer;         // the library writes its headers a few bytes at a time
        std::exception_ptr Failure;

        void Flush();
    };

private:
    void Check(int result, std::string_view what);

    TSink sink_;
    std::string reportedName_;
    void* zip_ = nullptr;
};

} // namespace verdask
