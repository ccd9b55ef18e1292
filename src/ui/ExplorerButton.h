// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// TExplorerButton, the unit explbtn.
// The flat picture button of the tool bars ("Exit" on the main window, "Close" on the data
// preview): no frame while the mouse is away and the picture greyed, the full picture and a
// raised bevel while the mouse is over it, a sunken bevel while it is held down. It takes the
// focus with Tab and is pressed with Space or Enter.

#include <QAbstractButton>
#include <QPixmap>

namespace stencilor::ui {

class TExplorerButton final : public QAbstractButton {
    Q_OBJECT
public:
    explicit TExplorerButton(QWidget* parent = nullptr);

    // Sets the picture shown above the caption; its greyed copy is made here, and again when the
    // palette changes.
    void setPicture(const QPixmap& picture);

    // Room for the picture with the caption under it and a small margin; less cuts the caption.
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

    // True while the mouse is over the enabled button (the picture is then drawn in full colour).
    bool isHot() const { return m_hot; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void setHot(bool hot);

    QPixmap m_picture;
    QPixmap m_greyPicture;
    bool m_hot = false;
};

} // namespace stencilor::ui
