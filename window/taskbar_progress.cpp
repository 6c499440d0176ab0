#include "window/taskbar_progress.h"

namespace torvane {

ITaskbarList3* TaskbarProgress::List() {
  if (tried_) return list_.get();
  tried_ = true;
  win::ComPtr<ITaskbarList3> list;
  if (FAILED(::CoCreateInstance(CLSID_TaskbarList, nullptr, CLSCTX_INPROC_SERVER,
                                IID_PPV_ARGS(list.put()))) ||
      !list || FAILED(list->HrInit())) {
    return nullptr;
  }
  list_ = std::move(list);
  return list_.get();
}

void TaskbarProgress::EndWait(HWND window) {
  if (!waiting_) return;
  waiting_ = false;
  if (list_) list_->SetThumbnailTooltip(window, nullptr);
}

void TaskbarProgress::ShowBusy(HWND window) {
  EndWait(window);
  if (ITaskbarList3* list = List()) list->SetProgressState(window, TBPF_INDETERMINATE);
}

void TaskbarProgress::Show(HWND window, std::size_t done, std::size_t total) {
  EndWait(window);
  ITaskbarList3* list = List();
  if (!list || total == 0) return;
  list->SetProgressState(window, TBPF_NORMAL);
  list->SetProgressValue(window, done, total);
}

void TaskbarProgress::ShowWaiting(HWND window, const std::u16string& text) {
  ITaskbarList3* list = List();
  if (!list) return;
  waiting_ = true;
  list->SetProgressState(window, TBPF_PAUSED);
  list->SetThumbnailTooltip(window, win::W(text));
}

void TaskbarProgress::Clear(HWND window) {
  EndWait(window);
  if (list_) list_->SetProgressState(window, TBPF_NOPROGRESS);
}

}  // namespace torvane
