#pragma once

#include <QPixmap>
#include <QWidget>

#include <memory>

namespace lumiroka {

// A loaded picture. Boxes share it by pointer, so "this box shows that box's picture"
// is a test of identity, not of image content.
using Picture = std::shared_ptr<const QPixmap>;

// Loads a picture file into a picture object of its own (never a shared cached copy).
// An empty path gives an empty picture. On failure returns an empty picture and sets
// `error` to the reason.
Picture loadPicture(const QString &path, QString *error = nullptr);

// Shows one picture from its top-left corner and reports clicks with its index.
class PictureBox : public QWidget
{
    Q_OBJECT

public:
    PictureBox(int index, QWidget *parent = nullptr);

    int index() const { return m_index; }
    const Picture &picture() const { return m_picture; }
    void setPicture(Picture picture);

signals:
    void clicked(int index);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    int m_index;
    Picture m_picture;
    bool m_pressed = false;
};

} // namespace lumiroka
