// The banners without sockets: the rotation, the request, the reply's header,
// the folder and the built-in pictures.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <unistd.h>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <string>
#include <vector>

#include "server/banners.h"

namespace qc::server {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

const QByteArray kPng("\x89PNG\r\n\x1a\n", 8);

std::vector<QString> Names(const std::vector<Banner>& banners) {
    std::vector<QString> names;
    for (const Banner& b : banners) {
        names.push_back(b.name);
    }
    return names;
}

std::vector<QByteArray> Links(const std::vector<Banner>& banners) {
    std::vector<QByteArray> links;
    for (const Banner& b : banners) {
        links.push_back(b.link);
    }
    return links;
}

TEST(BannerRotationTest, HandsOutEachBannerInTurnThenFromTheStart) {
    BannerRotation rotation({{"1.png", "a", "x"}, {"2.png", "b", "y"}, {"3.png", "c", "z"}});
    std::vector<QString> got;
    for (int i = 0; i < 7; ++i) {
        const Banner* banner = rotation.Next();
        ASSERT_NE(banner, nullptr);
        got.push_back(banner->name);
    }
    EXPECT_THAT(got, ElementsAre("1.png", "2.png", "3.png", "1.png", "2.png", "3.png", "1.png"));

    BannerRotation one({{"only.png", "", "x"}});
    EXPECT_EQ(one.Next()->name, "only.png");
    EXPECT_EQ(one.Next()->name, "only.png");
    BannerRotation none({});
    EXPECT_EQ(none.Next(), nullptr);
}

TEST(BannerRequestTest, OnlyTheAdChessPrefixIsARequest) {
    const struct {
        QByteArray received;
        BannerRequest expected;
    } table[] = {
        {"", BannerRequest::Incomplete},
        {"A", BannerRequest::Incomplete},
        {"Ad Chess", BannerRequest::Incomplete},
        {"Ad Chess ", BannerRequest::Valid},
        {"Ad Chess v1.20", BannerRequest::Valid},
        {"Ad Chess v1.20 and whatever follows", BannerRequest::Valid},
        {"ad chess v1.20", BannerRequest::Invalid},
        {"Ad Chessv1.20", BannerRequest::Invalid},
        {"Ad  Chess v1.20", BannerRequest::Invalid},
        {" Ad Chess v1.20", BannerRequest::Invalid},
        {"Ad\r", BannerRequest::Invalid},
        {"GET / HTTP/1.0\r\n\r\n", BannerRequest::Invalid},
        {QByteArray("Ad\0Chess ", 9), BannerRequest::Invalid},
        {QByteArray("\0", 1), BannerRequest::Invalid},
    };
    for (const auto& row : table) {
        EXPECT_EQ(CheckBannerRequest(row.received), row.expected) << row.received.toStdString();
    }
}

TEST(BannerHeaderTest, CountBlankLinkAndCr) {
    EXPECT_EQ(BannerHeader({"a.png", "variants.html", QByteArray(3318, 'x')}),
              "3318 variants.html\r");
    EXPECT_EQ(BannerHeader({"b.gif", "http://example.org/x?y=1", "GIF89a"}),
              "6 http://example.org/x?y=1\r");
    EXPECT_EQ(BannerHeader({"c.png", "", kPng}), "8 \r");
}

// A folder in the temporary directory, filled by the test.
class BannerFolderTest : public ::testing::Test {
  protected:
    void Write(const QString& name, const QByteArray& bytes) {
        QFile file(dir.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << name.toStdString();
        ASSERT_EQ(file.write(bytes), bytes.size());
    }
    QString Path(const QString& name = {}) const {
        return name.isEmpty() ? dir.path() : dir.filePath(name);
    }

    QTemporaryDir dir;
};

TEST_F(BannerFolderTest, ReadsThePicturesInNameOrderWithTheirLinks) {
    ASSERT_TRUE(dir.isValid());
    const QByteArray gif = "GIF89a-gif";
    const QByteArray jpeg = "\xFF\xD8\xFF\xE0-jpeg";
    const QByteArray bmp = "BM" + QByteArray(40, '\0');
    const QByteArray png = kPng + "-png";
    Write("b.png", png);
    Write("b.link", "http://example.org/b\r\nthe second line is not read\n");
    Write("a.gif", gif);
    Write("a.link", "  scoreboard.html  \n");
    Write("C.JPG", jpeg);  // no link file
    Write("d.bmp", bmp);
    Write("d.link", "\xEF\xBB\xBFhelp.html");  // a byte order mark and no line end
    Write("e.f.jpeg", jpeg);
    Write("e.f.link", "variants.html\rmore");
    Write("notes.txt", "not a picture");
    Write("x.link", "a link without a picture");
    Write(".hidden.png", png);
    ASSERT_TRUE(QDir(Path()).mkdir("folder.png"));

    const BannerFolder folder = ReadBannerFolder(Path());
    EXPECT_EQ(folder.error, "");
    EXPECT_THAT(folder.problems, IsEmpty());
    EXPECT_THAT(Names(folder.banners), ElementsAre("C.JPG", "a.gif", "b.png", "d.bmp", "e.f.jpeg"));
    EXPECT_THAT(Links(folder.banners), ElementsAre("", "scoreboard.html", "http://example.org/b",
                                                   "help.html", "variants.html"));
    ASSERT_EQ(folder.banners.size(), 5u);
    EXPECT_EQ(folder.banners[0].picture, jpeg);
    EXPECT_EQ(folder.banners[1].picture, gif);
    EXPECT_EQ(folder.banners[2].picture, png);
    EXPECT_EQ(folder.banners[3].picture, bmp);
}

TEST_F(BannerFolderTest, LeavesOutWhatIsNoPictureWithALineEach) {
    ASSERT_TRUE(dir.isValid());
    Write("a.png", kPng + "fine");
    Write("b.png", "<html>not a picture</html>");
    Write("c.gif", "");
    Write("d.bmp", "BM");  // too short for a bitmap header
    Write("e.jpg", "\xFF\xD8\xFF" + QByteArray(kMaxBannerBytes, 'x'));
    Write("f.png", kPng + QByteArray(kMaxBannerBytes - kPng.size(), 'x'));  // just fits
    Write("g.png", kPng);
    Write("g.link", QByteArray(3000, 'h'));

    const BannerFolder folder = ReadBannerFolder(Path());
    EXPECT_THAT(Names(folder.banners), ElementsAre("a.png", "f.png", "g.png"));
    EXPECT_THAT(Links(folder.banners), ElementsAre("", "", ""));
    const QString p = Path() + "/";
    EXPECT_THAT(folder.problems,
                ElementsAre("banner '" + p + "b.png' left out: not a PNG, JPEG, GIF or BMP picture",
                            "banner '" + p + "c.gif' left out: empty",
                            "banner '" + p + "d.bmp' left out: not a PNG, JPEG, GIF or BMP picture",
                            "banner '" + p + "e.jpg' left out: larger than 1 MiB",
                            "banner '" + p + "g.png' gets no link: the first line of '" + p +
                                "g.link' is too long"));
}

TEST_F(BannerFolderTest, AFolderThatCannotBeReadIsAnError) {
    ASSERT_TRUE(dir.isValid());
    Write("file.png", kPng);
    const struct {
        QString path;
        QString error;
    } table[] = {
        {Path("missing"),
         "cannot read the banner folder '" + Path("missing") + "': no such folder"},
        {Path("file.png"),
         "cannot read the banner folder '" + Path("file.png") + "': not a folder"},
    };
    for (const auto& row : table) {
        const BannerFolder folder = ReadBannerFolder(row.path);
        EXPECT_EQ(folder.error, row.error);
        EXPECT_THAT(folder.banners, IsEmpty());
    }
}

TEST_F(BannerFolderTest, AFolderWithoutReadPermissionIsAnError) {
    if (geteuid() == 0) {
        GTEST_SKIP() << "permissions do not hold for root";
    }
    ASSERT_TRUE(QDir(Path()).mkdir("closed"));
    ASSERT_TRUE(QFile::setPermissions(Path("closed"), QFileDevice::WriteOwner));
    const BannerFolder folder = ReadBannerFolder(Path("closed"));
    EXPECT_EQ(folder.error,
              "cannot read the banner folder '" + Path("closed") + "': permission denied");
    QFile::setPermissions(Path("closed"),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

// Width and height from a PNG's header chunk, or 0 x 0 if it has none.
std::pair<int, int> PngSize(const QByteArray& png) {
    if (!png.startsWith(kPng) || png.size() < 24 || png.mid(12, 4) != "IHDR") {
        return {0, 0};
    }
    auto number = [&](int at) {
        int n = 0;
        for (int i = 0; i < 4; ++i) {
            n = n * 256 + static_cast<unsigned char>(png[at + i]);
        }
        return n;
    };
    return {number(16), number(20)};
}

TEST(BuiltInBannersTest, ThreePngsOf468By60LinkedToTheSitesPages) {
    const std::vector<Banner> banners = BuiltInBanners();
    EXPECT_THAT(Names(banners), ElementsAre("01-variants.png", "02-scoreboard.png", "03-bot.png"));
    EXPECT_THAT(Links(banners), ElementsAre("variants.html", "scoreboard.html", "help.html"));
    for (const Banner& banner : banners) {
        EXPECT_EQ(PngSize(banner.picture), std::make_pair(468, 60)) << banner.name.toStdString();
        // The file is whole: it ends with the IEND chunk and its checksum.
        EXPECT_EQ(banner.picture.right(12), QByteArray("\0\0\0\0IEND\xAE\x42\x60\x82", 12))
            << banner.name.toStdString();
    }
}

TEST_F(BannerFolderTest, LoadingFallsBackToTheBuiltInBannersWithALine) {
    ASSERT_TRUE(dir.isValid());
    ASSERT_TRUE(QDir(Path()).mkdir("empty"));
    ASSERT_TRUE(QDir(Path()).mkdir("junk"));
    Write("junk/a.png", "junk");
    ASSERT_TRUE(QDir(Path()).mkdir("good"));
    Write("good/z.gif", "GIF87a");
    const auto builtIn = Names(BuiltInBanners());
    ASSERT_EQ(builtIn.size(), 3u);

    const struct {
        std::optional<QString> folder;
        std::vector<QString> names;
        QStringList problems;
    } table[] = {
        {std::nullopt, builtIn, {}},
        {Path("good"), {"z.gif"}, {}},
        {Path("empty"),
         builtIn,
         {"no pictures in the banner folder '" + Path("empty") +
          "'; serving the built-in banners"}},
        {Path("junk"),
         builtIn,
         {"banner '" + Path("junk/a.png") + "' left out: not a PNG, JPEG, GIF or BMP picture",
          "no pictures in the banner folder '" + Path("junk") + "'; serving the built-in banners"}},
        {Path("missing"),
         builtIn,
         {"cannot read the banner folder '" + Path("missing") +
          "': no such folder; serving the built-in banners"}},
    };
    for (const auto& row : table) {
        const BannerFolder loaded = LoadBanners(row.folder);
        EXPECT_EQ(Names(loaded.banners), row.names) << row.folder.value_or("none").toStdString();
        EXPECT_EQ(loaded.problems, row.problems) << row.folder.value_or("none").toStdString();
    }
}

}  // namespace
}  // namespace qc::server
