#include "platform/win32/drop_target.h"

#include <shellapi.h>

#include <vector>

#include "platform/wide_text.h"

namespace tavrin::win32 {
namespace {

FORMATETC FileListFormat() {
    return {CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
}

bool CarriesFileList(IDataObject* data) {
    FORMATETC format = FileListFormat();
    return data && data->QueryGetData(&format) == S_OK;
}

// The paths of a dropped file list; nothing when the data holds no list or an empty one.
std::optional<std::string> ReadFileList(IDataObject* data) {
    if (!data) return std::nullopt;
    FORMATETC format = FileListFormat();
    STGMEDIUM medium{};
    if (data->GetData(&format, &medium) != S_OK) return std::nullopt;
    std::optional<std::string> text;
    if (medium.tymed == TYMED_HGLOBAL && medium.hGlobal) {
        if (auto drop = static_cast<HDROP>(::GlobalLock(medium.hGlobal))) {
            const UINT count = ::DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
            std::vector<std::string> paths;
            for (UINT i = 0; i < count; ++i) {
                const UINT length = ::DragQueryFileW(drop, i, nullptr, 0);
                std::wstring path(length + 1, L'\0');
                const UINT copied = ::DragQueryFileW(drop, i, path.data(), length + 1);
                path.resize(copied);
                if (!path.empty()) paths.push_back(Utf8FromWide(path));
            }
            ::GlobalUnlock(medium.hGlobal);
            if (paths.size() == count) text = DroppedFilesText(paths);
        }
    }
    ::ReleaseStgMedium(&medium);
    return text;
}

}  // namespace

std::optional<std::string> DroppedFilesText(std::span<const std::string> paths) {
    if (paths.empty()) return std::nullopt;
    if (paths.size() == 1) return paths.front();
    std::string text;
    for (const std::string& path : paths) {
        text += path;
        text += "\r\n";
    }
    return text;
}

DWORD ChooseDropEffect(DWORD allowed, DWORD keyState) {
    if ((keyState & MK_CONTROL) && (keyState & MK_SHIFT)) return DROPEFFECT_NONE;
    for (DWORD effect : {DROPEFFECT_COPY, DROPEFFECT_MOVE, DROPEFFECT_LINK}) {
        if (allowed & effect) return effect;
    }
    return DROPEFFECT_NONE;
}

HRESULT DropTarget::QueryInterface(REFIID id, void** out) {
    if (!out) return E_POINTER;
    if (IsEqualIID(id, IID_IUnknown) || IsEqualIID(id, IID_IDropTarget)) {
        *out = static_cast<IDropTarget*>(this);
        AddRef();
        return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
}

ULONG DropTarget::AddRef() {
    return ++references_;
}

ULONG DropTarget::Release() {
    const ULONG left = --references_;
    if (left == 0) delete this;
    return left;
}

HRESULT DropTarget::DragEnter(IDataObject* data, DWORD keyState, POINTL, DWORD* effect) {
    if (!effect) return E_INVALIDARG;
    carriesFiles_ = CarriesFileList(data);
    *effect = carriesFiles_ ? ChooseDropEffect(*effect, keyState) : DROPEFFECT_NONE;
    return S_OK;
}

HRESULT DropTarget::DragOver(DWORD keyState, POINTL, DWORD* effect) {
    if (!effect) return E_INVALIDARG;
    *effect = carriesFiles_ ? ChooseDropEffect(*effect, keyState) : DROPEFFECT_NONE;
    return S_OK;
}

HRESULT DropTarget::DragLeave() {
    carriesFiles_ = false;
    return S_OK;
}

HRESULT DropTarget::Drop(IDataObject* data, DWORD keyState, POINTL, DWORD* effect) {
    if (!effect) return E_INVALIDARG;
    carriesFiles_ = false;
    const DWORD chosen = ChooseDropEffect(*effect, keyState);
    std::optional<std::string> text;
    if (chosen != DROPEFFECT_NONE) text = ReadFileList(data);
    if (!text) {
        *effect = DROPEFFECT_NONE;
        return S_OK;
    }
    *effect = chosen;
    if (deliver_) deliver_(*text);
    return S_OK;
}

}  // namespace tavrin::win32
