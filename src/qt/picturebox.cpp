#include "qt/picturebox.h"

#include <QFile>
#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFocusRect>

#include "gif/gif.h"

namespace lumiroka {

std::shared_ptr<const QtPicture> loadPicture(const QString &path, QString *error)
{
    const auto refused = [error](const QString &why) {
        if (error)
            *error = why;
        return std::make_shared<const QtPicture>();
    };
    if (path.isEmpty())
        return std::make_shared<const QtPicture>();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return refused(QString::fromStdString(gif::unreadable(file.errorString().toStdString())));
    const QByteArray bytes = file.read(static_cast<qint64>(gif::kFileReadBytes));
    if (file.error() != QFileDevice::NoError)
        return refused(QString::fromStdString(gif::unreadable(file.errorString().toStdString())));
    // Our own reader rather than QImageReader: one pixel budget for both front ends, checked
    // on the logical screen before anything is allocated (Qt's reader reports the frame's
    // size and then allocates the screen's), and the damaged files it refuses are shown.
    std::string why;
    const gif::Image image = gif::decodeFile(reinterpret_cast<const std::uint8_t *>(bytes.constData()),
                                             static_cast<std::size_t>(bytes.size()), why);
    if (image.empty())
        return refused(QString::fromStdString(why));
    // Premultiplied, the format the window is painted in, so that each frame of the
    // animation is a plain copy rather than a conversion; 0xAARRGGBB, as the reader gives.
    QImage frame(image.frameWidth, image.frameHeight, QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < image.frameHeight; ++y) {
        auto *line = reinterpret_cast<std::uint32_t *>(frame.scanLine(y));
        for (int x = 0; x < image.frameWidth; ++x)
            line[x] = image.pixel(image.frameLeft + x, image.frameTop + y);
    }
    // fromImage, not QPixmap::load: load() goes through QPixmapCache and would hand two
    // slots the same cached pixmap.
    return std::make_shared<const QtPicture>(QPixmap::fromImage(std::move(frame)),
                                             QPoint(image.frameLeft, image.frameTop));
}

PictureBox::PictureBox(QWidget *parent) : QWidget(parent) {}

void PictureBox::setPicture(PictureRef picture)
{
    if (picture == m_picture)
        return;
    m_picture = std::move(picture);
    m_shown = dynamic_cast<const QtPicture *>(m_picture.get());
    update();
}

void PictureBox::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    if (m_shown && !m_shown->pixmap.isNull()) {
        // Smoothing only matters when the picture is scaled for a high-density screen; at
        // 1:1 it would only keep the painter off its fast copying path.
        painter.setRenderHint(QPainter::SmoothPixmapTransform, devicePixelRatioF() != 1.0);
        painter.drawPixmap(m_shown->offset, m_shown->pixmap);
    }
    if (hasFocus()) {
        // The keyboard is here: the style's focus frame, as a button shows it.
        QStyleOptionFocusRect option;
        option.initFrom(this);
        option.rect = rect().adjusted(1, 1, -1, -1);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, this);
    }
}

void PictureBox::keyPressEvent(QKeyEvent *event)
{
    // Space clicks the character, as it presses a focused button.
    if (event->key() == Qt::Key_Space && event->modifiers() == Qt::NoModifier) {
        if (!event->isAutoRepeat())
            emit clicked();
        return;
    }
    QWidget::keyPressEvent(event);
}

void PictureBox::focusInEvent(QFocusEvent *event)
{
    QWidget::focusInEvent(event);
    update();
}

void PictureBox::focusOutEvent(QFocusEvent *event)
{
    QWidget::focusOutEvent(event);
    update();
}

void PictureBox::mousePressEvent(QMouseEvent *event)
{
    m_pressed = event->button() == Qt::LeftButton;
}

void PictureBox::mouseReleaseEvent(QMouseEvent *event)
{
    const bool click = m_pressed && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint());
    m_pressed = false;
    if (click)
        emit clicked();
}

} // namespace lumiroka
