#include "signin/SignInWindow.h"

#include "files/RegularFile.h"
#include "signin/SignInFlow.h"
#include "signin/SignInView.h"
#include "signin/WindowFrame.h"
#include "views/Theme.h"

#include <QBuffer>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QImage>
#include <QPointer>
#include <QScreen>
#include <QVBoxLayout>

namespace {

const QString addTitle = QStringLiteral("Add an Account");
const QString againTitle = QStringLiteral("Sign In Again");
constexpr double pictureScale = 2;

// The window: it owns the flow and the view of it, and ends the flow's login when it closes,
// also when the application quits with the window open.
class SignInDialog : public QWidget {
public:
    SignInDialog(Store* store, std::optional<Account> again)
        : flow(new SignInFlow(store, again, SignInFlow::Services::real(), this))
        , view(new SignInView(*flow, this)) {
        setAttribute(Qt::WA_DeleteOnClose);
        setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                       Qt::WindowCloseButtonHint);
        setWindowTitle(again ? againTitle : addTitle);
        setPalette(Theme::of(nullptr).palette());
        auto* layout = new QVBoxLayout(this);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->setSizeConstraint(QLayout::SetFixedSize);
        layout->addWidget(view);
        flow->setCloseAction([this] { close(); });
        connect(qApp, &QCoreApplication::aboutToQuit, this, &QWidget::close);
    }
    // The view goes before the flow it shows.
    ~SignInDialog() override { delete view; }

    SignInFlow* const flow;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    SignInView* view;
};

QPointer<SignInDialog> openDialog;

void SignInDialog::closeEvent(QCloseEvent* event) {
    flow->cancel();
    if (openDialog == this)
        openDialog = nullptr;
    QWidget::closeEvent(event);
}

void bringForward(QWidget* window) {
    window->show();
    window->raise();
    window->activateWindow();
}

void centre(QWidget* window) {
    window->adjustSize();
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        window->move(screen->availableGeometry().center() - window->rect().center());
}

} // namespace

namespace SignInWindow {

void show(Store* store, std::optional<Account> again) {
    if (openDialog) {
        if (openDialog->flow->phase().kind() == SignInFlow::Phase::Kind::waiting) {
            bringForward(openDialog);
            return;
        }
        openDialog->close();
    }
    auto* dialog = new SignInDialog(store, std::move(again));
    openDialog = dialog;
    centre(dialog);
    bringForward(dialog);
}

QWidget* window() {
    return openDialog;
}

SignInFlow* flow() {
    return openDialog ? openDialog->flow : nullptr;
}

RegularFile::Written picture(const QString& phase, const QString& path) {
    SignInFlow flow(nullptr, std::nullopt);
    flow.setUseDefault(false);
    flow.setName(QStringLiteral("work"));
    if (phase == QLatin1String("waiting")) {
        flow.setSignInURL(QStringLiteral("https://claude.ai/oauth/authorize?code=true"));
        flow.setPhase(SignInFlow::Phase::waiting());
    } else if (phase != QLatin1String("name")) {
        flow.setTarget(SignInFlow::Target{flow.home() + QStringLiteral("/.claude-work"), false});
        flow.setPhase(SignInFlow::Phase::done(QStringLiteral("you@example.com")));
    }

    // What the account files show (the name's verdict) arrives from a worker.
    while (flow.isReading())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    SignInView view(flow);
    view.setPalette(Theme::of(nullptr).palette());
    // Laid out and polished as if shown, without ever reaching a screen.
    view.setAttribute(Qt::WA_DontShowOnScreen);
    view.show();
    QCoreApplication::sendPostedEvents();
    QImage content(view.size() * pictureScale, QImage::Format_ARGB32_Premultiplied);
    if (content.isNull())
        return {QStringLiteral("the picture is too large to be drawn")};
    content.setDevicePixelRatio(pictureScale);
    content.fill(Qt::transparent);
    view.render(&content);

    const QImage framed = WindowFrame::around(content, addTitle, Theme::of(&view));
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    if (framed.isNull() || !framed.save(&buffer, "PNG"))
        return {QStringLiteral("the picture could not be encoded")};
    return RegularFile::replace(path, png, RegularFile::Readers::asUmaskAllows);
}

} // namespace SignInWindow
