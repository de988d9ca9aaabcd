#pragma once
// Move-only owners for the GDI and common-control handles the views create.
#include <windows.h>

#include <commctrl.h>

#include <utility>

template <typename Handle, BOOL(WINAPI* Release)(Handle)> class OwnedHandle {
  public:
    OwnedHandle() = default;
    explicit OwnedHandle(Handle handle) : handle_(handle) {}
    ~OwnedHandle() { reset(); }
    OwnedHandle(OwnedHandle&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
    OwnedHandle& operator=(OwnedHandle&& other) noexcept {
        if (this != &other) {
            reset(std::exchange(other.handle_, nullptr));
        }
        return *this;
    }
    OwnedHandle(const OwnedHandle&) = delete;
    OwnedHandle& operator=(const OwnedHandle&) = delete;

    Handle get() const { return handle_; }
    explicit operator bool() const { return handle_ != nullptr; }
    void reset(Handle handle = nullptr) {
        if (handle_ != nullptr) {
            Release(handle_);
        }
        handle_ = handle;
    }

  private:
    Handle handle_ = nullptr;
};

inline BOOL WINAPI deleteGdiObject(HGDIOBJ object) {
    return DeleteObject(object);
}
inline BOOL WINAPI destroyImageList(HIMAGELIST list) {
    return ImageList_Destroy(list);
}

// Any GDI object (pen, brush, font, bitmap) kept as its generic handle type.
template <typename T> class GdiObject {
  public:
    GdiObject() = default;
    explicit GdiObject(T object) : owned_(static_cast<HGDIOBJ>(object)) {}
    T get() const { return static_cast<T>(owned_.get()); }
    explicit operator bool() const { return static_cast<bool>(owned_); }
    void reset(T object = nullptr) { owned_.reset(static_cast<HGDIOBJ>(object)); }

  private:
    OwnedHandle<HGDIOBJ, deleteGdiObject> owned_;
};

using ImageListHandle = OwnedHandle<HIMAGELIST, destroyImageList>;

// Selects an object into a device context for one scope and puts the previous one back.
class SelectedObject {
  public:
    SelectedObject(HDC dc, HGDIOBJ object) : dc_(dc), previous_(SelectObject(dc, object)) {}
    ~SelectedObject() { SelectObject(dc_, previous_); }
    SelectedObject(const SelectedObject&) = delete;
    SelectedObject& operator=(const SelectedObject&) = delete;

  private:
    HDC dc_;
    HGDIOBJ previous_;
};
