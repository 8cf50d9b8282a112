#include "platform/qt/qt_runtime.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDatabase>
#include <QLibraryInfo>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <algorithm>
#include <chrono>
#include <set>

#include "platform/files.h"
#include "platform/hooks.h"
#include "platform/qt/clipboard.h"
#include "platform/qt/dialog_filter.h"

namespace tavrin::qt {
namespace {

QString FromText(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

std::string ToText(const QString& text) {
    QByteArray bytes = text.toUtf8();
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

QString FromPath(const std::string& path) {
    return QFile::decodeName(QByteArray(path.data(), static_cast<qsizetype>(path.size())));
}

std::string ToPath(const QString& path) {
    QByteArray bytes = QFile::encodeName(path);
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

// How many characters of text make up at most its first `bytes` bytes in UTF-8; a character
// that would only partly fit is left out.
int CharactersInBytes(const QString& text, std::int32_t bytes) {
    std::int64_t used = 0;
    qsizetype at = 0;
    while (at < text.size()) {
        int units = 1;
        int size;
        char16_t unit = text[at].unicode();
        if (QChar::isHighSurrogate(unit) && at + 1 < text.size() && text[at + 1].isLowSurrogate()) {
            units = 2;
            size = 4;
        } else {
            size = unit < 0x80 ? 1 : unit < 0x800 ? 2 : 3;
        }
        if (used + size > bytes) break;
        used += size;
        at += units;
    }
    return static_cast<int>(at);
}

QMessageBox::Icon MessageIcon(int iconKind) {
    switch (iconKind) {
        case kIconError:
            return QMessageBox::Critical;
        case 32:
            return QMessageBox::Question;
        case 48:
            return QMessageBox::Warning;
        case 64:
            return QMessageBox::Information;
        default:
            return QMessageBox::NoIcon;
    }
}

bool HasWidget(ControlKind kind) {
    return kind != ControlKind::OpenFileDialog && kind != ControlKind::DropTarget;
}

// A layout the run time can build: a window with a size, and controls with distinct names of
// their own, each with a size when it has a widget.
bool IsBuildable(const WindowLayout& layout) {
    if (layout.width <= 0 || layout.height <= 0) return false;
    std::set<Control> seen = {layout.id};
    for (const ControlLayout& entry : layout.controls) {
        if (!seen.insert(entry.id).second) return false;
        if (HasWidget(entry.kind) && (entry.width <= 0 || entry.height <= 0)) return false;
    }
    return true;
}

}  // namespace

QtRuntime::QtRuntime() {
    QDir::setCurrent(QCoreApplication::applicationDirPath());
    SetClipboardDibSink(&PutDibOnQtClipboard);
    // The standard dialogs' own texts (buttons, file dialog) in Chinese, like the window's.
    auto translator = std::make_unique<QTranslator>();
    if (translator->load(QStringLiteral("qtbase_zh_CN"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath)) &&
        QCoreApplication::installTranslator(translator.get())) {
        translator_ = std::move(translator);
    }
}

QtRuntime::~QtRuntime() {
    SetClipboardDibSink(nullptr);
    window_.reset();
    if (translator_) QCoreApplication::removeTranslator(translator_.get());
}

QWidget* QtRuntime::ControlWidget(Control control) const {
    if (window_ && control == windowId_) return window_.get();
    auto found = widgets_.find(control);
    return found == widgets_.end() ? nullptr : found->second.data();
}

const ControlLayout* QtRuntime::Entry(Control control) const {
    auto found =
        std::find_if(controls_.begin(), controls_.end(),
                     [control](const ControlLayout& entry) { return entry.id == control; });
    return found == controls_.end() ? nullptr : &*found;
}

bool QtRuntime::LoadWindow(const WindowLayout& layout) {
    if (window_ || !qobject_cast<QApplication*>(QCoreApplication::instance())) return false;
    if (!IsBuildable(layout)) return false;

    QSize controlsExtent(1, 1);
    for (const ControlLayout& entry : layout.controls) {
        if (!HasWidget(entry.kind)) continue;
        controlsExtent =
            controlsExtent.expandedTo(QSize(entry.left + entry.width, entry.top + entry.height));
    }
    window_ = std::make_unique<MainWindow>(QSize(layout.width, layout.height), controlsExtent);
    windowId_ = layout.id;
    controls_.assign(layout.controls.begin(), layout.controls.end());
    window_->setObjectName(FromText(layout.name));
    window_->setWindowTitle(FromText(layout.caption));
    window_->setFont(QFontDatabase::systemFont(QFontDatabase::GeneralFont));

    for (const ControlLayout& entry : controls_) {
        QWidget* widget = nullptr;
        switch (entry.kind) {
            case ControlKind::PushButton:
            case ControlKind::DefaultPushButton: {
                auto* button = new QPushButton(FromText(entry.text), window_.get());
                button->setDefault(entry.kind == ControlKind::DefaultPushButton);
                widget = button;
                break;
            }
            case ControlKind::CheckBox:
                widget = new QCheckBox(FromText(entry.text), window_.get());
                break;
            case ControlKind::ReadOnlyEdit: {
                auto* edit = new QLineEdit(FromText(entry.text), window_.get());
                edit->setReadOnly(true);
                edit->setCursorPosition(0);
                // The selection shows only while the box has the focus.
                edit->setStyleSheet(
                    QStringLiteral("QLineEdit:!focus { selection-background-color: palette(base);"
                                   " selection-color: palette(text); }"));
                editContents_[entry.id] = std::string(entry.text);
                widget = edit;
                break;
            }
            case ControlKind::OpenFileDialog:
                AddDialog(entry.id);
                break;
            case ControlKind::DropTarget:
                break;
        }
        if (!widget) continue;
        widget->setObjectName(FromText(entry.name));
        widget->setGeometry(entry.left, entry.top, entry.width, entry.height);
        window_->AdoptControl(widget);
        widgets_[entry.id] = widget;
        if (entry.event == Event::Clicked && entry.handler) {
            if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
                Handler handler = entry.handler;
                QObject::connect(button, &QAbstractButton::clicked, window_.get(),
                                 [this, handler] { handler(*this); });
            }
        }
    }

    window_->onEnter = [this] { ClickDefaultButton(); };
    window_->onFilesDropped = [this](const std::string& text) { DeliverDrop(text); };
    window_->Centre();
    if (layout.onCreated) layout.onCreated(*this);
    window_->show();
    return true;
}

int QtRuntime::Run() {
    int code = 0;
    if (window_ && window_->isVisible()) code = QApplication::exec();
    RunExitCallbacks();
    return code;
}

void QtRuntime::ReportFatal(const std::string& text) {
    QMessageBox box(QMessageBox::Critical, QStringLiteral("Tavrin"), FromText(text),
                    QMessageBox::Ok);
    box.setWindowModality(Qt::ApplicationModal);
    RunModal(box);
}

int QtRuntime::RunModal(QDialog& dialog) {
    return modalRunner_ ? modalRunner_(dialog) : dialog.exec();
}

void QtRuntime::ClickDefaultButton() {
    for (const ControlLayout& entry : controls_) {
        if (entry.kind != ControlKind::DefaultPushButton) continue;
        auto* button = qobject_cast<QAbstractButton*>(ControlWidget(entry.id));
        if (button && button->isEnabled()) button->click();
        return;
    }
}

void QtRuntime::DeliverDrop(const std::string& droppedFiles) {
    const ControlLayout* entry = Entry(dropTarget_);
    if (dropTargetRegistered_ && entry && entry->event == Event::FileDropped &&
        entry->textHandler) {
        entry->textHandler(*this, droppedFiles);
    }
}

PropertyValue QtRuntime::GetControlProperty(Control control, Property property) {
    QWidget* widget = ControlWidget(control);
    switch (property) {
        case Property::ButtonDisabled:
            if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
                return !button->isEnabled();
            }
            break;
        case Property::EditContent:
            if (auto found = editContents_.find(control); found != editContents_.end()) {
                return found->second;
            }
            break;
        case Property::EditSelectionLength:
            if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
                return static_cast<std::int32_t>(edit->selectedText().toUtf8().size());
            }
            break;
        case Property::CheckBoxChecked:
            if (auto* box = qobject_cast<QCheckBox*>(widget)) return box->isChecked();
            break;
        case Property::WindowCaption:
            if (window_ && control == windowId_) return ToText(window_->windowTitle());
            break;
        case Property::DialogFileName:
        case Property::DialogFilter:
        case Property::DialogInitialDirectory:
        case Property::DialogKeepDirectory:
            return GetDialogProperty(control, property);
    }
    return PropertyValue{};
}

void QtRuntime::SetControlProperty(Control control, Property property, const PropertyValue& value) {
    const auto* text = std::get_if<std::string>(&value);
    const auto* flag = std::get_if<bool>(&value);
    const auto* number = std::get_if<std::int32_t>(&value);
    QWidget* widget = ControlWidget(control);
    switch (property) {
        case Property::ButtonDisabled:
            if (auto* button = qobject_cast<QAbstractButton*>(widget); button && flag) {
                button->setEnabled(!*flag);
            }
            return;
        case Property::EditContent:
            if (text && qobject_cast<QLineEdit*>(widget)) WriteEditContent(control, *text);
            return;
        case Property::EditSelectionLength:
            if (auto* edit = qobject_cast<QLineEdit*>(widget); edit && number) {
                int characters = CharactersInBytes(edit->text(), *number);
                if (characters > 0) {
                    // The caret goes to the selection's end and is scrolled into view.
                    edit->setSelection(0, characters);
                } else {
                    edit->deselect();
                    edit->setCursorPosition(0);
                }
            }
            return;
        case Property::CheckBoxChecked:
            if (auto* box = qobject_cast<QCheckBox*>(widget); box && flag) box->setChecked(*flag);
            return;
        case Property::WindowCaption:
            if (window_ && control == windowId_ && text) window_->setWindowTitle(FromText(*text));
            return;
        case Property::DialogFileName:
        case Property::DialogFilter:
        case Property::DialogInitialDirectory:
        case Property::DialogKeepDirectory:
            SetDialogProperty(control, property, value);
            return;
    }
}

void QtRuntime::WriteEditContent(Control control, const std::string& text) {
    auto* edit = qobject_cast<QLineEdit*>(ControlWidget(control));
    editContents_[control] = text;
    edit->setText(FromText(text));
    edit->setCursorPosition(0);
    // Raised here, inside the write, and for an unchanged text too: QLineEdit's own signal
    // stays silent when the text does not change.
    const ControlLayout* entry = Entry(control);
    if (entry && entry->event == Event::ContentChanged && entry->handler) entry->handler(*this);
}

void QtRuntime::ShowMessage(const std::string& text, int iconKind, std::string_view title) {
    if (title.empty()) title = kDefaultMessageTitle;
    QMessageBox box(MessageIcon(iconKind), FromText(title), FromText(text), QMessageBox::Ok);
    box.setWindowModality(Qt::ApplicationModal);
    RunModal(box);
}

bool QtRuntime::OpenFileDialog(Control control) {
    DialogSettings* found = Dialog(control);
    if (!found) return false;
    DialogSettings& settings = *found;

    QFileDialog dialog;
    dialog.setOptions(QFileDialog::DontUseNativeDialog | QFileDialog::HideNameFilterDetails);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setWindowModality(Qt::ApplicationModal);
    if (const ControlLayout* entry = Entry(control); entry && !entry->text.empty()) {
        dialog.setWindowTitle(FromText(entry->text));
    }
    const QStringList filters = ConvertDialogFilter(settings.filter);
    if (!filters.isEmpty()) {
        dialog.setNameFilters(filters);
        dialog.selectNameFilter(filters.front());
    }
    if (!settings.initialDirectory.empty()) {
        dialog.setDirectory(FromPath(settings.initialDirectory));
    }
    // The file chosen last is offered again, in its own folder.
    if (!settings.fileName.empty()) dialog.selectFile(FromPath(settings.fileName));

    if (RunModal(dialog) != QDialog::Accepted) return false;
    const QStringList chosen = dialog.selectedFiles();
    if (chosen.isEmpty() || chosen.front().isEmpty()) return false;
    const QString path = QFileInfo(chosen.front()).absoluteFilePath();
    settings.fileName = ToPath(path);
    if (!settings.keepDirectory) QDir::setCurrent(QFileInfo(path).absolutePath());
    return true;
}

std::string QtRuntime::ProgramDirectory() {
    return ToPath(QCoreApplication::applicationDirPath());
}

NativeHandle QtRuntime::WindowHandle(Control window) {
    if (!window_ || window != windowId_) return 0;
    return static_cast<NativeHandle>(window_->winId());
}

bool QtRuntime::SetSkinStyle(std::int32_t style) {
    return skins_.Apply(style);
}

bool QtRuntime::RegisterDropTarget(Control dropTarget, NativeHandle window) {
    if (dropTargetRegistered_ || !window_ || window == 0 || window != WindowHandle(windowId_)) {
        return false;
    }
    const ControlLayout* entry = Entry(dropTarget);
    if (!entry || entry->kind != ControlKind::DropTarget) return false;
    dropTarget_ = dropTarget;
    dropTargetRegistered_ = true;
    window_->TakeDrops();
    return true;
}

}  // namespace tavrin::qt
