// SPDX-License-Identifier: GPL-3.0-or-later
// The line rules: a text converted whole and converted in pieces of the reader's
// smallest blocks gives the same page, the page has its 13 header and 3 footer
// lines, and its anchors count up from a1 without gaps.

#include "FuzzSupport.h"
#include "config/Conf.h"
#include "conversion/ConvertAndSave.h"
#include "conversion/LineRules.h"
#include "conversion/Source.h"
#include "files/FileReplacement.h"
#include "files/TextFile.h"
#include "style/PageFrame.h"

#include <algorithm>

using namespace verdask;

namespace {

std::string Convert(const std::string& source, std::size_t blockSize)
{
    TConf conf;
    conf.SetDefaults();
    TSourceState state;
    state.SourcePath = source;
    state.IndentWidth = 3;
    const std::string page = fuzz::File("page.html");
    TFileReplacement writer(PlatformFileSystem(), page, LinkAtTarget::ReplaceName);
    WritePageHeader(writer.Writer(), page, TViewStyle{});
    ConvertBody(conf, state, writer.Writer(), {}, PlatformFileSystem(), blockSize);
    AppendPageFooter(writer.Writer());
    writer.Commit();
    return fuzz::Read(page);
}

// The text holds no "<" (see below), so every anchor of the page is the
// converter's: a1, a2, ... in order, each once.
void RequireAnchorsWithoutGaps(const std::string& page)
{
    const std::string_view open = "<A Name=a";
    std::int64_t expected = 1;
    for (std::size_t at = page.find(open); at != std::string::npos; at = page.find(open, at + 1)) {
        const std::string number = std::to_string(expected) + ">";
        fuzz::Require(page.compare(at + open.size(), number.size(), number) == 0);
        fuzz::Require(page.compare(at - 4, 4, "<BR>") == 0);
        ++expected;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string source = fuzz::File("book.txt");
    // Markup in a text goes into the page as it stands; without "<" the anchors
    // the text could forge stay out of the count.
    std::string text(reinterpret_cast<const char*>(data), size);
    std::replace(text.begin(), text.end(), '<', '{');
    fuzz::Write(source, text);
    const std::string whole = Convert(source, FileBlockSize);
    fuzz::Require(Convert(source, 5) == whole);
    fuzz::Require(whole.starts_with(PageHeaderText(fuzz::File("page.html"), TViewStyle{})));
    fuzz::Require(whole.ends_with(PageFooterText()));
    RequireAnchorsWithoutGaps(whole);
    return 0;
}
