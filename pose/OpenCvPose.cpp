// SPDX-License-Identifier: GPL-3.0-or-later
// The pose networks on OpenCV's dnn module: built as the module talvo-pose.so, which the
// program loads when it first looks for a person (PoseFinder).
#include "PoseNetworks.h"

#include <QFile>

#include <opencv2/core.hpp>
#include <opencv2/dnn.hpp>
#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <cmath>
#include <optional>
#include <vector>

namespace pose {

namespace {

constexpr int DetectorSize = 224;
constexpr int CropSize = 256;
constexpr double DetectorThreshold = 0.5;
constexpr double SameBodyOverlap = 0.3;
// The crop is this much larger than twice the distance between the two alignment points.
constexpr double CropMargin = 1.25;

// The model's numbers of the landmarks each program landmark comes from, person's right side
// first. The knuckles are the middle of two.
struct Source
{
    int first;
    int second; // -1: the first alone
};
constexpr Source Sources[2][LandmarkCount] = {
    {{24, -1}, {12, -1}, {14, -1}, {16, -1}, {20, 18}, {8, -1}}, // right
    {{23, -1}, {11, -1}, {13, -1}, {15, -1}, {19, 17}, {7, -1}}, // left
};
constexpr int Nose = 0;
constexpr int ModelLandmarks = 39; // 33 of the body, then the two alignment points and two more
constexpr int AlignmentCentre = 33;
constexpr int AlignmentScale = 34;

double sigmoid(double x)
{
    return 1.0 / (1.0 + std::exp(-x));
}

struct Anchor
{
    float x;
    float y;
};

// The detector's anchors: cell centres of a 28x28 grid (2 per cell), a 14x14 grid (2 per
// cell) and a 7x7 grid (6 per cell), as fractions of the input.
const std::vector<Anchor>& anchors()
{
    static const std::vector<Anchor> list = [] {
        std::vector<Anchor> out;
        const struct
        {
            int stride;
            int perCell;
        } layers[] = {{8, 2}, {16, 2}, {32, 6}};
        for (const auto& layer : layers) {
            const int cells = DetectorSize / layer.stride;
            for (int y = 0; y < cells; ++y) {
                for (int x = 0; x < cells; ++x) {
                    for (int k = 0; k < layer.perCell; ++k)
                        out.push_back({float((x + 0.5) / cells), float((y + 0.5) / cells)});
                }
            }
        }
        return out;
    }();
    return list;
}

struct Detection
{
    cv::Rect2d box; // in picture pixels
    double score;
    Alignment alignment;
};

double overlap(const cv::Rect2d& a, const cv::Rect2d& b)
{
    const double common = (a & b).area();
    const double all = a.area() + b.area() - common;
    return all > 0 ? common / all : 0;
}

// The picture as OpenCV sees it, without copying: 3 bytes (RGB) or 4 (BGRA) a pixel.
struct Pixels
{
    QImage keep;
    cv::Mat mat;
    bool bgr = false;
};

Pixels pixelsOf(const QImage& picture)
{
    Pixels pixels;
    switch (picture.format()) {
    case QImage::Format_RGB32:
    case QImage::Format_ARGB32:
    case QImage::Format_ARGB32_Premultiplied:
        pixels.keep = picture;
        pixels.bgr = true; // bytes B, G, R, A on a little-endian machine
        pixels.mat = cv::Mat(picture.height(), picture.width(), CV_8UC4, const_cast<uchar*>(pixels.keep.constBits()),
                             std::size_t(pixels.keep.bytesPerLine()));
        break;
    default:
        pixels.keep =
            picture.format() == QImage::Format_RGB888 ? picture : picture.convertToFormat(QImage::Format_RGB888);
        pixels.mat = cv::Mat(pixels.keep.height(), pixels.keep.width(), CV_8UC3,
                             const_cast<uchar*>(pixels.keep.constBits()), std::size_t(pixels.keep.bytesPerLine()));
        break;
    }
    return pixels;
}

// `image` (of `pixels`' kind) as three channels R, G, B.
cv::Mat rgbOf(const cv::Mat& image, bool bgr)
{
    cv::Mat rgb;
    if (image.channels() == 4)
        cv::cvtColor(image, rgb, bgr ? cv::COLOR_BGRA2RGB : cv::COLOR_RGBA2RGB);
    else
        rgb = image;
    return rgb;
}

// The crop of the landmark model around `alignment`: the matrix that takes crop pixels to
// picture pixels.
cv::Matx23d cropToPicture(const Alignment& alignment)
{
    const double dx = alignment.scale.x() - alignment.centre.x();
    const double dy = alignment.scale.y() - alignment.centre.y();
    const double length = std::hypot(dx, dy);
    const double side = 2 * length * CropMargin;
    // The body's up (centre towards the scale point) is the crop's up.
    const double upX = length > 0 ? dx / length : 0;
    const double upY = length > 0 ? dy / length : -1;
    const double rightX = -upY;
    const double rightY = upX;
    const double downX = -upX;
    const double downY = -upY;
    const double k = side / CropSize;
    const double cx = alignment.centre.x() - 0.5 * side * (rightX + downX);
    const double cy = alignment.centre.y() - 0.5 * side * (rightY + downY);
    return {rightX * k, downX * k, cx, rightY * k, downY * k, cy};
}

QPointF apply(const cv::Matx23d& m, double x, double y)
{
    return {m(0, 0) * x + m(0, 1) * y + m(0, 2), m(1, 0) * x + m(1, 1) * y + m(1, 2)};
}

} // namespace

namespace {

// Every person the detector sees on `pixels`, largest first, overlapping boxes of one body
// merged.
std::vector<Detection> detect(cv::dnn::Net& net, const std::vector<cv::String>& outputNames, const Pixels& pixels)
{
    const int width = pixels.mat.cols;
    const int height = pixels.mat.rows;
    const int side = std::max(width, height);
    // Letter-boxed: the picture fitted into the square input, centred, the rest black.
    const double fit = double(DetectorSize) / side;
    const int fittedWidth = std::clamp(int(std::lround(width * fit)), 1, DetectorSize);
    const int fittedHeight = std::clamp(int(std::lround(height * fit)), 1, DetectorSize);
    cv::Mat fitted;
    cv::resize(pixels.mat, fitted, cv::Size(fittedWidth, fittedHeight), 0, 0, cv::INTER_AREA);
    cv::Mat square(DetectorSize, DetectorSize, CV_8UC3, cv::Scalar::all(0));
    const int left = (DetectorSize - fittedWidth) / 2;
    const int top = (DetectorSize - fittedHeight) / 2;
    rgbOf(fitted, pixels.bgr).copyTo(square(cv::Rect(left, top, fittedWidth, fittedHeight)));

    const cv::Mat blob = cv::dnn::blobFromImage(square, 1.0 / 127.5, cv::Size(), cv::Scalar::all(127.5), false, false);
    net.setInput(blob);
    std::vector<cv::Mat> outputs;
    net.forward(outputs, outputNames);
    // One output holds 12 values per anchor, the other its score.
    const cv::Mat& boxes = outputs[0].total() == anchors().size() * 12 ? outputs[0] : outputs[1];
    const cv::Mat& scores = outputs[0].total() == anchors().size() * 12 ? outputs[1] : outputs[0];
    const auto* raw = boxes.ptr<float>();
    const auto* logits = scores.ptr<float>();

    // From input fractions to picture pixels.
    const double scale = DetectorSize / fit;
    const auto toPicture = [&](double fx, double fy) {
        return QPointF(fx * scale - left / fit, fy * scale - top / fit);
    };
    std::vector<Detection> found;
    for (std::size_t i = 0; i < anchors().size(); ++i) {
        const double score = sigmoid(std::clamp(double(logits[i]), -100.0, 100.0));
        if (score < DetectorThreshold)
            continue;
        const float* r = raw + 12 * i;
        const Anchor& a = anchors()[i];
        const double cx = r[0] / DetectorSize + a.x;
        const double cy = r[1] / DetectorSize + a.y;
        const double w = r[2] / DetectorSize;
        const double h = r[3] / DetectorSize;
        const QPointF topLeft = toPicture(cx - w / 2, cy - h / 2);
        const QPointF bottomRight = toPicture(cx + w / 2, cy + h / 2);
        Detection d;
        d.box = cv::Rect2d(topLeft.x(), topLeft.y(), bottomRight.x() - topLeft.x(), bottomRight.y() - topLeft.y());
        d.score = score;
        d.alignment.centre = toPicture(r[4] / DetectorSize + a.x, r[5] / DetectorSize + a.y);
        d.alignment.scale = toPicture(r[6] / DetectorSize + a.x, r[7] / DetectorSize + a.y);
        found.push_back(d);
    }
    // Boxes of one body merge into their best-scoring one.
    std::sort(found.begin(), found.end(), [](const Detection& a, const Detection& b) { return a.score > b.score; });
    std::vector<Detection> people;
    for (const Detection& d : found) {
        const bool same = std::any_of(people.begin(), people.end(),
                                      [&](const Detection& p) { return overlap(p.box, d.box) > SameBodyOverlap; });
        if (!same)
            people.push_back(d);
    }
    std::stable_sort(people.begin(), people.end(),
                     [](const Detection& a, const Detection& b) { return a.box.area() > b.box.area(); });
    return people;
}

// The model's 39 landmarks on the crop around `alignment`, in picture pixels.
BodyLandmarks landmarksAt(cv::dnn::Net& net, const std::vector<cv::String>& outputNames, const Pixels& pixels,
                          const Alignment& alignment)
{
    BodyLandmarks body;
    cv::Matx23d toPicture = cropToPicture(alignment);
    const double pixelSize = std::hypot(toPicture(0, 0), toPicture(1, 0)); // picture pixels per crop pixel

    // The crop is taken from a copy of the part of the picture it covers, reduced first to
    // about the crop's own scale, so that a large picture is averaged rather than sampled.
    cv::Rect2d bounds;
    {
        std::vector<cv::Point2f> corners;
        for (const auto& [u, v] : {std::pair{0, 0}, {CropSize, 0}, {0, CropSize}, {CropSize, CropSize}}) {
            const QPointF p = apply(toPicture, u, v);
            corners.emplace_back(float(p.x()), float(p.y()));
        }
        bounds = cv::boundingRect(corners);
    }
    const cv::Rect region = cv::Rect(bounds) & cv::Rect(0, 0, pixels.mat.cols, pixels.mat.rows);
    cv::Mat crop(CropSize, CropSize, CV_8UC3, cv::Scalar::all(0));
    if (region.area() > 0) {
        cv::Mat part = pixels.mat(region);
        double reduce = 1;
        if (pixelSize > 1.5) {
            reduce = 1.0 / pixelSize;
            cv::resize(part, part, cv::Size(), reduce, reduce, cv::INTER_AREA);
            reduce = double(part.cols) / region.width;
        }
        // Crop pixels to the reduced part's pixels.
        cv::Matx23d toPart = toPicture;
        for (int r = 0; r < 2; ++r) {
            const double shift = r == 0 ? region.x : region.y;
            toPart(r, 2) -= shift;
            for (int c = 0; c < 3; ++c)
                toPart(r, c) *= reduce;
        }
        cv::warpAffine(rgbOf(part, pixels.bgr), crop, cv::Mat(toPart), cv::Size(CropSize, CropSize),
                       cv::INTER_LINEAR | cv::WARP_INVERSE_MAP, cv::BORDER_CONSTANT, cv::Scalar::all(0));
    }

    const cv::Mat blob = cv::dnn::blobFromImage(crop, 1.0 / 255, cv::Size(), cv::Scalar(), false, false);
    net.setInput(blob);
    std::vector<cv::Mat> outputs;
    net.forward(outputs, outputNames);
    const bool firstIsLandmarks = outputs[0].total() == std::size_t(ModelLandmarks) * 5;
    const cv::Mat& values = firstIsLandmarks ? outputs[0] : outputs[1];
    const cv::Mat& presence = firstIsLandmarks ? outputs[1] : outputs[0];
    const auto* v = values.ptr<float>();
    body.presence = double(presence.ptr<float>()[0]);
    body.found = body.presence >= ConfidentFrom;

    const auto place = [&](int i) {
        const std::size_t at = 5 * std::size_t(i);
        return apply(toPicture, v[at], v[at + 1]);
    };
    const auto confidence = [&](int i) { return sigmoid(v[5 * std::size_t(i) + 3]); };
    for (int s = 0; s < 2; ++s) {
        for (int l = 0; l < LandmarkCount; ++l) {
            const Source& source = Sources[s][l];
            LandmarkGuess& guess = body.points[std::size_t(s) * LandmarkCount + std::size_t(l)];
            if (source.second < 0) {
                guess.at = place(source.first);
                guess.confidence = confidence(source.first);
            } else {
                guess.at = (place(source.first) + place(source.second)) / 2;
                guess.confidence = std::min(confidence(source.first), confidence(source.second));
            }
        }
    }
    body.next = Alignment{place(AlignmentCentre), place(AlignmentScale)};

    // The nose ahead of the shoulders, by more than a tenth of the trunk's length, says
    // which way the person looks; a face seen from the front leaves it unknown.
    const QPointF shoulders = (place(11) + place(12)) / 2;
    const QPointF hips = (place(23) + place(24)) / 2;
    const double trunk = std::hypot(shoulders.x() - hips.x(), shoulders.y() - hips.y());
    const double ahead = place(Nose).x() - shoulders.x();
    if (std::abs(ahead) > 0.1 * trunk)
        body.facing = ahead < 0 ? Facing::Left : Facing::Right;
    return body;
}

class OpenCvNetworks : public PoseNetworks
{
public:
    // A network is a handle: copying one shares it.
    OpenCvNetworks(const cv::dnn::Net& detector, const cv::dnn::Net& landmarks)
        : m_detector(detector), m_landmarks(landmarks), m_detectorOutputs(m_detector.getUnconnectedOutLayersNames()),
          m_landmarkOutputs(m_landmarks.getUnconnectedOutLayersNames())
    {
    }

    BodyLandmarks find(const QImage& picture) override
    {
        if (picture.isNull())
            return {};
        const Pixels pixels = pixelsOf(picture);
        const std::vector<Detection> people = detect(m_detector, m_detectorOutputs, pixels);
        if (people.empty())
            return {};
        BodyLandmarks body = landmarksAt(m_landmarks, m_landmarkOutputs, pixels, people.front().alignment);
        body.people = int(people.size());
        return body;
    }

    BodyLandmarks refine(const QImage& picture, const Alignment& alignment) override
    {
        if (picture.isNull())
            return {};
        return landmarksAt(m_landmarks, m_landmarkOutputs, pixelsOf(picture), alignment);
    }

private:
    cv::dnn::Net m_detector;
    cv::dnn::Net m_landmarks;
    std::vector<cv::String> m_detectorOutputs;
    std::vector<cv::String> m_landmarkOutputs;
};

std::optional<cv::dnn::Net> networkOf(const QString& path)
{
    try {
        cv::dnn::Net net = cv::dnn::readNetFromONNX(QFile::encodeName(path).toStdString());
        net.setPreferableBackend(cv::dnn::DNN_BACKEND_OPENCV);
        net.setPreferableTarget(cv::dnn::DNN_TARGET_CPU);
        return net;
    } catch (const cv::Exception&) {
        return std::nullopt;
    }
}

} // namespace
} // namespace pose

extern "C" pose::PoseNetworks* talvoCreatePoseNetworks(const QString& detector, const QString& landmarks,
                                                       QString* unreadable)
{
    std::optional<cv::dnn::Net> detectorNet = pose::networkOf(detector);
    std::optional<cv::dnn::Net> landmarkNet = detectorNet ? pose::networkOf(landmarks) : std::nullopt;
    if (!detectorNet || !landmarkNet) {
        *unreadable = detectorNet ? landmarks : detector;
        return nullptr;
    }
    return new pose::OpenCvNetworks(*detectorNet, *landmarkNet);
}
