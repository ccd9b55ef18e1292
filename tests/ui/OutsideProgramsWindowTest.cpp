// SPDX-License-Identifier: GPL-3.0-or-later
// The window's commands that start outside programs: the template's Preview in the text editor,
// the product name and the about box's links in the browser, driven through the real window;
// the programs go to a recording launcher on a private desktop.

#include "FakeDesktop.h"
#include "MainWindowFixture.h"
#include "ui/ProductWebLink.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

using namespace stencilor::ui;
using stencilor::ui::test::FakeDesktop;
using stencilor::ui::test::MainWindowFixture;
using stencilor::ui::test::RecordingLauncher;

class OutsideProgramsWindowTest : public QObject {
    Q_OBJECT

private slots:
    void previewOpensTheTemplateInTheTextEditor()
    {
        FakeDesktop desktop;
        desktop.addApplication(QStringLiteral("editor.desktop"), "text-editor %F");
        desktop.setDefault("text/plain", "editor.desktop");
        RecordingLauncher launcher;
        MainWindowFixture f;
        f.write(QStringLiteral("work/My Job.ql"), "[setup]\ntemplatefile=card one.html\n");
        f.open(f.path(QStringLiteral("work/My Job.ql")));
        f.window()->setProgramLauncher(launcher);

        // A bare name lies beside the project; nothing is checked, the file need not exist.
        QTest::mouseClick(f.widget<QPushButton>("SpeedButton14"), Qt::LeftButton);
        QCOMPARE(launcher.starts().size(), std::size_t(1));
        QCOMPARE(launcher.starts()[0].program, QStringLiteral("text-editor"));
        QCOMPARE(launcher.starts()[0].arguments, QStringList{f.path(QStringLiteral("work/card one.html"))});

        f.widget<QLineEdit>("EdTemplateFile")->setText(QStringLiteral("/elsewhere/t.txt"));
        QTest::mouseClick(f.widget<QPushButton>("SpeedButton14"), Qt::LeftButton);
        QCOMPARE(launcher.starts().at(1).arguments, QStringList{QStringLiteral("/elsewhere/t.txt")});

        // An editor that does not start is named in the message for no editor.
        QVERIFY(f.dialogs().shown().empty());
        launcher.setSucceeds(false);
        QTest::mouseClick(f.widget<QPushButton>("SpeedButton14"), Qt::LeftButton);
        QCOMPARE(launcher.starts().size(), std::size_t(3));
        QCOMPARE(f.dialogs().shown().size(), std::size_t(1));
        QCOMPARE(f.dialogs().shown()[0].text, QStringLiteral("No text editor was found to open the template."));
        QVERIFY2(f.dialogs().shown()[0].detail.startsWith(QStringLiteral("Tried: text-editor.")),
                 qPrintable(f.dialogs().shown()[0].detail));
    }

    void productNameOpensTheProductPage()
    {
        FakeDesktop desktop;
        RecordingLauncher launcher;
        MainWindowFixture f;
        f.open();
        f.window()->setProgramLauncher(launcher);
        auto* ePurchase = f.widget<QLineEdit>("ePurchase");
        QVERIFY(!ePurchase->isVisible());
        QCOMPARE(ePurchase->text(), QString::fromLatin1(kProductPageAddress));

        // No browser: the window's own failure text.
        QTest::mouseClick(f.widget<QLabel>("Label5"), Qt::LeftButton);
        QVERIFY(launcher.starts().empty());
        QCOMPARE(f.dialogs().shown().size(), std::size_t(1));
        QCOMPARE(f.dialogs().shown()[0].kind, test::ScriptedDialogs::Kind::Error);
        QCOMPARE(f.dialogs().shown()[0].caption, QStringLiteral("Error"));
        QCOMPARE(f.dialogs().shown()[0].text, QStringLiteral("No internet connection.."));

        desktop.addApplication(QStringLiteral("web.desktop"), "web --new-tab %u");
        desktop.setDefault("x-scheme-handler/http", "web.desktop");
        QTest::mouseClick(f.widget<QLabel>("Label5"), Qt::LeftButton);
        QCOMPARE(launcher.starts().size(), std::size_t(1));
        QCOMPARE(launcher.starts()[0].program, QStringLiteral("web"));
        QCOMPARE(launcher.starts()[0].arguments,
                 QStringList({QStringLiteral("--new-tab"), QString::fromLatin1(kProductPageAddress)}));
        QCOMPARE(f.dialogs().shown().size(), std::size_t(1));
    }

    void theAboutBoxLinksGoThroughTheWindowsLauncher()
    {
        FakeDesktop desktop;
        desktop.addApplication(QStringLiteral("web.desktop"), "web %u");
        desktop.setDefault("text/html", "web.desktop");
        RecordingLauncher launcher;
        MainWindowFixture f;
        f.open();
        f.window()->setProgramLauncher(launcher);

        bool clicked = false;
        QTimer::singleShot(0, f.window(), [&] {
            QWidget* about = QApplication::activeModalWidget();
            if (!about || about == f.window())
                return;
            QTest::mouseClick(about->findChild<QWidget*>(QStringLiteral("Panel3")), Qt::LeftButton);
            clicked = true;
            QTest::mouseClick(about->findChild<QPushButton*>(QStringLiteral("sbOK")), Qt::LeftButton);
        });
        f.action("About2")->trigger();
        QVERIFY(clicked);
        QCOMPARE(launcher.starts().size(), std::size_t(1));
        QCOMPARE(launcher.starts()[0].arguments, QStringList{QString::fromLatin1(kProductPageAddress)});
    }
};

QTEST_MAIN(OutsideProgramsWindowTest)
#include "OutsideProgramsWindowTest.moc"
