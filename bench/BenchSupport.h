// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What the benchmarks share: the books they make and the way they time a command.

#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace verdask::bench {

struct TRunFigures {
    double Seconds = 0;
    long PeakKiB = 0; // the command's peak resident memory
};

// Runs a command with its standard output sent to outPath; exits when it fails.
TRunFigures RunCommand(std::vector<std::string> words, const std::string& outPath = "/dev/null");
// The shortest of several runs, and the largest peak. removedFirst: a file taken
// away before each run, so that each run writes it anew.
TRunFigures Best(int times, const std::vector<std::string>& words, const std::string& outPath = "/dev/null",
                 const std::string& removedFirst = "");

// An ordinary book of at least bytes: paragraphs with 5-blank indents, dialogue
// dashes, "--" inside lines, windows-1251 Cyrillic.
void MakeOrdinaryBook(const std::string& path, std::size_t bytes);
// Three lines, the third one piece repeated to at least bytes.
void MakeLongLineText(const std::string& path, const std::string& piece, std::size_t bytes);

double MiB(const std::string& path);

// The texts named after a bench's converter and folder (argv[3] on), or, when
// none is named, the ordinary books of made (file name, bytes), made in folder.
std::vector<std::string> TextsOrMadeBooks(int argc, char** argv, const std::string& folder,
                                          const std::vector<std::pair<std::string, std::size_t>>& made);

// How long work takes, in seconds.
double SecondsOf(const std::function<void()>& work);

} // namespace verdask::bench
