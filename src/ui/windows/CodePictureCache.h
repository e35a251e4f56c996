#pragma once
// The code list's pictures, loaded from their files and scaled to exactly
// 120 x 80 pixels (no aspect correction), kept by path together with the
// file's size, modification time and inode. The list is rebuilt every three
// seconds while a code is connected; a file that has not changed since it was
// last read is not decoded again, and one that has (a viewer rewrites its
// code's picture) is.

#include <QHash>
#include <QPixmap>
#include <QSet>
#include <QSize>
#include <QString>

namespace ostiva {

class CodePictureCache {
  public:
    static constexpr QSize kPictureSize{120, 80};

    // The picture of the file at `path`, scaled; a null pixmap when the file
    // is missing or cannot be decoded. Transparent pixels come out black, as
    // the list's 24-bit image list holds them.
    QPixmap Picture(const QString& path);

    // Forgets every path not in `used`, so that the pictures of deleted
    // codes do not pile up over a long run.
    void Retain(const QSet<QString>& used);
    void Clear() { entries_.clear(); }

    // How many files have been decoded so far.
    int Decodes() const { return decodes_; }
    int Size() const { return int(entries_.size()); }

    // Loads and scales a picture file without caching; null on failure.
    static QPixmap Load(const QString& path);

  private:
    struct Stamp {
        long long size = -1;
        long long modifiedNs = 0;
        unsigned long long inode = 0;
        bool operator==(const Stamp&) const = default;
    };
    struct Entry {
        Stamp stamp;
        QPixmap picture;  // null: the file could not be decoded
    };
    // False when the file cannot be examined (missing, not a file).
    static bool ReadStamp(const QString& path, Stamp* stamp);

    QHash<QString, Entry> entries_;
    int decodes_ = 0;
};

}  // namespace ostiva
