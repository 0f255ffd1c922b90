// SPDX-License-Identifier: GPL-3.0-or-later
#include "BenchSupport.h"

#include <sys/resource.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <random>
#include <spawn.h>

namespace verdask::bench {
namespace {

// Cyrillic words in windows-1251 (bytes E0..FF are а..я).
std::string Word(std::mt19937& random)
{
    std::string word;
    const int length = 2 + static_cast<int>(random() % 9);
    for (int i = 0; i < length; ++i)
        word += static_cast<char>(0xE0 + random() % 32);
    return word;
}

std::string Sentence(std::mt19937& random, int words)
{
    std::string text;
    for (int i = 0; i < words; ++i) {
        if (i > 0)
            text += random() % 13 == 0 ? " -- " : (random() % 7 == 0 ? ", " : " ");
        text += Word(random);
    }
    return text + ".";
}

} // namespace




// Runs a command with its standard output sent to outPath (or discarded).
TRunFigures RunCommand(std::vector<std::string> words, const std::string& outPath)
{
    std::vector<char*> argv;
    for (auto& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    if (posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) {
        std::cerr << "cannot run " << words[0] << '\n';
        std::exit(1);
    }
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    const auto end = std::chrono::steady_clock::now();
    posix_spawn_file_actions_destroy(&actions);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::cerr << words[0] << " failed\n";
        std::exit(1);
    }
    return {std::chrono::duration<double>(end - start).count(), usage.ru_maxrss};
}

TRunFigures Best(int times, const std::vector<std::string>& words, const std::string& outPath,
                 const std::string& removedFirst)
{
    TRunFigures best{1e30, 0};
    for (int i = 0; i < times; ++i) {
        if (!removedFirst.empty())
            std::filesystem::remove(removedFirst);
        const TRunFigures run = RunCommand(words, outPath);
        if (run.Seconds < best.Seconds)
            best.Seconds = run.Seconds;
        best.PeakKiB = std::max(best.PeakKiB, run.PeakKiB);
    }
    return best;
}

void MakeOrdinaryBook(const std::string& path, std::size_t bytes)
{
    std::mt19937 random(1251);
    std::ofstream book(path, std::ios::binary);
    book << "\xC0\xE2\xF2\xEE\xF0\r\n"          // author
         << "\xCA\xED\xE8\xE3\xE0\r\n";         // title
    std::size_t written = 0;
    while (written < bytes) {
        std::string line;
        switch (random() % 10) {
        case 0:
            line = "     - " + Sentence(random, 6) + " - " + Sentence(random, 4);
            break;
        case 1:
            line = "";
            break;
        default:
            line = "     " + Sentence(random, 40 + static_cast<int>(random() % 80));
        }
        book << line << "\r\n";
        written += line.size() + 2;
    }
}

// Written a block at a time: the converter's peak memory is read from its
// process, which starts as a copy of this one and must not inherit a large heap.
void MakeLongLineText(const std::string& path, const std::string& piece, std::size_t bytes)
{
    std::ofstream text(path, std::ios::binary);
    text << "Author\r\nTitle\r\n";
    std::string block;
    while (block.size() < 64 * 1024)
        block += piece;
    for (std::size_t written = 0; written < bytes; written += block.size())
        text << block;
    text << "\r\n";
}

double MiB(const std::string& path)
{
    return static_cast<double>(std::filesystem::file_size(path)) / (1024.0 * 1024.0);
}


double SecondsOf(const std::function<void()>& work)
{
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

std::vector<std::string> TextsOrMadeBooks(int argc, char** argv, const std::string& folder,
                                          const std::vector<std::pair<std::string, std::size_t>>& made)
{
    std::vector<std::string> texts(argv + std::min(argc, 3), argv + argc);
    if (!texts.empty())
        return texts;
    for (const auto& [name, bytes] : made) {
        texts.push_back(folder + "/" + name);
        MakeOrdinaryBook(texts.back(), bytes);
    }
    return texts;
}

} // namespace verdask::bench
