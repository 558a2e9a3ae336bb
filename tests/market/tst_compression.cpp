// Text answers go gzip-compressed to a client that accepts it; pictures and others as they are.

#include "compression.h"
#include "server.h"

#include <httplib.h>
#include <zlib.h>

#include <QTest>

using namespace Qt::StringLiterals;
using namespace tickora::market;

class TestCompression : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // Whether a client's Accept-Encoding takes gzip, and whether an answer's type is worth compressing.
    void gzipDecisions_data()
    {
        QTest::addColumn<bool>("isHeader"); ///< false: the text is a content type
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("yes");
        QTest::newRow("gzip") << true << u"gzip"_s << true;
        QTest::newRow("gzip at a low weight, upper case") << true << u"deflate, GZIP;q=0.1"_s << true;
        QTest::newRow("x-gzip") << true << u"x-gzip"_s << true;
        QTest::newRow("any coding") << true << u"*"_s << true;
        QTest::newRow("no header") << true << QString() << false;
        QTest::newRow("gzip refused by a weight of zero") << true << u"gzip;q=0"_s << false;
        QTest::newRow("other codings only") << true << u"deflate, br"_s << false;
        QTest::newRow("a longer word") << true << u"gzipped"_s << false;
        QTest::newRow("JSON") << false << u"application/json; charset=utf-8"_s << true;
        QTest::newRow("picture") << false << u"image/png"_s << false;
    }
    void gzipDecisions()
    {
        QFETCH(bool, isHeader);
        QFETCH(QString, text);
        QFETCH(bool, yes);
        QCOMPARE(isHeader ? acceptsGzip(text.toStdString()) : isCompressibleType(text.toStdString()), yes);
    }

    // What gzipCompress() writes inflates back to the text it was given.
    void compressedTextInflatesBack()
    {
        std::string text;
        for (int i = 0; i < 2000; ++i)
            text += "<p>株価 " + std::to_string(i) + "</p>\n";
        const std::string packed = gzipCompress(text);
        QVERIFY(packed.size() < text.size() / 4);
        QVERIFY(QByteArray::fromStdString(packed).startsWith("\x1f\x8b"));
        std::string inflated(text.size() + 16, '\0');
        z_stream z{};
        QCOMPARE(inflateInit2(&z, 16 + MAX_WBITS), Z_OK);
        z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(packed.data()));
        z.avail_in = uInt(packed.size());
        z.next_out = reinterpret_cast<Bytef*>(inflated.data());
        z.avail_out = uInt(inflated.size());
        const int result = inflate(&z, Z_FINISH);
        inflated.resize(z.total_out);
        inflateEnd(&z);
        QCOMPARE(result, Z_STREAM_END);
        QVERIFY(inflated == text);
    }

    // Through the market: a page compressed when asked, a picture never, and read back inflated.
    void compressesWhenAsked()
    {
        MarketServer server({{u"7203"_s, u"トヨタ自動車"_s}},
                            ServerOptions{.stockPages = StockPageForm::State});
        const int port = server.startInBackground(0);
        QVERIFY(port > 0);
        httplib::Client client("127.0.0.1", port);
        client.set_decompress(false);
        const auto plain = client.Get("/quote/7203.T", {{"Accept-Encoding", "identity"}});
        const auto packed = client.Get("/quote/7203.T", {{"Accept-Encoding", "br, gzip;q=0.5"}});
        QVERIFY(plain && packed && plain->status == 200 && packed->status == 200);
        QVERIFY(!plain->has_header("Content-Encoding") && plain->body.size() > 300000);
        QCOMPARE(packed->get_header_value("Content-Encoding"), "gzip");
        QVERIFY2(packed->body.size() < plain->body.size() / 4, std::to_string(packed->body.size()).c_str());
        QVERIFY(QByteArray::fromStdString(packed->body).startsWith("\x1f\x8b"));
        const auto picture = client.Get("/f?s=7203.T", {{"Accept-Encoding", "gzip"}});
        QVERIFY(picture && !picture->has_header("Content-Encoding"));
        // Read back inflated: the next minute's page, whole.
        client.set_decompress(true);
        const auto inflated = client.Get("/quote/7203.T", {{"Accept-Encoding", "gzip"}});
        QVERIFY(inflated && inflated->get_header_value("Content-Encoding") == "gzip" &&
                inflated->body.ends_with("</html>\n"));
    }
};

QTEST_MAIN(TestCompression)
#include "tst_compression.moc"
