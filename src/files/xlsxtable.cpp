#include "xlsxtable.h"

#include <QXmlStreamReader>

#include <optional>

namespace tickora {

using namespace Qt::StringLiterals;

namespace {

/// Raised while reading a part: the part's name and why.
struct PartFault
{
    QString message;
};

const QString Broken = u"Excel のファイル（.xlsx）の部品「%1」が壊れています。"_s;

/// The next token; a document type declaration is refused, since it could declare entities.
QXmlStreamReader::TokenType nextToken(QXmlStreamReader& xml)
{
    const QXmlStreamReader::TokenType token = xml.readNext();
    if (token == QXmlStreamReader::DTD)
        xml.raiseError(u"DTD"_s);
    return xml.hasError() ? QXmlStreamReader::Invalid : token;
}

/// Reads the part `name`, or throws why it cannot be read.
QByteArray part(XlsxParts& parts, const QString& name, const XlsxLimits& limits)
{
    QByteArray bytes;
    switch (parts.read(name, &bytes)) {
    case XlsxParts::Status::Ok:
        return bytes;
    case XlsxParts::Status::Missing:
        throw PartFault{u"Excel のブック（.xlsx）ではありません（部品「%1」がありません）。"_s.arg(name)};
    case XlsxParts::Status::TooLarge:
        throw PartFault{
            u"Excel のファイル（.xlsx）の部品「%1」は展開すると大きすぎます（%2 MB まで）。"_s.arg(
                name, QString::number(limits.maxPartBytes / (1024 * 1024)))};
    case XlsxParts::Status::Broken:
        break;
    }
    throw PartFault{Broken.arg(name)};
}

/// The target of a relationship, as a part name: relative to the folder of the part `source`
/// ("xl/workbook.xml" and "worksheets/sheet1.xml" give "xl/worksheets/sheet1.xml"), or from the
/// archive's root when it starts with "/". Nothing when it leaves the archive.
std::optional<QString> resolveTarget(const QString& source, const QString& target)
{
    QStringList path = target.startsWith(u'/') ? QStringList() : source.split(u'/');
    if (!path.isEmpty())
        path.removeLast();
    for (const QString& step : target.split(u'/', Qt::SkipEmptyParts)) {
        if (step == u"..") {
            if (path.isEmpty())
                return std::nullopt;
            path.removeLast();
        } else if (step != u".") {
            path.append(step);
        }
    }
    return path.join(u'/');
}

/// The rels part of `source` ("xl/workbook.xml" has "xl/_rels/workbook.xml.rels").
QString relsOf(const QString& source)
{
    const qsizetype slash = source.lastIndexOf(u'/');
    return source.left(slash + 1) + u"_rels/"_s + source.mid(slash + 1) + u".rels"_s;
}

struct Relationship
{
    QString id, type, target;
};

QList<Relationship> relationships(const QByteArray& bytes, const QString& name)
{
    QList<Relationship> found;
    QXmlStreamReader xml(bytes);
    while (nextToken(xml) != QXmlStreamReader::Invalid && !xml.atEnd())
        if (xml.isStartElement() && xml.name() == u"Relationship") {
            const QXmlStreamAttributes a = xml.attributes();
            found.append({a.value("Id"_L1).toString(), a.value("Type"_L1).toString(),
                          a.value("Target"_L1).toString()});
        }
    if (xml.hasError())
        throw PartFault{Broken.arg(name)};
    return found;
}

/// The part a relationship of `source` whose type ends in `typeEnd` (or whose id is `id`) names.
std::optional<QString> related(const QList<Relationship>& rels, const QString& source, QStringView typeEnd,
                               const QString& id = {})
{
    for (const Relationship& r : rels)
        if (id.isEmpty() ? r.type.endsWith(typeEnd) : r.id == id)
            return resolveTarget(source, r.target);
    return std::nullopt;
}

/// The relationship id of the workbook's first sheet.
QString firstSheetId(const QByteArray& bytes, const QString& name)
{
    QXmlStreamReader xml(bytes);
    while (nextToken(xml) != QXmlStreamReader::Invalid && !xml.atEnd())
        if (xml.isStartElement() && xml.name() == u"sheet")
            for (const QXmlStreamAttribute& a : xml.attributes())
                if (a.name() == u"id" && !a.namespaceUri().isEmpty())
                    return a.value().toString();
    if (xml.hasError())
        throw PartFault{Broken.arg(name)};
    throw PartFault{u"Excel のブック（.xlsx）にシートがありません。"_s};
}

/// The text of the rich-text element the reader stands on (<si> or <is>): its <t> elements,
/// those of the phonetic readings (<rPh>) left out.
QString richText(QXmlStreamReader& xml)
{
    QString text;
    int phonetic = 0;
    for (int depth = 1; depth > 0 && nextToken(xml) != QXmlStreamReader::Invalid;) {
        if (xml.isStartElement()) {
            ++depth;
            if (xml.name() == u"rPh") {
                ++phonetic;
            } else if (xml.name() == u"t") {
                const QString t = xml.readElementText(QXmlStreamReader::SkipChildElements);
                --depth;
                if (phonetic == 0)
                    text += t;
            }
        } else if (xml.isEndElement()) {
            --depth;
            if (xml.name() == u"rPh")
                --phonetic;
        }
    }
    return text;
}

QStringList sharedStrings(const QByteArray& bytes, const QString& name, const XlsxLimits& limits)
{
    QStringList strings;
    QXmlStreamReader xml(bytes);
    while (nextToken(xml) != QXmlStreamReader::Invalid && !xml.atEnd())
        if (xml.isStartElement() && xml.name() == u"si") {
            if (strings.size() >= limits.maxSharedStrings)
                throw PartFault{u"Excel のファイル（.xlsx）の文字列が多すぎます。"_s};
            strings.append(richText(xml));
        }
    if (xml.hasError())
        throw PartFault{Broken.arg(name)};
    return strings;
}

/// The column (0 for A) and row (1-based, 0 when not written) of a cell reference such as "B12".
/// Nothing when it is no reference.
std::optional<std::pair<int, int>> cellReference(QStringView ref)
{
    int column = 0, row = 0;
    qsizetype i = 0;
    for (; i < ref.size() && ref[i] >= u'A' && ref[i] <= u'Z'; ++i) {
        if (i == 3)
            return std::nullopt; // past XFD, the last column a sheet has
        column = column * 26 + (ref[i].unicode() - u'A' + 1);
    }
    for (qsizetype d = i; d < ref.size(); ++d) {
        if (ref[d] < u'0' || ref[d] > u'9' || row > 10'000'000)
            return std::nullopt;
        row = row * 10 + (ref[d].unicode() - u'0');
    }
    if (i == 0)
        return std::nullopt;
    return std::pair(column - 1, row);
}

/// Reads the sheet's cells into `rows`: each <c> inside its <row>, placed by its reference.
class SheetReader
{
public:
    SheetReader(const QStringList& shared, const QString& name, const XlsxLimits& limits)
        : m_shared(shared), m_name(name), m_limits(limits)
    {
    }

    QList<QStringList> read(const QByteArray& bytes)
    {
        QXmlStreamReader xml(bytes);
        while (nextToken(xml) != QXmlStreamReader::Invalid && !xml.atEnd()) {
            if (xml.isStartElement() && xml.name() == u"row")
                startRow(xml.attributes().value("r"_L1));
            else if (xml.isStartElement() && xml.name() == u"c")
                cell(xml);
        }
        if (xml.hasError())
            throw PartFault{Broken.arg(m_name)};
        return m_rows;
    }

private:
    [[noreturn]] void broken() const { throw PartFault{Broken.arg(m_name)}; }

    void startRow(QStringView r)
    {
        bool ok = true;
        const int number = r.isEmpty() ? int(m_rows.size()) + 1 : r.toInt(&ok);
        // Rows come in order; a row number at or before the last one read is a damaged sheet.
        if (!ok || number <= m_rows.size())
            broken();
        if (number > m_limits.maxRows)
            throw PartFault{u"シートの行が多すぎます（%1 行まで）。"_s.arg(m_limits.maxRows)};
        m_rows.resize(number);
        m_column = 0;
    }

    void cell(QXmlStreamReader& xml)
    {
        if (m_rows.isEmpty())
            broken();
        const QXmlStreamAttributes a = xml.attributes();
        int column = m_column;
        if (a.hasAttribute("r"_L1)) {
            const auto ref = cellReference(a.value("r"_L1));
            if (!ref || (ref->second != 0 && ref->second != m_rows.size()))
                broken();
            column = ref->first;
        }
        m_column = column + 1;
        const QString value = cellValue(xml, a.value("t"_L1));
        if (column >= m_limits.maxColumns)
            return;
        QStringList& row = m_rows.last();
        if (row.size() <= column)
            row.resize(column + 1);
        row[column] = value;
    }

    QString cellValue(QXmlStreamReader& xml, QStringView type)
    {
        QString v, inlineText;
        for (int depth = 1; depth > 0 && nextToken(xml) != QXmlStreamReader::Invalid;) {
            if (xml.isStartElement() && xml.name() == u"v") {
                v = xml.readElementText(QXmlStreamReader::SkipChildElements);
            } else if (xml.isStartElement() && xml.name() == u"is") {
                inlineText = richText(xml);
            } else if (xml.isStartElement()) {
                ++depth;
            } else if (xml.isEndElement()) {
                --depth;
            }
        }
        if (type == u"inlineStr")
            return inlineText;
        if (type != u"s")
            return v; // numbers, booleans and formula results as the sheet writes them
        bool ok = false;
        const int index = v.trimmed().toInt(&ok);
        if (!ok || index < 0 || index >= m_shared.size())
            broken();
        return m_shared.at(index);
    }

    const QStringList& m_shared;
    QString m_name;
    XlsxLimits m_limits;
    QList<QStringList> m_rows;
    int m_column = 0;
};

SheetTable readTable(XlsxParts& parts, const XlsxLimits& limits)
{
    // The package names its workbook; a package without that relationship has it in the usual place.
    QString workbook = u"xl/workbook.xml"_s;
    QByteArray rootRels;
    if (parts.read(u"_rels/.rels"_s, &rootRels) == XlsxParts::Status::Ok)
        workbook =
            related(relationships(rootRels, u"_rels/.rels"_s), {}, u"/officeDocument").value_or(workbook);
    const QString sheetId = firstSheetId(part(parts, workbook, limits), workbook);
    const QString rels = relsOf(workbook);
    const QList<Relationship> workbookRels = relationships(part(parts, rels, limits), rels);
    const std::optional<QString> sheet = related(workbookRels, workbook, {}, sheetId);
    if (!sheet)
        throw PartFault{Broken.arg(rels)};
    QStringList shared;
    if (const std::optional<QString> strings = related(workbookRels, workbook, u"/sharedStrings"))
        shared = sharedStrings(part(parts, *strings, limits), *strings, limits);
    return {SheetReader(shared, *sheet, limits).read(part(parts, *sheet, limits)), {}};
}

} // namespace

SheetTable xlsxTable(const QByteArray& bytes, const XlsxLimits& limits)
{
    XlsxParts parts(bytes, limits);
    if (!parts.error().isEmpty())
        return {{}, parts.error()};
    try {
        return readTable(parts, limits);
    } catch (const PartFault& fault) {
        return {{}, fault.message};
    }
}

} // namespace tickora
