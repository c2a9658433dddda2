#include "tools/JpegImage.h"

#include <csetjmp>
#include <cstdio> // jpeglib.h needs FILE
#include <jpeglib.h>

namespace
{

// libjpeg reports errors by calling error_exit, which must not return; ours jumps back to
// the decoding step that called the library. Everything between setjmp and the jump is
// plain C data, so no destructor is skipped.
struct JpegErrors {
    jpeg_error_mgr manager;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

struct JpegDecoder {
    jpeg_decompress_struct info;
    JpegErrors errors;
};

[[noreturn]] void jumpBack(j_common_ptr info)
{
    auto* errors = reinterpret_cast<JpegErrors*>(info->err);
    errors->manager.format_message(info, errors->message);
    std::longjmp(errors->jump, 1);
}

// A warning (level -1) means corrupt or missing data, which libjpeg would go on to paint
// grey: the picture is refused rather than shown damaged. Trace messages are not wanted.
void emitMessage(j_common_ptr info, int level)
{
    if (level < 0)
        jumpBack(info);
}

void outputMessage(j_common_ptr) {}

void initDecoder(JpegDecoder& decoder)
{
    decoder.info.err = jpeg_std_error(&decoder.errors.manager);
    decoder.errors.manager.error_exit = jumpBack;
    decoder.errors.manager.emit_message = emitMessage;
    decoder.errors.manager.output_message = outputMessage;
    decoder.errors.message[0] = '\0';
}

// Reads the header and settles the output: grayscale stays grayscale, everything else
// becomes RGB (a colour space libjpeg cannot convert fails when decoding starts).
bool readHeader(JpegDecoder& decoder, const QByteArray& data)
{
    if (setjmp(decoder.errors.jump))
        return false;
    jpeg_create_decompress(&decoder.info);
    jpeg_mem_src(&decoder.info, reinterpret_cast<const unsigned char*>(data.constData()),
                 static_cast<unsigned long>(data.size()));
    jpeg_read_header(&decoder.info, TRUE);
    decoder.info.out_color_space =
        decoder.info.jpeg_color_space == JCS_GRAYSCALE ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_calc_output_dimensions(&decoder.info);
    return true;
}

bool readPixels(JpegDecoder& decoder, uchar* bits, qsizetype bytesPerLine)
{
    if (setjmp(decoder.errors.jump))
        return false;
    jpeg_start_decompress(&decoder.info);
    while (decoder.info.output_scanline < decoder.info.output_height) {
        JSAMPROW row = bits + decoder.info.output_scanline * bytesPerLine;
        jpeg_read_scanlines(&decoder.info, &row, 1);
    }
    jpeg_finish_decompress(&decoder.info);
    return true;
}

QImage decode(JpegDecoder& decoder, const QByteArray& data, QString& error)
{
    if (!readHeader(decoder, data)) {
        error = QString::fromLocal8Bit(decoder.errors.message);
        return {};
    }
    const jpeg_decompress_struct& info = decoder.info;
    if (info.output_width > MaxJpegSide || info.output_height > MaxJpegSide) {
        error = QStringLiteral("The picture is larger than %1 x %1 pixels.").arg(MaxJpegSide);
        return {};
    }
    QImage image(int(info.output_width), int(info.output_height),
                 info.out_color_space == JCS_GRAYSCALE ? QImage::Format_Grayscale8
                                                       : QImage::Format_RGB888);
    if (image.isNull()) {
        error = QStringLiteral("There is not enough memory for the picture.");
        return {};
    }
    if (!readPixels(decoder, image.bits(), image.bytesPerLine())) {
        error = QString::fromLocal8Bit(decoder.errors.message);
        return {};
    }
    return image;
}

} // namespace

QImage DecodeJpeg(const QByteArray& data, QString* error)
{
    JpegDecoder decoder{}; // zeroed: destroying it is safe however far creating it got
    initDecoder(decoder);
    QString reason;
    QImage image = decode(decoder, data, reason);
    jpeg_destroy_decompress(&decoder.info);
    if (error)
        *error = reason;
    return image;
}
