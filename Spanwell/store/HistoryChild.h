#pragma once

#include "model/HistoryJob.h"

#include <QList>
#include <QString>

#include <optional>

// The history worked on by a short-lived child of the program (`--history-job`), so that the
// program that asks, the tray program above all, never loads the database: SQLite and Qt SQL
// would stay in its memory all day for a moment's work after each refresh.
namespace HistoryChild {

// Long enough for the child to wait out another writer's busy time more than once.
inline constexpr double timeoutSeconds = 30;

// Runs `program` with the job on its standard input; the recent use the job asks for, or
// nothing when it asks for none or the child failed, which is logged.
std::optional<QList<LimitHistory>> run(const QString& program, const HistoryJob& job);

} // namespace HistoryChild
