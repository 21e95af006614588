#include "tests/fakes/fake_shell.h"

namespace qc::fakes {

void FakeShell::OpenUrl(const std::string& url) {
    calls.push_back({Action::OpenUrl, url});
}

void FakeShell::OpenDocument(const std::filesystem::path& path) {
    calls.push_back({Action::OpenDocument, path.string()});
}

void FakeShell::StartProgram(const std::filesystem::path& path) {
    calls.push_back({Action::StartProgram, path.string()});
}

bool FakeShell::FileExists(const std::filesystem::path& path) {
    return files.count(path.string()) != 0;
}

std::vector<std::string> FakeShell::Urls() const {
    std::vector<std::string> urls;
    for (const Call& c : calls) {
        if (c.action == Action::OpenUrl) {
            urls.push_back(c.target);
        }
    }
    return urls;
}

}  // namespace qc::fakes
