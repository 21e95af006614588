#include "client/core/settings/settings_window.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <vector>

#include "client/core/account/password.h"
#include "client/core/text.h"

namespace qc::settings {

namespace {

using platform::MessageButtons;

// The settings field each check box shows, or nothing for the two that are
// not in the settings struct.
bool Settings::*FieldOf(SettingsBox box) {
    switch (box) {
        case SettingsBox::AppRemember:
            return nullptr;
        case SettingsBox::RunOnStartUp:
            return &Settings::RunOnStartUp;
        case SettingsBox::OpenGameList:
            return &Settings::OpenGameList;
        case SettingsBox::PlaySound:
            return &Settings::PlaySound;
        case SettingsBox::FloaterTop:
            return &Settings::FloaterTop;
        case SettingsBox::FloaterLock:
            return &Settings::FloaterLock;
        case SettingsBox::ShowLast1:
            return &Settings::ShowLast1;
        case SettingsBox::ShowLast2:
            return &Settings::ShowLast2;
        case SettingsBox::ShowPoss:
            return &Settings::ShowPoss;
        case SettingsBox::EmailMeOnReq:
            return &Settings::EmailMeOnReq;
        case SettingsBox::TextMeOnReq:
            return &Settings::TextMeOnReq;
        case SettingsBox::EmailLink:
            return &Settings::EmailLink;
        case SettingsBox::TextLink:
            return &Settings::TextLink;
        case SettingsBox::Notify:
            return &Settings::Notify;
    }
    return nullptr;
}

// The seven flags the server keeps, in the order they travel.
constexpr std::array<bool Settings::*, 7> kRemoteFlags = {
    &Settings::ShowLast1, &Settings::ShowLast2,    &Settings::ShowPoss,   &Settings::EmailLink,
    &Settings::TextLink,  &Settings::EmailMeOnReq, &Settings::TextMeOnReq};

constexpr std::array<SettingsBox, 7> kRemoteBoxes = {
    SettingsBox::ShowLast1,  SettingsBox::ShowLast2, SettingsBox::ShowPoss,
    SettingsBox::EmailLink,  SettingsBox::TextLink,  SettingsBox::EmailMeOnReq,
    SettingsBox::TextMeOnReq};

std::size_t Index(SettingsBox box) {
    return static_cast<std::size_t>(box);
}

// The number a field begins with (blanks skipped); 0 when there is none.
double FieldNumber(std::string_view field) {
    while (!field.empty() && (field.front() == ' ' || field.front() == '\t')) {
        field.remove_prefix(1);
    }
    if (!field.empty() && field.front() == '+') {
        field.remove_prefix(1);
    }
    double value = 0;
    const auto r =
        std::from_chars(field.data(), field.data() + field.size(), value, std::chars_format::fixed);
    return r.ec == std::errc() && std::isfinite(value) ? value : 0;
}

std::vector<std::string_view> SplitCommas(std::string_view s) {
    std::vector<std::string_view> out;
    for (;;) {
        const std::size_t comma = s.find(',');
        out.push_back(s.substr(0, comma));
        if (comma == std::string_view::npos) {
            return out;
        }
        s.remove_prefix(comma + 1);
    }
}

std::optional<std::int32_t> RoundedInt32(double v) {
    const double r = std::nearbyint(v);  // halves to the even neighbour
    if (r < std::numeric_limits<std::int32_t>::min() ||
        r > std::numeric_limits<std::int32_t>::max()) {
        return std::nullopt;
    }
    return static_cast<std::int32_t>(r);
}

}  // namespace

void ParseRemoteSettings(std::string_view rest, Settings& prefs, AccountCredits& credits) {
    const std::vector<std::string_view> fields = SplitCommas(rest);
    for (std::size_t i = 0; i < kRemoteFlags.size() && i < fields.size(); ++i) {
        prefs.*kRemoteFlags[i] = FieldNumber(fields[i]) != 0;
    }
    // A field the line does not carry, or one that does not fit, keeps what
    // the window showed before.
    if (fields.size() > 7) {
        if (const auto v = RoundedInt32(FieldNumber(fields[7]))) {
            credits.TextsFree = *v;
        }
    }
    if (fields.size() > 8) {
        if (const auto v = RoundedInt32(FieldNumber(fields[8]))) {
            credits.TextsPurchased = *v;
        }
    }
    if (fields.size() > 9) {
        const double slots = FieldNumber(fields[9]);
        if (std::fabs(slots) <= std::numeric_limits<float>::max()) {
            credits.Slots = static_cast<float>(slots);
        }
    }
}

std::string SlotsText(float slots) {
    char buf[32];
    const auto r = std::to_chars(buf, buf + sizeof buf, slots);
    return std::string(buf, r.ptr);
}

std::string CleanQvid(std::string_view text) {
    std::string out;
    for (char c : text) {
        if (c != ',' && c != ' ') {
            out += c;
        }
    }
    return out;
}

SettingsWindow::SettingsWindow(SettingsWindowContext context) : ctx_(std::move(context)) {
    state_.caption = std::string(text::kProgramName) + " - Settings";
}

void SettingsWindow::Render() {
    if (view_ != nullptr) {
        view_->Render(state_);
    }
}

void SettingsWindow::Load() {
    const std::string caption = state_.caption;
    const int serial = state_.focus.serial;
    state_ = SettingsWindowState{};
    state_.caption = caption;
    state_.focus.serial = serial;
    passwordFits_ = true;
    const std::string& qvid = ctx_.login.Qvid();
    if (!text::EqualsIgnoreCase(qvid, "guest")) {
        state_.qvid = qvid;
        state_.password = ctx_.login.PwHash().empty() ? "" : std::string(kPasswordPlaceholder);
    }
    const Settings& p = ctx_.prefs;
    for (int i = 0; i < kSettingsBoxes; ++i) {
        const auto box = static_cast<SettingsBox>(i);
        bool Settings::*field = FieldOf(box);
        state_.boxes[Index(box)] = field != nullptr ? p.*field : ctx_.appRemember;
    }
    state_.soundFile = p.SoundFile;
    state_.alwaysList = p.AlwaysList;
    state_.myTime = p.MyTime;
}

void SettingsWindow::Show() {
    if (loaded_) {
        if (view_ != nullptr) {
            view_->Raise();
        }
        return;
    }
    loaded_ = true;
    Load();
    Render();
    if (view_ != nullptr) {
        view_->Open({static_cast<double>(ctx_.prefs.SettingsX),
                     static_cast<double>(ctx_.prefs.SettingsY), 0, 0});
    }
}

void SettingsWindow::ShowWithFocus(SettingsFocus focus) {
    Show();
    Focus(focus);
}

void SettingsWindow::Unload() {
    if (!loaded_) {
        return;
    }
    loaded_ = false;
    if (view_ == nullptr) {
        return;
    }
    const WindowRect r = view_->Geometry();
    KeepPlace(r.left, r.top, ctx_.prefs.SettingsX, ctx_.prefs.SettingsY);
    view_->Close();
}

void SettingsWindow::RemoteSettings(std::string_view rest) {
    ParseRemoteSettings(rest, ctx_.prefs, ctx_.credits);
    UpdateRemoteSettings();
}

void SettingsWindow::UpdateRemoteSettings() {
    if (!loaded_) {
        return;
    }
    for (std::size_t i = 0; i < kRemoteBoxes.size(); ++i) {
        state_.boxes[Index(kRemoteBoxes[i])] = ctx_.prefs.*kRemoteFlags[i];
    }
    state_.textsText = "Free: " + std::to_string(ctx_.credits.TextsFree) +
                       "     Purchased: " + std::to_string(ctx_.credits.TextsPurchased);
    state_.slotsText = SlotsText(ctx_.credits.Slots);
    Render();
}

void SettingsWindow::EditQvid(const std::string& text) {
    state_.qvid = text;
    Render();
}

void SettingsWindow::QvidDone() {
    state_.qvid = CleanQvid(state_.qvid);
    Render();
}

void SettingsWindow::EditPassword(const std::string& text, bool fits) {
    state_.password = text;
    passwordFits_ = fits;
    Render();
}

void SettingsWindow::SetBox(SettingsBox box, bool on) {
    const int i = static_cast<int>(box);
    if (i >= 0 && i < kSettingsBoxes) {
        state_.boxes[Index(box)] = on;
        Render();
    }
}

void SettingsWindow::ChooseAlwaysList(bool alwaysList) {
    state_.alwaysList = alwaysList;
    Render();
}

void SettingsWindow::ChooseMyTime(bool myTime) {
    state_.myTime = myTime;
    Render();
}

void SettingsWindow::ChooseSound() {
    const std::optional<std::filesystem::path> chosen = ctx_.dialogs.OpenFile(
        "Choose Sound", {{"Wave Files", "*.wav"}, {"All Files", "*.*"}}, state_.soundFile);
    // The window may have been closed while the dialog was open.
    if (chosen && loaded_) {
        state_.soundFile = chosen->string();
        Render();
    }
}

void SettingsWindow::Ok() {
    // Everything is read before anything is sent, and the identifier is
    // cleaned as leaving its box would: Enter sends without a focus change.
    const SettingsWindowState boxes = [this] {
        SettingsWindowState s = state_;
        s.qvid = CleanQvid(s.qvid);
        return s;
    }();
    const bool placeholder = boxes.password == kPasswordPlaceholder;
    if (!placeholder && !passwordFits_) {
        ctx_.dialogs.MessageBox(
            "Passwords can only use the characters of the Western European (Windows-1252) "
            "character set.",
            MessageButtons::Ok);
        return;
    }
    LoginControl& login = ctx_.login;
    const bool changed = boxes.qvid != login.Qvid() || !placeholder;
    if (changed) {
        if (boxes.qvid != login.Qvid()) {
            ctx_.unloadGameWindow();
        }
        if (login.LoggedIn()) {
            login.Send("disconnect");
        }
        std::string hash;
        if (!boxes.qvid.empty() && !boxes.password.empty()) {
            hash = placeholder ? login.PwHash() : account::Swordfish(boxes.password);
        }
        login.ChangeAccount(boxes.qvid, hash);
    }
    Settings& p = ctx_.prefs;
    for (int i = 0; i < kSettingsBoxes; ++i) {
        const auto box = static_cast<SettingsBox>(i);
        if (bool Settings::*field = FieldOf(box)) {
            p.*field = boxes.Box(box);
        } else {
            ctx_.appRemember = boxes.Box(box);
        }
    }
    p.SoundFile = boxes.soundFile;
    p.AlwaysList = boxes.alwaysList;
    p.MyTime = boxes.myTime;
    ctx_.applyFloaterTop();
    if (changed) {
        login.LogInAgainSoon();
    } else {
        login.Connect();
    }
    std::string command = "settings ";
    for (std::size_t i = 0; i < kRemoteFlags.size(); ++i) {
        command += (i > 0 ? "," : "") + std::string(p.*kRemoteFlags[i] ? "1" : "0");
    }
    login.SendCommand(command);
    Unload();
}

void SettingsWindow::ChangePassword() {
    const std::string& qvid = state_.qvid;
    if (qvid.empty() || text::StartsWith(text::ToLower(qvid), "guest")) {
        ctx_.dialogs.MessageBox("You cannot change the password of a guest account.",
                                MessageButtons::Ok);
        return;
    }
    if (openChangePassword) {
        openChangePassword();
    }
}

void SettingsWindow::CreateAccount() {
    if (openCreateAccount) {
        openCreateAccount();
    }
}

void SettingsWindow::ContactInfo() {
    ctx_.site("settings/personal.html");
}

void SettingsWindow::BuySlots() {
    ctx_.site("buyslots.html");
}

void SettingsWindow::BuyTexts() {
    ctx_.site("buytexts.html");
}

void SettingsWindow::SetQvidBox(const std::string& qvid) {
    state_.qvid = qvid;
    Render();
}

void SettingsWindow::SetPasswordBox(const std::string& password) {
    state_.password = password;
    passwordFits_ = true;
    Render();
}

void SettingsWindow::Focus(SettingsFocus focus) {
    if (focus == SettingsFocus::PasswordCleared) {
        state_.password.clear();
        passwordFits_ = true;
    }
    state_.focus.where = focus;
    ++state_.focus.serial;
    Render();
}

void SettingsWindow::SetEnabled(bool enabled) {
    state_.enabled = enabled;
    Render();
}

WindowRect SettingsWindow::Geometry() const {
    return view_ != nullptr ? view_->Geometry() : WindowRect{};
}

}  // namespace qc::settings
