#include "codelist.h"

#include <QFile>
#include <QHash>
#include <QStringDecoder>

using namespace Qt::StringLiterals;

namespace tickora::market {

namespace {

QString decode(const QByteArray& data)
{
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8.decode(data);
    if (!utf8.hasError())
        return text;
    QStringDecoder sjis("Shift_JIS");
    return sjis.decode(data);
}

QString unquote(QString field)
{
    field = field.trimmed();
    if (field.size() >= 2 && field.startsWith(u'"') && field.endsWith(u'"'))
        field = field.mid(1, field.size() - 2);
    return field;
}

bool looksLikeCode(const QString& code)
{
    if (code.isEmpty() || code.size() > 8)
        return false;
    for (QChar c : code)
        if (!c.isLetterOrNumber() || c.unicode() > 0x7f)
            return false;
    return code.front().isDigit();
}

} // namespace

QList<Listing> readCodeList(const QByteArray& data)
{
    QString text = decode(data);
    if (text.startsWith(QChar(0xfeff)))
        text.remove(0, 1);
    QList<Listing> result;
    QHash<QString, qsizetype> index;
    const auto lines = QStringView(text).split(u'\n');
    for (QStringView line : lines) {
        if (line.endsWith(u'\r'))
            line.chop(1);
        const qsizetype comma = line.indexOf(u',');
        if (comma < 0)
            continue;
        const QString code = unquote(line.left(comma).toString());
        const QString name = unquote(line.mid(comma + 1).toString());
        if (!looksLikeCode(code) || name.isEmpty())
            continue;
        if (auto it = index.constFind(code); it != index.constEnd()) {
            result[*it].name = name;
            continue;
        }
        index.insert(code, result.size());
        result.append({code, name});
    }
    return result;
}

QByteArray builtInCodeList()
{
    QFile file(u":/market/codes.csv"_s);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

} // namespace tickora::market
