#pragma once
// The main window as a Qt widget: the keys it handles for the whole window, the file drops it
// takes on behalf of the drop target, and its fixed outer size.
#include <QSize>
#include <QWidget>
#include <functional>
#include <optional>
#include <string>

class QMimeData;

namespace tavrin::qt {

// The dropped-files text for a list of local files: one path alone, or every path followed by
// CR LF. Nothing for anything else (text, web links, HTML, an empty list).
std::optional<std::string> DroppedFilesText(const QMimeData& data);

class MainWindow : public QWidget {
  public:
    // outerSize is the size of the window with its frame; the client area gets what the frame
    // leaves, but never less than minimumClient while the window system reports no frame.
    MainWindow(QSize outerSize, QSize minimumClient);

    // Enter anywhere in the window; the window does not move the focus.
    std::function<void()> onEnter;
    // Files dropped anywhere on the window, once drops are taken.
    std::function<void(const std::string& droppedFiles)> onFilesDropped;

    // Makes a child control report its keys to the window and leaves its drops to the window.
    void AdoptControl(QWidget* control);
    void TakeDrops() { setAcceptDrops(true); }
    // Places the window in the middle of its screen's available area.
    void Centre();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool event(QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

  private:
    bool HandleKey(QKeyEvent* event);
    // Sets the client size from the frame the window system reports; true when it changed.
    bool FitToFrame();

    QSize outerSize_;
    QSize minimumClient_;
    bool centredWithFrame_ = false;
};

}  // namespace tavrin::qt
