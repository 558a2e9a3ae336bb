#include "watchlist.h"

#include "exchange/securitycode.h"
#include "platform/savefile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <QStringEncoder>

#include <algorithm>
#include <optional>

namespace tickora {

using namespace Qt::StringLiterals;

namespace {

// A file larger than this is not a watch list; only its beginning is looked at.
constexpr qint64 ReadCap = 4 * 1024 * 1024;

QString quoted(const QString& text)
{
    QString s = text;
    s.replace(u'"', u"\"\""_s);
    return u'"' + s + u'"';
}

QString shown(const QString& text)
{
    constexpr qsizetype Max = 20;
    return text.size() > Max ? text.left(Max) + u"…"_s : text;
}

// Splits one line into its fields; nothing when a quote is left open or followed by text.
std::optional<QStringList> splitFields(QStringView line)
{
    QStringList fields;
    qsizetype i = 0;
    const qsizetype n = line.size();
    while (true) {
        QString field;
        if (i < n && line[i] == u'"') {
            ++i;
            bool closed = false;
            while (i < n) {
                if (line[i] == u'"') {
                    if (i + 1 < n && line[i + 1] == u'"') {
                        field += u'"';
                        i += 2;
                        continue;
                    }
                    ++i;
                    closed = true;
                    break;
                }
                field += line[i++];
            }
            if (!closed || (i < n && line[i] != u','))
                return std::nullopt;
        } else {
            const qsizetype comma = line.indexOf(u',', i);
            const qsizetype end = comma == -1 ? n : comma;
            field = line.mid(i, end - i).toString();
            i = end;
        }
        fields.append(field);
        if (i >= n)
            return fields;
        ++i; // the comma; a comma at the very end opens one more, empty field
        if (fields.size() > WatchListFields)
            return fields; // too many already; the caller rejects it
    }
}

// Qt's Shift_JIS codec (ICU's IBM table) moves three control codes around (U+001A is written as
// 0x7F, U+001C as 0x1A, U+007F as 0x1C, and read back the same way); CP932 keeps them at their
// ASCII bytes. These bytes never occur inside a double-byte character, so text is converted in
// runs between them and they are passed through as they are.
bool isMovedControl(char16_t c)
{
    return c == 0x1A || c == 0x1C || c == 0x7F;
}

std::optional<QString> decodeCp932(QByteArrayView bytes)
{
    QStringDecoder cp932("Shift_JIS", QStringConverter::Flag::Stateless);
    QString text;
    qsizetype start = 0;
    for (qsizetype i = 0; i <= bytes.size(); ++i) {
        if (i < bytes.size() && !isMovedControl(uchar(bytes[i])))
            continue;
        text += cp932.decode(bytes.sliced(start, i - start));
        if (i < bytes.size())
            text += QChar(char16_t(uchar(bytes[i])));
        start = i + 1;
    }
    if (cp932.hasError())
        return std::nullopt;
    return text;
}

// Decodes one line: UTF-8 when it carries non-ASCII bytes that form valid UTF-8, CP932 otherwise;
// `utf8Only` (the line after a UTF-8 signature) refuses CP932. Nothing when the bytes are neither.
// Pairs of half-width katakana in CP932 (ﾃｽ is C3 BD) can also form two-byte UTF-8 sequences,
// which hold no kana or kanji (those take three bytes in UTF-8): such a line is read as CP932, the
// encoding this program writes, unless the file starts with a UTF-8 signature.
std::optional<QString> decodeLine(QByteArrayView bytes, bool utf8File, bool utf8Only)
{
    bool ascii = true;
    for (char c : bytes)
        ascii = ascii && uchar(c) < 0x80;
    if (ascii)
        return QString::fromLatin1(bytes);
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    const QString asUtf8 = utf8.decode(bytes);
    if (!utf8.hasError()) {
        const bool beyondTwoBytes =
            std::any_of(asUtf8.cbegin(), asUtf8.cend(), [](QChar c) { return c.unicode() >= 0x800; });
        if (utf8File || beyondTwoBytes)
            return asUtf8;
        if (std::optional<QString> asCp932 = decodeCp932(bytes))
            return asCp932;
        return asUtf8;
    }
    if (utf8Only)
        return std::nullopt;
    return decodeCp932(bytes);
}

std::optional<WatchRow> parseLine(const QString& line)
{
    if (line.trimmed().isEmpty())
        return std::nullopt;
    const std::optional<QStringList> fields = splitFields(line);
    if (!fields || fields->size() != WatchListFields)
        return std::nullopt;
    // No issue's code is longer than five characters (the file's numbers never passed 32767).
    const std::optional<QString> code = canonicalCode(fields->front());
    if (!code || code->size() > WatchListMaxCodeLength)
        return std::nullopt;
    WatchRow row = *fields;
    row[0] = *code;
    return row;
}

QString writeFailure(const QString& path, const QString& reason)
{
    const QString native = QDir::toNativeSeparators(path);
    const QFileInfo info(path);
    QString why;
    if (info.isDir())
        why = u"「%1」と同じ名前のフォルダーがあるため、ファイルを書き込めません。"_s.arg(native);
    else
        why = u"「%1」に書き込めませんでした（%2）。"_s.arg(native, reason);
    if (info.isFile())
        why += u"\n前に保存したファイルはそのまま残っています。"_s;
    return why;
}

const QString NotSaved = u"ウォッチリストを保存できませんでした。\n"_s;

} // namespace

// Writes each character CP932 cannot hold (a surrogate pair counts as one) as "?", as the
// system's own conversion of this file format always did.
QString storableInCp932(const QString& text)
{
    const QString mapped = mapForCp932(text);
    QString out;
    out.reserve(mapped.size());
    for (qsizetype i = 0; i < mapped.size();) {
        const qsizetype len =
            (mapped[i].isHighSurrogate() && i + 1 < mapped.size() && mapped[i + 1].isLowSurrogate()) ? 2 : 1;
        const QStringView one = QStringView(mapped).sliced(i, len);
        QStringEncoder single("Shift_JIS", QStringConverter::Flag::Stateless);
        const QByteArray ignored = single.encode(one);
        out += single.hasError() ? QStringView(u"?") : one; // a lone surrogate is an error too
        i += len;
    }
    return out;
}

QString mapForCp932(QString text)
{
    // Qt's Shift_JIS tables follow JIS here; CP932 keeps these characters at other code points.
    static constexpr std::pair<char16_t, char16_t> Map[] = {
        {u'\u301C', u'\uFF5E'}, // 〜 → ～
        {u'\u2212', u'\uFF0D'}, // − → －
        {u'\u2016', u'\u2225'}, // ‖ → ∥
        {u'\u00AC', u'\uFFE2'}, // ¬ → ￢
        {u'\u00A5', u'\uFFE5'}, // ¥ → ￥
    };
    for (const auto& [from, to] : Map)
        text.replace(QChar(from), QChar(to));
    return text;
}

bool encodeCp932(const QString& text, QByteArray* out, QString* bad)
{
    const QString mapped = mapForCp932(text);
    QStringEncoder encoder("Shift_JIS", QStringConverter::Flag::Stateless);
    QByteArray bytes;
    qsizetype start = 0;
    for (qsizetype i = 0; i <= mapped.size(); ++i) {
        if (i < mapped.size() && !isMovedControl(mapped[i].unicode()))
            continue;
        bytes += encoder.encode(QStringView(mapped).sliced(start, i - start));
        if (i < mapped.size())
            bytes += char(mapped[i].unicode());
        start = i + 1;
    }
    if (!encoder.hasError()) {
        *out = bytes;
        return true;
    }
    // Find the first character (a whole surrogate pair counts as one) that fails alone.
    if (bad) {
        for (qsizetype i = 0; i < mapped.size();) {
            const QString one = mapped.mid(i, mapped[i].isHighSurrogate() ? 2 : 1); // cut at the end
            QStringEncoder single("Shift_JIS", QStringConverter::Flag::Stateless);
            const QByteArray ignored = single.encode(one);
            if (single.hasError()) {
                *bad = one;
                break;
            }
            i += one.size();
        }
    }
    return false;
}

WatchListBytes formatWatchList(const QList<WatchRow>& rows)
{
    WatchListBytes result;
    for (qsizetype r = 0; r < rows.size(); ++r) {
        const WatchRow& row = rows[r];
        const int rowNumber = int(r) + 1;
        auto cell = [&](int col) { return row.value(col); };

        const std::optional<QString> code = canonicalCode(cell(0));
        if (!code) {
            result.error = u"%1行目の Code「%2」は証券コードの形ではないため、ファイルに書けません。"_s.arg(
                QString::number(rowNumber), shown(cell(0)));
            result.bytes.clear();
            return result;
        }
        QString line = *code;
        // A text cell never stops the save: a line break (which would end the record) becomes a
        // blank, and a character CP932 lacks becomes "?".
        for (int col = 1; col < WatchListFields; ++col) {
            QString text = cell(col);
            text.replace(u'\r', u' ').replace(u'\n', u' ');
            line += u',' + quoted(text);
        }
        line += u"\r\n"_s;

        QByteArray bytes;
        if (!encodeCp932(line, &bytes) && !encodeCp932(storableInCp932(line), &bytes)) {
            result.error = u"%1行目を Shift_JIS（CP932）に変換できないため、ファイルに書けません。"_s.arg(
                QString::number(rowNumber));
            result.bytes.clear();
            return result;
        }
        result.bytes += bytes;
    }
    return result;
}

WatchListContent parseWatchList(const QByteArray& bytes)
{
    WatchListContent content;
    QByteArrayView rest(bytes);
    bool utf8Signature = false;
    if (rest.startsWith("\xEF\xBB\xBF")) {
        utf8Signature = true;
        rest = rest.sliced(3);
    }
    int lineNumber = 0;
    while (!rest.isEmpty() && content.rows.size() < WatchListMaxRows) {
        ++lineNumber;
        const qsizetype lf = rest.indexOf('\n');
        QByteArrayView lineBytes = lf < 0 ? rest : rest.first(lf);
        rest = lf < 0 ? QByteArrayView() : rest.sliced(lf + 1);
        if (lineBytes.endsWith('\r'))
            lineBytes.chop(1);

        const std::optional<QString> text =
            decodeLine(lineBytes, utf8Signature, utf8Signature && lineNumber == 1);
        const std::optional<WatchRow> row = text ? parseLine(*text) : std::nullopt;
        if (row)
            content.rows.append(*row);
        else
            content.skippedLines.append(lineNumber);
    }
    return content;
}

QString skippedLinesMessage(const QList<int>& lines)
{
    if (lines.isEmpty())
        return {};
    constexpr int Listed = 10;
    QStringList numbers;
    for (qsizetype i = 0; i < lines.size() && i < Listed; ++i)
        numbers.append(QString::number(lines[i]));
    QString list = numbers.join(u"、"_s) + u" 行目"_s;
    if (lines.size() > Listed)
        list += u"（ほか %1 行）"_s.arg(lines.size() - Listed);
    return u"ウォッチリストの次の行は形式が正しくないため、読み込みませんでした。\n%1"_s.arg(list);
}

QString saveWatchList(const QString& path, const QList<WatchRow>& rows)
{
    const WatchListBytes file = formatWatchList(rows);
    if (!file.ok())
        return NotSaved + file.error;
    const QString folder = QFileInfo(path).absolutePath();
    if (!QDir().mkpath(folder)) // it fails also where a file has the folder's name
        return NotSaved + u"データフォルダー「%1」がなく、作成することもできません。"_s.arg(
                              QDir::toNativeSeparators(folder));
    QString reason;
    if (!saveFileAtomically(path, file.bytes, &reason))
        return NotSaved + writeFailure(path, reason);
    return {};
}

WatchListLoad loadWatchList(const QString& path)
{
    WatchListLoad load;
    const QFileInfo info(path);
    const QString native = QDir::toNativeSeparators(path);
    if (!QFileInfo(info.absolutePath()).isDir()) {
        load.error = u"データフォルダー「%1」がありません。ウォッチリストを開けませんでした。"_s.arg(
            QDir::toNativeSeparators(info.absolutePath()));
        return load;
    }
    if (!info.exists()) {
        load.error = u"ウォッチリストのファイル「%1」がありません。"_s.arg(native);
        return load;
    }
    if (info.isDir()) {
        load.error = u"「%1」はフォルダーのため、ウォッチリストとして開けません。"_s.arg(native);
        return load;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        load.error =
            u"ウォッチリストのファイル「%1」を読み込めませんでした（%2）。"_s.arg(native, file.errorString());
        return load;
    }
    QByteArray bytes = file.read(ReadCap);
    if (file.error() != QFileDevice::NoError) {
        load.error =
            u"ウォッチリストのファイル「%1」を読み込めませんでした（%2）。"_s.arg(native, file.errorString());
        return load;
    }
    if (!file.atEnd()) {
        // Only whole lines of the part that was read (nothing when it holds no line end).
        bytes.truncate(bytes.lastIndexOf('\n') + 1);
    }
    load.content = parseWatchList(bytes);
    return load;
}

} // namespace tickora
