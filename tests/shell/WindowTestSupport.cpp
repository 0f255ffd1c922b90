// SPDX-License-Identifier: GPL-3.0-or-later
#include "WindowTestSupport.h"

#include "config/Conf.h"

#include <QWebEngineView>

namespace verdask::test {

std::vector<std::string> DefaultConfigLines()
{
    TConf conf;
    conf.SetDefaults();
    return conf.Lines();
}

QVariant RunScript(TWebView& view, const QString& script)
{
    QVariant result;
    bool done = false;
    view.View()->page()->runJavaScript(script, [&](const QVariant& value) {
        result = value;
        done = true;
    });
    WaitFor([&] { return done; }, 5000);
    return result;
}

} // namespace verdask::test
