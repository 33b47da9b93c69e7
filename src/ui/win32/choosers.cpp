// SPDX-License-Identifier: MIT
#include "ui/win32/choosers.h"

#include <commdlg.h>
#include <shellapi.h>
#include <shlobj.h>

#include <vector>

#include "ui/win32/win_text.h"
#include "ui/window_texts.h"

namespace tvr::ui::win32 {
namespace {

int CALLBACK preselect(HWND browser, UINT message, LPARAM, LPARAM start) {
    if (message == BFFM_INITIALIZED) SendMessageW(browser, BFFM_SETSELECTIONW, TRUE, start);
    return 0;
}

}  // namespace

std::optional<std::u16string> chooseListFile(HWND owner, const ListFileStart& start) {
    std::wstring folder = wide(start.folder);
    // Longer than the 260 characters a setting once held, so that a deep path is not cut.
    std::vector<wchar_t> file(32768, L'\0');
    std::wstring name = wide(start.fileName);
    name.copy(file.data(), std::min(name.size(), file.size() - 1));
    std::vector<wchar_t> title(260, L'\0');
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = L"TamvikVR Files(*.vrl)\0*.vrl\0All Files(*.*)\0*.*\0";
    dialog.lpstrFile = file.data();
    dialog.nMaxFile = static_cast<DWORD>(file.size());
    dialog.lpstrFileTitle = title.data();
    dialog.nMaxFileTitle = static_cast<DWORD>(title.size());
    dialog.lpstrInitialDir = folder.c_str();
    const std::wstring caption = wide(text(TextId::FileChooserTitle));
    dialog.lpstrTitle = caption.c_str();
    dialog.lpstrDefExt = L"vrl";
    dialog.Flags = OFN_FILEMUSTEXIST | OFN_HIDEREADONLY;
    if (!GetOpenFileNameW(&dialog)) return std::nullopt;
    return std::u16string(file.data(), file.data() + wcslen(file.data()));
}

std::optional<std::u16string> chooseFolder(HWND owner, std::u16string_view start) {
    std::wstring startPath = wide(start);
    BROWSEINFOW browse{};
    browse.hwndOwner = owner;
    browse.lpszTitle = L"Open Folder";
    browse.ulFlags = BIF_RETURNONLYFSDIRS;
    browse.lpfn = preselect;
    browse.lParam = reinterpret_cast<LPARAM>(startPath.c_str());
    PIDLIST_ABSOLUTE item = SHBrowseForFolderW(&browse);
    if (item == nullptr) return std::nullopt;
    std::vector<wchar_t> path(32768, L'\0');
    bool converted = SHGetPathFromIDListEx(item, path.data(), static_cast<DWORD>(path.size()), GPFIDL_DEFAULT);
    CoTaskMemFree(item);
    if (!converted) return std::nullopt;
    return std::u16string(path.data(), path.data() + wcslen(path.data()));
}

void openInNotepad(std::u16string_view path) {
    // Quoted, so that a folder with blanks reaches Notepad as one file.
    std::wstring parameter = L"\"" + wide(path) + L"\"";
    ShellExecuteW(nullptr, L"open", L"notepad.exe", parameter.c_str(), nullptr, SW_SHOWNORMAL);
}

}  // namespace tvr::ui::win32
