// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// TAboutForm, the unit About.
// The about box: product picture, name and version between two coloured strips. Shown modally by
// About > About, and without modality as the start-up splash while the first project loads. A
// click on a strip, the picture or a label opens the product's web page.

#include <QDialog>
#include <QPixmap>
#include <memory>

class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;

namespace stencilor::ui {

class ProgramLauncher;
class TGoToWeb;
class UserDialogs;

class TAboutForm final : public QDialog {
    Q_OBJECT
public:
    // A box whose web links start the real browser and show real message boxes.
    explicit TAboutForm(QWidget* parent = nullptr);
    // A box whose web links start the browser through `launcher` and report a failure through
    // `dialogs`; both must outlive the box.
    TAboutForm(UserDialogs& dialogs, ProgramLauncher& launcher, QWidget* parent = nullptr);
    ~TAboutForm() override;

    // Shows the box as the start-up splash: without modality, its OK button flat, disabled and
    // captioned "Wait...". Returns at once; the caller discards the box when start-up is done.
    void showAsSplash();

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    TAboutForm(std::unique_ptr<UserDialogs> ownDialogs, std::unique_ptr<ProgramLauncher> ownLauncher, QWidget* parent);

    void sbOKClick();
    // The web links: both strips, and the picture with both labels. They differ in their failure text.
    void Panel1Click();
    void AboutImageClick();

    // Set only when the box was made without a launcher and dialogs of the caller's.
    std::unique_ptr<UserDialogs> m_ownDialogs;
    std::unique_ptr<ProgramLauncher> m_ownLauncher;
    UserDialogs& m_dialogs;
    TGoToWeb* GoToWeb1 = nullptr;
    QLineEdit* ePurchase = nullptr;

    QFrame* Panel3 = nullptr;
    QLabel* AboutImage = nullptr;
    QLabel* Label5 = nullptr;
    QLabel* Label10 = nullptr;
    QLabel* labelLicence = nullptr;
    QPushButton* sbOK = nullptr;
    QFrame* Panel4 = nullptr;
};

// The product picture, `size` pixels square, drawn on a transparent background: a stack of pages
// whose front page carries a highlighted field. Used by the about box and as the window icon.
QPixmap productPicture(int size);

} // namespace stencilor::ui
