#include "tests/fakes/fake_autostart.h"

namespace qc::fakes {

bool FakeAutostart::Write() {
    ++writes_;
    if (noRights_) {
        return false;
    }
    entry_ = command_;
    return true;
}

bool FakeAutostart::Remove() {
    ++removes_;
    if (noRights_) {
        return false;
    }
    entry_.reset();
    return true;
}

}  // namespace qc::fakes
