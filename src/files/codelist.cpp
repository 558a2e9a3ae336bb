#include "codelist.h"

#include "exchange/securitycode.h"
#include "platform/savefile.h"
#include "watchlist.h"

#include <QDir>

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

namespace tickora {

using namespace Qt::StringLiterals;

namespace {

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t';
}

// Drops ASCII blanks and tabs only: a full-width blank inside or around a name is part of it.
QStringView trimBlanks(QStringView s)
{
    while (!s.isEmpty() && isBlank(s.front()))
        s = s.mid(1);
    while (!s.isEmpty() && isBlank(s.back()))
        s.chop(1);
    return s;
}

QStringView unquote(QStringView s)
{
    if (s.size() >= 2 && s.front() == u'"' && s.back() == u'"')
        return s.mid(1, s.size() - 2);
    return s;
}

} // namespace

std::optional<CodeListEntry> parseCodeListLine(QStringView line)
{
    const qsizetype comma = line.indexOf(u',');
    if (comma == -1)
        return std::nullopt;
    const std::optional<QString> code = canonicalCode(unquote(trimBlanks(line.left(comma))));
    if (!code)
        return std::nullopt;

    QStringView rest = line.mid(comma + 1);
    while (!rest.isEmpty() && isBlank(rest.front()))
        rest = rest.mid(1);
    QStringView name;
    if (!rest.isEmpty() && rest.front() == u'"') {
        // A quoted name runs to the closing quote (to the end of the line when there is none).
        const qsizetype close = rest.indexOf(u'"', 1);
        name = close == -1 ? rest.mid(1) : rest.mid(1, close - 1);
    } else {
        const qsizetype end = rest.indexOf(u',');
        name = trimBlanks(end < 0 ? rest : rest.left(end));
    }
    return CodeListEntry{*code, name.toString()};
}

QList<CodeListEntry> parseCodeList(QByteArrayView bytes)
{
    QStringDecoder decoder("Shift_JIS");
    const QString text = decoder.decode(bytes);
    QList<CodeListEntry> entries;
    entries.reserve(text.size() / 16);
    QStringView rest(text);
    while (!rest.isEmpty()) {
        const qsizetype end = rest.indexOf(u'\n');
        QStringView line = end < 0 ? rest : rest.left(end);
        rest = end < 0 ? QStringView() : rest.mid(end + 1);
        if (line.endsWith(u'\r'))
            line.chop(1);
        if (std::optional<CodeListEntry> entry = parseCodeListLine(line))
            entries.append(std::move(*entry));
    }
    return entries;
}

QByteArray codeListLine(const CodeListEntry& entry)
{
    QString name = entry.name;
    name.replace(u'"', u'＂').replace(u'\r', u' ').replace(u'\n', u' ');
    QByteArray line;
    encodeCp932(entry.code + u",\""_s + storableInCp932(name) + u"\"\r\n"_s, &line);
    return line;
}

QString appendToCodeList(const QString& path, const CodeListEntry& entry)
{
    QByteArray bytes;
    QFile file(path);
    if (file.exists() && (!file.open(QIODevice::ReadOnly) || (bytes = file.readAll(), file.error())))
        return u"「%1」を読み込めないため、銘柄を書き加えられませんでした。"_s.arg(
            QDir::toNativeSeparators(path));
    if (!bytes.isEmpty() && !bytes.endsWith('\n'))
        bytes += "\r\n";
    QString reason;
    if (!QDir().mkpath(QFileInfo(path).absolutePath()) ||
        !saveFileAtomically(path, bytes + codeListLine(entry), &reason))
        return u"「%1」に銘柄を書き加えられませんでした（%2）。"_s.arg(QDir::toNativeSeparators(path),
                                                                       reason);
    return {};
}

CodeList::Result CodeList::lookup(const QString& path, const QString& code)
{
    const QFileInfo info(path);
    if (!info.exists()) {
        m_loaded = false;
        return {Status::Missing, std::nullopt};
    }
    const qint64 size = info.size();
    const QDateTime modified = info.lastModified();
    const bool fresh = m_loaded && m_path == path && m_size == size && m_modified == modified;
    if (!fresh) {
        m_loaded = false;
        m_names.clear();
        if (!info.isFile() || size > MaxFileSize)
            return {Status::Unreadable, std::nullopt};
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return {Status::Unreadable, std::nullopt};
        const QByteArray bytes = file.readAll();
        if (file.error() != QFileDevice::NoError)
            return {Status::Unreadable, std::nullopt};
        // Later records overwrite earlier ones, so the last line with a code wins.
        for (const CodeListEntry& entry : parseCodeList(bytes))
            m_names.insert(entry.code, entry.name);
        m_loaded = true;
        m_path = path;
        m_size = size;
        m_modified = modified;
    }
    const auto it = m_names.constFind(code);
    if (it == m_names.cend())
        return {Status::Ok, std::nullopt};
    return {Status::Ok, *it};
}

} // namespace tickora
