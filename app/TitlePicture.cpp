#include "app/TitlePicture.h"

#include "platform/Error.h"

#include <QFile>
#include <QPainter>
#include <QResizeEvent>

#include <algorithm>
#include <csetjmp>
#include <cstdio> // jpeglib.h needs FILE

#include <jpeglib.h>

// libjpeg reports a fatal error by calling error_exit, which by default ends
// the process. Ours jumps back to the decoding step that was running; that
// step returns false and decodeJpeg() turns the message into an Error. The
// steps that contain a setjmp hold nothing with a destructor, so the jump
// skips no clean-up.

namespace {

struct ErrorManager {
    jpeg_error_mgr pub; // first, so that cinfo->err points at the whole
    std::jmp_buf escape;
    char message[JMSG_LENGTH_MAX];
};

struct Decoder {
    jpeg_decompress_struct cinfo;
    ErrorManager err;
    bool created;
};

void errorExit(j_common_ptr cinfo)
{
    auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
    (*cinfo->err->format_message)(cinfo, err->message);
    std::longjmp(err->escape, 1);
}

// Level -1 is a warning: libjpeg found corrupt data and would go on with a
// partly grey picture. A damaged picture is refused instead. Trace messages
// (levels 0 and up) are dropped.
void emitMessage(j_common_ptr cinfo, int level)
{
    if (level < 0)
        errorExit(cinfo);
}

// Nothing is ever written to stderr by the decoder.
void outputMessage(j_common_ptr) {}

bool startDecoding(Decoder& d, const unsigned char* data, unsigned long size)
{
    d.cinfo.err = jpeg_std_error(&d.err.pub);
    d.err.pub.error_exit = errorExit;
    d.err.pub.emit_message = emitMessage;
    d.err.pub.output_message = outputMessage;
    if (setjmp(d.err.escape))
        return false;
    jpeg_create_decompress(&d.cinfo);
    d.created = true;
    jpeg_mem_src(&d.cinfo, data, size);
    jpeg_read_header(&d.cinfo, TRUE);
    // Straight into the memory layout of QImage::Format_RGB32 (little-endian
    // B, G, R, X), from greyscale, YCbCr or RGB alike.
    d.cinfo.out_color_space = JCS_EXT_BGRX;
    jpeg_start_decompress(&d.cinfo);
    return true;
}

bool readScanlines(Decoder& d, unsigned char* bits, long bytesPerLine)
{
    if (setjmp(d.err.escape))
        return false;
    constexpr int kBatch = 16;
    JSAMPROW rows[kBatch];
    while (d.cinfo.output_scanline < d.cinfo.output_height) {
        const JDIMENSION first = d.cinfo.output_scanline;
        const JDIMENSION count = std::min<JDIMENSION>(kBatch, d.cinfo.output_height - first);
        for (JDIMENSION i = 0; i < count; ++i)
            rows[i] = bits + static_cast<long>(first + i) * bytesPerLine;
        jpeg_read_scanlines(&d.cinfo, rows, count);
    }
    jpeg_finish_decompress(&d.cinfo);
    return true;
}

} // namespace

QImage TitlePicture::decodeJpeg(const QByteArray& data)
{
    Decoder d{};
    bool ok = startDecoding(d, reinterpret_cast<const unsigned char*>(data.constData()),
                            static_cast<unsigned long>(data.size()));
    QImage image;
    bool outOfMemory = false;
    if (ok) {
        image = QImage(static_cast<int>(d.cinfo.output_width), static_cast<int>(d.cinfo.output_height),
                       QImage::Format_RGB32);
        outOfMemory = image.isNull();
        ok = !outOfMemory && readScanlines(d, image.bits(), static_cast<long>(image.bytesPerLine()));
    }
    const QString reason = outOfMemory ? QStringLiteral("Out of memory") : QString::fromLocal8Bit(d.err.message);
    if (d.created)
        jpeg_destroy_decompress(&d.cinfo);
    if (!ok)
        throw Error(QStringLiteral("JPEG image cannot be decoded: %1").arg(reason));
    return image;
}

QImage TitlePicture::load(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw Error(QStringLiteral("Cannot open picture \"%1\". %2").arg(path, file.errorString()));
    try {
        return decodeJpeg(file.readAll());
    } catch (const Error& e) {
        throw Error(QStringLiteral("Picture \"%1\": %2").arg(path, e.message()));
    }
}

QRect TitlePicture::fitTopLeft(const QSize& picture, const QSize& area)
{
    if (picture.isEmpty() || area.isEmpty())
        return {};
    return QRect(QPoint(0, 0), picture.scaled(area, Qt::KeepAspectRatio));
}

PictureBox::PictureBox(QWidget* parent) : QWidget(parent) {}

void PictureBox::setImage(const QImage& image)
{
    m_image = image;
    rescale();
    update();
}

void PictureBox::rescale()
{
    // Scaled once per size, before the picture is first shown, not at every paint.
    const QRect target = pictureRect();
    if (target.isEmpty())
        m_scaled = QPixmap();
    else if (m_scaled.size() != target.size())
        m_scaled = QPixmap::fromImage(m_image.scaled(target.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
}

void PictureBox::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    rescale();
}

QRect PictureBox::pictureRect() const { return TitlePicture::fitTopLeft(m_image.size(), size()); }

void PictureBox::paintEvent(QPaintEvent*)
{
    if (!m_scaled.isNull())
        QPainter(this).drawPixmap(pictureRect().topLeft(), m_scaled);
}
