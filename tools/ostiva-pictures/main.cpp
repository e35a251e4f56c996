// ostiva-pictures DIRECTORY: writes "ready.png", "connecting.png" and
// "disconnected.png" into DIRECTORY.
// ostiva-pictures --icons DIRECTORY: writes the program's icon at every
// hicolor size, as DIRECTORY/<size>x<size>/apps/ostiva-manager.png.
// Exit status 1 when a picture cannot be written.

#include <QDir>
#include <QImage>
#include <cstdio>
#include <string_view>
#include <utility>

#include "AppIcon.h"
#include "StatePictures.h"

namespace {

int WriteIcons(const QDir& root) {
    int status = 0;
    for (int size : ostiva::pictures::kIconSizes) {
        const QString folder = root.filePath(QStringLiteral("%1x%1/apps").arg(size));
        const QString path = folder + QStringLiteral("/ostiva-manager.png");
        if (!QDir().mkpath(folder) || !ostiva::pictures::AppIcon(size).save(path, "PNG")) {
            std::fprintf(stderr, "ostiva-pictures: cannot write %s\n", qPrintable(path));
            status = 1;
        }
    }
    return status;
}

}  // namespace

int main(int argc, char** argv) {
    const bool icons = argc == 3 && std::string_view(argv[1]) == "--icons";
    if (argc != 2 && !icons) {
        std::fprintf(stderr, "usage: ostiva-pictures [--icons] DIRECTORY\n");
        return 2;
    }
    if (icons) return WriteIcons(QDir(QString::fromLocal8Bit(argv[2])));
    const QDir dir(QString::fromLocal8Bit(argv[1]));
    if (!dir.exists() && !QDir().mkpath(dir.path())) {
        std::fprintf(stderr, "ostiva-pictures: cannot create %s\n", argv[1]);
        return 1;
    }
    using namespace ostiva::pictures;
    const std::pair<const char*, QImage> pictures[] = {
        {"ready.png", ReadyPicture()},
        {"connecting.png", ConnectingPicture()},
        {"disconnected.png", DisconnectedPicture()},
    };
    int status = 0;
    for (const auto& [name, image] : pictures) {
        const QString path = dir.filePath(QString::fromLatin1(name));
        if (!image.save(path, "PNG")) {
            std::fprintf(stderr, "ostiva-pictures: cannot write %s\n", qPrintable(path));
            status = 1;
        }
    }
    return status;
}
