#pragma once

#include "platform/LoginItemService.h"

// A login-item service whose state and failures the test decides; counts the calls it gets.
class FakeLoginItem : public LoginItemService {
public:
    LoginItemStatus current = LoginItemStatus::NotRegistered;
    bool failRegister = false;
    bool failUnregister = false;
    int registerCalls = 0;
    int unregisterCalls = 0;

    LoginItemStatus status() const override { return current; }
    bool registerItem() override {
        ++registerCalls;
        if (failRegister)
            return false;
        current = LoginItemStatus::Enabled;
        return true;
    }
    bool unregisterItem() override {
        ++unregisterCalls;
        if (failUnregister)
            return false;
        current = LoginItemStatus::NotRegistered;
        return true;
    }
};
