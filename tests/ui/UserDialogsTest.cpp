// SPDX-License-Identifier: GPL-3.0-or-later
// The real message boxes: a long path or a long list never makes a box larger than its screen,
// what is left out stays in the box's details, and a path is shown as the text it is.

#include "ui/UserDialogs.h"

#include "MainWindowFixture.h"

#include <QApplication>
#include <QLabel>
#include <QScreen>
#include <QTest>

using namespace stencilor::ui;

class UserDialogsTest final : public QObject {
    Q_OBJECT

private slots:
    void longTextIsBounded_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("lines");
        QTest::addColumn<bool>("cut");
        const QString path = QStringLiteral("/home/ann/") + QString(75000, u'x') + QStringLiteral("/data.csv");
        QTest::newRow("short") << QStringLiteral("Text file is empty\n/home/ann/data.csv") << 2 << false;
        QTest::newRow("a sentence that wraps")
            << QStringLiteral("Choose a default application for plain text files in the desktop's settings, or set "
                              "the environment variable $VISUAL to the command of an editor.")
            << 1 << false;
        QTest::newRow("a 75 KB path") << QStringLiteral("Cannot open file \"%1\". No such file").arg(path) << 1 << true;
        QStringList many;
        for (int i = 1; i <= 100; ++i)
            many << QStringLiteral("line %1").arg(i);
        QTest::newRow("a hundred lines") << many.join(u'\n') << 10 << true;
    }

    void longTextIsBounded()
    {
        QFETCH(QString, text);
        QFETCH(int, lines);
        QFETCH(bool, cut);
        const QFontMetrics metrics(QApplication::font());
        const BoundedText bounded = boundedMessageText(text, metrics, 400, 10);
        QCOMPARE(bounded.cut, cut);
        const QStringList shown = bounded.text.split(u'\n');
        QCOMPARE(shown.size(), lines);
        for (const QString& line : shown)
            QVERIFY2(metrics.horizontalAdvance(line) <= kWrappedLinesPerLine * 400, qPrintable(line.left(80)));
        if (!cut)
            QCOMPARE(bounded.text, text);
        // A path keeps its beginning and its end; a list says that it goes on.
        if (cut && lines == 1)
            QVERIFY(shown[0].startsWith(QStringLiteral("Cannot open file \"/home/ann/x")) &&
                    shown[0].endsWith(QStringLiteral("/data.csv\". No such file")));
        if (lines == 10)
            QCOMPARE(shown.last(), QStringLiteral("…"));
    }

    void aBoxWithAHugePathFitsItsScreen()
    {
        const QString path =
            QStringLiteral("/tmp/<b>") + QStringLiteral("folder/").repeated(10000) + QStringLiteral("</b>.csv");
        const QRect screen = QApplication::primaryScreen()->availableGeometry();
        SystemUserDialogs dialogs;
        QWidget parent;
        parent.show();
        const bool seen = test::whileModal(
            [&] { dialogs.message(&parent, QStringLiteral("Run"), QStringLiteral("Text file is empty"), path); },
            [&](QWidget* modal) {
                auto* box = qobject_cast<QMessageBox*>(modal);
                QVERIFY(box);
                const QSize size = box->frameGeometry().size();
                QVERIFY2(size.width() <= screen.width() && size.height() <= screen.height(),
                         qPrintable(QStringLiteral("%1x%2").arg(size.width()).arg(size.height())));
                // The whole path can still be read and copied, and is taken as text, not markup.
                QVERIFY(box->detailedText().contains(path));
                QCOMPARE(box->textFormat(), Qt::PlainText);
                auto* informative = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_informativelabel"));
                QVERIFY(informative);
                QCOMPARE(informative->textFormat(), Qt::PlainText);
            });
        QVERIFY(seen);
    }
};

QTEST_MAIN(UserDialogsTest)
#include "UserDialogsTest.moc"
