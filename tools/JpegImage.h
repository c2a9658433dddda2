#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

// Pictures larger than this on either side are refused before any pixel is allocated.
constexpr int MaxJpegSide = 4096;

// Decodes JPEG data into a grayscale or RGB image. Data that is not a JPEG, is corrupt or
// truncated, or describes a picture larger than MaxJpegSide gives a null image, with the
// reason in error; the decoder never ends the program.
QImage DecodeJpeg(const QByteArray& data, QString* error = nullptr);
