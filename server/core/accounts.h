#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "server/core/config.h"
#include "server/core/context.h"
#include "server/core/store.h"
#include "server/core/types.h"

namespace qc::server {

// Logins, guests, account creation, password change and the per-account
// preferences.
class AccountService {
  public:
    AccountService(Store& store, const Config& config) : store_(store), config_(config) {}

    struct LoginResult {
        std::vector<std::string> lines;  // "guest: ..." or a refusal
        std::optional<Account> account;  // set when logged in
    };
    // The login command "connect " + version + " " + digest under qvid. A
    // new guest is made only when mayCreateGuest agrees; otherwise the
    // result is empty (no lines, no account).
    LoginResult Login(std::string_view qvid, std::string_view args, TimePoint now,
                      const std::function<bool()>& mayCreateGuest);
    // "createqvid " arguments; answers "created" or "!c" + code.
    std::string CreateAccount(std::string_view args, TimePoint now);
    // "changepw " arguments; answers "changedpw" or "!a" + code.
    std::string ChangePassword(std::string_view args);

    static void GetSettings(CommandContext& ctx);
    static void SetSettings(CommandContext& ctx);

  private:
    LoginResult NewGuest(std::string_view version, TimePoint now);

    Store& store_;
    const Config& config_;
};

enum class AddAccountResult { Added, InvalidName, NameTaken };

// The administrator's way to make a named account with a known password
// (given in Windows-1252 bytes).
AddAccountResult AddNamedAccount(Store& store, const Config& config, std::string_view name,
                                 std::string_view ansiPassword, TimePoint now);

}  // namespace qc::server
