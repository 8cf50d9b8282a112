#pragma once
// The window run time on Qt Widgets. It needs a QApplication for its whole life; it sets the
// process's current directory to the program's folder, gives the engine the clipboard and loads
// Qt's own Chinese texts for its standard dialogs when they are installed.
#include <QPointer>
#include <QTranslator>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/desktop_runtime.h"
#include "platform/qt/main_window.h"
#include "platform/qt/skins.h"
#include "platform/runtime.h"

class QDialog;

namespace tavrin::qt {

class QtRuntime : public DesktopRuntime {
  public:
    QtRuntime();
    ~QtRuntime() override;
    QtRuntime(const QtRuntime&) = delete;
    QtRuntime& operator=(const QtRuntime&) = delete;

    // Every modal box and dialog of the run time goes through this: it runs the dialog and gives
    // its result code (QDialog::Accepted, a QMessageBox button). By default the dialog's own
    // exec(); tests put a function here that looks at the dialog and answers at once.
    using ModalRunner = std::function<int(QDialog& dialog)>;
    void SetModalRunner(ModalRunner runner) { modalRunner_ = std::move(runner); }

    // The built window and its controls; null before LoadWindow, for the components and for
    // controls the layout does not have.
    MainWindow* Window() const { return window_.get(); }
    QWidget* ControlWidget(Control control) const;
    std::int32_t ActiveSkinStyle() const { return skins_.Active(); }

    bool LoadWindow(const WindowLayout& layout) override;
    int Run() override;
    void ReportFatal(const std::string& text) override;

    PropertyValue GetControlProperty(Control control, Property property) override;
    void SetControlProperty(Control control, Property property,
                            const PropertyValue& value) override;

    void ShowMessage(const std::string& text, int iconKind,
                     std::string_view title = kDefaultMessageTitle) override;
    bool OpenFileDialog(Control dialog) override;
    std::string ProgramDirectory() override;
    NativeHandle WindowHandle(Control window) override;

    bool SetSkinStyle(std::int32_t style) override;
    bool RegisterDropTarget(Control dropTarget, NativeHandle window) override;

  private:
    const ControlLayout* Entry(Control control) const;
    int RunModal(QDialog& dialog);
    void ClickDefaultButton();
    void DeliverDrop(const std::string& droppedFiles);
    void WriteEditContent(Control control, const std::string& text);

    Skins skins_;
    std::unique_ptr<QTranslator> translator_;
    std::unique_ptr<MainWindow> window_;
    Control windowId_ = Control::窗口;
    std::vector<ControlLayout> controls_;
    std::map<Control, QPointer<QWidget>> widgets_;
    // The edit boxes' contents as written: the shown text cannot hold bytes that are not UTF-8.
    std::map<Control, std::string> editContents_;
    bool dropTargetRegistered_ = false;
    Control dropTarget_ = Control::拖放对象1;
    ModalRunner modalRunner_;
};

}  // namespace tavrin::qt
