#include "server/core/accounts.h"

#include <algorithm>

#include "client/core/account/password.h"
#include "server/core/mail_message.h"
#include "server/core/text.h"

namespace qc::server {

namespace {

constexpr std::size_t kMaxVersion = 20;
constexpr std::size_t kMaxPersonName = 60;

std::string_view Trim(std::string_view text) {
    while (!text.empty() && text.front() == ' ') {
        text.remove_prefix(1);
    }
    while (!text.empty() && text.back() == ' ') {
        text.remove_suffix(1);
    }
    return text;
}

std::string Cut(std::string_view text, std::size_t max) {
    return std::string(text.substr(0, max));
}

}  // namespace

AccountService::LoginResult AccountService::NewGuest(std::string_view version, TimePoint now) {
    NewAccount guest;
    guest.name = "guest" + std::to_string(store_.TakeGuestNumber());
    guest.kind = AccountKind::Guest;
    guest.digest = RandomHex(32);
    guest.gameSlots = config_.guestSlots;
    guest.created = ToUnixSeconds(now);
    std::int64_t id = store_.CreateAccount(guest);
    store_.RecordLogin(id, version, guest.created);
    LoginResult result;
    result.lines.push_back("guest: " + guest.name + "," + guest.digest);
    result.account = store_.AccountById(id);
    return result;
}

AccountService::LoginResult AccountService::Login(std::string_view qvid, std::string_view args,
                                                  TimePoint now,
                                                  const std::function<bool()>& mayCreateGuest) {
    std::size_t blank = args.find(' ');
    std::string version = Cut(args.substr(0, blank), kMaxVersion);
    std::string_view digest = blank == args.npos ? std::string_view() : args.substr(blank + 1);

    if (StartsWithNoCase(qvid, "guest")) {
        if (!EqualsNoCase(qvid, "guest")) {
            auto known = store_.FindAccount(qvid);
            if (known && known->kind == AccountKind::Guest && !digest.empty() &&
                EqualsNoCase(known->digest, digest)) {
                store_.RecordLogin(known->id, version, ToUnixSeconds(now));
                LoginResult result;
                result.account = std::move(known);
                result.account->version = version;
                return result;
            }
        }
        // A guest whose identifier is gone or does not prove itself simply
        // becomes a new guest: guest identities are the server's to hand out.
        if (!mayCreateGuest()) {
            return LoginResult{};
        }
        return NewGuest(version, now);
    }

    auto account = store_.FindAccount(qvid);
    if (!account || account->kind != AccountKind::Named) {
        return LoginResult{{"!w"}, std::nullopt};
    }
    if (digest.empty() || !EqualsNoCase(account->digest, digest)) {
        return LoginResult{{"!p"}, std::nullopt};
    }
    store_.RecordLogin(account->id, version, ToUnixSeconds(now));
    account->version = version;
    return LoginResult{{}, std::move(account)};
}

std::string AccountService::CreateAccount(std::string_view args, TimePoint now) {
    std::vector<std::string_view> fields = Split(args, ',');
    fields.resize(std::max<std::size_t>(fields.size(), 5));
    std::string_view name = Trim(fields[0]);
    std::string_view email = Trim(fields[1]);
    if (!IsValidNewIdentifier(name) || IsReservedIdentifier(name)) {
        return "!c1";
    }
    // The password goes out by mail: an address no relay takes would leave
    // the new account locked.
    if (!IsValidEmail(email) || !IsMailAddress(email)) {
        return "!c2";
    }
    if (store_.FindAccount(name)) {
        return "!c3";
    }
    if (store_.EmailTaken(email)) {
        return "!c4";
    }
    std::string password = RandomPassword(10);
    NewAccount account;
    account.name = std::string(name);
    account.kind = AccountKind::Named;
    account.digest = qc::account::Swordfish(password);
    account.email = std::string(email);
    account.firstName = Cut(Trim(fields[2]), kMaxPersonName);
    account.lastName = Cut(Trim(fields[3]), kMaxPersonName);
    account.referrer = Cut(Trim(fields[4]), 30);
    account.gameSlots = config_.namedSlots;
    account.created = ToUnixSeconds(now);
    store_.CreateAccount(account);

    Mail mail;
    mail.created = account.created;
    mail.recipient = account.email;
    mail.subject = "Your Quorvel Chess password";
    mail.body = "Welcome to Quorvel Chess.\n\nYour QVID: " + account.name +
                "\nYour password: " + password +
                "\n\nEnter both in the program's settings window. You can change the password "
                "there at any time.\n";
    store_.AddMail(mail);
    // The password goes only into the outbox: standard error ends up in
    // system logs that more people can read than the database.
    if (config_.log) {
        config_.log("mail for new QVID " + account.name + " queued in the outbox (to " +
                    account.email + ")");
    }
    return "created";
}

std::string AccountService::ChangePassword(std::string_view args) {
    std::vector<std::string_view> fields = Split(Trim(args), ' ');
    if (fields.empty()) {
        return "!a1";
    }
    auto account = store_.FindAccount(fields[0]);
    if (!account || account->kind != AccountKind::Named) {
        return "!a1";
    }
    if (fields.size() != 3) {
        return "!a3";
    }
    if (fields[1].empty() || !EqualsNoCase(account->digest, fields[1])) {
        return "!a2";
    }
    std::string password;
    if (!qc::account::DecodeNewPassword(fields[2], password) || password.empty()) {
        return "!a3";
    }
    store_.SetDigest(account->id, qc::account::Swordfish(password));
    return "changedpw";
}

void AccountService::GetSettings(CommandContext& ctx) {
    ctx.Reply(SettingsLine(ctx.account));
}

void AccountService::SetSettings(CommandContext& ctx) {
    std::vector<std::string_view> fields = Split(ctx.args, ',');
    if (fields.size() != 7) {
        return;
    }
    AccountFlags flags{};
    for (std::size_t i = 0; i < flags.size(); ++i) {
        auto value = ParseCount(Trim(fields[i]));
        if (!value) {
            return;
        }
        flags[i] = *value != 0;
    }
    ctx.store.SetFlags(ctx.account.id, flags);
    ctx.account.flags = flags;
}

AddAccountResult AddNamedAccount(Store& store, const Config& config, std::string_view name,
                                 std::string_view ansiPassword, TimePoint now) {
    if (!IsValidAdminIdentifier(name) || IsReservedIdentifier(name)) {
        return AddAccountResult::InvalidName;
    }
    Store::Transaction tx(store);
    if (store.FindAccount(name)) {
        return AddAccountResult::NameTaken;
    }
    NewAccount account;
    account.name = std::string(name);
    account.kind = AccountKind::Named;
    account.digest = qc::account::Swordfish(ansiPassword);
    account.gameSlots = config.namedSlots;
    account.created = ToUnixSeconds(now);
    store.CreateAccount(account);
    tx.Commit();
    return AddAccountResult::Added;
}

}  // namespace qc::server
