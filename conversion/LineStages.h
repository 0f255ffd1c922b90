// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The line rules as stages that a line flows through in pieces. Each stage
// rewrites what it is given and hands it on, keeping back only the few
// characters its rule must see ahead, so that a line of any length converts in
// bounded memory and linear time, and gives the same text as the rule applied
// to the whole line.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <functional>
#include <string>
#include <string_view>

namespace verdask {

using PendingEvents = std::function<void()>;

// Where the pieces of a converted line go.
class TLineSink {
public:
    TLineSink() = default;
    TLineSink(const TLineSink&) = delete;
    TLineSink& operator=(const TLineSink&) = delete;
    virtual ~TLineSink() = default;

    virtual void Put(std::string_view piece) = 0;
    // The line is complete.
    virtual void End() = 0;
};

namespace stages {

// A stage's output for one piece. Unlike std::string it grows without filling
// the new room, so a stage can write through a cursor into room it reserved.
class TPieceBuffer {
public:
    void Clear() { size_ = 0; }
    bool Empty() const { return size_ == 0; }
    std::string_view View() const { return {data_.get(), size_}; }

    void Append(std::string_view text)
    {
        if (text.empty())
            return;
        char* cursor = Reserve(text.size());
        std::memcpy(cursor, text.data(), text.size());
        size_ += text.size();
    }
    void Append(char c)
    {
        *Reserve(1) = c;
        ++size_;
    }
    // Room for extra more characters; Commit takes what was written there.
    char* Reserve(std::size_t extra)
    {
        if (size_ + extra > capacity_ || !data_)
            Grow(size_ + extra);
        return data_.get() + size_;
    }
    void Commit(const char* cursor) { size_ = static_cast<std::size_t>(cursor - data_.get()); }

private:
    void Grow(std::size_t needed);

    std::unique_ptr<char[]> data_;
    std::size_t size_ = 0;
    std::size_t capacity_ = 0;
};

// A line's start: the centred title, or the anchor of a paragraph start.
class TLineStart final : public TLineSink {
public:
    explicit TLineStart(TLineSink& next) : next_(next) {}

    // title: the line is centred. paragraphPrefix: set, the line is a paragraph
    // start when its first width characters are blanks and the one after them is
    // no "-"; the prefix then takes the place of those blanks.
    void Begin(bool title, const std::string* paragraphPrefix, std::size_t width);
    void Put(std::string_view piece) override;
    void End() override;

    // Whether the line just ended was a paragraph start.
    bool WasParagraph() const { return paragraph_; }

private:
    void Decide(bool paragraph);

    TLineSink& next_;
    bool title_ = false;
    const std::string* prefix_ = nullptr;
    std::size_t width_ = 0;
    bool deciding_ = false;
    bool paragraph_ = false;
    std::size_t blanks_ = 0;
};

// Every "--" becomes "&#150;", or "<BR>&#150;" after an indent of width blanks.
class TDoubleDash final : public TLineSink {
public:
    TDoubleDash(TLineSink& next, std::size_t width, const PendingEvents& pending)
        : next_(next), width_(width), pending_(pending) {}

    // Inactive, the stage hands the line on unchanged.
    void Begin(bool active);
    void Put(std::string_view piece) override;
    void End() override;

private:
    void PutPairs(std::string_view piece);

    TLineSink& next_;
    std::size_t width_;
    const PendingEvents& pending_;
    bool active_ = false;
    bool heldDash_ = false;       // a "-" ended the last piece
    std::size_t trailingBlanks_ = 0; // the blanks that end what was written
    TPieceBuffer out_;
};

// width blanks and a "-" at the line's start become "<BR>&nbsp;&#150;".
class TLeadingDash final : public TLineSink {
public:
    TLeadingDash(TLineSink& next, std::size_t width) : next_(next), width_(width) {}

    void Begin(bool active);
    void Put(std::string_view piece) override;
    void End() override;

private:
    void PutBlanks();

    TLineSink& next_;
    std::size_t width_;
    bool deciding_ = false;
    std::size_t blanks_ = 0;
};

// An empty line becomes "<P>".
class TEmptyLine final : public TLineSink {
public:
    explicit TEmptyLine(TLineSink& next) : next_(next) {}

    void Begin() { empty_ = true; }
    void Put(std::string_view piece) override;
    void End() override;

private:
    TLineSink& next_;
    bool empty_ = true;
};

// Every occurrence of a text becomes another text.
class TReplace final : public TLineSink {
public:
    TReplace(TLineSink& next, std::string_view from, std::string_view to);

    void Begin(bool active);
    void Put(std::string_view piece) override;
    void End() override;

private:
    void Scan(std::string_view text, bool last);
    std::size_t Find(std::string_view text, std::size_t from) const;

    TLineSink& next_;
    std::string_view from_;
    std::string_view to_;
    std::boyer_moore_horspool_searcher<const char*> searcher_;
    bool active_ = false;
    std::string held_; // the end of the last piece, which may begin an occurrence
    std::string work_;
    std::string out_;
};

// Letter-spaced words: groups of characters joined by "_" become groups
// separated by "&nbsp;", as the rule's loop expands them one group at a time.
class TLetterSpacing final : public TLineSink {
public:
    TLetterSpacing(TLineSink& next, const PendingEvents& pending);

    // active: the line holds a "_" or "&#9552;"; boxDrawing: it holds "&#9552;",
    // which fires the rule whatever else.
    void Begin(bool active, bool boxDrawing);
    void Put(std::string_view piece) override;
    void End() override;

private:
    // The rule's own work on the line after "&#9552;" became "_".
    class TGroups final : public TLineSink {
    public:
        TGroups(TLineSink& next, const PendingEvents& pending) : next_(next), pending_(pending) {}

        void Begin(bool fired);
        void Put(std::string_view piece) override;
        void End() override;

    private:
        enum class TState { Undecided, Probing, Off, Outside, InGroup };

        void Step(std::string_view text);
        void Decide(bool fired);
        std::size_t PutInGroup(std::string_view text, std::size_t at);
        void PutOutside(std::string_view text);
        void PutHeld();
        void StartGroup();
        void CloseGroup();

        TLineSink& next_;
        const PendingEvents& pending_;
        TState state_ = TState::Undecided;
        std::string probe_;  // the first "_" and what follows it, until the rule decides
        bool held_ = false;  // the last character written is kept back: a group's
        char heldChar_ = 0;  // leading "&nbsp;" goes in front of it
        std::size_t offset_ = 0;     // position in the group, from its first "_"
        bool heldCandidate_ = false; // a character where the group may end, if it is the last
        char candidate_ = 0;
        TPieceBuffer out_;
    };

    TLineSink& next_;
    TGroups groups_;
    TReplace boxDrawing_;
    bool active_ = false;
    bool boxDrawingActive_ = false;
};

} // namespace stages
} // namespace verdask
