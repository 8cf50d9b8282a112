#include "platform/qt/main_window.h"

#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QFile>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMimeData>
#include <QScreen>
#include <QUrl>
#include <QWindow>

namespace tavrin::qt {
namespace {

// A drop is a copy when the source allows it, else a move, else a link. Ctrl and Shift held
// together ask for a link to be made, which this window refuses.
Qt::DropAction ChooseDropAction(Qt::DropActions possible, Qt::KeyboardModifiers modifiers) {
    if (modifiers.testFlag(Qt::ControlModifier) && modifiers.testFlag(Qt::ShiftModifier)) {
        return Qt::IgnoreAction;
    }
    for (Qt::DropAction action : {Qt::CopyAction, Qt::MoveAction, Qt::LinkAction}) {
        if (possible.testFlag(action)) return action;
    }
    return Qt::IgnoreAction;
}

// Takes the drag or drop when it carries local files and an acceptable action.
bool Accept(QDropEvent* event) {
    Qt::DropAction action = ChooseDropAction(event->possibleActions(), event->modifiers());
    if (action == Qt::IgnoreAction || !event->mimeData() || !DroppedFilesText(*event->mimeData())) {
        event->ignore();
        return false;
    }
    event->setDropAction(action);
    event->accept();
    return true;
}

std::string LocalPath(const QUrl& url) {
    QString path = url.toLocalFile();
    // A folder comes as "dir/"; list it like a file, without the separator.
    while (path.size() > 1 && path.endsWith(QLatin1Char('/'))) path.chop(1);
    QByteArray bytes = QFile::encodeName(path);
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

}  // namespace

std::optional<std::string> DroppedFilesText(const QMimeData& data) {
    if (!data.hasUrls()) return std::nullopt;
    const QList<QUrl> urls = data.urls();
    if (urls.isEmpty()) return std::nullopt;
    for (const QUrl& url : urls) {
        if (!url.isLocalFile() || url.toLocalFile().isEmpty()) return std::nullopt;
    }
    if (urls.size() == 1) return LocalPath(urls.front());
    std::string text;
    for (const QUrl& url : urls) {
        text += LocalPath(url);
        text += "\r\n";
    }
    return text;
}

MainWindow::MainWindow(QSize outerSize, QSize minimumClient)
    : QWidget(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      outerSize_(outerSize),
      minimumClient_(minimumClient) {
    installEventFilter(this);
    FitToFrame();
}

void MainWindow::AdoptControl(QWidget* control) {
    control->installEventFilter(this);
    // Controls with drop handling of their own (the edit box takes dropped text) would keep
    // drops over them from the window.
    control->setAcceptDrops(false);
}

void MainWindow::Centre() {
    QScreen* screen = this->screen();
    if (!screen) screen = QGuiApplication::primaryScreen();
    if (!screen) return;
    const QRect area = screen->availableGeometry();
    const QSize outer = frameGeometry().size();
    move(area.x() + (area.width() - outer.width()) / 2,
         area.y() + (area.height() - outer.height()) / 2);
}

bool MainWindow::FitToFrame() {
    QMargins frame;
    if (QWindow* window = windowHandle()) frame = window->frameMargins();
    QSize client = outerSize_.expandedTo(minimumClient_);
    if (!frame.isNull()) {
        QSize inner(outerSize_.width() - frame.left() - frame.right(),
                    outerSize_.height() - frame.top() - frame.bottom());
        if (inner.width() > 0 && inner.height() > 0) client = inner;
    }
    if (client == size() && minimumSize() == maximumSize()) return false;
    setFixedSize(client);
    return true;
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && HandleKey(static_cast<QKeyEvent*>(event))) {
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

bool MainWindow::HandleKey(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Escape:
            close();
            return true;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            // A held key clicks once, not once per repeat.
            if (!event->isAutoRepeat() && onEnter) onEnter();
            return true;
        default:
            return false;
    }
}

void MainWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    FitToFrame();
}

bool MainWindow::event(QEvent* event) {
    const bool handled = QWidget::event(event);
    // The window manager adds its frame only after the window is shown, and tells of it by moving
    // or activating the window: fit the client area to it and centre the framed window, once.
    if (!centredWithFrame_ &&
        (event->type() == QEvent::Move || event->type() == QEvent::WindowActivate)) {
        QWindow* window = windowHandle();
        if (window && !window->frameMargins().isNull()) {
            centredWithFrame_ = true;
            FitToFrame();
            Centre();
        }
    }
    return handled;
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
    Accept(event);
}

void MainWindow::dragMoveEvent(QDragMoveEvent* event) {
    Accept(event);
}

void MainWindow::dropEvent(QDropEvent* event) {
    if (!Accept(event)) return;
    std::optional<std::string> text = DroppedFilesText(*event->mimeData());
    if (text && onFilesDropped) onFilesDropped(*text);
}

}  // namespace tavrin::qt
