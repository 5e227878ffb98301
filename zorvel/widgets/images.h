// Pictures: bitmaps from the program's resources, the 4-frame strips the
// owner-drawn lists, menus and buttons draw from, and the system image lists
// of the toolbars. In every picture the bottom-left pixel gives the colour
// that is drawn transparent.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <cstddef>
#include <vector>

#include "zorvel/widgets/dpi.h"

namespace widgets {

// The system's imaging component (windowscodecs.dll), which decodes the
// compressed pictures, loaded while an object of this type lives. Each decode
// holds one; the program holds one more while it creates its windows, so that
// their pictures load the component once, and lets it go afterwards: loaded,
// it keeps about a megabyte resident.
class PictureCodec {
public:
    PictureCodec();
    PictureCodec(const PictureCodec&) = delete;
    PictureCodec& operator=(const PictureCodec&) = delete;
    ~PictureCodec();
    // A new object of one of the component's classes, made as COM would make
    // it but without the component staying loaded for the thread's lifetime.
    HRESULT Create(REFCLSID kind, REFIID iid, void** object) const;

private:
    HMODULE module_ = nullptr;
};

class Bitmap {
public:
    Bitmap() = default;
    explicit Bitmap(HBITMAP handle) : handle_(handle) {}
    Bitmap(Bitmap&& other) noexcept : handle_(other.handle_) { other.handle_ = nullptr; }
    Bitmap& operator=(Bitmap&& other) noexcept;
    Bitmap(const Bitmap&) = delete;
    Bitmap& operator=(const Bitmap&) = delete;
    ~Bitmap();

    // A picture compiled into the program (a PNG resource), decoded into a
    // 24-bit DIB section; empty when there is none of that id or it cannot be
    // decoded.
    static Bitmap FromResource(int id);
    // The picture drawn nearest to the display's scale (the id plus
    // IDB_SCALED_150 or IDB_SCALED_200), the design one where none was drawn.
    static Bitmap FromResource(int id, Scale scale);
    // Decodes a PNG picture; empty when the data is not one that decodes.
    static Bitmap FromPicture(const void* data, std::size_t size);
    static Bitmap FromFile(const wchar_t* path);

    operator HBITMAP() const { return handle_; }
    explicit operator bool() const { return handle_ != nullptr; }
    SIZE Size() const;
    COLORREF Pixel(int x, int y) const;

private:
    HBITMAP handle_ = nullptr;
};

// Frames of a strip: normal, disabled, highlighted, and the fourth (pressed).
enum Frame : int { kFrameNormal = 0, kFrameDisabled = 1, kFrameHighlighted = 2, kFramePressed = 3 };

// A list of strips, each a picture of four equal frames side by side.
class StripList {
public:
    // Adds every picture of a bitmap that holds pictures of `imageWidth`
    // pixels side by side (the whole width when 0).
    void Add(Bitmap bitmap, int imageWidth = 0);
    // Adds every picture of a bitmap of 4-frame strips with square frames, at
    // whatever size the bitmap was drawn.
    void AddSquareStrips(Bitmap bitmap);
    // Lets go of every picture (before adding those drawn for another scale).
    void Clear() {
        images_.clear();
        bitmaps_.clear();
    }
    int Count() const { return static_cast<int>(images_.size()); }
    int ImageWidth(int index) const;
    int FrameWidth(int index) const { return ImageWidth(index) / 4; }
    int Height(int index) const;
    // Draws one frame with the picture's bottom-left colour left out.
    void Draw(HDC dc, int index, int frame, int x, int y) const;

private:
    struct Image {
        int bitmap, x, width, height;
        COLORREF transparent;
    };
    std::vector<Bitmap> bitmaps_;
    std::vector<Image> images_;
};

// A system image list of equal images with a mask.
class ImageList {
public:
    ImageList() = default;
    ImageList(const ImageList&) = delete;
    ImageList& operator=(const ImageList&) = delete;
    ~ImageList();
    // Cuts a bitmap into images of width x height, masked by its bottom-left colour.
    bool Load(const Bitmap& bitmap, int width, int height);
    // Cuts it into square images as high as the bitmap.
    bool Load(const Bitmap& bitmap);
    // One image: the whole bitmap.
    bool LoadWhole(const Bitmap& bitmap) { return Load(bitmap, bitmap.Size().cx, bitmap.Size().cy); }
    int ImageSize() const;  // the height
    SIZE ImageExtent() const;
    operator HIMAGELIST() const { return handle_; }
    int Count() const { return handle_ ? ImageList_GetImageCount(handle_) : 0; }
    void Draw(HDC dc, int index, int x, int y) const { ImageList_Draw(handle_, index, dc, x, y, ILD_TRANSPARENT); }

private:
    HIMAGELIST handle_ = nullptr;
};

}  // namespace widgets
