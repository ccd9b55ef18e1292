// SPDX-License-Identifier: GPL-3.0-or-later
// The web links of the about box and the browser launcher behind them, and the template
// preview's editor start, all against a private desktop: nothing real is started.

#include "ui/ProductWebLink.h"

#include "FakeDesktop.h"
#include "ScriptedDialogs.h"
#include "ui/AboutDialog.h"
#include "ui/TemplatePreview.h"

#include <QLabel>
#include <QLineEdit>
#include <QTest>

using stencilor::ui::kProductPageAddress;
using stencilor::ui::TAboutForm;
using stencilor::ui::TGoToWeb;
using stencilor::ui::test::FakeDesktop;
using stencilor::ui::test::RecordingLauncher;
using stencilor::ui::test::ScriptedDialogs;

class ProductWebLinkTest final : public QObject {
    Q_OBJECT

private slots:
    void goToUrlStartsTheDefaultBrowserWithTheAddress();
    void goToUrlFailsWithoutABrowser();
    void goToUrlFailsWhenTheBrowserDoesNotStart();
    void theBrowserIsLookedUpAtEveryOpening();
    void aboutBoxLinksOpenTheProductPage_data();
    void aboutBoxLinksOpenTheProductPage();
    void aboutBoxLinkFailuresSayTheirText_data();
    void aboutBoxLinkFailuresSayTheirText();
    void templatePreviewOpensTheResolvedFileInTheEditor_data();
    void templatePreviewOpensTheResolvedFileInTheEditor();
    void templatePreviewWithoutAnEditorStartsNothing();
};

void ProductWebLinkTest::goToUrlStartsTheDefaultBrowserWithTheAddress()
{
    FakeDesktop desktop;
    desktop.addApplication(QStringLiteral("web.desktop"), R"("/opt/My Web/browser" --new-window  -x "%u")");
    desktop.setDefault("x-scheme-handler/http", "web.desktop");
    RecordingLauncher launcher;
    TGoToWeb web(launcher);
    web.setUrl(QStringLiteral("https://example.org/a b?c=%d"));

    QVERIFY(web.GoToUrl());
    QCOMPARE(TGoToWeb::browserArguments(), std::string("--new-window  -x"));
    QCOMPARE(launcher.starts().size(), std::size_t(1));
    QCOMPARE(launcher.starts()[0].program, QStringLiteral("/opt/My Web/browser"));
    // The address is one argument as it stands, after the browser's own arguments.
    QCOMPARE(launcher.starts()[0].arguments, QStringList({QStringLiteral("--new-window"), QStringLiteral("-x"),
                                                          QStringLiteral("https://example.org/a b?c=%d")}));
}

void ProductWebLinkTest::goToUrlFailsWithoutABrowser()
{
    FakeDesktop desktop;
    desktop.addApplication(QStringLiteral("web.desktop"), "web --extra %u");
    desktop.setDefault("text/html", "web.desktop");
    RecordingLauncher launcher;
    TGoToWeb web(launcher);
    web.setUrl(QStringLiteral("https://example.org/"));
    QVERIFY(web.GoToUrl());
    QCOMPARE(TGoToWeb::browserArguments(), std::string("--extra"));

    // A desktop whose default names an application that is not installed.
    desktop.setDefault("text/html", "gone.desktop");
    TGoToWeb other(launcher);
    other.setUrl(QStringLiteral("https://example.org/"));
    QVERIFY(!other.GoToUrl());
    QCOMPARE(launcher.starts().size(), std::size_t(1));
    QCOMPARE(other.GetBrowserProgram(), std::string());
    // Shared by all instances, and left as it was when no command is found.
    QCOMPARE(TGoToWeb::browserArguments(), std::string("--extra"));
}

void ProductWebLinkTest::goToUrlFailsWhenTheBrowserDoesNotStart()
{
    FakeDesktop desktop;
    desktop.addApplication(QStringLiteral("web.desktop"), "web %u");
    desktop.setDefault("x-scheme-handler/https", "web.desktop");
    RecordingLauncher launcher;
    launcher.setSucceeds(false);
    TGoToWeb web(launcher);
    web.setUrl(QStringLiteral("https://example.org/"));
    QVERIFY(!web.GoToUrl());
    QCOMPARE(launcher.starts().size(), std::size_t(1));
}

void ProductWebLinkTest::theBrowserIsLookedUpAtEveryOpening()
{
    FakeDesktop desktop;
    desktop.addApplication(QStringLiteral("one.desktop"), "one %u");
    desktop.addApplication(QStringLiteral("two.desktop"), "two %U");
    desktop.setDefault("x-scheme-handler/http", "one.desktop");
    RecordingLauncher launcher;
    TGoToWeb web(launcher);
    web.setUrl(QStringLiteral("https://example.org/"));
    QVERIFY(web.GoToUrl());
    desktop.setDefault("x-scheme-handler/http", "two.desktop");
    QVERIFY(web.GoToUrl());
    QCOMPARE(launcher.starts().size(), std::size_t(2));
    QCOMPARE(launcher.starts()[0].program, QStringLiteral("one"));
    QCOMPARE(launcher.starts()[1].program, QStringLiteral("two"));
}

void ProductWebLinkTest::aboutBoxLinksOpenTheProductPage_data()
{
    QTest::addColumn<QString>("part");
    for (const char* part : {"Panel3", "Panel4", "AboutImage", "Label5", "Label10"})
        QTest::newRow(part) << QString::fromLatin1(part);
}

void ProductWebLinkTest::aboutBoxLinksOpenTheProductPage()
{
    QFETCH(QString, part);
    FakeDesktop desktop;
    desktop.addApplication(QStringLiteral("web.desktop"), "web %u");
    desktop.setDefault("x-scheme-handler/http", "web.desktop");
    ScriptedDialogs dialogs;
    RecordingLauncher launcher;
    TAboutForm about(dialogs, launcher);
    about.show();

    auto* ePurchase = about.findChild<QLineEdit*>(QStringLiteral("ePurchase"));
    QVERIFY(ePurchase);
    QVERIFY(!ePurchase->isVisible());
    QCOMPARE(ePurchase->text(), QString::fromLatin1(kProductPageAddress));

    auto* clicked = about.findChild<QWidget*>(part);
    QVERIFY(clicked);
    // Only a left click opens the page.
    QTest::mouseClick(clicked, Qt::RightButton);
    QVERIFY(launcher.starts().empty());
    QTest::mouseClick(clicked, Qt::LeftButton);
    QCOMPARE(launcher.starts().size(), std::size_t(1));
    QCOMPARE(launcher.starts()[0].program, QStringLiteral("web"));
    QCOMPARE(launcher.starts()[0].arguments, QStringList{QString::fromLatin1(kProductPageAddress)});
    QVERIFY(dialogs.shown().empty());
    QVERIFY(about.isVisible());
}

void ProductWebLinkTest::aboutBoxLinkFailuresSayTheirText_data()
{
    QTest::addColumn<QString>("part");
    QTest::addColumn<bool>("browserInstalled");
    QTest::addColumn<QString>("text");
    const QString strips = QStringLiteral("No internet connection..");
    const QString picture = QStringLiteral("No Internet connection..");
    QTest::newRow("top strip, no browser") << QStringLiteral("Panel3") << false << strips;
    QTest::newRow("bottom strip, browser does not start") << QStringLiteral("Panel4") << true << strips;
    QTest::newRow("picture, no browser") << QStringLiteral("AboutImage") << false << picture;
    QTest::newRow("name, browser does not start") << QStringLiteral("Label5") << true << picture;
    QTest::newRow("version, no browser") << QStringLiteral("Label10") << false << picture;
}

void ProductWebLinkTest::aboutBoxLinkFailuresSayTheirText()
{
    QFETCH(QString, part);
    QFETCH(bool, browserInstalled);
    QFETCH(QString, text);
    FakeDesktop desktop;
    if (browserInstalled) {
        desktop.addApplication(QStringLiteral("web.desktop"), "web %u");
        desktop.setDefault("x-scheme-handler/http", "web.desktop");
    }
    ScriptedDialogs dialogs;
    RecordingLauncher launcher;
    launcher.setSucceeds(false);
    TAboutForm about(dialogs, launcher);
    about.show();

    QTest::mouseClick(about.findChild<QWidget*>(part), Qt::LeftButton);
    QCOMPARE(launcher.starts().size(), std::size_t(browserInstalled ? 1 : 0));
    QCOMPARE(dialogs.shown().size(), std::size_t(1));
    QCOMPARE(dialogs.shown()[0].kind, ScriptedDialogs::Kind::Error);
    QCOMPARE(dialogs.shown()[0].caption, QStringLiteral("Error"));
    QCOMPARE(dialogs.shown()[0].text, text);
}

void ProductWebLinkTest::templatePreviewOpensTheResolvedFileInTheEditor_data()
{
    QTest::addColumn<QString>("templatePath");
    QTest::addColumn<QString>("projectPath");
    QTest::addColumn<QString>("opened");
    QTest::newRow("full path") << QStringLiteral("/Jobs/card.html") << QStringLiteral("/Other/cards.ql")
                               << QStringLiteral("/Jobs/card.html");
    QTest::newRow("bare name") << QStringLiteral("card.html") << QStringLiteral("/Jobs/cards.ql")
                               << QStringLiteral("/Jobs/card.html");
    QTest::newRow("bare project name") << QStringLiteral("card.html") << QStringLiteral("cards.ql")
                                       << QStringLiteral("/prog/card.html");
    QTest::newRow("empty") << QString() << QStringLiteral("/Jobs/cards.ql") << QStringLiteral("/Jobs/");
    QTest::newRow("blanks") << QStringLiteral("/My Jobs/card one.html") << QStringLiteral("/Jobs/cards.ql")
                            << QStringLiteral("/My Jobs/card one.html");
}

void ProductWebLinkTest::templatePreviewOpensTheResolvedFileInTheEditor()
{
    QFETCH(QString, templatePath);
    QFETCH(QString, projectPath);
    QFETCH(QString, opened);
    FakeDesktop desktop;
    desktop.addApplication(QStringLiteral("editor.desktop"), "text-editor --new-window %U");
    desktop.setDefault("text/plain", "editor.desktop");
    RecordingLauncher launcher;
    stencilor::ui::previewTemplate(launcher, templatePath.toStdString(), projectPath.toStdString(), "/prog/");
    QCOMPARE(launcher.starts().size(), std::size_t(1));
    QCOMPARE(launcher.starts()[0].program, QStringLiteral("text-editor"));
    QCOMPARE(launcher.starts()[0].arguments, QStringList({QStringLiteral("--new-window"), opened}));
}

void ProductWebLinkTest::templatePreviewWithoutAnEditorStartsNothing()
{
    FakeDesktop desktop;
    RecordingLauncher launcher;
    QVERIFY(!stencilor::ui::previewTemplate(launcher, "/Jobs/card.html", "/Jobs/cards.ql", "/prog/").started);
    QVERIFY(launcher.starts().empty());

    // $VISUAL comes next, once its program is installed.
    qputenv("VISUAL", "my-editor -w");
    QVERIFY(!stencilor::ui::previewTemplate(launcher, "/Jobs/card.html", "/Jobs/cards.ql", "/prog/").started);
    desktop.addProgram(QStringLiteral("my-editor"));
    QVERIFY(stencilor::ui::previewTemplate(launcher, "/Jobs/card.html", "/Jobs/cards.ql", "/prog/").started);
    QCOMPARE(launcher.starts().size(), std::size_t(1));
    QCOMPARE(launcher.starts()[0].program, QStringLiteral("my-editor"));
    QCOMPARE(launcher.starts()[0].arguments, QStringList({QStringLiteral("-w"), QStringLiteral("/Jobs/card.html")}));
}

QTEST_MAIN(ProductWebLinkTest)
#include "ProductWebLinkTest.moc"
