// SPDX-License-Identifier: GPL-3.0-or-later
#include "export/ZipArchive.h"

#include "files/Errors.h"

#include <cerrno>
#include <algorithm>
#include <ctime>
#include <utility>
#include <zip.h>

namespace verdask {
namespace {

using TSink = TZipArchive::TSink;

TSink& SinkOf(voidpf opaque)
{
    return *static_cast<TSink*>(opaque);
}

// The library opens "the file" once: it is the caller's, already open.
voidpf ZCALLBACK OpenSink(voidpf opaque, const void*, int)
{
    return opaque;
}

uLong ZCALLBACK ReadNothing(voidpf, voidpf, void*, uLong)
{
    return 0;
}

uLong ZCALLBACK WriteToSink(voidpf opaque, voidpf, const void* data, uLong size)
{
    TSink& sink = SinkOf(opaque);
    try {
        sink.Buffer.append(static_cast<const char*>(data), size);
        if (sink.Buffer.size() >= FileBlockSize)
            sink.Flush();
        sink.Position += size;
        sink.End = std::max(sink.End, sink.Position);
        return size;
    } catch (...) {
        sink.Failure = std::current_exception();
        return 0;
    }
}

ZPOS64_T ZCALLBACK TellSink(voidpf opaque, voidpf)
{
    return SinkOf(opaque).Position;
}

// The library goes back only to fill in an entry's sizes and checksum.
long ZCALLBACK SeekSink(voidpf opaque, voidpf, ZPOS64_T offset, int origin)
{
    TSink& sink = SinkOf(opaque);
    std::uint64_t to = offset;
    if (origin == ZLIB_FILEFUNC_SEEK_CUR)
        to += sink.Position;
    else if (origin == ZLIB_FILEFUNC_SEEK_END)
        to += sink.End;
    try {
        sink.Flush();
        sink.File.Seek(to);
        sink.Position = to;
        return 0;
    } catch (...) {
        sink.Failure = std::current_exception();
        return -1;
    }
}

int ZCALLBACK CloseNothing(voidpf, voidpf)
{
    return 0;
}

int ZCALLBACK SinkError(voidpf opaque, voidpf)
{
    return SinkOf(opaque).Failure ? 1 : 0;
}

zip_fileinfo EntryInfoNow()
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    zip_fileinfo info{};
    info.tmz_date.tm_sec = static_cast<uInt>(local.tm_sec);
    info.tmz_date.tm_min = static_cast<uInt>(local.tm_min);
    info.tmz_date.tm_hour = static_cast<uInt>(local.tm_hour);
    info.tmz_date.tm_mday = static_cast<uInt>(local.tm_mday);
    info.tmz_date.tm_mon = static_cast<uInt>(local.tm_mon);
    info.tmz_date.tm_year = static_cast<uInt>(local.tm_year + 1900);
    return info;
}

} // namespace

void TZipArchive::TSink::Flush()
{
    File.Write(Buffer);
    Buffer.clear();
}

TZipArchive::TZipArchive(TFile& file, std::string reportedName)
    : sink_{file, 0, 0, {}, nullptr}, reportedName_(std::move(reportedName))
{
    zlib_filefunc64_def functions{};
    functions.zopen64_file = OpenSink;
    functions.zread_file = ReadNothing;
    functions.zwrite_file = WriteToSink;
    functions.ztell64_file = TellSink;
    functions.zseek64_file = SeekSink;
    functions.zclose_file = CloseNothing;
    functions.zerror_file = SinkError;
    functions.opaque = &sink_;
    zip_ = zipOpen2_64(reportedName_.c_str(), APPEND_STATUS_CREATE, nullptr, &functions);
    if (!zip_)
        throw EInOutError(reportedName_, ENOMEM, "cannot start the archive");
}

TZipArchive::~TZipArchive()
{
    // Frees the library's state; what it writes now goes to a file that is thrown away.
    if (zip_)
        zipClose(static_cast<zipFile>(zip_), nullptr);
}

void TZipArchive::Check(int result, std::string_view what)
{
    if (sink_.Failure)
        std::rethrow_exception(std::exchange(sink_.Failure, nullptr));
    if (result != ZIP_OK)
        throw EInOutError(reportedName_, EIO, "cannot " + std::string(what) + " (zip error " + std::to_string(result) + ")");
}

void TZipArchive::BeginEntry(std::string_view name, bool stored)
{
    const zip_fileinfo info = EntryInfoNow();
    // The fastest deflate: a book a fifth larger than at the default level, written
    // in two thirds of the time. No zip64 fields: an EPUB's first entry must have no extra field at all.
    Check(zipOpenNewFileInZip3_64(static_cast<zipFile>(zip_), std::string(name).c_str(), &info, nullptr, 0, nullptr, 0,
                                  nullptr, stored ? 0 : Z_DEFLATED, stored ? 0 : Z_BEST_SPEED, 0, -MAX_WBITS,
                                  8, Z_DEFAULT_STRATEGY, nullptr, 0, 0),
          "add " + std::string(name));
}

void TZipArchive::Write(std::string_view data)
{
    while (!data.empty()) {
        const auto part = std::min<std::size_t>(data.size(), 1u << 30);
        Check(zipWriteInFileInZip(static_cast<zipFile>(zip_), data.data(), static_cast<unsigned>(part)), "write");
        data.remove_prefix(part);
    }
}

void TZipArchive::EndEntry()
{
    Check(zipCloseFileInZip(static_cast<zipFile>(zip_)), "finish an entry");
}

void TZipArchive::Close()
{
    void* zip = std::exchange(zip_, nullptr);
    Check(zipClose(static_cast<zipFile>(zip), nullptr), "finish the archive");
    sink_.Flush();
}

} // namespace verdask
