// verdask-convert: the program's conversions without a window.

#include <cstring>
#include <iostream>

namespace {

constexpr const char* Usage = "Usage: verdask-convert [--help] [--version]\n";

} // namespace

int main(int argc, char** argv)
{
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::cout << "verdask-convert " << VERDASK_VERSION << '\n';
        return 0;
    }
    if (argc == 2 && std::strcmp(argv[1], "--help") == 0) {
        std::cout << Usage;
        return 0;
    }
    std::cerr << Usage;
    return 2;
}
