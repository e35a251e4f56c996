#include "ui/windows/CodePictureCache.h"

#include <sys/stat.h>

#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QPainter>

namespace ostiva {

namespace {

// A picture larger than this is refused rather than decoded: the list only
// ever shows 120 x 80, and a hostile file in "imgs" must not exhaust memory.
constexpr int kMaxSourcePixels = 8192 * 8192;

}  // namespace

bool CodePictureCache::ReadStamp(const QString& path, Stamp* stamp) {
    struct stat info {};
    if (stat(QFile::encodeName(path).constData(), &info) != 0 || !S_ISREG(info.st_mode)) {
        return false;
    }
    stamp->size = static_cast<long long>(info.st_size);
    stamp->modifiedNs =
        static_cast<long long>(info.st_mtim.tv_sec) * 1000000000LL + info.st_mtim.tv_nsec;
    stamp->inode = static_cast<unsigned long long>(info.st_ino);
    return true;
}

QPixmap CodePictureCache::Load(const QString& path) {
    QImageReader reader(path);
    const QSize size = reader.size();
    if (size.isValid() && static_cast<long long>(size.width()) * size.height() > kMaxSourcePixels) {
        return QPixmap();
    }
    const QImage source = reader.read();
    if (source.isNull()) return QPixmap();
    // Scaled to the slot whatever the proportions, then laid on black: the
    // image list keeps 24-bit colour without an alpha channel.
    const QImage scaled =
        source.scaled(kPictureSize, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    QImage opaque(kPictureSize, QImage::Format_RGB32);
    opaque.fill(Qt::black);
    {
        QPainter painter(&opaque);
        painter.drawImage(0, 0, scaled);
    }
    return QPixmap::fromImage(opaque);
}

QPixmap CodePictureCache::Picture(const QString& path) {
    Stamp stamp;
    if (!ReadStamp(path, &stamp)) {
        entries_.remove(path);
        return QPixmap();
    }
    auto it = entries_.find(path);
    if (it != entries_.end() && it->stamp == stamp) return it->picture;

    ++decodes_;
    Entry entry{stamp, Load(path)};
    // A file being written while it was read may have changed meanwhile:
    // keep the stamp taken before the read, so the next pass reads it again.
    entries_.insert(path, entry);
    return entry.picture;
}

void CodePictureCache::Retain(const QSet<QString>& used) {
    for (auto it = entries_.begin(); it != entries_.end();) {
        if (used.contains(it.key())) {
            ++it;
        } else {
            it = entries_.erase(it);
        }
    }
}

}  // namespace ostiva
