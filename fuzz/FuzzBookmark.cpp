// SPDX-License-Identifier: GPL-3.0-or-later
// The bookmark rewrite of a page of this program: the page afterwards is the
// line-by-line copy the rewrite is worded as, whatever the body holds, and a
// second save of the same position changes nothing.

#include "FuzzSupport.h"
#include "conversion/Bookmark.h"
#include "style/PageFrame.h"
#include "support/TextFileReference.h"

using namespace verdask;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    const std::string path = fuzz::File("book.html");
    const std::int64_t position = data[0];
    const std::string page =
        PageHeaderText(path, TViewStyle{}) + std::string(reinterpret_cast<const char*>(data) + 1, size - 1);
    fuzz::Write(path, page);
    SaveBookmark(path, position);
    const std::string expected = test::ReferenceRewrite(page, MakeBookmarkScript(position));
    fuzz::Require(fuzz::Read(path) == expected);
    fuzz::Require(fuzz::NoTemporaryFiles());
    fuzz::Require(SaveBookmark(path, position) == TBookmarkResult::Unchanged);
    return 0;
}
