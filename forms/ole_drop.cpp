#include "forms/ole_drop.h"

#include "runtime/win_runtime.h"

namespace torvane::forms {
namespace {

class DropTarget final : public IDropTarget {
 public:
  explicit DropTarget(DropHandler handler) : handler_(std::move(handler)) {}
  DropTarget(const DropTarget&) = delete;
  DropTarget& operator=(const DropTarget&) = delete;

  // After this no drop reaches the handler, though OLE may still hold a reference.
  void Disconnect() { handler_ = nullptr; }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
    if (!out) return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDropTarget)) {
      *out = static_cast<IDropTarget*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ::InterlockedIncrement(&refs_); }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = ::InterlockedDecrement(&refs_);
    if (left == 0) delete this;
    return left;
  }

  // While a file list hovers, the effect shown is copy where the source allows it, else
  // one the source offers (a source that allows only move must still reach Drop: OLE
  // never calls Drop after a hover answered none). Anything else shows none: the fields
  // take file lists only. OLE asks for one effect here, not the source's whole set.
  HRESULT STDMETHODCALLTYPE DragEnter(IDataObject* data, DWORD, POINTL, DWORD* effect) override {
    FORMATETC fileList{CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    offersFileList_ = data && data->QueryGetData(&fileList) == S_OK;
    return ShowHover(effect);
  }
  HRESULT STDMETHODCALLTYPE DragOver(DWORD, POINTL, DWORD* effect) override {
    return ShowHover(effect);
  }
  HRESULT STDMETHODCALLTYPE DragLeave() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE Drop(IDataObject* data, DWORD, POINTL, DWORD* effect) override {
    if (!effect) return E_INVALIDARG;
    if (!handler_) {
      *effect = DROPEFFECT_NONE;
      return S_OK;
    }
    try {
      handler_(data, *effect);
    } catch (...) {
      // Nothing may unwind into OLE's code.
      *effect = DROPEFFECT_NONE;
    }
    return S_OK;
  }

 private:
  ~DropTarget() = default;

  HRESULT ShowHover(DWORD* effect) const {
    if (!effect) return E_INVALIDARG;
    *effect = handler_ && offersFileList_ ? OneOfferedEffect(*effect) : DROPEFFECT_NONE;
    return S_OK;
  }

  static DWORD OneOfferedEffect(DWORD allowed) {
    for (const DWORD one :
         {DWORD{DROPEFFECT_COPY}, DWORD{DROPEFFECT_MOVE}, DWORD{DROPEFFECT_LINK}}) {
      if (allowed & one) return one;
    }
    return DROPEFFECT_NONE;
  }

  LONG refs_ = 1;
  DropHandler handler_;
  bool offersFileList_ = false;
};

}  // namespace

DropRegistration::~DropRegistration() { Revoke(); }

Status DropRegistration::Register(HWND window, DropHandler handler) {
  Revoke();
  win::ComPtr<IDropTarget> target(new DropTarget(std::move(handler)));
  const HRESULT hr = ::RegisterDragDrop(window, target.get());
  if (FAILED(hr)) return ErrorFromHresult(hr);
  window_ = window;
  target_ = std::move(target);
  return {};
}

void DropRegistration::Revoke() {
  if (target_) static_cast<DropTarget*>(target_.get())->Disconnect();
  if (window_) ::RevokeDragDrop(window_);
  window_ = nullptr;
  target_.reset();
}

IDropTarget* DropRegistration::target() const { return target_.get(); }

}  // namespace torvane::forms
