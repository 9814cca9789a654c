#include "platform/qt/qt_help_viewer.h"

#include <QApplication>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPushButton>
#include <QScreen>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>
#include <algorithm>

#include "platform/qt/qt_text.h"
#include "version_info.h"

namespace k45 {

namespace {

// The help window: Escape closes it, as it closes any other window of its kind.
class HelpWindow : public QWidget {
public:
    explicit HelpWindow(QWidget* parent) : QWidget(parent, Qt::Window) {}

protected:
    void keyPressEvent(QKeyEvent* e) override {
        if (e->key() == Qt::Key_Escape && e->modifiers() == Qt::NoModifier) {
            close();
            return;
        }
        QWidget::keyPressEvent(e);
    }
};

}  // namespace

std::string HelpAnchor(int contextId) { return "ctx" + std::to_string(contextId); }

QtHelpViewer::QtHelpViewer() = default;

// The window the help window sits over owns it too; one that went first took it along.
QtHelpViewer::~QtHelpViewer() { delete frame_.data(); }

void QtHelpViewer::setOwner(QWidget* owner) { owner_ = owner; }
QWidget* QtHelpViewer::window() const { return frame_.data(); }
QTextBrowser* QtHelpViewer::browser() const { return browser_.data(); }

void QtHelpViewer::PlaceOver(QWidget* over) {
    // Wide enough for the topics' lines and tall enough for a topic, within the main window; a
    // small modal window (the About box) does not make it small.
    QSize size(720, 600);
    if (const QWidget* base = owner_ ? owner_.data() : over)
        size = size.boundedTo(QSize(base->width() * 3 / 4, base->height() * 17 / 20)).expandedTo(QSize(320, 240));
    frame_->resize(size);
    if (!over) return;
    QRect r(QPoint(0, 0), frame_->frameGeometry().size());
    r.moveCenter(over->frameGeometry().center());
    if (const QScreen* screen = over->screen()) {
        const QRect desk = screen->availableGeometry();
        r.moveLeft(std::max(desk.left(), std::min(r.left(), desk.right() - r.width() + 1)));
        r.moveTop(std::max(desk.top(), std::min(r.top(), desk.bottom() - r.height() + 1)));
    }
    frame_->move(r.topLeft());
}

bool QtHelpViewer::show(const std::string& helpFile, const std::string& anchor, std::string* error) {
    const QString path = QText(helpFile);
    QFileInfo info(path);
    if (!info.exists() || !info.isFile() || !info.isReadable()) {
        if (error) {
            *error = info.exists() ? "The help file " + helpFile + " cannot be read."
                                   : "The help file " + helpFile + " was not found.";
        }
        return false;
    }
    // A modal window blocks every window but its own: the help window joins it while it is up.
    QWidget* over = QApplication::activeModalWidget();
    if (!over || over == frame_) over = owner_.data();
    if (!frame_) {
        frame_ = new HelpWindow(over);
        frame_->setObjectName("helpWindow");
        frame_->setWindowTitle(QText(version::programTitle) + " Help");
        auto* contents = new QPushButton("&Contents", frame_);
        contents->setObjectName("buttonContents");
        auto* back = new QPushButton("&Back", frame_);
        back->setObjectName("buttonBack");
        back->setEnabled(false);
        browser_ = new QTextBrowser(frame_);
        browser_->setObjectName("textHelp");
        browser_->setOpenExternalLinks(false);
        auto* buttons = new QHBoxLayout;
        buttons->addWidget(contents);
        buttons->addWidget(back);
        buttons->addStretch(1);
        auto* layout = new QVBoxLayout(frame_);
        layout->setContentsMargins(6, 6, 6, 6);
        layout->addLayout(buttons);
        layout->addWidget(browser_);
        QTextBrowser* browser = browser_;
        QObject::connect(contents, &QPushButton::clicked, browser, [browser] {
            QUrl url = browser->source();
            url.setFragment("contents");
            browser->setSource(url);
        });
        QObject::connect(back, &QPushButton::clicked, browser, &QTextBrowser::backward);
        QObject::connect(browser, &QTextBrowser::backwardAvailable, back, &QPushButton::setEnabled);
        PlaceOver(over);
    } else if (frame_->parentWidget() != over) {
        frame_->setParent(over, Qt::Window);
        PlaceOver(over);
    }
    QUrl url = QUrl::fromLocalFile(info.absoluteFilePath());
    url.setFragment(QText(anchor.empty() ? std::string("contents") : anchor));
    browser_->setSource(url);
    frame_->show();
    frame_->raise();
    frame_->activateWindow();
    browser_->scrollToAnchor(url.fragment());
    return true;
}

bool QtHelpViewer::showTopic(const std::string& helpFile, int contextId, std::string* error) {
    return show(helpFile, HelpAnchor(contextId), error);
}

bool QtHelpViewer::showContents(const std::string& helpFile, std::string* error) {
    return show(helpFile, std::string(), error);
}

void QtHelpViewer::quit() {
    if (frame_) frame_->close();
}

}  // namespace k45
