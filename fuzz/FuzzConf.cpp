// SPDX-License-Identifier: GPL-3.0-or-later
// The configuration store's file reading: what it reads, written and read again,
// gives the same lines; a key set is read back.

#include "FuzzSupport.h"
#include "config/Conf.h"

using namespace verdask;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string path = fuzz::File("fuzz.con");
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    fuzz::Write(path, bytes);
    TConf conf;
    conf.LoadFromFile(path);
    conf.SaveToFile(path);
    TConf again;
    again.LoadFromFile(path);
    fuzz::Require(again.Lines() == conf.Lines());
    // A key taken from the input itself, set and read back.
    const std::string key(bytes.substr(0, bytes.find_first_of(std::string_view("=\r\n\0", 4))));
    if (!key.empty()) {
        conf.SetValue(key, "value");
        fuzz::Require(conf.GetValue(key) == "value");
        conf.SetValue(key, "");
    }
    return 0;
}
