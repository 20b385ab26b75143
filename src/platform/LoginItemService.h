#pragma once

// Whether the application is started when the user logs in. Only Enabled means "on";
// an entry that exists but is switched off counts as off.
enum class LoginItemStatus { NotRegistered, Enabled, Disabled };

// The desktop's login-item facility, behind an interface so the settings form can be
// tested against a double and other desktops can get their own backend.
class LoginItemService {
public:
    virtual ~LoginItemService() = default;

    virtual LoginItemStatus status() const = 0;
    // Both return false when the desktop did not take the change.
    virtual bool registerItem() = 0;
    virtual bool unregisterItem() = 0;
};
