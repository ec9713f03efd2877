#include "signin/SignInView.h"

#include "signin/SignInFlow.h"
#include "signin/SignInSections.h"

#include <QKeyEvent>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

constexpr int padding = 20;

SignInSection* sectionFor(SignInFlow& flow) {
    switch (flow.phase().kind()) {
    case SignInFlow::Phase::Kind::naming:
        return new NamingSection(flow);
    case SignInFlow::Phase::Kind::waiting:
        return new WaitingSection(flow);
    case SignInFlow::Phase::Kind::done:
        return new DoneSection(flow);
    case SignInFlow::Phase::Kind::failed:
        return new FailedSection(flow);
    }
    return new FailedSection(flow);
}

bool press(QPushButton* button) {
    if (!button || !button->isEnabled())
        return false;
    button->click();
    return true;
}

} // namespace

SignInView::SignInView(SignInFlow& flow, QWidget* parent)
    : QWidget(parent)
    , signInFlow(flow) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(padding, padding, padding, padding);
    // Lets the view take the keyboard when its phase has nothing to type into.
    setFocusPolicy(Qt::ClickFocus);
    connect(&flow, &SignInFlow::phaseChanged, this, &SignInView::showPhase);
    connect(&flow, &SignInFlow::changed, this, &SignInView::refresh);
    showPhase();
}

void SignInView::showPhase() {
    if (current) {
        // The section may be running the click that changed the phase: it goes once that ends.
        current->hide();
        layout()->removeWidget(current);
        current->deleteLater();
    }
    current = sectionFor(signInFlow);
    layout()->addWidget(current);
    fit();
    // Where typing goes once the window is active.
    if (QWidget* input = current->firstInput())
        input->setFocus();
    else
        setFocus();
}

void SignInView::refresh() {
    if (current)
        current->refresh();
    fit();
}

bool SignInView::event(QEvent* event) {
    const bool handled = QWidget::event(event);
    // Polishing, fonts and shown or hidden parts change the height the content needs.
    if (event->type() == QEvent::LayoutRequest)
        fit();
    return handled;
}

void SignInView::fit() {
    const QLayout* content = layout();
    const int height = content->hasHeightForWidth() ? content->totalHeightForWidth(fixedWidth)
                                                    : content->totalSizeHint().height();
    setFixedSize(fixedWidth, height);
}

void SignInView::keyPressEvent(QKeyEvent* event) {
    if (event->modifiers() == Qt::NoModifier || event->modifiers() == Qt::KeypadModifier) {
        switch (event->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            if (current && press(current->defaultButton()))
                return;
            break;
        case Qt::Key_Escape:
            // Every phase's way out, also the last one's, which has no Cancel button.
            if (!current || !press(current->cancelButton()))
                signInFlow.close();
            return;
        default:
            break;
        }
    }
    QWidget::keyPressEvent(event);
}
