// SPDX-License-Identifier: GPL-3.0-or-later
#include "conversion/Contents.h"

#include "files/Cp1251.h"
#include "files/LineReader.h"
#include "style/PageFrame.h"

#include <algorithm>
#include <array>
#include <optional>
#include <string_view>
#include <utility>

namespace verdask {
namespace {

constexpr std::string_view TitleStart = "<P style=\"text-align: center\"><B>";
constexpr std::string_view TitleEnd = "</B></P>";
constexpr std::string_view AnchorStart = "<BR><A Name=a";
constexpr std::size_t LongestHeading = 80; // bytes of text; a longer line is prose

// A line of the page's body as the rules wrote it.
struct TBodyLine {
    bool Title = false;
    bool Dialogue = false;  // a line the rules began with a line break but no anchor
    std::int64_t Anchor = 0; // a paragraph's own anchor
    std::string Text;       // without tags, &nbsp; and surrounding blanks
    bool Blank() const { return !Title && Text.empty(); }
};

std::string_view Trimmed(std::string_view text)
{
    const auto first = text.find_first_not_of(' ');
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(' ') + 1 - first);
}

std::string WithoutSpaces(std::string_view text)
{
    std::string plain;
    for (std::size_t at = 0; at < text.size();) {
        if (text.substr(at).starts_with("&nbsp;")) {
            plain += ' ';
            at += 6;
        } else {
            plain += text[at++];
        }
    }
    return std::string(Trimmed(plain));
}

TBodyLine ParseLine(std::string_view line)
{
    TBodyLine parsed;
    if (line.starts_with(TitleStart) && line.ends_with(TitleEnd)) {
        parsed.Title = true;
        parsed.Text = Trimmed(line.substr(TitleStart.size(), line.size() - TitleStart.size() - TitleEnd.size()));
        return parsed;
    }
    if (line == "<P>")
        return parsed;
    if (line.starts_with("</A>"))
        line.remove_prefix(4);
    if (line.starts_with(AnchorStart)) {
        line.remove_prefix(AnchorStart.size());
        const auto end = line.find('>');
        if (end == std::string_view::npos || end == 0 || end > 12)
            return parsed;
        std::int64_t anchor = 0;
        for (const char digit : line.substr(0, end)) {
            if (digit < '0' || digit > '9')
                return parsed;
            anchor = anchor * 10 + (digit - '0');
        }
        parsed.Anchor = anchor;
        line.remove_prefix(end + 1);
    } else if (line.starts_with("<BR>")) {
        parsed.Dialogue = true;
        line.remove_prefix(4);
    }
    parsed.Text = WithoutSpaces(line);
    // The library marks emphasis with asterisks, and some books their headings so ("*I*").
    if (parsed.Text.size() > 2 && parsed.Text.front() == '*' && parsed.Text.back() == '*' &&
        parsed.Text.find('*', 1) == parsed.Text.size() - 1)
        parsed.Text = Trimmed(std::string_view(parsed.Text).substr(1, parsed.Text.size() - 2));
    return parsed;
}

const std::string& Word(std::string_view utf8)
{
    // Keywords in the code page the pages are written in; made once.
    static std::array<std::pair<std::string_view, std::string>, 7> words = {{
        {"том", Utf8ToHtml1251("том")},
        {"часть", Utf8ToHtml1251("часть")},
        {"книга", Utf8ToHtml1251("книга")},
        {"эпилог", Utf8ToHtml1251("эпилог")},
        {"пролог", Utf8ToHtml1251("пролог")},
        {"глава", Utf8ToHtml1251("глава")},
        {"предисловие", Utf8ToHtml1251("предисловие")},
    }};
    for (const auto& [key, word] : words) {
        if (key == utf8)
            return word;
    }
    static const std::string none;
    return none;
}

std::vector<std::string_view> Words(std::string_view text)
{
    std::vector<std::string_view> words;
    for (std::size_t at = 0; at < text.size();) {
        const auto start = text.find_first_not_of(' ', at);
        if (start == std::string_view::npos)
            break;
        const auto end = std::min(text.find(' ', start), text.size());
        words.push_back(text.substr(start, end - start));
        at = end;
    }
    return words;
}

std::string_view WithoutFinalDot(std::string_view word)
{
    if (word.ends_with('.'))
        word.remove_suffix(1);
    return word;
}

bool IsNumeral(std::string_view word)
{
    word = WithoutFinalDot(word);
    if (word.empty() || word.size() > 9)
        return false;
    const bool roman = word.find_first_not_of("IVXLC") == std::string_view::npos;
    const bool arabic = word.size() <= 3 && word.find_first_not_of("0123456789") == std::string_view::npos &&
                        word.front() != '0';
    return roman || arabic;
}

bool IsLetter(unsigned char byte)
{
    return (byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z') || byte >= 0xC0 || byte == 0xA8 ||
           byte == 0xB8;
}

// A line of capitals, such as a chapter's name under its number.
bool IsCapitals(std::string_view text)
{
    int letters = 0;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (!IsLetter(byte))
            continue;
        if (LowerCase1251(c) == c)
            return false;
        ++letters;
    }
    return letters >= 3;
}

bool IsBreak(std::string_view text)
{
    return std::count(text.begin(), text.end(), '*') >= 3 && text.find_first_not_of("* ") == std::string_view::npos;
}

bool StartsWithWord(const std::vector<std::string_view>& words, std::string_view utf8)
{
    return !words.empty() && SameText1251(words.front(), Word(utf8));
}

// What a line of text is as a heading, if it is one.
std::optional<THeadingKind> KindOf(std::string_view text)
{
    if (text.size() > LongestHeading)
        return std::nullopt;
    const std::vector<std::string_view> words = Words(text);
    if (words.empty())
        return std::nullopt;
    if (IsBreak(text))
        return THeadingKind::Break;
    // "Том 2", and the title of a volume: "Война и мир. Том 3".
    if (words.size() >= 2 && SameText1251(words[words.size() - 2], Word("том")) &&
        (words.size() == 2 || words[words.size() - 3].ends_with('.')))
        return THeadingKind::Volume;
    if ((StartsWithWord(words, "часть") || StartsWithWord(words, "книга")) && words.size() <= 3)
        return THeadingKind::Part;
    if (words.size() == 1 && (SameText1251(WithoutFinalDot(words[0]), Word("эпилог")) ||
                              SameText1251(WithoutFinalDot(words[0]), Word("пролог"))))
        return THeadingKind::Part;
    if (words.size() == 1 && SameText1251(WithoutFinalDot(words[0]), Word("предисловие")))
        return THeadingKind::Chapter;
    if (StartsWithWord(words, "глава") && words.size() >= 2)
        return THeadingKind::Chapter;
    if (words.size() == 1 && IsNumeral(words[0]))
        return THeadingKind::Chapter;
    return std::nullopt;
}

// Finds the headings line by line. A line of capitals is a heading of its own only
// between blank lines, or the name of the numbered chapter just above it.
} // namespace

class TContentsFinder::TState {
public:
    void Add(const TBodyLine& line)
    {
        ++lineNumber_;
        if (line.Anchor > 0)
            GiveAnchor(line.Anchor);
        if (line.Title) {
            // A book whose title line is a chapter's ("ГЛАВА I") has no title of its
            // own: the line is its first chapter, and the others stand beside it.
            const auto kind = line.Text.empty() ? std::nullopt : KindOf(line.Text);
            if (kind == THeadingKind::Chapter || kind == THeadingKind::Part) {
                Push(*kind, line.Text, 0, false);
                namesChapter_ = *kind == THeadingKind::Chapter && Words(line.Text).size() <= 2;
                afterHeading_ = true;
            } else if (!line.Text.empty()) {
                Push(THeadingKind::Title, line.Text, 0, true);
            }
            afterBlank_ = true;
            return;
        }
        if (line.Blank()) {
            ConfirmCapitals();
            afterBlank_ = true;
            afterHeading_ = false;
            return;
        }
        const bool afterBlank = std::exchange(afterBlank_, false);
        const bool afterHeading = std::exchange(afterHeading_, false);
        capitals_.reset();
        if (line.Dialogue) {
            namesChapter_ = false;
            return;
        }
        const auto kind = KindOf(line.Text);
        if (kind && (*kind != THeadingKind::Chapter || NumeralMayStandHere(line.Text, afterBlank || afterHeading))) {
            if (!RepeatsVolume(*kind, line.Text))
                Push(*kind, line.Text, line.Anchor, false);
            namesChapter_ = *kind == THeadingKind::Chapter && Words(line.Text).size() <= 2;
            afterHeading_ = true;
            return;
        }
        if (namesChapter_ && IsCapitals(line.Text) && line.Text.size() <= LongestHeading) {
            std::string& number = headings_.back().Text;
            if (number.ends_with('.'))
                number.pop_back();
            number += ". " + line.Text;
            headings_.back().NameLine = lineNumber_;
            namesChapter_ = false;
            return;
        }
        namesChapter_ = false;
        if (afterBlank && IsCapitals(line.Text) && line.Text.size() <= LongestHeading)
            capitals_ = THeading{THeadingKind::Chapter, 0, line.Text, line.Anchor, lineNumber_};
    }

    std::vector<THeading> Finish()
    {
        ConfirmCapitals();
        for (const std::size_t index : waiting_) {
            headings_[index].Anchor = lastAnchor_;
            headings_[index].AfterAnchor = true;
        }
        const bool any = std::any_of(headings_.begin(), headings_.end(), [](const THeading& heading) {
            return heading.Kind != THeadingKind::Title && heading.Kind != THeadingKind::Break;
        });
        if (!any)
            return {};
        SetDepths();
        return std::move(headings_);
    }

private:
    // A Roman numeral alone is a chapter anywhere; an Arabic one only where a
    // heading may begin (a poem's or a list's numbers stand among lines of text).
    static bool NumeralMayStandHere(std::string_view text, bool headingMayBegin)
    {
        if (!IsNumeral(text))
            return true;
        return headingMayBegin || text.find_first_of("0123456789") == std::string_view::npos;
    }

    // A book put together from volumes repeats a volume's title line ("Война и мир.
    // Том 3") above its first part: one entry is enough.
    bool RepeatsVolume(THeadingKind kind, std::string_view text) const
    {
        if (kind != THeadingKind::Volume)
            return false;
        for (auto heading = headings_.rbegin(); heading != headings_.rend(); ++heading) {
            if (heading->Kind == THeadingKind::Break)
                continue;
            return heading->Kind == THeadingKind::Volume && Words(heading->Text).back() == Words(text).back();
        }
        return false;
    }

    void Push(THeadingKind kind, const std::string& text, std::int64_t anchor, bool top)
    {
        headings_.push_back({kind, 0, kind == THeadingKind::Break ? std::string("* * *") : text, anchor, lineNumber_});
        if (anchor == 0 && !top)
            waiting_.push_back(headings_.size() - 1);
    }

    // Headings without an anchor of their own go to the next paragraph.
    void GiveAnchor(std::int64_t anchor)
    {
        lastAnchor_ = anchor;
        for (const std::size_t index : waiting_)
            headings_[index].Anchor = anchor;
        waiting_.clear();
    }

    void ConfirmCapitals()
    {
        if (!capitals_)
            return;
        Push(capitals_->Kind, capitals_->Text, capitals_->Anchor, false);
        headings_.back().Line = capitals_->Line;
        capitals_.reset();
    }

    void SetDepths()
    {
        constexpr std::array Ranked = {THeadingKind::Volume, THeadingKind::Part, THeadingKind::Chapter};
        std::array<int, 3> depth{};
        int next = 1;
        for (std::size_t rank = 0; rank < Ranked.size(); ++rank) {
            const bool present = std::any_of(headings_.begin(), headings_.end(),
                                             [&](const THeading& heading) { return heading.Kind == Ranked[rank]; });
            depth[rank] = present ? next++ : next;
        }
        int above = 0;
        for (THeading& heading : headings_) {
            const auto ranked = std::find(Ranked.begin(), Ranked.end(), heading.Kind);
            if (heading.Kind == THeadingKind::Title)
                heading.Depth = 0;
            else if (heading.Kind == THeadingKind::Break)
                heading.Depth = above + 1;
            else
                heading.Depth = depth[static_cast<std::size_t>(ranked - Ranked.begin())];
            if (heading.Kind != THeadingKind::Break)
                above = heading.Depth;
        }
    }

    std::vector<THeading> headings_;
    std::vector<std::size_t> waiting_;
    std::int64_t lastAnchor_ = 0;
    std::optional<THeading> capitals_; // a line of capitals, a heading if a blank line follows
    std::int64_t lineNumber_ = 0;
    bool afterBlank_ = true;
    bool namesChapter_ = false; // a numbered chapter was the last line: capitals may name it
    bool afterHeading_ = false; // the last line was a heading
};

TContentsFinder::TContentsFinder() : state_(std::make_unique<TState>()) {}

TContentsFinder::~TContentsFinder() = default;

void TContentsFinder::AddLine(std::string_view line)
{
    state_->Add(ParseLine(line));
}

std::vector<THeading> TContentsFinder::Finish()
{
    return state_->Finish();
}

std::vector<THeading> ReadContents(const std::string& pagePath, FileSystem& fileSystem)
{
    // A heading is a short line; what lies beyond this much of a line is never
    // looked at, so that no line of any file is held whole.
    constexpr std::size_t MostOfALine = 1 << 20;
    TLineReader reader(fileSystem, pagePath, LineEnds::CarriageReturn);
    std::string line;
    while (reader.ReadLineHead(line, MostOfALine) && line != HeaderEndMarker) {
    }
    TContentsFinder finder;
    while (reader.ReadLineHead(line, MostOfALine))
        finder.AddLine(line);
    reader.Close();
    return finder.Finish();
}

} // namespace verdask
