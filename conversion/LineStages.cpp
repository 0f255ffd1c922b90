// SPDX-License-Identifier: GPL-3.0-or-later
#include "conversion/LineStages.h"

#include <algorithm>
#include <cstring>

namespace verdask::stages {
namespace {

constexpr std::string_view Nbsp = "&nbsp;";
constexpr std::string_view LongDash = "&#150;";
constexpr std::string_view BreakAndLongDash = "<BR>&#150;";
constexpr std::string_view DialogueDash = "<BR>&nbsp;&#150;";
constexpr std::string_view TitleOpen = "<P style=\"text-align: center\"><B>";
constexpr std::string_view TitleClose = "</B></P>";
constexpr std::string_view EmptyLine = "<P>";

void PutBlanks(TLineSink& next, std::size_t count)
{
    static constexpr std::string_view Blanks = "                                                                ";
    for (; count > Blanks.size(); count -= Blanks.size())
        next.Put(Blanks);
    if (count > 0)
        next.Put(Blanks.substr(0, count));
}

// The number of blanks that end text, added to those before it when text is all blanks.
std::size_t TrailingBlanks(std::string_view text, std::size_t before)
{
    const auto lastText = text.find_last_not_of(' ');
    return lastText == std::string_view::npos ? before + text.size() : text.size() - lastText - 1;
}

char* Copy(char* cursor, std::string_view text)
{
    if (text.empty())
        return cursor;
    std::memcpy(cursor, text.data(), text.size());
    return cursor + text.size();
}

} // namespace

void TPieceBuffer::Grow(std::size_t needed)
{
    const std::size_t capacity = std::max(needed, 2 * capacity_ + 256);
    auto data = std::make_unique_for_overwrite<char[]>(capacity);
    if (size_ > 0)
        std::memcpy(data.get(), data_.get(), size_);
    data_ = std::move(data);
    capacity_ = capacity;
}

// --- TLineStart ---

void TLineStart::Begin(bool title, const std::string* paragraphPrefix, std::size_t width)
{
    title_ = title;
    prefix_ = paragraphPrefix;
    width_ = width;
    paragraph_ = false;
    blanks_ = 0;
    deciding_ = !title && paragraphPrefix != nullptr;
    if (title)
        next_.Put(TitleOpen);
}

void TLineStart::Decide(bool paragraph)
{
    deciding_ = false;
    paragraph_ = paragraph;
    if (paragraph)
        next_.Put(*prefix_);
    else
        PutBlanks(next_, blanks_);
}

void TLineStart::Put(std::string_view piece)
{
    std::size_t at = 0;
    while (deciding_ && at < piece.size()) {
        const char c = piece[at];
        if (blanks_ < width_) {
            if (c != ' ') {
                Decide(false);
                break;
            }
            ++blanks_;
            ++at;
        } else if (width_ == 0) {
            Decide(c == ' '); // every line that starts with a blank, keeping it
        } else {
            Decide(c != '-'); // the indent followed by a dash is dialogue
        }
    }
    if (at < piece.size())
        next_.Put(piece.substr(at));
}

void TLineStart::End()
{
    if (deciding_)
        Decide(width_ > 0 && blanks_ == width_); // a line of exactly the indent
    if (title_)
        next_.Put(TitleClose);
    next_.End();
}

// --- TDoubleDash ---

void TDoubleDash::Begin(bool active)
{
    active_ = active;
    heldDash_ = false;
    trailingBlanks_ = 0;
}

// The rule's loop searches from the start after every replacement, but its
// replacements hold no "-", so the pairs it finds are those of one pass from the
// left, and the text before a pair is what this stage has written so far.
void TDoubleDash::PutPairs(std::string_view piece)
{
    out_.Clear();
    // At most 10 characters for 2: "<BR>&#150;" for "--".
    char* cursor = out_.Reserve(5 * piece.size() + BreakAndLongDash.size());
    const char* data = piece.data();
    const std::size_t size = piece.size();
    auto putDash = [&] {
        // Fixed sizes, so that the copies compile to a few moves.
        if (width_ == 0 || trailingBlanks_ >= width_) {
            std::memcpy(cursor, BreakAndLongDash.data(), BreakAndLongDash.size());
            cursor += BreakAndLongDash.size();
        } else {
            std::memcpy(cursor, LongDash.data(), LongDash.size());
            cursor += LongDash.size();
        }
        trailingBlanks_ = 0;
        if (pending_)
            pending_();
    };

    std::size_t at = 0;
    if (heldDash_) {
        heldDash_ = false;
        if (data[0] == '-') {
            putDash();
            at = 1;
        } else {
            *cursor++ = '-';
            trailingBlanks_ = 0;
        }
    }
    while (at < size) {
        if (data[at] == '-') {
            if (at + 1 == size) {
                heldDash_ = true; // its partner may begin the next piece
                break;
            }
            if (data[at + 1] == '-') {
                putDash();
                at += 2;
            } else {
                *cursor++ = '-';
                trailingBlanks_ = 0;
                ++at;
            }
            continue;
        }
        const void* found = std::memchr(data + at, '-', size - at);
        const std::size_t dash = found == nullptr ? size : static_cast<std::size_t>(static_cast<const char*>(found) - data);
        const std::string_view text(data + at, dash - at);
        cursor = Copy(cursor, text);
        trailingBlanks_ = TrailingBlanks(text, trailingBlanks_);
        at = dash;
    }
    out_.Commit(cursor);
    if (!out_.Empty())
        next_.Put(out_.View());
}

void TDoubleDash::Put(std::string_view piece)
{
    if (piece.empty())
        return;
    if (!active_ || (!heldDash_ && std::memchr(piece.data(), '-', piece.size()) == nullptr)) {
        trailingBlanks_ = TrailingBlanks(piece, trailingBlanks_);
        next_.Put(piece);
        return;
    }
    PutPairs(piece);
}

void TDoubleDash::End()
{
    if (heldDash_) {
        heldDash_ = false;
        next_.Put("-");
    }
    next_.End();
}

// --- TLeadingDash ---

void TLeadingDash::Begin(bool active)
{
    deciding_ = active;
    blanks_ = 0;
}

void TLeadingDash::PutBlanks()
{
    stages::PutBlanks(next_, blanks_);
}

void TLeadingDash::Put(std::string_view piece)
{
    std::size_t at = 0;
    while (deciding_ && at < piece.size()) {
        if (blanks_ < width_) {
            if (piece[at] != ' ') {
                deciding_ = false;
                PutBlanks();
                break;
            }
            ++blanks_;
            ++at;
            continue;
        }
        deciding_ = false;
        if (piece[at] == '-') {
            next_.Put(DialogueDash);
            ++at;
        } else {
            PutBlanks();
        }
    }
    if (at < piece.size())
        next_.Put(piece.substr(at));
}

void TLeadingDash::End()
{
    if (deciding_) {
        deciding_ = false;
        PutBlanks();
    }
    next_.End();
}

// --- TEmptyLine ---

void TEmptyLine::Put(std::string_view piece)
{
    if (piece.empty())
        return;
    empty_ = false;
    next_.Put(piece);
}

void TEmptyLine::End()
{
    if (empty_)
        next_.Put(EmptyLine);
    next_.End();
}

// --- TReplace ---

TReplace::TReplace(TLineSink& next, std::string_view from, std::string_view to)
    : next_(next), from_(from), to_(to), searcher_(from_.data(), from_.data() + from_.size())
{
}

void TReplace::Begin(bool active)
{
    active_ = active;
    held_.clear();
}

std::size_t TReplace::Find(std::string_view text, std::size_t from) const
{
    const char* end = text.data() + text.size();
    const char* found = searcher_(text.data() + from, end).first;
    return found == end ? std::string_view::npos : static_cast<std::size_t>(found - text.data());
}

// Writes text with every occurrence replaced; unless it is the line's last text,
// keeps back its end where that could be the beginning of an occurrence.
void TReplace::Scan(std::string_view text, bool last)
{
    std::size_t rest = 0;
    std::size_t found = Find(text, 0);
    const bool replaced = found != std::string_view::npos;
    out_.clear();
    for (; found != std::string_view::npos; found = Find(text, rest)) {
        out_.append(text.substr(rest, found - rest));
        out_ += to_;
        rest = found + from_.size();
    }
    std::size_t keep = 0;
    if (!last) {
        const std::string_view tail = text.substr(rest);
        for (keep = std::min(tail.size(), from_.size() - 1); keep > 0; --keep) {
            if (tail.ends_with(from_.substr(0, keep)))
                break;
        }
    }
    const std::string_view written = text.substr(rest, text.size() - rest - keep);
    if (replaced) {
        out_.append(written);
        next_.Put(out_);
    } else if (!written.empty()) {
        next_.Put(written);
    }
    held_.assign(text.substr(text.size() - keep));
}

void TReplace::Put(std::string_view piece)
{
    if (!active_) {
        next_.Put(piece);
        return;
    }
    if (piece.empty())
        return;
    if (held_.empty()) {
        Scan(piece, false);
        return;
    }
    work_ = held_;
    work_ += piece;
    Scan(work_, false);
}

void TReplace::End()
{
    if (active_ && !held_.empty()) {
        work_.swap(held_);
        Scan(work_, true);
    }
    next_.End();
}

// --- TLetterSpacing ---

TLetterSpacing::TLetterSpacing(TLineSink& next, const PendingEvents& pending)
    : next_(next), groups_(next, pending), boxDrawing_(groups_, "&#9552;", "_")
{
}

void TLetterSpacing::Begin(bool active, bool boxDrawing)
{
    active_ = active;
    boxDrawingActive_ = active && boxDrawing;
    boxDrawing_.Begin(boxDrawingActive_);
    groups_.Begin(boxDrawingActive_);
}

// A line without "_" and "&#9552;" gets none by the rules before this one either.
void TLetterSpacing::Put(std::string_view piece)
{
    if (active_)
        boxDrawing_.Put(piece);
    else
        next_.Put(piece);
}

void TLetterSpacing::End()
{
    if (active_)
        boxDrawing_.End();
    else
        next_.End();
}

// The rule's loop expands the group at the first "_" and searches from the start
// again; all before that group then holds no "_", so the groups are those of one
// pass from the left. A group's leading "&nbsp;" goes in front of the character
// before its first "_", which may be the last one already written, so that one
// character is always kept back.
void TLetterSpacing::TGroups::Begin(bool fired)
{
    state_ = fired ? TState::Outside : TState::Undecided;
    probe_.clear();
    held_ = false;
    offset_ = 0;
    heldCandidate_ = false;
}

void TLetterSpacing::TGroups::PutHeld()
{
    if (held_) {
        out_.Append(heldChar_);
        held_ = false;
    }
}

void TLetterSpacing::TGroups::PutOutside(std::string_view text)
{
    if (text.empty())
        return;
    PutHeld();
    out_.Append(text.substr(0, text.size() - 1));
    heldChar_ = text.back();
    held_ = true;
}

void TLetterSpacing::TGroups::StartGroup()
{
    out_.Append(Nbsp);
    PutHeld(); // the character in front of the "_" stands after the leading "&nbsp;"
    out_.Append(Nbsp);
    offset_ = 1;
    heldCandidate_ = false;
    state_ = TState::InGroup;
    if (pending_)
        pending_();
}

void TLetterSpacing::TGroups::CloseGroup()
{
    out_.Append(Nbsp.substr(0, Nbsp.size() - 1));
    heldChar_ = Nbsp.back();
    held_ = true;
    state_ = TState::Outside;
}

// The first "_" fires the rule when the character two after it is "_" too.
void TLetterSpacing::TGroups::Decide(bool fired)
{
    const std::string probe = std::move(probe_);
    probe_.clear();
    state_ = fired ? TState::Outside : TState::Off;
    Step(probe);
}

// Writes the group's characters from text[at] on; returns where it stopped:
// at a blank that closes the group, or before the piece's last character when
// that may close it.
std::size_t TLetterSpacing::TGroups::PutInGroup(std::string_view text, std::size_t at)
{
    char* cursor = out_.Reserve(6 * (text.size() - at));
    for (; at < text.size(); ++at, ++offset_) {
        const char c = text[at];
        // The group ends at the first of every second character from its "_" that
        // is a blank or the line's last character.
        if (offset_ >= 2 && offset_ % 2 == 0 && (c == ' ' || at + 1 == text.size()))
            break;
        if (c == '_')
            cursor = Copy(cursor, Nbsp);
        else
            *cursor++ = c;
    }
    out_.Commit(cursor);
    return at;
}

void TLetterSpacing::TGroups::Step(std::string_view text)
{
    std::size_t at = 0;
    while (at < text.size()) {
        switch (state_) {
        case TState::Off:
            PutHeld();
            out_.Append(text.substr(at));
            return;
        case TState::Undecided:
        case TState::Outside: {
            const void* found = std::memchr(text.data() + at, '_', text.size() - at);
            const std::size_t underscore =
                found == nullptr ? text.size() : static_cast<std::size_t>(static_cast<const char*>(found) - text.data());
            PutOutside(text.substr(at, underscore - at));
            at = underscore;
            if (at == text.size())
                break;
            if (state_ == TState::Undecided) {
                state_ = TState::Probing;
                probe_.assign(1, '_'); // not = "_": GCC 12 at -O3 warns of a false overlap there
            } else {
                StartGroup();
            }
            ++at;
            break;
        }
        case TState::Probing: {
            const std::size_t take = std::min(3 - probe_.size(), text.size() - at);
            probe_.append(text.substr(at, take));
            at += take;
            if (probe_.size() == 3)
                Decide(probe_[2] == '_');
            break;
        }
        case TState::InGroup:
            if (heldCandidate_) {
                // More follows, so the kept character was not the line's last.
                heldCandidate_ = false;
                if (candidate_ == '_')
                    out_.Append(Nbsp);
                else
                    out_.Append(candidate_);
                ++offset_;
            }
            at = PutInGroup(text, at);
            if (at == text.size())
                break;
            if (text[at] == ' ') {
                CloseGroup();
            } else { // the piece's last character, at a place where the group may end
                heldCandidate_ = true;
                candidate_ = text[at];
                ++at;
            }
            break;
        }
    }
}

void TLetterSpacing::TGroups::Put(std::string_view piece)
{
    out_.Clear();
    Step(piece);
    if (!out_.Empty())
        next_.Put(out_.View());
}

void TLetterSpacing::TGroups::End()
{
    out_.Clear();
    for (;;) {
        if (state_ == TState::Probing) {
            Decide(false); // fewer than two characters after the first "_"
        } else if (state_ == TState::InGroup && heldCandidate_) {
            // The kept character is the line's last: the group closes before it.
            heldCandidate_ = false;
            const char last = candidate_;
            CloseGroup();
            Step(std::string_view(&last, 1));
        } else if (state_ == TState::InGroup) {
            CloseGroup(); // the group runs past the end: its closing "&nbsp;" is appended
        } else {
            break;
        }
    }
    PutHeld();
    if (!out_.Empty())
        next_.Put(out_.View());
    next_.End();
}

} // namespace verdask::stages
