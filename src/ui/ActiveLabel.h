// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A label that acts as a link or a button for the keyboard too: Tab reaches it while it is
// active, a focus frame shows where the focus is, and Enter, Space or a left click on it say
// activated(). It can show its text cut to its width with "…" and then asks for no width of its
// own, so that a long text never widens the window.

#include <QLabel>

namespace stencilor::ui {

class ActiveLabel final : public QLabel {
    Q_OBJECT
public:
    explicit ActiveLabel(const QString& text = {}, QWidget* parent = nullptr);

    // Whether Tab reaches the label and it can be activated; it is when made.
    void setActive(bool active);
    bool isActive() const { return m_active; }

    // Shows as much of `text` as the label's width allows, ending with "…".
    void setElidedText(const QString& text);

    QSize minimumSizeHint() const override;
    QSize sizeHint() const override;

signals:
    void activated();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void elide();

    bool m_active = true;
    bool m_elided = false;
    QString m_full;
};

} // namespace stencilor::ui
