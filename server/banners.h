#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <cstddef>
#include <optional>
#include <vector>

namespace qc::server {

// One picture of the banner service and the page a click on it opens.
struct Banner {
    QString name;        // the picture's file name, for messages
    QByteArray link;     // an absolute address or a page of the web site; may be empty
    QByteArray picture;  // the whole PNG, JPEG, GIF or BMP file
};

// Hands out the banners in turn, from the first again after the last.
class BannerRotation {
  public:
    explicit BannerRotation(std::vector<Banner> banners) : banners_(std::move(banners)) {}

    // The next banner; null when there are none.
    const Banner* Next();
    const std::vector<Banner>& Banners() const { return banners_; }

  private:
    std::vector<Banner> banners_;
    std::size_t next_ = 0;
};

// What a client's first bytes say. A request is "Ad Chess " and the client's
// version, without a line end, so it is answered as soon as the prefix is in.
enum class BannerRequest {
    Incomplete,  // a beginning of the prefix: wait for more
    Valid,       // begins with the prefix
    Invalid,     // anything else
};
BannerRequest CheckBannerRequest(QByteArrayView received);

// The line in front of the picture: its byte count, a blank, the link and a CR.
QByteArray BannerHeader(const Banner& banner);

// Pictures larger than this are left out: a banner is a few kilobytes, and
// each one is held in memory for the whole run.
inline constexpr qint64 kMaxBannerBytes = 1024 * 1024;

struct BannerFolder {
    std::vector<Banner> banners;
    QString error;         // why the folder itself could not be read; empty if it could
    QStringList problems;  // one line each, for standard error
};

// Reads every picture file of the folder (*.png, *.jpg, *.jpeg, *.gif, *.bmp,
// in any case) in the order of the file names, each with the first line of
// the ".link" file of the same base name as its link (none: an empty link).
// A file whose content is not such a picture, that is empty, too large or
// unreadable is left out with a problem line.
BannerFolder ReadBannerFolder(const QString& path);

// The pictures compiled into the server.
std::vector<Banner> BuiltInBanners();

// What the server serves: the folder's pictures, or the built-in ones without
// a folder or when it gives none (with a problem line saying so). A bad
// banner folder must not keep the game service from starting.
BannerFolder LoadBanners(const std::optional<QString>& folder);

}  // namespace qc::server
