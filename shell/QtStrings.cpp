// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/QtStrings.h"

#include <QFile>
#include <QStringDecoder>
#include <QStringEncoder>

namespace verdask {

QString FromWindows1251(std::string_view text)
{
    QStringDecoder decoder("windows-1251");
    return decoder(QByteArrayView(text.data(), static_cast<qsizetype>(text.size())));
}

std::string ToWindows1251(const QString& text)
{
    QStringEncoder encoder("windows-1251");
    const QByteArray bytes = encoder(text);
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

QString ToDisplay(std::string_view text)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString decoded = utf8(QByteArrayView(text.data(), static_cast<qsizetype>(text.size())));
    return utf8.hasError() ? FromWindows1251(text) : decoded;
}

QString FromPath(std::string_view path)
{
    return QFile::decodeName(QByteArray(path.data(), static_cast<qsizetype>(path.size())));
}

std::string ToPath(const QString& path)
{
    const QByteArray bytes = QFile::encodeName(path);
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

} // namespace verdask
