// A drag source in a process of its own, as the file manager is one: puts the cursor on
// the given screen point and drags a file list (or a text) there with the system's
// DoDragDrop, letting go once the cursor has rested there a few hundred milliseconds,
// without any mouse button.
//
//   torvane_drag_source X Y ALLOWED_EFFECTS (--text TEXT | PATH...)
//
// Exit code: 0x10 | the effect the drag ended with (none where the target refused the
// data or never took the drop), 1 on a usage or system error, 2 when the cursor could
// not be kept on the point.
// clang-format off
#include <windows.h>
#include <ole2.h>
#include <shlobj.h>
#include <windowsx.h>
// clang-format on

#include <cstdio>
#include <cstring>
#include <cwchar>
#include <string>
#include <vector>

namespace {

constexpr DWORD kHoldMs = 400;  // long enough for DragEnter and a few DragOvers
constexpr DWORD kGiveUpMs = 10000;
constexpr int kEnded = 0x10;
constexpr int kCursorNotKept = 2;

template <class Interface>
class Unknown : public Interface {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
    if (!out) return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, __uuidof(Interface))) {
      *out = static_cast<Interface*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ::InterlockedIncrement(&refs_); }
  ULONG STDMETHODCALLTYPE Release() override {
    const LONG left = ::InterlockedDecrement(&refs_);
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
  }

 protected:
  virtual ~Unknown() = default;

 private:
  LONG refs_ = 1;
};

// One format, held in an HGLOBAL of its own; every GetData hands out a copy.
class Data final : public Unknown<IDataObject> {
 public:
  Data(CLIPFORMAT format, std::string bytes) : format_(format), bytes_(std::move(bytes)) {}

  HRESULT STDMETHODCALLTYPE GetData(FORMATETC* format, STGMEDIUM* medium) override {
    if (const HRESULT offered = QueryGetData(format); offered != S_OK) return offered;
    HGLOBAL copy = ::GlobalAlloc(GMEM_MOVEABLE, bytes_.size());
    if (!copy) return E_OUTOFMEMORY;
    std::memcpy(::GlobalLock(copy), bytes_.data(), bytes_.size());
    ::GlobalUnlock(copy);
    medium->tymed = TYMED_HGLOBAL;
    medium->hGlobal = copy;
    medium->pUnkForRelease = nullptr;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* format) override {
    if (!format) return E_INVALIDARG;
    const bool offered = format->cfFormat == format_ && (format->tymed & TYMED_HGLOBAL) &&
                         format->dwAspect == DVASPECT_CONTENT;
    return offered ? S_OK : DV_E_FORMATETC;
  }
  HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD direction, IEnumFORMATETC** out) override {
    if (direction != DATADIR_GET) return E_NOTIMPL;
    FORMATETC offered{format_, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    return ::SHCreateStdEnumFmtEtc(1, &offered, out);
  }
  HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) override {
    if (out) out->ptd = nullptr;
    return DATA_S_SAMEFORMATETC;
  }
  HRESULT STDMETHODCALLTYPE SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override {
    return OLE_E_ADVISENOTSUPPORTED;
  }
  HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
  HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA**) override {
    return OLE_E_ADVISENOTSUPPORTED;
  }

 private:
  CLIPFORMAT format_;
  std::string bytes_;
};

// Lets go once the cursor has rested on the point for a while. The system drops where the
// message that woke the drag says the cursor is; the pointer is shared with everything
// else on the display, so a cursor found elsewhere is put back and the wait starts again.
// Escape cancels, and so does a cursor that cannot be kept on the point.
class Source final : public Unknown<IDropSource> {
 public:
  explicit Source(POINT at) : at_(at) {}

  HRESULT STDMETHODCALLTYPE QueryContinueDrag(BOOL escape, DWORD) override {
    const DWORD now = ::GetTickCount();
    if (escape) return DRAGDROP_S_CANCEL;
    if (now - begun_ >= kGiveUpMs) {
      cursorNotKept_ = true;
      return DRAGDROP_S_CANCEL;
    }
    const DWORD where = ::GetMessagePos();
    if (GET_X_LPARAM(where) != at_.x || GET_Y_LPARAM(where) != at_.y) {
      ::SetCursorPos(at_.x, at_.y);
      restingSince_ = now;
      return S_OK;
    }
    return now - restingSince_ >= kHoldMs ? DRAGDROP_S_DROP : S_OK;
  }
  HRESULT STDMETHODCALLTYPE GiveFeedback(DWORD) override { return DRAGDROP_S_USEDEFAULTCURSORS; }

  bool cursorNotKept() const { return cursorNotKept_; }

 private:
  POINT at_;
  DWORD begun_ = ::GetTickCount();
  DWORD restingSince_ = begun_;
  bool cursorNotKept_ = false;
};

std::string FileList(const std::vector<std::wstring>& names) {
  std::wstring list;
  for (const auto& name : names) list.append(name).push_back(L'\0');
  list.push_back(L'\0');
  DROPFILES header{};
  header.pFiles = sizeof(DROPFILES);
  header.fWide = TRUE;
  std::string bytes(reinterpret_cast<const char*>(&header), sizeof(header));
  bytes.append(reinterpret_cast<const char*>(list.data()), list.size() * sizeof(wchar_t));
  return bytes;
}

std::string Text(const std::wstring& text) {
  return std::string(reinterpret_cast<const char*>(text.c_str()),
                     (text.size() + 1) * sizeof(wchar_t));
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 5) return 1;
  const POINT at{std::wcstol(argv[1], nullptr, 10), std::wcstol(argv[2], nullptr, 10)};
  const DWORD allowed = std::wcstoul(argv[3], nullptr, 10);
  const bool text = std::wcscmp(argv[4], L"--text") == 0;
  if (text && argc != 6) return 1;

  if (FAILED(::OleInitialize(nullptr))) return 1;
  int result = 1;
  {
    Data* data = text ? new Data(CF_UNICODETEXT, Text(argv[5]))
                      : new Data(CF_HDROP, FileList({argv + 4, argv + argc}));
    Source* source = new Source(at);
    ::SetCursorPos(at.x, at.y);
    DWORD effect = DROPEFFECT_NONE;
    const HRESULT hr = ::DoDragDrop(data, source, allowed, &effect);
    if (source->cursorNotKept()) {
      std::fprintf(stderr, "drag source: the cursor could not be kept on %ld,%ld\n", at.x, at.y);
      result = kCursorNotKept;
    } else if (hr == DRAGDROP_S_DROP || hr == DRAGDROP_S_CANCEL) {
      // Wine reports a drop the target refused as DRAGDROP_S_DROP with no effect.
      result = kEnded | static_cast<int>(effect);
    }
    source->Release();
    data->Release();
  }
  ::OleUninitialize();
  return result;
}
