// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/AboutDialog.h"

#include "ui/ProductWebLink.h"
#include "ui/ProgramLauncher.h"
#include "ui/ScreenPlacement.h"
#include "ui/UserDialogs.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QVBoxLayout>

namespace stencilor::ui {

namespace {

const QColor kStripColour(180, 201, 226);
constexpr int kClientWidth = 315;
constexpr int kClientHeight = 275;
constexpr int kTopStripHeight = 21;
constexpr int kBottomStripHeight = 22;
constexpr int kBannerWidth = 258;
constexpr int kBannerHeight = 95;

// One sheet of paper (44 x 56 sheet units in `sheet`). With `lines`, it carries text lines, and
// `field` > 0 marks the second one as a filled-in field of that width.
void drawSheet(QPainter& painter, const QRectF& sheet, const QColor& paper, bool lines, qreal field)
{
    const qreal unit = sheet.width() / 44.0;
    painter.setPen(QPen(QColor(70, 92, 128), 1.6 * unit));
    painter.setBrush(paper);
    painter.drawRoundedRect(sheet, 3 * unit, 3 * unit);
    if (!lines)
        return;

    painter.setPen(Qt::NoPen);
    const auto line = [&](qreal y, qreal width, const QColor& colour) {
        painter.setBrush(colour);
        painter.drawRoundedRect(QRectF(sheet.left() + 7 * unit, sheet.top() + y * unit, width * unit, 5 * unit),
                                2 * unit, 2 * unit);
    };
    const QColor text(150, 164, 186);
    line(9, 30, text);
    if (field > 0)
        line(19, field, QColor(240, 140, 30));
    line(field > 0 ? 29 : 19, 26, text);
    line(field > 0 ? 39 : 29, 30, text);
}

// The wide picture of the about box: the product picture, an arrow, and a row of generated files.
QPixmap aboutBanner()
{
    QPixmap banner(kBannerWidth, kBannerHeight);
    banner.fill(Qt::transparent);
    QPainter painter(&banner);
    painter.setRenderHint(QPainter::Antialiasing);

    QLinearGradient band(0, 0, kBannerWidth, 0);
    band.setColorAt(0, kStripColour);
    band.setColorAt(1, QColor(240, 245, 251));
    painter.setPen(Qt::NoPen);
    painter.setBrush(band);
    painter.drawRoundedRect(QRectF(0, 0, kBannerWidth, kBannerHeight), 8, 8);

    painter.drawPixmap(8, 7, productPicture(81));

    // The arrow: one template becomes many files.
    painter.setPen(QPen(QColor(40, 86, 150), 4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.drawLine(QPointF(98, 47.5), QPointF(124, 47.5));
    painter.drawPolyline(QPolygonF({QPointF(116, 39.5), QPointF(125, 47.5), QPointF(116, 55.5)}));

    const qreal widths[] = {22, 14, 27, 18};
    for (int i = 0; i < 4; ++i)
        drawSheet(painter, QRectF(134 + i * 30, 24 + (i % 2) * 6, 24, 30.5), Qt::white, true, widths[i]);
    return banner;
}

QFont arialBold(int pixelSize)
{
    QFont font(QStringLiteral("Arial"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(pixelSize);
    font.setBold(true);
    return font;
}

// An empty band of the strip colour, `height` pixels high.
QFrame* makeStrip(QWidget* parent, const QString& name, int height)
{
    auto* strip = new QFrame(parent);
    strip->setObjectName(name);
    strip->setFixedHeight(height);
    strip->setAutoFillBackground(true);
    QPalette palette = strip->palette();
    palette.setColor(QPalette::Window, kStripColour);
    strip->setPalette(palette);
    return strip;
}

} // namespace

QPixmap productPicture(int size)
{
    QPixmap picture(std::max(size, 1), std::max(size, 1));
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    // Drawn in a 100 x 100 square.
    painter.scale(picture.width() / 100.0, picture.height() / 100.0);

    QLinearGradient tile(0, 0, 0, 100);
    tile.setColorAt(0, QColor(58, 128, 204));
    tile.setColorAt(1, QColor(28, 76, 146));
    painter.setPen(Qt::NoPen);
    painter.setBrush(tile);
    painter.drawRoundedRect(QRectF(2, 2, 96, 96), 18, 18);

    drawSheet(painter, QRectF(40, 10, 44, 56), QColor(214, 226, 242), false, 0);
    drawSheet(painter, QRectF(29, 20, 44, 56), QColor(234, 241, 250), false, 0);
    drawSheet(painter, QRectF(18, 30, 44, 56), Qt::white, true, 24);
    return picture;
}

TAboutForm::TAboutForm(QWidget* parent)
    : TAboutForm(std::make_unique<SystemUserDialogs>(), std::make_unique<SystemProgramLauncher>(), parent)
{
}

TAboutForm::TAboutForm(UserDialogs& dialogs, ProgramLauncher& launcher, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
    , m_dialogs(dialogs)
{
    GoToWeb1 = new TGoToWeb(launcher, this);
    GoToWeb1->setBrowserState(TBrowserState::gwMaximized);
    ePurchase = createPurchaseField(this);
    setObjectName(QStringLiteral("AboutForm"));
    setWindowTitle(tr("About"));
    setFixedSize(kClientWidth, kClientHeight);
    setAutoFillBackground(true);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, Qt::white);
    palette.setColor(QPalette::WindowText, Qt::black);
    setPalette(palette);

    Panel3 = makeStrip(this, QStringLiteral("Panel3"), kTopStripHeight);
    Panel4 = makeStrip(this, QStringLiteral("Panel4"), kBottomStripHeight);

    AboutImage = new QLabel(this);
    AboutImage->setObjectName(QStringLiteral("AboutImage"));
    AboutImage->setFixedSize(kBannerWidth, kBannerHeight);
    AboutImage->setPixmap(aboutBanner());

    Label5 = new QLabel(tr("Stencilor"), this);
    Label5->setObjectName(QStringLiteral("Label5"));
    Label5->setFont(arialBold(21));
    Label5->setAlignment(Qt::AlignHCenter);

    Label10 = new QLabel(tr("Version %1").arg(QStringLiteral(STENCILOR_VERSION)), this);
    Label10->setObjectName(QStringLiteral("Label10"));
    Label10->setFont(arialBold(13));
    Label10->setAlignment(Qt::AlignHCenter);

    labelLicence = new QLabel(tr("Free software under the GNU General Public License, version 3 or later"), this);
    labelLicence->setObjectName(QStringLiteral("labelLicence"));
    labelLicence->setWordWrap(true);
    labelLicence->setAlignment(Qt::AlignHCenter);

    sbOK = new QPushButton(tr("OK"), this);
    sbOK->setObjectName(QStringLiteral("sbOK"));
    sbOK->setFont(arialBold(13));
    sbOK->setFixedSize(54, 49);
    sbOK->setDefault(true);
    connect(sbOK, &QPushButton::clicked, this, &TAboutForm::sbOKClick);

    auto* white = new QVBoxLayout;
    white->setContentsMargins(8, 8, 8, 6);
    white->setSpacing(2);
    white->addWidget(AboutImage, 0, Qt::AlignHCenter);
    white->addSpacing(6);
    white->addWidget(Label5);
    white->addWidget(Label10);
    white->addWidget(labelLicence);
    white->addStretch(1);
    white->addWidget(sbOK, 0, Qt::AlignRight);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(Panel3);
    layout->addLayout(white, 1);
    layout->addWidget(Panel4);

    for (QWidget* link :
         {static_cast<QWidget*>(Panel3), static_cast<QWidget*>(Panel4), static_cast<QWidget*>(AboutImage),
          static_cast<QWidget*>(Label5), static_cast<QWidget*>(Label10)}) {
        link->setCursor(Qt::PointingHandCursor);
        link->installEventFilter(this);
    }
}

TAboutForm::TAboutForm(std::unique_ptr<UserDialogs> ownDialogs, std::unique_ptr<ProgramLauncher> ownLauncher,
                       QWidget* parent)
    : TAboutForm(*ownDialogs, *ownLauncher, parent)
{
    m_ownDialogs = std::move(ownDialogs);
    m_ownLauncher = std::move(ownLauncher);
}

TAboutForm::~TAboutForm() = default;

void TAboutForm::showAsSplash()
{
    setModal(false);
    sbOK->setText(tr("Wait..."));
    sbOK->setFlat(true);
    sbOK->setEnabled(false);
    show();
    raise();
}

void TAboutForm::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    centreOnScreen(this);
}

void TAboutForm::sbOKClick()
{
    accept();
}

bool TAboutForm::eventFilter(QObject* watched, QEvent* event)
{
    // A click is a left-button release over the part that was pressed.
    if (event->type() == QEvent::MouseButtonRelease) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        const auto* part = qobject_cast<QWidget*>(watched);
        if (mouse->button() == Qt::LeftButton && part && part->rect().contains(mouse->position().toPoint())) {
            if (watched == Panel3 || watched == Panel4)
                Panel1Click();
            else
                AboutImageClick();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TAboutForm::Panel1Click()
{
    openProductPage(*GoToWeb1, *ePurchase, m_dialogs, this, tr("No internet connection.."));
}

void TAboutForm::AboutImageClick()
{
    openProductPage(*GoToWeb1, *ePurchase, m_dialogs, this, tr("No Internet connection.."));
}

} // namespace stencilor::ui
