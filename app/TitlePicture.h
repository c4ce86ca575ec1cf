#pragma once

#include <QByteArray>
#include <QImage>
#include <QPixmap>
#include <QRect>
#include <QString>
#include <QWidget>

// The title window's background photograph: a JPEG stored with the program
// as the resource ":/title.jpg", decoded with libjpeg and shown scaled down
// to fit its area with its proportions kept, anchored at the top left corner.
namespace TitlePicture {

// The resource holding the photograph.
inline constexpr const char* kResource = ":/title.jpg";

// Decodes a JPEG image held in memory (greyscale or colour) at full size and
// quality. A damaged or unsupported image raises an Error naming the cause;
// libjpeg's warnings about corrupt data count as errors too, so a picture is
// either decoded whole or not at all.
QImage decodeJpeg(const QByteArray& data);

// Reads and decodes the JPEG held in a file or resource; raises an Error when
// it cannot be read or decoded.
QImage load(const QString& path);

// Where a picture of the given size is drawn in an area: as large as fits
// with its proportions kept, at the area's top left corner.
QRect fitTopLeft(const QSize& picture, const QSize& area);

} // namespace TitlePicture

// The picture control: draws its image scaled into fitTopLeft() of its own
// area; the rest shows the window's background.
class PictureBox : public QWidget {
    Q_OBJECT
public:
    explicit PictureBox(QWidget* parent = nullptr);

    void setImage(const QImage& image);
    const QImage& image() const { return m_image; }

    // The rectangle the picture is drawn in, in the control's coordinates.
    QRect pictureRect() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void rescale();

    QImage m_image;
    QPixmap m_scaled; // the image at pictureRect()'s size
};
