#include "views/PanelView.h"

#include "store/Store.h"
#include "views/AccountRow.h"
#include "views/EmptyState.h"
#include "views/Footer.h"
#include "views/HiddenRow.h"
#include "views/PanelText.h"
#include "views/TextLabel.h"
#include "views/Typography.h"

#include <QAbstractButton>
#include <QPainter>
#include <QVBoxLayout>

namespace {

constexpr int horizontalPadding = 14;
constexpr int summaryPadding = 10;
constexpr int footerPadding = 8;

// A hairline across the panel in the theme's separator colour.
class Divider : public QWidget {
public:
    Divider() { setFixedHeight(1); }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter(this).fillRect(rect(), Theme::of(this).separator);
    }
};

} // namespace

PanelView::PanelView(Store& observed, Instant now, Options options, PanelServices panelServices,
                     QWidget* parent)
    : QWidget(parent)
    , store(observed)
    , present(now)
    , rows{options.expandAll, std::move(options.initiallyExpanded), std::nullopt}
    , renderingPicture(options.renderingPicture)
    , services(std::move(panelServices))
    , stack(new QVBoxLayout(this))
    , footer(new Footer(store, now, services, renderingPicture)) {
    setFixedWidth(panelWidth);
    stack->setContentsMargins(0, 0, 0, 0);
    stack->setSpacing(0);
    footer->setContentsMargins(horizontalPadding, footerPadding, horizontalPadding, footerPadding);
    stack->addWidget(footer);
    rebuild();
    connect(&store, &Store::entriesChanged, this, &PanelView::rebuild);
    connect(&store, &Store::hiddenAccountsChanged, this, &PanelView::rebuild);
}

void PanelView::setNow(Instant now) {
    present = now;
    footer->setNow(now);
    rebuild();
}

void PanelView::toggle(const QString& id) {
    rows.toggle(id);
    rebuild();
}

QSize PanelView::sizeHint() const {
    return {panelWidth, stack->hasHeightForWidth() ? stack->totalHeightForWidth(panelWidth)
                                                   : stack->totalSizeHint().height()};
}

void PanelView::paintEvent(QPaintEvent*) {
    QPainter(this).fillRect(rect(), Theme::of(this).windowBackground);
}

void PanelView::rebuild() {
    // The row whose header has the keyboard focus gets it back after the rebuild.
    std::optional<QString> focusedRow;
    if (content)
        for (const AccountRow* row : content->findChildren<AccountRow*>())
            if (row->header()->hasFocus())
                focusedRow = row->id();

    QWidget* replaced = content;
    content = buildContent();
    stack->insertWidget(0, content);
    if (replaced) {
        // A command of the old rows may still be running (a click that hid an account), so
        // the old views go only once control is back in the event loop.
        replaced->hide();
        stack->removeWidget(replaced);
        replaced->setParent(nullptr);
        replaced->deleteLater();
    }
    if (focusedRow)
        for (AccountRow* row : content->findChildren<AccountRow*>())
            if (row->id() == *focusedRow)
                row->header()->setFocus(Qt::OtherFocusReason);
    updateGeometry();
}

QWidget* PanelView::buildContent() {
    auto* box = new QWidget;
    auto* list = new QVBoxLayout(box);
    list->setContentsMargins(0, 0, 0, 0);
    list->setSpacing(0);

    const QList<Entry>& entries = store.entries();
    if (entries.isEmpty()) {
        list->addWidget(new EmptyState(services.addAccount, renderingPicture));
    } else {
        auto* summary = new TextLabel(
            PanelText::summary(store.usableCount(), entries.size(), store.averageSession()),
            Typography::font(12), Theme::Role::primaryText);
        summary->setObjectName(QStringLiteral("summary"));
        summary->setWordWrap(true);
        summary->setContentsMargins(horizontalPadding, summaryPadding, horizontalPadding,
                                    summaryPadding);
        list->addWidget(summary);
    }
    list->addWidget(new Divider);

    for (const Entry& entry : entries) {
        const Account account = entry.account;
        const QString id = entry.id();
        AccountRow::Actions actions{
            [this, id] { toggle(id); },
            [this, account] { store.stopTracking(account); },
            [this, account] {
                if (services.signInAgain)
                    services.signInAgain(account);
            },
        };
        list->addWidget(
            new AccountRow(entry, present, rows.isExpanded(id), actions, renderingPicture));
        list->addWidget(new Divider);
    }
    for (const Account& account : store.hiddenAccounts()) {
        list->addWidget(new HiddenRow(account, [this, account] { store.resumeTracking(account); }));
        list->addWidget(new Divider);
    }
    return box;
}
