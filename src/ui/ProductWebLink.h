// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// TGoToWeb, the unit GoToWeb.
// The web links: a click on the product's name or picture opens the product's web page in the
// desktop's default browser, found afresh from the desktop's associations at every click.

#include <QObject>
#include <QString>
#include <string>

class QLineEdit;
class QWidget;

namespace stencilor::ui {

class ProgramLauncher;
class UserDialogs;

// The product's web page, held by the hidden field `ePurchase` of the main window and of the
// about box.
inline constexpr char kProductPageAddress[] = "https://stencilor.org/";

// The window state asked of the started browser.
enum class TBrowserState { gwMaximized, gwNormal };

// Starts the web browser on an address (non-visual; one instance per window).
class TGoToWeb final : public QObject {
    Q_OBJECT
public:
    explicit TGoToWeb(ProgramLauncher& launcher, QObject* parent = nullptr);

    // The browser is started through `launcher` from now on; it must outlive the component.
    void setLauncher(ProgramLauncher& launcher) { m_launcher = &launcher; }

    // The address GoToUrl opens.
    QString Url() const { return m_url; }
    void setUrl(const QString& url) { m_url = url; }

    // Kept as the windows set it (gwMaximized). Linux has no way to ask another program's window
    // to open maximized, so the desktop places the browser's window as it places any other.
    TBrowserState BrowserState() const { return m_browserState; }
    void setBrowserState(TBrowserState state) { m_browserState = state; }

    // The Exec value of the desktop's default browser (see findBrowserCommand); empty when none.
    std::string FindBrowserCommand() const;

    // The browser program of FindBrowserCommand, or empty. As a side result it sets the extra
    // arguments shared by all instances (browserArguments), which an empty command leaves as they were.
    std::string GetBrowserProgram() const;

    // The extra arguments the last GetBrowserProgram of any instance found.
    static const std::string& browserArguments() { return s_browserArguments; }

    // Starts the browser with the extra arguments (split at blanks) and then Url, each one
    // argument, without waiting; false when no browser is known or it did not start.
    bool GoToUrl();

private:
    ProgramLauncher* m_launcher;
    QString m_url;
    TBrowserState m_browserState = TBrowserState::gwMaximized;

    static std::string s_browserArguments;
};

// Creates the hidden field `ePurchase` holding kProductPageAddress, a child of `parent`.
QLineEdit* createPurchaseField(QWidget* parent);

// The web link of a window: sets the Url of `goToWeb` to the text of `ePurchase` and opens it;
// when that fails, shows `failureText` in an error box captioned "Error" over `parent`.
void openProductPage(TGoToWeb& goToWeb, const QLineEdit& ePurchase, UserDialogs& dialogs, QWidget* parent,
                     const QString& failureText);

} // namespace stencilor::ui
