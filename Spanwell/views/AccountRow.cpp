#include "views/AccountRow.h"

#include "store/EntryStatus.h"
#include "views/DetailRow.h"
#include "views/LinkButton.h"
#include "views/MeterGrid.h"
#include "views/StatusMark.h"
#include "views/SymbolView.h"
#include "views/TextLabel.h"
#include "views/Typography.h"

#include <QAbstractButton>
#include <QGraphicsOpacityEffect>
#include <QHBoxLayout>
#include <QPainter>
#include <QVBoxLayout>

namespace {

constexpr int horizontalPadding = 14;
constexpr int verticalPadding = 10;
constexpr int spacing = 7;
constexpr int indent = 17;
constexpr int detailSpacing = 6;
// How far the focus ring stands off the header, inside the row's padding, so that it never
// crosses the mark and texts it surrounds.
constexpr double ringOffset = 3.5;
// The flexible space between the e-mail and the verdict: at least 8, plus the spacing on its
// far side, because the layout puts spacing only beside the e-mail.
constexpr int leastGapBeforeVerdict = 8 + spacing;
constexpr double fadedOpacity = 0.5;
constexpr double loginReminderSeconds = 604800;

const QString separator = QStringLiteral("  \u00B7  ");
const QString stopTrackingHelp =
    QStringLiteral("Hides this account from Spanwell. It stays signed in to Claude Code, and you "
                   "can bring it back from the menu below.");

// A button without chrome whose whole rectangle is its label, a layout of ordinary views. The
// row draws its focus ring round it, clear of what it holds.
class RowHeader : public QAbstractButton {
public:
    explicit RowHeader(QWidget* parent = nullptr)
        : QAbstractButton(parent) {
        setFocusPolicy(Qt::TabFocus);
        // As wide as the row, never wider: what it holds gives way (an e-mail) or wraps.
        setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    }

protected:
    void paintEvent(QPaintEvent*) override {}
    void focusInEvent(QFocusEvent* event) override {
        QAbstractButton::focusInEvent(event);
        parentWidget()->update();
    }
    void focusOutEvent(QFocusEvent* event) override {
        QAbstractButton::focusOutEvent(event);
        parentWidget()->update();
    }
};

QWidget* indented(QWidget* content) {
    auto* box = new QWidget;
    auto* layout = new QHBoxLayout(box);
    layout->setContentsMargins(indent, 0, 0, 0);
    layout->addWidget(content, 0, Qt::AlignLeading);
    return box;
}

QString monthAndDay(Instant instant, const Calendar& calendar, const QLocale& locale) {
    return locale.toString(calendar.dateTime(instant).date(), QStringLiteral("MMM d"));
}

} // namespace

AccountRow::AccountRow(const Entry& entry, Instant now, bool isExpanded, Actions actions,
                       bool renderingPicture, const QList<LimitHistory>& recentUse, QWidget* parent)
    : QWidget(parent)
    , accountId(entry.id())
    , expanded(isExpanded)
    , headerButton(new RowHeader) {
    const QList<LimitReading> readings = limits(entry, now);
    const AccountStatus verdict = status(entry, now);
    const bool blocking = verdict.level == AccountStatus::Level::blocked ||
                          verdict.level == AccountStatus::Level::partial;

    auto* email = new TextLabel(entry.account.email, Typography::font(13, QFont::DemiBold),
                                Theme::Role::primaryText);
    email->setObjectName(QStringLiteral("email"));
    email->setElideMode(Qt::ElideMiddle);
    auto* verdictLabel = new TextLabel(verdict.text, Typography::font(12),
                                       blocking ? Theme::Role::red : Theme::Role::primaryText);
    verdictLabel->setObjectName(QStringLiteral("status"));
    verdictLabel->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
    auto* chevron = new SymbolView(QStringLiteral("chevron.right"), 9, Theme::Role::secondaryText);
    chevron->setObjectName(QStringLiteral("chevron"));
    chevron->setWeight(QFont::DemiBold);
    chevron->setRotation(expanded ? 90 : 0);

    auto* headerLine = new QHBoxLayout;
    headerLine->setSpacing(spacing);
    headerLine->addWidget(new StatusMark(verdict.level));
    headerLine->addWidget(email);
    headerLine->addSpacerItem(
        new QSpacerItem(leastGapBeforeVerdict, 0, QSizePolicy::MinimumExpanding));
    headerLine->addWidget(verdictLabel);
    headerLine->addWidget(chevron);

    headerButton->setObjectName(QStringLiteral("header"));
    auto* headerLayout = new QVBoxLayout(headerButton);
    headerLayout->setContentsMargins(0, 0, 0, 0);
    headerLayout->setSpacing(spacing);
    headerLayout->addLayout(headerLine);
    if (!expanded && (!readings.isEmpty() || EntryStatus::spendMeter(entry)))
        headerLayout->addWidget(meterGrid(entry, readings, now));
    if (const QString note = EntryStatus::extraUsageNote(entry, verdict);
        !expanded && !note.isEmpty()) {
        auto* extraUsage = new TextLabel(note, Typography::font(11), Theme::Role::secondaryText);
        extraUsage->setObjectName(QStringLiteral("extraUsage"));
        extraUsage->setContentsMargins(indent, 0, 0, 0);
        headerLayout->addWidget(extraUsage);
    }
    connect(headerButton, &QAbstractButton::clicked, this, [toggle = actions.toggle] {
        if (toggle)
            toggle();
    });

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(horizontalPadding, verticalPadding, horizontalPadding,
                               verticalPadding);
    layout->setSpacing(spacing);
    layout->addWidget(headerButton);
    if (expanded)
        layout->addWidget(details(entry, readings, now, recentUse));
    // What is wrong, and its fix, come before the command that only hides the account.
    if (entry.problem)
        addProblem(*layout, entry, now, actions.signInAgain, renderingPicture);
    if (expanded)
        layout->addWidget(indented(stopTracking(actions.stopTracking, renderingPicture)));
}

void AccountRow::addProblem(QVBoxLayout& layout, const Entry& entry, Instant now,
                            const std::function<void()>& signInAgain, bool renderingPicture) {
    const bool needsSignIn = entry.problem->needsSignIn();
    auto* problem = new TextLabel(message(*entry.problem, entry.snapshot.has_value(), now),
                                  Typography::font(11),
                                  needsSignIn ? Theme::Role::red : Theme::Role::secondaryText);
    problem->setObjectName(QStringLiteral("message"));
    problem->setWordWrap(true);
    problem->setContentsMargins(indent, 0, 0, 0);
    layout.addWidget(problem);
    if (needsSignIn && !renderingPicture) {
        auto* signIn = new LinkButton(QStringLiteral("Sign In Again\u2026"), 11);
        signIn->setObjectName(QStringLiteral("signInAgain"));
        connect(signIn, &QAbstractButton::clicked, this, [signInAgain] {
            if (signInAgain)
                signInAgain();
        });
        layout.addWidget(indented(signIn));
    }
}

QWidget* AccountRow::meterGrid(const Entry& entry, const QList<LimitReading>& readings,
                               Instant now) {
    auto* grid = new MeterGrid(readings, now, EntryStatus::spendMeter(entry));
    grid->setObjectName(QStringLiteral("meters"));
    grid->setContentsMargins(indent, 0, 0, 0);
    if (entry.problem) {
        // The numbers are the last known ones.
        auto* effect = new QGraphicsOpacityEffect(grid);
        effect->setOpacity(fadedOpacity);
        grid->setGraphicsEffect(effect);
    }
    return grid;
}

void AccountRow::paintEvent(QPaintEvent*) {
    if (!headerButton->hasFocus())
        return;
    QColor ring = Theme::of(this).accent;
    ring.setAlphaF(0.5f);
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(ring, 1.5));
    painter.drawRoundedRect(
        QRectF(headerButton->geometry()).adjusted(-ringOffset, -ringOffset, ringOffset, ringOffset),
        5, 5);
}

QWidget* AccountRow::details(const Entry& entry, const QList<LimitReading>& readings, Instant now,
                             const QList<LimitHistory>& recentUse) {
    const Calendar calendar = Calendar::current();
    const QLocale locale;
    auto* box = new QWidget;
    box->setObjectName(QStringLiteral("details"));
    auto* layout = new QVBoxLayout(box);
    layout->setContentsMargins(indent, 0, 0, 0);
    layout->setSpacing(detailSpacing);
    QList<EntryStatus::MoneyMeter> money;
    for (const auto& meter : {EntryStatus::spendMeter(entry), EntryStatus::extraUsageMeter(entry)})
        if (meter)
            money.append(*meter);
    const DetailRow::Columns columns = DetailRow::columns(readings, money);
    for (const LimitReading& reading : readings)
        layout->addWidget(
            new DetailRow(reading, now, calendar, locale, columns,
                          HistoryReadings::pointsOf(recentUse, entry.id(), reading.title)));
    for (const EntryStatus::MoneyMeter& meter : std::as_const(money))
        layout->addWidget(new DetailRow(meter, columns));

    const QStringList parts = detailParts(entry, now, calendar, locale);
    auto* line =
        new TextLabel(parts.join(separator), Typography::font(11), Theme::Role::secondaryText);
    line->setObjectName(QStringLiteral("detailLine"));
    line->setElideMode(Qt::ElideRight);
    // A long folder gives way before the renewal and sign-in dates do.
    const qsizetype folder = parts.indexOf(entry.account.folderLabel());
    line->setShrinkingPart(parts.first(folder).join(separator).size() +
                               (folder > 0 ? separator.size() : 0),
                           parts[folder].size());
    line->setContentsMargins(0, 1, 0, 0);
    layout->addWidget(line);

    return box;
}

QWidget* AccountRow::stopTracking(const std::function<void()>& stop, bool renderingPicture) {
    const QString stopText = QStringLiteral("Stop Tracking");
    if (renderingPicture) {
        auto* still = new TextLabel(stopText, Typography::font(11), Theme::Role::accent);
        still->setObjectName(QStringLiteral("stopTracking"));
        return still;
    }
    auto* button = new LinkButton(stopText, 11);
    button->setObjectName(QStringLiteral("stopTracking"));
    button->setToolTip(stopTrackingHelp);
    connect(button, &QAbstractButton::clicked, this, [stop] {
        if (stop)
            stop();
    });
    return button;
}

QList<LimitReading> AccountRow::limits(const Entry& entry, Instant now) {
    return EntryStatus::currentLimits(entry, now);
}

AccountStatus AccountRow::status(const Entry& entry, Instant now) {
    return EntryStatus::verdict(entry, now);
}

QString AccountRow::message(const FetchProblem& problem, bool hasSnapshot, Instant now) {
    return EntryStatus::problemText(problem, hasSnapshot, now);
}

QString AccountRow::detailLine(const Entry& entry, Instant now, const Calendar& calendar,
                               const QLocale& locale) {
    return detailParts(entry, now, calendar, locale).join(separator);
}

QStringList AccountRow::detailParts(const Entry& entry, Instant now, const Calendar& calendar,
                                    const QLocale& locale) {
    QStringList parts;
    const std::optional<Snapshot>& snapshot = entry.snapshot;
    // An empty plan name would only leave a stray separator in front.
    if (snapshot && snapshot->plan && !snapshot->plan->isEmpty())
        parts.append(*snapshot->plan);
    parts.append(entry.account.folderLabel());
    if (snapshot && snapshot->subscription) {
        const Subscription& subscription = *snapshot->subscription;
        const QString state =
            subscription.status.value_or(QString()).replace(QLatin1Char('_'), QLatin1Char(' '));
        const std::optional<Instant> renewal = state == QStringLiteral("active")
                                                   ? subscription.estimatedRenewal(now, calendar)
                                                   : std::nullopt;
        if (renewal)
            parts.append(QStringLiteral("renews around ") +
                         monthAndDay(*renewal, calendar, locale));
        else if (!state.isEmpty())
            parts.append(QStringLiteral("subscription ") + state);
    }
    if (snapshot && snapshot->loginExpiresAt) {
        const double left = *snapshot->loginExpiresAt - now;
        if (left > 0 && left < loginReminderSeconds)
            parts.append(QStringLiteral("sign in again by ") +
                         monthAndDay(*snapshot->loginExpiresAt, calendar, locale));
    }
    return parts;
}
