// SPDX-License-Identifier: GPL-3.0-or-later
#include "PaintFitted.h"

#include <QFile>
#include <QImageReader>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

// Reads a file forward in large chunks, byte by byte or by skipping, without holding it.
class ByteStream
{
public:
    explicit ByteStream(QIODevice& device) : m_device(device) {}

    bool next(unsigned char& byte)
    {
        if (m_pos == m_buffer.size() && !refill())
            return false;
        byte = static_cast<unsigned char>(m_buffer[m_pos++]);
        return true;
    }

    bool skip(qint64 count)
    {
        while (count > 0) {
            if (m_pos == m_buffer.size() && !refill())
                return false;
            const qint64 step = std::min<qint64>(count, m_buffer.size() - m_pos);
            m_pos += step;
            count -= step;
        }
        return true;
    }

    // Skips to the next 0xFF byte and consumes it; false at the end of the file.
    bool skipToFF()
    {
        for (;;) {
            if (m_pos == m_buffer.size() && !refill())
                return false;
            const char* start = m_buffer.constData() + m_pos;
            const void* found = std::memchr(start, 0xFF, static_cast<std::size_t>(m_buffer.size() - m_pos));
            if (found) {
                m_pos += static_cast<const char*>(found) - start + 1;
                return true;
            }
            m_pos = m_buffer.size();
        }
    }

private:
    bool refill()
    {
        m_buffer = m_device.read(qint64{64} * 1024);
        m_pos = 0;
        return !m_buffer.isEmpty();
    }

    QIODevice& m_device;
    QByteArray m_buffer;
    qint64 m_pos = 0;
};

// A JPEG whose data stops early still decodes (the decoder fills the rest with grey and
// only warns), so the file's structure is walked here: marker segments by their lengths,
// entropy-coded data up to the next marker, until the end-of-image marker. Data after
// that marker (as some cameras append) does not matter.
bool jpegIsComplete(QIODevice& device)
{
    ByteStream in(device);
    unsigned char byte = 0;
    if (!in.next(byte) || byte != 0xFF || !in.next(byte) || byte != 0xD8)
        return false;
    unsigned char marker = 0;
    bool haveMarker = false;
    for (;;) {
        if (!haveMarker) {
            if (!in.next(byte) || byte != 0xFF)
                return false;
            do {
                if (!in.next(marker))
                    return false;
            } while (marker == 0xFF);
        }
        haveMarker = false;
        if (marker == 0xD9)
            return true;
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7))
            continue;
        unsigned char high = 0, low = 0;
        if (!in.next(high) || !in.next(low))
            return false;
        const int length = (high << 8) | low;
        if (length < 2 || !in.skip(length - 2))
            return false;
        if (marker != 0xDA)
            continue;
        // Entropy-coded data: 0xFF 0x00 is a stuffed byte, 0xFF 0xD0..0xD7 a restart marker,
        // any other 0xFF xx the next marker segment.
        for (;;) {
            if (!in.skipToFF())
                return false;
            do {
                if (!in.next(byte))
                    return false;
            } while (byte == 0xFF);
            if (byte == 0x00 || (byte >= 0xD0 && byte <= 0xD7))
                continue;
            marker = byte;
            haveMarker = true;
            break;
        }
    }
}

quint32 littleEndian(const QByteArray& data, int offset, int bytes)
{
    quint32 value = 0;
    for (int i = bytes - 1; i >= 0; --i)
        value = (value << 8) | static_cast<unsigned char>(data[offset + i]);
    return value;
}

// An uncompressed BMP whose pixel rows stop early is also shown padded rather than refused;
// its length is known from the header.
bool bmpIsComplete(QIODevice& device)
{
    const QByteArray header = device.read(54);
    if (header.size() < 30)
        return false;
    const quint32 dibSize = littleEndian(header, 14, 4);
    if (dibSize < 40 || header.size() < 34)
        return true; // old-style headers and odd layouts are left to the decoder
    const qint64 offset = littleEndian(header, 10, 4);
    const qint64 width = static_cast<qint32>(littleEndian(header, 18, 4));
    const qint64 height = static_cast<qint32>(littleEndian(header, 22, 4));
    const qint64 bits = littleEndian(header, 28, 2);
    const quint32 compression = littleEndian(header, 30, 4);
    if (compression != 0 && compression != 3)
        return true; // run-length data has no fixed length
    const qint64 rowBytes = (std::llabs(width) * bits + 31) / 32 * 4;
    return device.size() >= offset + rowBytes * std::llabs(height);
}

// A GIF whose blocks are all there: after the header, the screen descriptor and its colour
// table, extensions and images (each with its data sub-blocks, each image with its colour
// table) follow one another up to the trailer, or up to the file's end after a whole block.
bool gifIsComplete(QFile& in)
{
    const QByteArray bytes = in.read(qint64{64} * 1024 * 1024);
    qsizetype pos = 13;
    if (bytes.size() < pos)
        return false;
    const auto colourTable = [](unsigned char flags) { return (flags & 0x80) ? 3 * (2 << (flags & 7)) : 0; };
    pos += colourTable(static_cast<unsigned char>(bytes.at(10)));
    // Data sub-blocks up to the empty one; false when the file ends first.
    const auto skipSubBlocks = [&bytes, &pos] {
        while (pos < bytes.size()) {
            const int length = static_cast<unsigned char>(bytes.at(pos++));
            if (length == 0)
                return true;
            pos += length;
        }
        return false;
    };
    int images = 0;
    while (pos < bytes.size()) {
        const unsigned char block = static_cast<unsigned char>(bytes.at(pos++));
        if (block == 0x3B)
            return images > 0;
        if (block == 0x21) {
            ++pos; // the extension's label
            if (!skipSubBlocks())
                return false;
        } else if (block == 0x2C) {
            if (pos + 9 > bytes.size())
                return false;
            const unsigned char flags = static_cast<unsigned char>(bytes.at(pos + 8));
            pos += 9 + colourTable(flags) + 1; // descriptor, colour table, code size
            if (pos > bytes.size() || !skipSubBlocks())
                return false;
            ++images;
        } else {
            return false;
        }
    }
    return pos == bytes.size() && images > 0;
}

// An XBM whose bits array is closed and holds a byte for every eight pixels of each row.
bool xbmIsComplete(QFile& in)
{
    QImageReader reader(&in);
    const QSize size = reader.size();
    in.seek(0);
    const QByteArray text = in.read(qint64{16} * 1024 * 1024);
    const qsizetype open = text.indexOf('{');
    const qsizetype close = text.indexOf('}', open);
    if (!size.isValid() || open < 0 || close < 0)
        return false;
    const qsizetype values = text.mid(open, close - open).count("0x") + text.mid(open, close - open).count("0X");
    return values >= qsizetype((size.width() + 7) / 8) * size.height();
}

bool isComplete(const QString& file, const QByteArray& format)
{
    QFile in(file);
    if (!in.open(QIODevice::ReadOnly))
        return false;
    if (format == "jpeg" || format == "jpg")
        return jpegIsComplete(in);
    if (format == "bmp")
        return bmpIsComplete(in);
    if (format == "gif")
        return gifIsComplete(in);
    if (format == "xbm")
        return xbmIsComplete(in);
    return true;
}

long roundEdge(float edge)
{
    return std::lround(edge);
}

} // namespace

namespace {

// The most a decoded picture may take: eight bytes a pixel (16 bits per channel), and a
// gigabyte in all (a 128-megapixel picture of 8-bit channels).
constexpr qint64 MaxBytesPerPixel = 8;
constexpr qint64 MaxDecodedMegabytes = 1024;

// Photographs carry the way the camera was held; they are shown upright, so a quarter turn
// swaps the natural width and height.
bool turnsAQuarter(const QImageReader& reader)
{
    return reader.transformation() & QImageIOHandler::TransformationRotate90;
}

} // namespace

bool PictureLoader::load(const QString& file)
{
    m_file.clear();
    m_format.clear();
    m_size = QSize();
    QImageReader reader(file);
    reader.setAutoTransform(true);
    QSize size = reader.size();
    if (!reader.canRead() || !size.isValid() || size.isEmpty())
        return false;
    const QByteArray format = reader.format().toLower();
    if (!isComplete(file, format))
        return false;
    if (turnsAQuarter(reader))
        size.transpose();
    m_file = file;
    m_format = format;
    m_size = size;
    return true;
}

QImage PictureLoader::decode(QSize size) const
{
    if (m_file.isEmpty() || size.isEmpty())
        return QImage();
    QImageReader reader(m_file, m_format);
    reader.setAutoTransform(true);
    // The size must still be the loaded one: the file may have been replaced meanwhile.
    const bool quarter = turnsAQuarter(reader);
    if (reader.size() != (quarter ? m_size.transposed() : m_size))
        return QImage();
    // The decoder scales before it turns the picture upright. Only the JPEG decoder scales
    // well; others (palette PNG and GIF) would lose their colours, so they are read whole.
    const bool scalesWhileDecoding = m_format == "jpeg" || m_format == "jpg";
    if (size != m_size && scalesWhileDecoding)
        reader.setScaledSize(quarter ? size.transposed() : size);
    // Qt refuses any picture of more than 128 MB decoded. A picture read whole before it is
    // scaled down (an 8000 x 8000 PNG: 256 MB) is let through for that moment, up to a bound.
    const QSize decoded = scalesWhileDecoding ? size : m_size;
    const qint64 megabytes = (qint64(decoded.width()) * decoded.height() * MaxBytesPerPixel >> 20) + 1;
    if (megabytes > reader.allocationLimit())
        reader.setAllocationLimit(int(std::min(megabytes, MaxDecodedMegabytes)));
    QImage image = reader.read();
    if (image.isNull())
        return QImage();
    if (image.size() != size) {
        // Smooth scaling of a palette picture would keep to its palette (black and white for
        // a one-bit picture): its colours are spelled out first.
        if (image.format() == QImage::Format_Mono || image.format() == QImage::Format_MonoLSB ||
            image.format() == QImage::Format_Indexed8)
            image = image.convertToFormat(image.hasAlphaChannel() ? QImage::Format_ARGB32 : QImage::Format_RGB32);
        image = image.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }
    return image;
}

QRect FittedRect::toPixels() const
{
    const long x = roundEdge(left);
    const long y = roundEdge(top);
    const long right = std::max(x + 1, roundEdge(left + width));
    const long bottom = std::max(y + 1, roundEdge(top + height));
    return QRect(static_cast<int>(x), static_cast<int>(y), static_cast<int>(right - x), static_cast<int>(bottom - y));
}

FittedRect fitPicture(QSize picture, QSize box)
{
    const float r = static_cast<float>(picture.width()) / static_cast<float>(picture.height());
    const float boxWidth = static_cast<float>(box.width());
    const float boxHeight = static_cast<float>(box.height());
    float w = boxWidth;
    float h = boxHeight;
    const float b = w / h;
    if (b > r)
        w = h * r;
    else
        h = w / r;
    FittedRect fitted;
    fitted.left = (boxWidth - w) / 2;
    fitted.top = (boxHeight - h) / 2;
    fitted.width = w;
    fitted.height = h;
    return fitted;
}
