#include "server/core/games.h"

#include <bit>
#include <exception>
#include <utility>

#include "chess/notation.h"
#include "server/core/bot.h"
#include "server/core/lists.h"
#include "server/core/requests.h"
#include "server/core/text.h"

namespace qc::server {

namespace {

constexpr std::string_view kStandardFen =
    "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";

bool IsChess960(const Game& g) {
    return EqualsNoCase(g.gameType, "Chess960");
}

bool IsLocal(const Game& g) {
    return g.whiteId == g.blackId;
}

bool IsPlayer(const Game& g, std::int64_t accountId) {
    return g.whiteId == accountId || g.blackId == accountId;
}

// The viewer's side; in a local game the viewer plays the side to move.
char SideOf(const LiveGame& game, std::int64_t accountId) {
    if (IsLocal(game.record)) {
        return game.position.sideToMove() == chess::White ? 'w' : 'b';
    }
    return game.record.whiteId == accountId ? 'w' : 'b';
}

char Other(char side) {
    return side == 'w' ? 'b' : 'w';
}

char ToMove(const LiveGame& game) {
    return game.position.sideToMove() == chess::White ? 'w' : 'b';
}

bool MayMove(const LiveGame& game, std::int64_t accountId) {
    return !game.record.ended && IsPlayer(game.record, accountId) &&
           SideOf(game, accountId) == ToMove(game);
}

std::int64_t OpponentOf(const Game& g, std::int64_t accountId) {
    return g.whiteId == accountId ? g.blackId : g.whiteId;
}

std::string_view Trim(std::string_view text) {
    while (!text.empty() && text.front() == ' ') {
        text.remove_prefix(1);
    }
    while (!text.empty() && text.back() == ' ') {
        text.remove_suffix(1);
    }
    return text;
}

// "12 rest": the game identifier and the text after the first blank.
std::pair<std::optional<std::int64_t>, std::string_view> GameAndRest(std::string_view args,
                                                                     char separator = ' ') {
    args = Trim(args);
    std::size_t cut = args.find(separator);
    std::string_view id = cut == std::string_view::npos ? args : args.substr(0, cut);
    std::string_view rest =
        cut == std::string_view::npos ? std::string_view() : args.substr(cut + 1);
    auto value = ParseCount(Trim(id));
    if (!value) {
        return {std::nullopt, rest};
    }
    return {std::optional<std::int64_t>(*value), rest};
}

std::optional<bool> OnOff(std::string_view text) {
    auto value = ParseCount(Trim(text));
    if (!value) {
        return std::nullopt;
    }
    return *value != 0;
}

std::string Join(const std::vector<std::string>& parts) {
    std::string out;
    for (const std::string& p : parts) {
        if (!out.empty()) {
            out += ' ';
        }
        out += p;
    }
    return out;
}

GameResult ResultFor(chess::Result result) {
    switch (result) {
        case chess::Result::WhiteWins:
            return GameResult::WhiteWins;
        case chess::Result::BlackWins:
            return GameResult::BlackWins;
        case chess::Result::Draw:
            return GameResult::Draw;
        case chess::Result::Ongoing:
            break;
    }
    return GameResult::None;
}

int LimitSeconds(const Game& g) {
    return RequestService::LimitMinutes(g.amount, g.unit).value_or(7 * 24 * 60) * 60;
}

void Finish(Store& store, LiveGame& game, GameResult result, std::int64_t when,
            std::string_view phrase) {
    store.EndGame(game.record.id, result, when, phrase);
    game.record.ended = true;
    game.record.result = result;
    game.record.endedAt = when;
    game.record.phrase = std::string(phrase);
    game.record.drawOffer = 0;
}

// Plays a legal move and stores the game: the next deadline, the draw
// offer (one made to the mover lapses when he plays on) and the end.
void Play(Store& store, LiveGame& game, chess::Move move, TimePoint now) {
    const char mover = ToMove(game);
    game.log.push_back(chess::toLogEntry(game.position, move));
    game.moves.push_back(chess::toUci(game.position, move));
    game.position.makeMove(move);
    if (game.record.drawOffer != 0 && game.record.drawOffer != mover) {
        game.record.drawOffer = 0;
    }
    const std::int64_t at = ToUnixSeconds(now);
    game.record.toMove = ToMove(game);
    game.record.moves = Join(game.moves);
    chess::GameStatus status = game.position.status();
    if (!status.over()) {
        game.record.moveBy = at + LimitSeconds(game.record);
    }
    store.RecordMoves(game.record.id, game.record.moves, game.record.toMove, game.record.moveBy,
                      game.record.drawOffer);
    if (status.over()) {
        Finish(store, game, ResultFor(status.result), at, status.phrase());
    }
}

}  // namespace

std::string StartFenFor(std::string_view gameType) {
    if (EqualsNoCase(gameType, "Chess960")) {
        return chess::Position::chess960Random().fen(chess::Position::CastlingNotation::Shredder);
    }
    return std::string(kStandardFen);
}

std::optional<LiveGame> LoadGame(Store& store, std::int64_t id,
                                 const std::function<void(std::string_view)>& log) {
    std::optional<Game> record = store.FindGame(id);
    if (!record) {
        return std::nullopt;
    }
    if (record->startFen.empty()) {
        // Games begun before positions were stored start from the set-up.
        record->startFen = StartFenFor(record->gameType);
        store.SetStartFen(id, record->startFen);
    }
    std::optional<chess::Position> start =
        chess::Position::fromFen(record->startFen, nullptr, IsChess960(*record));
    if (!start) {
        if (log) {
            log("game " + std::to_string(id) + " has an unreadable start position");
        }
        return std::nullopt;
    }
    LiveGame game{std::move(*record), std::move(*start), {}, {}};
    for (std::string_view text : Split(game.record.moves, ' ')) {
        if (text.empty()) {
            continue;
        }
        chess::MoveParse parsed = chess::parseMoveCommand(game.position, text);
        if (!parsed.ok()) {
            if (log) {
                log("game " + std::to_string(id) + ": stored move " + std::string(text) +
                    " is not legal; replay stopped");
            }
            break;
        }
        game.log.push_back(chess::toLogEntry(game.position, parsed.move));
        game.moves.push_back(std::string(text));
        game.position.makeMove(parsed.move);
    }
    return game;
}

std::vector<std::string> GameMessages(const LiveGame& game, const Account& viewer,
                                      const Config& config) {
    const Game& g = game.record;
    std::vector<std::string> out;
    std::string board = "board: ";
    for (chess::Square s = 0; s < 64; ++s) {
        chess::Piece p = game.position.pieceOn(s);
        if (p != chess::NoPiece) {
            board += chess::squareName(s) + chess::pieceCode(p);
        }
    }
    out.push_back(std::move(board));
    out.push_back("movelog:");
    for (const std::string& entry : game.log) {
        out.push_back(entry);
    }
    out.push_back(".");

    std::string status;
    std::string phrase;
    if (g.ended) {
        status = g.result == GameResult::WhiteWins   ? "ew"
                 : g.result == GameResult::BlackWins ? "eb"
                                                     : "es";
        phrase = g.phrase;
    } else {
        status = std::string(1, ToMove(game));
        phrase = std::string(game.position.status().phrase());
    }
    const bool black = !IsLocal(g) && g.blackId == viewer.id;
    const bool email = black ? g.blackEmail : g.whiteEmail;
    const bool text = black ? g.blackText : g.whiteText;
    auto flag = [](bool on) { return on ? std::string("1") : std::string("0"); };
    std::string line =
        "game: " + std::to_string(g.id) + "," + g.whiteName + "," + g.blackName + "," + g.gameType +
        "," + status + "," + phrase + "," + std::to_string(g.amount) + "," + g.unit + "," +
        FormatTimestamp(FromUnixSeconds(g.created), config.utcTimestamps) + "," +
        FormatTimestamp(FromUnixSeconds(g.ended ? g.endedAt : g.moveBy), config.utcTimestamps) +
        "," + (g.drawOffer != 0 ? std::string(1, g.drawOffer) : std::string()) + "," + flag(email) +
        "," + flag(text) + "," + flag(viewer.flags[0]) + "," + flag(viewer.flags[1]) + "," +
        flag(viewer.flags[2]) + "," + std::to_string(viewer.textsFree) + "," +
        std::to_string(viewer.textsPurchased);
    out.push_back(std::move(line));

    std::string canMove = "canmove: ";
    if (MayMove(game, viewer.id)) {
        for (chess::Square s : chess::movableSquares(game.position)) {
            canMove += chess::squareName(s);
        }
    }
    out.push_back(std::move(canMove));
    return out;
}

std::string SelectionLine(const LiveGame& game, const Account& viewer, std::string_view square) {
    std::string line = "canmove: ";
    auto from = chess::parseSquare(Trim(square));
    if (!from || !MayMove(game, viewer.id)) {
        return line;
    }
    chess::PieceMoves moves = chess::movesFrom(game.position, *from);
    for (const chess::Destination& d : moves.destinations) {
        line += chess::squareName(d.to);
        if (d.promotion) {
            line += 'p';
        }
    }
    if (moves.castleA) {
        line += "ca";
    }
    if (moves.castleH) {
        line += "ch";
    }
    return line;
}

GameService::GameService(Store& store, const Config& config, SessionTable& sessions)
    : store_(store),
      config_(config),
      sessions_(sessions),
      random_(config.botSeed != 0 ? config.botSeed : std::random_device{}()) {}

std::vector<std::pair<std::string, CommandHandler>> GameService::Commands() {
    auto bind = [this](void (GameService::*method)(CommandContext&)) {
        return [this, method](CommandContext& ctx) { (this->*method)(ctx); };
    };
    return {
        {"game", bind(&GameService::View)},
        {"selected", bind(&GameService::Selected)},
        {"move", bind(&GameService::Move)},
        {"resign", bind(&GameService::Resign)},
        {"offerdraw", bind(&GameService::OfferDraw)},
        {"acceptdraw", bind(&GameService::AcceptDraw)},
        {"canceldraw", bind(&GameService::CancelDraw)},
        {"chat", bind(&GameService::GetChat)},
        {"chatsend", bind(&GameService::SendChat)},
        {"emailme", [](CommandContext& ctx) { Notify(ctx, true); }},
        {"textme", [](CommandContext& ctx) { Notify(ctx, false); }},
        {"showlast1", [](CommandContext& ctx) { ShowFlag(ctx, 0); }},
        {"showlast2", [](CommandContext& ctx) { ShowFlag(ctx, 1); }},
        {"showposs", [](CommandContext& ctx) { ShowFlag(ctx, 2); }},
    };
}

void GameService::Log(std::string_view text) const {
    if (config_.log) {
        config_.log(text);
    }
}

namespace {

// The game named by the command's first argument, when the user plays in it.
std::optional<LiveGame> PlayersGame(CommandContext& ctx, std::optional<std::int64_t> id) {
    if (!id) {
        return std::nullopt;
    }
    std::optional<LiveGame> game = LoadGame(ctx.store, *id, ctx.config.log);
    if (!game || !IsPlayer(game->record, ctx.account.id)) {
        return std::nullopt;
    }
    return game;
}

// The game's messages for the user, and "update:" for both players when
// the game's state changed in a way their counts or windows show.
void ReportChange(CommandContext& ctx, const LiveGame& game, bool countsChanged) {
    ctx.Reply(GameMessages(game, ctx.account, ctx.config));
    if (countsChanged) {
        ctx.ReplyUpdate();
    }
    if (!IsLocal(game.record)) {
        ctx.NotifyUpdate(OpponentOf(game.record, ctx.account.id));
    }
}

}  // namespace

void GameService::View(CommandContext& ctx) {
    auto game = PlayersGame(ctx, GameAndRest(ctx.args).first);
    if (game) {
        ctx.Reply(GameMessages(*game, ctx.account, ctx.config));
    }
}

void GameService::Selected(CommandContext& ctx) {
    auto [id, square] = GameAndRest(ctx.args);
    auto game = PlayersGame(ctx, id);
    if (game) {
        ctx.Reply(SelectionLine(*game, ctx.account, square));
    }
}

void GameService::Move(CommandContext& ctx) {
    auto [id, text] = GameAndRest(ctx.args);
    auto game = PlayersGame(ctx, id);
    if (!game) {
        return;
    }
    chess::MoveParse parsed;
    if (MayMove(*game, ctx.account.id)) {
        parsed = chess::parseMoveCommand(game->position, text);
    } else {
        parsed.error = "not your move";
    }
    if (!parsed.ok()) {
        // Nothing changes; the player's board is put right again.
        ctx.Reply(GameMessages(*game, ctx.account, ctx.config));
        return;
    }
    Play(ctx.store, *game, parsed.move, ctx.now);
    ReportChange(ctx, *game, true);
    ctx.botGame = game->record.id;
}

void GameService::Resign(CommandContext& ctx) {
    auto game = PlayersGame(ctx, GameAndRest(ctx.args).first);
    if (!game || game->record.ended) {
        return;
    }
    const char loser = SideOf(*game, ctx.account.id);
    Finish(ctx.store, *game, loser == 'w' ? GameResult::BlackWins : GameResult::WhiteWins,
           ToUnixSeconds(ctx.now), loser == 'w' ? "white resigned" : "black resigned");
    ReportChange(ctx, *game, true);
}

void GameService::OfferDraw(CommandContext& ctx) {
    auto game = PlayersGame(ctx, GameAndRest(ctx.args).first);
    if (!game || game->record.ended || IsLocal(game->record)) {
        return;
    }
    const char mine = SideOf(*game, ctx.account.id);
    if (game->record.drawOffer == mine) {
        return;
    }
    if (game->record.drawOffer == Other(mine)) {
        // Both sides want the draw: that is an agreement.
        Finish(ctx.store, *game, GameResult::Draw, ToUnixSeconds(ctx.now), "agreed draw");
        ReportChange(ctx, *game, true);
        return;
    }
    game->record.drawOffer = mine;
    ctx.store.SetDrawOffer(game->record.id, mine);
    ReportChange(ctx, *game, false);
}

void GameService::AcceptDraw(CommandContext& ctx) {
    auto game = PlayersGame(ctx, GameAndRest(ctx.args).first);
    if (!game || game->record.ended) {
        return;
    }
    if (!IsLocal(game->record) && game->record.drawOffer != Other(SideOf(*game, ctx.account.id))) {
        return;
    }
    Finish(ctx.store, *game, GameResult::Draw, ToUnixSeconds(ctx.now), "agreed draw");
    ReportChange(ctx, *game, true);
}

void GameService::CancelDraw(CommandContext& ctx) {
    auto game = PlayersGame(ctx, GameAndRest(ctx.args).first);
    if (!game || game->record.ended || IsLocal(game->record) ||
        game->record.drawOffer != SideOf(*game, ctx.account.id)) {
        return;
    }
    game->record.drawOffer = 0;
    ctx.store.SetDrawOffer(game->record.id, 0);
    ReportChange(ctx, *game, false);
}

namespace {

std::vector<std::string> ChatLines(Store& store, std::int64_t gameId) {
    std::vector<std::string> out{"chat:"};
    for (const ChatMessage& m : store.Chat(gameId, GameService::kChatShown)) {
        out.push_back(m.author + ": " + m.text);
    }
    out.push_back(".");
    return out;
}

}  // namespace

void GameService::GetChat(CommandContext& ctx) {
    auto game = PlayersGame(ctx, GameAndRest(ctx.args).first);
    if (game) {
        ctx.Reply(ChatLines(ctx.store, game->record.id));
    }
}

void GameService::SendChat(CommandContext& ctx) {
    auto [id, raw] = GameAndRest(ctx.args, ',');
    auto game = PlayersGame(ctx, id);
    if (!game) {
        return;
    }
    std::string text(raw.substr(0, kChatMessageMax));
    for (char& c : text) {
        if (static_cast<unsigned char>(c) < 0x20) {
            c = ' ';
        }
    }
    if (Trim(text).empty()) {
        return;
    }
    ctx.store.AddChat(game->record.id, ctx.account.name, text, ToUnixSeconds(ctx.now), kChatKept);
    ctx.Reply(ChatLines(ctx.store, game->record.id));
    if (!IsLocal(game->record)) {
        ctx.NotifyUpdate(OpponentOf(game->record, ctx.account.id));
    }
}

void GameService::Notify(CommandContext& ctx, bool email) {
    auto [id, value] = GameAndRest(ctx.args);
    auto on = OnOff(value);
    auto game = PlayersGame(ctx, id);
    if (!game || !on) {
        return;
    }
    const char side = IsLocal(game->record) || game->record.whiteId == ctx.account.id ? 'w' : 'b';
    ctx.store.SetGameNotify(game->record.id, side, email ? on : std::nullopt,
                            email ? std::nullopt : on);
}

void GameService::ShowFlag(CommandContext& ctx, std::size_t flag) {
    auto on = OnOff(ctx.args);
    if (!on) {
        return;
    }
    AccountFlags flags = ctx.account.flags;
    flags[flag] = *on;
    ctx.store.SetFlags(ctx.account.id, flags);
}

void GameService::PushUpdate(std::int64_t accountId, TimePoint now, std::vector<Outgoing>& out,
                             bool immediate) {
    const Session* session = sessions_.ByAccount(accountId);
    if (session == nullptr || (!immediate && !sessions_.TakePushTurn(accountId, now))) {
        return;
    }
    if (auto account = store_.AccountById(accountId)) {
        out.push_back(Outgoing{session->endpoint, UpdateLine(store_, *account, now, config_)});
    }
}

namespace {

// The bot's side of the game when it is to move.
std::optional<bool> BotToMove(const LiveGame& game) {
    if (game.record.ended) {
        return std::nullopt;
    }
    const bool whiteToMove = ToMove(game) == 'w';
    if ((whiteToMove ? game.record.whiteKind : game.record.blackKind) != AccountKind::Bot) {
        return std::nullopt;
    }
    return whiteToMove;
}

// Material in centipawns for the side to move: how the bot judges a
// position without an engine.
int MaterialBalance(const chess::Position& pos) {
    constexpr std::pair<chess::PieceType, int> kValues[] = {{chess::Pawn, 100},
                                                            {chess::Knight, 300},
                                                            {chess::Bishop, 300},
                                                            {chess::Rook, 500},
                                                            {chess::Queen, 900}};
    const chess::Color us = pos.sideToMove();
    int balance = 0;
    for (auto [type, value] : kValues) {
        balance +=
            value * (std::popcount(pos.pieces(us, type)) - std::popcount(pos.pieces(~us, type)));
    }
    return balance;
}

}  // namespace

bool GameService::BotTakesDraw(LiveGame& game, bool whiteToMove, std::optional<int> score,
                               TimePoint now, std::vector<Outgoing>& out) {
    const char human = whiteToMove ? 'b' : 'w';
    if (game.record.drawOffer != human) {
        return false;
    }
    if (score.value_or(MaterialBalance(game.position)) > kBotDrawMargin) {
        return false;  // it plays on, which declines
    }
    Finish(store_, game, GameResult::Draw, ToUnixSeconds(now), "agreed draw");
    PushUpdate(whiteToMove ? game.record.blackId : game.record.whiteId, now, out, true);
    return true;
}

void GameService::PlayBot(std::int64_t gameId, TimePoint now, std::vector<Outgoing>& out) {
    if (auto asked = asked_.find(gameId);
        asked != asked_.end() && now - asked->second.at < kEngineAnswerWait) {
        return;  // the engine is thinking
    }
    Store::Transaction tx(store_);
    std::optional<LiveGame> game = LoadGame(store_, gameId, config_.log);
    if (!game) {
        return;
    }
    std::optional<bool> whiteToMove = BotToMove(*game);
    if (!whiteToMove) {
        return;
    }
    const std::string& botName = *whiteToMove ? game->record.whiteName : game->record.blackName;
    const int level = BotLevel(botName).value_or(0);
    if (level > 0 && engine_ != nullptr && engine_->Available(now) &&
        !game->position.legalMoves().empty()) {
        std::optional<chess::Position> start =
            chess::Position::fromFen(game->record.startFen, nullptr, IsChess960(game->record));
        if (start) {
            asked_[gameId] = Asked{game->record.moves, now};
            engine_->Ask(EngineQuestion{gameId, game->record.moves, level, std::move(*start),
                                        game->position},
                         now);
            return;
        }
    }
    std::size_t mark = out.size();
    if (!BotTakesDraw(*game, *whiteToMove, std::nullopt, now, out)) {
        std::unique_ptr<Bot> bot = MakeBot(level, random_);
        std::optional<chess::Move> move = bot->ChooseMove(game->position);
        if (!move) {
            return;
        }
        PlayBotMove(*game, *move, now, out);
    }
    try {
        tx.Commit();
    } catch (...) {
        out.resize(mark);
        throw;
    }
}

void GameService::PlayBotMove(LiveGame& game, chess::Move move, TimePoint now,
                              std::vector<Outgoing>& out) {
    const bool whiteToMove = ToMove(game) == 'w';
    const std::int64_t human = whiteToMove ? game.record.blackId : game.record.whiteId;
    Play(store_, game, move, now);
    PushUpdate(human, now, out, true);
}

void GameService::BotAnswer(const EngineAnswer& answer, TimePoint now, std::vector<Outgoing>& out) {
    if (auto asked = asked_.find(answer.gameId);
        asked != asked_.end() && asked->second.movesKey == answer.movesKey) {
        asked_.erase(asked);
    }
    const std::size_t mark = out.size();
    try {
        Store::Transaction tx(store_);
        std::optional<LiveGame> game = LoadGame(store_, answer.gameId, config_.log);
        // The game may have ended (a resignation) or moved on meanwhile.
        std::optional<bool> whiteToMove = game ? BotToMove(*game) : std::nullopt;
        if (!whiteToMove || game->record.moves != answer.movesKey) {
            return;
        }
        // A draw offered while the engine thought is answered too.
        if (BotTakesDraw(*game, *whiteToMove, answer.score, now, out)) {
            tx.Commit();
            return;
        }
        std::optional<chess::Move> move = answer.move;
        if (!move || !game->position.isLegal(*move)) {
            if (answer.move) {
                Log("engine move in game " + std::to_string(answer.gameId) + " is not legal");
            }
            move = MakeBot(0, random_)->ChooseMove(game->position);
        }
        if (!move) {
            return;
        }
        PlayBotMove(*game, *move, now, out);
        tx.Commit();
    } catch (const std::exception& e) {
        out.resize(mark);
        Log("bot move in game " + std::to_string(answer.gameId) + ": " + e.what());
    }
}

void GameService::EndOnTime(std::int64_t gameId, TimePoint now, std::vector<Outgoing>& out) {
    Store::Transaction tx(store_);
    std::optional<LiveGame> game = LoadGame(store_, gameId, config_.log);
    if (!game || game->record.ended || game->record.moveBy > ToUnixSeconds(now)) {
        return;
    }
    const bool whiteToMove = ToMove(*game) == 'w';
    const AccountKind moverKind = whiteToMove ? game->record.whiteKind : game->record.blackKind;
    if (moverKind == AccountKind::Bot) {
        return;  // the bot moves at once and never loses on time
    }
    Finish(store_, *game, whiteToMove ? GameResult::BlackWins : GameResult::WhiteWins,
           game->record.moveBy, "lost on time");
    std::size_t mark = out.size();
    PushUpdate(game->record.whiteId, now, out);
    if (!IsLocal(game->record)) {
        PushUpdate(game->record.blackId, now, out);
    }
    try {
        tx.Commit();
    } catch (...) {
        out.resize(mark);
        throw;
    }
}

void GameService::BotTurn(std::int64_t gameId, TimePoint now, std::vector<Outgoing>& out) {
    try {
        PlayBot(gameId, now, out);
    } catch (const std::exception& e) {
        Log("bot move in game " + std::to_string(gameId) + ": " + e.what());
    }
}

void GameService::RunDue(TimePoint now, std::vector<Outgoing>& out) {
    std::vector<std::int64_t> botGames;
    std::vector<std::int64_t> late;
    try {
        Store::Transaction tx(store_);
        botGames = store_.GamesWithBotToMove();
        late = store_.GamesPastDeadline(ToUnixSeconds(now));
        tx.Commit();
    } catch (const std::exception& e) {
        Log(std::string("due games: ") + e.what());
        return;
    }
    for (std::int64_t id : botGames) {
        BotTurn(id, now, out);
    }
    for (std::int64_t id : late) {
        try {
            EndOnTime(id, now, out);
        } catch (const std::exception& e) {
            Log("deadline of game " + std::to_string(id) + ": " + e.what());
        }
    }
}

}  // namespace qc::server
