// The main window's report options, template preview and web link: Report Options edits the
// report's six columns, the template's Preview opens it in the text editor, and the product name
// in the toolbar opens the product's web page.

#include "ui/MainWindow.h"
#include "ui/ProductWebLink.h"
#include "ui/QtText.h"
#include "ui/ReportOptionsDialog.h"
#include "ui/TemplatePreview.h"
#include "ui/UserDialogs.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QToolButton>

namespace stencilor::ui {

void T_FRMain::createShellParts()
{
    // Created once, hidden, and reused for every opening.
    m_formSetupReport = new TformSetupReport(this);
    connect(btnSetupRep, &QToolButton::clicked, this, &T_FRMain::btnSetupRepClick);
    connect(SpeedButton14, &QPushButton::clicked, this, &T_FRMain::SpeedButton14Click);

    GoToWeb1 = new TGoToWeb(*m_launcher, this);
    GoToWeb1->setBrowserState(TBrowserState::gwMaximized);
    ePurchase = createPurchaseField(this);
    Label5->setCursor(Qt::PointingHandCursor);
    Label5->installEventFilter(this);
}

void T_FRMain::setProgramLauncher(ProgramLauncher& launcher)
{
    m_launcher = &launcher;
    GoToWeb1->setLauncher(launcher);
}

bool T_FRMain::eventFilter(QObject* watched, QEvent* event)
{
    // The product name is clicked when the left button is released over it.
    if (watched == Label5 && event->type() == QEvent::MouseButtonRelease) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton && Label5->rect().contains(mouse->position().toPoint())) {
            Label5Click();
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void T_FRMain::btnSetupRepClick()
{
    if (!m_formSetupReport)
        m_formSetupReport = new TformSetupReport(this);
    // The lists follow the data file the data source check examined last.
    QStringList fieldList;
    for (int i = 0; i < cbDirectoryField->count(); ++i)
        fieldList << cbDirectoryField->itemText(i);
    std::string report_fld = m_report_fld;
    if (m_formSetupReport->runFor(fieldList, report_fld))
        m_report_fld = std::move(report_fld);
}

void T_FRMain::SpeedButton14Click()
{
    previewTemplate(*m_launcher, fromQt(EdTemplateFile->text()), projectPath(), m_env.programFolder);
}

void T_FRMain::Label5Click()
{
    openProductPage(*GoToWeb1, *ePurchase, m_dialogs, this, QStringLiteral("No internet connection.."));
}

} // namespace stencilor::ui
