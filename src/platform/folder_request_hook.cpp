// SPDX-License-Identifier: MIT
// The hook on a walk's file system requests: the same on every platform.
#include <atomic>

#include "platform/open_folder.h"

namespace tvr::platform {

namespace {

std::atomic<FolderRequestHook> requestHook{nullptr};

}  // namespace

void setFolderRequestHook(FolderRequestHook hook) { requestHook.store(hook); }

void noteFolderRequest(FolderRequest request) {
    if (FolderRequestHook hook = requestHook.load()) hook(request);
}

}  // namespace tvr::platform
