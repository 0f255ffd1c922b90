#include "WindowTestSupport.h"

#include "config/Conf.h"

namespace verdask::test {

std::vector<std::string> DefaultConfigLines()
{
    TConf conf;
    conf.SetDefaults();
    return conf.Lines();
}

} // namespace verdask::test
