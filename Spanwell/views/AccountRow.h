#pragma once

#include "model/AccountStatus.h"
#include "model/Calendar.h"
#include "model/HistoryReading.h"
#include "model/Instant.h"
#include "store/Entry.h"

#include <QLocale>
#include <QWidget>

#include <functional>

class QAbstractButton;
class QVBoxLayout;

// One tracked account in the panel. Collapsed: its status mark, e-mail, verdict and a compact
// meter per limit. Expanded: every limit with its bar and reset time, a line of account
// details and the command to stop tracking it. A failed refresh adds why, and a missing or
// lapsed sign-in offers to sign in again, before that command. Built afresh for every redraw; holds
// no state.
class AccountRow : public QWidget {
    Q_OBJECT

public:
    struct Actions {
        std::function<void()> toggle;
        std::function<void()> stopTracking;
        std::function<void()> signInAgain;
    };

    // With `renderingPicture`, controls are drawn as still look-alikes and the sign-in
    // command is left out. `recentUse` holds the history of the entry's limits, which an open
    // row charts.
    AccountRow(const Entry& entry, Instant now, bool isExpanded, Actions actions,
               bool renderingPicture = false, const QList<LimitHistory>& recentUse = {},
               QWidget* parent = nullptr);

    const QString& id() const { return accountId; }
    bool isExpanded() const { return expanded; }
    // The clickable header that expands and collapses the row.
    QAbstractButton* header() const { return headerButton; }

    // The snapshot's readings as they stand at `now`; none without a snapshot.
    static QList<LimitReading> limits(const Entry& entry, Instant now);
    // The row's verdict: a missing or lapsed sign-in blocks whatever the numbers say.
    static AccountStatus status(const Entry& entry, Instant now);
    // The sentence shown under the row for `problem`.
    static QString message(const FetchProblem& problem, bool hasSnapshot, Instant now);
    // Plan, folder, subscription renewal and an approaching sign-in end, joined by dots.
    static QString detailLine(const Entry& entry, Instant now, const Calendar& calendar,
                              const QLocale& locale);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    static QStringList detailParts(const Entry& entry, Instant now, const Calendar& calendar,
                                   const QLocale& locale);
    QWidget* meterGrid(const Entry& entry, const QList<LimitReading>& limits, Instant now);
    QWidget* details(const Entry& entry, const QList<LimitReading>& limits, Instant now,
                     const QList<LimitHistory>& recentUse);
    // Why the last refresh failed, and the way to sign in again where that is the fix.
    void addProblem(QVBoxLayout& layout, const Entry& entry, Instant now,
                    const std::function<void()>& signInAgain, bool renderingPicture);
    QWidget* stopTracking(const std::function<void()>& stop, bool renderingPicture);

    QString accountId;
    bool expanded;
    QAbstractButton* headerButton;
};
