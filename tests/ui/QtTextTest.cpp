// SPDX-License-Identifier: GPL-3.0-or-later
// The window's one conversion between the core's bytes and Qt strings: every byte string comes
// back exactly, valid UTF-8 reads as the text it encodes, and every other byte stands for itself.

#include "ui/QtText.h"

#include <QTest>
#include <QUrl>
#include <string>

using stencilor::ui::fromQt;
using stencilor::ui::localFileUrl;
using stencilor::ui::toQt;

namespace {

// The Qt string of the lone surrogate that stands for the byte `byte`.
QString escaped(unsigned char byte)
{
    return QString(QChar(char16_t(0xDC00 + byte)));
}

} // namespace

class QtTextTest final : public QObject {
    Q_OBJECT

private slots:
    void everyByteStringComesBackExactly_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text");
        QTest::newRow("ASCII") << QByteArray("a;b") << QStringLiteral("a;b");
        QTest::newRow("NUL inside") << QByteArray("a\0b", 3) << QString::fromUtf16(u"a\0b", 3);
        QTest::newRow("UTF-8 of every length") << QByteArray("\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80")
                                               << QString::fromUtf8("\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80");
        QTest::newRow("byte-order mark") << QByteArray("\xEF\xBB\xBFx") << QStringLiteral("\uFEFFx");
        QTest::newRow("Latin-1 letters") << QByteArray("K\xE4rte\xA7")
                                         << QStringLiteral("K") + escaped(0xE4) + QStringLiteral("rte") + escaped(0xA7);
        QTest::newRow("cut-off sequence") << QByteArray("\xE2\x82;") << escaped(0xE2) + escaped(0x82) + u';';
        QTest::newRow("cut off at the end")
            << QByteArray("\xF0\x9F\x98") << escaped(0xF0) + escaped(0x9F) + escaped(0x98);
        QTest::newRow("lone continuation byte") << QByteArray("\x80") << escaped(0x80);
        QTest::newRow("overlong form") << QByteArray("\xC0\xAF\xE0\x80\xAF")
                                       << escaped(0xC0) + escaped(0xAF) + escaped(0xE0) + escaped(0x80) + escaped(0xAF);
        QTest::newRow("encoded surrogate")
            << QByteArray("\xED\xA0\x80") << escaped(0xED) + escaped(0xA0) + escaped(0x80);
        QTest::newRow("beyond U+10FFFF") << QByteArray("\xF4\x90\x80\x80")
                                         << escaped(0xF4) + escaped(0x90) + escaped(0x80) + escaped(0x80);
        QTest::newRow("never in UTF-8") << QByteArray("\xF5\xFE\xFF") << escaped(0xF5) + escaped(0xFE) + escaped(0xFF);
        QTest::newRow("valid beside invalid")
            << QByteArray("\xE9\xC3\xA9\xE9") << escaped(0xE9) + QChar(0xE9) + escaped(0xE9);
        QTest::newRow("largest code point") << QByteArray("\xF4\x8F\xBF\xBF") << QString::fromUcs4(U"\U0010FFFF");
    }

    void everyByteStringComesBackExactly()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        const std::string core = bytes.toStdString();
        QCOMPARE(toQt(core), text);
        QCOMPARE(QByteArray::fromStdString(fromQt(toQt(core))), bytes);
    }

    void surrogatesNoBytesGiveBecomeReplacementCharacters()
    {
        // A lone high surrogate, and a lone low one outside the range that stands for bytes.
        for (char16_t unit : {char16_t(0xD800), char16_t(0xDC7F), char16_t(0xDD00)})
            QCOMPARE(fromQt(QString(QChar(unit)) + u'x'), std::string("\xEF\xBF\xBDx"));
    }

    void fileUrlKeepsEveryByte_data()
    {
        QTest::addColumn<QByteArray>("path");
        QTest::addColumn<QByteArray>("url");
        QTest::newRow("UTF-8, blank and #")
            << QByteArray("/tmp/a b#c/\xC3\xA9.html") << QByteArray("file:///tmp/a%20b%23c/%C3%A9.html");
        QTest::newRow("Latin-1") << QByteArray("/tmp/r\xA7/report.html") << QByteArray("file:///tmp/r%A7/report.html");
    }

    void fileUrlKeepsEveryByte()
    {
        QFETCH(QByteArray, path);
        QFETCH(QByteArray, url);
        QCOMPARE(localFileUrl(toQt(path.toStdString())).toEncoded(), url);
    }
};

QTEST_APPLESS_MAIN(QtTextTest)
#include "QtTextTest.moc"
