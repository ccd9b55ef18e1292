// SPDX-License-Identifier: GPL-3.0-or-later
// The flat picture button: a click only when the mouse button is released over it, the greyed
// picture while the mouse is away and the coloured one while it is over it, the pressed look.

#include "ui/ExplorerButton.h"

#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>

using stencilor::ui::TExplorerButton;

namespace {

QPixmap redPicture()
{
    QPixmap picture(24, 24);
    picture.fill(QColor(220, 20, 20));
    return picture;
}

// True when the button as drawn shows a strongly red pixel, i.e. its picture in colour.
bool showsColour(TExplorerButton& button)
{
    const QImage image = button.grab().toImage();
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor pixel = image.pixelColor(x, y);
            if (pixel.red() > 150 && pixel.green() < 80 && pixel.blue() < 80)
                return true;
        }
    return false;
}

} // namespace

class ExplorerButtonTest final : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void clickFiresOnReleaseOverIt_data();
    void clickFiresOnReleaseOverIt();
    void pictureIsGreyUntilTheMouseIsOverIt();
    void isDrawnPressedWhileHeld();

private:
    QWidget* m_host = nullptr;
    TExplorerButton* m_button = nullptr;
};

void ExplorerButtonTest::init()
{
    // The host leaves room around the button, so the mouse can be moved off it.
    m_host = new QWidget;
    m_host->resize(200, 120);
    m_button = new TExplorerButton(m_host);
    m_button->setText(QStringLiteral("Close"));
    m_button->setPicture(redPicture());
    m_button->setFixedSize(59, 46);
    m_button->move(70, 37);
    m_host->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_host));
}

void ExplorerButtonTest::cleanup()
{
    delete m_host;
    m_host = nullptr;
    m_button = nullptr;
}

void ExplorerButtonTest::clickFiresOnReleaseOverIt_data()
{
    QTest::addColumn<QPoint>("releaseAt");
    QTest::addColumn<QList<QPoint>>("movesWhileHeld");
    QTest::addColumn<int>("clicks");

    const QPoint centre(29, 23);
    QTest::newRow("released where pressed") << centre << QList<QPoint>{} << 1;
    QTest::newRow("released at the far corner inside") << QPoint(58, 45) << QList<QPoint>{QPoint(58, 45)} << 1;
    QTest::newRow("released right of it") << QPoint(70, 23) << QList<QPoint>{QPoint(70, 23)} << 0;
    QTest::newRow("released just below it") << QPoint(29, 46) << QList<QPoint>{QPoint(29, 46)} << 0;
    QTest::newRow("dragged off and back") << centre << QList<QPoint>{QPoint(-20, 23), centre} << 1;
}

void ExplorerButtonTest::clickFiresOnReleaseOverIt()
{
    QFETCH(QPoint, releaseAt);
    QFETCH(QList<QPoint>, movesWhileHeld);
    QFETCH(int, clicks);

    QSignalSpy clicked(m_button, &TExplorerButton::clicked);
    QTest::mousePress(m_button, Qt::LeftButton, {}, QPoint(29, 23));
    QVERIFY(m_button->isDown());
    QCOMPARE(clicked.count(), 0); // pressing alone never clicks
    for (const QPoint& at : movesWhileHeld)
        QTest::mouseMove(m_button, at);
    QTest::mouseRelease(m_button, Qt::LeftButton, {}, releaseAt);
    QCOMPARE(clicked.count(), clicks);
    QVERIFY(!m_button->isDown());
}

void ExplorerButtonTest::pictureIsGreyUntilTheMouseIsOverIt()
{
    QVERIFY(!showsColour(*m_button));

    QTest::mouseMove(m_host, m_button->geometry().center());
    QTRY_VERIFY(m_button->isHot());
    QVERIFY(showsColour(*m_button));

    QTest::mouseMove(m_host, QPoint(5, 5));
    QTRY_VERIFY(!m_button->isHot());
    QVERIFY(!showsColour(*m_button));

    // A disabled button stays grey under the mouse.
    m_button->setEnabled(false);
    QTest::mouseMove(m_host, m_button->geometry().center());
    QVERIFY(!showsColour(*m_button));
    m_button->setEnabled(true);
    QTRY_VERIFY(showsColour(*m_button));

    // Hidden under the mouse (its window closed by it), it gets no leave event; shown again it
    // must not look hovered.
    m_host->hide();
    m_host->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_host));
    QVERIFY(!m_button->isHot());
    QVERIFY(!showsColour(*m_button));
}

void ExplorerButtonTest::isDrawnPressedWhileHeld()
{
    QTest::mouseMove(m_host, m_button->geometry().center());
    QTRY_VERIFY(m_button->isHot());
    const QImage hovered = m_button->grab().toImage();

    QTest::mousePress(m_button, Qt::LeftButton, {}, QPoint(29, 23));
    const QImage pressed = m_button->grab().toImage();
    QVERIFY(pressed != hovered);
    QVERIFY(showsColour(*m_button));

    QTest::mouseRelease(m_button, Qt::LeftButton, {}, QPoint(29, 23));
    QCOMPARE(m_button->grab().toImage(), hovered);
}

QTEST_MAIN(ExplorerButtonTest)
#include "ExplorerButtonTest.moc"
