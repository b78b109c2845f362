#pragma once

#include <QPixmap>
#include <QWidget>

#include "forms/frontend.h"

namespace lumiroka {

// A picture as the Qt front end holds it: the pixels of its frame, placed at `offset` on
// its screen (transparent around the frame). A small frame on a large screen costs only
// the frame.
class QtPicture : public Picture
{
public:
    QtPicture() = default;
    QtPicture(QPixmap pixmap, QPoint offset) : pixmap(std::move(pixmap)), offset(offset) {}
    const QPixmap pixmap;
    const QPoint offset;
};

// Loads a GIF file with the reader both front ends share (src/gif), under its pixel budget,
// into a picture object of its own (never a shared cached copy). An empty path gives an
// empty picture. On failure returns an empty picture and sets `error` to the reason.
std::shared_ptr<const QtPicture> loadPicture(const QString &path, QString *error = nullptr);

// Shows one picture from its top-left corner and reports a click: a press and release of
// the left button over it, or Space while it has the keyboard focus (which it shows).
class PictureBox : public QWidget
{
    Q_OBJECT

public:
    explicit PictureBox(QWidget *parent = nullptr);

    const PictureRef &picture() const { return m_picture; }
    // Only pictures this front end made are drawn; others show as empty.
    void setPicture(PictureRef picture);

signals:
    void clicked();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    PictureRef m_picture;
    const QtPicture *m_shown = nullptr;
    bool m_pressed = false;
};

} // namespace lumiroka
