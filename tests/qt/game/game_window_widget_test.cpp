#include "client/ui/game/game_window_widget.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QBuffer>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTest>
#include <QTextBlock>

#include "client/qt/piece_images.h"
#include "tests/fakes/controller_fixture.h"

// Readable QStrings in failure messages.
inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}

namespace qc::ui {
namespace {

using game::CellState;
using game::GameWindowState;
using game::Rgb;

QColor ToColor(Rgb c) {
    return QColor(c.r, c.g, c.b);
}

QColor TextColour(QWidget* w) {
    return w->palette().color(QPalette::WindowText);
}

// The start position's cells as the window shows them, white at the bottom.
GameWindowState HandMadeState() {
    GameWindowState s;
    for (int i = 0; i < 64; ++i) {
        CellState& c = s.cells[static_cast<std::size_t>(i)];
        c.fill = (i / 8 + i % 8) % 2 == 0 ? game::kLightCell : game::kDarkCell;
        c.border = c.fill;
    }
    s.cells[4].piece = 6;   // black king on e8
    s.cells[60].piece = 0;  // white king on e1
    s.cells[52].piece = 5;  // white pawn on e2, selected
    s.cells[52].border = game::kSelectionFrame;
    s.cells[52].borderWidth = 4;
    s.cells[52].hand = true;
    s.cells[44].border = game::kYellow;  // e3 reachable
    s.cells[44].borderWidth = 3;
    s.cells[44].hand = true;
    for (std::size_t i = 0; i < 8; ++i) {
        s.rowLabels[i] = std::to_string(8 - i);
        s.colLabels[i] = std::string(1, static_cast<char>('H' - i));
    }
    s.caption = "Quorvel Chess - Game 4711 - anna vs. bob (Standard Chess)";
    s.moveLightGreen = true;
    s.moveText = "Your move";
    s.moveColour = game::kGreen;
    s.statusText = "<b>CHECK</b>";
    s.statusColour = game::kRed;
    s.drawOfferedText = "Opponent has offered a draw";
    s.drawOfferedColour = game::kGreen;
    s.offerDrawCaption = "Accept &Draw";
    s.resignEnabled = true;
    s.offerDrawEnabled = false;
    s.moveTimeText = "3 days";
    s.startedText = "2026-12-05 15:30:12";
    s.moveByCaption = "Game ended:";
    s.moveByText = "2026-12-08 15:30:12";
    s.timeLeftCaption = "Outcome:";
    s.timeLeftText = "You won";
    s.textsText = "SMS Credits:     Free: 5     Purchased: 12";
    s.emailMe = true;
    s.showLast2 = true;
    s.castleH = true;
    s.moveLogHeading = {"anna", "bob"};
    s.moveLog = {{"wpe2e4 e4", "bpd7d5 d5"}, {"wpe4d5xbp exd5", ""}};
    s.taken[0] = {11, true};   // a black pawn, just taken: left strip, bottom inner place
    s.taken[16] = {1, false};  // a white queen: right strip, top inner place
    s.taken[17] = {2, false};
    return s;
}

// A window over the fake controller's game window logic.
struct Fixture {
    fakes::FakeController fc;
    std::unique_ptr<GameWindowWidget> w;

    Fixture() { w = std::make_unique<GameWindowWidget>(fc.setup->gameWindow()); }
    ~Fixture() { w.reset(); }
    template <typename T>
    T* Find(const char* name) {
        T* found = w->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
    // A game between guest42 (white) and bob, white to move.
    void OpenGame(const std::string& board, const std::string& flags = "1,0,1,0,1") {
        fc.setup->gameWindow().Attach(w.get());
        fc.LoginAsGuest();
        fc.socket.Receive("board: " + board + "\rmovelog:\r.\rgame: 4711,guest42,bob,,w,,3,d," +
                          "05Dec26153012,08Dec26153012,," + flags + ",5,12\r");
        fc.setup->gameWindow().Show();
        fc.TakeSent();
    }
    void Release(int cell, Qt::MouseButton button = Qt::LeftButton) {
        QTest::mouseRelease(w->Board(), button, {}, BoardWidget::CellRect(cell).center());
    }
};

TEST(GameWindowWidget, AHandMadeStateLandsOnTheControls) {
    Fixture f;
    const GameWindowState s = HandMadeState();
    f.w->Render(s);

    EXPECT_EQ(f.w->windowTitle(),
              QStringLiteral("Quorvel Chess - Game 4711 - anna vs. bob (Standard Chess)"));
    EXPECT_TRUE(f.w->MoveLight()->Green());
    struct Text {
        const char* name;
        QString text;
        QColor colour;
    };
    const QColor blue(0, 153, 255);
    for (const Text& t : {
             Text{"MoveLab", "Your move", QColor(0, 255, 0)},
             // Markup from the server is shown as it came, not interpreted.
             Text{"StatusLab", "<b>CHECK</b>", QColor(255, 0, 0)},
             Text{"DrawOfferedLab", "Opponent has offered a draw", QColor(0, 255, 0)},
             Text{"MoveTimeLab", "3 days", blue},
             Text{"StartedLab", "2026-12-05 15:30:12", blue},
             Text{"MoveByEndedLab", "Game ended:", blue},
             Text{"MoveByLab", "2026-12-08 15:30:12", blue},
             Text{"TimeLeftOutcomeLab", "Outcome:", blue},
             Text{"TimeLeftLab", "You won", blue},
             Text{"TextsLab", "SMS Credits:     Free: 5     Purchased: 12", blue},
         }) {
        QLabel* l = f.Find<QLabel>(t.name);
        ASSERT_NE(l, nullptr);
        EXPECT_EQ(l->text(), t.text) << t.name;
        EXPECT_EQ(l->textFormat(), Qt::PlainText) << t.name;
        EXPECT_EQ(TextColour(l), t.colour) << t.name;
    }
    EXPECT_EQ(f.w->RowLab(0)->text(), QStringLiteral("8"));
    EXPECT_EQ(f.w->ColLab(0)->text(), QStringLiteral("H"));
    EXPECT_EQ(f.w->ColLab(7)->text(), QStringLiteral("A"));
    EXPECT_EQ(f.w->RowLab(0)->palette().color(QPalette::Window), QColor(48, 48, 48));
    // Rank label 0 stands beside the bottom row.
    EXPECT_GT(f.w->RowLab(0)->y(), f.w->RowLab(7)->y());

    // Buttons and boxes.
    EXPECT_TRUE(f.Find<QPushButton>("Resign")->isEnabled());
    EXPECT_FALSE(f.Find<QPushButton>("OfferDraw")->isEnabled());
    EXPECT_EQ(f.Find<QPushButton>("OfferDraw")->text(), QStringLiteral("Accept &Draw"));
    EXPECT_FALSE(f.Find<QPushButton>("CastleA")->isEnabled());
    EXPECT_TRUE(f.Find<QPushButton>("CastleH")->isEnabled());
    EXPECT_TRUE(f.Find<QCheckBox>("EmailMe")->isChecked());
    EXPECT_FALSE(f.Find<QCheckBox>("TextMe")->isChecked());
    EXPECT_FALSE(f.Find<QCheckBox>("ShowLast1")->isChecked());
    EXPECT_TRUE(f.Find<QCheckBox>("ShowLast2")->isChecked());
    EXPECT_FALSE(f.Find<QCheckBox>("ShowPoss")->isChecked());

    // The board paints what it was handed: the frame inside the cell, the
    // fill within it, the piece in the middle.
    BoardWidget* board = f.w->Board();
    EXPECT_EQ(board->objectName(), QStringLiteral("Square"));
    EXPECT_EQ(board->Cell(52), s.cells[52]);
    EXPECT_EQ(board->Cell(4).piece, 6);
    const QImage img = board->grab().toImage();
    auto at = [&](int cell, int dx, int dy) {
        return img.pixelColor(BoardWidget::CellRect(cell).topLeft() + QPoint(dx, dy));
    };
    EXPECT_EQ(at(52, 0, 0), ToColor(game::kSelectionFrame));
    EXPECT_EQ(at(52, 3, 39), ToColor(game::kSelectionFrame));
    EXPECT_EQ(at(52, 4, 4), ToColor(game::kLightCell));
    EXPECT_EQ(at(44, 2, 20), ToColor(game::kYellow));
    EXPECT_EQ(at(44, 3, 20), ToColor(s.cells[44].fill));
    EXPECT_EQ(at(36, 0, 0), ToColor(s.cells[36].fill));
    // A white king is mostly white in the middle of its cell; an empty cell is not.
    EXPECT_EQ(at(36, 20, 20), ToColor(s.cells[36].fill));
    EXPECT_NE(at(60, 20, 26), ToColor(s.cells[60].fill));

    // The move log: the players as its heading, one row per full move.
    QTableWidget* log = f.w->MoveLog();
    ASSERT_EQ(log->rowCount(), 2);
    EXPECT_EQ(log->horizontalHeaderItem(0)->text(), QStringLiteral("anna"));
    EXPECT_EQ(log->horizontalHeaderItem(1)->text(), QStringLiteral("bob"));
    EXPECT_EQ(log->item(0, 1)->text(), QStringLiteral("bpd7d5 d5"));
    EXPECT_EQ(log->item(1, 0)->text(), QStringLiteral("wpe4d5xbp exd5"));
    EXPECT_EQ(log->item(1, 1)->text(), QString());
    EXPECT_EQ(log->item(1, 0)->textAlignment(), Qt::AlignCenter);
    EXPECT_EQ(log->columnWidth(0), 97);
    EXPECT_EQ(log->columnWidth(1), 97);
    EXPECT_EQ(log->columnWidth(2), 0);
    EXPECT_EQ(log->selectionMode(), QAbstractItemView::NoSelection);

    // The strips: the left one from the bottom up, the right one from the
    // top down, the first place of a row next to the board.
    TakenStripWidget* left = f.w->LeftStrip();
    TakenStripWidget* right = f.w->RightStrip();
    EXPECT_EQ(left->PlaceRect(0), QRect(40, 280, 40, 40));
    EXPECT_EQ(left->PlaceRect(1), QRect(0, 280, 40, 40));
    EXPECT_EQ(left->PlaceRect(2), QRect(40, 240, 40, 40));
    EXPECT_EQ(right->PlaceRect(0), QRect(0, 0, 40, 40));
    EXPECT_EQ(right->PlaceRect(1), QRect(40, 0, 40, 40));
    EXPECT_EQ(right->PlaceRect(15), QRect(40, 280, 40, 40));
    EXPECT_LT(left->geometry().right(), board->geometry().left());
    EXPECT_GT(right->geometry().left(), board->geometry().right());
    EXPECT_EQ(left->Place(0).piece, 11);
    EXPECT_EQ(right->Place(1).piece, 2);
    const QImage l = left->grab().toImage();
    const QImage r = right->grab().toImage();
    EXPECT_EQ(l.pixelColor(40, 280), TakenStripWidget::kRecentFrame);
    EXPECT_EQ(l.pixelColor(0, 280), QColor(Qt::black));   // empty place, black frame
    EXPECT_EQ(r.pixelColor(0, 0), QColor(Qt::black));     // taken long ago
    EXPECT_EQ(l.pixelColor(20, 300), QColor(Qt::black));  // nothing in place 1
    EXPECT_NE(r.pixelColor(60, 22), QColor(Qt::black));   // the white rook in place 17
}

TEST(GameWindowWidget, ALaterStateRedrawsWhatChanged) {
    Fixture f;
    GameWindowState s = HandMadeState();
    f.w->Render(s);
    s.cells[52] = s.cells[53];
    s.cells[52].fill = game::kLightCell;
    s.cells[36].piece = 5;
    s.moveLog.push_back({"wke1e2 Ke2", ""});
    s.taken[0] = {};
    s.emailMe = false;
    s.promotion.open = false;
    s.moveText = "bob's move";
    s.moveColour = game::kRed;
    f.w->Render(s);
    EXPECT_EQ(f.w->Board()->Cell(52).borderWidth, 0);
    EXPECT_EQ(f.w->Board()->grab().toImage().pixelColor(BoardWidget::CellRect(52).topLeft()),
              ToColor(game::kLightCell));
    EXPECT_EQ(f.w->Board()->Cell(36).piece, 5);
    EXPECT_EQ(f.w->MoveLog()->rowCount(), 3);
    EXPECT_EQ(f.w->MoveLog()->item(2, 0)->text(), QStringLiteral("wke1e2 Ke2"));
    EXPECT_EQ(f.w->LeftStrip()->Place(0).piece, -1);
    EXPECT_EQ(f.w->LeftStrip()->grab().toImage().pixelColor(40, 280), QColor(Qt::black));
    EXPECT_FALSE(f.Find<QCheckBox>("EmailMe")->isChecked());
    EXPECT_EQ(f.Find<QLabel>("MoveLab")->text(), QStringLiteral("bob's move"));
    EXPECT_EQ(TextColour(f.Find<QLabel>("MoveLab")), QColor(255, 0, 0));
    EXPECT_EQ(f.w->Promote(), nullptr);
}

TEST(GameWindowWidget, TheHandShowsOverClickableCellsOnly) {
    Fixture f;
    f.w->Render(HandMadeState());
    auto moveTo = [&](int cell) {
        QMouseEvent e(QEvent::MouseMove, BoardWidget::CellRect(cell).center(),
                      f.w->Board()->mapToGlobal(BoardWidget::CellRect(cell).center()), Qt::NoButton,
                      Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(f.w->Board(), &e);
        return f.w->Board()->cursor().shape();
    };
    EXPECT_EQ(moveTo(52), Qt::PointingHandCursor);
    EXPECT_EQ(moveTo(36), Qt::ArrowCursor);
    EXPECT_EQ(moveTo(44), Qt::PointingHandCursor);
    EXPECT_EQ(moveTo(4), Qt::ArrowCursor);
}

TEST(GameWindowWidget, BoardAndBoxClicksReachTheLogic) {
    Fixture f;
    f.OpenGame("e1wke2wpe8bkd7bp");
    // A left release over e2 (cell 52, white at the bottom) selects it; other buttons do nothing.
    f.Release(52, Qt::RightButton);
    f.Release(52, Qt::MiddleButton);
    EXPECT_EQ(f.fc.TakeSent(), std::vector<std::string>{});
    f.Release(52);
    EXPECT_EQ(f.fc.TakeSent(), std::vector<std::string>{"guest42 selected 4711 e2\r"});
    f.fc.socket.Receive("canmove: e3e4\r");
    EXPECT_EQ(f.w->Board()->Cell(44).border, game::kYellow);
    f.Release(36);
    EXPECT_EQ(f.fc.TakeSent(), std::vector<std::string>{"guest42 move 4711 e2e4\r"});

    // A box sends its new state when clicked.
    struct Box {
        const char* name;
        bool before;
        std::string sent;
    };
    for (const Box& b : {Box{"ShowLast1", true, "guest42 showlast1 0\r"},
                         Box{"ShowLast2", false, "guest42 showlast2 1\r"},
                         Box{"ShowPoss", true, "guest42 showposs 0\r"},
                         Box{"EmailMe", true, "guest42 emailme 4711 0\r"},
                         Box{"TextMe", false, "guest42 textme 4711 1\r"}}) {
        QCheckBox* box = f.Find<QCheckBox>(b.name);
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->isChecked(), b.before) << b.name;
        QTest::mouseClick(box, Qt::LeftButton);
        EXPECT_EQ(box->isChecked(), !b.before) << b.name;
        EXPECT_EQ(f.fc.TakeSent(), std::vector<std::string>{b.sent}) << b.name;
    }
    // Ticking the boxes from the server's state is no user action.
    f.fc.socket.Receive(
        "game: 4711,guest42,bob,,w,,3,d,05Dec26153012,08Dec26153012,,0,1,0,1,0,5,12\r");
    EXPECT_TRUE(f.Find<QCheckBox>("TextMe")->isChecked());
    EXPECT_FALSE(f.Find<QCheckBox>("EmailMe")->isChecked());
    for (const std::string& line : f.fc.TakeSent()) {
        EXPECT_EQ(line.rfind("guest42 chat ", 0), 0u) << line;  // the chat is asked for anew
    }

    f.fc.dialogs.answers = {platform::MessageAnswer::Yes};
    QTest::mouseClick(f.Find<QPushButton>("Resign"), Qt::LeftButton);
    EXPECT_EQ(f.fc.TakeSent(), std::vector<std::string>{"guest42 resign 4711\r"});
}

TEST(GameWindowWidget, ThePromotionChooserFollowsTheStateAndAnswersTheLogic) {
    Fixture f;
    f.OpenGame("e1wke7wpa8bk");
    game::GameWindow& logic = f.fc.setup->gameWindow();
    auto offerPromotion = [&] {
        f.Release(12);  // e7
        f.fc.socket.Receive("canmove: e8p\r");
        f.fc.TakeSent();
        f.Release(4);  // e8
    };
    offerPromotion();
    QDialog* d = f.w->Promote();
    ASSERT_NE(d, nullptr);
    EXPECT_TRUE(d->isVisible());
    EXPECT_EQ(d->windowModality(), Qt::WindowModal);
    EXPECT_EQ(d->windowTitle(), QStringLiteral("Quorvel Chess - Promote Pawn"));
    EXPECT_EQ(d->findChild<QLabel*>()->text(),
              QStringLiteral("What piece would you like to promote your pawn to?"));
    // Centred over the game window.
    EXPECT_LE((d->geometry().center() - f.w->geometry().center()).manhattanLength(), 1);
    EXPECT_EQ(f.w->PromoteTo(0)->icon().pixmap(40, 40).toImage(),
              qt::PieceImage(1, 40).toImage());  // the white queen
    EXPECT_EQ(f.w->PromoteTo(3)->icon().pixmap(40, 40).toImage(), qt::PieceImage(4, 40).toImage());

    // Each picture promotes to its piece.
    const char letters[] = {'q', 'r', 'b', 'n'};
    for (int i = 0; i < 4; ++i) {
        if (i > 0) {
            offerPromotion();
        }
        ASSERT_TRUE(d->isVisible()) << i;
        QTest::mouseClick(f.w->PromoteTo(i), Qt::LeftButton);
        EXPECT_FALSE(d->isVisible()) << i;
        EXPECT_EQ(f.fc.TakeSent(), std::vector<std::string>{std::string("guest42 move 4711 e7e8") +
                                                            letters[i] + "\r"})
            << i;
    }

    // Cancel and the close box send nothing and close the choice in the logic.
    for (bool closeBox : {false, true}) {
        offerPromotion();
        ASSERT_TRUE(d->isVisible());
        if (closeBox) {
            d->close();
        } else {
            QTest::mouseClick(d->findChild<QPushButton*>(QStringLiteral("CancelBut")),
                              Qt::LeftButton);
        }
        EXPECT_FALSE(d->isVisible());
        EXPECT_FALSE(logic.State().promotion.open);
        EXPECT_EQ(f.fc.TakeSent(), std::vector<std::string>{});
    }

    // A state that closes the chooser closes the dialog without asking the logic.
    offerPromotion();
    ASSERT_TRUE(logic.State().promotion.open);
    GameWindowState closed = logic.State();
    closed.promotion.open = false;
    f.w->Render(closed);
    EXPECT_FALSE(d->isVisible());
    EXPECT_TRUE(logic.State().promotion.open);
}

// The panels as the state folds them: the outer size, what is hidden and
// what is disabled.
TEST(GameWindowWidget, TheStateFoldsThePanelsAndSizesTheWindow) {
    struct Case {
        bool showLog, showChat;
        int widthTwips, heightTwips;
        QSize size;
        const char* logCaption;
        const char* chatCaption;
    };
    for (const Case& c :
         {Case{true, true, 13545, 9060, {903, 604}, "Hide Move &Log", "Hide &Chat"},
          Case{false, true, 10125, 9060, {675, 604}, "Show Move &Log", "Hide &Chat"},
          Case{true, false, 13545, 7215, {903, 481}, "Hide Move &Log", "Show &Chat"},
          Case{false, false, 10125, 7215, {675, 481}, "Show Move &Log", "Show &Chat"}}) {
        SCOPED_TRACE(testing::Message() << "log " << c.showLog << ", chat " << c.showChat);
        Fixture f;
        GameWindowState s = HandMadeState();
        // Start from the other arrangement, so that every control has to change.
        GameWindowState other = s;
        other.showLog = !c.showLog;
        other.showChat = !c.showChat;
        other.widthTwips = c.showLog ? 10125 : 13545;
        other.heightTwips = c.showChat ? 7215 : 9060;
        other.hideLogCaption = "before";
        other.hideChatCaption = "before";
        other.highlightBoxesEnabled = !c.showLog;
        other.chatEnabled = !c.showChat;
        other.notifyEnabled = !(c.showLog && c.showChat);
        f.w->Render(other);

        s.showLog = c.showLog;
        s.showChat = c.showChat;
        s.widthTwips = c.widthTwips;
        s.heightTwips = c.heightTwips;
        s.hideLogCaption = c.logCaption;
        s.hideChatCaption = c.chatCaption;
        s.highlightBoxesEnabled = c.showLog;
        s.chatEnabled = c.showChat;
        s.notifyEnabled = c.showLog && c.showChat;
        f.w->Render(s);
        f.w->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(f.w.get()));

        EXPECT_EQ(f.w->size(), c.size);
        EXPECT_EQ(f.Find<QPushButton>("HideLogBut")->text(), QString::fromLatin1(c.logCaption));
        EXPECT_EQ(f.Find<QPushButton>("HideChatBut")->text(), QString::fromLatin1(c.chatCaption));
        const QRect window = f.w->rect();
        for (const char* name : {"MoveLog", "Label12", "ShowLast1", "ShowLast2", "ShowPoss"}) {
            QWidget* w = f.Find<QWidget>(name);
            ASSERT_NE(w, nullptr);
            EXPECT_EQ(w->isVisible(), c.showLog) << name;
            if (qobject_cast<QCheckBox*>(w) != nullptr) {
                EXPECT_EQ(w->isEnabled(), c.showLog) << name;
            }
            // At the right: inside the window only while it is shown.
            const QRect r(w->mapTo(f.w.get(), QPoint(0, 0)), w->size());
            EXPECT_GE(r.left(), 675) << name;
            EXPECT_EQ(window.contains(r), c.showLog) << name;
        }
        for (const char* name : {"Chat", "ChatOut", "ChatSend"}) {
            QWidget* w = f.Find<QWidget>(name);
            ASSERT_NE(w, nullptr);
            EXPECT_EQ(w->isVisible(), c.showChat) << name;
            EXPECT_EQ(w->isEnabled(), c.showChat) << name;
            const QRect r(w->mapTo(f.w.get(), QPoint(0, 0)), w->size());
            EXPECT_GE(r.top(), 481) << name;
            EXPECT_LE(r.right(), 675) << name;
            EXPECT_EQ(window.contains(r), c.showChat) << name;
        }
        for (const char* name : {"EmailMe", "TextMe", "BuyTexts"}) {
            QWidget* w = f.Find<QWidget>(name);
            ASSERT_NE(w, nullptr);
            EXPECT_EQ(w->isVisible(), c.showLog && c.showChat) << name;
            EXPECT_EQ(w->isEnabled(), c.showLog && c.showChat) << name;
        }
        // The board, the game's buttons, the chooser and the folding buttons
        // stay in the window whatever is folded.
        for (const char* name : {"Square", "Resign", "CastleH", "CurrentGame", "NextGame",
                                 "HideLogBut", "HideChatBut", "TimeLeftLab"}) {
            QWidget* w = f.Find<QWidget>(name);
            ASSERT_NE(w, nullptr);
            EXPECT_TRUE(w->isVisible()) << name;
            const QRect r(w->mapTo(f.w.get(), QPoint(0, 0)), w->size());
            EXPECT_TRUE(QRect(0, 0, 675, 481).contains(r)) << name;
        }
    }
}

TEST(GameWindowWidget, TheChooserAndTheChatShowTheState) {
    Fixture f;
    f.OpenGame("e1wke8bk");
    GameWindowState s = HandMadeState();
    s.currentGames = {"4711 - vs. bob", "*1047 - vs. hikaru88", "1050 - Local Game"};
    s.currentGameIndex = 1;
    for (int i = 1; i <= 40; ++i) {
        s.chatText += "bob: line " + std::to_string(i) + "\r\n";
    }
    s.chatText += "anna: <b>caf\xe9</b>\r\n";  // Windows-1252, shown as typed
    f.w->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(f.w.get()));
    f.w->Render(s);
    // Filling the list and selecting in it is no user's choice: nothing is fetched.
    EXPECT_EQ(f.fc.TakeSent(), std::vector<std::string>{});

    QComboBox* games = f.w->CurrentGame();
    ASSERT_EQ(games->count(), 3);
    EXPECT_EQ(games->itemText(0), QStringLiteral("4711 - vs. bob"));
    EXPECT_EQ(games->itemText(2), QStringLiteral("1050 - Local Game"));
    EXPECT_EQ(games->currentIndex(), 1);
    EXPECT_EQ(games->currentText(), QStringLiteral("*1047 - vs. hikaru88"));
    QLabel* chooserLab = f.Find<QLabel>("Label1");
    ASSERT_NE(chooserLab, nullptr);
    EXPECT_EQ(chooserLab->text(), QStringLiteral("Show &game:"));
    EXPECT_EQ(chooserLab->buddy(), games);

    QPlainTextEdit* chat = f.w->Chat();
    EXPECT_TRUE(chat->isReadOnly());
    EXPECT_EQ(chat->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    EXPECT_EQ(chat->document()->blockCount(), 41);
    EXPECT_EQ(chat->document()->lastBlock().text(), QStringLiteral("anna: <b>caf\u00e9</b>"));
    EXPECT_TRUE(chat->toPlainText().startsWith(QStringLiteral("bob: line 1\nbob: line 2\n")));
    QScrollBar* bar = chat->verticalScrollBar();
    EXPECT_GT(bar->maximum(), 0);
    EXPECT_EQ(bar->value(), bar->maximum()) << "the newest line in view";

    // Scrolled back by the reader, then a new line arrives: in view again.
    bar->setValue(0);
    s.chatText += "bob: newest\r\n";
    s.currentGameIndex = 2;
    f.w->Render(s);
    EXPECT_EQ(chat->document()->lastBlock().text(), QStringLiteral("bob: newest"));
    EXPECT_EQ(bar->value(), bar->maximum());
    EXPECT_EQ(games->currentIndex(), 2);
    // An unchanged chat leaves the reader where he scrolled to.
    bar->setValue(0);
    s.timeLeftText = "1 day";
    f.w->Render(s);
    EXPECT_EQ(bar->value(), 0);
    // No game selected.
    s.currentGameIndex = -1;
    f.w->Render(s);
    EXPECT_EQ(games->currentIndex(), -1);
    EXPECT_EQ(f.fc.TakeSent(), std::vector<std::string>{});
}

TEST(GameWindowWidget, ReturnInTheChatBoxSendsTheLineOncePerPress) {
    Fixture f;
    f.OpenGame("e1wke8bk");
    QLineEdit* out = f.w->ChatOut();
    ASSERT_NE(out, nullptr);
    EXPECT_EQ(out->objectName(), QStringLiteral("ChatOut"));

    QTest::keyClicks(out, QStringLiteral("good game"));
    EXPECT_EQ(f.fc.TakeSent(), std::vector<std::string>{});
    QTest::keyPress(out, Qt::Key_Return);
    EXPECT_EQ(f.fc.TakeSent(), std::vector<std::string>{"guest42 chatsend 4711,good game\r"});
    EXPECT_EQ(out->text(), QString());
    // The release sends nothing more.
    QTest::keyRelease(out, Qt::Key_Return);
    EXPECT_EQ(f.fc.TakeSent(), std::vector<std::string>{});

    // A held key: the first press sends, its repeats do not.
    out->setText(QStringLiteral("caf\u00e9"));
    QTest::keyPress(out, Qt::Key_Enter, Qt::KeypadModifier);
    for (int i = 0; i < 3; ++i) {
        QKeyEvent repeat(QEvent::KeyPress, Qt::Key_Enter, Qt::KeypadModifier, QStringLiteral("\r"),
                         true);
        QApplication::sendEvent(out, &repeat);
    }
    EXPECT_EQ(f.fc.TakeSent(), std::vector<std::string>{"guest42 chatsend 4711,caf\xe9\r"});

    // A repeat alone, with text in the box, sends nothing and keeps the text.
    QTest::keyClicks(out, QStringLiteral("again"));
    QKeyEvent repeat(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"), true);
    QApplication::sendEvent(out, &repeat);
    EXPECT_EQ(f.fc.TakeSent(), std::vector<std::string>{});
    EXPECT_EQ(out->text(), QStringLiteral("again"));
}

TEST(GameWindowWidget, SendClickSendsAndKeepsTheFocusInTheChatBox) {
    Fixture f;
    f.OpenGame("e1wke8bk");
    ASSERT_TRUE(QTest::qWaitForWindowActive(f.w.get()));
    QLineEdit* out = f.w->ChatOut();
    out->setText(QStringLiteral("well played"));
    QPushButton* send = f.Find<QPushButton>("ChatSend");
    ASSERT_NE(send, nullptr);
    EXPECT_EQ(send->text(), QStringLiteral("Send"));
    QTest::mouseClick(send, Qt::LeftButton);
    EXPECT_EQ(f.fc.TakeSent(), std::vector<std::string>{"guest42 chatsend 4711,well played\r"});
    EXPECT_EQ(out->text(), QString());
    EXPECT_TRUE(out->hasFocus());
}

TEST(GameWindowWidget, ALineThatCannotGoOutStaysInTheBox) {
    Fixture f;
    // Logged in, the window open, but no game shown yet.
    f.fc.setup->gameWindow().Attach(f.w.get());
    f.fc.LoginAsGuest();
    f.fc.setup->gameWindow().Show();
    f.fc.TakeSent();
    QLineEdit* out = f.w->ChatOut();
    QTest::keyClicks(out, QStringLiteral("hello"));
    QTest::keyPress(out, Qt::Key_Return);
    QTest::mouseClick(f.Find<QPushButton>("ChatSend"), Qt::LeftButton);
    EXPECT_EQ(f.fc.TakeSent(), std::vector<std::string>{});
    EXPECT_EQ(out->text(), QStringLiteral("hello"));
}

bool Sent(const std::vector<std::string>& sent, const std::string& line) {
    return std::find(sent.begin(), sent.end(), line) != sent.end();
}

TEST(GameWindowWidget, TheChooserAndTheFoldingButtonsReachTheLogic) {
    Fixture f;
    f.OpenGame("e1wke8bk");
    const std::string game1047 =
        "game: 1047,hikaru88,guest42,,w,,3,d,05Dec26153012,08Dec26153012,,1,0,1,0,1,5,12\r";
    f.fc.socket.Receive(
        "opengames:\r4711,bob,,1,05Dec26153012\r1047,hikaru88,,1,05Dec26153012\r"
        "1050,guest42,,0,05Dec26153012\r.\r"
        "game: 4711,guest42,bob,,w,,3,d,05Dec26153012,08Dec26153012,,1,0,1,0,1,5,12\r");
    f.fc.TakeSent();
    QComboBox* games = f.w->CurrentGame();
    ASSERT_EQ(games->count(), 3);
    EXPECT_EQ(games->itemText(0), QStringLiteral("*4711 - vs. bob"));
    EXPECT_EQ(games->itemText(2), QStringLiteral("1050 - Local Game"));
    EXPECT_EQ(games->currentIndex(), 0);

    // The user picks the next item: that game is fetched.
    QTest::keyClick(games, Qt::Key_Down);
    EXPECT_EQ(games->currentIndex(), 1);
    EXPECT_TRUE(Sent(f.fc.TakeSent(), "guest42 game 1047\r"));
    f.fc.socket.Receive(game1047);
    f.fc.TakeSent();
    EXPECT_EQ(games->currentIndex(), 1);

    // Next Game: the next waiting game after the shown one, from the top again.
    QTest::mouseClick(f.Find<QPushButton>("NextGame"), Qt::LeftButton);
    EXPECT_EQ(games->currentIndex(), 0);
    EXPECT_TRUE(Sent(f.fc.TakeSent(), "guest42 game 4711\r"));

    // The folds: the window follows each click.
    QPushButton* hideLog = f.Find<QPushButton>("HideLogBut");
    QPushButton* hideChat = f.Find<QPushButton>("HideChatBut");
    QTest::mouseClick(hideLog, Qt::LeftButton);
    EXPECT_EQ(f.w->size(), QSize(675, 604));
    EXPECT_EQ(hideLog->text(), QStringLiteral("Show Move &Log"));
    EXPECT_FALSE(f.w->MoveLog()->isVisible());
    QTest::mouseClick(hideChat, Qt::LeftButton);
    EXPECT_EQ(f.w->size(), QSize(675, 481));
    EXPECT_EQ(hideChat->text(), QStringLiteral("Show &Chat"));
    EXPECT_FALSE(f.w->ChatOut()->isEnabled());
    EXPECT_EQ(f.fc.TakeSent(), std::vector<std::string>{});
    // Unfolding the chat asks for it anew.
    QTest::mouseClick(hideChat, Qt::LeftButton);
    EXPECT_EQ(f.fc.TakeSent(), std::vector<std::string>{"guest42 chat 1047\r"});
    QTest::mouseClick(hideLog, Qt::LeftButton);
    EXPECT_EQ(f.w->size(), QSize(903, 604));
    EXPECT_TRUE(f.w->MoveLog()->isVisible());
    EXPECT_TRUE(f.w->ChatOut()->isEnabled());
    EXPECT_TRUE(f.Find<QCheckBox>("EmailMe")->isEnabled());
}

TEST(GameWindowHost, BuildsTheWindowWhenFirstOpenedWithTheLatestState) {
    fakes::FakeController fc;
    GameWindowHost host(fc.setup->gameWindow());
    host.Render(HandMadeState());
    EXPECT_EQ(host.Window(), nullptr) << "nothing is built while the window is closed";
    EXPECT_EQ(host.Left(), 0);
    host.Open(1500, 750);
    ASSERT_NE(host.Window(), nullptr);
    EXPECT_TRUE(host.Window()->isVisible());
    EXPECT_EQ(host.Window()->pos(), QPoint(100, 50));
    EXPECT_EQ(host.Left(), 1500);
    EXPECT_EQ(host.Top(), 750);
    EXPECT_EQ(host.Window()->Board()->Cell(52).borderWidth, 4);
    GameWindowState s = HandMadeState();
    s.moveText = "Game has ended";
    host.Render(s);
    EXPECT_EQ(host.Window()->findChild<QLabel*>(QStringLiteral("MoveLab"))->text(),
              QStringLiteral("Game has ended"));
    host.Close();
    EXPECT_FALSE(host.Window()->isVisible());
}

// A picture file as the banner server sends one.
std::string PngBytes(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(QColor(0, 153, 255));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes.toStdString();
}

TEST(GameWindowWidget, TheBannerFillsItsStripAndAClickOpensItsPage) {
    fakes::FakeController fc;
    GameWindowWidget w(fc.setup->gameWindow());
    fc.setup->gameWindow().Attach(&w);
    fc.LoginAsGuest();
    fc.setup->gameWindow().Show();
    EXPECT_FALSE(w.Banner()->isVisible());
    EXPECT_EQ(w.height(), 604);
    const std::string picture = PngBytes(468, 60);
    fc.timers.Advance(5000);
    fc.bannerSocket.Connected();
    fc.bannerSocket.Data(std::to_string(picture.size()) + " variants.html\r" + picture);
    ASSERT_TRUE(w.Banner()->isVisible());
    ASSERT_TRUE(w.Banner()->HasPicture());
    EXPECT_EQ(w.Banner()->pixmap().size(), QSize(468, 60));
    EXPECT_EQ(w.height(), 604 + 68);
    EXPECT_GE(w.Banner()->y(), 604);
    EXPECT_EQ(w.Banner()->cursor().shape(), Qt::PointingHandCursor);
    QTest::mouseClick(w.Banner(), Qt::LeftButton);
    EXPECT_EQ(fc.shell.Urls(), std::vector<std::string>{"http://games.example/variants.html"});
    fc.setup->gameWindow().Attach(&fc.gameWindowView);
}

TEST(GameWindowWidget, ABannerThatIsNoPictureOrTooLargeShowsNothing) {
    GameWindowState state;
    for (const std::string& bytes :
         {std::string("not a picture"), PngBytes(1, 1).substr(0, 30), PngBytes(5000, 1000)}) {
        fakes::FakeController fc;
        GameWindowWidget w(fc.setup->gameWindow());
        state.banner = std::make_shared<const std::string>(bytes);
        w.Render(state);
        EXPECT_FALSE(w.Banner()->HasPicture()) << bytes.size();
        EXPECT_TRUE(w.Banner()->pixmap().isNull());
    }
    // A wide one is made smaller to fit, never cut.
    fakes::FakeController fc;
    GameWindowWidget w(fc.setup->gameWindow());
    state.banner = std::make_shared<const std::string>(PngBytes(1800, 60));
    w.Render(state);
    ASSERT_TRUE(w.Banner()->HasPicture());
    EXPECT_LE(w.Banner()->pixmap().width(), w.Banner()->width());
}

}  // namespace
}  // namespace qc::ui
