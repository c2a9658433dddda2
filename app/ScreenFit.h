#pragma once

#include <QList>
#include <QPoint>
#include <QRect>
#include <QSize>

#include <optional>

class QWidget;

// Window sizes and places, such as those read from the settings file, limited to what the
// screens can show. Any int may come in: the arithmetic cannot overflow.

// The available area of all screens together.
QRect ScreensArea();

// wanted, each side at least minimum and at most as large as the screens' area.
QSize LimitedToScreens(QSize wanted, QSize minimum);

// Where a window of this size goes when asked to stand at position: there, when the window
// would overlap one of the screens; else (or without a position) centred on primary.
QPoint PlaceOnScreens(std::optional<QPoint> position, QSize size, const QList<QRect>& screens,
                      const QRect& primary);
// The same on the available areas of this desktop's screens.
QPoint PlaceOnScreens(std::optional<QPoint> position, QSize size);

// A 64-bit coordinate brought into the range of int.
int ToCoordinate(qint64 value);

// Places a dialog at creation: its top left corner offset.x() to the left of and offset.y()
// above the middle of the owner window, moved onto the screens when it would lie off them.
void PlaceOverMiddle(QWidget* dialog, const QWidget& owner, QPoint offset);
