// ostiva-pictures DIRECTORY: writes "ready.png", "connecting.png" and
// "disconnected.png" into DIRECTORY. Exit status 1 when one cannot be written.

#include <QDir>
#include <QImage>
#include <cstdio>
#include <utility>

#include "StatePictures.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: ostiva-pictures DIRECTORY\n");
        return 2;
    }
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
