#pragma once

#include <array>
#include <string_view>

// The program's command menu, popped up from the tray icon and from the
// floating indicator. The controller carries out the item chosen.
namespace qc::desktop {

enum class MenuItem {
    Separator,
    Connect,
    GameWin,
    GameList,
    PublicReqs,
    Request,
    LocalGame,
    PlayBot,
    KnightsTour,
    MyStats,
    MyHist,
    Scoreboard,
    BuySlots,
    BuyTexts,
    Help,
    Variants,
    ShowFloater,
    Settings,
    ExitChess,
};

struct MenuEntry {
    MenuItem item;
    std::string_view name;
    std::string_view caption;
};

// The menu's items in their order; separators have the caption "-".
inline constexpr std::array<MenuEntry, 25> kTrayMenu = {{
    {MenuItem::Connect, "MenuConnect", "Connect / Refresh"},
    {MenuItem::Separator, "MenuDiv1", "-"},
    {MenuItem::GameWin, "MenuGameWin", "Game Window"},
    {MenuItem::GameList, "MenuGameList", "My Games and Requests"},
    {MenuItem::Separator, "MenuDiv2", "-"},
    {MenuItem::PublicReqs, "MenuPublicReqs", "Public Game Requests"},
    {MenuItem::Request, "MenuRequest", "Request Game"},
    {MenuItem::LocalGame, "MenuLocalGame", "Local Game"},
    {MenuItem::PlayBot, "MenuPlayBot", "Play Bot"},
    {MenuItem::KnightsTour, "MenuKnightsTour", "The Knight's Tour"},
    {MenuItem::Separator, "MenuDiv3", "-"},
    {MenuItem::MyStats, "MenuMyStats", "My Stats"},
    {MenuItem::MyHist, "MenuMyHist", "My Game History"},
    {MenuItem::Scoreboard, "MenuScoreboard", "Scoreboard"},
    {MenuItem::Separator, "MenuDiv4", "-"},
    {MenuItem::BuySlots, "MenuBuySlots", "Purchase Game Slots"},
    {MenuItem::BuyTexts, "MenuBuyTexts", "Purchase SMS Credits"},
    {MenuItem::Separator, "MenuDiv5", "-"},
    {MenuItem::Help, "MenuHelp", "Help"},
    {MenuItem::Variants, "MenuVariants", "Chess Variants"},
    {MenuItem::Separator, "MenuDiv6", "-"},
    {MenuItem::ShowFloater, "MenuShowFloater", "Floating Indicator"},
    {MenuItem::Settings, "MenuSettings", "Settings"},
    {MenuItem::Separator, "MenuDiv7", "-"},
    {MenuItem::ExitChess, "MenuExitChess", "Exit Quorvel Chess"},
}};

}  // namespace qc::desktop
