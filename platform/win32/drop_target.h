#pragma once
// The drop target of the main window: an OLE drop target that takes dropped file lists only and
// hands them on as one text.
#include <oleidl.h>
#include <windows.h>

#include <functional>
#include <optional>
#include <span>
#include <string>

namespace tavrin::win32 {

// The dropped-files text for a list of paths: one path alone, or every path followed by CR LF.
// Nothing for an empty list.
std::optional<std::string> DroppedFilesText(std::span<const std::string> paths);

// The effect a drop takes: a copy when the source allows it, else a move, else a link. Ctrl and
// Shift held together ask for a link to be made, which the window refuses.
DWORD ChooseDropEffect(DWORD allowed, DWORD keyState);

class DropTarget final : public IDropTarget {
  public:
    using Deliver = std::function<void(const std::string& droppedFiles)>;
    explicit DropTarget(Deliver deliver) : deliver_(std::move(deliver)) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** out) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    HRESULT STDMETHODCALLTYPE DragEnter(IDataObject* data, DWORD keyState, POINTL point,
                                        DWORD* effect) override;
    HRESULT STDMETHODCALLTYPE DragOver(DWORD keyState, POINTL point, DWORD* effect) override;
    HRESULT STDMETHODCALLTYPE DragLeave() override;
    HRESULT STDMETHODCALLTYPE Drop(IDataObject* data, DWORD keyState, POINTL point,
                                   DWORD* effect) override;

  private:
    ~DropTarget() = default;

    Deliver deliver_;
    ULONG references_ = 1;
    bool carriesFiles_ = false;
};

}  // namespace tavrin::win32
