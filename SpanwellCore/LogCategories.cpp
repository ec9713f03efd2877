#include "LogCategories.h"

Q_LOGGING_CATEGORY(accountsLog, "spanwell.accounts", QtCriticalMsg)
Q_LOGGING_CATEGORY(processLog, "spanwell.process", QtCriticalMsg)
Q_LOGGING_CATEGORY(serviceLog, "spanwell.service", QtCriticalMsg)
Q_LOGGING_CATEGORY(storeLog, "spanwell.store", QtCriticalMsg)
Q_LOGGING_CATEGORY(historyLog, "spanwell.history", QtCriticalMsg)
Q_LOGGING_CATEGORY(trayLog, "spanwell.tray", QtCriticalMsg)
Q_LOGGING_CATEGORY(picturesLog, "spanwell.pictures", QtCriticalMsg)
Q_LOGGING_CATEGORY(notificationsLog, "spanwell.notifications", QtCriticalMsg)
