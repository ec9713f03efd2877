#pragma once

#include "model/Account.h"

#include <QWidget>

#include <functional>

// An account the user stopped tracking: its e-mail, and a link that brings it back.
class HiddenRow : public QWidget {
    Q_OBJECT

public:
    HiddenRow(const Account& account, std::function<void()> trackAgain, QWidget* parent = nullptr);
};
