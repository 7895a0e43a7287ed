#include <QDir>
#include <QFile>
#include <QImageReader>

#include "platform/Cp1252.h"
#include "platform/linux/IconData.h"

// The resource file is compiled into this static library; naming its
// initialiser here makes the linker keep it.
static void InitIconResources() {
    Q_INIT_RESOURCE(zelvo);
}

namespace zelvo::platform {
namespace {

QImage Decode(QIODevice& device) {
    QImageReader reader(&device);
    // A Windows icon file holds several sizes; the reader gives the first.
    QImage image = reader.read();
    if (image.isNull())
        return image;
    return image.convertToFormat(QImage::Format_ARGB32);
}

}  // namespace

HICON LoadIconFromFile(const std::string& path) {
    QFile file(QFile::decodeName(path.c_str()));
    if (!file.open(QIODevice::ReadOnly))
        throw FileOpenError("Cannot open file \"" + path + "\". " +
                            Utf8ToCp1252(file.errorString().toStdString()));
    QImage image = Decode(file);
    if (image.isNull())
        throw InvalidGraphicError("Invalid icon file \"" + path + "\"");
    return std::make_shared<const IconData>(std::move(image), path);
}

HICON LoadIconResource(const std::string& name) {
    static const bool initialised = (InitIconResources(), true);
    (void)initialised;
    if (name.empty() || name.find('/') != std::string::npos)
        return nullptr;
    QFile file(QStringLiteral(":/icons/") + QString::fromUtf8(Cp1252ToUtf8(name).c_str()));
    if (!file.open(QIODevice::ReadOnly))
        return nullptr;
    QImage image = Decode(file);
    if (image.isNull())
        return nullptr;
    // The same picture drawn for other sizes sits in a folder named after it.
    std::vector<QImage> sizes;
    QDir folder(file.fileName() + QStringLiteral("-sizes"));
    for (const QString& entry : folder.entryList(QDir::Files, QDir::Name)) {
        QFile alternative(folder.filePath(entry));
        if (alternative.open(QIODevice::ReadOnly)) {
            QImage picture = Decode(alternative);
            if (!picture.isNull())
                sizes.push_back(std::move(picture));
        }
    }
    return std::make_shared<const IconData>(std::move(image), name, std::move(sizes));
}

std::string IconSource(const HICON& icon) {
    return icon ? icon->Source() : std::string();
}

IconPixels IconPixelsOf(const HICON& icon) {
    IconPixels pixels;
    if (!icon)
        return pixels;
    const QImage& image = icon->Image();
    pixels.width = image.width();
    pixels.height = image.height();
    pixels.argb.reserve(static_cast<size_t>(pixels.width) * pixels.height);
    for (int y = 0; y < image.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        pixels.argb.insert(pixels.argb.end(), line, line + image.width());
    }
    return pixels;
}

}  // namespace zelvo::platform
