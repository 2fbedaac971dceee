// SPDX-License-Identifier: GPL-3.0-or-later
#include "FfmpegDecoder.h"

#include <QFile>
#include <QFileInfo>
#include <QTransform>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavcodec/bsf.h>
#include <libavformat/avformat.h>
#include <libavutil/avstring.h>
#include <libavutil/display.h>
#include <libavutil/log.h>
#include <libswscale/swscale.h>
}

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

// The containers the program opens. Without this list FFmpeg would open almost anything:
// a text file as rendered terminal art, a playlist that fetches from the network.
const char* const Containers = "mov,matroska,avi,mpeg,mpegts,mpegvideo,asf,flv,ogg";

QString ffmpegError(int code)
{
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return QString::fromUtf8(text);
}

// True when the start of `file` is one of the containers above: a file that then cannot be
// opened is damaged or truncated rather than no video at all.
bool looksLikeContainer(const QString& file)
{
    QFile input(file);
    if (!input.open(QIODevice::ReadOnly))
        return false;
    QByteArray head = input.read(qint64{64} * 1024);
    const int size = static_cast<int>(head.size());
    head.append(QByteArray(AVPROBE_PADDING_SIZE, '\0'));
    const QByteArray name = QFile::encodeName(file);
    AVProbeData probe{};
    probe.filename = name.constData();
    probe.buf = reinterpret_cast<unsigned char*>(head.data());
    probe.buf_size = size;
    int score = 0;
    const AVInputFormat* format = av_probe_input_format3(&probe, 1, &score);
    return format && score > AVPROBE_SCORE_EXTENSION && av_match_list(format->name, Containers, ',') > 0;
}

// The turn and mirroring a display matrix asks for, to whole quarter turns. The matrix
// (a b u, c d v, x y w) shows the stored pixel (p, q), with q downwards, at (a p + c q + x,
// b p + d q + y); a matrix that mirrors is a turn followed by mirroring left to right.
void orientationOf(const std::int32_t* matrix, int& rotation, bool& mirrored)
{
    double a = matrix[0];
    const double b = matrix[1];
    double c = matrix[3];
    const double d = matrix[4];
    mirrored = a * d - b * c < 0;
    if (mirrored) {
        a = -a;
        c = -c;
    }
    const double quarters = std::round(std::atan2(b, a) / (M_PI / 2));
    rotation = ((static_cast<int>(quarters) % 4 + 4) % 4) * 90;
}

// The picture type of the first MPEG-4 Part 2 picture (VOP) in `packet`: 'I', 'P', 'B', or
// 'S' (a sprite, predicted like P); 0 when it holds none.
char vopType(const AVPacket& packet)
{
    for (int i = 0; i + 4 < packet.size; ++i) {
        if (packet.data[i] == 0 && packet.data[i + 1] == 0 && packet.data[i + 2] == 1 && packet.data[i + 3] == 0xB6)
            return "IPBS"[packet.data[i + 4] >> 6];
    }
    return 0;
}

} // namespace

struct FfmpegDecoder::IndexEntry
{
    std::int64_t pts;
    std::int64_t dts;
    bool key;
    char type; // the picture type, where it is needed for pts
};

struct FfmpegDecoder::Codec
{
    AVFormatContext* format = nullptr;
    AVCodecContext* decoder = nullptr;
    AVPacket* packet = av_packet_alloc();
    AVPacket* read = av_packet_alloc(); // as read, before the unpacking filter
    AVFrame* frame = av_frame_alloc();
    SwsContext* scaler = nullptr;
    AVBSFContext* unpack = nullptr; // mpeg4_unpack_bframes, for MPEG-4 Part 2 only
    int stream = -1;
    bool drained = false;   // the end of the stream has been sent to the decoder
    bool readEnded = false; // the demuxer has given its last packet since the last seek
    int readResult = 0;     // what the last read said: AVERROR_EOF at the end
    std::int64_t packetsRead = 0;

    Codec() = default;
    Codec(const Codec&) = delete;
    Codec& operator=(const Codec&) = delete;
    ~Codec()
    {
        sws_freeContext(scaler);
        av_bsf_free(&unpack);
        av_frame_free(&frame);
        av_packet_free(&read);
        av_packet_free(&packet);
        avcodec_free_context(&decoder);
        avformat_close_input(&format);
    }
};

FfmpegDecoder::FfmpegDecoder()
{
    // Every failure is reported in a sentence of our own; FFmpeg's log lines would only
    // repeat it on the terminal.
    av_log_set_level(AV_LOG_FATAL);
}

FfmpegDecoder::~FfmpegDecoder() = default;

bool FfmpegDecoder::isOpen() const
{
    return m_codec != nullptr;
}

void FfmpegDecoder::close()
{
    m_codec.reset();
    m_index = VideoIndex();
    m_keySeekTs.clear();
    m_ptsOfDts.clear();
    m_skipBefore = std::numeric_limits<std::int64_t>::min();
    m_position = -1;
    m_kept.clear();
}

bool FfmpegDecoder::fail(const QString& why)
{
    close();
    m_error = why;
    return false;
}

bool FfmpegDecoder::open(const QString& file)
{
    close();
    m_error.clear();
    const QFileInfo info(file);
    if (!info.isFile() || !info.isReadable())
        return fail(QStringLiteral("The file %1 cannot be read.").arg(file));

    m_codec = std::make_unique<Codec>();
    Codec& c = *m_codec;
    AVDictionary* options = nullptr;
    av_dict_set(&options, "format_whitelist", Containers, 0);
    av_dict_set(&options, "protocol_whitelist", "file", 0);
    // "file:" keeps a name with a colon from being read as a network address.
    const QByteArray url = "file:" + QFile::encodeName(info.absoluteFilePath());
    int result = avformat_open_input(&c.format, url.constData(), nullptr, &options);
    av_dict_free(&options);
    if (result < 0) {
        c.format = nullptr;
        if (looksLikeContainer(file))
            return fail(QStringLiteral("The video %1 is damaged or truncated (%2).").arg(file, ffmpegError(result)));
        return fail(QStringLiteral("The file %1 is not a video.").arg(file));
    }
    result = avformat_find_stream_info(c.format, nullptr);
    // A stream without packets ends the search early; the index below names that.
    if (result < 0 && result != AVERROR_EOF)
        return fail(QStringLiteral("The video %1 is damaged or truncated (%2).").arg(file, ffmpegError(result)));

    // The first video stream that is not a cover picture.
    for (unsigned i = 0; i < c.format->nb_streams; ++i) {
        const AVStream* stream = c.format->streams[i];
        if (c.stream < 0 && stream->codecpar->codec_type == AVMEDIA_TYPE_VIDEO &&
            !(stream->disposition & AV_DISPOSITION_ATTACHED_PIC))
            c.stream = static_cast<int>(i);
    }
    if (c.stream < 0)
        return fail(QStringLiteral("The file %1 holds no video stream.").arg(file));
    AVStream* stream = c.format->streams[c.stream];
    const AVCodecParameters* parameters = stream->codecpar;
    const std::int64_t pixels = static_cast<std::int64_t>(parameters->width) * parameters->height;
    if (parameters->width <= 0 || parameters->height <= 0)
        return fail(QStringLiteral("The video %1 is damaged: its picture size is missing.").arg(file));
    if (pixels > MaxPixels) {
        return fail(QStringLiteral("The video %1 is %2 x %3 pixels; videos up to 4096 x 2160 pixels can be opened.")
                        .arg(file)
                        .arg(parameters->width)
                        .arg(parameters->height));
    }
    const AVCodec* codec = avcodec_find_decoder(parameters->codec_id);
    if (!codec) {
        return fail(QStringLiteral("The video %1 is coded in %2, which cannot be decoded here.")
                        .arg(file, QString::fromUtf8(avcodec_get_name(parameters->codec_id))));
    }
    // An AVI keeps an MPEG-4 B-frame packed into the packet of the frame before it; the
    // filter gives each frame a packet of its own (and changes nothing in other streams).
    if (parameters->codec_id == AV_CODEC_ID_MPEG4) {
        const AVBitStreamFilter* filter = av_bsf_get_by_name("mpeg4_unpack_bframes");
        if (!filter || av_bsf_alloc(filter, &c.unpack) < 0 || avcodec_parameters_copy(c.unpack->par_in, parameters) < 0)
            return fail(QStringLiteral("The video %1 cannot be decoded: out of memory.").arg(file));
        c.unpack->time_base_in = stream->time_base;
        result = av_bsf_init(c.unpack);
        if (result < 0)
            return fail(QStringLiteral("The video %1 cannot be decoded (%2).").arg(file, ffmpegError(result)));
        parameters = c.unpack->par_out;
    }
    c.decoder = avcodec_alloc_context3(codec);
    if (!c.decoder || avcodec_parameters_to_context(c.decoder, parameters) < 0)
        return fail(QStringLiteral("The video %1 cannot be decoded: out of memory.").arg(file));
    c.decoder->pkt_timebase = stream->time_base;
    c.decoder->thread_count = 0; // as many as the machine has
    result = avcodec_open2(c.decoder, codec, nullptr);
    if (result < 0)
        return fail(QStringLiteral("The video %1 cannot be decoded (%2).").arg(file, ffmpegError(result)));

    m_index.file = file;
    m_index.codec = QString::fromUtf8(codec->name);
    std::size_t matrixSize = 0;
    const auto* matrix =
        reinterpret_cast<const std::int32_t*>(av_stream_get_side_data(stream, AV_PKT_DATA_DISPLAYMATRIX, &matrixSize));
    if (matrix && matrixSize >= 9 * sizeof(std::int32_t))
        orientationOf(matrix, m_index.rotation, m_index.mirrored);
    m_index.size = m_index.rotation % 180 == 0 ? QSize(parameters->width, parameters->height)
                                               : QSize(parameters->height, parameters->width);
    m_index.timeBaseNum = stream->time_base.num;
    m_index.timeBaseDen = stream->time_base.den;
    if (!buildIndex())
        return false;
    if (frame(0, {}, {}).isNull())
        return fail(QStringLiteral("The video %1 is damaged: its first frame cannot be decoded.").arg(file));
    return true;
}

bool FfmpegDecoder::readPacket()
{
    Codec& c = *m_codec;
    for (;;) {
        if (c.unpack) {
            const int result = av_bsf_receive_packet(c.unpack, c.packet);
            if (result == 0)
                return true;
            if (result != AVERROR(EAGAIN))
                return false;
        }
        if (c.readEnded)
            return false;
        AVPacket* into = c.unpack ? c.read : c.packet;
        c.readResult = av_read_frame(c.format, into);
        if (c.readResult < 0) {
            c.readEnded = true;
            if (!c.unpack)
                return false;
            av_bsf_send_packet(c.unpack, nullptr); // lets the filter give out what it holds
            continue;
        }
        if (into->stream_index != c.stream) {
            av_packet_unref(into);
            continue;
        }
        ++c.packetsRead;
        if (!c.unpack)
            return true;
        // The filter takes the packet's data; a packet it refuses is dropped like a damaged one.
        if (av_bsf_send_packet(c.unpack, into) < 0)
            av_packet_unref(into);
    }
}

void FfmpegDecoder::assignPresentationTimes(std::vector<IndexEntry>& entries)
{
    // Without B-frames frames are shown in the order they are decoded. A B-frame is shown
    // before the I- or P-frame decoded just before it, which waits until the next I- or
    // P-frame comes: each frame takes the next of the decoding timestamps in the order shown.
    std::size_t next = 0;
    std::size_t waiting = entries.size();
    std::vector<std::int64_t> times;
    times.reserve(entries.size());
    for (const IndexEntry& entry : entries)
        times.push_back(entry.dts);
    std::sort(times.begin(), times.end());
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (entries[i].type == 'B') {
            entries[i].pts = times[next++];
            continue;
        }
        if (waiting < entries.size())
            entries[waiting].pts = times[next++];
        waiting = i;
    }
    if (waiting < entries.size())
        entries[waiting].pts = times[next];
    m_ptsOfDts.clear();
    m_ptsOfDts.reserve(entries.size());
    for (const IndexEntry& entry : entries)
        m_ptsOfDts.emplace_back(entry.dts, entry.pts);
    std::sort(m_ptsOfDts.begin(), m_ptsOfDts.end());
}

bool FfmpegDecoder::buildIndex()
{
    Codec& c = *m_codec;
    const QString file = m_index.file;
    for (unsigned i = 0; i < c.format->nb_streams; ++i) {
        if (static_cast<int>(i) != c.stream)
            c.format->streams[i]->discard = AVDISCARD_ALL;
    }
    std::vector<IndexEntry> entries;
    bool damaged = false;
    bool withoutPts = false;
    while (readPacket()) {
        const AVPacket& packet = *c.packet;
        // Packets an edit list cuts away are never shown, so they are no frames.
        if (!(packet.flags & AV_PKT_FLAG_DISCARD)) {
            const std::int64_t pts = packet.pts != AV_NOPTS_VALUE ? packet.pts : packet.dts;
            withoutPts = withoutPts || (packet.pts == AV_NOPTS_VALUE && packet.dts != AV_NOPTS_VALUE);
            if (pts != AV_NOPTS_VALUE)
                entries.push_back({pts, packet.dts != AV_NOPTS_VALUE ? packet.dts : pts,
                                   (packet.flags & AV_PKT_FLAG_KEY) != 0, c.unpack ? vopType(packet) : '\0'});
            damaged = damaged || (packet.flags & AV_PKT_FLAG_CORRUPT);
        }
        av_packet_unref(c.packet);
    }
    const std::int64_t expected = c.format->streams[c.stream]->nb_frames;
    // An AVI counts the frames its writer dropped (chunks left empty, which give no packet)
    // among its frames, and its decoding timestamps count them too.
    std::int64_t frames = c.packetsRead;
    if (std::strcmp(c.format->iformat->name, "avi") == 0 && !entries.empty()) {
        const auto [first, last] = std::minmax_element(
            entries.begin(), entries.end(), [](const IndexEntry& a, const IndexEntry& b) { return a.dts < b.dts; });
        frames = last->dts - first->dts + 1;
    }
    // A truncated file whose index is at its start ends before the frames the index lists.
    if (c.readResult != AVERROR_EOF || damaged || (expected > 0 && frames < expected)) {
        return fail(QStringLiteral("The video %1 is damaged or truncated: %2 of its frames could be read.")
                        .arg(file)
                        .arg(entries.size()));
    }
    if (entries.empty())
        return fail(QStringLiteral("The video %1 has no frames.").arg(file));
    // An MPEG-4 Part 2 stream in an AVI has decoding timestamps only.
    if (withoutPts && c.unpack)
        assignPresentationTimes(entries);

    const std::int64_t firstDts =
        std::min_element(entries.begin(), entries.end(), [](const IndexEntry& a, const IndexEntry& b) {
            return a.dts < b.dts;
        })->dts;
    std::sort(entries.begin(), entries.end(), [](const IndexEntry& a, const IndexEntry& b) { return a.pts < b.pts; });
    // Two packets with one timestamp cannot be told apart by it; the first one counts.
    entries.erase(std::unique(entries.begin(), entries.end(),
                              [](const IndexEntry& a, const IndexEntry& b) { return a.pts == b.pts; }),
                  entries.end());
    m_index.pts.reserve(entries.size());
    m_index.keyFrames = {0};
    m_keySeekTs = {firstDts};
    for (std::size_t i = 0; i < entries.size(); ++i) {
        m_index.pts.push_back(entries[i].pts);
        if (entries[i].key && i > 0) {
            m_index.keyFrames.push_back(static_cast<int>(i));
            m_keySeekTs.push_back(entries[i].dts);
        }
    }
    m_position = -1;
    return true;
}

int FfmpegDecoder::numberOf(std::int64_t pts) const
{
    const auto found = std::lower_bound(m_index.pts.begin(), m_index.pts.end(), pts);
    if (found == m_index.pts.end() || *found != pts)
        return -1;
    return static_cast<int>(found - m_index.pts.begin());
}

bool FfmpegDecoder::seekToKeyFrame(std::size_t keyPosition)
{
    Codec& c = *m_codec;
    avcodec_flush_buffers(c.decoder);
    if (c.unpack)
        av_bsf_flush(c.unpack);
    c.drained = false;
    c.readEnded = false;
    m_position = -1;
    const std::int64_t ts = m_keySeekTs[keyPosition];
    m_skipBefore = ts;
    if (av_seek_frame(c.format, c.stream, ts, AVSEEK_FLAG_BACKWARD) >= 0)
        return true;
    // Some streams cannot be sought by timestamp; the start is then found by its first byte.
    return keyPosition == 0 && av_seek_frame(c.format, c.stream, 0, AVSEEK_FLAG_BYTE | AVSEEK_FLAG_BACKWARD) >= 0;
}

bool FfmpegDecoder::decodeForwardTo(int number, QImage& picture, const std::function<bool()>& cancelled,
                                    const Preview& preview)
{
    Codec& c = *m_codec;
    const std::int64_t target = m_index.pts[static_cast<std::size_t>(number)];
    // The frames just before the target are kept too, for stepping back; they must then be
    // decoded even where nothing refers to them.
    const int firstKept = std::max(0, number - keptFrames() + 1);
    const std::int64_t firstDecoded = m_index.pts[static_cast<std::size_t>(firstKept)];
    bool previewWanted = static_cast<bool>(preview);
    for (;;) {
        int result = avcodec_receive_frame(c.decoder, c.frame);
        if (result == 0) {
            const std::int64_t pts = c.frame->pts != AV_NOPTS_VALUE ? c.frame->pts : c.frame->best_effort_timestamp;
            m_position = numberOf(pts);
            if (pts == target) {
                picture = toImage();
            } else if (m_position >= firstKept && m_position < number) {
                keep(m_position, toImage());
            } else if (previewWanted && m_position >= 0 && m_position < number) {
                previewWanted = false;
                preview(m_position, toImage());
            }
            av_frame_unref(c.frame);
            if (pts == target)
                return !picture.isNull();
            if (pts > target)
                return false;
            continue;
        }
        if (result != AVERROR(EAGAIN)) {
            // The end of the stream, or a decoding error: only a seek can go on from here.
            m_position = -1;
            return false;
        }
        if (cancelled && cancelled())
            return false;
        if (!readPacket()) {
            if (c.drained) {
                m_position = -1;
                return false;
            }
            // Decoders hold frames back for reordering; the end of the stream lets them out.
            avcodec_send_packet(c.decoder, nullptr);
            c.drained = true;
            continue;
        }
        AVPacket& packet = *c.packet;
        if (packet.dts != AV_NOPTS_VALUE && packet.dts < m_skipBefore) {
            av_packet_unref(c.packet);
            continue;
        }
        m_skipBefore = std::numeric_limits<std::int64_t>::min();
        if (!m_ptsOfDts.empty() && packet.dts != AV_NOPTS_VALUE) {
            const auto found = std::lower_bound(m_ptsOfDts.begin(), m_ptsOfDts.end(),
                                                std::make_pair(packet.dts, std::numeric_limits<std::int64_t>::min()));
            if (found != m_ptsOfDts.end() && found->first == packet.dts)
                packet.pts = found->second;
        }
        // Frames no other frame refers to are not decoded on the way to the target: nothing
        // depends on them, so the target comes out the same, in about half the time.
        const std::int64_t packetPts = packet.pts != AV_NOPTS_VALUE ? packet.pts : packet.dts;
        c.decoder->skip_frame =
            packetPts != AV_NOPTS_VALUE && packetPts < firstDecoded ? AVDISCARD_NONREF : AVDISCARD_DEFAULT;
        // A damaged packet is skipped: its frame then comes out missing, or damaged.
        avcodec_send_packet(c.decoder, c.packet);
        av_packet_unref(c.packet);
    }
}

QImage FfmpegDecoder::frame(int number, const std::function<bool()>& cancelled, const Preview& preview)
{
    if (!isOpen() || number < 0 || number >= m_index.frameCount()) {
        m_error = QStringLiteral("There is no frame %1 in the video.").arg(number);
        return QImage();
    }
    for (const auto& [keptNumber, keptPicture] : m_kept) {
        if (keptNumber == number)
            return keptPicture;
    }

    QImage picture;
    const int key = m_index.keyFrameBefore(number);
    // Decoding on is cheaper than seeking while the decoder stands at or after the key
    // frame's predecessor: the seek would decode those frames again.
    if (m_position >= 0 && m_position < number && m_position + 1 >= key) {
        const bool far = number - m_position > keptFrames();
        if (decodeForwardTo(number, picture, cancelled, far ? preview : Preview()))
            return keep(number, picture);
        if (cancelled && cancelled())
            return QImage();
    }
    // A frame can come out of the decoder only after an earlier key frame (an open group of
    // pictures, or a container whose seek lands late): two key frames further back are
    // tried, then the start of the stream.
    const auto keyAt = std::lower_bound(m_index.keyFrames.begin(), m_index.keyFrames.end(), key);
    const auto first = static_cast<std::size_t>(keyAt - m_index.keyFrames.begin());
    for (std::size_t keyPosition = first;;) {
        // A picture at once only where the frame is far from where decoding starts.
        const bool far = number - m_index.keyFrames[keyPosition] > keptFrames();
        if (seekToKeyFrame(keyPosition) && decodeForwardTo(number, picture, cancelled, far ? preview : Preview()))
            return keep(number, picture);
        if ((cancelled && cancelled()) || keyPosition == 0)
            break;
        keyPosition = keyPosition + 2 > first ? keyPosition - 1 : 0;
    }
    if (!(cancelled && cancelled()))
        m_error = QStringLiteral("Frame %1 of the video %2 cannot be decoded.").arg(number).arg(m_index.file);
    return QImage();
}

QImage FfmpegDecoder::keep(int number, const QImage& picture)
{
    if (picture.isNull())
        return picture;
    m_kept.emplace_back(number, picture);
    while (static_cast<int>(m_kept.size()) > keptFrames())
        m_kept.pop_front();
    return picture;
}

int FfmpegDecoder::keptFrames() const
{
    const std::int64_t frameBytes = std::max<std::int64_t>(1, 4LL * m_index.size.width() * m_index.size.height());
    return static_cast<int>(std::clamp<std::int64_t>(64LL * 1024 * 1024 / frameBytes, 1, 9));
}

QImage FfmpegDecoder::toImage() const
{
    Codec& c = *m_codec;
    const AVFrame& frame = *c.frame;
    if (frame.width <= 0 || frame.height <= 0 || static_cast<std::int64_t>(frame.width) * frame.height > MaxPixels)
        return QImage();
    c.scaler =
        sws_getCachedContext(c.scaler, frame.width, frame.height, static_cast<AVPixelFormat>(frame.format), frame.width,
                             frame.height, AV_PIX_FMT_RGB32, SWS_BILINEAR, nullptr, nullptr, nullptr);
    QImage image(frame.width, frame.height, QImage::Format_RGB32);
    if (!c.scaler || image.isNull())
        return QImage();
    std::uint8_t* target[4] = {image.bits(), nullptr, nullptr, nullptr};
    const int targetStride[4] = {static_cast<int>(image.bytesPerLine()), 0, 0, 0};
    sws_scale(c.scaler, frame.data, frame.linesize, 0, frame.height, target, targetStride);
    // Quarter turns are copied pixel for pixel (QImage turns them without interpolating).
    if (m_index.rotation != 0)
        image = image.transformed(QTransform().rotate(m_index.rotation));
    if (m_index.mirrored)
        image = std::move(image).mirrored(true, false);
    return image;
}

VideoDecoding* talvoCreateVideoDecoding()
{
    return new FfmpegDecoder;
}
