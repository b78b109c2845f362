#include "ui/picturebox.h"

#include <QImageReader>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFocusRect>

namespace lumiroka {

namespace {
// Pose images are about 113 x 121; anything far larger is a broken or hostile file.
constexpr int kMaxSide = 4096;
} // namespace

std::shared_ptr<const QtPicture> loadPicture(const QString &path, QString *error)
{
    if (path.isEmpty())
        return std::make_shared<const QtPicture>();
    QImageReader reader(path);
    const QSize declared = reader.size();
    if (declared.isValid() && (declared.width() > kMaxSide || declared.height() > kMaxSide)) {
        if (error)
            *error = QStringLiteral("image too large (%1 x %2)").arg(declared.width()).arg(declared.height());
        return std::make_shared<const QtPicture>();
    }
    QImage image = reader.read();
    if (image.isNull()) {
        if (error)
            *error = reader.errorString();
        return std::make_shared<const QtPicture>();
    }
    // fromImage, not QPixmap::load: load() goes through QPixmapCache and would hand two
    // slots the same cached pixmap.
    // Stored premultiplied, the format the window is painted in, so that each frame of the
    // animation is a plain copy rather than a conversion.
    return std::make_shared<const QtPicture>(
        QPixmap::fromImage(std::move(image).convertToFormat(QImage::Format_ARGB32_Premultiplied)));
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
        painter.drawPixmap(QPoint(0, 0), m_shown->pixmap);
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
