#include "codelistimport.h"

#include "xlsxtable.h"

#include "exchange/securitycode.h"
#include "platform/savefile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QStringDecoder>

#include <freexl.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <string>

#include <sys/wait.h>
#include <unistd.h>

namespace tickora {

using namespace Qt::StringLiterals;

namespace {

/// The exchange's list has ten columns and a few thousand rows; a sheet far beyond that is no such list.
constexpr unsigned MaxColumns = 32;
constexpr unsigned MaxRows = 200000;

QString decodeCsv(QByteArrayView bytes)
{
    if (bytes.startsWith("\xEF\xBB\xBF"))
        return QString::fromUtf8(bytes.sliced(3));
    QStringDecoder utf8(QStringConverter::Utf8);
    const QString text = utf8.decode(bytes);
    if (!utf8.hasError())
        return text;
    QStringDecoder cp932("Shift_JIS");
    return cp932.decode(bytes);
}

// How the child that reads a workbook sends its cells: each cell ends in CellEnd, each row in RowEnd.
constexpr char CellEnd = '\x1F';
constexpr char RowEnd = '\x1E';

std::string cellBytes(const FreeXL_CellValue& cell)
{
    switch (cell.type) {
    case FREEXL_CELL_INT:
        return std::to_string(cell.value.int_value);
    case FREEXL_CELL_DOUBLE: {
        // Codes of digits alone are numbers in the workbook: 1301 is stored as 1301.0.
        const double d = cell.value.double_value;
        if (std::isfinite(d) && d == std::floor(d) && std::abs(d) < 1e15)
            return std::to_string(static_cast<long long>(d));
        char text[32];
        std::snprintf(text, sizeof text, "%.15g", d);
        return text;
    }
    case FREEXL_CELL_TEXT:
    case FREEXL_CELL_SST_TEXT:
    case FREEXL_CELL_DATE:
    case FREEXL_CELL_DATETIME:
    case FREEXL_CELL_TIME: {
        std::string text = cell.value.text_value;
        std::replace_if(
            text.begin(), text.end(), [](char c) { return c == CellEnd || c == RowEnd; }, ' ');
        return text;
    }
    default:
        return {};
    }
}

// The child's work: the cells of the first worksheet of the workbook at `path`, written to `fd`.
bool sendWorkbookCells(const char* path, int fd)
{
    const void* handle = nullptr;
    unsigned rowCount = 0;
    unsigned short columnCount = 0;
    // FreeXL wants its handle closed even when opening failed; the child's end closes everything.
    if (freexl_open(path, &handle) != FREEXL_OK || freexl_select_active_worksheet(handle, 0) != FREEXL_OK ||
        freexl_worksheet_dimensions(handle, &rowCount, &columnCount) != FREEXL_OK)
        return false;
    std::string cells;
    for (unsigned r = 0; r < std::min(rowCount, MaxRows); ++r) {
        for (unsigned short c = 0; c < std::min<unsigned>(columnCount, MaxColumns); ++c) {
            FreeXL_CellValue cell;
            if (freexl_get_cell_value(handle, r, c, &cell) != FREEXL_OK)
                return false;
            cells += cellBytes(cell) + CellEnd;
        }
        cells += RowEnd;
    }
    for (std::string_view rest = cells; !rest.empty();) {
        const ssize_t n = write(fd, rest.data(), rest.size());
        if (n < 0 && errno != EINTR)
            return false;
        rest.remove_prefix(n > 0 ? size_t(n) : 0);
    }
    return true;
}

QString refused(const QString& source, const QString& why)
{
    return u"tickora: 「%1」からコード一覧を作れません。%2\nコード一覧は変更していません。\n"_s.arg(
        QDir::toNativeSeparators(source), why);
}

QSet<QString> codesOf(const QList<CodeListEntry>& entries)
{
    QSet<QString> codes;
    for (const CodeListEntry& e : entries)
        codes.insert(e.code);
    return codes;
}

} // namespace

ExchangeList exchangeListFromTable(const QList<QStringList>& rows)
{
    ExchangeList list;
    const QStringList header = rows.value(0);
    const qsizetype codeAt = header.indexOf(u"コード"_s), nameAt = header.indexOf(u"銘柄名"_s);
    if (codeAt < 0 || nameAt < 0) {
        list.error = u"1行目に「コード」と「銘柄名」の列がなく、取引所の上場銘柄一覧ではありません。"_s;
        return list;
    }
    for (qsizetype r = 1; r < rows.size(); ++r) {
        const QStringList& row = rows[r];
        if (row.join(QString()).trimmed().isEmpty())
            continue;
        const std::optional<QString> code = canonicalCode(row.value(codeAt));
        const QString name = row.value(nameAt).trimmed();
        if (!code || name.isEmpty()) {
            list.error =
                !code
                    ? u"%1行目のコード「%2」は証券コードではありません。"_s.arg(r + 1).arg(row.value(codeAt))
                    : u"%1行目に銘柄名がありません。"_s.arg(r + 1);
            list.entries.clear();
            return list;
        }
        list.entries.append({*code, name});
    }
    if (list.entries.isEmpty())
        list.error = u"銘柄が 1 件もありません。"_s;
    return list;
}

QList<QStringList> csvTable(const QByteArray& bytes)
{
    const QString text = decodeCsv(bytes);
    QList<QStringList> rows;
    QStringList row;
    QString field;
    bool quoted = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (quoted) {
            if (c != u'"')
                field += c;
            else if (i + 1 < text.size() && text[i + 1] == u'"')
                field += text[++i];
            else
                quoted = false;
        } else if (c == u'"') {
            quoted = true;
        } else if (c == u',') {
            row.append(std::exchange(field, {}));
        } else if (c == u'\n') {
            if (field.endsWith(u'\r'))
                field.chop(1);
            row.append(std::exchange(field, {}));
            rows.append(std::exchange(row, {}));
        } else {
            field += c;
        }
    }
    if (!field.isEmpty() || !row.isEmpty()) {
        row.append(field);
        rows.append(row);
    }
    return rows;
}

std::optional<QList<QStringList>> excelTable(const QString& path)
{
    // FreeXL reads past its own buffers on some damaged workbooks (found by fuzzing), so it reads
    // in a child process: whatever befalls it there, this process only learns the file is unreadable.
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0)
        return std::nullopt;
    const QByteArray name = QFile::encodeName(path);
    const pid_t child = fork();
    if (child == 0) {
        close(pipeEnds[0]);
        _exit(sendWorkbookCells(name.constData(), pipeEnds[1]) ? 0 : 1);
    }
    close(pipeEnds[1]);
    QByteArray cells;
    char buffer[65536];
    for (ssize_t n; child > 0 && cells.size() <= CodeList::MaxFileSize * 2 &&
                    ((n = read(pipeEnds[0], buffer, sizeof buffer)) > 0 || (n < 0 && errno == EINTR));)
        cells.append(buffer, n > 0 ? n : 0);
    close(pipeEnds[0]); // a child still writing then fails and ends
    int status = 0;
    if (child < 0 || waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return std::nullopt;
    QList<QStringList> rows;
    for (const QByteArray& row : cells.split(RowEnd)) {
        if (row.isEmpty())
            continue;
        QStringList texts;
        for (const QByteArray& cell : row.chopped(1).split(CellEnd))
            texts.append(QString::fromUtf8(cell));
        rows.append(texts);
    }
    return rows;
}

ExchangeList readExchangeList(const QString& path)
{
    ExchangeList list;
    const QFileInfo info(path);
    QFile file(path);
    if (!info.isFile() || !file.open(QIODevice::ReadOnly)) {
        list.error = u"ファイルを開けません。"_s;
        return list;
    }
    if (info.size() > CodeList::MaxFileSize) {
        list.error = u"取引所の上場銘柄一覧にしては大きすぎます。"_s;
        return list;
    }
    const QByteArray bytes = file.readAll();
    if (bytes.startsWith("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1")) { // the container of .xls workbooks
        const std::optional<QList<QStringList>> table = excelTable(path);
        if (!table) {
            list.error = u"Excel のファイルとして読めません（壊れているか、対応していない形式です）。"_s;
            return list;
        }
        return exchangeListFromTable(*table);
    }
    if (isZipArchive(bytes)) { // an Office Open XML workbook (.xlsx), as the list is published now
        const SheetTable table = xlsxTable(bytes);
        if (!table.error.isEmpty()) {
            list.error = table.error;
            return list;
        }
        return exchangeListFromTable(table.rows);
    }
    return exchangeListFromTable(csvTable(bytes));
}

CodeListImport importCodeList(const QString& source, const QString& target, bool force)
{
    const ExchangeList list = readExchangeList(source);
    if (!list.error.isEmpty())
        return {false, refused(source, list.error)};

    QByteArray bytes;
    for (const CodeListEntry& entry : list.entries)
        bytes += codeListLine(entry);
    QFile old(target);
    QByteArray oldBytes;
    const bool hadOld = old.exists();
    if (hadOld && (!old.open(QIODevice::ReadOnly) || (oldBytes = old.readAll(), old.error())))
        return {false, refused(source, u"今のコード一覧「%1」を読めません。"_s.arg(
                                           QDir::toNativeSeparators(target)))};
    const QSet<QString> before = codesOf(parseCodeList(oldBytes)), after = codesOf(list.entries);
    if (!force && after.size() * 2 < before.size())
        return {false,
                refused(source, u"新しい一覧は %1 銘柄で、今のコード一覧（%2 銘柄）の半分に足りません。"
                                u"一覧の一部だけか、別のファイルかもしれません。"
                                u"それでも置き換えるときは --force を付けてください。"_s.arg(after.size())
                                    .arg(before.size()))};

    QString reason;
    const QString backup = target + u".bak"_s;
    const bool saved = QDir().mkpath(QFileInfo(target).absolutePath()) &&
                       (!hadOld || saveFileAtomically(backup, oldBytes, &reason)) &&
                       saveFileAtomically(target, bytes, &reason);
    if (!saved)
        return {false, refused(source, u"書き込みに失敗しました（%1）。"_s.arg(reason))};
    const QString kept = hadOld ? u"前の一覧は「%1」に残しました。"_s.arg(QDir::toNativeSeparators(backup))
                                : u"前の一覧はありませんでした。"_s;
    return {true, u"コード一覧「%1」に %2 銘柄を書き込みました。前の一覧より追加 %3、削除 %4。%5\n"_s
                      .arg(QDir::toNativeSeparators(target))
                      .arg(list.entries.size())
                      .arg((after - before).size())
                      .arg((before - after).size())
                      .arg(kept)};
}

} // namespace tickora
