#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "client/core/settings/ini_file.h"
#include "tests/fakes/fake_file_system.h"

namespace qc::settings {
namespace {

using fakes::FakeFileSystem;

constexpr const char* kPath = "/home/u/.config/quorvel-chess/Quorvel Chess.ini";

class IniFileTest : public ::testing::Test {
  protected:
    IniFile LoadText(const std::string& text) {
        fs.SetFile(kPath, text);
        return IniFile::Load(fs, kPath);
    }
    std::string Stored() const { return fs.File(kPath).value_or("<missing>"); }

    FakeFileSystem fs;
};

struct StringCase {
    const char* name;
    std::string file;
    const char* section;
    const char* key;
    std::string expected;
};

TEST_F(IniFileTest, ReadsStringsAsTheWindowsFunctionDoes) {
    const std::vector<StringCase> cases = {
        {"plain", "[main]\r\nQVID=alice\r\n", "main", "QVID", "alice"},
        {"missing key gives default", "[main]\r\nPW=x\r\n", "main", "QVID", "dflt"},
        {"missing section gives default", "[windows]\r\nQVID=x\r\n", "main", "QVID", "dflt"},
        {"section and key ignore case", "[MAIN]\nqvid=bob\n", "main", "QVID", "bob"},
        {"blanks around key and value", "  [ main ]  \n  QVID   =   carol  \n", "main", "QVID",
         "carol"},
        {"inner blanks kept", "[main]\nSoundFile=C:\\My Sounds\\a b.wav\n", "main", "SoundFile",
         "C:\\My Sounds\\a b.wav"},
        {"double quotes dropped", "[main]\nQVID=\"dave\"\n", "main", "QVID", "dave"},
        {"single quotes dropped", "[main]\nQVID='dave'\n", "main", "QVID", "dave"},
        {"unmatched quote kept", "[main]\nQVID=\"dave\n", "main", "QVID", "\"dave"},
        {"empty value is not the default", "[main]\nQVID=\n", "main", "QVID", ""},
        {"text after '=' kept whole", "[main]\nQVID=a=b;c\n", "main", "QVID", "a=b;c"},
        {"cut at NUL", std::string("[main]\nQVID=ab\0cd\n", 16), "main", "QVID", "ab"},
        {"first key of a name wins", "[main]\nQVID=one\nQVID=two\n", "main", "QVID", "one"},
        {"first section of a name wins", "[main]\nA=1\n[windows]\n[Main]\nQVID=late\n", "main",
         "QVID", "dflt"},
        {"key before any section is in none", "QVID=x\n[main]\n", "main", "QVID", "dflt"},
        {"comment is no key", "[main]\n;QVID=x\n", "main", "QVID", "dflt"},
        {"key of another section", "[main]\n[windows]\nQVID=x\n", "main", "QVID", "dflt"},
        {"trailing text after section name", "[main] ; ours\nQVID=e\n", "main", "QVID", "e"},
        {"no final newline", "[main]\r\nQVID=frank", "main", "QVID", "frank"},
        {"UTF-8 byte order mark", "\xEF\xBB\xBF[main]\r\nQVID=g\r\n", "main", "QVID", "g"},
        {"Windows-1252 bytes kept", "[main]\nQVID=J\xFCrgen\x80\n", "main", "QVID",
         "J\xFCrgen\x80"},
        {"lone CR stays in the line", "[main]\rQVID=h\n", "main", "QVID", "dflt"},
    };
    for (const StringCase& c : cases) {
        const IniFile ini = LoadText(c.file);
        EXPECT_EQ(ini.GetString(c.section, c.key, "dflt"), c.expected) << c.name;
    }
}

TEST_F(IniFileTest, StringsComeBackThroughA255ByteBuffer) {
    const std::string longValue(300, 'q');
    const IniFile ini = LoadText("[main]\nQVID=" + longValue + "\n");
    EXPECT_EQ(ini.GetString("main", "QVID", ""), std::string(254, 'q'));
    EXPECT_EQ(ini.GetString("main", "Other", longValue), std::string(254, 'q'));
    const std::string exact(254, 'r');
    EXPECT_EQ(LoadText("[main]\nQVID=" + exact + "\n").GetString("main", "QVID", ""), exact);
}

struct IntCase {
    std::string value;  // the text after "Key="; "<none>" leaves the key out
    std::int32_t expected;
};

TEST_F(IniFileTest, ReadsTheLeadingInteger) {
    const std::vector<IntCase> cases = {
        {"<none>", 77},
        {"", 77},  // an empty value counts as missing
        {"\"\"", 77},
        {"0", 0},
        {"1", 1},
        {"-300", -300},
        {"+7", 7},
        {"55zz", 55},
        {"1234.5", 1234},
        {"1e3", 1},
        {"yes", 0},
        {"True", 0},
        {"-", 0},
        {"+-5", 0},
        {"- 5", 0},
        {"\" 42\"", 42},
        {"'-9'", -9},
        {"0x1F", 31},
        {"0Xff", 255},
        {"0x", 0},
        {"0xg", 0},
        {"2147483647", 2147483647},
        {"2147483648", INT32_MIN},
        {"4294967296", 0},
        {"4294967297", 1},
        {"-4294967297", -1},
        {"99999999999999999999", 1661992959},  // wraps modulo 2^32
    };
    for (const IntCase& c : cases) {
        const std::string file =
            c.value == "<none>" ? "[windows]\n" : "[windows]\nGameListX=" + c.value + "\n";
        EXPECT_EQ(LoadText(file).GetInt("windows", "GameListX", 77), c.expected) << c.value;
    }
}

TEST_F(IniFileTest, MissingFileReadsEmptyAndIsCreatedOnFlush) {
    IniFile ini = IniFile::Load(fs, kPath);
    EXPECT_EQ(ini.GetString("main", "QVID", "d"), "d");
    EXPECT_EQ(ini.GetInt("main", "PlaySound", 1), 1);
    ASSERT_TRUE(ini.WriteString("main", "QVID", "alice"));
    ASSERT_TRUE(ini.WriteString("main", "PW", ""));
    ASSERT_TRUE(ini.WriteString("windows", "GameListX", "-300"));
    EXPECT_FALSE(fs.File(kPath).has_value()) << "nothing reaches the disk before Flush";
    ASSERT_TRUE(ini.Flush());
    EXPECT_EQ(Stored(), "[main]\r\nQVID=alice\r\nPW=\r\n[windows]\r\nGameListX=-300\r\n");
    EXPECT_EQ(fs.writes(), 1);
}

TEST_F(IniFileTest, ReplacesInPlaceAndKeepsEverythingElse) {
    const std::string before =
        "; Quorvel Chess settings\r\n"
        "[main]\r\n"
        "qvid = old\r\n"
        "Theme=dark\r\n"
        "; hand-written note\r\n"
        "PlaySound=1\r\n"
        "\r\n"
        "[Other]\r\n"
        "QVID=not ours\r\n"
        "[windows]\r\n"
        "GameListX=5\r\n"
        "; trailing note\r\n"
        "\r\n";
    IniFile ini = LoadText(before);
    ini.WriteString("main", "QVID", "new");
    ini.WriteString("main", "PlaySound", "1");  // same value: the line stays as it was
    ini.WriteString("MAIN", "AlwaysList", "0");
    ini.WriteString("windows", "GameListX", "-300");
    ini.WriteString("windows", "GameListY", "40");
    ini.WriteString("Extra", "K", "v");
    ASSERT_TRUE(ini.Flush());
    EXPECT_EQ(Stored(),
              "; Quorvel Chess settings\r\n"
              "[main]\r\n"
              "qvid=new\r\n"
              "Theme=dark\r\n"
              "; hand-written note\r\n"
              "PlaySound=1\r\n"
              "AlwaysList=0\r\n"
              "\r\n"
              "[Other]\r\n"
              "QVID=not ours\r\n"
              "[windows]\r\n"
              "GameListX=-300\r\n"
              "GameListY=40\r\n"
              "; trailing note\r\n"
              "\r\n"
              "[Extra]\r\n"
              "K=v\r\n");
}

TEST_F(IniFileTest, KeepsTheFilesLineEndingsAndByteOrderMark) {
    struct Case {
        const char* name;
        std::string before;
        std::string after;
    };
    const std::vector<Case> cases = {
        {"LF file", "[main]\nQVID=a\n", "[main]\nQVID=b\nPW=p\n[windows]\nX=1\n"},
        {"no final newline", "[main]\r\nQVID=a",
         "[main]\r\nQVID=b\r\nPW=p\r\n[windows]\r\nX=1\r\n"},
        {"no final newline, value replaced last", "[windows]\nX=0",
         "[windows]\nX=1\n[main]\nQVID=b\nPW=p\n"},
        {"mixed endings stay as they were", "[main]\r\nQVID=a\nZ=z\r\n",
         "[main]\r\nQVID=b\nZ=z\r\nPW=p\r\n[windows]\r\nX=1\r\n"},
        {"byte order mark", "\xEF\xBB\xBFQVID=a\n[main]\nQVID=a\n",
         "\xEF\xBB\xBFQVID=a\n[main]\nQVID=b\nPW=p\n[windows]\nX=1\n"},
        {"byte order mark on a replaced first line", "\xEF\xBB\xBF[windows]\nX=0\n",
         "\xEF\xBB\xBF[windows]\nX=1\n[main]\nQVID=b\nPW=p\n"},
    };
    for (const Case& c : cases) {
        IniFile ini = LoadText(c.before);
        ini.WriteString("main", "QVID", "b");
        ini.WriteString("main", "PW", "p");
        ini.WriteString("windows", "X", "1");
        ASSERT_TRUE(ini.Flush()) << c.name;
        EXPECT_EQ(Stored(), c.after) << c.name;
    }
}

TEST_F(IniFileTest, ValuesCannotForgeLines) {
    IniFile ini = LoadText("[main]\nPW=secret\n");
    ini.WriteString("main", "QVID", "mallory\r\nPW=forged");
    ini.WriteString("main", "SoundFile", std::string("a.wav\0[windows]", 15));
    ini.WriteString("main", "Note", "x\ny");
    ASSERT_TRUE(ini.Flush());
    EXPECT_EQ(Stored(), "[main]\nPW=secret\nQVID=mallory\nSoundFile=a.wav\nNote=x\n");
    const IniFile back = IniFile::Load(fs, kPath);
    EXPECT_EQ(back.GetString("main", "PW", ""), "secret");
    EXPECT_EQ(back.GetString("main", "QVID", ""), "mallory");
}

TEST_F(IniFileTest, RejectsNamesTheFileCannotHold) {
    IniFile ini = LoadText("[main]\nQVID=a\n");
    for (const std::string& section :
         {std::string(""), std::string("ma]in"), std::string("a\nb"), std::string(" main")}) {
        EXPECT_FALSE(ini.WriteString(section, "K", "v")) << section;
    }
    for (const std::string& key : {std::string(""), std::string("a=b"), std::string(";c"),
                                   std::string("[s]"), std::string("k\r"), std::string("k ")}) {
        EXPECT_FALSE(ini.WriteString("main", key, "v")) << key;
    }
    EXPECT_TRUE(ini.Flush());
    EXPECT_EQ(fs.writes(), 0) << "rejected writes change nothing";
    EXPECT_EQ(Stored(), "[main]\nQVID=a\n");
}

TEST_F(IniFileTest, ReadsSeeEarlierWritesOfTheSameBatch) {
    IniFile ini = LoadText("[main]\nQVID=a\n");
    ini.WriteString("main", "QVID", "  spaced  ");
    ini.WriteString("windows", "GameListX", "12abc");
    EXPECT_EQ(ini.GetString("main", "QVID", ""), "spaced");
    EXPECT_EQ(ini.GetInt("windows", "GameListX", 0), 12);
}

// Writing key by key with a load and a flush around each write, as the
// per-key Windows function does, and writing them all in one batch must
// leave the same file.
TEST_F(IniFileTest, ABatchEqualsOneWritePerKey) {
    const std::string start =
        "\xEF\xBB\xBF; note\r\n[Main]\r\nplaysound = 0\r\nFoo=bar\r\n\r\n[x]\r\ny=z\r\n[windows]";
    struct Write {
        const char* section;
        const char* key;
        const char* value;
    };
    const std::vector<Write> writes = {
        {"main", "QVID", "q"},
        {"main", "PlaySound", "1"},
        {"windows", "GameListX", "-300"},
        {"main", "PW", ""},
        {"new", "A", "1"},
        {"windows", "FloaterX", "1234.5"},
        {"main", "PlaySound", "0"},
        {"x", "Y", "w"},
        {"new", "B", "2"},
    };
    fs.SetFile(kPath, start);
    for (const Write& w : writes) {
        IniFile one = IniFile::Load(fs, kPath);
        one.WriteString(w.section, w.key, w.value);
        ASSERT_TRUE(one.Flush());
    }
    const std::string perKey = Stored();

    IniFile batch = LoadText(start);
    for (const Write& w : writes) {
        batch.WriteString(w.section, w.key, w.value);
    }
    ASSERT_TRUE(batch.Flush());
    EXPECT_EQ(Stored(), perKey);
    EXPECT_EQ(batch.GetString("x", "y", ""), "w");
    EXPECT_EQ(batch.GetInt("windows", "FloaterX", 0), 1234);
}

TEST_F(IniFileTest, FailedWritesAreSilentAndLeaveTheOldFile) {
    const std::string old = "[main]\r\nQVID=old\r\nForeign=1\r\n";
    struct Case {
        const char* name;
        void (*arrange)(FakeFileSystem&);
    };
    const std::vector<Case> cases = {
        {"disk full", [](FakeFileSystem& f) { f.SetDiskFull(true); }},
        {"read-only folder",
         [](FakeFileSystem& f) { f.SetReadOnlyFolder("/home/u/.config/quorvel-chess"); }},
        {"read-only parent folder", [](FakeFileSystem& f) { f.SetReadOnlyFolder("/home/u"); }},
    };
    for (const Case& c : cases) {
        FakeFileSystem local;
        local.SetFile(kPath, old);
        c.arrange(local);
        IniFile ini = IniFile::Load(local, kPath);
        ini.WriteString("main", "QVID", "new");
        bool flushed = true;
        EXPECT_NO_THROW(flushed = ini.Flush()) << c.name;
        EXPECT_FALSE(flushed) << c.name;
        EXPECT_EQ(local.File(kPath), old) << c.name;
        EXPECT_EQ(local.failedWrites(), 1) << c.name;
    }
}

TEST_F(IniFileTest, AnUnreadableFileGivesDefaultsAndIsNotOverwritten) {
    fs.SetFile(kPath, "[main]\nQVID=kept\nForeign=1\n");
    fs.FailReads(kPath);
    IniFile ini = IniFile::Load(fs, kPath);
    EXPECT_EQ(ini.GetString("main", "QVID", "d"), "d");
    ini.WriteString("main", "QVID", "new");
    EXPECT_FALSE(ini.Flush());
    EXPECT_EQ(fs.writes(), 0);
    EXPECT_EQ(Stored(), "[main]\nQVID=kept\nForeign=1\n");
}

TEST_F(IniFileTest, FlushWritesOnlyWhenSomethingWasWritten) {
    IniFile ini = LoadText("[main]\nQVID=a\n");
    EXPECT_TRUE(ini.Flush());
    EXPECT_EQ(fs.writes(), 0);
    ini.WriteString("main", "QVID", "a");
    EXPECT_TRUE(ini.Flush());
    EXPECT_TRUE(ini.Flush());
    EXPECT_EQ(fs.writes(), 1);
}

}  // namespace
}  // namespace qc::settings
