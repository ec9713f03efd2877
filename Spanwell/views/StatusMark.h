#pragma once

#include "model/AccountStatus.h"
#include "views/SymbolView.h"

// The coloured dot in front of an account: its verdict at a glance.
class StatusMark : public SymbolView {
    Q_OBJECT

public:
    explicit StatusMark(AccountStatus::Level level, QWidget* parent = nullptr);

    AccountStatus::Level level() const { return shownLevel; }

    static QString symbolName(AccountStatus::Level level);
    static Theme::Role colourRole(AccountStatus::Level level);

private:
    AccountStatus::Level shownLevel;
};
