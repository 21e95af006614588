#pragma once

#include <string>

namespace qc::platform {

enum class TrayPicture { Grey, Red, Green, Amber };

// What the notification-area service receives on every add and modify.
struct TrayRecord {
    TrayPicture picture = TrayPicture::Grey;
    // At most 63 characters, CR LF between lines.
    std::string tip;
};

class TrayService {
  public:
    virtual ~TrayService() = default;
    virtual bool Add(const TrayRecord& record) = 0;
    virtual bool Modify(const TrayRecord& record) = 0;
    virtual bool Delete() = 0;
};

}  // namespace qc::platform
