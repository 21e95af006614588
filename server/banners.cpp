#include "server/banners.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>

namespace qc::server {
namespace {

constexpr QByteArrayView kRequestPrefix = "Ad Chess ";

// A link longer than this is no address anyone meant; the client would not
// open it either.
constexpr qint64 kMaxLinkBytes = 2048;

bool IsPictureName(const QFileInfo& file) {
    static const QStringList suffixes = {"png", "jpg", "jpeg", "gif", "bmp"};
    return suffixes.contains(file.suffix().toLower());
}

// By content, not by name: a client decodes what it receives.
bool IsPicture(const QByteArray& data) {
    return data.startsWith("\x89PNG\r\n\x1a\n") || data.startsWith("\xFF\xD8\xFF") ||
           data.startsWith("GIF87a") || data.startsWith("GIF89a") ||
           (data.startsWith("BM") && data.size() >= 26);
}

// The first line of the link file, without its line end, surrounding blanks
// and a byte order mark; none when that line is too long to be an address.
// A CR would end the reply's header early, so the line ends at the first CR
// or LF.
std::optional<QByteArray> FirstLine(QFile& file) {
    // Room for the mark and one byte more than allowed.
    QByteArray line = file.read(kMaxLinkBytes + 4);
    if (line.startsWith("\xEF\xBB\xBF")) {
        line.remove(0, 3);
    }
    qsizetype end = 0;
    while (end < line.size() && line[end] != '\r' && line[end] != '\n') {
        ++end;
    }
    if (end > kMaxLinkBytes) {
        return std::nullopt;
    }
    line.truncate(end);
    return line.trimmed();
}

}  // namespace

const Banner* BannerRotation::Next() {
    if (banners_.empty()) {
        return nullptr;
    }
    const Banner* banner = &banners_[next_];
    next_ = (next_ + 1) % banners_.size();
    return banner;
}

BannerRequest CheckBannerRequest(QByteArrayView received) {
    if (received.size() < kRequestPrefix.size()) {
        return kRequestPrefix.startsWith(received) ? BannerRequest::Incomplete
                                                   : BannerRequest::Invalid;
    }
    return received.startsWith(kRequestPrefix) ? BannerRequest::Valid : BannerRequest::Invalid;
}

QByteArray BannerHeader(const Banner& banner) {
    return QByteArray::number(banner.picture.size()) + ' ' + banner.link + '\r';
}

BannerFolder ReadBannerFolder(const QString& path) {
    BannerFolder folder;
    const QFileInfo info(path);
    if (!info.exists()) {
        folder.error = "cannot read the banner folder '" + path + "': no such folder";
        return folder;
    }
    if (!info.isDir()) {
        folder.error = "cannot read the banner folder '" + path + "': not a folder";
        return folder;
    }
    if (!info.isReadable()) {
        folder.error = "cannot read the banner folder '" + path + "': permission denied";
        return folder;
    }

    const QDir dir(path);
    QFileInfoList files = dir.entryInfoList(QDir::Files, QDir::NoSort);
    files.removeIf([](const QFileInfo& f) { return !IsPictureName(f); });
    std::sort(files.begin(), files.end(),
              [](const QFileInfo& a, const QFileInfo& b) { return a.fileName() < b.fileName(); });
    for (const QFileInfo& file : files) {
        const QString name = file.fileName();
        auto leaveOut = [&](const QString& why) {
            folder.problems << "banner '" + dir.filePath(name) + "' left out: " + why;
        };
        QFile picture(file.filePath());
        if (!picture.open(QIODevice::ReadOnly)) {
            leaveOut("cannot read it (" + picture.errorString() + ")");
            continue;
        }
        // Read one byte more than allowed, so that a file that grows or
        // reports no size is caught too.
        const QByteArray data = picture.read(kMaxBannerBytes + 1);
        if (data.size() > kMaxBannerBytes) {
            leaveOut("larger than 1 MiB");
            continue;
        }
        if (data.isEmpty()) {
            leaveOut("empty");
            continue;
        }
        if (!IsPicture(data)) {
            leaveOut("not a PNG, JPEG, GIF or BMP picture");
            continue;
        }
        Banner banner{name, {}, data};
        QFile link(dir.filePath(file.completeBaseName() + ".link"));
        if (link.exists()) {
            const QString noLink = "banner '" + dir.filePath(name) + "' gets no link: ";
            if (!link.open(QIODevice::ReadOnly)) {
                folder.problems << noLink + "cannot read '" + link.fileName() + "' (" +
                                       link.errorString() + ")";
            } else if (std::optional<QByteArray> line = FirstLine(link)) {
                banner.link = *line;
            } else {
                folder.problems << noLink + "the first line of '" + link.fileName() +
                                       "' is too long";
            }
        }
        folder.banners.push_back(std::move(banner));
    }
    return folder;
}

std::vector<Banner> BuiltInBanners() {
    return ReadBannerFolder(":/banners").banners;
}

BannerFolder LoadBanners(const std::optional<QString>& folder) {
    if (!folder) {
        return {BuiltInBanners(), {}, {}};
    }
    BannerFolder loaded = ReadBannerFolder(*folder);
    if (loaded.banners.empty()) {
        const QString why = loaded.error.isEmpty()
                                ? "no pictures in the banner folder '" + *folder + "'"
                                : loaded.error;
        loaded.problems << why + "; serving the built-in banners";
        loaded.banners = BuiltInBanners();
    }
    return loaded;
}

}  // namespace qc::server
