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
#include <QApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QScrollArea>
#include <QShortcut>
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

int heightAt(const QWidget* widget, int width) {
    return widget->hasHeightForWidth() ? widget->heightForWidth(width)
                                       : widget->sizeHint().height();
}

// The rows, as tall as they are while there is room and scrolling once there is not. Up and
// Down, pressed anywhere in a row, move the keyboard to the row above or below; they come
// before the buttons of the row, which would take them for Tab and Shift+Tab.
class RowScroller : public QScrollArea {
public:
    RowScroller() {
        setFrameShape(QFrame::NoFrame);
        setWidgetResizable(true);
        setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        setFocusPolicy(Qt::NoFocus);
        viewport()->setAutoFillBackground(false);
        for (const auto& [key, step] : {std::pair{Qt::Key_Up, -1}, std::pair{Qt::Key_Down, 1}}) {
            // Copied by an initialiser: Clang 14, which the fuzz build uses, cannot capture a
            // structured binding itself.
            auto* shortcut =
                new QShortcut(QKeySequence(key), this, [this, by = step] { move(by); });
            shortcut->setContext(Qt::WidgetWithChildrenShortcut);
        }
    }

    QSize sizeHint() const override {
        return {PanelView::panelWidth, widget() ? heightAt(widget(), PanelView::panelWidth) : 0};
    }
    QSize minimumSizeHint() const override { return {0, 0}; }

private:
    void move(int step) {
        const QList<AccountRow*> rows = widget()->findChildren<AccountRow*>();
        const QWidget* focus = QApplication::focusWidget();
        qsizetype current = -1;
        for (qsizetype index = 0; index < rows.size(); ++index)
            if (rows[index]->isAncestorOf(focus))
                current = index;
        const qsizetype next = current + step;
        if (current < 0 || next < 0 || next >= rows.size())
            return;
        rows[next]->header()->setFocus(Qt::TabFocusReason);
        ensureWidgetVisible(rows[next]);
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
    , border(options.bordered ? 1 : 0)
    , services(std::move(panelServices))
    , stack(new QVBoxLayout(this))
    , scroller(new RowScroller)
    , footer(new Footer(store, now, services, renderingPicture)) {
    setFixedWidth(panelWidth + 2 * border);
    stack->setContentsMargins(border, border, border, border);
    stack->setSpacing(0);
    footer->setContentsMargins(horizontalPadding, footerPadding, horizontalPadding, footerPadding);
    // A picture shows the whole panel, however tall.
    if (renderingPicture)
        scroller->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    stack->addWidget(scroller, 1);
    stack->addWidget(footer);
    rebuild();
    connect(&store, &Store::entriesChanged, this, &PanelView::rebuild);
    connect(&store, &Store::hiddenAccountsChanged, this, &PanelView::rebuild);
    connect(&store, &Store::recentUseChanged, this, &PanelView::rebuild);
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

void PanelView::focusFirst() {
    const QList<AccountRow*> accounts = scroller->widget()->findChildren<AccountRow*>();
    if (!accounts.isEmpty()) {
        accounts.first()->header()->setFocus(Qt::TabFocusReason);
        return;
    }
    focusNextChild();
}

void PanelView::showRow(const QString& id) {
    if (!rows.isExpanded(id)) {
        rows.open(id);
        rebuild();
    }
    for (AccountRow* row : scroller->widget()->findChildren<AccountRow*>())
        if (row->id() == id) {
            row->header()->setFocus(Qt::OtherFocusReason);
            scroller->ensureWidgetVisible(row);
            return;
        }
    focusFirst();
}

QSize PanelView::sizeHint() const {
    const int width = panelWidth + 2 * border;
    return {width, 2 * border + heightAt(head, panelWidth) +
                       heightAt(scroller->widget(), panelWidth) + heightAt(footer, panelWidth)};
}

bool PanelView::event(QEvent* event) {
    const bool handled = QWidget::event(event);
    if (event->type() == QEvent::LayoutRequest)
        emit contentChanged();
    return handled;
}

void PanelView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Theme::of(this).windowBackground);
    if (border) {
        painter.setPen(palette().color(QPalette::Mid));
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
    }
}

void PanelView::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    emit hidden();
}

void PanelView::keyPressEvent(QKeyEvent* event) {
    auto* button = qobject_cast<QAbstractButton*>(focusWidget());
    if (button && (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)) {
        button->click();
        return;
    }
    QWidget::keyPressEvent(event);
}

void PanelView::rebuild() {
    // The keyboard stays on the control it was on: the same control of the same row, the head's
    // button, or the footer's control, which is not rebuilt.
    QWidget* focus = focusWidget();
    const bool headFocused = head && head->isAncestorOf(focus);
    std::optional<QString> focusedRow;
    QString focusedName;
    if (scroller->widget() && scroller->widget()->isAncestorOf(focus)) {
        for (const AccountRow* row : scroller->widget()->findChildren<AccountRow*>())
            if (row->isAncestorOf(focus))
                focusedRow = row->id();
        focusedName = focus->objectName();
    }

    QWidget* oldHead = head;
    head = buildHead();
    stack->insertWidget(0, head);
    QWidget* oldRows = scroller->takeWidget();
    scroller->setWidget(buildRows());
    scroller->widget()->setAutoFillBackground(false);
    // A command of the old rows may still be running (a click that hid an account), so the old
    // views go only once control is back in the event loop.
    for (QWidget* replaced : {oldHead, oldRows}) {
        if (!replaced)
            continue;
        replaced->hide();
        stack->removeWidget(replaced);
        replaced->setParent(nullptr);
        replaced->deleteLater();
    }
    chainFocus();
    if (headFocused)
        if (auto* button = head->findChild<QAbstractButton*>())
            button->setFocus(Qt::OtherFocusReason);
    if (focusedRow)
        for (AccountRow* row : scroller->widget()->findChildren<AccountRow*>())
            if (row->id() == *focusedRow) {
                QWidget* same =
                    focusedName.isEmpty() ? nullptr : row->findChild<QWidget*>(focusedName);
                (same && same->isVisibleTo(row) ? same : row->header())
                    ->setFocus(Qt::OtherFocusReason);
            }
    scroller->updateGeometry();
}

QWidget* PanelView::buildHead() {
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
    return box;
}

QWidget* PanelView::buildRows() {
    auto* box = new QWidget;
    auto* list = new QVBoxLayout(box);
    list->setContentsMargins(0, 0, 0, 0);
    list->setSpacing(0);
    for (const Entry& entry : store.entries()) {
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
        list->addWidget(new AccountRow(entry, present, rows.isExpanded(id), actions,
                                       renderingPicture, store.recentUse()));
        list->addWidget(new Divider);
    }
    for (const Account& account : store.hiddenAccounts()) {
        list->addWidget(new HiddenRow(account, [this, account] { store.resumeTracking(account); }));
        list->addWidget(new Divider);
    }
    list->addStretch(1);
    return box;
}

void PanelView::chainFocus() {
    QList<QWidget*> order;
    for (const QWidget* part : {head, scroller->widget(), static_cast<QWidget*>(footer)})
        for (QWidget* widget : part->findChildren<QWidget*>())
            if (widget->focusPolicy() & Qt::TabFocus)
                order.append(widget);
    for (qsizetype index = 1; index < order.size(); ++index)
        QWidget::setTabOrder(order[index - 1], order[index]);
}
