#include "app/ScreenFit.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <limits>

namespace
{

bool overlaps(qint64 left, qint64 top, QSize size, const QRect& screen)
{
    return left < qint64(screen.x()) + screen.width() && qint64(screen.x()) < left + size.width() &&
           top < qint64(screen.y()) + screen.height() && qint64(screen.y()) < top + size.height();
}

} // namespace

QRect ScreensArea()
{
    const QScreen* primary = QGuiApplication::primaryScreen();
    return primary ? primary->availableVirtualGeometry() : QRect(0, 0, 800, 600);
}

QSize LimitedToScreens(QSize wanted, QSize minimum)
{
    const QSize area = ScreensArea().size().expandedTo(minimum);
    return QSize(qBound(minimum.width(), wanted.width(), area.width()),
                 qBound(minimum.height(), wanted.height(), area.height()));
}

QPoint PlaceOnScreens(std::optional<QPoint> position, QSize size, const QList<QRect>& screens,
                      const QRect& primary)
{
    if (position) {
        for (const QRect& screen : screens) {
            if (overlaps(position->x(), position->y(), size, screen))
                return *position;
        }
    }
    const qint64 left = qint64(primary.x()) + (qint64(primary.width()) - size.width()) / 2;
    const qint64 top = qint64(primary.y()) + (qint64(primary.height()) - size.height()) / 2;
    return QPoint(ToCoordinate(left), ToCoordinate(top));
}

QPoint PlaceOnScreens(std::optional<QPoint> position, QSize size)
{
    QList<QRect> screens;
    for (const QScreen* screen : QGuiApplication::screens())
        screens << screen->availableGeometry();
    const QScreen* primary = QGuiApplication::primaryScreen();
    return PlaceOnScreens(position, size, screens,
                          primary ? primary->availableGeometry() : QRect(0, 0, 800, 600));
}

int ToCoordinate(qint64 value)
{
    constexpr qint64 limit = std::numeric_limits<int>::max() / 2;
    return int(qBound(-limit, value, limit));
}

void PlaceOverMiddle(QWidget* dialog, const QWidget& owner, QPoint offset)
{
    const qint64 left = qint64(owner.x()) + owner.width() / 2 - offset.x();
    const qint64 top = qint64(owner.y()) + owner.height() / 2 - offset.y();
    dialog->move(PlaceOnScreens(QPoint(ToCoordinate(left), ToCoordinate(top)), dialog->size()));
}
