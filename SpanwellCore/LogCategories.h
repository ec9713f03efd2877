#pragma once

#include <QLoggingCategory>

// Failures the user does not see in the panel, one category per area. Quiet by default: turn
// areas on with, for example, QT_LOGGING_RULES="spanwell.*=true".
Q_DECLARE_LOGGING_CATEGORY(accountsLog) // spanwell.accounts: folders that cannot be read
Q_DECLARE_LOGGING_CATEGORY(processLog)  // spanwell.process: children ended at their limit
Q_DECLARE_LOGGING_CATEGORY(serviceLog)  // spanwell.service: the update feed, the profile
Q_DECLARE_LOGGING_CATEGORY(storeLog)    // spanwell.store: the snapshot cache
Q_DECLARE_LOGGING_CATEGORY(historyLog)  // spanwell.history: the history of readings
Q_DECLARE_LOGGING_CATEGORY(trayLog)     // spanwell.tray: the desktop's trays, autostart
Q_DECLARE_LOGGING_CATEGORY(picturesLog) // spanwell.pictures: the picture modes' files
// spanwell.notifications: where notifications could not go
Q_DECLARE_LOGGING_CATEGORY(notificationsLog)
