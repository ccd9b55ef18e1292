// SPDX-License-Identifier: GPL-3.0-or-later
// The about box in its two uses: the start-up splash, which never waits for the user, and the
// About command, modal until OK.

#include "ui/AboutDialog.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>

using stencilor::ui::productPicture;
using stencilor::ui::TAboutForm;

class AboutDialogTest final : public QObject {
    Q_OBJECT

private slots:
    void splashDoesNotWaitForTheUser();
    void aboutIsModalUntilOk();
    void showsNameVersionAndPicture();
    void productPictureIsDrawn_data();
    void productPictureIsDrawn();
};

void AboutDialogTest::splashDoesNotWaitForTheUser()
{
    TAboutForm form;
    form.showAsSplash(); // returns at once: it must not run a loop of its own
    QVERIFY(form.isVisible());
    QVERIFY(!form.isModal());
    QCOMPARE(QApplication::activeModalWidget(), nullptr);

    auto* ok = form.findChild<QPushButton*>(QStringLiteral("sbOK"));
    QVERIFY(ok);
    QVERIFY(!ok->isEnabled());
    QVERIFY(ok->isFlat());
    QCOMPARE(ok->text(), QStringLiteral("Wait..."));
}

void AboutDialogTest::aboutIsModalUntilOk()
{
    TAboutForm form;
    auto* ok = form.findChild<QPushButton*>(QStringLiteral("sbOK"));
    QVERIFY(ok);
    QCOMPARE(form.windowTitle(), QStringLiteral("About"));
    QVERIFY(ok->isEnabled());
    QCOMPARE(ok->text(), QStringLiteral("OK"));

    bool wasModal = false;
    QTimer::singleShot(0, &form, [&] {
        wasModal = QApplication::activeModalWidget() == &form;
        QTest::mouseClick(ok, Qt::LeftButton);
    });
    QCOMPARE(form.exec(), int(QDialog::Accepted));
    QVERIFY(wasModal);
    QVERIFY(!form.isVisible());
}

void AboutDialogTest::showsNameVersionAndPicture()
{
    TAboutForm form;
    auto* name = form.findChild<QLabel*>(QStringLiteral("Label5"));
    auto* version = form.findChild<QLabel*>(QStringLiteral("Label10"));
    auto* image = form.findChild<QLabel*>(QStringLiteral("AboutImage"));
    auto* licence = form.findChild<QLabel*>(QStringLiteral("labelLicence"));
    QVERIFY(name && version && image && licence);
    QCOMPARE(name->text(), QStringLiteral("Stencilor"));
    QCOMPARE(version->text(), QStringLiteral("Version 3.01"));
    QVERIFY(licence->text().contains(QStringLiteral("GNU General Public License, version 3 or later")));
    QVERIFY(!image->pixmap().isNull());
}

void AboutDialogTest::productPictureIsDrawn_data()
{
    QTest::addColumn<int>("size");
    QTest::newRow("tray icon") << 16;
    QTest::newRow("window icon") << 64;
    QTest::newRow("large") << 256;
}

void AboutDialogTest::productPictureIsDrawn()
{
    QFETCH(int, size);
    const QImage image = productPicture(size).toImage();
    QCOMPARE(image.size(), QSize(size, size));
    // Opaque in the middle (the picture is there), transparent in the corner (it is an icon,
    // not a square).
    QCOMPARE(qAlpha(image.pixel(size / 2, size / 2)), 255);
    QCOMPARE(qAlpha(image.pixel(0, 0)), 0);
}

QTEST_MAIN(AboutDialogTest)
#include "AboutDialogTest.moc"
